// The parameter model: reading Params.vrx, the tree, profile records and files.
#include "ParamTestSupport.h"
#include "common/Cp1251.h"
#include "phone/TPhoneIdentity.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char *Example = R"(VER = 110-
[Звонок]
; громкость и режим
MODULE = 2
<0Громкость
ID = 12
NAME = Громкость звонка
{
TYPE = SET
* Уровень
RANGE = 1-8
}
'Громкость сигнала вызова.'
<1Режим
ID = 13
NAME = Режим звонка
{
TYPE = GROUP
* 0>Выключен
* 1>Включен }
'Первая строка

   вторая строка.'
)";

TEST(ParamDescription, ReadsTheExampleIntoGroupsNodesParamsAndSlots)
{
    const TParamModel m = model(Example, 110);
    ASSERT_EQ(m.Groups.size(), 1u);
    const TParamGroup &g = *m.Groups[0];
    EXPECT_EQ(m.TabCaptions, QStringList{QStringLiteral("Звонок")});
    EXPECT_EQ(g.Module, 2);
    EXPECT_EQ(g.CurrentNode, nullptr);
    ASSERT_EQ(g.Nodes.size(), 2u);
    EXPECT_EQ(g.Nodes[1]->Parent, g.Nodes[0].get());
    EXPECT_EQ(g.Nodes[1]->Level, 1);
    ASSERT_EQ(g.Params.size(), 2u);
    const TParam &vol = *g.Params[0];
    EXPECT_EQ(vol.Name, QStringLiteral("Громкость звонка"));
    EXPECT_EQ(vol.State, pvQuerying);
    ASSERT_EQ(vol.Values.size(), 1);
    EXPECT_EQ(vol.Values[0].Kind, skSet);
    EXPECT_EQ(vol.Values[0].Labels, QStringList{QStringLiteral("Уровень")});
    EXPECT_EQ(vol.Values[0].Allowed.count(), 8u);
    EXPECT_EQ(g.Nodes[0]->Param, &vol);
    const TParam &mode = *g.Params[1];
    ASSERT_EQ(mode.Values.size(), 1);
    EXPECT_EQ(mode.Values[0].Kind, skGroup);
    EXPECT_EQ(mode.Values[0].Labels, (QStringList{QStringLiteral("0>Выключен"), QStringLiteral("1>Включен")}));
    // Inner blank lines and the continuation's leading blanks stay.
    EXPECT_EQ(mode.Description,
              (QStringList{QStringLiteral("Первая строка"), QString(), QStringLiteral("   вторая строка.")}));
    // The whole example depends on the firmware.
    EXPECT_TRUE(model(Example, 109).Empty());
}

TEST(ParamDescription, ModuleOnlyRightAfterTheTabAndItsComments)
{
    const TParamModel m = model("[A]\n\n; c1\n   ; c2\nMODULE = 7\n<0N\nID=1\nNAME=x\n{\nTYPE=FLAG\n* 0>a }\n"
                                "[B]\n<0N\nMODULE = 5\n"
                                "[C]\nMODULE=300\n");
    ASSERT_EQ(m.Groups.size(), 3u);
    EXPECT_EQ(m.Groups[0]->Module, 7);
    EXPECT_EQ(m.Groups[1]->Module, 0);
    EXPECT_EQ(m.Groups[2]->Module, 300 & 0xFF);
    EXPECT_EQ(m.SelectedTab, 2);
}

TEST(ParamDescription, VersionConditionsHideTabsUntilTheNextVerLine)
{
    const char *text = "[A]\n<0a\nID=0\n'x'\nVER = 120-\n[New]\n<0b\nID=0\n'y'\nVER = 0-\n[B]\n"
                       "VER = 110-119\n[Mid]\nVER = 115\n[Low]\n";
    EXPECT_EQ(model(text, 119).TabCaptions, (QStringList{"A", "B", "Mid"}));
    EXPECT_EQ(model(text, 120).TabCaptions, (QStringList{"A", "New", "B"}));
    EXPECT_EQ(model(text, 100).TabCaptions, (QStringList{"A", "B", "Low"}));
    // "VER" without "=" is ignored.
    EXPECT_EQ(model("VER 200-\n[A]\n", 100).TabCaptions, QStringList{"A"});
}

TEST(ParamDescription, BlockEndsAndIdZeroEntries)
{
    const TParamModel m = model(
        "[T]\n<0one\nID = 5\nNAME = five\n{\nTYPE = SET\n* n\nRANGE = 0\n}\n<0two\n"      // no description
        "ID = 0\n'only text'\n"                                                           // Id 0 with text
        "<0three\nID = 0\n<0four\n"                                                       // Id 0, nothing: dropped
        "ID = 6\nNAME = six\n{\nTYPE = GROUP\n* 1>a\n<0five\n"                            // open GROUP slot
        "ID = 7\nNAME = seven\n{\nTYPE = WHAT\n<0six\n"                                   // bad TYPE: dropped
        "ID = x\nNAME = minus\n{\nTYPE = FLAG\n* 3>b }\n'd'\n");
    const TParamGroup &g = *m.Groups[0];
    ASSERT_EQ(g.Nodes.size(), 6u);
    QList<qint32> ids;
    for (const auto &p : g.Params)
        ids << p->Id;
    EXPECT_EQ(ids, (QList<qint32>{5, 0, 6, -1}));
    EXPECT_EQ(g.Nodes[0]->Param->Id, 5);
    EXPECT_EQ(g.Nodes[1]->Param->State, pvNoValue);
    EXPECT_EQ(g.Nodes[2]->Param, nullptr);
    EXPECT_EQ(g.Nodes[3]->Param->Id, 6);
    EXPECT_EQ(g.Nodes[3]->Param->Values[0].Labels, QStringList{"1>a"});
    EXPECT_EQ(g.Nodes[4]->Param, nullptr);
    EXPECT_EQ(g.Nodes[5]->Param->Id, -1);
    // A block at the end of the file without its end is dropped.
    EXPECT_TRUE(model("[T]\n<0a\nID=3\nNAME=x\n{\nTYPE=SET\n* n\n").Groups[0]->Params.empty());
    EXPECT_TRUE(model("[T]\n<0a\nID=3\nNAME=x\n'open description\n").Groups[0]->Params.empty());
}

TEST(ParamDescription, RangeLists)
{
    auto members = [](const char *list) {
        const TAllowedSet s = TParamModel::ParseRange(QString::fromLatin1(list));
        QList<int> r;
        for (int v = 0; v < 256; ++v)
            if (s.test(size_t(v)))
                r << v;
        return r;
    };
    EXPECT_EQ(members("1-3,7"), (QList<int>{1, 2, 3, 7}));
    EXPECT_EQ(members("0").size(), 256);
    EXPECT_EQ(members("").size(), 256);
    EXPECT_EQ(members(" 10 , 20x,257"), (QList<int>{1, 10, 20}));   // 257 is 1
    const TAllowedSet s = TParamModel::ParseRange(QStringLiteral("1-3,7"));
    EXPECT_EQ(TParamModel::AllowedMin(s), 1);
    EXPECT_EQ(TParamModel::AllowedMax(s), 7);
    TParamValue slot;
    slot.Allowed = s;
    EXPECT_TRUE(TParamModel::Accepts(slot, 7));
    EXPECT_FALSE(TParamModel::Accepts(slot, 5));
    EXPECT_FALSE(TParamModel::Accepts(slot, 256 + 7));
}

TEST(ParamDescription, NodeLevelsAndTheTree)
{
    const TParamModel m = model("[T]\n<0a\n<1b\n<3jump\n<1c\n<2d\n<1e\n< 1spaced\n<x ignored\n");
    const TParamGroup &g = *m.Groups[0];
    ASSERT_EQ(g.Nodes.size(), 7u);
    // A level-3 node under a level-1 node becomes a root at level 0.
    EXPECT_EQ(g.Nodes[2]->Parent, nullptr);
    EXPECT_EQ(g.Nodes[2]->Level, 0);
    // Later nodes hang below it.
    EXPECT_EQ(g.Nodes[3]->Parent, g.Nodes[2].get());
    EXPECT_EQ(g.Nodes[4]->Parent, g.Nodes[3].get());
    EXPECT_EQ(g.Nodes[5]->Parent, g.Nodes[2].get());
    EXPECT_EQ(g.Nodes[6]->Name, QStringLiteral("spaced"));

    const std::vector<TTreeItem> tree = TParamModel::BuildTree(g);
    QStringList shape;
    for (const TTreeItem &i : tree)
        shape << QStringLiteral("%1:%2:%3").arg(i.Caption).arg(i.Depth).arg(i.Parent);
    EXPECT_EQ(shape, (QStringList{"a:0:-1", "b:1:0", "jump:0:-1", "c:1:2", "d:2:3", "e:1:2", "spaced:1:2"}));
}

TEST(ParamDescription, OptionLabels)
{
    const TOptionLabel a = TParamModel::ParseOptionLabel(QStringLiteral("12>Двенадцать>x"));
    EXPECT_EQ(a.Number, 12);
    EXPECT_EQ(a.Caption, QStringLiteral("Двенадцать>x"));
    EXPECT_EQ(TParamModel::ParseOptionLabel(QStringLiteral("abc>y")).Number, 0);
    const TOptionLabel c = TParamModel::ParseOptionLabel(QStringLiteral("no number"));
    EXPECT_EQ(c.Number, 0);
    EXPECT_EQ(c.Caption, QStringLiteral("no number"));
}

TEST(ParamDescription, FileBytesAreWindows1251OrUtf8)
{
    const QByteArray cp1251("[\xC7\xE2\xEE\xED\xEE\xEA]\r\n<0a\rMODULE=1", 22);
    const QStringList lines = TParamModel::DescriptionLines(cp1251);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("[Звонок]"), "<0a", "MODULE=1"}));
    EXPECT_EQ(TParamModel::DescriptionLines(QStringLiteral("[Звонок]\n").toUtf8()).first(),
              QStringLiteral("[Звонок]"));
}

TEST(ParamDescription, HostileInputEndsQuicklyWithAModel)
{
    // Every line starts a block that only the end of the file ends: without
    // care that is quadratic.
    QByteArray text("[T]\n<0a\n");
    for (int i = 0; i < 200000; ++i)
        text += "ID = 1\n";
    QElapsedTimer t;
    t.start();
    TParamModel m;
    m.LoadDescription(TParamModel::DescriptionLines(text), 112);
    EXPECT_LT(t.elapsed(), 20000);
    EXPECT_TRUE(m.Groups[0]->Params.empty());

    QByteArray junk(300000, '\0');
    QRandomGenerator rng(15);
    for (char &c : junk)
        c = char("[]<0123456789{}'*=\n IDNAMETYPEGROUPSETFLAGRANGE;VER-,"[rng.bounded(50)]);
    m.LoadDescription(TParamModel::DescriptionLines(junk), 112);
    SUCCEED();
}

namespace {

// Everything the reader builds, as text.
QString dump(const TParamModel &m)
{
    QString d = m.TabCaptions.join(QLatin1Char('|')) + QLatin1Char('\n');
    for (const auto &g : m.Groups) {
        d += QStringLiteral("G%1 %2\n").arg(g->Module).arg(g->TabIndex);
        for (const auto &n : g->Nodes)
            d += QStringLiteral("N%1 %2 %3\n").arg(n->Level).arg(n->Name).arg(n->Param ? n->Param->Id : -9);
        for (const auto &p : g->Params) {
            d += QStringLiteral("P%1 %2 %3 [%4]\n").arg(p->Id).arg(p->Name).arg(int(p->State)).arg(p->Description.join(u'/'));
            for (const TParamValue &v : p->Values)
                d += QStringLiteral(" V%1 %2 %3\n")
                         .arg(int(v.Kind))
                         .arg(QString::fromStdString(v.Allowed.to_string()))
                         .arg(v.Labels.join(u'/'));
        }
    }
    return d;
}

} // namespace

TEST(ParamDescription, TheFileReadLineByLineGivesTheSameModelForEveryLineEndAndEncoding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Params.vrx"));
    QList<QByteArray> texts{QByteArray(Example), QByteArray("[T]\n<0a\n") + QByteArray("ID = 1\nNAME = x\n{\n").repeated(3000)};
    QRandomGenerator rng(26);
    for (int k = 0; k < 6; ++k) {
        QByteArray junk(40000, '\0');
        for (char &c : junk)
            c = char("[]<0123456789{}'*=\n\n IDNAMETYPEGROUPSETFLAGRANGE;VER-,"[rng.bounded(51)]);
        texts << "[Tab]\n<0a\n" + junk;
    }
    for (const QByteArray &utf8 : texts)
        for (const char *end : {"\n", "\r\n", "\r"})
            for (bool cp1251 : {false, true}) {
                QByteArray bytes = utf8;
                bytes.replace("\n", end);
                if (cp1251)
                    bytes = Cp1251::Encode(QString::fromUtf8(bytes));
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                f.write(bytes);
                f.close();
                TParamModel fromLines, fromFile;
                fromLines.LoadDescription(vrx(utf8.constData()), 112);
                QString error;
                ASSERT_TRUE(fromFile.LoadDescriptionFile(path, 112, error));
                ASSERT_EQ(dump(fromFile), dump(fromLines)) << end << cp1251 << " " << utf8.left(40).toStdString();
            }
    EXPECT_EQ(dump(model(Example, 110)).count(QLatin1Char('P')), 2);
    QString error;
    TParamModel none;
    EXPECT_FALSE(none.LoadDescriptionFile(dir.filePath(QStringLiteral("none.vrx")), 110, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ParamModules, RefreshTakesPresenceFromTheIdentityAndResetsValues)
{
    TParamModel m = model("[m0]\n[m1]\nMODULE=1\n[m3]\nMODULE=3\n[m9]\nMODULE=9\n[m10]\nMODULE=10\n"
                          "<0a\nID=4\nNAME=n\n{\nTYPE=SET\n* x\nRANGE=0\n}\n<0b\nID=0\n'i'\n");
    m.Groups[4]->Params[0]->State = pvChanged;
    TPhoneIdentity id;
    id.PhoneOption2 = true;
    m.RefreshModules(id);
    QList<bool> present;
    for (const auto &g : m.Groups)
        present << g->ModulePresent;
    EXPECT_EQ(present, (QList<bool>{true, false, true, false, true}));
    EXPECT_EQ(m.Groups[4]->Params[0]->State, pvQuerying);
    EXPECT_EQ(m.Groups[4]->Params[1]->State, pvNoValue);
}

const char *TwoSlots = "[A]\n<0a\nID=7\nNAME=two\n{\nTYPE=FLAG\n* 0>x }\n{\nTYPE=SET\n* n\nRANGE=0\n}\n"
                       "<0b\nID=0\n'info'\n<0c\nID=-70000\nNAME=neg\n{\nTYPE=GROUP\n* 1>y }\n"
                       "[B]\n<0d\nID=7\nNAME=again\n{\nTYPE=SET\n* n\nRANGE=0\n}\n'd'\n";

TEST(ParamProfile, RecordsAreTwelveBytesPerNumberedParameter)
{
    TParamModel m = model(TwoSlots);
    TParam *two = m.Groups[0]->Params[0].get();
    two->Values[0].Value = 3;
    two->Values[1].Value = 0x1234;
    two->State = pvChanged;
    const QByteArray b = m.ProfileBytes(true);
    ASSERT_EQ(b.size(), 3 * 12);
    EXPECT_EQ(b.left(12), QByteArray("\x07\0\0\0\x02\0\x03\0\x34\x12\0\0", 12));
    EXPECT_EQ(TProfileRecord::FromBytes(b.constData() + 12).ParamId, -70000);
    EXPECT_EQ(TProfileRecord::FromBytes(b.constData() + 12).Count, 0);
    EXPECT_EQ(two->State, pvDefined);
}

TEST(ParamProfile, ApplyingRecords)
{
    TParamModel m = model(TwoSlots);
    TProfileRecord r;
    r.ParamId = 7;
    r.Count = 1;
    r.Value1 = 9;
    m.ApplyProfileRecord(r);
    // Count 1 for a two-slot parameter leaves one slot; the number is set in every group.
    const TParam *two = m.Groups[0]->Params[0].get();
    ASSERT_EQ(two->Values.size(), 1);
    EXPECT_EQ(two->Values[0].Value, 9);
    EXPECT_EQ(two->Values[0].Kind, skFlag);
    EXPECT_EQ(two->State, pvDefined);
    EXPECT_EQ(m.Groups[1]->Params[0]->State, pvDefined);
    // Count 0 changes nothing; a record numbered 0 never touches the description-only entries.
    r.Count = 0;
    r.Value1 = 1;
    m.ApplyProfileRecord(r);
    EXPECT_EQ(two->Values[0].Value, 9);
    TProfileRecord zero;
    zero.Count = 2;
    m.ApplyProfileRecord(zero);
    m.ApplyProfileBytes(zero.ToBytes());
    EXPECT_EQ(m.Groups[0]->Params[1]->State, pvNoValue);
    EXPECT_TRUE(m.Groups[0]->Params[1]->Values.isEmpty());
}

TEST(ParamProfile, FilesRoundTripAndReportWhatTheyCannotUse)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("p.AON"));
    TParamModel m = model(TwoSlots);
    m.Groups[0]->Params[2]->Values[0].Value = 1;
    m.Groups[0]->Params[2]->State = pvDefined;
    QString error, warning;
    ASSERT_TRUE(m.SaveProfile(file, error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(file).size(), 36);

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("12345");   // a tail that forms no record
    f.close();
    TParamModel n = model(TwoSlots);
    ASSERT_TRUE(n.LoadProfile(file, error, &warning));
    EXPECT_TRUE(warning.contains(QStringLiteral("5 bytes")));
    EXPECT_EQ(n.Groups[0]->Params[2]->State, pvDefined);
    EXPECT_EQ(n.Groups[0]->Params[0]->State, pvQuerying);

    EXPECT_FALSE(n.LoadProfile(dir.filePath(QStringLiteral("missing.AON")), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(n.SaveProfile(dir.filePath(QStringLiteral("no/such/folder/p.AON")), error));
}

} // namespace

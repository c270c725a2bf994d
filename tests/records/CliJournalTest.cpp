// konvelo-cli journal and book subcommands, run as a script would run them.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct CliRun {
    int code = -1;
    QByteArray out, err;
    QList<QJsonObject> lines() const
    {
        QList<QJsonObject> list;
        for (const QByteArray &l : out.split('\n'))
            if (!l.isEmpty())
                list << QJsonDocument::fromJson(l).object();
        return list;
    }
};

class CliJournal : public ::testing::Test {
protected:
    void SetUp() override
    {
        FCli = QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli");
        if (!QFile::exists(FCli))
            GTEST_SKIP() << "konvelo-cli is not built";
    }
    CliRun cli(QStringList args) const
    {
        args << QStringLiteral("--home") << FTmp.path();
        QProcess p;
        p.start(FCli, args);
        p.waitForFinished(60000);
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QString FCli;
    QTemporaryDir FTmp;
};
}

TEST_F(CliJournal, AddListSortFilterAndExport)
{
    EXPECT_EQ(cli({"journal", "add", "in", R"({"Phone":"1234567","Time":"2026-12-09T10:15:30.000","Length":"00:01:23","Category":3,"AutoAnswer":true,"Field_1":"Иванов, \"ООО\""})"}).out,
              "1\n");
    EXPECT_EQ(cli({"journal", "add", "in", R"({"Phone":"7654321","Time":"2026-12-10T08:00:00.000"})"}).out, "2\n");
    EXPECT_EQ(cli({"journal", "add", "in", R"({"Phone":"1","Time":"2026-12-08T08:00:00.000"})"}).out, "3\n");

    // Default order: the stored sort setting, newest first.
    QList<QJsonObject> rows = cli({"journal", "list", "in"}).lines();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(0).value("Phone").toString(), QStringLiteral("7654321"));
    EXPECT_EQ(rows.at(1).value("Length").toString(), QStringLiteral("00:01:23"));
    EXPECT_EQ(rows.at(1).value("Time").toString(), QStringLiteral("2026-12-09T10:15:30.000"));
    EXPECT_TRUE(rows.at(1).value("AutoAnswer").toBool());
    EXPECT_EQ(rows.at(1).value("Category").toInt(), 3);
    EXPECT_TRUE(rows.at(1).value("Field_2").isNull());

    rows = cli({"--sort", "Phone", "journal", "list", "in", "--limit", "2"}).lines();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(0).value("Phone").toString(), QStringLiteral("1"));
    // A field the journal does not sort on keeps the stored order; no field at all is refused.
    EXPECT_EQ(cli({"journal", "list", "in", "--sort", "FileName"}).lines().first().value("Phone").toString(),
              QStringLiteral("7654321"));
    EXPECT_EQ(cli({"journal", "list", "in", "--sort", "Phone; DROP TABLE InCalls"}).code, 2);

    rows = cli({"journal", "list", "in", "--filter", "Phone = '12*' or Category = 9"}).lines();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.at(0).value("Call_ID").toInt(), 1);
    const CliRun bad = cli({"journal", "list", "in", "--filter", "Phone = "});
    EXPECT_EQ(bad.code, 2);
    EXPECT_FALSE(bad.err.isEmpty());

    const QString csvFile = QDir(FTmp.path()).filePath(QStringLiteral("in.csv"));
    EXPECT_EQ(cli({"journal", "export", "in", "--format", "csv", "--output", csvFile, "--sort", "Phone"}).code, 0);
    QFile f(csvFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray csv = f.readAll();
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF" "Call_ID,Phone,Category,Time,Length,AutoAnswer,"));
    EXPECT_TRUE(csv.contains(QStringLiteral("1,1234567,3,2026-12-09T10:15:30.000,00:01:23,true,,,\"Иванов, \"\"ООО\"\"\",")
                                 .toUtf8()));
    EXPECT_EQ(csv.count("\r\n"), 4);
    EXPECT_EQ(cli({"journal", "export", "in", "--format", "json"}).lines().size(), 3);
    EXPECT_EQ(cli({"journal", "export", "in", "--format", "xls"}).code, 2);

    EXPECT_EQ(cli({"journal", "add", "in", R"({"Phone":"1","Nope":2})"}).code, 2);
    EXPECT_EQ(cli({"journal", "add", "in", R"({"Phone":"1","Time":"yesterday"})"}).code, 2);
    EXPECT_EQ(cli({"journal", "list", "in"}).lines().size(), 3);
}

TEST_F(CliJournal, DeleteClearAndFindPhone)
{
    const QString wav = QDir(FTmp.path()).filePath(QStringLiteral("Out_1.wav"));
    QFile w(wav);
    ASSERT_TRUE(w.open(QIODevice::WriteOnly));
    w.close();
    cli({"journal", "add", "out", QStringLiteral(R"({"Phone":"555","Attributes":16,"FileName":"%1"})").arg(wav)});
    cli({"journal", "add", "out", R"({"Phone":"556"})"});
    cli({"journal", "add", "out", R"({"Phone":"600"})"});
    EXPECT_EQ(cli({"journal", "delete", "out", "1", "--files"}).code, 0);
    EXPECT_FALSE(QFile::exists(wav));
    EXPECT_EQ(cli({"journal", "delete", "out", "1"}).code, 1);
    EXPECT_EQ(cli({"journal", "clear", "out", "--filter", "Phone = '55*'"}).lines().first().value("deleted").toInt(), 1);
    QList<QJsonObject> rows = cli({"journal", "list", "out"}).lines();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.at(0).value("Phone").toString(), QStringLiteral("600"));

    cli({"journal", "add", "book", R"({"Phone":"???????","Name":"Неизвестный"})"});
    cli({"journal", "add", "book", R"({"Phone":"1234567","Name":"Иванов","Attributes":37,"Volume":50,"Creschendo":true})"});
    const CliRun found = cli({"book", "find-phone", "1234567"});
    EXPECT_EQ(found.code, 0);
    ASSERT_EQ(found.lines().size(), 1);
    EXPECT_EQ(found.lines().first().value("Name").toString(), QStringLiteral("Иванов"));
    EXPECT_EQ(found.lines().first().value("Attributes").toInt(), 37);
    EXPECT_EQ(cli({"book", "find-phone", ""}).lines().value(0).value("Name").toString(), QStringLiteral("Неизвестный"));
    EXPECT_EQ(cli({"book", "find-phone", "7777777"}).code, 1);
}

TEST_F(CliJournal, HotButtonsBindOnlyExistingSubscribersAndRepairTheFile)
{
    cli({"journal", "add", "book", R"({"Phone":"1234567","Name":"Иванов"})"});
    EXPECT_EQ(cli({"hotbuttons", "assign", "2", "1"}).code, 0);
    EXPECT_EQ(cli({"hotbuttons", "assign", "3", "99"}).code, 1);    // no such subscriber
    EXPECT_EQ(cli({"hotbuttons", "assign", "19", "1"}).code, 2);
    QList<QJsonObject> rows = cli({"hotbuttons", "show"}).lines();
    ASSERT_EQ(rows.size(), 18);
    EXPECT_EQ(rows.at(1).value("Person_ID").toInt(), 1);
    EXPECT_EQ(rows.at(1).value("Name").toString(), QStringLiteral("Иванов"));
    EXPECT_EQ(rows.at(2).value("Person_ID").toInt(), -1);

    const QString cfg = QDir(FTmp.path()).filePath(QStringLiteral("Data/HotBtns.cfg"));
    {
        QFile f(cfg);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("5\r\nabc\r\n");
    }
    const CliRun shown = cli({"hotbuttons", "show"});
    EXPECT_FALSE(shown.err.isEmpty());
    EXPECT_EQ(shown.lines().at(0).value("Person_ID").toInt(), 5);
    EXPECT_EQ(shown.lines().at(1).value("Person_ID").toInt(), -1);
    QFile f(cfg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count("\r\n"), 18);   // written back whole
    EXPECT_EQ(cli({"hotbuttons", "free", "1"}).code, 0);
    EXPECT_EQ(cli({"hotbuttons", "show"}).lines().at(0).value("Person_ID").toInt(), -1);
}

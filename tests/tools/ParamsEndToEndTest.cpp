// The phone's parameters against konvelo-phonesim: the bulk read and write
// over the real phone link, and konvelo-cli's profile commands.
#include "EndToEndTest.h"
#include "phone/TPhone.h"
#include "phonesettings/TParamTransfer.h"
#include "phonesettings/TPhoneParamLink.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QEventLoop>
#include <QTimer>

namespace {

class ParamHost : public TPhoneHost {
public:
    std::function<void(quint16, const QList<quint16> &)> onParam;
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void ParamReceived(quint16 address, const QList<quint16> &values) override
    {
        if (onParam)
            onParam(address, values);
    }
};

class ParamsTest : public EndToEndTest {
protected:
    // One tab with Count number fields, parameters 1..Count.
    QString description(int count)
    {
        QByteArray text("[Параметры]\n<0Все\n");
        for (int i = 1; i <= count; ++i)
            text += QStringLiteral("<1P%1\nID = %1\nNAME = Параметр %1\n{\nTYPE = SET\n* n\nRANGE = 0\n}\n'%1'\n")
                        .arg(i).toUtf8();
        return write(QStringLiteral("Params.vrx"), text);
    }
    QString store(int count)
    {
        QByteArray text;
        for (int i = 1; i <= count; ++i)
            text += QByteArray::number(i) + '=' + QByteArray::number(i * 3 % 256) + '\n';
        return write(QStringLiteral("params.txt"), text);
    }
    TParamModel load(const QString &file)
    {
        TParamModel m;
        QStringList lines;
        QString error;
        EXPECT_TRUE(TParamModel::ReadDescriptionFile(file, lines, error));
        m.LoadDescription(lines, 112);
        return m;
    }
    // Runs a transfer over a phone link on the simulator's device.
    TTransferResult run(PhoneSimProcess &sim, TParamModel &m, TTransferMode mode, int limitMs)
    {
        ParamHost host;
        TPhone phone(&host);
        phone.SetPort(sim.device());
        EXPECT_TRUE(phone.Connect());
        TPhoneParamLink link(phone);
        std::unique_ptr<TParamTransfer> t;
        TQtParamTimer timer([&] { t->TimerTick(); });
        t = std::make_unique<TParamTransfer>(m, link, timer);
        host.onParam = [&](quint16 a, const QList<quint16> &v) { t->ParamAnswer(a, v); };
        bool done = false;
        TTransferResult result = tdCancelled;
        t->OnDone = [&](TTransferResult r) {
            done = true;
            result = r;
        };
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] { t->StartTransfer(mode); });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done)
                loop.quit();
        });
        poll.start(20);
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_TRUE(done);
        if (done && result == tdDone && mode == ptmRead)
            t->ApplyReadValues();
        return result;
    }
    static int addressOf(const QByteArray &cmd) { return (cmd.at(1) << 12) | (cmd.at(2) << 8) | (cmd.at(3) << 4) | cmd.at(4); }
};

TEST_F(ParamsTest, ReadsFortyParametersPastOneThatNeverAnswers)
{
    const QString vrx = description(40);
    auto sim = startSim({QStringLiteral("--params"), store(40), QStringLiteral("--drop-param"), QStringLiteral("17")});
    TParamModel m = load(vrx);
    ASSERT_EQ(m.ParamCount(), 40);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(run(*sim, m, ptmRead, 30000), tdDone);
    EXPECT_GE(t.elapsed(), 5000);   // eleven requests 500 ms apart for the silent one
    int known = 0;
    for (const auto &p : m.Groups[0]->Params) {
        if (p->Id == 17) {
            EXPECT_EQ(p->State, pvQuerying);
            continue;
        }
        known += p->State == pvDefined;
        EXPECT_EQ(p->Values[0].Value, p->Id * 3 % 256) << p->Id;
    }
    EXPECT_EQ(known, 39);
    int asked17 = 0;
    for (const QByteArray &c : sim->log().commands())
        asked17 += uchar(c.at(0)) == 0x9A && c.size() >= 5 && addressOf(c) == 17;
    EXPECT_EQ(asked17, 11);
}

TEST_F(ParamsTest, WritingThreeChangedParametersSendsSixCommands)
{
    const QString vrx = description(40);
    auto sim = startSim({QStringLiteral("--params"), store(40)});
    TParamModel m = load(vrx);
    for (auto &p : m.Groups[0]->Params)
        p->State = pvDefined;
    for (int id : {3, 20, 38}) {
        m.Groups[0]->Params[size_t(id - 1)]->State = pvChanged;
        m.Groups[0]->Params[size_t(id - 1)]->Values[0].Value = quint16(200 + id);
    }
    EXPECT_EQ(run(*sim, m, ptmWriteChanged, 20000), tdDone);
    QThread::msleep(300);
    QList<int> written;
    for (const QByteArray &c : sim->log().commands())
        if (uchar(c.at(0)) == 0x99)
            written << addressOf(c);
    EXPECT_EQ(written, (QList<int>{38, 38, 20, 20, 3, 3}));
}

TEST_F(ParamsTest, CliProfileWrittenAndReadBackIsByteIdentical)
{
    REQUIRE_CLI("profile");
    const QString vrx = description(12);
    QByteArray profile;
    for (int i = 1; i <= 12; ++i) {
        TProfileRecord r;
        r.ParamId = i;
        r.Count = 1;
        r.Value1 = quint16(250 - i);
        profile += r.ToBytes();
    }
    const QString in = write(QStringLiteral("in.AON"), profile);
    const QString storeFile = path(QStringLiteral("phone.AON"));
    auto sim = startSim({QStringLiteral("--params-store"), storeFile});
    CliProcess w;
    ASSERT_TRUE(w.run(cliArgs({"profile", "write", "--port", sim->device(), "--params", vrx, in}), 30000));
    EXPECT_EQ(w.exitCode(), 0) << w.errorText().toStdString();
    EXPECT_TRUE(w.errorText().contains(QStringLiteral("write 12/12"))) << w.errorText().toStdString();
    EXPECT_EQ(QFileInfo(storeFile).size(), 12 * 12);

    const QString out = path(QStringLiteral("out.AON"));
    CliProcess r;
    ASSERT_TRUE(r.run(cliArgs({"profile", "read", "--port", sim->device(), "--params", vrx, out}), 30000));
    EXPECT_EQ(r.exitCode(), 0) << r.errorText().toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), profile);

    CliProcess d;
    ASSERT_TRUE(d.run(cliArgs({"profile", "dump", out}), 10000));
    ASSERT_EQ(d.lines().size(), 12);
    EXPECT_EQ(d.lines().first(), QStringLiteral(R"({"ParamId":1,"Count":1,"Value1":249})"));
}

TEST_F(ParamsTest, CliReadEndsWithNoLinkWhenThePhoneFallsSilent)
{
    REQUIRE_CLI("profile");
    // The link counts as lost after 15 s of silence: by then the third and
    // fourth parameters have had their eleven requests each.
    const QString vrx = description(8);
    auto sim = startSim({QStringLiteral("--params"), store(8), QStringLiteral("--offline-after-params"),
                         QStringLiteral("2")});
    const QString out = path(QStringLiteral("out.AON"));
    CliProcess r;
    ASSERT_TRUE(r.run(cliArgs({"profile", "read", "--port", sim->device(), "--params", vrx, "--firmware", "112", out}),
                      60000));
    EXPECT_NE(r.exitCode(), 0);
    EXPECT_TRUE(r.errorText().contains(QStringLiteral("Нет связи с телефоном"))) << r.errorText().toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace

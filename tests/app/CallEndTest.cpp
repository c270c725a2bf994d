// Every way a call can end gives it a real start: the port vanishing during a
// ring or a talk, and the program ended by SIGTERM while it rings. And a call
// neither the journal nor its backlog file can take is reported before exit.
#include "CallTestLine.h"
#include "MainTestSupport.h"
#include "app/TMain.h"
#include "ui/TFormMessage.h"
#include "common/BaseFolder.h"
#include "phone/TManualClock.h"
#include "records/TIncomingCallBook.h"
#include "tools/PhoneSimProcess.h"
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <sqlite3.h>

namespace {

// The line with a phone whose clock moves only when the test says so: the
// watchdog's 15 s of silence pass at once.
class LostPortTest : public CallTestLine {
protected:
    void SetUp() override
    {
        CallTestLine::SetUp();
        FConfig->RecordIncomingCalls = false;
        FHandler.reset();
        FPhone = std::make_unique<TPhone>(FSession.Host(), &FClock);
        FPhone->Disconnect();
        FHandler = std::make_unique<TCallHandler>(*FPhone, FSession, *FConfig, *FBook, *FIn, *FOut, *FRecorder,
                                                  *FSound, FView);
        FHandler->Attach(*FPhone);
        FHandler->Clock = [this] { return FClock.now(); };
    }
    void TearDown() override
    {
        CallTestLine::TearDown();
        FPhone.reset();   // its timers belong to the clock
    }
    // The simulator goes away with the line in this state; the watchdog's
    // silence then ends the call.
    void losePort()
    {
        FSim->kill();
        spin(500);
        FClock.advance(TPhone::SilenceLimit + TPhone::WatchdogInterval + 100);
    }
    double seconds(const QVariant &length) const { return length.toDouble() * 86400.0; }

    TManualClock FClock;
};

TEST_F(LostPortTest, PortThatVanishesDuringARingOrATalkEndsTheCallFromARealStart)
{
    QList<TInCall> ended;
    QObject::connect(FHandler.get(), &TCallHandler::InCallEnded,
                     [&](const TInCall &Row, TCallAttributes) { ended << Row; });
    // Ringing with the number, nobody answered: the call starts when it ends.
    ASSERT_TRUE(startLine());
    FSim->feed(QStringLiteral("ring\nnumber 2 5559876\nring"));
    ASSERT_TRUE(spinUntil([&] { return !FPhone->CurrentPhone().isEmpty(); }, 10000));
    const TDateTime before = FClock.now();
    losePort();
    ASSERT_TRUE(spinUntil([&] { return inRows().size() == 1; }, 5000));
    QVariantMap row = inRows().last();
    EXPECT_EQ(row.value("Phone").toString(), QStringLiteral("5559876"));
    EXPECT_GE(row.value("Time").toDouble(), before.value());
    EXPECT_LE(row.value("Time").toDouble(), FClock.now().value());
    EXPECT_LT(seconds(row.value("Length")), 1.0);
    EXPECT_EQ(FPhone->State(), psOffline);
    // The feed hears the same start.
    ASSERT_EQ(ended.size(), 1);
    EXPECT_DOUBLE_EQ(ended.last().Time.value(), row.value("Time").toDouble());

    // A talk: the call starts when it was answered and lasts until the port went.
    ASSERT_TRUE(startLine());
    FSim->feed(QStringLiteral("ring\nnumber 1 5553412\nring\nwait 0.2\nlift"));
    ASSERT_TRUE(spinUntil([&] { return FPhone->ReceiverState() == rsUp; }, 10000));
    const TDateTime answered = FPhone->CallStart();
    ASSERT_FALSE(answered.isZero());
    losePort();
    ASSERT_TRUE(spinUntil([&] { return inRows().size() == 2; }, 5000));
    row = inRows().last();
    EXPECT_EQ(row.value("Phone").toString(), QStringLiteral("5553412"));
    EXPECT_DOUBLE_EQ(row.value("Time").toDouble(), answered.value());
    EXPECT_GT(seconds(row.value("Length")), TPhone::SilenceLimit / 1000.0);
}

// The program itself against the simulator, ended by SIGTERM.
class ProgramEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MainTestSupport::EnsureApp();
        ASSERT_TRUE(FDir.isValid());
        FSim = std::make_unique<PhoneSimProcess>(FDir.filePath(QStringLiteral("sim.log")),
                                                 QStringList{QStringLiteral("--keepalive"), QStringLiteral("1000")});
        QString error;
        ASSERT_TRUE(FSim->start(&error)) << error.toStdString();
        ASSERT_TRUE(MainTestSupport::WriteSettings(FDir.path(), FDir.filePath(QStringLiteral("Records")),
                                                   FSim->device(), [](TConfig &c) {
                                                       c.AskForCalls = false;
                                                       c.RecordIncomingCalls = false;
                                                   }));
    }
    void TearDown() override
    {
        if (FProgram.state() != QProcess::NotRunning) {
            FProgram.kill();
            FProgram.waitForFinished();
        }
        if (FSim)
            FSim->stop();
    }
    // Starts konvelo on the base folder; true once it has asked the phone who it is.
    bool startProgram()
    {
        const QString program = QDir(QStringLiteral(KONVELO_BIN_DIR)).filePath(QStringLiteral("src/app/konvelo"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        FProgram.setProcessEnvironment(env);
        FProgram.start(program, {QStringLiteral("--home"), FDir.path()});
        return FProgram.waitForStarted(5000)
               && MainTestSupport::SpinUntil([&] { return FSim->log().countCommands(0x95) > 0; }, 15000);
    }
    bool terminate()
    {
        ::kill(pid_t(FProgram.processId()), SIGTERM);
        return FProgram.waitForFinished(30000) && FProgram.exitStatus() == QProcess::NormalExit
               && FProgram.exitCode() == 0;
    }
    QString journal() const { return FDir.filePath(QStringLiteral("Data/InCalls")); }

    QTemporaryDir FDir;
    std::unique_ptr<PhoneSimProcess> FSim;
    QProcess FProgram;
};

TEST_F(ProgramEndTest, SigtermWhileItRingsBeforeAndAfterTheNumberWritesTheCallFromNow)
{
    for (const bool withNumber : {false, true}) {
        SCOPED_TRACE(withNumber ? "after the number" : "before the number");
        ASSERT_TRUE(startProgram());
        FSim->feed(withNumber ? QStringLiteral("ring\nwait 0.3\nnumber 2 5559876\nring") : QStringLiteral("ring"));
        MainTestSupport::Spin(1500);
        const TDateTime before = TDateTime::now();
        ASSERT_TRUE(terminate()) << FProgram.readAllStandardError().constData();
        const TDateTime after = TDateTime::now();

        TIncomingCallBook in(journal());
        in.last();
        ASSERT_EQ(in.recordCount(), withNumber ? 2 : 1);
        EXPECT_EQ(in.fieldValue(QStringLiteral("Phone")).toString(),
                  withNumber ? QStringLiteral("5559876") : QStringLiteral("?"));
        // Ended unanswered at the program's end: it starts then and lasts nothing.
        const double time = in.fieldValue(QStringLiteral("Time")).toDouble();
        EXPECT_GE(time, before.value() - 1.0 / 86400);
        EXPECT_LE(time, after.value());
        EXPECT_LT(in.fieldValue(QStringLiteral("Length")).toDouble() * 86400.0, 1.0);
    }
}

TEST_F(ProgramEndTest, CallNoFileCanTakeIsReportedOnStandardErrorAtSigterm)
{
    ASSERT_TRUE(startProgram());
    // Another program holds the journal, and a folder stands where the backlog
    // file would go: the call can be kept in memory only.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open((journal() + QStringLiteral(".cds")).toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(QDir().mkpath(journal() + QStringLiteral(".cds.pending")));
    FSim->feed(QStringLiteral("number 2 5551234\nring\nwait 0.3\nhangup"));
    MainTestSupport::Spin(2000);
    ASSERT_TRUE(terminate());
    const QString err = QString::fromUtf8(FProgram.readAllStandardError());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(err.contains(QStringLiteral("5551234"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("будут потеряны"))) << err.toStdString();
}

TEST_F(ProgramEndTest, DamagedBacklogIsReportedInTheMessageWindowAndItsRowsGoIn)
{
    // Two whole rows and a torn third, left by an earlier run.
    ASSERT_TRUE(QDir().mkpath(FDir.filePath(QStringLiteral("Data"))));
    {
        QFile f(journal() + QStringLiteral(".cds.pending"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 3; ++i) {
            const QByteArray line = QStringLiteral("{\"key\":\"k%1\",\"row\":[\"555000%1\",1,46000.%1,0.001,0,null,null,"
                                                   "null,null,null,null,null,null,null,null,0],\"table\":\"InCalls\"}\r\n")
                                        .arg(i + 1)
                                        .toUtf8();
            f.write(i == 2 ? line.left(50) : line);
        }
    }
    BaseFolder::set(FDir.path());
    auto main = std::make_unique<TMain>();
    main->ConfirmExit = [] { return true; };
    TFormMessage *info = main->FormMessage();
    ASSERT_TRUE(MainTestSupport::SpinUntil([&] { return info->isVisible(); }));
    EXPECT_EQ(info->FirstLine(), QStringLiteral("Файл отложенных звонков повреждён"));
    EXPECT_TRUE(info->SecondLine().contains(QStringLiteral("Восстановлено звонков: 2")))
        << info->SecondLine().toStdString();
    EXPECT_TRUE(info->SecondLine().contains(QStringLiteral("InCalls.cds.pending.bad-")))
        << info->SecondLine().toStdString();
    EXPECT_EQ(main->InCalls()->recordCount(), 2);
    main->CloseWithoutAsking();
}

} // namespace

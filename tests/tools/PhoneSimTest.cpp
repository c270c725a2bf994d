// The simulator on its own, with a QSerialPort playing the program's side.
#include "PhoneSimProcess.h"
#include "TSimScript.h"
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(char(v));
    return b;
}

class ProgramSide {
public:
    bool open(const QString &device)
    {
        FPort.setPortName(device);
        FPort.setBaudRate(9600);
        return FPort.open(QIODevice::ReadWrite);
    }
    void close() { FPort.close(); }
    void send(const QByteArray &b)
    {
        FPort.write(b);
        FPort.waitForBytesWritten(1000);
    }
    // Reads until count bytes arrived or the time ran out.
    QByteArray read(int count, int timeoutMs = 3000)
    {
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            if (FPort.bytesAvailable() == 0)
                FPort.waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(100))));
            got += FPort.read(count - got.size());
        }
        return got;
    }
    // Everything that arrives within the time.
    QByteArray drain(int msecs) { return read(1 << 20, msecs); }
    QByteArray exchange(const QByteArray &command, int replyLength)
    {
        send(command);
        return read(replyLength);
    }

private:
    QSerialPort FPort;
};

class PhoneSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PhoneSimProcess::ensureApplication();
        ASSERT_TRUE(FDir.isValid());
    }
    QString path(const QString &name) const { return FDir.filePath(name); }
    void write(const QString &name, const QByteArray &text)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    std::unique_ptr<PhoneSimProcess> startSim(const QStringList &args, const QString &scenario = QStringLiteral("-"))
    {
        const QString log = path(QStringLiteral("sim%1.log").arg(++FSims));
        auto sim = std::make_unique<PhoneSimProcess>(log, args, scenario);
        QString error;
        EXPECT_TRUE(sim->start(&error)) << error.toStdString();
        return sim;
    }
    QTemporaryDir FDir;
    int FSims = 0;
};

TEST_F(PhoneSimTest, AnswersTheIdentityChainAsConfigured)
{
    auto sim = startSim({"--model", "12.3.Т.0.4Ф7", "--options", "01011000", "--firmware", "109", "--code", "54321"});
    ProgramSide prog;
    ASSERT_TRUE(prog.open(sim->device()));
    const QByteArray block = bytes({0, 12, 0, 0, 3, 1, 0, 0, 4, 14, 7, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0});
    EXPECT_EQ(prog.exchange(bytes({0x9D}), 3 + 23), bytes({0x48, 1, 7}) + block);
    EXPECT_EQ(prog.exchange(bytes({0x9C}), 4), bytes({0x47, 0, 6, 13}));
    EXPECT_EQ(prog.exchange(bytes({0x95}), 6), bytes({0x44, 5, 4, 3, 2, 1}));
    prog.close();
    EXPECT_EQ(sim->stop(), 0);
    // A four-digit individual number is padded with a code that gives no character.
    auto four = startSim({"--code", "1234"});
    ASSERT_TRUE(prog.open(four->device()));
    EXPECT_EQ(prog.exchange(bytes({0x95}), 6), bytes({0x44, 1, 2, 3, 4, 11}));
}

TEST_F(PhoneSimTest, CallMemoryAnswersByCellWithTheFirmwaresCellFormat)
{
    write(QStringLiteral("mem.txt"), "# newest first\n"
                                     "in  05.03 14:07 0:01:27 4 1 1234567\n"
                                     "out 07.03 11:11 1:00:00 1 9 55*1\n"
                                     "in  31.02 10:00 25:00:00 0 2\n");
    auto sim = startSim({"--memory", path(QStringLiteral("mem.txt")), "--firmware", "112"});
    ProgramSide prog;
    ASSERT_TRUE(prog.open(sim->device()));
    EXPECT_EQ(prog.exchange(bytes({0x92, 0, 0, 0, 0}), 22),
              bytes({0x41, 7, 1, 2, 3, 4, 5, 6, 7, 1, 14, 7, 5, 3, 0, 1, 27, 4, 0, 0, 0, 0}));
    // A record without a number, with an impossible date and duration, is still a record.
    EXPECT_EQ(prog.exchange(bytes({0x92, 0, 0, 0, 1}), 15), bytes({0x41, 0, 2, 10, 0, 31, 2, 25, 0, 0, 0, 0, 0, 0, 0}));
    // Past the last record: an empty cell.
    EXPECT_EQ(prog.exchange(bytes({0x92, 0, 0, 0, 2}), 15), QByteArray(1, char(0x41)) + QByteArray(14, char(0)));
    EXPECT_EQ(prog.exchange(bytes({0x92, 0, 6, 0, 0}), 15), QByteArray(1, char(0x41)) + QByteArray(14, char(0)));
    // Outgoing: no category byte, twelve bytes after the codes; the star is code 10.
    EXPECT_EQ(prog.exchange(bytes({0x93, 0, 0, 0, 0}), 18),
              bytes({0x42, 4, 5, 5, 10, 1, 11, 11, 7, 3, 1, 0, 0, 1, 0, 0, 0, 0}));
    prog.close();
    sim->stop();

    // Firmware 109 takes the cell as one byte.
    auto old = startSim({"--memory", path(QStringLiteral("mem.txt")), "--firmware", "109"});
    ASSERT_TRUE(prog.open(old->device()));
    EXPECT_EQ(prog.exchange(bytes({0x93, 0}), 18), bytes({0x42, 4, 5, 5, 10, 1, 11, 11, 7, 3, 1, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(prog.exchange(bytes({0x92, 1}), 15), bytes({0x41, 0, 2, 10, 0, 31, 2, 25, 0, 0, 0, 0, 0, 0, 0}));
    prog.close();
    old->stop();
    EXPECT_EQ(old->log().commandsStartingWith(bytes({0x92})), QList<QByteArray>{bytes({0x92, 1})});
}

TEST_F(PhoneSimTest, ParameterStoreAndClock)
{
    write(QStringLiteral("params.txt"), "300=5,0\n301=9 # one value\n");
    auto sim = startSim({"--params", path(QStringLiteral("params.txt"))});
    ProgramSide prog;
    ASSERT_TRUE(prog.open(sim->device()));
    EXPECT_EQ(prog.exchange(bytes({0x9A, 0, 1, 2, 12}), 11), bytes({0x45, 0, 1, 2, 12, 0, 2, 0, 5, 0, 0}));
    EXPECT_EQ(prog.exchange(bytes({0x9A, 0, 1, 2, 13}), 9), bytes({0x45, 0, 1, 2, 13, 0, 1, 0, 9}));
    // The write command carries its count; a value of 0x4B goes out as two nibbles.
    prog.send(bytes({0x99, 0, 1, 2, 12, 0, 1, 4, 11}));
    EXPECT_EQ(prog.exchange(bytes({0x9A, 0, 1, 2, 12}), 9), bytes({0x45, 0, 1, 2, 12, 0, 1, 4, 11}));
    // Unknown addresses get no answer, and writes to them are not kept.
    prog.send(bytes({0x99, 0, 3, 14, 7, 0, 1, 0, 1}));
    prog.send(bytes({0x9A, 0, 3, 14, 7}));
    EXPECT_EQ(prog.drain(600), QByteArray());

    prog.send(bytes({0x91, 14, 7, 9, 5, 3, 4}));
    const QByteArray clock = prog.exchange(bytes({0x81}), 7);
    ASSERT_EQ(clock.size(), 7);
    EXPECT_EQ(clock.mid(1, 1), bytes({14}));
    EXPECT_EQ(clock.mid(4), bytes({5, 3, 4}));
    prog.send(bytes({0x91, 23, 59, 0, 31, 12, 99}));
    EXPECT_EQ(prog.exchange(bytes({0x81}), 7).mid(4), bytes({31, 12, 99}));
    prog.close();
    sim->stop();
    const auto clockSets = sim->log().commandsStartingWith(bytes({0x91}));
    ASSERT_EQ(clockSets.size(), 2);
    EXPECT_EQ(clockSets.first(), bytes({0x91, 14, 7, 9, 5, 3, 4}));
}

TEST_F(PhoneSimTest, IgnoredCommandsDelayedRepliesAndSilence)
{
    auto sim = startSim({"--ignore", "9c,92", "--reply-delay", "200", "--firmware", "112"});
    ProgramSide prog;
    ASSERT_TRUE(prog.open(sim->device()));
    prog.send(bytes({0x9C}));
    prog.send(bytes({0x92, 0, 0, 0, 3}));
    prog.send(bytes({0x95}));
    prog.send(bytes({0x93, 0, 0, 0, 0}));
    // Only the answered ones come, in the order asked.
    EXPECT_EQ(prog.read(20), bytes({0x44, 1, 2, 3, 4, 5, 0x42}) + QByteArray(13, char(0)));
    EXPECT_EQ(prog.drain(500), QByteArray());

    // Silence: nothing at all, not even replies; afterwards the phone answers again.
    sim->feed(QStringLiteral("silence 1.5\nring"));
    QThread::msleep(400);   // the silence has begun
    prog.send(bytes({0x95}));
    EXPECT_EQ(prog.drain(700), QByteArray());
    EXPECT_EQ(prog.read(1), bytes({0x30}));
    EXPECT_EQ(prog.exchange(bytes({0x95}), 6), bytes({0x44, 1, 2, 3, 4, 5}));
    prog.close();
    sim->stop();
    EXPECT_EQ(sim->log().countCommands(0x9C), 1);
}

TEST_F(PhoneSimTest, ScenarioBytesSurviveTheProgramReopeningTheLine)
{
    auto sim = startSim({"--digit-gap", "5"});
    ProgramSide prog;
    ASSERT_TRUE(prog.open(sim->device()));
    sim->feed(QStringLiteral("ring  # comment\n"
                             "number 3 12?4\n"
                             "number 0\n"
                             "lift\nlift-parallel\nhangup\n"
                             "repeat 2\n  repeat 2\n    send 0x4A\n  end\n  message\nend\n"
                             "dial 12*\nautodial 90\n"
                             "answering-machine\nbusy-settings\nsend 41 0102 ff\nwait 0.1\n"));
    const QByteArray expected = bytes({0x30, 0x31, 3, 4, 1, 2, 10, 4, 0x31, 0, 0, 0x20, 0x22, 0x21, 0x4A, 0x4A, 0x32,
                                       0x4A, 0x4A, 0x32, 1, 2, 10, 0x28, 9, 0, 0x2C, 0x33, 0x41, 1, 2, 0xFF});
    EXPECT_EQ(prog.read(expected.size()), expected);

    // The program closes the port and opens it again, as it does every 7500 ms while
    // offline: the phone keeps answering, and what it sent meanwhile is not lost.
    prog.close();
    QThread::msleep(200);
    sim->feed(QStringLiteral("hangup"));
    QThread::msleep(200);
    ASSERT_TRUE(prog.open(sim->device()));
    EXPECT_EQ(prog.exchange(bytes({0x80}), 2), bytes({0x21, 0x21}));
    prog.close();
    EXPECT_EQ(sim->stop(), 0);
}

TEST_F(PhoneSimTest, DialCommandIsReportedAsTheCallTheProgramWatches)
{
    auto sim = startSim({"--pickup", "0.2", "--talk", "0.2", "--digit-gap", "10"});
    ProgramSide prog;
    ASSERT_TRUE(prog.open(sim->device()));
    // E12*345 with a pause group: the letter and the pause are not reported.
    prog.send(bytes({0x90, 13, 15, 2, 1, 2, 0, 12, 3, 15, 12, 5, 0, 4, 5}));
    EXPECT_EQ(prog.read(9), bytes({0x28, 1, 2, 10, 3, 4, 5, 0x20, 0x21}));
    // Hanging up while the phone dials ends the call at once.
    prog.send(bytes({0x90, 3, 7, 7, 7}));
    EXPECT_EQ(prog.read(1), bytes({0x28}));
    prog.send(bytes({0x80}));
    const QByteArray rest = prog.drain(1000);
    ASSERT_FALSE(rest.isEmpty());
    EXPECT_EQ(rest.back(), char(0x21));
    EXPECT_FALSE(rest.contains(char(0x20)));
    EXPECT_EQ(rest.count(char(0x21)), 1);
}

TEST_F(PhoneSimTest, UnfinishedCommandIsDroppedAndTheNextOneAnswered)
{
    auto sim = startSim({});
    ProgramSide prog;
    ASSERT_TRUE(prog.open(sim->device()));
    prog.send(bytes({0x91, 14}));
    QThread::msleep(1300);
    EXPECT_EQ(prog.exchange(bytes({0x9C}), 4), bytes({0x47, 0, 7, 0}));
    // Unknown bytes are skipped.
    EXPECT_EQ(prog.exchange(bytes({0x00, 0x7F, 0x9C}), 4), bytes({0x47, 0, 7, 0}));
}

TEST_F(PhoneSimTest, InvocationErrorsEndAtOnceWithUsageStatus)
{
    write(QStringLiteral("bad.txt"), "ring\nwait soon\n");
    write(QStringLiteral("open.txt"), "repeat 2\nring\n");
    const QList<QStringList> bad{{path(QStringLiteral("bad.txt"))},
                                 {path(QStringLiteral("open.txt"))},
                                 {"--model", "5.2.0.1"},
                                 {"--options", "1010"},
                                 {"--code", "123456"},
                                 {"--ignore", "zz"},
                                 {"--memory", path(QStringLiteral("missing.txt"))},
                                 {"--firmware", "-3"}};
    for (const QStringList &args : bad) {
        QProcess p;
        p.start(PhoneSimProcess::program(), args);
        ASSERT_TRUE(p.waitForFinished(5000)) << args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty()) << "no device is offered";
        EXPECT_FALSE(p.readAllStandardError().isEmpty());
    }
    QProcess p;
    p.start(PhoneSimProcess::program(), {path(QStringLiteral("bad.txt"))});
    p.waitForFinished(5000);
    EXPECT_TRUE(p.readAllStandardError().contains("line 2")) << "the message names the line";
}

TEST_F(PhoneSimTest, ExitAtEndOfScenarioAndOnSignals)
{
    write(QStringLiteral("short.txt"), "ring\nwait 0.2\nhangup\n");
    auto sim = startSim({"--exit-at-end", "--start-delay", "50"}, path(QStringLiteral("short.txt")));
    ProgramSide prog;
    ASSERT_TRUE(prog.open(sim->device()));
    EXPECT_EQ(prog.read(2), bytes({0x30, 0x21}));
    ASSERT_TRUE(sim->process().waitForFinished(5000));
    EXPECT_EQ(sim->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim->process().exitCode(), 0);
    prog.close();

    // Without --exit-at-end it stays, even after its standard input ends, until a signal.
    auto stays = startSim({});
    stays->feed(QStringLiteral("ring"));
    stays->closeInput();
    EXPECT_FALSE(stays->process().waitForFinished(500));
    EXPECT_EQ(stays->stop(), 0);
    auto interrupted = startSim({});
    ::kill(pid_t(interrupted->process().processId()), SIGINT);
    ASSERT_TRUE(interrupted->process().waitForFinished(5000));
    EXPECT_EQ(interrupted->process().exitCode(), 0);
}

// --device: the simulator on a serial device it is given (here the slave of a
// pseudo-terminal the test owns; the test plays the program on the master).
TEST_F(PhoneSimTest, OpensAGivenDevice)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));
    auto sim = startSim({"--device", slave, "--start-delay", "0"});
    EXPECT_EQ(sim->device(), slave);
    ASSERT_EQ(::write(master, "\x9C", 1), 1);
    QByteArray got;
    for (QDeadlineTimer d(3000); got.size() < 4 && !d.hasExpired();) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) {
            char buf[16];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, int(n));
        }
    }
    EXPECT_EQ(got, bytes({0x47, 0, 7, 0}));
    EXPECT_EQ(sim->stop(), 0);
    ::close(master);
}

TEST(SimScript, GrammarErrorsNameTheLineAndBlocksNest)
{
    TSimScript s;
    QString error;
    EXPECT_TRUE(s.addLine(QStringLiteral("repeat 2"), error));
    EXPECT_TRUE(s.addLine(QStringLiteral("  repeat 3"), error));
    EXPECT_TRUE(s.addLine(QStringLiteral("    ring"), error));
    EXPECT_TRUE(s.addLine(QStringLiteral("  end"), error));
    EXPECT_TRUE(s.takeReady().isEmpty()) << "a block is ready only at its end";
    EXPECT_TRUE(s.addLine(QStringLiteral("end # done"), error));
    const QList<TSimAction> ready = s.takeReady();
    ASSERT_EQ(ready.size(), 1);
    EXPECT_EQ(ready.first().count, 2);
    ASSERT_EQ(ready.first().body.size(), 1);
    EXPECT_EQ(ready.first().body.first().count, 3);

    for (const char *bad : {"end", "ring now", "number 256 1", "number 1 12a", "dial", "send 4G", "send",
                            "wait -1", "silence x", "repeat", "jump 3"}) {
        TSimScript t;
        EXPECT_TRUE(t.addLine(QStringLiteral("# first"), error));
        EXPECT_FALSE(t.addLine(QString::fromLatin1(bad), error)) << bad;
        EXPECT_TRUE(error.startsWith(QStringLiteral("line 2:"))) << error.toStdString();
    }
    TSimScript open;
    EXPECT_TRUE(open.addLine(QStringLiteral("repeat 1"), error));
    EXPECT_FALSE(open.finish(error));
}

// The demo scenario that scripts/demo.sh plays: valid, and about a minute long.
// Every scenario kept beside the simulator (the demos play them) is valid.
TEST(SimScript, KeptScenariosParse)
{
    const QDir dir(QStringLiteral(KONVELO_SOURCE_DIR "/tools/phonesim/scenarios"));
    const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files);
    EXPECT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        TSimScript s;
        QString error;
        for (const QByteArray &line : f.readAll().split('\n'))
            EXPECT_TRUE(s.addLine(QString::fromUtf8(line), error)) << name.toStdString() << ": " << error.toStdString();
        EXPECT_TRUE(s.finish(error)) << name.toStdString() << ": " << error.toStdString();
    }
}

TEST(SimScript, DemoScenarioParsesAndLastsAboutAMinute)
{
    QFile f(QStringLiteral(KONVELO_SOURCE_DIR "/tools/phonesim/scenarios/demo.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    TSimScript s;
    QString error;
    for (const QByteArray &line : f.readAll().split('\n'))
        ASSERT_TRUE(s.addLine(QString::fromUtf8(line), error)) << error.toStdString();
    ASSERT_TRUE(s.finish(error)) << error.toStdString();
    const int demoDigitGap = 300;   // as scripts/demo.sh runs it
    std::function<qint64(const QList<TSimAction> &)> length = [&](const QList<TSimAction> &actions) {
        qint64 ms = 0;
        for (const TSimAction &a : actions) {
            if (a.kind == TSimAction::Wait || a.kind == TSimAction::Silence)
                ms += a.msecs;
            else if (a.kind == TSimAction::Digits)
                ms += qint64(demoDigitGap) * (a.bytes.size() - 1);
            else if (a.kind == TSimAction::Repeat)
                ms += a.count * length(a.body);
        }
        return ms;
    };
    const QList<TSimAction> all = s.takeReady();
    const qint64 ms = length(all);
    EXPECT_GE(ms, 45000);
    EXPECT_LE(ms, 90000);
    // It shows a parallel-set answer, an unanswered call and digits dialled on the phone.
    QByteArray sent;
    std::function<void(const QList<TSimAction> &)> collect = [&](const QList<TSimAction> &actions) {
        for (const TSimAction &a : actions)
            a.kind == TSimAction::Repeat ? collect(a.body) : void(sent += a.bytes);
    };
    collect(all);
    EXPECT_TRUE(sent.contains(char(0x22)));
    EXPECT_GE(sent.count(char(0x21)), 3);
    EXPECT_TRUE(sent.contains(char(0x20)));
}

}

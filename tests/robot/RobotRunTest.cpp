// A run over a list: the phone link on a pseudo-terminal (the test reads the
// commands it sends and hands it the phone's robot codes), a real outgoing
// journal, and a clock the test moves.
#include "phone/PhoneTestSupport.h"
#include "phone/TManualClock.h"
#include "records/TAddressBook.h"
#include "records/TOutgoingCallBook.h"
#include "robot/IRobotRecorder.h"
#include "robot/TRobotRun.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Writes a file at the start of a recording and closes it at its end.
class FileRecorder : public IRobotRecorder {
public:
    explicit FileRecorder(QString dir) : FDir(std::move(dir)) {}
    QString PrepareRecordFile(const QString &Number) override
    {
        return QDir(FDir).filePath(QStringLiteral("Out_%1_%2.wav").arg(Number).arg(++FCount));
    }
    bool StartRecordTalk(const QString &FileName) override
    {
        FFile.setFileName(FileName);
        ++Started;
        return !Broken && FFile.open(QIODevice::WriteOnly) && FFile.write("RIFF") == 4;
    }
    void StopRecordTalk() override
    {
        FFile.close();
        ++Stopped;
    }
    int Started = 0;
    int Stopped = 0;
    bool Broken = false;

private:
    QString FDir;
    int FCount = 0;
    QFile FFile;
};

class RobotRun : public ::testing::Test {
protected:
    RobotRun()
        : out(dir.filePath(QStringLiteral("OutCalls"))), book(dir.filePath(QStringLiteral("AddressBook"))),
          phone(&host, &clock), recorder(dir.path()), run(list, config, schedule, phone, clock)
    {
        ensureApp();
        phone.SetPort(pty.slavePath());
        EXPECT_TRUE(phone.Connect());
        run.SetOutCalls(&out);
        run.SetAddressBook(&book);
        run.SetRecorder(&recorder);
        listFile = dir.filePath(QStringLiteral("list.txt"));
    }

    void makeList(const QStringList &numbers)
    {
        QList<TRobotEditorRow> rows;
        for (const QString &n : numbers)
            rows.append({n, QStringLiteral("Имя ") + n, 0});
        list.SetFromEditor(rows, true);
        ASSERT_TRUE(list.SaveList(listFile));
    }
    void rx(std::initializer_list<int> codes) { phone.Receive(bytes(codes)); }
    // The phone dials, the number is reached by the criterion.
    void reach() { rx({0x28, 0x01, 0x2A, 0x25, 0x26}); }
    // Moves the clock while the phone keeps talking (its silence watchdog stays quiet).
    void advanceAlive(int ms)
    {
        for (int t = 0; t < ms; t += 1000) {
            clock.advance(1000);
            phone.Receive({});
        }
    }
    QByteArray sent()
    {
        pumpUntil([] { return false; }, 20);
        return pty.readAll();
    }
    // Robot dial commands in what was sent, as their numbers' first digit.
    static QByteArray dialCommand(const QString &number, uint8_t flags)
    {
        QByteArray c(1, char(0x82));
        c.append(char(number.size()));
        for (QChar ch : number)
            c.append(char(ch.unicode() - u'0'));
        c.append(char(4)).append(char(6)).append(char(flags));
        return c;
    }
    TRobotList fileList()
    {
        TRobotList l;
        l.LoadList(listFile);
        return l;
    }

    QTemporaryDir dir;
    TOutgoingCallBook out;
    TAddressBook book;
    Pty pty;
    TManualClock clock;
    TPhoneHost host;
    TPhone phone;
    FileRecorder recorder;
    TRobotList list;
    TRobotConfig config;
    TRobotSchedule schedule;
    TRobotRun run;
    QString listFile;
};

} // namespace

TEST_F(RobotRun, ReachedRowsAreMarkedSavedAndWrittenAndTheListEnds)
{
    makeList({QStringLiteral("111"), QStringLiteral("222")});
    config.Passes = 1;
    QStringList finished;
    QObject::connect(&run, &TRobotRun::Finished, [&](const QString &w) { finished << w; });
    ASSERT_TRUE(run.Start(0));
    EXPECT_EQ(sent(), dialCommand(QStringLiteral("111"), 5));
    EXPECT_EQ(run.CallPhase(), rcpDialSent);
    rx({0x28, 0x01, 0x01});
    EXPECT_EQ(run.Panel(0), QStringLiteral(" Набор номера  11"));
    reach();
    EXPECT_EQ(run.CallPhase(), rcpConnected);
    EXPECT_EQ(sent(), bytes({0x9B, 0, 0, 1}));   // the message, no answer recording
    // Marks and counts on disk as soon as the number is reached.
    EXPECT_EQ(fileList().Row(0), (TRobotRow{QStringLiteral("111"), QStringLiteral("Имя 111"), u'+', 1}));
    clock.advance(5000);
    rx({0x2D});
    ASSERT_EQ(out.totalCount(), 1);
    EXPECT_EQ(out.fieldValue(QStringLiteral("Phone")).toString(), QStringLiteral("111"));
    EXPECT_EQ(out.fieldValue(QStringLiteral("Attributes")).toInt(), 16);
    EXPECT_NEAR(out.fieldValue(QStringLiteral("Length")).toDouble() * 86400, 5, 0.1);
    EXPECT_EQ(run.Panel(1), QStringLiteral(" Успешных дозвонов - 1 из 2"));
    EXPECT_EQ(run.Panel(2), QStringLiteral(" 1-й  проход"));

    rx({0x21});                                      // next row
    EXPECT_EQ(sent(), dialCommand(QStringLiteral("222"), 5));
    rx({0x28, 0x02, 0x2A, 0x23, 0x21});              // busy
    EXPECT_EQ(finished, QStringList{QStringLiteral(" Процесс завершен")});
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(phone.PhoneRobotMode());
    EXPECT_EQ(list.Row(1).Mark, u'-');
    EXPECT_EQ(run.Panel(2), QStringLiteral(" Кол-во проходов - 1"));
    EXPECT_EQ(out.totalCount(), 1);
}

TEST_F(RobotRun, StopWritesAReachedCallWithItsRecordingButNothingWhileDialling)
{
    makeList({QStringLiteral("111"), QStringLiteral("222")});
    config.NeedToRecord = true;
    config.TimeOutRecord = 2550;
    ASSERT_TRUE(run.Start(0));
    rx({0x28, 0x01});
    run.Stop();
    EXPECT_EQ(out.totalCount(), 0);
    EXPECT_EQ(list.Row(0).Mark, QChar());
    EXPECT_EQ(sent().right(1), bytes({0x80}));       // hung up

    ASSERT_TRUE(run.Start(0));
    sent();
    reach();
    EXPECT_EQ(sent(), bytes({0x9B, 15, 15, 1}));     // 2550 s as 255
    rx({0x36});
    EXPECT_EQ(run.Panel(0), QStringLiteral(" Запись ответа"));
    ASSERT_EQ(recorder.Started, 1);
    run.Stop();                                       // mid-answer
    EXPECT_EQ(recorder.Stopped, 1);
    ASSERT_EQ(out.totalCount(), 1);
    const QString file = out.fieldValue(QStringLiteral("FileName")).toString();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(fileList().Row(0).Count, 1);
}

TEST_F(RobotRun, OperatorReachesDuringDiallingAndTheRunEndsInterrupted)
{
    makeList({QStringLiteral("111"), QStringLiteral("222"), QStringLiteral("333")});
    config.TimeOutRecord = 30;
    QStringList wanted;
    QObject::connect(&run, &TRobotRun::FieldsEditWanted, [&](const QString &n, bool) { wanted << n; });
    run.ShowFormOnOutCall = true;
    ASSERT_TRUE(run.Start(0));
    rx({0x28, 0x01, 0x20});
    EXPECT_EQ(list.Row(0).Mark, u'+');
    EXPECT_EQ(run.Successes(), 1);
    EXPECT_EQ(run.Panel(0), QStringLiteral(" Запись разговора"));
    EXPECT_EQ(wanted, QStringList{QStringLiteral("111")});
    rx({0x26, 0x2D});                                 // ignored once the operator holds the line
    EXPECT_EQ(out.totalCount(), 0);
    rx({0x21});
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(run.Panel(0), QStringLiteral(" Процесс прерван"));
    EXPECT_EQ(run.Panel(2), QStringLiteral(" Кол-во проходов - 1"));
    ASSERT_EQ(out.totalCount(), 1);                   // the operator's talk with its recording
    EXPECT_FALSE(out.fieldValue(QStringLiteral("FileName")).toString().isEmpty());
    EXPECT_FALSE(run.OperatorFlag());

    // Start goes on with the next unmarked row from the selected one.
    sent();
    ASSERT_TRUE(run.Start(0));
    EXPECT_EQ(sent(), dialCommand(QStringLiteral("222"), 5));
}

TEST_F(RobotRun, OperatorCriterionIgnoresTheReachedCode)
{
    makeList({QStringLiteral("111")});
    config.Criterion = 3;
    ASSERT_TRUE(run.Start(0));
    EXPECT_EQ(sent(), dialCommand(QStringLiteral("111"), 1));
    rx({0x28, 0x01, 0x2A, 0x26, 0x2D});
    EXPECT_EQ(run.CallPhase(), rcpToneAnalysis);
    EXPECT_EQ(run.Successes(), 0);
    EXPECT_EQ(list.Row(0).Mark, QChar());
    EXPECT_EQ(out.totalCount(), 0);
}

TEST_F(RobotRun, PassesRetryFailedRowsOnlyInTheNextPass)
{
    makeList({QStringLiteral("111"), QStringLiteral("222")});
    config.Passes = 2;
    QStringList dialled;
    QObject::connect(&run, &TRobotRun::DialRowChanged, [&](int r) {
        if (r >= 0)
            dialled << list.Row(r).Number;
    });
    ASSERT_TRUE(run.Start(0));
    rx({0x28, 0x01, 0x2A, 0x23, 0x21});               // 111 busy: "-"
    EXPECT_EQ(list.Row(0).Mark, u'-');
    reach();                                          // 222 reached
    rx({0x2D, 0x21});
    EXPECT_EQ(run.Pass(), 2);
    rx({0x28, 0x01, 0x2A, 0x23, 0x21});               // 111 again in pass 2, busy again
    EXPECT_EQ(dialled, QStringList({"111", "222", "111"}));
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(run.Panel(2), QStringLiteral(" Кол-во проходов - 2"));

    // Everything reached in pass 1: pass 2 finds nothing and the run ends.
    makeList({QStringLiteral("333")});
    ASSERT_TRUE(run.Start(0));
    reach();
    rx({0x2D, 0x21});
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(run.Panel(0), QStringLiteral(" Процесс завершен"));
    EXPECT_EQ(run.Panel(2), QStringLiteral(" Кол-во проходов - 2"));
}

TEST_F(RobotRun, UnlimitedPassesWithResetsNeverEnd)
{
    makeList({QStringLiteral("111"), QStringLiteral("222")});
    config.Passes = 0;
    config.ResetFlags = true;
    ASSERT_TRUE(run.Start(0));
    for (int i = 0; i < 6; ++i) {
        reach();
        rx({0x2D, 0x21});
    }
    EXPECT_TRUE(run.Running());
    EXPECT_EQ(run.Pass(), 4);
    EXPECT_EQ(out.totalCount(), 6);
    EXPECT_EQ(run.Successes(), 0);                    // reset after each pass
    EXPECT_EQ(list.State(), rlsModified);
    // The counts on disk follow every reached call.
    EXPECT_EQ(fileList().Row(0).Count + fileList().Row(1).Count, 6);
    EXPECT_EQ(list.Row(0).Count + list.Row(1).Count, 6);
}

TEST_F(RobotRun, LineFreeWhileDiallingRedialsAndUnconfirmedDialsAreRepeatedFiveTimes)
{
    makeList({QStringLiteral("111"), QStringLiteral("222")});
    ASSERT_TRUE(run.Start(0));
    sent();
    rx({0x28, 0x21});
    EXPECT_EQ(sent(), dialCommand(QStringLiteral("111"), 5));
    EXPECT_EQ(run.CallPhase(), rcpDialSent);
    clock.advance(10000);
    EXPECT_EQ(sent(), dialCommand(QStringLiteral("111"), 5).repeated(5));
    EXPECT_EQ(run.CallPhase(), rcpIdle);
    EXPECT_TRUE(run.Running());
}

TEST_F(RobotRun, JournalModesDecideWhichReachedCallsAreWritten)
{
    config.NeedToRecord = true;
    config.TimeOutRecord = 20;
    for (int mode : {0, 1, 2}) {
        config.LogBook = uint8_t(mode);
        makeList({QStringLiteral("111"), QStringLiteral("222")});
        const qint64 before = out.totalCount();
        ASSERT_TRUE(run.Start(0));
        reach();                                     // no answer recorded
        rx({0x2D, 0x21});
        reach();
        rx({0x36, 0x2D, 0x21});                      // an answer recorded
        EXPECT_FALSE(run.Running());
        const qint64 written = out.totalCount() - before;
        EXPECT_EQ(written, mode == 0 ? 2 : mode == 1 ? 1 : 0) << "mode " << mode;
        EXPECT_EQ(list.Row(0).Count, 1);
    }
    EXPECT_EQ(recorder.Started, 2);                   // never in mode 2

    // A recording that cannot start is no recorded answer: mode 1 writes nothing.
    recorder.Broken = true;
    config.LogBook = 1;
    makeList({QStringLiteral("111")});
    const qint64 before = out.totalCount();
    ASSERT_TRUE(run.Start(0));
    reach();
    rx({0x36, 0x2D, 0x21});
    EXPECT_EQ(out.totalCount(), before);
}

TEST_F(RobotRun, TimedWorkStartsInTheWindowAndStopsAfterIt)
{
    // The clock starts on Wednesday 9.12.2026 at 10:00.
    makeList({QStringLiteral("111")});
    config.Passes = 1;
    schedule = {true, QTime(10, 0, 30), QTime(10, 1), 1 | (1 << 3)};
    QStringList captions;
    QObject::connect(&run, &TRobotRun::CaptionChanged, [&](const QString &c) { captions << c; });
    run.SetTaskTimerActive(true);
    advanceAlive(10000);
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(captions.value(0), QStringLiteral("Телефонный робот   [работа по времени активизирована]"));
    advanceAlive(30000);
    EXPECT_TRUE(run.Running());
    EXPECT_TRUE(run.TimedRun());
    EXPECT_EQ(run.Caption(), QStringLiteral("Телефонный робот   [работа по времени  c 10:00 по 10:01]"));
    // A timed run wraps past its passes.
    reach();
    rx({0x2D, 0x21});
    EXPECT_FALSE(run.Running());                      // nothing left to dial
    list.ResetAllMarks();
    advanceAlive(10000);
    EXPECT_TRUE(run.Running());
    advanceAlive(30000);
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(run.TimedRun());

    // Thursday is not allowed.
    schedule.WeekFlags = 1 | (1 << 4);
    schedule.StartTime = QTime(0, 0);
    schedule.EndTime = QTime(23, 59);
    advanceAlive(20000);
    EXPECT_FALSE(run.Running());
}

TEST_F(RobotRun, NothingStartsWhenThePhoneIsNotWaitingOrNothingIsLeft)
{
    makeList({QStringLiteral("111")});
    list.Row(0).Mark = u'+';
    config.Passes = 1;
    EXPECT_FALSE(run.Start(0));
    config.Passes = 2;
    EXPECT_FALSE(run.Start(0));                        // row 1 is reached too
    list.Row(0).Mark = u'-';
    phone.GoOffline();
    EXPECT_FALSE(run.Start(0));

    // A never-saved list is saved first; no file chosen, no run.
    TRobotList fresh;
    fresh.SetFromEditor({{QStringLiteral("1"), QString(), 0}}, true);
    list = fresh;
    int asked = 0;
    run.SaveListAs = [&] { ++asked; };
    phone.Receive({});
    EXPECT_FALSE(run.Start(0));
    EXPECT_EQ(asked, 1);
}

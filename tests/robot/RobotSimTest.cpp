// The robot window run as a person runs it, against konvelo-phonesim: a timed
// start, the Start button, header clicks in the middle of a call, Esc.
#include "WidgetTestApp.h"
#include "audio/TMediaPlayer.h"
#include "common/Cp1251.h"
#include "phone/TPhone.h"
#include "phone/TQtPhoneClock.h"
#include "records/TOutgoingCallBook.h"
#include "robot/TFormPhoneRobot.h"
#include "tools/PhoneSimProcess.h"
#include <QFile>
#include <QHeaderView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// Ten seconds of silence, 8000 Hz mono PCM.
void writeSilence(const QString &path)
{
    const quint32 data = 8000 * 2 * 10;
    QByteArray h("RIFF");
    const auto u32 = [&](quint32 v) { h.append(reinterpret_cast<const char *>(&(v = qToLittleEndian(v))), 4); };
    const auto u16 = [&](quint16 v) { h.append(reinterpret_cast<const char *>(&(v = qToLittleEndian(v))), 2); };
    u32(36 + data);
    h += "WAVEfmt ";
    u32(16), u16(1), u16(1), u32(8000), u32(16000), u16(2), u16(16);
    h += "data";
    u32(data);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(h + QByteArray(qsizetype(data), '\0'));
}

void clickHeader(QTableWidget *grid, int column)
{
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(grid->columnViewportPosition(column) + 5, 5));
}

} // namespace

TEST(RobotOnTheSimulator, TimedStartStopsPlaybackAndHeaderClicksMidCallMarkTheDialledRow)
{
    EnsureWidgetApp();
    QTemporaryDir dir;
    PhoneSimProcess sim(dir.filePath(QStringLiteral("sim.log")),
                        {QStringLiteral("--start-delay"), QStringLiteral("100"), QStringLiteral("--robot-step"),
                         QStringLiteral("40"), QStringLiteral("--robot-answer"), QStringLiteral("200")});
    QString error;
    ASSERT_TRUE(sim.start(&error)) << error.toStdString();
    TPhone phone;
    phone.SetPort(sim.device());
    ASSERT_TRUE(phone.Connect());
    sim.feed(QStringLiteral("send FF"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return phone.State() == psWaiting; }, 10000));

    TOutgoingCallBook out(dir.filePath(QStringLiteral("OutCalls")));
    TMediaPlayer player;
    TRobotConfig config;
    config.Passes = 1;
    TRobotSchedule schedule;
    schedule.Activated = true;
    schedule.StartTime = QTime(0, 0);
    schedule.EndTime = QTime(23, 59, 59);
    TFormPhoneRobot window(config, schedule, phone, *TQtPhoneClock::instance(), &out, &player,
                           dir.filePath(QStringLiteral("RobotConfig.ini")));
    // Busy numbers end in 0, reached ones in 2; the names sort the rows backwards.
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Cp1251::Encode(QStringLiteral("1110 = Г |0\r\n2222 = В |0\r\n3330 = Б |0\r\n4442 = А |0\r\n")));
    }
    window.OpenList(list);
    const QString wav = dir.filePath(QStringLiteral("silence.wav"));
    writeSilence(wav);
    player.SetFileName(wav);
    const bool played = player.Open() && player.Play();

    enum { Timed, Stopping, Button, Running, Done } phase = Timed;
    bool playerStoppedByTimedStart = false, timedRunStarted = false, sortedMidCall = false;
    int sortedDialRow = -1;
    QTimer driver;
    driver.setInterval(5);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        TRobotRun &run = window.Run();
        switch (phase) {
        case Timed:
            // The schedule's tick, as every 10 s.
            run.TaskTick();
            playerStoppedByTimedStart = player.Mode() != mpPlaying;
            timedRunStarted = run.Running() && run.TimedRun();
            phase = Stopping;
            break;
        case Stopping:
            // Timed work switched off: the next tick stops the timed run.
            schedule.Activated = false;
            run.TaskTick();
            phase = Button;
            break;
        case Button:
            if (run.Running())
                break;
            window.SGMain->selectRow(0);
            QTest::mouseClick(window.TB_Start, Qt::LeftButton);
            phase = Running;
            break;
        case Running:
            // While 2222 is being dialled the user sorts by name, then by number.
            if (!sortedMidCall && run.DialRow() == 1 && run.CallPhase() != rcpConnected) {
                clickHeader(window.SGMain, 2);
                sortedDialRow = run.DialRow();
                clickHeader(window.SGMain, 2);
                sortedMidCall = true;
            }
            if (sortedMidCall && !run.Running()) {
                phase = Done;
                QTest::keyClick(&window, Qt::Key_Escape);
            }
            break;
        case Done:
            break;
        }
    });
    QTimer::singleShot(0, &driver, qOverload<>(&QTimer::start));
    QTimer::singleShot(40000, &window, &QDialog::reject);
    window.exec();
    driver.stop();

    if (played) {
        EXPECT_TRUE(playerStoppedByTimedStart);
    }
    EXPECT_TRUE(timedRunStarted);
    ASSERT_EQ(phase, Done);
    EXPECT_FALSE(window.isVisible());
    ASSERT_TRUE(sortedMidCall);
    EXPECT_EQ(sortedDialRow, 2);   // В moved from the second row to the third
    const TRobotList &l = window.List();
    for (const TRobotRow &r : l.Rows()) {
        EXPECT_EQ(r.Reached(), r.Number == QStringLiteral("2222")) << r.Number.toStdString();
        EXPECT_EQ(r.Count, r.Number == QStringLiteral("2222") ? 1 : 0) << r.Number.toStdString();
    }
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    EXPECT_TRUE(saved.contains(Cp1251::Encode(QStringLiteral("2222 + В |1\r\n")))) << saved.toStdString();
    EXPECT_TRUE(saved.contains(Cp1251::Encode(QStringLiteral("3330 = Б |0\r\n"))));
    ASSERT_EQ(out.totalCount(), 1);
    out.first();
    EXPECT_EQ(out.fieldValue(QStringLiteral("Phone")).toString(), QStringLiteral("2222"));
}

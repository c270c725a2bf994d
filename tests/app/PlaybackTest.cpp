// The main window's record player and hot-number buttons: the program on the
// phone simulator with a temporary base folder, GSM WAVE recordings played
// through the sound server (run under scripts/with-pulse.sh).
#include "MainTestSupport.h"
#include "app/TMain.h"
#include "ui/TRecordPlayback.h"
#include "audio/TGsmEncoder.h"
#include "audio/TGsmWaveFile.h"
#include "audio/TMediaPlayer.h"
#include "audio/TPulseMixer.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettingsStore.h"
#include "phone/TPhone.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "tools/PhoneSimProcess.h"
#include "ui/THotButtonsBox.h"
#include "ui/THotCallBtn.h"
#include "ui/TDialBox.h"
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {
using namespace MainTestSupport;

// A GSM 6.10 WAVE file of silence of the given length.
bool writeGsmWave(const QString &path, double seconds)
{
    TGsmWaveFile file;
    if (!file.Create(path))
        return false;
    TGsmEncoder encoder;
    const std::vector<int16_t> silence(TGsmEncoder::SamplesPerBlock, 0);
    uint8_t block[TGsmEncoder::BlockSize];
    encoder.EncodeBlock(silence.data(), block);
    const QByteArray chunk = QByteArray(reinterpret_cast<const char *>(block), sizeof block).repeated(1000);
    for (int left = int(std::ceil(seconds * 8000 / TGsmEncoder::SamplesPerBlock)); left > 0; left -= 1000)
        if (!file.Append(chunk.constData(), qint64(std::min(left, 1000)) * TGsmEncoder::BlockSize))
            return false;
    return file.Finish();
}

QString noSoundServer()
{
    EnsureApp();
    if (!TPulseMixer::ServerReachable() || QMediaDevices::defaultAudioOutput().isNull())
        return QStringLiteral("no sound server with an output (run under scripts/with-pulse.sh)");
    return {};
}

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(FDir.isValid());
        FBase = FDir.path();
        FRecords = QDir(FBase).filePath(QStringLiteral("Records"));
        QDir().mkpath(FRecords);
        FSim = std::make_unique<PhoneSimProcess>(QDir(FBase).filePath(QStringLiteral("sim.log")),
                                                 QStringList{QStringLiteral("--keepalive"), QStringLiteral("1000")});
        QString error;
        ASSERT_TRUE(FSim->start(&error)) << error.toStdString();
        ASSERT_TRUE(WriteSettings(FBase, FRecords, FSim->device(), [](TConfig &c) { c.AskForCalls = false; }));
    }

    void TearDown() override
    {
        FMain.reset();
        if (FSim)
            FSim->stop();
    }

    TMain &startMain()
    {
        FMain.reset();
        BaseFolder::set(FBase);
        FMain = std::make_unique<TMain>();
        FMain->ConfirmExit = [] { return true; };
        EXPECT_TRUE(SpinUntil([this] { return FMain->Phone()->State() == psWaiting; }));
        return *FMain;
    }

    // An outgoing row with the given file name, made the current row of the
    // outgoing page, which is shown.
    void showOutgoingRow(const QString &fileName)
    {
        TOutCall call;
        call.Phone = QStringLiteral("5551234");
        call.Time = TDateTime::now();
        call.FileName = fileName;
        const qint64 id = FMain->OutCalls()->AddCall(call);
        FMain->OutCalls()->locate(id);
        FMain->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    }

    TMediaPlayer *player() const { return FMain->MediaPlayer(); }
    QSlider *track() const { return FMain->findChild<QSlider *>(QStringLiteral("SoundTrack")); }
    QString restTime() const { return FMain->findChild<QLabel *>(QStringLiteral("RestTime"))->text(); }
    QToolButton *button(const char *name) const
    {
        return FMain->findChild<QToolButton *>(QString::fromLatin1(name));
    }
    QString record(const QString &name) const { return QDir(FRecords).filePath(name); }

    QTemporaryDir FDir;
    QString FBase, FRecords;
    std::unique_ptr<PhoneSimProcess> FSim;
    std::unique_ptr<TMain> FMain;
};

}

TEST_F(PlaybackTest, CurrentRecordingFollowsThePageTheChoiceAndTheRecordsFolder)
{
    TMain &main = startMain();
    auto *pages = main.findChild<QTabWidget *>(QStringLiteral("PageControl1"));

    // A bare name lies in the records folder; "+" and empty are no file.
    showOutgoingRow(QStringLiteral("Out_1.wav"));
    EXPECT_EQ(main.CurrentRecordingFile(), record(QStringLiteral("Out_1.wav")));
    showOutgoingRow(record(QStringLiteral("Out_2.wav")));
    EXPECT_EQ(main.CurrentRecordingFile(), record(QStringLiteral("Out_2.wav")));
    showOutgoingRow(QStringLiteral("+"));
    EXPECT_EQ(main.CurrentRecordingFile(), QString());
    showOutgoingRow(QString());
    EXPECT_EQ(main.CurrentRecordingFile(), QString());

    TInCall in;
    in.Phone = QStringLiteral("5553412");
    in.Time = TDateTime::now();
    in.FileName = record(QStringLiteral("In_talk.wav"));
    in.MessageFileName = record(QStringLiteral("In_message.wav"));
    main.InCalls()->locate(main.InCalls()->AddCall(in));
    pages->setCurrentIndex(0);
    QToolButton *talk = button("PlayRecBtn");
    ASSERT_NE(talk, nullptr);
    talk->setCheckable(true);
    talk->setChecked(true);
    EXPECT_EQ(main.CurrentRecordingFile(), in.FileName);
    QToolButton *message = button("PlayMessBtn");
    ASSERT_NE(message, nullptr);
    message->setCheckable(true);
    message->setChecked(true);
    talk->setChecked(false);
    EXPECT_EQ(main.CurrentRecordingFile(), in.MessageFileName);

    pages->setCurrentIndex(2);
    EXPECT_EQ(main.CurrentRecordingFile(), QString());
}

TEST_F(PlaybackTest, PlayPauseResumeAndStopOfAGsmRecording)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    ASSERT_TRUE(writeGsmWave(record(QStringLiteral("Out_talk.wav")), 4.0));
    TMain &main = startMain();
    MessageWatch messages;
    showOutgoingRow(QStringLiteral("Out_talk.wav"));
    TRecordPlayback *playback = main.Playback();
    ASSERT_NE(playback, nullptr);

    // A missing recording plays nothing and says nothing.
    showOutgoingRow(record(QStringLiteral("gone.wav")));
    playback->PlayClick();
    EXPECT_NE(player()->Mode(), mpPlaying);
    EXPECT_FALSE(main.PlayingRecord());
    EXPECT_FALSE(playback->SoundTimer()->isActive());

    showOutgoingRow(QStringLiteral("Out_talk.wav"));
    playback->PlayClick();
    ASSERT_EQ(player()->Mode(), mpPlaying);
    EXPECT_EQ(player()->FileName(), record(QStringLiteral("Out_talk.wav")));
    EXPECT_TRUE(main.PlayingRecord());
    EXPECT_TRUE(playback->FSeekEnabled);
    EXPECT_TRUE(playback->SoundTimer()->isActive());
    EXPECT_EQ(playback->SoundTimer()->interval(), 100);
    EXPECT_NEAR(double(track()->maximum()), 4000.0, 50.0);
    EXPECT_EQ(track()->pageStep(), int(player()->Frames()));
    EXPECT_TRUE(button("PauseBtn")->isEnabled());
    EXPECT_TRUE(button("StopBtn")->isEnabled());

    // The display follows the play; moving the bar from here is no seek.
    ASSERT_TRUE(SpinUntil([&] { return track()->value() > 300; }, 5000));
    EXPECT_TRUE(playback->FSeekEnabled);
    EXPECT_EQ(restTime().left(6), QStringLiteral("0:00:0"));

    // Pause holds the position; play resumes from it.
    QTest::mouseClick(button("PauseBtn"), Qt::LeftButton);
    EXPECT_EQ(player()->Mode(), mpPaused);
    const int64_t held = player()->Position();
    Spin(400);
    EXPECT_LE(player()->Position() - held, 20);
    EXPECT_TRUE(playback->SoundTimer()->isActive());   // a pause keeps the display
    EXPECT_FALSE(restTime().isEmpty());
    playback->PlayClick();
    EXPECT_EQ(player()->Mode(), mpPlaying);
    ASSERT_TRUE(SpinUntil([&] { return player()->Position() > held + 200; }, 5000));

    // Stop: the bar collapses, the display empties with the next tick.
    QTest::mouseClick(button("StopBtn"), Qt::LeftButton);
    EXPECT_EQ(player()->Mode(), mpStopped);
    EXPECT_FALSE(playback->FSeekEnabled);
    EXPECT_FALSE(main.PlayingRecord());
    EXPECT_EQ(track()->maximum(), track()->minimum());
    ASSERT_TRUE(SpinUntil([&] { return !playback->SoundTimer()->isActive(); }, 2000));
    EXPECT_EQ(track()->value(), 0);
    EXPECT_TRUE(restTime().isEmpty());
    EXPECT_TRUE(messages.Texts.isEmpty()) << messages.Texts.join(';').toStdString();
}

TEST_F(PlaybackTest, SkippingPastEitherEndSaysNothingAndTheEndForgetsTheFile)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    ASSERT_TRUE(writeGsmWave(record(QStringLiteral("Out_talk.wav")), 3.0));
    TMain &main = startMain();
    MessageWatch messages;
    showOutgoingRow(QStringLiteral("Out_talk.wav"));
    TRecordPlayback *playback = main.Playback();

    playback->PlayClick();
    ASSERT_EQ(player()->Mode(), mpPlaying);
    // Back from the start: the play goes on from the beginning.
    QTest::mouseClick(button("SpeedButton3"), Qt::LeftButton);
    EXPECT_EQ(player()->Mode(), mpPlaying);
    EXPECT_LT(player()->Position(), 300);

    // Forward by a tenth: from the bar's position plus Frames.
    Spin(300);
    playback->SoundTimerTimer();
    const int from = track()->value();
    playback->SkipForwardClick();
    EXPECT_GE(player()->Position(), from + player()->Frames() - 20);

    // Forward past the end: the play ends, the bar returns to 0, the file is forgotten.
    int notified = 0;
    QObject context;
    QObject::connect(player(), &TMediaPlayer::Notified, &context, [&] { ++notified; });
    for (int i = 0; i < 12 && player()->Mode() == mpPlaying; ++i) {
        playback->SoundTimerTimer();
        playback->SkipForwardClick();
    }
    ASSERT_TRUE(SpinUntil([&] { return notified > 0; }, 5000));
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(player()->Mode(), mpStopped);
    EXPECT_TRUE(player()->FileName().isEmpty());
    EXPECT_FALSE(playback->FSeekEnabled);
    EXPECT_EQ(track()->value(), 0);
    EXPECT_FALSE(main.PlayingRecord());
    Spin(300);
    EXPECT_FALSE(playback->SoundTimer()->isActive());

    // The next play opens the file again and plays it to its natural end.
    playback->PlayClick();
    ASSERT_EQ(player()->Mode(), mpPlaying);
    EXPECT_EQ(player()->FileName(), record(QStringLiteral("Out_talk.wav")));
    ASSERT_TRUE(SpinUntil([&] { return notified > 1; }, 8000));
    EXPECT_TRUE(player()->FileName().isEmpty());
    EXPECT_EQ(track()->value(), 0);
    EXPECT_TRUE(messages.Texts.isEmpty()) << messages.Texts.join(';').toStdString();

    // A file that is no sound says so.
    QFile bad(record(QStringLiteral("bad.wav")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("RIFF....WAVEjunk");
    bad.close();
    showOutgoingRow(bad.fileName());
    playback->PlayClick();
    ASSERT_TRUE(SpinUntil([&] { return !messages.Texts.isEmpty(); }, 3000));
    EXPECT_EQ(messages.Texts, QStringList{QStringLiteral("Неверный формат файла")});
    EXPECT_FALSE(main.PlayingRecord());
}

TEST_F(PlaybackTest, RemainingTimeOfARecordingOverAnHourAndSeekingByTheBar)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    // 1 hour, 1 minute and 5 seconds.
    ASSERT_TRUE(writeGsmWave(record(QStringLiteral("Out_long.wav")), 3665.0));
    TMain &main = startMain();
    showOutgoingRow(QStringLiteral("Out_long.wav"));
    TRecordPlayback *playback = main.Playback();
    playback->PlayClick();
    ASSERT_EQ(player()->Mode(), mpPlaying);
    Spin(200);
    playback->SoundTimerTimer();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^1:01:0[0-5]$")).match(restTime()).hasMatch())
        << restTime().toStdString();

    // The user moves the bar to 2 minutes before the end.
    track()->setValue(int(player()->Length()) - 120000);
    EXPECT_EQ(player()->Mode(), mpPlaying);
    EXPECT_NEAR(double(player()->Position()), double(player()->Length() - 120000), 300.0);
    Spin(200);
    playback->SoundTimerTimer();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^0:0(1:5[6-9]|2:00)$")).match(restTime()).hasMatch())
        << restTime().toStdString();
    playback->StopClick();
}

TEST_F(PlaybackTest, TheLineBecomingFreeDoesNotStopAPlayingRecording)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    ASSERT_TRUE(writeGsmWave(record(QStringLiteral("Out_talk.wav")), 5.0));
    TMain &main = startMain();
    showOutgoingRow(QStringLiteral("Out_talk.wav"));
    int frees = 0;
    auto lineFree = main.Phone()->OnLineFree;
    main.Phone()->OnLineFree = [&frees, lineFree](TPhone *p) {
        lineFree(p);
        ++frees;
    };
    struct Restore {
        TPhone *Phone;
        std::function<void(TPhone *)> Handler;
        ~Restore() { Phone->OnLineFree = Handler; }
    } restore{main.Phone(), lineFree};
    main.Playback()->PlayClick();
    ASSERT_EQ(player()->Mode(), mpPlaying);
    FSim->feed(QStringLiteral("hangup"));
    ASSERT_TRUE(SpinUntil([&] { return frees > 0; }, 5000));
    Spin(200);
    EXPECT_EQ(player()->Mode(), mpPlaying);
    EXPECT_TRUE(main.PlayingRecord());

    // A ring takes the player over: the display lets go of the recording, and
    // the ring stops with the line.
    ASSERT_TRUE(writeGsmWave(record(QStringLiteral("ring.wav")), 5.0));
    main.Config()->SoundFileName = record(QStringLiteral("ring.wav"));
    main.StartRing(false);
    EXPECT_EQ(player()->FileName(), record(QStringLiteral("ring.wav")));
    main.Playback()->CloseFile();   // a row deleted meanwhile: the ring holds no journal file
    EXPECT_EQ(player()->Mode(), mpPlaying);
    main.Playback()->SoundTimerTimer();
    EXPECT_FALSE(main.Playback()->SoundTimer()->isActive());
    EXPECT_FALSE(main.Playback()->FSeekEnabled);
    EXPECT_TRUE(main.findChild<QLabel *>(QStringLiteral("RestTime"))->text().isEmpty());
    main.StopSound();   // as at the call's end
    main.StartRing(false);
    ASSERT_EQ(player()->Mode(), mpPlaying);
    FSim->feed(QStringLiteral("hangup"));
    ASSERT_TRUE(SpinUntil([&] { return frees > 1; }, 5000));
    EXPECT_NE(player()->Mode(), mpPlaying);

    main.Playback()->PlayClick();
    ASSERT_EQ(player()->Mode(), mpPlaying);
    main.Playback()->CloseFile();   // before a row goes: nothing open, nothing plays
    EXPECT_EQ(player()->Mode(), mpNotReady);
    EXPECT_FALSE(main.PlayingRecord());
    EXPECT_EQ(track()->maximum(), 0);
}

TEST_F(PlaybackTest, SavingCopiesOverAnExistingFileAndSkipsWhatCannotBeCopied)
{
    ASSERT_TRUE(writeGsmWave(record(QStringLiteral("Out_talk.wav")), 1.0));
    TMain &main = startMain();
    MessageWatch messages;
    TRecordPlayback *playback = main.Playback();
    QStringList proposed;
    QString answer;
    playback->AskSaveFileName = [&](const QString &p) {
        proposed << p;
        return answer;
    };
    const QString target = QDir(FBase).filePath(QStringLiteral("copy.wav"));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older file that is longer than nothing");
    old.close();

    showOutgoingRow(QStringLiteral("Out_talk.wav"));
    answer = target;
    QAction *item = main.findChild<QAction *>(QStringLiteral("ExportRecordItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->shortcut(), QKeySequence(QStringLiteral("Alt+E")));
    EXPECT_TRUE(item->isEnabled());   // with the save button of the page
    item->trigger();
    ASSERT_EQ(proposed, QStringList{record(QStringLiteral("Out_talk.wav"))});
    QFile copy(target), source(record(QStringLiteral("Out_talk.wav")));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), source.readAll());
    copy.close();

    // Cancelled, into a folder that does not exist, from a missing file: nothing.
    answer.clear();
    playback->SaveRecording();
    answer = QDir(FBase).filePath(QStringLiteral("no/such/folder/copy.wav"));
    playback->SaveRecording();
    EXPECT_FALSE(QFile::exists(answer));
    showOutgoingRow(record(QStringLiteral("gone.wav")));
    answer = target;
    playback->SaveRecording();
    EXPECT_EQ(QFileInfo(target).size(), source.size());
    // A talk kept in the phone offers no dialog.
    proposed.clear();
    showOutgoingRow(QStringLiteral("+"));
    EXPECT_FALSE(item->isEnabled());
    playback->SaveRecording();
    EXPECT_TRUE(proposed.isEmpty());
    Spin(100);
    EXPECT_TRUE(messages.Texts.isEmpty()) << messages.Texts.join(';').toStdString();
}

TEST_F(PlaybackTest, HotButtonsKeepTheirPlacesOverARestartAndDialWhenPressed)
{
    {
        TMain &main = startMain();
        // A new file of 18 unbound entries at the first start.
        QFile cfg(BaseFolder::dataPath() + QStringLiteral("/HotBtns.cfg"));
        ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
        EXPECT_EQ(cfg.readAll(), QByteArray("-1\r\n").repeated(18));
        cfg.close();
        THotButtonsBox *hot = main.HotButtons();
        ASSERT_NE(hot, nullptr);
        EXPECT_EQ(hot->objectName(), QStringLiteral("GroupBoxHot"));
        EXPECT_EQ(hot->height(), 130);
        TAddressBook *book = main.AddressBook();
        book->AddPerson(QStringLiteral("555"), QStringLiteral("Пётр"), 0, {}, {}, {}, -1, false);
        hot->AssignHotButton(5);
        book->AddPerson(QStringLiteral("777"), QStringLiteral("Анна"), 0, {}, {}, {}, -1, false);
        hot->AssignHotButton(18);
        hot->AssignHotButton(2);
        hot->FreeHotButton(1);
        EXPECT_EQ(hot->FirstFreeHotButton(), 1);
        EXPECT_TRUE(hot->HotButtonUsed(18));
    }
    TMain &main = startMain();
    THotButtonsBox *hot = main.HotButtons();
    EXPECT_EQ(hot->Button(5)->FullCaption(), QStringLiteral("Пётр"));
    EXPECT_EQ(hot->Button(18)->FullCaption(), QStringLiteral("Анна"));
    EXPECT_EQ(hot->Button(2)->FullCaption(), QStringLiteral("нет данных"));
    EXPECT_FALSE(hot->Button(2)->isEnabled());
    // Laid out in the window: button 5 in the second column, second row.
    const int w = (hot->width() - 100) / 6, h = (hot->height() - 44) / 3;
    EXPECT_EQ(hot->Button(5)->geometry(), QRect(20 + w + 10, 20 + h + 7, w, h));

    // Pressing: the number goes into the dial box and the phone dials it.
    QTest::mouseClick(hot->Button(5), Qt::LeftButton);
    EXPECT_EQ(main.findChild<TDialBox *>(QStringLiteral("phNumber"))->text(), QStringLiteral("555"));
    const QByteArray digits("\x05\x05\x05", 3);
    ASSERT_TRUE(SpinUntil([&] {
        for (const QByteArray &c : FSim->log().commandsStartingWith(QByteArray(1, char(0x90))))
            if (c.endsWith(digits))
                return true;
        return false;
    }, 5000));
}

// The group "Запись" on its own: a real media player and sound control over
// the private sound server, and the record button the call handling drives.
#include "WidgetTestApp.h"
#include "audio/AudioTestUtil.h"
#include "audio/TMediaPlayer.h"
#include "audio/TPulseMixer.h"
#include "audio/TQtTickTimer.h"
#include "audio/TSoundControl.h"
#include "audio/TVolumeSettings.h"
#include "ui/TRecordPlayback.h"
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class FixedVolume : public TVolumeSettings {
public:
    int CurrentVolume() const override { return 40; }
    void SetCurrentVolume(int) override {}
    bool Creschendo() const override { return false; }
    QString SoundFileName() const override { return Ring; }
    bool AdjustSoundSettings() const override { return false; }
    void SetCanPlayWhileRecording(bool) override {}
    QString Ring;
};

class RecordGroupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        ASSERT_TRUE(FDir.isValid());
        FGroup.resize(193, 110);
        FGroup.show();
    }
    QToolButton *button(const char *name) { return FGroup.findChild<QToolButton *>(QString::fromLatin1(name)); }

    const bool FApp = (EnsureWidgetApp(), true);   // before the widgets below
    QTemporaryDir FDir;
    QString FCurrent;   // the current row's recording
    TPulseMixer FMixer;
    TMediaPlayer FPlayer;
    FixedVolume FSettings;
    TQtTickTimer FTimer;
    TSoundControl FSound{FMixer, FPlayer, FSettings, FTimer};
    TRecordPlayback FGroup{FPlayer, FSound, [this] { return FCurrent; }};
};

TEST_F(RecordGroupTest, RecordButtonReportsPressesButNotTheHandlersOwnChanges)
{
    QSignalSpy clicks(&FGroup, &TRecordPlayback::RecordClicked);
    EXPECT_FALSE(FGroup.RecordButtonEnabled());
    FGroup.EnableRecordButton(true);
    FGroup.SetRecordButtonDown(true);
    EXPECT_TRUE(FGroup.RecButton()->isChecked());
    EXPECT_EQ(clicks.size(), 0);
    FGroup.RecButton()->click();
    EXPECT_EQ(clicks.size(), 1);
    FGroup.EnablePlayerButtons(false);
    EXPECT_FALSE(button("PauseBtn")->isEnabled());
    EXPECT_FALSE(button("StopBtn")->isEnabled());
}

TEST_F(RecordGroupTest, PlaysTheCurrentRecordingAndLetsGoOfIt)
{
    // Nothing to play: nothing starts and the ring's rules stay as they are.
    FCurrent = FDir.filePath(QStringLiteral("missing.wav"));
    FGroup.PlayClick();
    EXPECT_FALSE(FSound.FPlayingRecord);
    EXPECT_FALSE(FGroup.SoundTimer()->isActive());

    const QString why = audiotest::NoSoundServer();
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    FCurrent = FDir.filePath(QStringLiteral("talk.wav"));
    ASSERT_TRUE(audiotest::WriteToneFile(FCurrent, 440, 8000, 3.0, true));
    FGroup.EnablePlayButton(true);
    button("PlayButton")->click();
    ASSERT_EQ(FPlayer.Mode(), mpPlaying);
    EXPECT_TRUE(FSound.FPlayingRecord);
    EXPECT_TRUE(button("PauseBtn")->isEnabled());
    EXPECT_TRUE(button("StopBtn")->isEnabled());
    EXPECT_GT(FGroup.SoundTrack()->maximum(), 2500);
    ASSERT_TRUE(audiotest::SpinUntil([&] { return FGroup.SoundTrack()->value() > 0; }, 3000));
    EXPECT_FALSE(FGroup.findChild<QLabel *>(QStringLiteral("RestTime"))->text().isEmpty());

    // Before its row goes the player lets go of the file.
    FGroup.CloseFile();
    EXPECT_NE(FPlayer.Mode(), mpPlaying);
    EXPECT_FALSE(FSound.FPlayingRecord);
    EXPECT_TRUE(FPlayer.FileName().isEmpty());
    EXPECT_EQ(FGroup.SoundTrack()->maximum(), 0);
    EXPECT_TRUE(QFile::remove(FCurrent));
}

TEST_F(RecordGroupTest, ClosingLeavesARingThatTookThePlayerOver)
{
    const QString why = audiotest::NoSoundServer();
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    FSettings.Ring = FDir.filePath(QStringLiteral("ring.wav"));
    ASSERT_TRUE(audiotest::WriteToneFile(FSettings.Ring, 880, 8000, 3.0, true));
    FSound.StartRing(nullptr);
    ASSERT_EQ(FPlayer.Mode(), mpPlaying);
    FGroup.CloseFile();
    EXPECT_EQ(FPlayer.Mode(), mpPlaying);
    EXPECT_EQ(FPlayer.FileName(), FSettings.Ring);
    FSound.StopSound();
}

} // namespace

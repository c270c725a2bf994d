#include "audio/TPulseMixer.h"
#include "audio/TSoundControl.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A mixer with the real scale: volumes kept in the server's units.
class FakeMixer : public TAudioMixer {
public:
    bool Available() const override { return FAvailable; }
    int Volume() override { return FAvailable ? TPulseMixer::FromPulse(FUnits) : 0; }
    void SetVolume(int v) override
    {
        if (!FAvailable || v < 0 || v > 100)
            return;
        FUnits = TPulseMixer::ToPulse(v);
        ++FSets;
    }
    std::vector<uint32_t> RawVolume() override
    {
        return FAvailable ? std::vector<uint32_t>{FUnits} : std::vector<uint32_t>{};
    }
    void SetRawVolume(const std::vector<uint32_t> &c) override
    {
        if (FAvailable && c.size() == 1)
            FUnits = c.front();
    }
    bool Muted() override { return FMuted; }
    void SetMuted(bool m) override
    {
        if (FAvailable)
            FMuted = m;
    }
    void AdjustAudio() override { ++FAdjusted; }

    bool FAvailable = true;
    uint32_t FUnits = TPulseMixer::ToPulse(70);
    bool FMuted = true;
    int FSets = 0;
    int FAdjusted = 0;
};

class FakePlayer : public TSoundPlayer {
public:
    TMPModes Mode() const override { return FMode; }
    QString FileName() const override { return FName; }
    void SetFileName(const QString &n) override { FName = n; }
    bool Open() override
    {
        ++FOpens;
        FMode = FName.contains("bad") ? mpNotReady : mpStopped;
        return FMode == mpStopped;
    }
    bool Play() override
    {
        if (FMode == mpNotReady)
            return false;
        FMode = mpPlaying;
        return true;
    }
    void Stop() override
    {
        if (FMode == mpPlaying || FMode == mpPaused)
            FMode = mpStopped;
        ++FStops;
    }
    void Close() override { FMode = mpNotReady; }
    // The sound came to its end.
    void End() { FMode = mpStopped; }

    TMPModes FMode = mpNotReady;
    QString FName;
    int FOpens = 0;
    int FStops = 0;
};

class FakeSettings : public TVolumeSettings {
public:
    int CurrentVolume() const override { return FNight ? FNightVolume : FDayVolume; }
    void SetCurrentVolume(int v) override
    {
        (FNight ? FNightVolume : FDayVolume) = v;
        ++FStores;
    }
    bool Creschendo() const override { return FCreschendo; }
    QString SoundFileName() const override { return FSound; }
    bool AdjustSoundSettings() const override { return FAdjust; }
    void SetCanPlayWhileRecording(bool c) override { FCanPlay = c; }

    int FDayVolume = 100;
    int FNightVolume = 50;
    bool FNight = false;
    bool FCreschendo = false;
    QString FSound;
    bool FAdjust = false;
    int FStores = 0;
    int FCanPlay = -1;
};

class FakeTimer : public TTickTimer {
public:
    void Start(int ms) override
    {
        FActive = true;
        FInterval = ms;
    }
    void Stop() override { FActive = false; }
    bool Active() const override { return FActive; }
    void Tick()
    {
        if (FActive && OnTimer)
            OnTimer();
    }
    bool FActive = false;
    int FInterval = 0;
};

class SoundControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FSettings.FSound = File("Din.wav");
        FControl.OnError = [this](const QString &m) { FErrors << m; };
        FControl.Wait = [this](int ms) { FWaited += ms; };
    }
    QString File(const char *name)
    {
        const QString p = FDir.filePath(QString::fromLatin1(name));
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write("RIFF");
        return p;
    }
    // Runs the crescendo to its end; returns the volumes read back at each tick.
    std::vector<int> RunCrescendo()
    {
        std::vector<int> steps;
        for (int i = 0; i < 100 && FTimer.Active(); ++i) {
            FTimer.Tick();
            steps.push_back(FMixer.Volume());
        }
        return steps;
    }

    QTemporaryDir FDir;
    FakeMixer FMixer;
    FakePlayer FPlayer;
    FakeSettings FSettings;
    FakeTimer FTimer;
    TSoundControl FControl{FMixer, FPlayer, FSettings, FTimer};
    QStringList FErrors;
    int FWaited = 0;
};

TEST(PulseScale, ReadBackIsOneLessExceptAtMultiplesOfTwenty)
{
    for (int v = 0; v <= 100; ++v) {
        const int back = TPulseMixer::FromPulse(TPulseMixer::ToPulse(v));
        EXPECT_EQ(back, v % 20 == 0 ? v : v - 1) << v;
    }
    EXPECT_EQ(TPulseMixer::ToPulse(100), 65536u);      // the normal volume, 100 %
    EXPECT_EQ(TPulseMixer::ToPulse(50), 32768u);
    EXPECT_EQ(TPulseMixer::FromPulse(200000), 100);    // above normal counts as 100
}

TEST_F(SoundControlTest, StartupAndShutdown)
{
    FSettings.FDayVolume = 60;
    FSettings.FAdjust = true;
    FControl.Startup();
    EXPECT_FALSE(FMixer.FMuted);
    EXPECT_EQ(FControl.SavedVolume, 69);
    EXPECT_EQ(FMixer.Volume(), 60);
    EXPECT_EQ(FControl.TrackBarPosition(), 60);
    EXPECT_TRUE(FControl.FVolumeFollowsTrack);
    EXPECT_EQ(FSettings.FStores, 0);
    EXPECT_EQ(FMixer.FAdjusted, 1);
    // The PC's own volume comes back exactly, not a point lower.
    FControl.Shutdown();
    EXPECT_EQ(FMixer.FUnits, TPulseMixer::ToPulse(70));
    EXPECT_EQ(FMixer.Volume(), 69);
}

TEST_F(SoundControlTest, ExitVolumeIsTheVolumeBeforeStartWhateverRang)
{
    // Runs one after another on the same PC never move its volume.
    FMixer.FUnits = 41234;   // no value of the 0..100 scale
    for (int run = 0; run < 3; ++run) {
        FSettings.FDayVolume = 30 + run * 20;
        FSettings.FCreschendo = run == 1;
        FControl.Startup();
        FControl.StartRing(nullptr);
        RunCrescendo();
        FControl.StopSound();
        FControl.SetTrackBarPosition(77);
        FControl.Shutdown();
        EXPECT_EQ(FMixer.FUnits, 41234u) << run;
    }
}

TEST_F(SoundControlTest, BarStoresTheVolumeOfTheMomentOnlyInTheConfiguredRegime)
{
    FControl.Startup();
    FControl.SetTrackBarPosition(45);
    EXPECT_EQ(FMixer.Volume(), 44);
    EXPECT_EQ(FSettings.FDayVolume, 44);
    FSettings.FNight = true;
    FControl.SpeedButton2Click();
    EXPECT_EQ(FControl.TrackBarPosition(), 35);
    EXPECT_EQ(FSettings.FNightVolume, 34);
    EXPECT_EQ(FSettings.FDayVolume, 44);
    FControl.SpeedButton1Click();
    FControl.SetTrackBarPosition(130);
    EXPECT_EQ(FControl.TrackBarPosition(), 100);

    // A personal volume rings: the bar moves the speaker but stores nothing.
    FSettings.FNight = false;
    FSettings.FDayVolume = 80;
    FSettings.FNightVolume = 20;
    const TRingSubscriber sub{30, false, {}};
    FControl.StartRing(&sub);
    EXPECT_FALSE(FControl.FVolumeFollowsTrack);
    EXPECT_NEAR(FMixer.Volume(), 30, 2);
    const int stores = FSettings.FStores;
    FControl.SetTrackBarPosition(70);
    EXPECT_EQ(FMixer.Volume(), 69);
    EXPECT_EQ(FSettings.FStores, stores);
    EXPECT_EQ(FSettings.FDayVolume, 80);
    EXPECT_EQ(FSettings.FNightVolume, 20);

    // The call's end goes back to the configured regime.
    FControl.StopCrescendo();
    FControl.StopSound();
    FControl.ResetVolume();
    EXPECT_EQ(FControl.TrackBarPosition(), 80);
    EXPECT_EQ(FMixer.Volume(), 80);
    EXPECT_EQ(FSettings.FStores, stores);
}

TEST_F(SoundControlTest, CrescendoFrom52ReachesHundredAndStops)
{
    FSettings.FDayVolume = 52;
    FSettings.FCreschendo = true;
    FControl.Startup();
    FControl.StartRing(nullptr);
    EXPECT_TRUE(FTimer.Active());
    EXPECT_EQ(FTimer.FInterval, 500);
    EXPECT_FALSE(FControl.FVolumeFollowsTrack);
    int last = FMixer.Volume();
    EXPECT_NEAR(last, 52, 2);
    const std::vector<int> steps = RunCrescendo();
    ASSERT_FALSE(FTimer.Active());
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 100);
    for (int v : steps) {
        EXPECT_GT(v, last);
        EXPECT_LE(v - last, 5);
        last = v;
    }
    EXPECT_EQ(FControl.TrackBarPosition(), 100);
    EXPECT_TRUE(FControl.FCrescendoDone);
    EXPECT_EQ(FSettings.FDayVolume, 52);
    EXPECT_EQ(FSettings.FStores, 0);

    // From now on stopping a sound (also a played recording) restores the
    // configured volume as read back.
    FControl.StopSound();
    EXPECT_EQ(FMixer.Volume(), 52);
    FControl.SetTrackBarPosition(90);
    FControl.FPlayingRecord = true;
    FControl.StopSound();
    EXPECT_FALSE(FControl.FPlayingRecord);
    EXPECT_EQ(FMixer.Volume(), FSettings.FDayVolume);
}

TEST_F(SoundControlTest, AlertOkStopsTheRingAndLeavesTheVolume)
{
    FSettings.FDayVolume = 52;
    FSettings.FCreschendo = true;
    FControl.Startup();
    FControl.StartRing(nullptr);
    const int ringing = FMixer.Volume();
    FControl.StopRing();
    EXPECT_NE(FPlayer.FMode, mpPlaying);
    EXPECT_EQ(FMixer.Volume(), ringing);
    // Also once a crescendo has finished: the speaker stays where it rose to.
    FControl.StartRing(nullptr);
    RunCrescendo();
    ASSERT_TRUE(FControl.FCrescendoDone);
    const int sets = FMixer.FSets;
    FControl.StopRing();
    EXPECT_NE(FPlayer.FMode, mpPlaying);
    EXPECT_EQ(FMixer.Volume(), 100);
    EXPECT_EQ(FMixer.FSets, sets);
}

TEST_F(SoundControlTest, PersonalVolumeWithCrescendoRisesFromItsVolume)
{
    FControl.Startup();
    const TRingSubscriber sub{30, true, File("own.wav")};
    FControl.StartRing(&sub);
    EXPECT_EQ(FPlayer.FName, sub.SoundFile);
    const int first = FMixer.Volume();
    EXPECT_GE(first, 27);
    EXPECT_LE(first, 30);
    // The number arrives while the crescendo runs: the volume is not reset.
    FTimer.Tick();
    const int risen = FMixer.Volume();
    const TRingSubscriber again{-1, true, sub.SoundFile};
    FControl.StartRing(&again);
    EXPECT_GE(FMixer.Volume(), risen - 1);
    EXPECT_EQ(FPlayer.FOpens, 1);
    RunCrescendo();
    EXPECT_EQ(FMixer.Volume(), 100);
    EXPECT_EQ(FSettings.FStores, 0);
}

TEST_F(SoundControlTest, NightVolumeRingsAtNight)
{
    FSettings.FNight = true;
    FSettings.FNightVolume = 22;
    FControl.Startup();
    FMixer.SetVolume(90);
    FControl.StartRing(nullptr);
    EXPECT_EQ(FMixer.Volume(), 21);
    EXPECT_EQ(FControl.TrackBarPosition(), 21);
    FSettings.FNight = false;
    FPlayer.End();
    FControl.StartRing(nullptr);
    EXPECT_EQ(FControl.TrackBarPosition(), 100);
    EXPECT_EQ(FSettings.FStores, 0);
}

TEST_F(SoundControlTest, RingSoundIsNotRestartedWhileItPlays)
{
    FControl.Startup();
    FControl.StartRing(nullptr);
    EXPECT_EQ(FPlayer.FOpens, 1);
    EXPECT_EQ(FPlayer.FName, FSettings.FSound);
    FControl.StartRing(nullptr);
    EXPECT_EQ(FPlayer.FOpens, 1);
    // A subscriber without a sound of its own rings the global one.
    const TRingSubscriber plain{-1, false, {}};
    FControl.StartRing(&plain);
    EXPECT_EQ(FPlayer.FOpens, 1);
    // Ended: it starts again; another file replaces it.
    FPlayer.End();
    FControl.StartRing(nullptr);
    EXPECT_EQ(FPlayer.FOpens, 2);
    const TRingSubscriber own{-1, false, File("own.wav")};
    FControl.StartRing(&own);
    EXPECT_EQ(FPlayer.FOpens, 3);
    EXPECT_EQ(FPlayer.FName, own.SoundFile);
    EXPECT_TRUE(FErrors.isEmpty());
}

TEST_F(SoundControlTest, PlayFileRules)
{
    EXPECT_FALSE(FControl.PlayFile(FDir.filePath("missing.wav")));
    EXPECT_EQ(FPlayer.FOpens, 0);
    EXPECT_TRUE(FErrors.isEmpty());
    EXPECT_FALSE(FControl.PlayFile(File("bad.wav")));
    EXPECT_EQ(FErrors, QStringList{QStringLiteral("Неверный формат файла")});
    EXPECT_TRUE(FControl.PlayFile(File("good.wav")));
    EXPECT_EQ(FPlayer.FMode, mpPlaying);
    EXPECT_TRUE(FControl.PlayFile(File("next.wav")));
    EXPECT_EQ(FPlayer.FName, FDir.filePath("next.wav"));
    EXPECT_EQ(FErrors.size(), 1);
}

TEST_F(SoundControlTest, DuplexTestPlaysMutedAndRestoresTheMute)
{
    FControl.Startup();
    EXPECT_FALSE(FMixer.FMuted);
    bool mutedWhileAsked = false;
    bool playingWhileAsked = false;
    EXPECT_TRUE(FControl.TestDuplex([&] {
        mutedWhileAsked = FMixer.FMuted;
        playingWhileAsked = FPlayer.FMode == mpPlaying;
        return true;
    }));
    EXPECT_TRUE(mutedWhileAsked);
    EXPECT_TRUE(playingWhileAsked);
    EXPECT_EQ(FPlayer.FMode, mpStopped);
    EXPECT_FALSE(FMixer.FMuted);
    EXPECT_EQ(FWaited, 100);
    EXPECT_EQ(FSettings.FCanPlay, 1);
    FMixer.FMuted = true;
    EXPECT_FALSE(FControl.TestDuplex([] { return false; }));
    EXPECT_TRUE(FMixer.FMuted);
    EXPECT_EQ(FSettings.FCanPlay, 0);
}

TEST_F(SoundControlTest, WithoutMixerTheRingPlaysAndTheVolumeDoesNothing)
{
    FMixer.FAvailable = false;
    FSettings.FCreschendo = true;
    FControl.Startup();
    FControl.StartRing(nullptr);
    EXPECT_EQ(FPlayer.FMode, mpPlaying);
    FTimer.Tick();
    EXPECT_FALSE(FTimer.Active());
    FControl.SetTrackBarPosition(40);
    FControl.ResetVolume();
    FControl.StopSound();
    EXPECT_EQ(FMixer.FSets, 0);
    EXPECT_EQ(FSettings.FStores, 0);
    EXPECT_TRUE(FErrors.isEmpty());
}

}

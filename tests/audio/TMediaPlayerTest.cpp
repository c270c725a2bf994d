#include "AudioTestUtil.h"
#include "audio/TGSMRecorder.h"
#include "audio/TMediaPlayer.h"
#include "audio/TSoundFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace audiotest;

namespace {

void WriteBytes(const QString &path, const QByteArray &b)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
}

TEST(SoundFile, RefusesWhatIsNoSoundFile)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.wav");
    ASSERT_TRUE(WriteToneFile(good, 1000, 8000, 0.5, true));
    const QByteArray wave = ReadAll(good);
    WriteBytes(dir.filePath("text.wav"), "This is not a sound file.\r\n");
    WriteBytes(dir.filePath("header.wav"), wave.left(30));
    WriteBytes(dir.filePath("nodata.wav"), wave.left(61));
    WriteBytes(dir.filePath("empty.wav"), QByteArray());
    WriteBytes(dir.filePath("half.wav"), wave.left(wave.size() / 2));

    TSoundFile f;
    for (const char *name : {"text.wav", "header.wav", "nodata.wav", "half.wav", "empty.wav", "missing.wav", "."}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(f.Open(dir.filePath(name)));
        EXPECT_FALSE(f.IsOpen());
        EXPECT_FALSE(f.ErrorText().isEmpty());
    }
    ASSERT_TRUE(f.Open(good)) << f.ErrorText().toStdString();
    EXPECT_EQ(f.SampleRate(), 8000);
    EXPECT_EQ(f.Channels(), 1);
    EXPECT_EQ(f.LengthMs(), f.FrameCount() * 1000 / 8000);
    EXPECT_GE(f.LengthMs(), 480);

    TMediaPlayer player;
    player.SetFileName(dir.filePath("text.wav"));
    EXPECT_FALSE(player.Open());
    EXPECT_EQ(player.Mode(), mpNotReady);
    EXPECT_FALSE(player.Play());
    player.SetFileName(good);
    ASSERT_TRUE(player.Open());
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_EQ(player.Frames(), player.Length() / 10);
    EXPECT_EQ(player.Position(), 0);
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString why = NoSoundServer();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
    }
    QTemporaryDir FDir;
};

TEST_F(PlayerTest, PlaysGsmAndPcmFilesIntoLine)
{
    struct Case { const char *name; int rate; bool gsm; };
    for (const Case c : {Case{"tone-gsm.wav", 8000, true}, Case{"tone-pcm.wav", 22050, false}}) {
        SCOPED_TRACE(c.name);
        const QString path = FDir.filePath(c.name);
        ASSERT_TRUE(WriteToneFile(path, 1000, c.rate, 1.5, c.gsm));

        TGSMRecorder rec;
        rec.SetFileName(FDir.filePath(QStringLiteral("heard-%1").arg(c.name)));
        rec.Start();
        ASSERT_EQ(rec.State(), rsRecording);

        TMediaPlayer player;
        int notified = 0;
        QObject::connect(&player, &TMediaPlayer::Notified, [&] { ++notified; });
        player.SetFileName(path);
        ASSERT_TRUE(player.Open());
        EXPECT_NEAR(double(player.Length()), 1500.0, 40.0);
        ASSERT_TRUE(player.Play());
        EXPECT_EQ(player.Mode(), mpPlaying);
        std::vector<int64_t> positions;
        ASSERT_TRUE(SpinUntil([&] {
            positions.push_back(player.Position());
            return notified > 0;
        }, 10000));
        Spin(400);
        EXPECT_EQ(notified, 1);
        EXPECT_EQ(player.Mode(), mpStopped);
        EXPECT_EQ(player.Position(), player.Length());
        ASSERT_GE(positions.size(), 3u);
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
        EXPECT_LT(positions.front(), 300);
        EXPECT_GT(positions.back(), 1000);

        rec.Stop();
        std::vector<int16_t> s;
        int rate = 0;
        ASSERT_TRUE(Decode(rec.FileName(), s, rate));
        EXPECT_GT(Rms(s), 500.0);
        EXPECT_NEAR(DominantFrequency(s, rate, 200, 3500), 1000.0, 20.0);
    }
}

TEST_F(PlayerTest, PauseSeekAndResume)
{
    const QString path = FDir.filePath("long.wav");
    ASSERT_TRUE(WriteToneFile(path, 1000, 8000, 3.0, true));
    TMediaPlayer player;
    int notified = 0;
    QObject::connect(&player, &TMediaPlayer::Notified, [&] { ++notified; });
    player.SetFileName(path);
    ASSERT_TRUE(player.Open());
    ASSERT_TRUE(player.Play());
    Spin(400);
    player.Pause();
    EXPECT_EQ(player.Mode(), mpPaused);
    const int64_t paused = player.Position();
    Spin(300);
    EXPECT_EQ(player.Position(), paused);
    EXPECT_TRUE(player.Resume());
    EXPECT_EQ(player.Mode(), mpPlaying);

    // Seeking stops; resuming a stopped player plays from there, without the
    // notification while it is switched off.
    player.Notify = false;
    player.Seek(2500);
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_EQ(player.Position(), 2500);
    EXPECT_TRUE(player.Resume());
    player.Notify = true;
    EXPECT_GE(player.Position(), 2500);
    ASSERT_TRUE(SpinUntil([&] { return notified > 0; }, 5000));
    EXPECT_EQ(notified, 1);

    // A play from a position past either end stays inside the recording.
    ASSERT_TRUE(player.PlayFrom(-500));
    EXPECT_LT(player.Position(), 500);
    player.Stop();
    EXPECT_EQ(player.Mode(), mpStopped);
    ASSERT_TRUE(player.PlayFrom(player.Length() + 1000));
    ASSERT_TRUE(SpinUntil([&] { return notified > 1; }, 5000));
    player.Close();
    EXPECT_EQ(player.Mode(), mpNotReady);
}

}

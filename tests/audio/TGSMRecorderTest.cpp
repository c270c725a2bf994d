#include "AudioTestUtil.h"
#include "audio/TGSMRecorder.h"
#include "audio/TGsmWaveFile.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>

using namespace audiotest;

namespace {

struct WaveChunks {
    bool ok = false;
    QStringList order;          // chunk ids inside RIFF, in file order
    QByteArray fmt;
    uint32_t fact = 0;
    uint32_t dataSize = 0;
    uint32_t riffSize = 0;
    int dataChunks = 0;
};

WaveChunks ParseWave(const QByteArray &b)
{
    WaveChunks w;
    if (b.size() < 12 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE")
        return w;
    w.riffSize = Le32(b, 4);
    int p = 12;
    while (p + 8 <= b.size()) {
        const QByteArray id = b.mid(p, 4);
        const uint32_t size = Le32(b, p + 4);
        w.order << QString::fromLatin1(id);
        if (id == "fmt ")
            w.fmt = b.mid(p + 8, int(size));
        else if (id == "fact" && size >= 4)
            w.fact = Le32(b, p + 8);
        else if (id == "data") {
            w.dataSize = size;
            ++w.dataChunks;
        }
        p += 8 + int(size) + int(size & 1);
    }
    w.ok = p == b.size();
    return w;
}

const QByteArray ExpectedFormatBlock = QByteArray::fromHex("31000100401f0000590600004100000002004001");

TEST(GsmWaveFile, LayoutForNCompressedBytes)
{
    QTemporaryDir dir;
    // 201 blocks is a length where computing the sample count in floating point
    // gives one less than the 320 samples per block.
    for (const int blocks : {0, 1, 7, 201}) {
        SCOPED_TRACE(blocks);
        const QString path = dir.filePath(QStringLiteral("w%1.wav").arg(blocks));
        TGsmWaveFile f;
        ASSERT_TRUE(f.Create(path));
        const QByteArray block(65, char(0x5a));
        for (int i = 0; i < blocks; ++i)
            ASSERT_TRUE(f.Append(block.constData(), block.size()));
        ASSERT_TRUE(f.Finish());

        const QByteArray b = ReadAll(path);
        const int n = blocks * 65;
        const int pad = n & 1;
        ASSERT_EQ(b.size(), 60 + n + pad);
        EXPECT_EQ(b.left(4), "RIFF");
        EXPECT_EQ(Le32(b, 4), uint32_t(b.size() - 8));
        EXPECT_EQ(b.mid(8, 4), "WAVE");
        EXPECT_EQ(b.mid(12, 4), "fmt ");
        EXPECT_EQ(Le32(b, 16), 20u);
        EXPECT_EQ(b.mid(20, 20).toHex(), ExpectedFormatBlock.toHex());
        EXPECT_EQ(b.mid(40, 4), "fact");
        EXPECT_EQ(Le32(b, 44), 4u);
        EXPECT_EQ(Le32(b, 48), uint32_t(320 * blocks));
        EXPECT_EQ(b.mid(52, 4), "data");
        EXPECT_EQ(Le32(b, 56), uint32_t(n));
        EXPECT_EQ(b.mid(60, n), QByteArray(n, char(0x5a)));
    }
    EXPECT_EQ(TGsmWaveFile::SampleCount(13065), 64320u);
    EXPECT_EQ(TGsmWaveFile::SampleCount(100), 492u);
}

TEST(GsmWaveFile, CreateFailsInMissingFolder)
{
    TGsmWaveFile f;
    EXPECT_FALSE(f.Create(QStringLiteral("/nonexistent-folder/x/rec.wav")));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_FALSE(f.Append("x", 1));
}

// Plays raw 8000 Hz mono samples into the sink "line" until stopped.
class LinePlayer {
public:
    explicit LinePlayer(const std::vector<int16_t> &samples)
    {
        FProc.start(QStringLiteral("pacat"),
                    {QStringLiteral("--playback"), QStringLiteral("--raw"), QStringLiteral("--rate=8000"),
                     QStringLiteral("--channels=1"), QStringLiteral("--format=s16le"),
                     QStringLiteral("--latency-msec=50"), QStringLiteral("--device=line")});
        FProc.waitForStarted();
        FProc.write(reinterpret_cast<const char *>(samples.data()), qint64(samples.size() * 2));
        FProc.closeWriteChannel();
    }
    ~LinePlayer()
    {
        FProc.kill();
        FProc.waitForFinished();
    }

private:
    QProcess FProc;
};

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString why = NoSoundServer();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(FDir.isValid());
    }
    QString Path(const char *name) const { return FDir.filePath(QString::fromLatin1(name)); }
    static void Record(TGSMRecorder &r, int ms)
    {
        Spin(ms);
        ASSERT_EQ(r.State(), rsRecording);
    }
    QTemporaryDir FDir;
};

TEST_F(RecorderTest, StartNeedsANameAndADevice)
{
    TGSMRecorder r;
    EXPECT_TRUE(r.CanRecord());
    r.Start();
    EXPECT_EQ(r.State(), rsWaiting);
    EXPECT_TRUE(QDir(FDir.path()).entryList(QDir::Files).isEmpty());
    // Operations out of their state do nothing.
    r.Pause();
    r.Resume();
    r.Stop();
    EXPECT_EQ(r.State(), rsWaiting);
}

TEST_F(RecorderTest, ToneFromLineIsRecordedAsGsm)
{
    LinePlayer tone(Tone(1000, 8000, 6.0));
    Spin(300);
    TGSMRecorder r;
    r.SetFileName(Path("tone.wav"));
    r.Start();
    ASSERT_EQ(r.State(), rsRecording);
    // The file stays fixed while recording.
    r.SetFileName(Path("other.wav"));
    EXPECT_EQ(r.FileName(), Path("tone.wav"));
    Record(r, 2500);
    r.Stop();
    EXPECT_EQ(r.State(), rsWaiting);
    EXPECT_FALSE(QFile::exists(Path("other.wav")));

    const WaveChunks w = ParseWave(ReadAll(Path("tone.wav")));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.order, (QStringList{"fmt ", "fact", "data"}));
    EXPECT_EQ(w.fmt.toHex(), ExpectedFormatBlock.toHex());
    EXPECT_EQ(w.dataSize % 65, 0u);
    EXPECT_GT(w.dataSize, 65u * 25 * 2);       // more than two seconds of sound
    EXPECT_EQ(w.fact, TGsmWaveFile::SampleCount(w.dataSize));
    EXPECT_EQ(uint64_t(w.dataSize), r.BytesWritten());

    std::vector<int16_t> s;
    int rate = 0;
    ASSERT_TRUE(Decode(Path("tone.wav"), s, rate));
    EXPECT_EQ(rate, 8000);
    // libsndfile may count the pad byte after an odd data chunk as one more block.
    EXPECT_GE(s.size(), size_t(w.fact));
    EXPECT_LE(s.size(), size_t(w.fact) + 320);
    // Leave out the start, where the tone may not have reached the input yet.
    std::vector<int16_t> middle(s.begin() + std::min<size_t>(s.size(), 4000), s.end());
    ASSERT_GT(middle.size(), 4000u);
    EXPECT_GT(Rms(middle), 1000.0);
    EXPECT_NEAR(DominantFrequency(middle, rate, 200, 3500), 1000.0, 20.0);
}

TEST_F(RecorderTest, SecondRecordingCountsOnlyItself)
{
    TGSMRecorder r;
    r.SetFileName(Path("a.wav"));
    r.Start();
    Record(r, 1500);
    r.Stop();
    r.SetFileName(Path("b.wav"));
    r.Start();
    Record(r, 600);
    r.Stop();
    const WaveChunks a = ParseWave(ReadAll(Path("a.wav")));
    const WaveChunks b = ParseWave(ReadAll(Path("b.wav")));
    ASSERT_TRUE(a.ok);
    ASSERT_TRUE(b.ok);
    EXPECT_GT(b.dataSize, 0u);
    EXPECT_EQ(b.fact, TGsmWaveFile::SampleCount(b.dataSize));
    EXPECT_EQ(a.fact, TGsmWaveFile::SampleCount(a.dataSize));
    EXPECT_LT(b.dataSize, a.dataSize);
}

TEST_F(RecorderTest, PauseLeavesOutThePausedTime)
{
    TGSMRecorder r;
    r.SetFileName(Path("p.wav"));
    r.Start();
    Record(r, 700);
    r.Pause();
    EXPECT_EQ(r.State(), rsPaused);
    // The partly filled buffer is written at the pause.
    const uint64_t atPause = r.BytesWritten();
    EXPECT_GT(atPause, 0u);
    Spin(2500);
    EXPECT_EQ(r.BytesWritten(), atPause);
    r.Resume();
    EXPECT_EQ(r.State(), rsRecording);
    Record(r, 700);
    r.Pause();
    // Stopping a paused recording finishes the file.
    r.Stop();
    EXPECT_EQ(r.State(), rsWaiting);
    const WaveChunks w = ParseWave(ReadAll(Path("p.wav")));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.dataChunks, 1);
    EXPECT_GT(w.dataSize, atPause);
    EXPECT_EQ(w.fact, TGsmWaveFile::SampleCount(w.dataSize));
    // About 1.4 s recorded of the 3.9 s that passed.
    EXPECT_LT(w.fact, 8000u * 3);
}

TEST_F(RecorderTest, UnwritableFileLeavesItWaiting)
{
    TGSMRecorder r;
    r.SetFileName(QStringLiteral("/nonexistent-folder/x/rec.wav"));
    r.Start();
    EXPECT_EQ(r.State(), rsWaiting);
}

TEST_F(RecorderTest, FullDiskStopsTheRecordingWithTheFileFinished)
{
    // A file size limit stands for the disk that fills up.
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 60 + 2 * 455 + 100;
    setrlimit(RLIMIT_FSIZE, &small);

    TGSMRecorder r;
    r.SetFileName(Path("full.wav"));
    r.Start();
    const bool stopped = SpinUntil([&] { return r.State() == rsWaiting; }, 10000);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);
    ASSERT_TRUE(stopped);

    const QByteArray b = ReadAll(Path("full.wav"));
    ASSERT_EQ(b.size(), 60 + 2 * 455 + 100);
    EXPECT_EQ(Le32(b, 4), uint32_t(b.size() - 8));
    EXPECT_EQ(Le32(b, 56), uint32_t(b.size() - 60));
    EXPECT_EQ(Le32(b, 48), TGsmWaveFile::SampleCount(uint64_t(b.size() - 60)));
    // The recorder goes on working.
    r.SetFileName(Path("after.wav"));
    r.Start();
    EXPECT_EQ(r.State(), rsRecording);
    r.Stop();
}

}

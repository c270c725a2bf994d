#include "AudioTestUtil.h"
#include "audio/TPulseMixer.h"
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace audiotest;

namespace {

QString Pactl(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("pactl"), args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The channel volumes pactl shows, in percent.
QList<int> PactlPercents(const QString &sink)
{
    QList<int> out;
    const QString text = Pactl({QStringLiteral("get-sink-volume"), sink});
    static const QRegularExpression re(QStringLiteral("/\\s*(\\d+)%"));
    for (auto it = re.globalMatch(text.section(QLatin1Char('\n'), 0, 0)); it.hasNext();)
        out << it.next().captured(1).toInt();
    return out;
}

// A stereo null sink of the test's own, so that the shared sink "line" keeps
// its volume and mute for the other tests.
class MixerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString why = NoSoundServer();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        FSink = QStringLiteral("konvelo_test_%1").arg(getpid());
        FModule = Pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                         QStringLiteral("sink_name=") + FSink, QStringLiteral("channels=2")});
        ASSERT_FALSE(FModule.isEmpty());
    }
    void TearDown() override
    {
        if (!FModule.isEmpty())
            Pactl({QStringLiteral("unload-module"), FModule});
    }
    QByteArray Sink() const { return FSink.toUtf8(); }
    QString FSink;
    QString FModule;
};

TEST_F(MixerTest, SetAndReadBackOnTheServer)
{
    TPulseMixer mixer(Sink(), Sink() + ".monitor");
    ASSERT_TRUE(mixer.Available());
    for (const int v : {0, 20, 33, 50, 99, 100}) {
        SCOPED_TRACE(v);
        mixer.SetVolume(v);
        EXPECT_EQ(mixer.Volume(), v % 20 == 0 ? v : v - 1);
        EXPECT_EQ(PactlPercents(FSink), (QList<int>{v, v}));
    }
    mixer.SetVolume(40);
    mixer.SetVolume(-1);
    mixer.SetVolume(101);
    EXPECT_EQ(mixer.Volume(), 40);

    mixer.SetMuted(true);
    EXPECT_TRUE(mixer.Muted());
    EXPECT_TRUE(Pactl({QStringLiteral("get-sink-mute"), FSink}).endsWith(QLatin1String("yes")));
    mixer.SetMuted(false);
    EXPECT_FALSE(mixer.Muted());
}

TEST_F(MixerTest, BalanceIsKept)
{
    Pactl({QStringLiteral("set-sink-volume"), FSink, QStringLiteral("100%"), QStringLiteral("50%")});
    TPulseMixer mixer(Sink(), Sink() + ".monitor");
    ASSERT_TRUE(mixer.Available());
    EXPECT_EQ(mixer.Volume(), 100);
    mixer.SetVolume(60);
    EXPECT_EQ(mixer.Volume(), 60);
    EXPECT_EQ(PactlPercents(FSink), (QList<int>{60, 30}));
    // Through zero and back: the balance read at creation still holds.
    mixer.SetVolume(0);
    mixer.SetVolume(80);
    EXPECT_EQ(PactlPercents(FSink), (QList<int>{80, 40}));
}

TEST_F(MixerTest, RawVolumeComesBackUnchanged)
{
    // Channel volumes no 0..100 value gives, and unequal.
    Pactl({QStringLiteral("set-sink-volume"), FSink, QStringLiteral("41234"), QStringLiteral("30001")});
    TPulseMixer mixer(Sink(), Sink() + ".monitor");
    ASSERT_TRUE(mixer.Available());
    const std::vector<uint32_t> saved = mixer.RawVolume();
    EXPECT_EQ(saved, (std::vector<uint32_t>{41234, 30001}));
    mixer.SetVolume(35);
    mixer.SetRawVolume(saved);
    EXPECT_EQ(mixer.RawVolume(), saved);
    mixer.SetRawVolume({1, 2, 3});        // another channel count: nothing
    EXPECT_EQ(mixer.RawVolume(), saved);
}

TEST_F(MixerTest, AdjustAudioUnmutesOutputsAndCapture)
{
    const QString source = FSink + QStringLiteral(".monitor");
    Pactl({QStringLiteral("set-sink-mute"), FSink, QStringLiteral("1")});
    Pactl({QStringLiteral("set-source-mute"), source, QStringLiteral("1")});
    TPulseMixer mixer(Sink(), source.toUtf8());
    mixer.AdjustAudio();
    EXPECT_TRUE(Pactl({QStringLiteral("get-sink-mute"), FSink}).endsWith(QLatin1String("no")));
    EXPECT_TRUE(Pactl({QStringLiteral("get-source-mute"), source}).endsWith(QLatin1String("no")));
}

TEST(MixerWithoutServer, DoesNothing)
{
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/konvelo/native");
    {
        TPulseMixer mixer;
        EXPECT_FALSE(mixer.Available());
        mixer.SetVolume(50);
        mixer.SetMuted(true);
        mixer.AdjustAudio();
        EXPECT_EQ(mixer.Volume(), 0);
        EXPECT_FALSE(mixer.Muted());
        EXPECT_FALSE(TPulseMixer::ServerReachable());
    }
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
}

}

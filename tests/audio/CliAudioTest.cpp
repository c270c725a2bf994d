#include "AudioTestUtil.h"
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace audiotest;

namespace {

struct CliRun {
    int code = -1;
    QList<QJsonObject> lines;
    QString err;
};

CliRun Cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli"), args);
    CliRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    for (const QByteArray &l : p.readAllStandardOutput().split('\n'))
        if (!l.trimmed().isEmpty())
            r.lines << QJsonDocument::fromJson(l).object();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class CliAudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli")))
            GTEST_SKIP() << "konvelo-cli is not built";
        const QString why = NoSoundServer();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
    }
    QTemporaryDir FDir;
};

TEST_F(CliAudioTest, RecordThenPlay)
{
    const QString file = FDir.filePath(QStringLiteral("rec.wav"));
    const CliRun rec = Cli({QStringLiteral("record"), file, QStringLiteral("--seconds"), QStringLiteral("1")});
    ASSERT_EQ(rec.code, 0) << rec.err.toStdString();
    ASSERT_EQ(rec.lines.size(), 1);
    const double bytes = rec.lines[0].value(QStringLiteral("bytes")).toDouble();
    EXPECT_GT(bytes, 0);
    EXPECT_EQ(QFileInfo(file).size(), qint64(60 + bytes + (qint64(bytes) & 1)));

    const CliRun play = Cli({QStringLiteral("play"), file});
    ASSERT_EQ(play.code, 0) << play.err.toStdString();
    ASSERT_GE(play.lines.size(), 2);
    EXPECT_EQ(play.lines.first().value(QStringLiteral("position")).toInt(), 0);
    EXPECT_TRUE(play.lines.last().value(QStringLiteral("end")).toBool());
    EXPECT_EQ(play.lines.last().value(QStringLiteral("position")).toInt(),
              play.lines.first().value(QStringLiteral("length")).toInt());
}

TEST_F(CliAudioTest, BadInputAndDevices)
{
    const CliRun missing = Cli({QStringLiteral("play"), FDir.filePath(QStringLiteral("none.wav"))});
    EXPECT_EQ(missing.code, 1);
    const CliRun notSound = Cli({QStringLiteral("play"), QStringLiteral(KONVELO_SOURCE_DIR "/README.md")});
    EXPECT_EQ(notSound.code, 2);
    EXPECT_TRUE(notSound.err.contains(QStringLiteral("Неверный формат файла")));
    EXPECT_TRUE(notSound.lines.isEmpty());
    EXPECT_EQ(Cli({QStringLiteral("record"), QStringLiteral("x.wav")}).code, 2);
    EXPECT_EQ(Cli({QStringLiteral("volume"), QStringLiteral("set"), QStringLiteral("101")}).code, 2);
    EXPECT_EQ(Cli({QStringLiteral("mute"), QStringLiteral("maybe")}).code, 2);

    const CliRun vol = Cli({QStringLiteral("volume")});
    ASSERT_EQ(vol.code, 0);
    ASSERT_EQ(vol.lines.size(), 1);
    const int v = vol.lines[0].value(QStringLiteral("volume")).toInt(-1);
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 100);

    const CliRun dev = Cli({QStringLiteral("audio-devices")});
    ASSERT_EQ(dev.code, 0);
    bool defaultInput = false, defaultOutput = false;
    for (const QJsonObject &o : dev.lines) {
        if (o.value(QStringLiteral("default")).toBool()) {
            defaultInput |= o.value(QStringLiteral("kind")).toString() == QLatin1String("input")
                && o.value(QStringLiteral("id")).toString() == QLatin1String("linein");
            defaultOutput |= o.value(QStringLiteral("kind")).toString() == QLatin1String("output")
                && o.value(QStringLiteral("id")).toString() == QLatin1String("line");
        }
    }
    EXPECT_TRUE(defaultInput);
    EXPECT_TRUE(defaultOutput);
}

}

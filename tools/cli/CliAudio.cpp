// Sound subcommands: recording, playing, the speaker volume and mute, devices.
// Every sound object is a local of its subcommand, so it is stopped and freed
// before main() returns.
#include "CliCommand.h"
#include "audio/TGSMRecorder.h"
#include "audio/TMediaPlayer.h"
#include "audio/TPulseMixer.h"
#include "audio/TRingTone.h"
#include "audio/TSoundControl.h"
#include "common/JsonLine.h"
#include <QAudioDevice>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaDevices>
#include <QTimer>

namespace {

int record(const CliArgs &a)
{
    bool ok = false;
    const int seconds = a.option(QStringLiteral("seconds")).toInt(&ok);
    if (!ok || seconds <= 0 || a.words.size() != 2) {
        cliErr(QStringLiteral("usage: record --seconds N FILE (N a whole number above 0)"));
        return CliUsage;
    }
    const QString file = a.words.at(1);
    TGSMRecorder recorder;
    recorder.OnMessage = [](const QString &m) { cliErr(m); };
    if (!recorder.CanRecord()) {
        cliErr(QStringLiteral("no sound input device"));
        return CliNotFound;
    }
    recorder.SetFileName(file);
    recorder.Start();
    if (recorder.State() != rsRecording) {
        cliErr(QStringLiteral("cannot record into ") + file);
        return CliNotFound;
    }
    bool failed = false;
    const QMetaObject::Connection watch = QObject::connect(&recorder, &TGSMRecorder::StateChanged, [&](TGSMRecorderState s) {
        if (s == rsWaiting) {
            failed = true;
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    QObject::disconnect(watch);
    recorder.Stop();
    cliOut(JsonLine()
               .add(QStringLiteral("file"), QFileInfo(file).absoluteFilePath())
               .add(QStringLiteral("bytes"), double(recorder.BytesWritten()))
               .add(QStringLiteral("samples"), double(recorder.SampleCount()))
               .add(QStringLiteral("ms"), double(recorder.SampleCount() / 8))
               .toString());
    if (failed) {
        cliErr(QStringLiteral("the recording stopped early (device or file error)"));
        return CliNotFound;
    }
    return CliOk;
}

int play(const CliArgs &a)
{
    if (a.words.size() != 2) {
        cliErr(QStringLiteral("usage: play FILE"));
        return CliUsage;
    }
    const QString file = a.words.at(1);
    if (!QFileInfo(file).isFile()) {
        cliErr(QStringLiteral("file not found: ") + file);
        return CliNotFound;
    }
    TMediaPlayer player;
    player.SetFileName(file);
    if (!player.Open()) {
        cliErr(TSoundControl::BadFormatText);
        return CliUsage;
    }
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        cliErr(QStringLiteral("no sound output device"));
        return CliNotFound;
    }
    if (!player.Play()) {
        cliErr(TSoundControl::BadFormatText);
        return CliUsage;
    }
    cliOut(JsonLine().add(QStringLiteral("position"), double(player.Position()))
               .add(QStringLiteral("length"), double(player.Length())).toString());
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        cliOut(JsonLine().add(QStringLiteral("position"), double(player.Position())).toString());
    });
    tick.start(1000);
    bool ended = false;
    QObject::connect(&player, &TMediaPlayer::Notified, [&] {
        ended = true;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    tick.stop();
    const int64_t at = player.Position();
    player.Stop();
    player.Close();
    cliOut(JsonLine().add(QStringLiteral("end"), ended).add(QStringLiteral("position"), double(at)).toString());
    return CliOk;
}

int volume(const CliArgs &a)
{
    const QStringList &w = a.words;
    int wanted = -1;
    if (w.size() == 3 && w.at(1) == QLatin1String("set")) {
        bool ok = false;
        wanted = w.at(2).toInt(&ok);
        if (!ok || wanted < 0 || wanted > 100) {
            cliErr(QStringLiteral("the volume is a whole number 0..100"));
            return CliUsage;
        }
    } else if (w.size() != 1) {
        cliErr(QStringLiteral("usage: volume | volume set N"));
        return CliUsage;
    }
    TPulseMixer mixer;
    if (!mixer.Available()) {
        cliErr(QStringLiteral("no mixer (no sound server)"));
        return CliNotFound;
    }
    if (wanted >= 0)
        mixer.SetVolume(wanted);
    cliOut(JsonLine().add(QStringLiteral("volume"), mixer.Volume()).toString());
    return CliOk;
}

int mute(const CliArgs &a)
{
    const QString arg = a.words.value(1);
    if (a.words.size() != 2 || (arg != QLatin1String("on") && arg != QLatin1String("off"))) {
        cliErr(QStringLiteral("usage: mute on|off"));
        return CliUsage;
    }
    TPulseMixer mixer;
    if (!mixer.Available()) {
        cliErr(QStringLiteral("no mixer (no sound server)"));
        return CliNotFound;
    }
    mixer.SetMuted(arg == QLatin1String("on"));
    cliOut(JsonLine().add(QStringLiteral("mute"), mixer.Muted()).toString());
    return CliOk;
}

int devices(const CliArgs &a)
{
    if (a.words.size() != 1) {
        cliErr(QStringLiteral("usage: audio-devices"));
        return CliUsage;
    }
    const auto list = [](const QString &kind, const QList<QAudioDevice> &all, const QAudioDevice &def) {
        for (const QAudioDevice &d : all)
            cliOut(JsonLine()
                       .add(QStringLiteral("kind"), kind)
                       .add(QStringLiteral("id"), QString::fromUtf8(d.id()))
                       .add(QStringLiteral("description"), d.description())
                       .add(QStringLiteral("default"), d.id() == def.id())
                       .toString());
    };
    list(QStringLiteral("input"), QMediaDevices::audioInputs(), QMediaDevices::defaultAudioInput());
    list(QStringLiteral("output"), QMediaDevices::audioOutputs(), QMediaDevices::defaultAudioOutput());
    return CliOk;
}

const CliRegistration RegRecord({QStringLiteral("record"),
    QStringLiteral("record --seconds N FILE   record the default input into a GSM WAVE file"),
    {QStringLiteral("seconds")}, {}, record});
const CliRegistration RegPlay({QStringLiteral("play"),
    QStringLiteral("play FILE                 play a sound file, printing the position each second"),
    {}, {}, play});
const CliRegistration RegVolume({QStringLiteral("volume"),
    QStringLiteral("volume | volume set N     the speaker volume 0..100 (read back)"),
    {}, {}, volume});
const CliRegistration RegMute({QStringLiteral("mute"),
    QStringLiteral("mute on|off               the speaker mute"),
    {}, {}, mute});
int ringTone(const CliArgs &a)
{
    if (a.words.size() != 2) {
        cliErr(QStringLiteral("usage: ring-tone FILE"));
        return CliUsage;
    }
    if (!TRingTone::WriteDefault(a.words.at(1))) {
        cliErr(QStringLiteral("cannot write ") + a.words.at(1));
        return CliNotFound;
    }
    return CliOk;
}

const CliRegistration RegRingTone({QStringLiteral("ring-tone"),
    QStringLiteral("ring-tone FILE            write the default ring (Sounds/Bells/Din.wav) to FILE"),
    {}, {}, ringTone});
const CliRegistration RegDevices({QStringLiteral("audio-devices"),
    QStringLiteral("audio-devices             the sound input and output devices (JSON)"),
    {}, {}, devices});

}

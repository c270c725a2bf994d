#include "TSimTalks.h"
#include "TSimLog.h"
#include "TSimMemory.h"
#include "TSimPhone.h"
#include "audio/TSoundFile.h"
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <cmath>
#include <vector>

namespace {
constexpr int Rate = 8000;

bool seconds(const QString &text, int max, int &out)
{
    bool ok = false;
    out = text.toInt(&ok);
    return ok && out >= 0 && out <= max;
}
}

bool TSimTalkCell::parse(const QString &word, QString &error)
{
    const int eq = word.indexOf(QLatin1Char('='));
    const QString key = word.left(eq).toLower();
    const QString value = word.mid(eq + 1);
    // The phone counts in quarter seconds in a 16-bit word.
    constexpr int MaxSeconds = 16383;
    bool ok = true;
    if (key == QLatin1String("talk"))
        ok = seconds(value, MaxSeconds, talk);
    else if (key == QLatin1String("message"))
        ok = seconds(value, MaxSeconds, message);
    else if (key == QLatin1String("wave"))
        wave = value;
    else if (key == QLatin1String("message-wave"))
        messageWave = value;
    else if (key == QLatin1String("tone"))
        ok = seconds(value, 3999, tone);
    else if (key == QLatin1String("message-tone"))
        ok = seconds(value, 3999, messageTone);
    else if (key == QLatin1String("overrun")) {
        int s = 0;
        ok = seconds(value, 3600, s);
        overrun = s * 1000;
    } else if (key == QLatin1String("announce"))
        ok = seconds(value, MaxSeconds, announce);
    else if (key == QLatin1String("report-cell"))
        ok = seconds(value, 0xFFFF, reportCell);
    else {
        error = QStringLiteral("unknown talk option %1 (talk, message, wave, message-wave, tone, message-tone, "
                               "overrun, announce, report-cell)").arg(key);
        return false;
    }
    if (!ok)
        error = QStringLiteral("%1 expects a whole number within range").arg(word);
    return ok;
}

TSimTalks::TSimTalks(TSimLog *log, QObject *parent) : QObject(parent), FLog(log)
{
    FEnd.setSingleShot(true);
    connect(&FEnd, &QTimer::timeout, this, [this] {
        if (FSink)
            FSink->stop();
        if (FLog)
            FLog->note(QStringLiteral("talk played to its end"));
        if (FSend)
            FSend(QByteArray(1, char(0x01)));
    });
}

TSimTalks::~TSimTalks() = default;

QByteArray TSimTalks::searchReply(const QByteArray &cmd, const TSimMemory &memory)
{
    const bool in = uchar(cmd.at(0)) == 0x9E;
    const int n = uchar(cmd.at(1));
    const QByteArray codes = cmd.mid(2, n);
    const int day = uchar(cmd.at(2 + n)), month = uchar(cmd.at(3 + n));
    const int hour = uchar(cmd.at(4 + n)), minute = uchar(cmd.at(5 + n));
    QByteArray entries;
    int found = 0;
    for (int cell = 0; cell < memory.count(in ? 0 : 1); ++cell) {
        const TSimMemory::Record &r = memory.record(in ? 0 : 1, cell);
        if (r.codes != codes || r.day != day || r.month != month || r.hour != hour || r.minute != minute)
            continue;
        if (r.talk.talk == 0 && (!in || r.talk.message == 0))
            continue;
        ++found;
        entries += TSimPhone::toNibbles(r.talk.reportCell >= 0 ? r.talk.reportCell : cell, 4)
                   + TSimPhone::toNibbles(r.talk.talk * 4, 4);
        if (in)
            entries += TSimPhone::toNibbles(r.talk.message * 4, 4);
    }
    return QByteArray(1, char(in ? 0x56 : 0x57)) + char(found) + entries;
}

QByteArray TSimTalks::sound(const QString &wave, int toneHz, int msecs, QString *error)
{
    const int frames = int(qint64(msecs) * Rate / 1000);
    std::vector<int16_t> out(size_t(frames), 0);
    bool filled = false;
    if (!wave.isEmpty()) {
        TSoundFile f;
        if (f.Open(wave) && f.SampleRate() > 0) {
            const int channels = f.Channels();
            std::vector<int16_t> all(size_t(qMax<int64_t>(f.FrameCount(), 0) * channels));
            const int64_t got = f.Read(all.data(), f.FrameCount());
            for (int i = 0; i < frames && got > 0; ++i) {
                const int64_t src = int64_t(i) * f.SampleRate() / Rate;
                if (src >= got)
                    break;
                out[size_t(i)] = all[size_t(src * channels)];
            }
            filled = true;
        } else if (error) {
            *error = QStringLiteral("cannot read %1: %2; a tone is played").arg(wave, f.ErrorText());
        }
    }
    if (!filled)
        for (int i = 0; i < frames; ++i)
            out[size_t(i)] = int16_t(12000 * std::sin(2 * M_PI * toneHz * i / Rate));
    return QByteArray(reinterpret_cast<const char *>(out.data()), int(out.size() * sizeof(int16_t)));
}

void TSimTalks::play(const QByteArray &pcm)
{
    if (FSink)
        FSink->stop();
    FSink.reset();
    FBuffer = std::make_unique<QBuffer>();
    FBuffer->setData(pcm);
    FBuffer->open(QIODevice::ReadOnly);
    QAudioFormat format;
    format.setSampleRate(Rate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format)) {
        if (FLog)
            FLog->note(QStringLiteral("no audio output for 8000 Hz mono: the talk is timed only"));
        return;
    }
    FSink = std::make_unique<QAudioSink>(device, format);
    FSink->start(FBuffer.get());
}

void TSimTalks::stop()
{
    if (!FEnd.isActive())
        return;
    FEnd.stop();
    if (FSink)
        FSink->stop();
    if (FLog)
        FLog->note(QStringLiteral("talk stopped before its end"));
}

bool TSimTalks::execute(const QByteArray &cmd, const TSimMemory &memory, QString &describe)
{
    const int code = uchar(cmd.at(0));
    if (code == 0x9E || code == 0x9F) {
        const QByteArray reply = searchReply(cmd, memory);
        describe = QStringLiteral("talk search %1: %2 found").arg(code == 0x9E ? QStringLiteral("in") : QStringLiteral("out"))
                       .arg(uchar(reply.at(1)));
        if (FSend)
            FSend(reply);
        return true;
    }
    if (code < 0x83 || code > 0x85)
        return false;
    const int cell = TSimPhone::nibbles(cmd, 1, 4);
    const int kind = code == 0x85 ? 1 : 0;
    const bool message = code == 0x84;
    describe = QStringLiteral("talk send %1 cell %2")
                   .arg(message ? QStringLiteral("message") : kind ? QStringLiteral("out talk") : QStringLiteral("in talk"))
                   .arg(cell);
    stop();
    if (cell >= memory.count(kind)) {
        describe += QStringLiteral(" (empty cell, no answer)");
        return true;
    }
    const TSimTalkCell &t = memory.record(kind, cell).talk;
    const int length = message ? t.message : t.talk;
    const int announced = t.announce >= 0 ? t.announce : length;
    const QByteArray head = QByteArray(1, char(code - 0x83 + 0x53)) + TSimPhone::toNibbles(cell, 4)
                            + TSimPhone::toNibbles(announced * 4, 4);
    if (FSend)
        FSend(head);
    if (announced == 0) {
        describe += QStringLiteral(" (length 0)");
        return true;
    }
    const int msecs = length * 1000 + t.overrun;
    QString error;
    const int tone = (message ? t.messageTone : t.tone) > 0 ? (message ? t.messageTone : t.tone)
                                                            : 400 + 100 * (cell % 30) + (message ? 50 : 0);
    const QByteArray pcm = sound(message ? t.messageWave : t.wave, tone, msecs, &error);
    if (!error.isEmpty() && FLog)
        FLog->note(error);
    describe += QStringLiteral(", %1 s announced, %2 ms played").arg(announced).arg(msecs);
    play(pcm);
    FEnd.start(msecs);
    return true;
}

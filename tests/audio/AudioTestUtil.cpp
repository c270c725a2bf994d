#include "AudioTestUtil.h"
#include "audio/TPulseMixer.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <sndfile.h>

namespace audiotest {

QString NoSoundServer()
{
    if (!TPulseMixer::ServerReachable())
        return QStringLiteral("no sound server reachable (run under scripts/with-pulse.sh)");
    if (QMediaDevices::defaultAudioInput().isNull() || QMediaDevices::defaultAudioOutput().isNull())
        return QStringLiteral("the sound server offers no default input or output");
    return {};
}

std::vector<int16_t> Tone(double hz, int rate, double seconds, double amplitude)
{
    std::vector<int16_t> s(size_t(rate * seconds));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(std::lround(amplitude * 32767.0 * std::sin(2 * M_PI * hz * double(i) / rate)));
    return s;
}

bool WriteToneFile(const QString &path, double hz, int rate, double seconds, bool gsm)
{
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | (gsm ? SF_FORMAT_GSM610 : SF_FORMAT_PCM_16);
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    const std::vector<int16_t> s = Tone(hz, rate, seconds);
    const bool ok = sf_write_short(f, s.data(), sf_count_t(s.size())) == sf_count_t(s.size());
    sf_close(f);
    return ok;
}

bool Decode(const QString &path, std::vector<int16_t> &samples, int &rate)
{
    SF_INFO info = {};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return false;
    rate = info.samplerate;
    std::vector<int16_t> frame(size_t(std::max(1, info.channels)) * 1024);
    samples.clear();
    for (;;) {
        const sf_count_t n = sf_readf_short(f, frame.data(), 1024);
        if (n <= 0)
            break;
        for (sf_count_t i = 0; i < n; ++i)
            samples.push_back(frame[size_t(i * info.channels)]);
    }
    sf_close(f);
    return true;
}

double DominantFrequency(const std::vector<int16_t> &samples, int rate, double lo, double hi)
{
    double best = 0, bestPower = -1;
    for (double f = lo; f <= hi; f += 1.0) {
        const double k = 2 * std::cos(2 * M_PI * f / rate);
        double s1 = 0, s2 = 0;
        for (int16_t x : samples) {
            const double s0 = x + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = f;
        }
    }
    return best;
}

double Rms(const std::vector<int16_t> &samples)
{
    if (samples.empty())
        return 0;
    double sum = 0;
    for (int16_t x : samples)
        sum += double(x) * x;
    return std::sqrt(sum / double(samples.size()));
}

uint32_t Le32(const QByteArray &b, int offset)
{
    return qFromLittleEndian<uint32_t>(b.constData() + offset);
}

uint16_t Le16(const QByteArray &b, int offset)
{
    return qFromLittleEndian<uint16_t>(b.constData() + offset);
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

bool SpinUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

}

#include "TRingTone.h"
#include <QDataStream>
#include <QSaveFile>
#include <cmath>

QByteArray TRingTone::DefaultWave()
{
    const int rate = 8000;
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < rate * 3 / 2; ++i) {
        const double t = double(i) / rate;
        const bool on = std::fmod(t, 0.5) < 0.4;
        const double v = on ? 0.3 * (std::sin(2 * M_PI * 440 * t) + std::sin(2 * M_PI * 480 * t)) : 0.0;
        out << qint16(v * 16000);
    }
    QByteArray wav;
    QDataStream w(&wav, QIODevice::WriteOnly);
    w.setByteOrder(QDataStream::LittleEndian);
    w.writeRawData("RIFF", 4);
    w << quint32(36 + pcm.size());
    w.writeRawData("WAVEfmt ", 8);
    w << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2)
      << quint16(16);
    w.writeRawData("data", 4);
    w << quint32(pcm.size());
    wav += pcm;
    return wav;
}

bool TRingTone::WriteDefault(const QString &FileName)
{
    QSaveFile f(FileName);
    return f.open(QIODevice::WriteOnly) && f.write(DefaultWave()) >= 0 && f.commit();
}

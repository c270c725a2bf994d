#pragma once
// The default ring, Sounds/Bells/Din.wav: a two-tone ring of 1.5 s as 8 kHz
// 16-bit PCM WAVE. Shipped with the install and written into the demo folder.
#include <QByteArray>
#include <QString>

class TRingTone {
public:
    static QByteArray DefaultWave();
    // Writes DefaultWave() to FileName; false when it cannot.
    static bool WriteDefault(const QString &FileName);
};

#pragma once
// Helpers shared by the audio tests: sound-server detection, tone files, the
// bytes of WAVE files and the dominant frequency of decoded sound.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace audiotest {

// Empty when a sound server with default input and output answers, else the reason.
QString NoSoundServer();

// 16-bit samples of a sine tone.
std::vector<int16_t> Tone(double hz, int rate, double seconds, double amplitude = 0.4);
// Writes a tone as a PCM WAVE (16-bit) or a GSM 6.10 WAVE file through libsndfile.
bool WriteToneFile(const QString &path, double hz, int rate, double seconds, bool gsm);
// Decodes any sound file into mono 16-bit samples; false when libsndfile cannot.
bool Decode(const QString &path, std::vector<int16_t> &samples, int &rate);
// The frequency with the most energy (1 Hz steps, Goertzel) between lo and hi.
double DominantFrequency(const std::vector<int16_t> &samples, int rate, double lo, double hi);
double Rms(const std::vector<int16_t> &samples);

uint32_t Le32(const QByteArray &b, int offset);
uint16_t Le16(const QByteArray &b, int offset);
QByteArray ReadAll(const QString &path);

// Runs the event loop for ms milliseconds.
void Spin(int ms);
// Runs the event loop until done() or ms milliseconds have passed.
bool SpinUntil(const std::function<bool()> &done, int ms);

}

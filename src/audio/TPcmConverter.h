#pragma once
// Converts the sound a capture device delivers into 8000 Hz mono 16-bit samples:
// channels are mixed down and the rate is changed by linear interpolation.
#include <QAudioFormat>
#include <QByteArray>
#include <cstdint>
#include <vector>

class TPcmConverter {
public:
    static constexpr int TargetRate = 8000;

    // False for a format it cannot read (unknown sample format, no channels or rate).
    bool SetInputFormat(const QAudioFormat &format);
    const QAudioFormat &InputFormat() const { return FFormat; }
    // True when the input is already 8000 Hz mono 16-bit.
    bool IsPassThrough() const { return FPassThrough; }

    // Appends the converted samples of data to out. A partial input frame is kept
    // for the next call.
    void Convert(const char *data, qint64 size, std::vector<int16_t> &out);
    void Reset();

private:
    float ReadFrame(const char *p) const;

    QAudioFormat FFormat;
    bool FPassThrough = false;
    int FBytesPerFrame = 0;
    QByteArray FPartial;
    double FStep = 1.0;         // input frames per output sample
    double FPos = 0.0;          // position of the next output sample, relative to FPrev
    float FPrev = 0.0f;
    bool FHavePrev = false;
};

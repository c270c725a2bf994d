#include "TPcmConverter.h"
#include <algorithm>
#include <cmath>
#include <cstring>

bool TPcmConverter::SetInputFormat(const QAudioFormat &format)
{
    FFormat = format;
    Reset();
    if (format.sampleRate() <= 0 || format.channelCount() <= 0
        || format.sampleFormat() == QAudioFormat::Unknown)
        return false;
    FBytesPerFrame = format.bytesPerFrame();
    FPassThrough = format.sampleRate() == TargetRate && format.channelCount() == 1
        && format.sampleFormat() == QAudioFormat::Int16;
    FStep = double(format.sampleRate()) / TargetRate;
    return FBytesPerFrame > 0;
}

void TPcmConverter::Reset()
{
    FPartial.clear();
    FPos = 0.0;
    FPrev = 0.0f;
    FHavePrev = false;
}

float TPcmConverter::ReadFrame(const char *p) const
{
    const int channels = FFormat.channelCount();
    float sum = 0.0f;
    for (int c = 0; c < channels; ++c) {
        switch (FFormat.sampleFormat()) {
        case QAudioFormat::UInt8:
            sum += (float(uint8_t(p[c])) - 128.0f) * 256.0f;
            break;
        case QAudioFormat::Int16: {
            int16_t v;
            std::memcpy(&v, p + 2 * c, 2);
            sum += float(v);
            break;
        }
        case QAudioFormat::Int32: {
            int32_t v;
            std::memcpy(&v, p + 4 * c, 4);
            sum += float(v) / 65536.0f;
            break;
        }
        case QAudioFormat::Float: {
            float v;
            std::memcpy(&v, p + 4 * c, 4);
            sum += v * 32767.0f;
            break;
        }
        default:
            break;
        }
    }
    return sum / float(channels);
}

void TPcmConverter::Convert(const char *data, qint64 size, std::vector<int16_t> &out)
{
    if (FBytesPerFrame <= 0 || size <= 0)
        return;
    if (FPassThrough && FPartial.isEmpty() && size % 2 == 0) {
        const size_t old = out.size();
        out.resize(old + size_t(size / 2));
        std::memcpy(out.data() + old, data, size_t(size));
        return;
    }
    QByteArray joined;
    if (!FPartial.isEmpty()) {
        joined = FPartial + QByteArray::fromRawData(data, int(size));
        data = joined.constData();
        size = joined.size();
    }
    const qint64 frames = size / FBytesPerFrame;
    for (qint64 i = 0; i < frames; ++i) {
        const float cur = ReadFrame(data + i * FBytesPerFrame);
        if (!FHavePrev) {
            FPrev = cur;
            FHavePrev = true;
            FPos = 0.0;
            continue;
        }
        // Output samples lying between the previous frame (0) and this one (1).
        while (FPos < 1.0) {
            const float v = FPrev + float(FPos) * (cur - FPrev);
            out.push_back(int16_t(std::clamp(std::lround(v), -32768L, 32767L)));
            FPos += FStep;
        }
        FPos -= 1.0;
        FPrev = cur;
    }
    FPartial = QByteArray(data + frames * FBytesPerFrame, int(size - frames * FBytesPerFrame));
}

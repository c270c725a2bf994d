// Any bytes as a sound file for the player: it opens or refuses cleanly, and
// what opens decodes and seeks without faults.
#include "audio/TSoundFile.h"
#include <QByteArray>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TSoundFile f;
    if (!f.OpenData(QByteArray(reinterpret_cast<const char *>(data), int(size)))) {
        if (f.IsOpen() || f.ErrorText().isEmpty())
            __builtin_trap();
        return 0;
    }
    if (f.SampleRate() <= 0 || f.Channels() <= 0 || f.FrameCount() <= 0)
        __builtin_trap();
    std::vector<int16_t> buf(size_t(f.Channels()) * 4096);
    // Bounded, since a header may claim far more sound than the bytes hold.
    int64_t total = 0;
    for (int i = 0; i < 256; ++i) {
        const int64_t n = f.Read(buf.data(), 4096);
        if (n <= 0)
            break;
        if (n > 4096)
            __builtin_trap();
        total += n;
    }
    f.Seek(f.FrameCount() / 2);
    f.Read(buf.data(), 4096);
    f.Seek(0);
    f.Read(buf.data(), 16);
    return 0;
}

#pragma once
// GSM 06.10 encoder in the WAVE (WAV49) layout: 320 samples of 8000 Hz mono
// 16-bit sound become one 65-byte block (two frames of 32 and 33 bytes).
#include <cstdint>

class TGsmEncoder {
public:
    static constexpr int SamplesPerBlock = 320;
    static constexpr int BlockSize = 65;

    TGsmEncoder();
    ~TGsmEncoder();
    TGsmEncoder(const TGsmEncoder &) = delete;
    TGsmEncoder &operator=(const TGsmEncoder &) = delete;

    // Encodes SamplesPerBlock samples into BlockSize bytes.
    void EncodeBlock(const int16_t *samples, uint8_t *block);
    // Starts a new stream (a new file).
    void Reset();

private:
    void *FState = nullptr;
};

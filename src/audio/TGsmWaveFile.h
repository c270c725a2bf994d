#pragma once
// A GSM 6.10 WAVE file being written: RIFF/WAVE with a 'fmt ' chunk holding the
// 20-byte format block, a 'fact' chunk with the sample count and one 'data' chunk.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

class TGsmWaveFile {
public:
    static constexpr uint16_t FormatTag = 0x0031;
    static constexpr uint32_t SamplesPerSec = 8000;
    static constexpr uint32_t AvgBytesPerSec = 1625;
    static constexpr uint16_t BlockAlign = 65;
    static constexpr uint16_t SamplesPerBlock = 320;
    // Offsets in the file: the fact value and the start of the data bytes.
    static constexpr qint64 FactValueOffset = 48;
    static constexpr qint64 DataOffset = 60;

    // The 20-byte WAVE format block of the recording format.
    static QByteArray FormatBlock();
    // The fact value for a data chunk of bytes compressed bytes, in integers:
    // the whole part of bytes / 1625 * 8000.
    static uint32_t SampleCount(uint64_t bytes) { return uint32_t(bytes * 8000u / 1625u); }

    TGsmWaveFile() = default;
    ~TGsmWaveFile();
    TGsmWaveFile(const TGsmWaveFile &) = delete;
    TGsmWaveFile &operator=(const TGsmWaveFile &) = delete;

    // Creates (or overwrites) the file and writes the header up to the data bytes.
    // Returns false, with no file left open, when the file cannot be created or written.
    bool Create(const QString &fileName);
    // Appends compressed bytes to the data chunk; false when not all could be written
    // (the bytes that were written still count).
    bool Append(const char *data, qint64 size);
    // Fills in the chunk sizes and the fact value and closes the file. Every step is
    // tried even when one fails; returns false when any failed.
    bool Finish();

    bool IsOpen() const { return FFile.isOpen(); }
    uint64_t BytesWritten() const { return FBytesWritten; }

private:
    QFile FFile;
    uint64_t FBytesWritten = 0;
};

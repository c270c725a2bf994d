#include "TGsmWaveFile.h"
#include <QtEndian>

namespace {
void put16(QByteArray &b, uint16_t v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}

void put32(QByteArray &b, uint32_t v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

bool writeAt(QFile &f, qint64 offset, uint32_t value)
{
    char c[4];
    qToLittleEndian(value, c);
    return f.seek(offset) && f.write(c, 4) == 4;
}
}

QByteArray TGsmWaveFile::FormatBlock()
{
    QByteArray b;
    put16(b, FormatTag);
    put16(b, 1);                // channels
    put32(b, SamplesPerSec);
    put32(b, AvgBytesPerSec);
    put16(b, BlockAlign);
    put16(b, 0);                // bits per sample
    put16(b, 2);                // size of the extra bytes
    put16(b, SamplesPerBlock);
    return b;
}

TGsmWaveFile::~TGsmWaveFile()
{
    if (IsOpen())
        Finish();
}

bool TGsmWaveFile::Create(const QString &fileName)
{
    if (IsOpen())
        Finish();
    FBytesWritten = 0;
    FFile.setFileName(fileName);
    // Unbuffered, so that a full disk shows at the write that hits it.
    if (!FFile.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    QByteArray h;
    h.append("RIFF", 4);
    put32(h, 4);                // filled in by Finish
    h.append("WAVE", 4);
    h.append("fmt ", 4);
    put32(h, 20);
    h.append(FormatBlock());
    h.append("fact", 4);
    put32(h, 4);
    put32(h, 0);
    h.append("data", 4);
    put32(h, 0);
    Q_ASSERT(h.size() == DataOffset);
    if (FFile.write(h) != h.size()) {
        FFile.close();
        return false;
    }
    return true;
}

bool TGsmWaveFile::Append(const char *data, qint64 size)
{
    if (!IsOpen())
        return false;
    if (size <= 0)
        return true;
    const qint64 n = FFile.write(data, size);
    if (n > 0)
        FBytesWritten += uint64_t(n);
    return n == size;
}

bool TGsmWaveFile::Finish()
{
    if (!IsOpen())
        return false;
    bool ok = true;
    // The data bytes actually in the file count, also after a failed write.
    const qint64 fileData = FFile.size() - DataOffset;
    if (fileData >= 0)
        FBytesWritten = uint64_t(fileData);
    uint64_t riffSize = 4 + (8 + 20) + (8 + 4) + 8 + FBytesWritten;
    // A chunk of odd size is followed by a pad byte that the RIFF chunk counts.
    if (FBytesWritten & 1) {
        const char pad = 0;
        if (FFile.seek(DataOffset + qint64(FBytesWritten)) && FFile.write(&pad, 1) == 1)
            ++riffSize;
        else
            ok = false;
    }
    ok = writeAt(FFile, 4, uint32_t(riffSize)) && ok;
    ok = writeAt(FFile, 56, uint32_t(FBytesWritten)) && ok;
    ok = writeAt(FFile, FactValueOffset, SampleCount(FBytesWritten)) && ok;
    FFile.close();
    return ok;
}

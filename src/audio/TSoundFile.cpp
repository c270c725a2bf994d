#include "TSoundFile.h"
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <sndfile.h>
#include <algorithm>
#include <vector>

namespace {
QIODevice *dev(void *user) { return static_cast<QIODevice *>(user); }

sf_count_t vioLength(void *user) { return dev(user)->size(); }

sf_count_t vioSeek(sf_count_t offset, int whence, void *user)
{
    QIODevice *d = dev(user);
    qint64 pos = offset;
    if (whence == SEEK_CUR)
        pos += d->pos();
    else if (whence == SEEK_END)
        pos += d->size();
    if (pos < 0 || !d->seek(pos))
        return -1;
    return d->pos();
}

sf_count_t vioRead(void *ptr, sf_count_t count, void *user)
{
    const qint64 n = dev(user)->read(static_cast<char *>(ptr), count);
    return n < 0 ? 0 : n;
}

sf_count_t vioWrite(const void *, sf_count_t, void *) { return 0; }

sf_count_t vioTell(void *user) { return dev(user)->pos(); }

SF_VIRTUAL_IO VirtualIo = {vioLength, vioSeek, vioRead, vioWrite, vioTell};

SNDFILE *snd(void *p) { return static_cast<SNDFILE *>(p); }

// A RIFF WAVE whose data chunk claims more bytes than the file holds.
bool waveDataTruncated(QIODevice &d)
{
    const qint64 size = d.size();
    if (!d.seek(0))
        return false;
    const QByteArray head = d.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return false;
    qint64 pos = 12;
    for (int i = 0; i < 10000 && pos + 8 <= size; ++i) {
        if (!d.seek(pos))
            return false;
        const QByteArray h = d.read(8);
        if (h.size() < 8)
            return false;
        const uint32_t len = uint32_t(uint8_t(h[4])) | uint32_t(uint8_t(h[5])) << 8
            | uint32_t(uint8_t(h[6])) << 16 | uint32_t(uint8_t(h[7])) << 24;
        if (h.startsWith("data"))
            return len != 0 && len != 0xFFFFFFFFu && pos + 8 + qint64(len) > size;
        pos += 8 + qint64(len) + (len & 1);
    }
    return false;
}

constexpr int MaxChannels = 16;
constexpr int MaxRate = 768000;
}

TSoundFile::TSoundFile() = default;

TSoundFile::~TSoundFile() { Close(); }

void TSoundFile::Close()
{
    if (FSnd)
        sf_close(snd(FSnd));
    FSnd = nullptr;
    FDevice.reset();
    FData.clear();
    FRate = FChannels = 0;
    FFrames = 0;
}

bool TSoundFile::Open(const QString &fileName)
{
    Close();
    FError.clear();
    if (!QFileInfo(fileName).isFile()) {
        FError = QStringLiteral("not a file");
        return false;
    }
    auto f = std::make_unique<QFile>(fileName);
    if (!f->open(QIODevice::ReadOnly)) {
        FError = f->errorString();
        return false;
    }
    return OpenDevice(std::move(f));
}

bool TSoundFile::OpenData(const QByteArray &data)
{
    Close();
    FError.clear();
    FData = data;
    auto b = std::make_unique<QBuffer>(&FData);
    b->open(QIODevice::ReadOnly);
    return OpenDevice(std::move(b));
}

bool TSoundFile::OpenSnd()
{
    if (FSnd)
        sf_close(snd(FSnd));
    FSnd = nullptr;
    FReadPos = 0;
    if (!FDevice->seek(0))
        return false;
    SF_INFO info = {};
    FSnd = sf_open_virtual(&VirtualIo, SFM_READ, &info, FDevice.get());
    if (!FSnd)
        return false;
    FRate = info.samplerate;
    FChannels = info.channels;
    FFrames = info.frames;
    FSeekable = info.seekable != 0;
    return true;
}

bool TSoundFile::OpenDevice(std::unique_ptr<QIODevice> device)
{
    FDevice = std::move(device);
    if (!OpenSnd()) {
        FError = QString::fromUtf8(sf_strerror(nullptr));
        Close();
        return false;
    }
    if (FRate <= 0 || FRate > MaxRate || FChannels <= 0 || FChannels > MaxChannels || FFrames < 0) {
        FError = QStringLiteral("unsupported sound format");
        Close();
        return false;
    }
    if (waveDataTruncated(*FDevice)) {
        FError = QStringLiteral("the sound data is cut short");
        Close();
        return false;
    }
    // A header alone is not enough: there must be sound, and its first samples
    // must decode.
    std::vector<int16_t> probe(size_t(FChannels) * 1024);
    const sf_count_t n = FFrames > 0 ? sf_readf_short(snd(FSnd), probe.data(), 1024) : 0;
    if (n <= 0 || sf_error(snd(FSnd)) != SF_ERR_NO_ERROR || !Seek(0)) {
        FError = QStringLiteral("no sound data that can be decoded");
        Close();
        return false;
    }
    return true;
}

int64_t TSoundFile::Read(int16_t *samples, int64_t frames)
{
    if (!FSnd || frames <= 0)
        return 0;
    const sf_count_t n = sf_readf_short(snd(FSnd), samples, frames);
    if (n <= 0)
        return 0;
    FReadPos += n;
    return n;
}

bool TSoundFile::Seek(int64_t frame)
{
    if (!FSnd)
        return false;
    frame = std::clamp<int64_t>(frame, 0, FFrames);
    if (FSeekable) {
        if (sf_seek(snd(FSnd), frame, SEEK_SET) < 0)
            return false;
        FReadPos = frame;
        return true;
    }
    // libsndfile cannot seek in GSM 6.10 WAVE: start again and decode up to the frame.
    if (frame < FReadPos && !OpenSnd())
        return false;
    std::vector<int16_t> skip(size_t(FChannels) * 4096);
    while (FReadPos < frame) {
        const int64_t want = std::min<int64_t>(4096, frame - FReadPos);
        if (Read(skip.data(), want) <= 0)
            break;
    }
    return true;
}

#include "TSoundFile.h"
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <sndfile.h>
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

bool TSoundFile::OpenDevice(std::unique_ptr<QIODevice> device)
{
    FDevice = std::move(device);
    SF_INFO info = {};
    SNDFILE *s = sf_open_virtual(&VirtualIo, SFM_READ, &info, FDevice.get());
    if (!s) {
        FError = QString::fromUtf8(sf_strerror(nullptr));
        Close();
        return false;
    }
    FSnd = s;
    if (info.samplerate <= 0 || info.samplerate > MaxRate || info.channels <= 0
        || info.channels > MaxChannels || info.frames < 0) {
        FError = QStringLiteral("unsupported sound format");
        Close();
        return false;
    }
    FRate = info.samplerate;
    FChannels = info.channels;
    FFrames = info.frames;
    // A header alone is not enough: the first samples must decode.
    if (FFrames > 0) {
        std::vector<int16_t> probe(size_t(FChannels) * 1024);
        const sf_count_t n = sf_readf_short(s, probe.data(), 1024);
        if (n <= 0 || sf_error(s) != SF_ERR_NO_ERROR || sf_seek(s, 0, SEEK_SET) != 0) {
            FError = QStringLiteral("cannot decode the sound data");
            Close();
            return false;
        }
    }
    return true;
}

int64_t TSoundFile::Read(int16_t *samples, int64_t frames)
{
    if (!FSnd || frames <= 0)
        return 0;
    const sf_count_t n = sf_readf_short(snd(FSnd), samples, frames);
    return n > 0 ? n : 0;
}

bool TSoundFile::Seek(int64_t frame)
{
    if (!FSnd)
        return false;
    if (frame < 0)
        frame = 0;
    if (frame > FFrames)
        frame = FFrames;
    return sf_seek(snd(FSnd), frame, SEEK_SET) >= 0;
}

#include "TMediaPlayer.h"
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>

// Feeds the open sound file to the sink as 16-bit samples.
class TSoundFileStream : public QIODevice {
public:
    explicit TSoundFileStream(TSoundFile &file) : FFile(file) {}
    bool isSequential() const override { return true; }
    bool atEnd() const override { return FEnd; }
    qint64 bytesAvailable() const override
    {
        return FEnd ? 0 : QIODevice::bytesAvailable() + 65536;
    }
    void Restart()
    {
        FEnd = false;
        FFramesRead = 0;
    }
    int64_t FramesRead() const { return FFramesRead; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const int frameBytes = 2 * FFile.Channels();
        if (FEnd || frameBytes <= 0)
            return FEnd ? -1 : 0;
        const int64_t want = maxSize / frameBytes;
        if (want <= 0)
            return 0;
        const int64_t got = FFile.Read(reinterpret_cast<int16_t *>(data), want);
        if (got <= 0) {
            FEnd = true;
            return -1;
        }
        FFramesRead += got;
        return got * frameBytes;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    TSoundFile &FFile;
    bool FEnd = false;
    int64_t FFramesRead = 0;
};

TMediaPlayer::TMediaPlayer(QObject *parent) : QObject(parent)
{
    FDrainTimer = new QTimer(this);
    FDrainTimer->setSingleShot(true);
    connect(FDrainTimer, &QTimer::timeout, this, &TMediaPlayer::Finished);
}

TMediaPlayer::~TMediaPlayer()
{
    Close();
}

bool TMediaPlayer::Open()
{
    Close();
    FError.clear();
    if (!FFile.Open(FFileName)) {
        FError = FFile.ErrorText();
        return false;
    }
    FStream = new TSoundFileStream(FFile);
    FStream->open(QIODevice::ReadOnly);
    FFrames = Length() / 10;
    FPositionMs = 0;
    FMode = mpStopped;
    return true;
}

void TMediaPlayer::Close()
{
    FDrainTimer->stop();
    ReleaseSink();
    delete FStream;
    FStream = nullptr;
    FFile.Close();
    FFrames = 0;
    FPositionMs = 0;
    FMode = mpNotReady;
}

void TMediaPlayer::ReleaseSink()
{
    if (!FSink)
        return;
    disconnect(FSink, nullptr, this, nullptr);
    FSink->stop();
    delete FSink;
    FSink = nullptr;
}

bool TMediaPlayer::Play()
{
    if (FMode == mpPlaying)
        return true;
    if (FMode == mpPaused)
        return Resume();
    return PlayFrom(FPositionMs);
}

bool TMediaPlayer::PlayFrom(int64_t positionMs)
{
    if (FMode == mpNotReady)
        return false;
    FDrainTimer->stop();
    ReleaseSink();
    FError.clear();
    positionMs = std::clamp<int64_t>(positionMs, 0, Length());
    FPositionMs = positionMs;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return true;            // no output: the player stays stopped, silently
    QAudioFormat format;
    format.setSampleRate(FFile.SampleRate());
    format.setChannelCount(FFile.Channels());
    format.setSampleFormat(QAudioFormat::Int16);
    if (!FFile.Seek(positionMs * FFile.SampleRate() / 1000)) {
        FError = QStringLiteral("cannot seek");
        return false;
    }
    FStream->Restart();
    FPlayStartMs = positionMs;
    FSink = new QAudioSink(device, format, this);
    connect(FSink, &QAudioSink::stateChanged, this, &TMediaPlayer::SinkStateChanged);
    FMode = mpPlaying;
    if (positionMs >= Length()) {
        // Nothing left to play: the play ends at once.
        FDrainTimer->start(0);
        return true;
    }
    FSink->start(FStream);
    if (FSink->error() != QAudio::NoError && FSink->error() != QAudio::UnderrunError) {
        FError = QStringLiteral("the sound output refused the format");
        ReleaseSink();
        FMode = mpStopped;
        return false;
    }
    return true;
}

void TMediaPlayer::Pause()
{
    if (FMode != mpPlaying || !FSink)
        return;
    FSink->suspend();
    FMode = mpPaused;
}

bool TMediaPlayer::Resume()
{
    if (FMode == mpPaused && FSink) {
        FSink->resume();
        FMode = mpPlaying;
        return true;
    }
    if (FMode == mpStopped)
        return PlayFrom(FPositionMs);
    return FMode == mpPlaying;
}

void TMediaPlayer::Stop()
{
    if (FMode != mpPlaying && FMode != mpPaused)
        return;
    FPositionMs = Position();
    FDrainTimer->stop();
    ReleaseSink();
    FMode = mpStopped;
}

void TMediaPlayer::Seek(int64_t positionMs)
{
    if (FMode == mpNotReady)
        return;
    Stop();
    FPositionMs = std::clamp<int64_t>(positionMs, 0, Length());
}

int64_t TMediaPlayer::PlayedMs() const
{
    if (!FSink || !FStream)
        return 0;
    const int64_t fed = FStream->FramesRead() * 1000 / std::max(1, FFile.SampleRate());
    return std::min<int64_t>(FSink->processedUSecs() / 1000, fed);
}

int64_t TMediaPlayer::Position() const
{
    if (FMode == mpPlaying || FMode == mpPaused)
        return std::min(Length(), FPlayStartMs + PlayedMs());
    return FPositionMs;
}

void TMediaPlayer::SinkStateChanged(QAudio::State state)
{
    if (FMode != mpPlaying || !FStream)
        return;
    if (state == QAudio::IdleState && FStream->atEnd()) {
        // All samples are with the sound server: let it play what it holds.
        const int64_t fedMs = FStream->FramesRead() * 1000 / std::max(1, FFile.SampleRate());
        const int64_t left = std::clamp<int64_t>(fedMs - PlayedMs(), 0, 2000);
        FDrainTimer->start(int(left) + 20);
    } else if (state == QAudio::StoppedState && FSink->error() != QAudio::NoError
               && FSink->error() != QAudio::UnderrunError) {
        // The output failed while playing: the play ends where it was.
        FPositionMs = Position();
        ReleaseSink();
        FMode = mpStopped;
    }
}

void TMediaPlayer::Finished()
{
    if (FMode != mpPlaying)
        return;
    ReleaseSink();
    FPositionMs = Length();
    FMode = mpStopped;
    if (Notify)
        emit Notified();
}

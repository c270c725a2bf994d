#include "TGSMRecorder.h"
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>

static_assert(TGSMRecorder::BufferSize == 455);

namespace {
QAudioFormat recordingFormat()
{
    QAudioFormat f;
    f.setSampleRate(TPcmConverter::TargetRate);
    f.setChannelCount(1);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

// The format to open the device in: the recording format when the device takes
// it, else the device's own, converted here.
QAudioFormat deviceFormat(const QAudioDevice &device)
{
    const QAudioFormat f = recordingFormat();
    return device.isFormatSupported(f) ? f : device.preferredFormat();
}

QString stopMessage(QAudio::Error e)
{
    switch (e) {
    case QAudio::OpenError: return QStringLiteral("Reset: Handle invalid");
    case QAudio::FatalError: return QStringLiteral("Reset: Driver absent");
    default: return QStringLiteral("Unknown problem with WaveInStop");
    }
}
}

TGSMRecorder::TGSMRecorder(QObject *parent) : QObject(parent) {}

TGSMRecorder::~TGSMRecorder()
{
    // A paused recording is finished too, so that its file is complete.
    if (FState != rsWaiting)
        Stop();
    ReleaseSource();
}

void TGSMRecorder::SetFileName(const QString &name)
{
    if (FState == rsWaiting)
        FFileName = name;
}

void TGSMRecorder::SetState(TGSMRecorderState s)
{
    if (FState == s)
        return;
    FState = s;
    emit StateChanged(s);
}

void TGSMRecorder::Message(const QString &text)
{
    if (OnMessage)
        OnMessage(text);
}

bool TGSMRecorder::CanRecord()
{
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return false;
    QAudioSource probe(device, deviceFormat(device));
    QIODevice *io = probe.start();
    const bool ok = io && probe.error() == QAudio::NoError && probe.state() != QAudio::StoppedState;
    probe.stop();
    return ok;
}

void TGSMRecorder::Start()
{
    if (FFileName.isEmpty() || FState != rsWaiting || FStopping)
        return;
    FWriteFailed = false;
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return;
    const QAudioFormat format = deviceFormat(device);
    if (!FConverter.SetInputFormat(format))
        return;
    FSource = new QAudioSource(device, format, this);
    FInput = FSource->start();
    if (!FInput || FSource->error() != QAudio::NoError) {
        ReleaseSource();
        return;
    }
    if (!FFile.Create(FFileName)) {
        ReleaseSource();
        return;
    }
    FEncoder.Reset();
    FSamples.clear();
    FSampleCount = 0;
    for (QByteArray &b : FBuffers) {
        b.clear();
        b.reserve(BufferSize);
    }
    FCurrent = 0;
    connect(FInput, &QIODevice::readyRead, this, &TGSMRecorder::InputReady);
    connect(FSource, &QAudioSource::stateChanged, this, &TGSMRecorder::SourceStateChanged);
    SetState(rsRecording);
}

void TGSMRecorder::Pause()
{
    if (FState != rsRecording || FStopping)
        return;
    ReadInput();
    if (FState != rsRecording)
        return;
    FSource->suspend();
    ReadInput();
    if (FState != rsRecording)
        return;
    // The partly filled buffer is written; samples short of a block wait for Resume.
    DeliverBuffer();
    if (FWriteFailed) {
        Fail();
        return;
    }
    SetState(rsPaused);
}

void TGSMRecorder::Resume()
{
    if (FState != rsPaused || FStopping)
        return;
    FSource->resume();
    if (FSource->error() != QAudio::NoError && FSource->error() != QAudio::UnderrunError) {
        Fail();
        return;
    }
    SetState(rsRecording);
}

void TGSMRecorder::Stop()
{
    if ((FState != rsRecording && FState != rsPaused) || FStopping)
        return;
    FStopping = true;
    const QAudio::Error before = FSource ? FSource->error() : QAudio::NoError;
    if (FSource) {
        if (FState == rsRecording)
            ReadInput();
        disconnect(FSource, nullptr, this, nullptr);
        if (FInput)
            disconnect(FInput, nullptr, this, nullptr);
        FSource->stop();
        const QAudio::Error after = FSource->error();
        if (after != before && after != QAudio::NoError && after != QAudio::UnderrunError)
            Message(stopMessage(after));
    }
    // The last samples short of a block are padded with silence and kept.
    if (!FSamples.empty()) {
        FSamples.resize(TGsmEncoder::SamplesPerBlock, 0);
        EncodeSamples();
    }
    DeliverBuffer();
    FFile.Finish();
    FSampleCount = TGsmWaveFile::SampleCount(FFile.BytesWritten());
    ReleaseSource();
    FSamples.clear();
    SetState(rsWaiting);
    FStopping = false;
}

void TGSMRecorder::ReleaseSource()
{
    if (!FSource)
        return;
    disconnect(FSource, nullptr, this, nullptr);
    FSource->stop();
    delete FSource;
    FSource = nullptr;
    FInput = nullptr;
}

void TGSMRecorder::InputReady()
{
    if (FState == rsRecording && !FStopping)
        ReadInput();
}

void TGSMRecorder::SourceStateChanged(QAudio::State state)
{
    if (FStopping || !FSource)
        return;
    const QAudio::Error e = FSource->error();
    if (state == QAudio::StoppedState && e != QAudio::NoError && e != QAudio::UnderrunError)
        Fail();
}

void TGSMRecorder::ReadInput()
{
    if (!FInput)
        return;
    char chunk[4096];
    for (;;) {
        const qint64 n = FInput->read(chunk, sizeof chunk);
        if (n <= 0)
            break;
        FConverter.Convert(chunk, n, FSamples);
        EncodeSamples();
        if (FWriteFailed)
            break;
    }
    if (FWriteFailed)
        Fail();
}

void TGSMRecorder::EncodeSamples()
{
    const size_t blocks = FSamples.size() / TGsmEncoder::SamplesPerBlock;
    if (blocks == 0)
        return;
    uint8_t block[TGsmEncoder::BlockSize];
    for (size_t i = 0; i < blocks && !FWriteFailed; ++i) {
        FEncoder.EncodeBlock(FSamples.data() + i * TGsmEncoder::SamplesPerBlock, block);
        QByteArray &buf = FBuffers[FCurrent];
        buf.append(reinterpret_cast<const char *>(block), TGsmEncoder::BlockSize);
        if (buf.size() >= BufferSize) {
            DeliverBuffer();
            FCurrent = 1 - FCurrent;
        }
    }
    FSamples.erase(FSamples.begin(), FSamples.begin() + ptrdiff_t(blocks * TGsmEncoder::SamplesPerBlock));
}

// A filled (or, at a pause or stop, partly filled) buffer: its bytes go into the
// data chunk and the buffer is ready to be filled again.
void TGSMRecorder::DeliverBuffer()
{
    QByteArray &buf = FBuffers[FCurrent];
    if (buf.isEmpty())
        return;
    if (!FWriteFailed && !FFile.Append(buf.constData(), buf.size()))
        FWriteFailed = true;
    buf.clear();
}

// A failing device or file call while recording ends the recording.
void TGSMRecorder::Fail()
{
    if (FState != rsWaiting && !FStopping)
        Stop();
}

#pragma once
// Records the system's default sound input into a GSM 6.10 WAVE file.
#include "TGsmEncoder.h"
#include "TGsmWaveFile.h"
#include "TPcmConverter.h"
#include <QAudio>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QAudioSource;
class QIODevice;

enum TGSMRecorderState : uint8_t { rsWaiting, rsRecording, rsPaused };

class TGSMRecorder : public QObject {
    Q_OBJECT
public:
    // Seven GSM blocks, 0.28 s of sound.
    static constexpr int BufferSize =
        TGsmWaveFile::BlockAlign * (TGsmWaveFile::AvgBytesPerSec * 3 / 10 / TGsmWaveFile::BlockAlign);

    explicit TGSMRecorder(QObject *parent = nullptr);
    ~TGSMRecorder() override;

    QString FileName() const { return FFileName; }
    // Ignored unless State is rsWaiting.
    void SetFileName(const QString &name);
    TGSMRecorderState State() const { return FState; }

    void Start();
    void Pause();
    void Resume();
    void Stop();
    // Whether the default input can be opened in the recording format.
    bool CanRecord();

    // Compressed bytes in the data chunk of the current (or last) recording.
    uint64_t BytesWritten() const { return FFile.BytesWritten(); }
    uint32_t SampleCount() const { return FSampleCount; }

    // The stop sequence's messages (a failing stop or close of the input).
    std::function<void(const QString &)> OnMessage;

signals:
    void StateChanged(TGSMRecorderState state);

private:
    void SetState(TGSMRecorderState s);
    void InputReady();
    void SourceStateChanged(QAudio::State state);
    void ReadInput();
    void EncodeSamples();
    void DeliverBuffer();
    void Fail();
    void Message(const QString &text);
    void ReleaseSource();

    QString FFileName;
    TGSMRecorderState FState = rsWaiting;
    bool FStopping = false;
    bool FWriteFailed = false;
    QAudioSource *FSource = nullptr;
    QIODevice *FInput = nullptr;
    TPcmConverter FConverter;
    TGsmEncoder FEncoder;
    TGsmWaveFile FFile;
    std::vector<int16_t> FSamples;          // converted samples not yet encoded
    QByteArray FBuffers[2];                 // two capture buffers of BufferSize bytes
    int FCurrent = 0;                       // the buffer being filled
    uint32_t FSampleCount = 0;
};

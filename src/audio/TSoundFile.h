#pragma once
// A sound file read through libsndfile (PCM and GSM 6.10 WAVE and whatever else
// it decodes), from a file or from bytes in memory, as 16-bit samples.
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <cstdint>
#include <memory>

class TSoundFile {
public:
    TSoundFile();
    ~TSoundFile();
    TSoundFile(const TSoundFile &) = delete;
    TSoundFile &operator=(const TSoundFile &) = delete;

    // False when the file cannot be opened or its first samples cannot be decoded.
    bool Open(const QString &fileName);
    bool OpenData(const QByteArray &data);
    void Close();
    bool IsOpen() const { return FSnd != nullptr; }

    int SampleRate() const { return FRate; }
    int Channels() const { return FChannels; }
    int64_t FrameCount() const { return FFrames; }
    int64_t LengthMs() const { return FRate > 0 ? FFrames * 1000 / FRate : 0; }
    // libsndfile's reason when Open failed.
    QString ErrorText() const { return FError; }

    // Reads up to frames frames (Channels() samples each); 0 at the end or on an error.
    int64_t Read(int16_t *samples, int64_t frames);
    bool Seek(int64_t frame);

private:
    bool OpenDevice(std::unique_ptr<QIODevice> device);
    // Opens libsndfile on FDevice from its start.
    bool OpenSnd();

    std::unique_ptr<QIODevice> FDevice;
    QByteArray FData;
    void *FSnd = nullptr;
    int FRate = 0;
    int FChannels = 0;
    int64_t FFrames = 0;
    int64_t FReadPos = 0;       // the next frame Read returns
    bool FSeekable = false;
    QString FError;
};

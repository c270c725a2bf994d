#pragma once
// Plays sound files (anything libsndfile decodes) through the default output,
// with positions in milliseconds and one end notification per finished play.
#include "TSoundFile.h"
#include "TSoundPlayer.h"
#include <QAudio>
#include <QObject>
#include <QString>
#include <cstdint>

class QAudioSink;
class QTimer;
class TSoundFileStream;

class TMediaPlayer : public QObject, public TSoundPlayer {
    Q_OBJECT
public:
    explicit TMediaPlayer(QObject *parent = nullptr);
    ~TMediaPlayer() override;

    TMPModes Mode() const override { return FMode; }
    QString FileName() const override { return FFileName; }
    void SetFileName(const QString &name) override { FFileName = name; }
    bool Open() override;
    bool Play() override;
    void Stop() override;
    void Close() override;

    // Plays from the given position in milliseconds.
    bool PlayFrom(int64_t positionMs);
    void Pause();
    // Resumes a paused play; a stopped player plays from its position.
    bool Resume();
    // Moves to the position; a play in progress stops there.
    void Seek(int64_t positionMs);

    int64_t Length() const { return FFile.LengthMs(); }
    int64_t Position() const;
    // The skip step: a tenth of the length.
    int64_t Frames() const { return FFrames; }
    // The reason the last Open or Play failed.
    QString ErrorText() const { return FError; }

    // When set, the end of a play raises Notified once.
    bool Notify = true;

signals:
    void Notified();

private:
    friend class TSoundFileStream;
    void SinkStateChanged(QAudio::State state);
    void Finished();
    void ReleaseSink();
    int64_t PlayedMs() const;

    QString FFileName;
    TMPModes FMode = mpNotReady;
    TSoundFile FFile;
    TSoundFileStream *FStream = nullptr;
    QAudioSink *FSink = nullptr;
    QTimer *FDrainTimer = nullptr;
    int64_t FFrames = 0;
    int64_t FPositionMs = 0;        // while stopped
    int64_t FPlayStartMs = 0;       // where the current play started
    QString FError;
};

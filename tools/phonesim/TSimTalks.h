#pragma once
// Talks and messages the phone keeps in its call-memory cells: the searches 9E
// (incoming) and 9F (outgoing) answered with 56 and 57, and the requests 83
// (incoming talk), 84 (message) and 85 (outgoing talk) answered with 53, 54 or 55
// and the length, the sound played into the default audio output in real time
// (the cell's WAVE file or a generated tone), and 01 at its end. Hang-up (80)
// or a new request stops the talk being played without its 01.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QAudioSink;
class QBuffer;
class TSimLog;
class TSimMemory;

// What one memory cell holds besides the call record, from key=value words
// after the record on its --memory line.
struct TSimTalkCell {
    int talk = 0;            // seconds of the talk held (0: none)
    int message = 0;         // seconds of the caller's message (incoming only)
    QString wave;            // the talk's sound; a tone when empty
    QString messageWave;
    int tone = 0;            // Hz of the generated talk sound (0: 400 + 100 x cell)
    int messageTone = 0;
    int overrun = 0;         // ms the sound runs past the announced length before 01
    int announce = -1;       // seconds announced instead of the real length (0: "length 0")
    int reportCell = -1;     // the cell number the talk search reply names instead of the real one

    // One key=value word: talk, message, wave, message-wave, tone, message-tone,
    // overrun (seconds), announce, report-cell. False with a message.
    bool parse(const QString &word, QString &error);
};

class TSimTalks : public QObject {
    Q_OBJECT
public:
    TSimTalks(TSimLog *log, QObject *parent = nullptr);
    ~TSimTalks() override;

    void setOutput(std::function<void(const QByteArray &)> send) { FSend = std::move(send); }

    // Handles 9E, 9F, 83, 84 and 85 against the memory; false for other commands.
    // What is to be sent goes through the output; Describe gets the log text.
    bool execute(const QByteArray &cmd, const TSimMemory &memory, QString &describe);
    // Hang-up: the talk being played stops without its end byte.
    void stop();
    bool playing() const { return FEnd.isActive(); }

    // The search reply for a command 9E/9F (exposed for tests of the simulator).
    static QByteArray searchReply(const QByteArray &cmd, const TSimMemory &memory);
    // 8000 Hz mono 16-bit samples: the file's first channel, or a tone.
    static QByteArray sound(const QString &wave, int toneHz, int msecs, QString *error = nullptr);

private:
    void play(const QByteArray &pcm);

    TSimLog *FLog;
    std::function<void(const QByteArray &)> FSend;
    QTimer FEnd;
    std::unique_ptr<QAudioSink> FSink;
    std::unique_ptr<QBuffer> FBuffer;
};

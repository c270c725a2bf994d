#pragma once
// The simulator's wire log: one line per received byte ("<time> RX 9C"), one line
// per message sent ("<time> TX 41 00 ..."), one per decoded command ("<time> CMD ...")
// and notes ("<time> NOTE ..."). Each line is flushed at once.
#include <QByteArray>
#include <QString>
#include <cstdio>

class TSimLog {
public:
    TSimLog() = default;
    ~TSimLog();
    TSimLog(const TSimLog &) = delete;
    TSimLog &operator=(const TSimLog &) = delete;

    // "-" logs to standard error; an empty name logs nothing.
    bool open(const QString &fileName);
    void close();

    void rx(const QByteArray &bytes, qint64 msecsSinceEpoch);
    void tx(const QByteArray &bytes);
    void command(const QString &text);
    void note(const QString &text);

    static QString hex(const QByteArray &bytes);      // "41 00 0A"
    static QString timeStamp(qint64 msecsSinceEpoch); // local, yyyy-MM-ddTHH:mm:ss.zzz

private:
    void line(qint64 msecs, const char *tag, const QString &text);
    FILE *FFile = nullptr;
    bool FOwned = false;
};

#pragma once
// Reads the simulator's --log file: RX lines (one byte each), TX lines (one message
// each), CMD lines (decoded commands) and NOTE lines.
#include <QByteArray>
#include <QList>
#include <QString>

class SimWireLog {
public:
    struct Entry {
        qint64 msecs = 0;       // since the epoch
        QString tag;            // RX, TX, CMD, NOTE
        QString text;           // the rest of the line
        QByteArray bytes;       // RX, TX: the bytes; CMD: the command's bytes
    };

    static SimWireLog read(const QString &path);

    const QList<Entry> &entries() const { return FEntries; }
    QList<Entry> received() const;                     // RX entries, one byte each
    QList<Entry> sent() const;                         // TX entries
    QList<QByteArray> commands() const;                // CMD bytes in order
    int countCommands(uchar code) const;
    // Decoded commands whose bytes start with prefix.
    QList<QByteArray> commandsStartingWith(const QByteArray &prefix) const;

private:
    QList<Entry> FEntries;
};

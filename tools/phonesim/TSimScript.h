#pragma once
// Scenario scripts: one action per line, "#" starts a comment.
//   ring | number CATEGORY [DIGITS] | lift | lift-parallel | hangup
//   dial DIGITS | autodial DIGITS | answering-machine | message | busy-settings
//   send HEX... | wait SECONDS | silence SECONDS | repeat N ... end
// Lines are fed one at a time (a file or standard input); actions become ready
// as soon as they are complete (a repeat block at its "end").
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct TSimAction {
    enum Kind { Send, Digits, Wait, Silence, Repeat };
    Kind kind = Send;
    QByteArray bytes;          // Send: sent at once; Digits: one byte at a time
    int msecs = 0;             // Wait, Silence
    int count = 0;             // Repeat
    QList<TSimAction> body;    // Repeat
    int line = 0;
};

class TSimScript {
public:
    // Parses one line; false with a message (naming the line) when it is not valid.
    bool addLine(const QString &text, QString &error);
    // Ends the input; false when a repeat block is still open.
    bool finish(QString &error);
    // Top-level actions completed since the last call.
    QList<TSimAction> takeReady();
    bool insideBlock() const { return !FOpen.isEmpty(); }

    // Phone codes of a number as the phone reports it: digits 0-9, "*" or "?" as 10.
    static bool numberCodes(const QString &digits, QByteArray &codes);
    static bool parseHex(const QStringList &tokens, QByteArray &bytes);

private:
    QList<TSimAction> FReady;
    QList<TSimAction> FOpen;   // repeat blocks being read, innermost last
    int FLine = 0;
};

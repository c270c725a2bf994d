#pragma once
// The VRX phone's side of the protocol: decodes the program's commands from the
// bytes received and answers them as the phone does, from its model, firmware,
// individual number, clock, call memory and parameter store.
#include "TSimMemory.h"
#include "TSimParams.h"
#include "TSimLine.h"
#include "TSimPlayer.h"
#include "TSimRobot.h"
#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QVector>
#include <functional>

class TSimLog;

struct TSimPhoneConfig {
    QByteArray modelBlock;          // L bytes after the nibble-byte length of reply 48
    int firmware = 112;
    QByteArray phoneCode;           // the five codes of reply 44
    bool noCode = false;
    int codeDelay = 0;              // ms, on top of replyDelay
    int replyDelay = 0;             // ms before every reply
    QSet<int> ignored;              // commands left unanswered
    bool ignoreAll = false;
    int pickup = -1;                // ms from the last dialled digit to 20; -1: nobody answers
    int talk = 3000;                // ms from 20 (or the last digit) to 21
    int digitGap = 100;             // ms between reported digits
    int robotStep = 150;            // ms between the codes of a robot call
    int robotAnswer = 1000;         // longest answer recording of a robot call, ms

    // "5.2.0.1.123" (model, sub-model, letter 0 Ц / 1 Т / 2 С or the letter itself, variant, three-character
    // code with Ф or F for 14) and "10100111" (options 1 to 8) into a model block.
    static bool modelBlockFrom(const QString &model, const QString &options, QByteArray &block, QString &error);
    // Digits (and ?) as the five codes of reply 44; shorter texts are padded with
    // code 11, which gives no character.
    static bool phoneCodeFrom(const QString &digits, QByteArray &codes, QString &error);
    // "92,93" (hexadecimal) or "all".
    static bool ignoreFrom(const QString &list, TSimPhoneConfig &config, QString &error);
};

class TSimPhone : public QObject {
    Q_OBJECT
public:
    TSimPhone(const TSimPhoneConfig &config, TSimLog *log, QObject *parent = nullptr);

    void setOutput(std::function<void(const QByteArray &)> write) { FWrite = std::move(write); }
    void setMemory(const TSimMemory &memory) { FMemory = memory; }
    // ADDRESS=V1[,V2] lines; false with a message naming the line.
    bool loadParams(const QString &text, QString &error);
    TSimParams &params() { return FParams; }
    void setKeepAlive(int msecs, char byte);

    // Everything the phone sends goes through here: dropped while silent.
    void send(const QByteArray &bytes);
    // A scenario message: dropped when it belongs to a call hung up while ringing.
    void sendScripted(const QByteArray &bytes);
    void silence(int msecs);
    bool silent() const;

    void receive(const QByteArray &bytes);

    // Number of bytes a command needs in all, from the bytes so far (command byte
    // first): 0 while the length is not known yet, -1 for an unknown command.
    static int commandLength(const QByteArray &bytes, int firmware);
    static int nibbles(const QByteArray &bytes, int from, int count);
    static QByteArray toNibbles(int value, int count);

    QDateTime phoneClock() const;

private:
    void execute(const QByteArray &cmd);
    void reply(const QByteArray &bytes, int extraDelay = 0);
    void dial(const QByteArray &codes);

    TSimPhoneConfig FConfig;
    TSimLog *FLog;
    TSimMemory FMemory;
    TSimParams FParams;
    std::function<void(const QByteArray &)> FWrite;
    QByteArray FCommand;
    QTimer FCommandTimeout;
    qint64 FClockOffset = 0;          // ms the phone's clock runs ahead of the PC's
    QElapsedTimer FSilentSince;
    int FSilentFor = 0;
    TSimPlayer FCall;                 // the call the phone dials for command 90
    TSimRobot FRobot;                 // robot calls (82, 9B)
    TSimLine FLine;                   // the scenario's line
    QTimer FKeepAlive;
    char FKeepAliveByte = char(0xFF);
};

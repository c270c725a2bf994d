#pragma once
// The phone's robot mode: on a robot dial (82) it plays the call the number's
// last digit chooses, and on the message command (9B) the message and the
// answer recording.
//   0 busy tones            28, digits, 2A, 23, 21
//   1 nobody answers        28, digits, 2A, 25, 25, 25, 21
//   3 the operator lifts    28, digits, 2A, 25, 20, 21 after --talk
//   4 cut off while dialling the first time (28, 21), later as 2
//   5 no answer to the dial at all
//   2, 6-9 reached by the dial's criterion (flags bits 1-2): 0 after the tone
//     analysis, 1 after the first ringing tone, 2 after the ringing tones stop;
//     then 9B: the message, 36 and the answer for the time asked, 2D, 21
//     (2D, 21 at once for a time of 0; 2D, 21 after 3 s without 9B).
#include "TSimPlayer.h"
#include <QObject>
#include <QSet>
#include <functional>

class TSimLog;

class TSimRobot : public QObject {
    Q_OBJECT
public:
    TSimRobot(TSimLog *log, QObject *parent = nullptr);

    void setOutput(std::function<void(const QByteArray &)> send);
    // Ms between the codes of a robot call; the longest answer recording in ms;
    // ms from the operator's lift to line free.
    void setTiming(int step, int answer, int talk);

    // The whole 82 and 9B commands; a description for the log.
    QString dial(const QByteArray &cmd);
    QString message(const QByteArray &cmd);
    // A hang-up (80) ends the call being played.
    void hangUp();
    bool active() const { return FActive; }

private:
    void play(const QList<QByteArray> &codes, int firstDelay = -1);

    TSimLog *FLog;
    TSimPlayer FPlayer;
    std::function<void(const QByteArray &)> FSend;
    int FStep = 150;
    int FAnswer = 1000;
    int FTalk = 3000;
    bool FActive = false;
    bool FAwaitingMessage = false;
    QSet<QByteArray> FCutOff;   // numbers already cut off once
    QTimer FNoMessage;
};

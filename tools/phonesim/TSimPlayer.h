#pragma once
// Plays scenario actions one after another on the event loop.
#include "TSimScript.h"
#include <QObject>
#include <QTimer>
#include <functional>

class TSimPlayer : public QObject {
    Q_OBJECT
public:
    explicit TSimPlayer(QObject *parent = nullptr);

    void setDigitGap(int msecs) { FDigitGap = msecs; }
    // Where the bytes go; silence(ms) is called when a silence begins, silence(0) when it ends.
    void setOutput(std::function<void(const QByteArray &)> send, std::function<void(int)> silence = {});

    void append(const QList<TSimAction> &actions);
    void start();          // playing begins (actions may be appended before)
    void stop();           // forgets everything not yet played
    bool isIdle() const;   // nothing left to play
    bool isStarted() const { return FStarted; }

signals:
    void idle();           // the last appended action has been played

private:
    struct Frame {
        QList<TSimAction> actions;
        int index = 0;
        int remaining = 1;
    };
    void step();
    void later(int msecs);

    QList<Frame> FStack;
    QTimer FTimer;
    int FDigitGap = 100;
    int FDigitIndex = -1;   // position inside a Digits action being played
    bool FStarted = false;
    bool FBusy = false;
    bool FInSilence = false;
    std::function<void(const QByteArray &)> FSend;
    std::function<void(int)> FSilence;
};

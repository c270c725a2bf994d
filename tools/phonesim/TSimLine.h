#pragma once
// The line as the scenario plays it: idle, an incoming call ringing, a call
// in progress. When the program hangs up (80) a call that is still ringing,
// the caller is gone as on a real line: the line frees (21 is the reply) and
// what the scenario still has for that call, up to its own line-free, never
// reaches the program.
#include <QByteArray>

class TSimLine {
public:
    enum TState { lsIdle, lsRinging, lsBusy, lsHungUp };

    // A scenario message about to be sent; false when it belongs to a call
    // hung up while ringing (it is dropped).
    bool PassScripted(const QByteArray &bytes);
    // The program sent 80. True when it ended a ringing incoming call.
    bool HangUp();

    TState State() const { return FState; }

private:
    TState FState = lsIdle;
};

#include "TSimLine.h"

bool TSimLine::PassScripted(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return true;
    const auto code = uchar(bytes.at(0));
    if (FState == lsHungUp) {
        // The scenario's own line-free ends the call it had planned.
        if (code == 0x21)
            FState = lsIdle;
        return false;
    }
    switch (code) {
    case 0x30:
    case 0x31:
        if (FState == lsIdle)
            FState = lsRinging;
        break;
    case 0x20:
    case 0x22:
    case 0x28:
    case 0x32:
        FState = lsBusy;
        break;
    case 0x21:
        FState = lsIdle;
        break;
    default:
        break;
    }
    return true;
}

bool TSimLine::HangUp()
{
    const bool ringing = FState == lsRinging;
    FState = ringing ? lsHungUp : lsIdle;
    return ringing;
}

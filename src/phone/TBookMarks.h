#pragma once
// The journal calls whose recordings are looked for in the phone.
#include "common/TDateTime.h"
#include <QList>
#include <QString>

// One incoming call to look for.
struct TInBookMarks {
    int Call_ID = 0;
    int CellNo = -1;          // -1 until the phone reports the cell
    QString Phone;
    TDateTime Time;
    int TalkLength = 0;       // seconds
    int MessageLength = 0;    // seconds
    QString FileName;         // "+" when the talk is wanted
    QString MessageFileName;  // "+" when the message is wanted
};

// One outgoing call to look for.
struct TOutBookMarks {
    int Call_ID = 0;
    int CellNo = -1;
    QString Phone;
    TDateTime Time;
    int TalkLength = 0;
    QString FileName;
};

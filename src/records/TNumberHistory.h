#pragma once
// Every call of one number from both journals, newest first, by indexed lookups
// on Phone, whatever the journals' filters and orders (their current rows do not
// move). The number window lists it and finds a call in it by Call_ID and direction.
#include "common/TDateTime.h"
#include <QString>
#include <vector>

class TCallBook;

struct TNumberCall {
    qint64 CallId = 0;
    bool Incoming = true;
    TDateTime Time;
    TDateTime Length;
    int Value = 0;   // Category (incoming) or Attributes (outgoing)
    bool AutoAnswer = false;
    QString FileName;
    QString MessageFileName;
};

class TNumberHistory {
public:
    // A journal may be null.
    static std::vector<TNumberCall> Load(const TCallBook *In, const TCallBook *Out, const QString &Number);
    // The position of the call with this Call_ID in this direction; -1 when none.
    static int IndexOf(const std::vector<TNumberCall> &Calls, qint64 CallId, bool Incoming);
};

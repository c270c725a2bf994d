#pragma once
// The calls of both journals that carry a reminder (Field_8): those due today or
// later, or every one with a reminder, ordered by the reminder's day and then by
// the call's day. Read by indexed queries, whatever the journals' filters and
// orders; their current rows do not move.
#include "common/TDateTime.h"
#include <QString>
#include <vector>

class TCallBook;

struct TReminder {
    QString Phone;
    qint64 CallId = 0;
    bool Incoming = true;
    TDateTime Reminder;
    int ReminderDays = 0;   // whole days of Field_8
    int CallDays = 0;       // whole days of the call's Time
};

class TReminderList {
public:
    // All: every call with a reminder; otherwise those not earlier than Now's day at 0:00.
    // A journal may be null.
    static std::vector<TReminder> Query(const TCallBook *In, const TCallBook *Out, bool All, TDateTime Now);
    // Milliseconds from Now to the next midnight, rounded (a full day at 0:00).
    static int MsecsToMidnight(TDateTime Now);
    // Removes the reminder of a call; false when the call is no longer there.
    static bool Remove(TCallBook &Book, qint64 CallId);
};

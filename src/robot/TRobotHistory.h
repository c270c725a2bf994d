#pragma once
// The robot calls of one number in the outgoing journal, newest first, found
// through the Phone index whatever the journal's filter and order.
#include "common/TDateTime.h"
#include <QList>
#include <QString>

class TOutgoingCallBook;

struct TRobotHistoryRow {
    TDateTime Time;
    QString FileName;
};

class TRobotHistory {
public:
    // A journal that cannot be read gives no rows.
    static QList<TRobotHistoryRow> Calls(const TOutgoingCallBook &OutCalls, const QString &Number);
};

#pragma once
// The calls of one number in both journals, newest first: indexed lookups on
// Phone that neither move the journals' current rows nor heed their filters.
#include "common/TDateTime.h"
#include <QList>
#include <QString>

class TIncomingCallBook;
class TOutgoingCallBook;
class TCallBook;

struct TNumberHistoryRow {
    qint64 CallId = 0;
    bool Incoming = true;
    TDateTime Time;
    TDateTime Length;
    int Value = 0;   // Category (incoming) or Attributes (outgoing)
    QString FileName;
    QString MessageFileName;   // incoming only
    int Days = 0;              // whole days of Time
    qint64 Micro = 0;          // time of day in millionths of a day, rounded
};

struct TCallFields {
    bool Found = false;
    QString Field[7];   // Field_1 .. Field_7
    TDateTime Reminder; // Field_8, zero when none
};

namespace TNumberHistory {
// Every call with exactly this Phone, sorted by day then time of day,
// newest first. A journal that cannot be read (or is null) adds nothing.
QList<TNumberHistoryRow> Load(const TIncomingCallBook *In, const TOutgoingCallBook *Out, const QString &Number);
// The information fields of a row by key, whatever the filter.
TCallFields Fields(const TCallBook *Book, qint64 CallId);
}

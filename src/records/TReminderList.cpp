#include "TReminderList.h"
#include "TCallBook.h"
#include "TSqliteStatement.h"
#include <algorithm>
#include <cmath>

namespace {

void collect(const TCallBook *book, bool incoming, bool all, TDateTime now, std::vector<TReminder> &out)
{
    if (!book)
        return;
    // Field_8 is indexed: both conditions are range scans over that index.
    const QString where = all ? QStringLiteral("\"Field_8\" > 0") : QStringLiteral("\"Field_8\" >= ?1");
    TSqliteStatement q(book->connection(),
                       QStringLiteral("SELECT \"Call_ID\", \"Phone\", \"Field_8\", \"Time\" FROM %1 WHERE %2")
                           .arg(TTableSchema::quoted(book->schema().TableName), where));
    if (!all)
        q.bind(1, double(now.days()));
    while (q.step()) {
        TReminder r;
        r.CallId = q.int64(0);
        r.Phone = q.value(1).toString();
        r.Incoming = incoming;
        r.Reminder = TDateTime(q.value(2).toDouble());
        r.ReminderDays = r.Reminder.days();
        r.CallDays = TDateTime(q.value(3).toDouble()).days();
        out.push_back(std::move(r));
    }
}

}

std::vector<TReminder> TReminderList::Query(const TCallBook *In, const TCallBook *Out, bool All, TDateTime Now)
{
    std::vector<TReminder> list;
    collect(In, true, All, Now, list);
    collect(Out, false, All, Now, list);
    std::stable_sort(list.begin(), list.end(), [](const TReminder &a, const TReminder &b) {
        return a.ReminderDays != b.ReminderDays ? a.ReminderDays < b.ReminderDays : a.CallDays < b.CallDays;
    });
    return list;
}

int TReminderList::MsecsToMidnight(TDateTime Now)
{
    constexpr double Day = 86400000.0;
    const int ms = int(std::lround(Day - Now.timeOfDay() * Day));
    return std::clamp(ms, 1, int(Day));
}

bool TReminderList::Remove(TCallBook &Book, qint64 CallId)
{
    return Book.SetReminder(CallId, TDateTime());
}

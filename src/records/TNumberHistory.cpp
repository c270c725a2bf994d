#include "TNumberHistory.h"
#include "TIncomingCallBook.h"
#include "TOutgoingCallBook.h"
#include "TSqliteStatement.h"
#include "TTableError.h"
#include <algorithm>
#include <cmath>

namespace {
void collect(const TCallBook *book, bool incoming, const QString &number, QList<TNumberHistoryRow> &rows)
{
    if (!book)
        return;
    const QString columns = incoming ? QStringLiteral("\"Category\", \"FileName\", \"MessageFileName\"")
                                     : QStringLiteral("\"Attributes\", \"FileName\", NULL");
    try {
        TSqliteStatement q(book->connection(),
                           QStringLiteral("SELECT \"Call_ID\", \"Time\", \"Length\", %1 FROM %2 WHERE \"Phone\" = ?1")
                               .arg(columns, TTableSchema::quoted(book->schema().TableName)));
        q.bind(1, number);
        while (q.step()) {
            TNumberHistoryRow r;
            r.CallId = q.int64(0);
            r.Incoming = incoming;
            r.Time = TDateTime(q.value(1).toDouble());
            r.Length = TDateTime(q.value(2).toDouble());
            r.Value = q.value(3).toInt();
            r.FileName = q.value(4).toString();
            r.MessageFileName = q.value(5).toString();
            r.Days = r.Time.days();
            r.Micro = std::llround(r.Time.timeOfDay() * 1e6);
            rows << r;
        }
    } catch (const TTableError &) {
    }
}
}

QList<TNumberHistoryRow> TNumberHistory::Load(const TIncomingCallBook *In, const TOutgoingCallBook *Out,
                                              const QString &Number)
{
    QList<TNumberHistoryRow> rows;
    collect(In, true, Number, rows);
    collect(Out, false, Number, rows);
    std::stable_sort(rows.begin(), rows.end(), [](const TNumberHistoryRow &a, const TNumberHistoryRow &b) {
        return a.Days != b.Days ? a.Days > b.Days : a.Micro > b.Micro;
    });
    return rows;
}

TCallFields TNumberHistory::Fields(const TCallBook *Book, qint64 CallId)
{
    TCallFields f;
    if (!Book)
        return f;
    QVariantList row;
    try {
        row = Book->rowByKey(CallId);
    } catch (const TTableError &) {
    }
    if (row.isEmpty())
        return f;
    f.Found = true;
    const int field1 = Book->schema().fieldIndex(QStringLiteral("Field_1"));
    for (int n = 0; n < 7 && field1 + n < row.size(); ++n)
        f.Field[n] = row.at(field1 + n).toString();
    const int field8 = Book->schema().fieldIndex(QStringLiteral("Field_8"));
    if (field8 >= 0 && field8 < row.size() && !row.at(field8).isNull())
        f.Reminder = TDateTime(row.at(field8).toDouble());
    return f;
}

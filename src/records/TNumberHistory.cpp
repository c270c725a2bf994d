#include "TNumberHistory.h"
#include "TCallBook.h"
#include "TSqliteStatement.h"
#include <algorithm>

namespace {

void collect(const TCallBook *book, bool incoming, const QString &number, std::vector<TNumberCall> &out)
{
    if (!book)
        return;
    const QString columns = incoming ? QStringLiteral("\"Category\", \"AutoAnswer\", \"FileName\", \"MessageFileName\"")
                                     : QStringLiteral("\"Attributes\", 0, \"FileName\", NULL");
    TSqliteStatement q(book->connection(),
                       QStringLiteral("SELECT \"Call_ID\", \"Time\", \"Length\", %1 FROM %2 WHERE \"Phone\" = ?1")
                           .arg(columns, TTableSchema::quoted(book->schema().TableName)));
    q.bind(1, number);
    while (q.step()) {
        TNumberCall c;
        c.CallId = q.int64(0);
        c.Incoming = incoming;
        c.Time = TDateTime(q.value(1).toDouble());
        c.Length = TDateTime(q.value(2).toDouble());
        c.Value = q.value(3).toInt();
        c.AutoAnswer = q.value(4).toInt() != 0;
        c.FileName = q.value(5).toString();
        c.MessageFileName = q.value(6).toString();
        out.push_back(std::move(c));
    }
}

}

std::vector<TNumberCall> TNumberHistory::Load(const TCallBook *In, const TCallBook *Out, const QString &Number)
{
    std::vector<TNumberCall> calls;
    collect(In, true, Number, calls);
    collect(Out, false, Number, calls);
    // Newest first; calls of the same moment keep incoming before outgoing.
    std::stable_sort(calls.begin(), calls.end(),
                     [](const TNumberCall &a, const TNumberCall &b) { return a.Time.value() > b.Time.value(); });
    return calls;
}

int TNumberHistory::IndexOf(const std::vector<TNumberCall> &Calls, qint64 CallId, bool Incoming)
{
    for (size_t i = 0; i < Calls.size(); ++i)
        if (Calls[i].CallId == CallId && Calls[i].Incoming == Incoming)
            return int(i);
    return -1;
}

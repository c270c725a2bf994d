#include "TRobotHistory.h"
#include "records/TOutgoingCallBook.h"
#include "records/TSqliteStatement.h"
#include "records/TTableError.h"

QList<TRobotHistoryRow> TRobotHistory::Calls(const TOutgoingCallBook &OutCalls, const QString &Number)
{
    QList<TRobotHistoryRow> rows;
    if (Number.isEmpty())
        return rows;
    try {
        TSqliteStatement q(OutCalls.connection(),
                           QStringLiteral("SELECT \"Time\", \"FileName\" FROM %1 WHERE \"Phone\" = ?1 "
                                          "AND (\"Attributes\" & 16) <> 0 ORDER BY \"Time\" DESC, \"Call_ID\" DESC")
                               .arg(TTableSchema::quoted(OutCalls.schema().TableName)));
        q.bind(1, Number);
        while (q.step())
            rows.append({TDateTime(q.value(0).toDouble()), q.value(1).toString()});
    } catch (const TTableError &) {
    }
    return rows;
}

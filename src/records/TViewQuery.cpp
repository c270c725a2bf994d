#include "TViewQuery.h"
#include "TRecordTable.h"

QString TViewQuery::OrderSql(const TRecordTable &Table)
{
    // The view keeps its keys ascending and reads them from the back when it is
    // descending: the exact reverse, nulls and ties included.
    const QString dir = Table.sortDescending() ? QStringLiteral(" DESC") : QString();
    const QString key = TTableSchema::quoted(Table.schema().keyName()) + dir;
    if (Table.sortField().isEmpty())
        return QStringLiteral(" ORDER BY ") + key;
    return QStringLiteral(" ORDER BY ") + TTableSchema::quoted(Table.sortField()) + dir + QStringLiteral(", ") + key;
}

QString TViewQuery::WhereSql(const TRecordTable &Table, QVariantList &Params)
{
    if (!Table.filtered() || Table.filter().isEmpty())
        return QStringLiteral("1");
    return TFilterExpression::parse(Table.filter(), Table.schema().Fields).toSql(Params);
}

QString TViewQuery::SelectSql(const TRecordTable &Table, const QStringList &Columns, QVariantList &Params)
{
    QStringList cols;
    for (const QString &c : Columns)
        cols << TTableSchema::quoted(c);
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3")
               .arg(cols.join(QLatin1Char(',')), TTableSchema::quoted(Table.schema().TableName), WhereSql(Table, Params))
           + OrderSql(Table);
}

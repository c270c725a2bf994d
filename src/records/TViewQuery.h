#pragma once
// The SQL of a table's current view, for readers that stream its rows straight
// from the file in the order the view shows them instead of a key at a time.
#include <QString>
#include <QVariantList>

class TRecordTable;

class TViewQuery {
public:
    // " ORDER BY ..." of the view: its sort field (if any), then the key.
    static QString OrderSql(const TRecordTable &Table);
    // The view's filter as an SQL condition ("1" when it is off), its values appended to Params.
    static QString WhereSql(const TRecordTable &Table, QVariantList &Params);
    // "SELECT Columns FROM table WHERE <view filter> ORDER BY <view order>".
    static QString SelectSql(const TRecordTable &Table, const QStringList &Columns, QVariantList &Params);
};

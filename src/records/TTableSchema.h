#pragma once
// The layout of one table: its name, its fields in column order and its sort rules.
#include "TFilterExpression.h"
#include <QList>
#include <QString>
#include <QStringList>

class TTableSchema {
public:
    QString TableName;         // also the file's base name: Data/<TableName>.cds
    QList<TFieldInfo> Fields;  // column order; the first field is the autoincrement key
    QStringList NotSorted;     // names SortBy ignores
    QStringList Descending;    // fields ordered newest or longest first
    QStringList Indexed;       // fields indexed when the table is created
    QStringList Marked;        // file columns whose "+" marks a talk still in the phone
    // Fields appended after files of this table were first written (the last
    // ones of Fields, flags 0 or 1): a file without them gets them, 0 in every
    // row, when it is opened.
    QStringList AddedLater;
    // Columns other parts of the program add to the file for their own use
    // (the office link's Guid); they are not fields and the layout check
    // leaves them alone.
    QStringList Hidden;

    QString keyName() const { return Fields.first().Name; }
    int fieldIndex(const QString &name) const;   // -1 when no such field
    const TFieldInfo *field(const QString &name) const;
    QStringList fieldNames() const;

    // "CREATE TABLE ..." and the index statements of a new file.
    QString createSql() const;
    QStringList indexSql() const;
    // The rows of Marked holding "+", as an SQL condition (the partial index's own).
    QString markedCondition() const;
    // "ALTER TABLE ... ADD COLUMN" for an added field.
    QString addColumnSql(const QString &field) const;
    static QString indexSql(const QString &table, const QString &field);
    static QString quoted(const QString &identifier);   // "Name", doubling any quote

    static const TTableSchema &addressBook();
    static const TTableSchema &incomingCalls();
    static const TTableSchema &outgoingCalls();
};

#include "TCallBook.h"
#include "TTableError.h"
#include <sqlite3.h>

namespace {
const QString KeyTable = QStringLiteral("\"BacklogKeys\"");
}

TCallBook::TCallBook(const TTableSchema &schema, const QString &basePath, QObject *owner)
    : TRecordTable(schema, basePath, owner)
{
}

QVariant TCallBook::optionalText(const QString &s)
{
    return s.isEmpty() ? QVariant() : QVariant(s);
}

QVariant TCallBook::reminder(TDateTime t)
{
    return t.isZero() ? QVariant() : QVariant(t.value());
}

bool TCallBook::FindCall(qint64 Call_ID)
{
    return locate(Call_ID);
}

QStringList TCallBook::filesOfRow(const QVariantList &row) const
{
    QStringList files;
    for (int c : FFileColumns)
        if (c < row.size() && !row.at(c).isNull())
            files << row.at(c).toString();
    return files;
}

void TCallBook::DeleteCurrent(bool DeleteFiles)
{
    const qint64 key = currentKey();
    if (key == 0)
        return;
    const QStringList files = DeleteFiles ? filesOfRow(currentRow()) : QStringList();
    deleteRow(key);
    // Files go once the row is gone, so a failed delete never leaves a row without its file.
    removeFiles(files);
}

qint64 TCallBook::newestCall() const
{
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT \"Call_ID\" FROM %1 ORDER BY \"Time\" DESC, \"Call_ID\" DESC LIMIT 1")
                                          .arg(TTableSchema::quoted(schema().TableName)));
    return st.step() ? st.int64(0) : 0;
}

QList<QVariantList> TCallBook::newestRows(int Count) const
{
    QList<QVariantList> rows;
    if (Count <= 0)
        return rows;
    QStringList cols;
    for (const QString &n : schema().fieldNames())
        cols << TTableSchema::quoted(n);
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY \"Time\" DESC, \"Call_ID\" DESC LIMIT ?")
                                          .arg(cols.join(QLatin1Char(',')), TTableSchema::quoted(schema().TableName)));
    st.bindInt64(1, Count);
    while (st.step())
        rows.prepend(st.row());
    return rows;
}

bool TCallBook::updateInfoFields(qint64 key, QList<QPair<int, QVariant>> columns, const QList<TFieldEntry> &entries,
                                 TDateTime reminderTime)
{
    if (!hasKey(key))
        return false;
    const int field1 = schema().fieldIndex(QStringLiteral("Field_1"));
    const int field8 = schema().fieldIndex(QStringLiteral("Field_8"));
    bool any = false;
    for (int i = 0; i < entries.size() && i < 7; ++i) {
        const TFieldEntry &e = entries.at(i);
        if (e.Tag < 1 || e.Tag > 7)
            continue;
        columns << qMakePair(field1 + e.Tag - 1, optionalText(e.Text));
        any = true;
    }
    if (any)
        columns << qMakePair(field8, reminder(reminderTime));
    updateRow(key, columns);
    emit fieldsUpdated(key);
    return true;
}

QList<QVariantList> TCallBook::markedRows() const
{
    QList<QVariantList> rows;
    if (FFileColumns.isEmpty())
        return rows;
    QStringList cols;
    for (const QString &n : schema().fieldNames())
        cols << TTableSchema::quoted(n);
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4")
                                          .arg(cols.join(QLatin1Char(',')), TTableSchema::quoted(schema().TableName),
                                               schema().markedCondition(),
                                               TTableSchema::quoted(schema().keyName())));
    while (st.step())
        rows << st.row();
    return rows;
}

bool TCallBook::hasMarkedRows() const
{
    if (FFileColumns.isEmpty())
        return false;
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1")
                                          .arg(TTableSchema::quoted(schema().TableName),
                                               schema().markedCondition()));
    return st.step();
}

bool TCallBook::ClearMarkers(qint64 Call_ID, bool Talk, bool Message)
{
    const QVariantList row = rowByKey(Call_ID);
    if (row.isEmpty())
        return false;
    QList<QPair<int, QVariant>> columns;
    for (int i = 0; i < FFileColumns.size(); ++i) {
        const int c = FFileColumns.at(i);
        if ((i == 0 ? Talk : Message) && c < row.size() && row.at(c).toString() == QLatin1String("+"))
            columns << qMakePair(c, QVariant());
    }
    return updateRow(Call_ID, columns);
}

bool TCallBook::SetReminder(qint64 Call_ID, TDateTime Reminder)
{
    if (!updateRow(Call_ID, {qMakePair(schema().fieldIndex(QStringLiteral("Field_8")), reminder(Reminder))}))
        return false;
    emit fieldsUpdated(Call_ID);
    return true;
}

QList<qint64> TCallBook::AddKeyedValues(const QList<QPair<QString, QVariantList>> &rows)
{
    QList<qint64> ids;
    if (rows.isEmpty())
        return ids;
    disableControls();
    try {
        TSqliteDatabase::Transaction tr(FDb);
        FDb.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (\"Key\" TEXT PRIMARY KEY)").arg(KeyTable));
        TSqliteStatement take = FDb.prepare(QStringLiteral("INSERT OR IGNORE INTO %1 (\"Key\") VALUES (?)").arg(KeyTable));
        for (const auto &row : rows) {
            take.reset();
            take.bind(1, row.first);
            take.exec();
            ids << (sqlite3_changes(FDb.handle()) > 0 ? insertRow(row.second) : 0);
        }
        take = TSqliteStatement();
        tr.commit();
    } catch (const TTableError &) {
        // The view may hold keys of rows rolled back.
        reloadView();
        enableControls();
        throw;
    }
    enableControls();
    return ids;
}

void TCallBook::ForgetKeys(const QStringList &keys)
{
    if (keys.isEmpty())
        return;
    TSqliteStatement exists = FDb.prepare(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'BacklogKeys'"));
    if (!exists.step())
        return;
    exists = TSqliteStatement();
    TSqliteDatabase::Transaction tr(FDb);
    TSqliteStatement drop = FDb.prepare(QStringLiteral("DELETE FROM %1 WHERE \"Key\" = ?").arg(KeyTable));
    for (const QString &key : keys) {
        drop.reset();
        drop.bind(1, key);
        drop.exec();
    }
    drop = TSqliteStatement();
    tr.commit();
}

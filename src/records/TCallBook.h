#pragma once
// What the incoming and the outgoing journal share: finding a call, deleting with
// its files, clearing, the information fields and the reminder.
#include "TFieldEntry.h"
#include "common/TDateTime.h"
#include "TRecordTable.h"
#include <QList>

class TCallBook : public TRecordTable {
    Q_OBJECT
public:
    bool FindCall(qint64 Call_ID);
    // Deletes the current row; with DeleteFiles also the files it names that exist
    // ("+" and empty names delete nothing).
    void DeleteCurrent(bool DeleteFiles);
    // Clears the view (with a filter on, only the rows that pass it) and their files,
    // in one transaction. Returns the number of rows deleted.
    int ClearCalls() { return clearRows(true); }

    // The newest call by Time (0 when the journal is empty), whatever the order and filter.
    qint64 newestCall() const;
    // Appends and commits a row given as the values of every field after the key
    // (the journal's values() of a call); the row becomes current. Returns its Call_ID.
    qint64 AddValues(const QVariantList &values) { return insertRow(values); }
    // Appends rows that waited under keys of their own, in one transaction: a row
    // whose key the journal took before is skipped, so a row goes in once however
    // often it is offered. Returns each row's Call_ID, 0 for one skipped; throws
    // TTableError with nothing written.
    QList<qint64> AddKeyedValues(const QList<QPair<QString, QVariantList>> &rows);
    // Drops keys of rows that are offered no more.
    void ForgetKeys(const QStringList &keys);
    // The Count newest rows by Time (oldest of them first), whatever the order and
    // filter, without moving the current row.
    QList<QVariantList> newestRows(int Count) const;
    // The rows whose talk or message is still held only in the phone ("+" in a file
    // column), in the stored order, by an indexed-free single query.
    QList<QVariantList> markedRows() const;
    bool hasMarkedRows() const;
    // Empties the row's talk (first file column) and message (second) names where
    // they are "+"; false when there is no such row.
    bool ClearMarkers(qint64 Call_ID, bool Talk = true, bool Message = true);
    // Writes the reminder (zero: none) of a call whatever the filter; false when
    // there is no such row.
    bool SetReminder(qint64 Call_ID, TDateTime Reminder);

signals:
    // Information fields or the reminder of a call were written (reminders to rebuild).
    void fieldsUpdated(qint64 callId);

protected:
    TCallBook(const TTableSchema &schema, const QString &basePath, QObject *owner);
    // Writes the information fields of the first seven entries whose tag is 1..7 and,
    // when there was one, the reminder; extra columns (Phone) are written too.
    bool updateInfoFields(qint64 key, QList<QPair<int, QVariant>> columns, const QList<TFieldEntry> &entries,
                          TDateTime reminder);
    QStringList filesOfRow(const QVariantList &row) const override;

    static QVariant optionalText(const QString &s);
    static QVariant reminder(TDateTime t);

    QList<int> FFileColumns;
};

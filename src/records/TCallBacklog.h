#pragma once
// Call rows a journal could not take (disk full, an I/O error, the file locked
// by another program). They wait in memory and in a small file beside the
// journal ("<file>.pending", one row a line), and go into the journal, oldest
// first, as soon as it accepts them; a later run writes what an earlier one left.
// Every row in the file carries a key of its own that the journal takes together
// with the row and refuses a second time, so a run that dies between writing
// rows and rewriting the file never writes them twice.
#include "TFieldEntry.h"
#include "common/TDateTime.h"
#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

class TCallBook;

class TCallBacklog {
public:
    struct TRow {
        QString Key;
        QVariantList Values;   // every field after the journal's key
    };

    // Takes over the rows a previous run left in the file; a damaged file gives
    // every row that can still be read (see LoadMessage).
    explicit TCallBacklog(TCallBook &Book);

    // Writes the waiting rows, then this one (values for every field after the
    // key). Returns the new Call_ID, or 0 when the row waits; Error then holds
    // the journal's reason and Key the key the row waits under.
    qint64 Add(const QVariantList &Values, QString *Error = nullptr, QString *Key = nullptr);
    // Writes the waiting rows in order, stopping at the first the journal
    // refuses, and brings the file up to date (also when nothing was written).
    // Returns the number written; LastKey gets the last one's Call_ID.
    int Flush(QString *Error = nullptr, qint64 *LastKey = nullptr);

    int Count() const { return int(FRows.size()); }
    const QList<TRow> &Rows() const { return FRows; }
    // False while the file does not hold the waiting rows (it could not be
    // written): they are kept in memory only. SaveError tells why.
    bool Saved() const { return FSaved; }
    QString SaveError() const { return FSaveError; }

    // The Call_ID a waiting row got when it was written in this run; 0 while it
    // waits or when the key is unknown.
    qint64 WrittenAs(const QString &Key) const { return FWritten.value(Key); }
    // Information fields for the row waiting under Key, by the journal's rules:
    // the first seven entries tagged 1..7 and, when there was one, the reminder;
    // Phone (incoming rows) when not empty. False when no row waits under Key.
    bool SetFields(const QString &Key, const QString &Phone, const QList<TFieldEntry> &Entries, TDateTime Reminder);

    QString FileName() const { return FFileName; }
    // Non-empty when the file was damaged: how many calls were recovered and
    // where the damaged file is kept.
    QString LoadMessage() const { return FLoadMessage; }
    int Recovered() const { return FRecovered; }
    // The copy of the damaged file; empty when it could not be made.
    QString DamagedCopy() const { return FDamagedCopy; }

    // Longest line the reader takes; a longer one counts as damaged.
    static constexpr qint64 MaxLine = 1 << 20;

private:
    void load();
    bool readOldFormat(const QByteArray &Text);
    bool takeRow(const QJsonArray &Cells, const QString &Key);
    void save();
    QString newKey() const;

    TCallBook &FBook;
    QString FFileName;
    QList<TRow> FRows;
    bool FSaved = true;        // the file holds FRows
    QString FSaveError;
    QStringList FForget;       // keys of rows written, dropped from the journal once the file no longer has them
    QHash<QString, qint64> FWritten;
    QSet<QString> FLoadedKeys;   // while the file is read
    QString FLoadMessage;
    int FRecovered = 0;
    QString FDamagedCopy;
};

#pragma once
// Call rows a journal could not take (disk full, an I/O error, the file locked
// by another program). They wait in memory and in a small file beside the
// journal ("<file>.pending"), and go into the journal, oldest first, as soon as
// it accepts them; a later run writes what an earlier one left.
#include <QList>
#include <QString>
#include <QVariantList>

class TCallBook;

class TCallBacklog {
public:
    // Takes over the rows a previous run left in the file.
    explicit TCallBacklog(TCallBook &Book);

    // Writes the waiting rows, then this one (values for every field after the
    // key). Returns the new Call_ID, or 0 when the row waits; Error then holds
    // the journal's reason.
    qint64 Add(const QVariantList &Values, QString *Error = nullptr);
    // Writes the waiting rows in order, stopping at the first the journal
    // refuses. Returns the number written; LastKey gets the last one's Call_ID.
    int Flush(QString *Error = nullptr, qint64 *LastKey = nullptr);

    int Count() const { return int(FRows.size()); }
    const QList<QVariantList> &Rows() const { return FRows; }
    QString FileName() const { return FFileName; }
    // Non-empty when the file could not be read: what happened to it.
    QString LoadMessage() const { return FLoadMessage; }

private:
    void load();
    void save();

    TCallBook &FBook;
    QString FFileName;
    QList<QVariantList> FRows;
    QString FLoadMessage;
};

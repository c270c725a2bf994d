#pragma once
// The rows a search lists, read one at a time in the table's current order
// (the order its unfiltered view shows), so that a list of any length starts
// at once and is never held whole in memory.
#include "TCallSearch.h"
#include "records/TSqliteStatement.h"
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class TAddressBook;
class TRecordTable;

class TSearchHits {
public:
    // A call search: sets the criteria's filter as the journal's filter text and
    // leaves its filtering off, as the search window does. Throws TFilterError
    // (the journal untouched) when the text does not parse. IdsOnly reads no
    // more than the keys.
    TSearchHits(TRecordTable &Journal, const TCallCriteria &Criteria, bool IdsOnly = false);
    TSearchHits(TRecordTable &Journal, const QString &Filter, bool IdsOnly = false);
    // An address-book search; the book is left unfiltered.
    TSearchHits(TAddressBook &Book, const TAddressCriteria &Criteria, bool IdsOnly = false);
    ~TSearchHits();
    TSearchHits(const TSearchHits &) = delete;
    TSearchHits &operator=(const TSearchHits &) = delete;

    // The next row that passes; false at the end. Throws TTableError.
    bool next();
    qint64 id() const;
    // The list's text of the row ("Phone - Time" or "Phone - Name"), UTF-8.
    QByteArray textUtf8() const;
    QString text() const { return QString::fromUtf8(textUtf8()); }

    // The list's texts of the rows with these keys, in the order given (an empty
    // text for a key that is gone).
    static QStringList CallTexts(const TRecordTable &Journal, const qint64 *Ids, int Count);
    static QStringList AddressTexts(const TRecordTable &Book, const qint64 *Ids, int Count);
    // " ORDER BY ..." of the table's current view.
    static QString OrderSql(const TRecordTable &Table);

private:
    void start(TRecordTable &Table, const QString &Where, const QVariantList &Params, const QStringList &Columns);
    bool passesKeywords() const;

    TSqliteStatement FQuery;
    sqlite3_stmt *FStmt = nullptr;   // FQuery's, null once the rows are read
    bool FBook = false;
    bool FIdsOnly = false;
    QStringList FNames, FAddresses, FNotes;
};

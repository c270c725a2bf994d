#pragma once
// The search window's logic without its window: the criteria of the "calls"
// page turned into a filter text, the search in a journal through the table's
// filter expressions, and the keyword search in the address book.
#include "TPeriod.h"
#include "common/PhoneTypes.h"
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class TAddressBook;
class TRecordTable;

// The "calls" page. Conditions that do not apply to Kind are left out whatever they hold.
struct TCallCriteria {
    TCallKind Kind = ckIncoming;
    bool NumberOn = true;
    QString Number;
    bool CategoryOn = false;
    int Category = 1;
    bool LengthOn = false;
    bool LengthLess = false;     // "Менее" (<=); otherwise "Более" (>)
    int LengthSeconds = 300;
    bool Record = false;
    bool Message = false;        // incoming only
    bool AutoAnswer = false;     // incoming only
    bool PlaceOn = false;        // outgoing only
    bool PlaceParallel = false;  // "Звонок с &параллельного"; otherwise "Звонок с &VRXа"
    TPeriod Period;
};

// The "address book" page.
struct TAddressCriteria {
    QString Phone;
    QString Name;
    QString Address;
    QString Notes;
};

// One item of the result list: the text shown and the row's key.
struct TFoundRow {
    qint64 Id = 0;
    QString Text;
    friend bool operator==(const TFoundRow &a, const TFoundRow &b) { return a.Id == b.Id && a.Text == b.Text; }
};

class TCallSearch {
public:
    // The filter text, conditions joined by " and "; empty when none applies.
    static QString BuildCallFilter(const TCallCriteria &Criteria);
    // Sets Filter as the journal's filter text, leaves its filtering off, keeps its
    // current row and returns the rows that pass, in the journal's current order,
    // as "Phone - Time". Throws TFilterError when the text does not parse.
    static QList<TFoundRow> SearchCalls(TRecordTable &Journal, const QString &Filter);
    // The same for the criteria's filter, with the period and a plain number
    // answered from the journal's indexes.
    static QList<TFoundRow> SearchCalls(TRecordTable &Journal, const TCallCriteria &Criteria);
    // Rows whose Name, Address and Notes hold every keyword of their box (ignoring
    // case) and, when Phone is given, whose number matches it as in a filter, in the
    // book's current order as "Phone - Name". The book is left unfiltered.
    static QList<TFoundRow> SearchAddressBook(TAddressBook &Book, const TAddressCriteria &Criteria);
    // Conditions the indexes on Time and Phone can answer, each true for every row
    // the criteria's filter passes (and more), with their parameters; empty when
    // none applies.
    static QString Narrowing(const TCallCriteria &Criteria, QVariantList &Params);
    // A box's keywords: trimmed, lower-cased, split at runs of blanks.
    static QStringList Keywords(const QString &Text);
    // "'text'" with quotes inside doubled.
    static QString Quoted(const QString &Text);
    // The result list's lines joined with CR LF after each, for the clipboard.
    static QString ClipboardText(const QStringList &Lines);
};

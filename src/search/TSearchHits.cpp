#include "TSearchHits.h"
#include "common/TDateTimeText.h"
#include "records/TAddressBook.h"
#include "records/TFilterExpression.h"
#include "records/TRecordTable.h"
#include "records/TTableError.h"
#include "records/TTableSchema.h"
#include "records/TViewQuery.h"
#include <QHash>
#include <algorithm>
#include <sqlite3.h>

namespace {
void appendCallText(QByteArray &Out, const char *Phone, int Bytes, double Time)
{
    Out.append(Phone, Bytes);
    Out.append(" - ", 3);
    char buf[TDateTimeText::MaxLength];
    Out.append(buf, TDateTimeText::Write(buf, TDateTime(Time), TDateTimeText::tfDateTime));
}

const char *columnText(sqlite3_stmt *St, int Column, int &Bytes)
{
    const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(St, Column));
    Bytes = t ? sqlite3_column_bytes(St, Column) : 0;
    return t ? t : "";
}

bool holdsAll(const QString &Text, const QStringList &Keywords)
{
    if (Keywords.isEmpty())
        return true;
    const QString lower = Text.toLower();
    return std::all_of(Keywords.begin(), Keywords.end(), [&](const QString &k) { return lower.contains(k); });
}

// The rows of a run of keys, one query; Fill(key, statement) for each row found.
template <typename Fill>
void byKeys(const TRecordTable &Table, const QString &Columns, const qint64 *Ids, int Count, Fill fill)
{
    if (Count <= 0)
        return;
    const TTableSchema &s = Table.schema();
    QString marks;
    marks.reserve(Count * 2);
    for (int i = 0; i < Count; ++i)
        marks += i ? QStringLiteral(",?") : QStringLiteral("?");
    const QByteArray sql = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 IN (%4)")
                               .arg(TTableSchema::quoted(s.keyName()), Columns, TTableSchema::quoted(s.TableName), marks)
                               .toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(Table.connection(), sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        throw TTableError(QString::fromUtf8(sqlite3_errmsg(Table.connection())));
    for (int i = 0; i < Count; ++i)
        sqlite3_bind_int64(st, i + 1, Ids[i]);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        fill(sqlite3_column_int64(st, 0), st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw TTableError(QString::fromUtf8(sqlite3_errmsg(Table.connection())));
}

QStringList inOrder(const qint64 *Ids, int Count, QHash<qint64, QString> &Texts)
{
    QStringList out;
    out.reserve(Count);
    for (int i = 0; i < Count; ++i)
        out << Texts.value(Ids[i]);
    return out;
}
}

TSearchHits::TSearchHits(TRecordTable &Journal, const TCallCriteria &Criteria, bool IdsOnly) : FIdsOnly(IdsOnly)
{
    QVariantList params;
    const QString narrow = TCallSearch::Narrowing(Criteria, params);
    const QString filter = TCallSearch::BuildCallFilter(Criteria);
    const TFilterExpression expr = TFilterExpression::parse(filter, Journal.schema().Fields);
    QString where = expr.toSql(params);
    if (!narrow.isEmpty())
        where = narrow + QStringLiteral(" AND ") + where;
    Journal.disableControls();
    Journal.setFiltered(false);
    Journal.setFilter(filter);
    Journal.enableControls();
    start(Journal, where, params, {QStringLiteral("Phone"), QStringLiteral("Time")});
}

TSearchHits::TSearchHits(TRecordTable &Journal, const QString &Filter, bool IdsOnly) : FIdsOnly(IdsOnly)
{
    const TFilterExpression expr = TFilterExpression::parse(Filter, Journal.schema().Fields);
    QVariantList params;
    const QString where = expr.toSql(params);
    Journal.disableControls();
    Journal.setFiltered(false);
    Journal.setFilter(Filter);
    Journal.enableControls();
    start(Journal, where, params, {QStringLiteral("Phone"), QStringLiteral("Time")});
}

TSearchHits::TSearchHits(TAddressBook &Book, const TAddressCriteria &C, bool IdsOnly) : FBook(true), FIdsOnly(IdsOnly)
{
    FNames = TCallSearch::Keywords(C.Name);
    FAddresses = TCallSearch::Keywords(C.Address);
    FNotes = TCallSearch::Keywords(C.Notes);
    const QString filter = C.Phone.isEmpty() ? QString() : QStringLiteral("Phone = ") + TCallSearch::Quoted(C.Phone);
    const TFilterExpression expr = TFilterExpression::parse(filter, Book.schema().Fields);
    QVariantList params;
    const QString where = expr.toSql(params);
    Book.disableControls();
    Book.setFiltered(false);
    Book.setFilter(QString());
    Book.enableControls();
    // The keywords need the three texts, whatever is shown.
    if (!FNames.isEmpty() || !FAddresses.isEmpty() || !FNotes.isEmpty())
        FIdsOnly = false;
    start(Book, where, params,
          {QStringLiteral("Phone"), QStringLiteral("Name"), QStringLiteral("Address"), QStringLiteral("Notes")});
}

TSearchHits::~TSearchHits() = default;

QString TSearchHits::OrderSql(const TRecordTable &Table)
{
    return TViewQuery::OrderSql(Table);
}

void TSearchHits::start(TRecordTable &Table, const QString &Where, const QVariantList &Params, const QStringList &Columns)
{
    const TTableSchema &s = Table.schema();
    QStringList cols{TTableSchema::quoted(s.keyName())};
    if (!FIdsOnly)
        for (const QString &c : Columns)
            cols << TTableSchema::quoted(c);
    FQuery = TSqliteStatement(Table.connection(), QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                                      .arg(cols.join(QStringLiteral(", ")),
                                                           TTableSchema::quoted(s.TableName), Where)
                                                      + OrderSql(Table));
    FQuery.bindAll(Params);
    FStmt = FQuery.handle();
}

bool TSearchHits::passesKeywords() const
{
    if (!FBook)
        return true;
    const auto text = [this](int c) { return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(FStmt, c))); };
    return holdsAll(text(2), FNames) && holdsAll(text(3), FAddresses) && holdsAll(text(4), FNotes);
}

bool TSearchHits::next()
{
    if (!FStmt)
        return false;
    while (FQuery.step())
        if (passesKeywords())
            return true;
    // Done: the statement goes at once, so that the table's writers never wait on it.
    FQuery = TSqliteStatement();
    FStmt = nullptr;
    return false;
}

qint64 TSearchHits::id() const
{
    return sqlite3_column_int64(FStmt, 0);
}

QByteArray TSearchHits::textUtf8() const
{
    QByteArray out;
    if (FIdsOnly)
        return out;
    int bytes = 0;
    const char *phone = columnText(FStmt, 1, bytes);
    if (FBook) {
        int nameBytes = 0;
        const char *name = columnText(FStmt, 2, nameBytes);
        out.reserve(bytes + nameBytes + 3);
        out.append(phone, bytes).append(" - ", 3).append(name, nameBytes);
    } else {
        out.reserve(bytes + 24);
        appendCallText(out, phone, bytes, sqlite3_column_double(FStmt, 2));
    }
    return out;
}

QStringList TSearchHits::CallTexts(const TRecordTable &Journal, const qint64 *Ids, int Count)
{
    QHash<qint64, QString> texts;
    byKeys(Journal, QStringLiteral("\"Phone\", \"Time\""), Ids, Count, [&](qint64 key, sqlite3_stmt *st) {
        int bytes = 0;
        const char *phone = columnText(st, 1, bytes);
        QByteArray line;
        appendCallText(line, phone, bytes, sqlite3_column_double(st, 2));
        texts.insert(key, QString::fromUtf8(line));
    });
    return inOrder(Ids, Count, texts);
}

QStringList TSearchHits::AddressTexts(const TRecordTable &Book, const qint64 *Ids, int Count)
{
    QHash<qint64, QString> texts;
    byKeys(Book, QStringLiteral("\"Phone\", \"Name\""), Ids, Count, [&](qint64 key, sqlite3_stmt *st) {
        int p = 0, n = 0;
        const char *phone = columnText(st, 1, p);
        const char *name = columnText(st, 2, n);
        texts.insert(key, QString::fromUtf8(QByteArray(phone, p) + " - " + QByteArray(name, n)));
    });
    return inOrder(Ids, Count, texts);
}

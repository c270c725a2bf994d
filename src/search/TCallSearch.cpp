#include "TCallSearch.h"
#include "records/TAddressBook.h"
#include "records/TFilterExpression.h"
#include "records/TRecordTable.h"
#include "records/TSqliteStatement.h"
#include "records/TTableSchema.h"
#include <algorithm>
#include <unordered_map>

namespace {
// Keys of the rows that pass Filter, mapped to their values of Columns.
std::unordered_map<qint64, QVariantList> matchingRows(const TRecordTable &Table, const QString &Filter,
                                                      const QStringList &Columns, const QString &Narrowing = {},
                                                      const QVariantList &NarrowingParams = {})
{
    const TTableSchema &schema = Table.schema();
    const TFilterExpression expr = TFilterExpression::parse(Filter, schema.Fields);
    QVariantList params = NarrowingParams;
    QString where = expr.toSql(params);
    if (!Narrowing.isEmpty())
        where = Narrowing + QStringLiteral(" AND ") + where;
    QStringList cols{TTableSchema::quoted(schema.keyName())};
    for (const QString &c : Columns)
        cols << TTableSchema::quoted(c);
    TSqliteStatement st(Table.connection(), QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                                .arg(cols.join(QStringLiteral(", ")),
                                                     TTableSchema::quoted(schema.TableName), where));
    st.bindAll(params);
    std::unordered_map<qint64, QVariantList> rows;
    while (st.step()) {
        QVariantList values;
        values.reserve(Columns.size());
        for (int i = 0; i < Columns.size(); ++i)
            values << st.value(i + 1);
        rows.emplace(st.int64(0), std::move(values));
    }
    return rows;
}

// The rows in the table's current view order; the table must be unfiltered.
template <typename Make>
QList<TFoundRow> inViewOrder(const TRecordTable &Table, std::unordered_map<qint64, QVariantList> &Rows, Make make)
{
    QList<TFoundRow> found;
    found.reserve(qsizetype(Rows.size()));
    const int n = Table.recordCount();
    for (int i = 0; i < n && size_t(found.size()) < Rows.size(); ++i) {
        const qint64 key = Table.keyAt(i);
        auto it = Rows.find(key);
        if (it != Rows.end())
            found.append({key, make(it->second)});
    }
    return found;
}

// Conditions the indexes on Time and Phone can answer, each true for every row the
// filter passes (and more): the filter itself still decides. Empty when none applies.
QString narrowing(const TCallCriteria &C, QVariantList &Params)
{
    QStringList parts;
    if (C.Period.Kind != pkNone) {
        // The filter compares whole milliseconds; one more on each side keeps every row it takes.
        const double ms = 1.0 / TDateTime::MSecsPerDay;
        parts << QStringLiteral("\"Time\" >= ? AND \"Time\" <= ?");
        Params << C.Period.Start.value() - ms << C.Period.End.value() + ms;
    }
    if (C.NumberOn && !C.Number.isEmpty()) {
        const bool prefix = C.Number.endsWith(QLatin1Char('*'));
        const QString head = prefix ? C.Number.chopped(1) : C.Number;
        // Only a number of ASCII characters without letters compares the same folded and not.
        const bool plain = std::all_of(head.begin(), head.end(), [](QChar ch) {
            return ch.unicode() < 0x7F && ch.unicode() > 0x20 && !ch.isLetter();
        });
        if (plain && !head.isEmpty()) {
            if (prefix) {
                QString next = head;
                next[next.size() - 1] = QChar(next.back().unicode() + 1);
                parts << QStringLiteral("\"Phone\" >= ? AND \"Phone\" < ?");
                Params << head << next;
            } else {
                parts << QStringLiteral("\"Phone\" = ?");
                Params << head;
            }
        }
    }
    return parts.join(QStringLiteral(" AND "));
}

QString timeText(const QVariant &v)
{
    const TDateTime t(v.toDouble());
    return t.toShortDateString() + QLatin1Char(' ') + t.toLongTimeString();
}

bool holdsAll(const QString &Text, const QStringList &Keywords)
{
    if (Keywords.isEmpty())
        return true;
    const QString lower = Text.toLower();
    return std::all_of(Keywords.begin(), Keywords.end(), [&](const QString &k) { return lower.contains(k); });
}
}

QString TCallSearch::Quoted(const QString &Text)
{
    QString q = Text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

QString TCallSearch::BuildCallFilter(const TCallCriteria &C)
{
    const bool in = C.Kind == ckIncoming;
    QStringList parts;
    if (C.Period.Kind != pkNone)
        parts << PeriodFilter(C.Period);
    if (C.LengthOn) {
        const int s = std::max(0, C.LengthSeconds);
        const QString text = QStringLiteral("%1:%2:%3")
                                 .arg(s / 3600)
                                 .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(s % 60, 2, 10, QLatin1Char('0'));
        parts << QStringLiteral("Length ") + (C.LengthLess ? QStringLiteral("<=") : QStringLiteral(">"))
                + QLatin1Char(' ') + Quoted(text);
    }
    if (C.NumberOn && !C.Number.isEmpty())
        parts << QStringLiteral("Phone = ") + Quoted(C.Number);
    if (in && C.CategoryOn)
        parts << QStringLiteral("Category = ") + Quoted(QString::number(C.Category));
    if (C.Record)
        parts << QStringLiteral("FileName IS NOT NULL");
    if (in && C.Message)
        parts << QStringLiteral("MessageFileName IS NOT NULL");
    if (in && C.AutoAnswer)
        parts << QStringLiteral("AutoAnswer = true");
    if (!in && C.PlaceOn)
        parts << (C.PlaceParallel ? QStringLiteral("Attributes = 2") : QStringLiteral("Attributes = 1"));
    return parts.join(QStringLiteral(" and "));
}

QList<TFoundRow> TCallSearch::SearchCalls(TRecordTable &Journal, const TCallCriteria &Criteria)
{
    QVariantList params;
    const QString narrow = narrowing(Criteria, params);
    return searchCalls(Journal, BuildCallFilter(Criteria), narrow, params);
}

QList<TFoundRow> TCallSearch::SearchCalls(TRecordTable &Journal, const QString &Filter)
{
    return searchCalls(Journal, Filter, QString(), {});
}

QList<TFoundRow> TCallSearch::searchCalls(TRecordTable &Journal, const QString &Filter, const QString &Narrowing,
                                          const QVariantList &Params)
{
    // Parse first: a text the table cannot read leaves its filter as it was.
    auto rows = matchingRows(Journal, Filter, {QStringLiteral("Phone"), QStringLiteral("Time")}, Narrowing, Params);
    Journal.disableControls();
    Journal.setFiltered(false);
    Journal.setFilter(Filter);
    QList<TFoundRow> found = inViewOrder(Journal, rows, [](const QVariantList &v) {
        return v.at(0).toString() + QStringLiteral(" - ") + timeText(v.at(1));
    });
    Journal.enableControls();
    return found;
}

QStringList TCallSearch::Keywords(const QString &Text)
{
    return Text.trimmed().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QList<TFoundRow> TCallSearch::SearchAddressBook(TAddressBook &Book, const TAddressCriteria &C)
{
    const QStringList names = Keywords(C.Name);
    const QStringList addresses = Keywords(C.Address);
    const QStringList notes = Keywords(C.Notes);
    const QString filter = C.Phone.isEmpty() ? QString() : QStringLiteral("Phone = ") + Quoted(C.Phone);
    auto rows = matchingRows(Book, filter,
                             {QStringLiteral("Phone"), QStringLiteral("Name"), QStringLiteral("Address"),
                              QStringLiteral("Notes")});
    for (auto it = rows.begin(); it != rows.end();) {
        const QVariantList &v = it->second;
        if (holdsAll(v.at(1).toString(), names) && holdsAll(v.at(2).toString(), addresses)
            && holdsAll(v.at(3).toString(), notes))
            ++it;
        else
            it = rows.erase(it);
    }
    Book.disableControls();
    Book.setFiltered(false);
    Book.setFilter(QString());
    QList<TFoundRow> found = inViewOrder(Book, rows, [](const QVariantList &v) {
        return v.at(0).toString() + QStringLiteral(" - ") + v.at(1).toString();
    });
    Book.enableControls();
    return found;
}

QString TCallSearch::ClipboardText(const QStringList &Lines)
{
    QString text;
    for (const QString &l : Lines)
        text += l + QStringLiteral("\r\n");
    return text;
}

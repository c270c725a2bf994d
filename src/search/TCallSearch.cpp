#include "TCallSearch.h"
#include "TSearchHits.h"
#include "records/TAddressBook.h"
#include "records/TRecordTable.h"
#include <algorithm>

namespace {
QList<TFoundRow> collect(TSearchHits &hits)
{
    QList<TFoundRow> found;
    while (hits.next())
        found.append({hits.id(), hits.text()});
    return found;
}
}

QString TCallSearch::Narrowing(const TCallCriteria &C, QVariantList &Params)
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
    TSearchHits hits(Journal, Criteria);
    return collect(hits);
}

QList<TFoundRow> TCallSearch::SearchCalls(TRecordTable &Journal, const QString &Filter)
{
    TSearchHits hits(Journal, Filter);
    return collect(hits);
}

QStringList TCallSearch::Keywords(const QString &Text)
{
    return Text.trimmed().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QList<TFoundRow> TCallSearch::SearchAddressBook(TAddressBook &Book, const TAddressCriteria &Criteria)
{
    TSearchHits hits(Book, Criteria);
    return collect(hits);
}

QString TCallSearch::ClipboardText(const QStringList &Lines)
{
    QString text;
    for (const QString &l : Lines)
        text += l + QStringLiteral("\r\n");
    return text;
}

#include "TCallStatistics.h"
#include "records/TRecordTable.h"
#include "records/TSqliteStatement.h"
#include "records/TTableSchema.h"
#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>

namespace {
QString periodCondition(const TPeriod &Period, QVariantList &Params)
{
    if (Period.Kind == pkNone)
        return QStringLiteral("1");
    Params << Period.Start.value() << Period.End.value();
    return QStringLiteral("\"Time\" >= ? AND \"Time\" <= ?");
}
}

QString TCallStatistics::OneLine(const QString &Key)
{
    QString s = Key;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" | "));
    s.replace(QLatin1Char('\n'), QStringLiteral(" | "));
    s.replace(QLatin1Char('\r'), QStringLiteral(" | "));
    return s;
}

TStatResults TCallStatistics::CollectStats(const TRecordTable &Table, const QString &Field, const TPeriod &Period)
{
    TStatResults r;
    const TTableSchema &schema = Table.schema();
    if (schema.fieldIndex(Field) < 0)
        return r;
    // The exact values are grouped in SQL; the few distinct values that differ
    // only in letter case are merged here, keeping the text of the first row.
    QVariantList params;
    const QString where = periodCondition(Period, params);
    const QString col = TTableSchema::quoted(Field);
    const QString key = TTableSchema::quoted(schema.keyName());
    TSqliteStatement st(Table.connection(),
                        QStringLiteral("SELECT %1, count(*), total(\"Length\"), min(%2) FROM %3 "
                                       "WHERE %1 IS NOT NULL AND %1 <> '' AND %4 GROUP BY %1")
                            .arg(col, key, TTableSchema::quoted(schema.TableName), where));
    st.bindAll(params);
    struct TMerged {
        TStatKey Stat;
        qint64 FirstId = 0;
    };
    QHash<QString, TMerged> merged;
    while (st.step()) {
        const QString text = st.value(0).toString();
        const qint64 count = st.int64(1);
        const double length = st.value(2).toDouble();
        const qint64 firstId = st.int64(3);
        TMerged &m = merged[text.toCaseFolded()];
        if (m.Stat.Count == 0 || firstId < m.FirstId) {
            m.Stat.Key = text;
            m.FirstId = firstId;
        }
        m.Stat.Count += count;
        m.Stat.Length += length;
        r.TotalCount += count;
        r.TotalLength += length;
    }
    r.Keys.reserve(merged.size());
    for (auto it = merged.begin(); it != merged.end(); ++it)
        r.Keys.append(it->Stat);
    std::sort(r.Keys.begin(), r.Keys.end(), [](const TStatKey &a, const TStatKey &b) {
        return a.Key.compare(b.Key, Qt::CaseInsensitive) < 0;
    });
    return r;
}

TCallChartData TCallStatistics::CollectChart(const TRecordTable &Table, const TPeriod &Period)
{
    TCallChartData d;
    const TTableSchema &schema = Table.schema();
    QVariantList params;
    const QString where = periodCondition(Period, params);
    TSqliteStatement st(Table.connection(),
                        QStringLiteral("SELECT \"Time\", \"Length\" FROM %1 "
                                       "WHERE \"Phone\" IS NOT NULL AND \"Phone\" <> '' AND %2")
                            .arg(TTableSchema::quoted(schema.TableName), where));
    st.bindAll(params);
    // Whole days first; months are folded from them afterwards.
    std::map<qint64, std::pair<qint64, qint64>> days;
    while (st.step()) {
        const double time = st.value(0).toDouble();
        const bool answered = st.value(1).toDouble() > 0.0;
        const double whole = std::floor(time);
        auto &day = days[qint64(whole)];
        (answered ? day.first : day.second) += 1;
        const int hour = std::clamp(int((time - whole) * 24.0), 0, 23);
        ++d.ByHour[size_t(hour)];
        ++d.Total;
    }
    if (days.empty())
        return d;
    static const QDate epoch(1899, 12, 30);
    QDate first = epoch.addDays(days.begin()->first);
    QDate last = epoch.addDays(days.rbegin()->first);
    if (Period.Kind != pkNone) {
        // The bars cover the period itself, as far as it is not open.
        if (!Period.Start.isZero())
            first = std::min(first, Period.Start.date());
        if (Period.End.value() != TPeriod::Unlimited)
            last = std::max(last, Period.End.date());
    }
    d.Monthly = first.daysTo(last) + 1 > MonthlyAfterDays;
    if (d.Monthly) {
        for (QDate m(first.year(), first.month(), 1); m <= last; m = m.addMonths(1))
            d.Buckets.append({m, 0, 0});
        for (const auto &[day, counts] : days) {
            const QDate date = epoch.addDays(day);
            const int i = (date.year() - first.year()) * 12 + date.month() - first.month();
            d.Buckets[i].Answered += counts.first;
            d.Buckets[i].Unanswered += counts.second;
        }
    } else {
        for (QDate day = first; day <= last; day = day.addDays(1))
            d.Buckets.append({day, 0, 0});
        for (const auto &[day, counts] : days) {
            const qint64 i = first.daysTo(epoch.addDays(day));
            d.Buckets[qsizetype(i)].Answered += counts.first;
            d.Buckets[qsizetype(i)].Unanswered += counts.second;
        }
    }
    return d;
}

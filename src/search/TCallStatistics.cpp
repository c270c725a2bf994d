#include "TCallStatistics.h"
#include "records/TRecordTable.h"
#include "records/TTableError.h"
#include "records/TTableSchema.h"
#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>
#include <sqlite3.h>
#include <vector>


namespace {
// Digits and their count as one non-zero integer, or 0 for any other text.
quint64 digitKey(const char *Text, int Bytes)
{
    if (Bytes > 17)
        return 0;
    quint64 v = 0;
    for (int i = 0; i < Bytes; ++i) {
        const unsigned d = unsigned(Text[i]) - '0';
        if (d > 9)
            return 0;
        v = v * 10 + d;
    }
    return (quint64(Bytes) << 59) | v;
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
    return CollectAll(Table, {Field}, Period).value(0);
}

// One scan of the rows in the period (by the Time index when there is one):
// each grouping counts its exact values in a hash; the few distinct values that
// differ only in letter case are merged afterwards, keeping the first one met.
QList<TStatResults> TCallStatistics::CollectAll(const TRecordTable &Table, const QStringList &Fields,
                                                const TPeriod &Period)
{
    const TTableSchema &schema = Table.schema();
    QList<TStatResults> results(Fields.size());
    QStringList columns{QStringLiteral("\"Length\"")};
    QList<int> fieldColumns;   // result column of each wanted field, -1 for a field the table lacks
    for (const QString &f : Fields) {
        if (schema.fieldIndex(f) < 0) {
            fieldColumns << -1;
            continue;
        }
        fieldColumns << int(columns.size());
        columns << TTableSchema::quoted(f);
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")),
                                                          TTableSchema::quoted(schema.TableName));
    if (Period.Kind != pkNone)
        sql += QStringLiteral(" WHERE \"Time\" >= ?1 AND \"Time\" <= ?2");
    sqlite3_stmt *st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(Table.connection(), utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK)
        throw TTableError(QString::fromUtf8(sqlite3_errmsg(Table.connection())));
    if (Period.Kind != pkNone) {
        sqlite3_bind_double(st, 1, Period.Start.value());
        sqlite3_bind_double(st, 2, Period.End.value());
    }
    struct TAcc {
        qint64 Count = 0;
        double Length = 0.0;
        qint64 First = 0;   // the row's place in the scan
    };
    // Numbers of up to 17 digits (nearly every phone) are counted under an integer
    // key holding their digits and length, which keeps the lookups of many
    // distinct numbers in few cache lines; other texts under a raw view of the
    // row's bytes, copied only when new.
    qint64 row = 0;
    double length = 0.0;
    std::vector<QHash<quint64, TAcc>> numbers(size_t(Fields.size()));
    std::vector<QHash<QByteArray, TAcc>> maps(size_t(Fields.size()));
    const auto count = [&row, &length](auto &map, auto &&key, auto &&stored) {
        auto it = map.find(key);
        if (it == map.end())
            it = map.insert(stored(), TAcc{0, 0.0, row});
        ++it->Count;
        it->Length += length;
    };
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        length = sqlite3_column_double(st, 0);
        for (qsizetype i = 0; i < fieldColumns.size(); ++i) {
            const int c = fieldColumns[i];
            if (c < 0 || sqlite3_column_type(st, c) == SQLITE_NULL)
                continue;
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
            const int bytes = sqlite3_column_bytes(st, c);
            if (!text || bytes == 0)
                continue;
            const quint64 number = digitKey(text, bytes);
            if (number)
                count(numbers[size_t(i)], number, [number] { return number; });
            else
                count(maps[size_t(i)], QByteArray::fromRawData(text, bytes), [text, bytes] { return QByteArray(text, bytes); });
        }
        ++row;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw TTableError(QString::fromUtf8(sqlite3_errmsg(Table.connection())));

    for (qsizetype i = 0; i < Fields.size(); ++i) {
        struct TMerged {
            TStatKey Stat;
            qint64 First = 0;
        };
        QHash<QString, TMerged> merged;
        TStatResults &r = results[i];
        QHash<QByteArray, TAcc> &map = maps[size_t(i)];
        const QHash<quint64, TAcc> &digits = numbers[size_t(i)];
        r.Keys.reserve(digits.size() + map.size());
        // Digits have no letter case: each number is a key of its own.
        for (auto e = digits.begin(); e != digits.end(); ++e) {
            const int len = int(e.key() >> 59);
            const QString text = QString::number(e.key() & ((quint64(1) << 59) - 1)).rightJustified(len, QLatin1Char('0'));
            r.Keys.append({text, e->Count, e->Length});
            r.TotalCount += e->Count;
            r.TotalLength += e->Length;
        }
        for (auto e = map.begin(); e != map.end(); ++e) {
            const TAcc &acc = e.value();
            const QString text = QString::fromUtf8(e.key());
            TMerged &m = merged[text.toCaseFolded()];
            if (m.Stat.Count == 0 || acc.First < m.First) {
                m.Stat.Key = text;
                m.First = acc.First;
            }
            m.Stat.Count += acc.Count;
            m.Stat.Length += acc.Length;
            r.TotalCount += acc.Count;
            r.TotalLength += acc.Length;
        }
        for (auto it = merged.begin(); it != merged.end(); ++it)
            r.Keys.append(it->Stat);
        std::sort(r.Keys.begin(), r.Keys.end(), [](const TStatKey &a, const TStatKey &b) {
            return a.Key.compare(b.Key, Qt::CaseInsensitive) < 0;
        });
    }
    return results;
}

namespace {
using TDays = std::map<qint64, std::pair<qint64, qint64>>;   // whole day: answered, not answered

// Counts the rows the "Phone" grouping counts (a number that is not empty),
// with Time within [Lo, Hi] when Bounded, by day and by hour.
void scanChart(const TRecordTable &Table, bool Bounded, double Lo, double Hi, TCallChartData &d, TDays &days)
{
    const TTableSchema &schema = Table.schema();
    QString sql = QStringLiteral("SELECT \"Time\", \"Length\", \"Phone\" FROM %1").arg(TTableSchema::quoted(schema.TableName));
    if (Bounded)
        sql += QStringLiteral(" WHERE \"Time\" >= ?1 AND \"Time\" <= ?2");
    sqlite3_stmt *st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(Table.connection(), utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK)
        throw TTableError(QString::fromUtf8(sqlite3_errmsg(Table.connection())));
    if (Bounded) {
        sqlite3_bind_double(st, 1, Lo);
        sqlite3_bind_double(st, 2, Hi);
    }
    std::pair<qint64, qint64> *current = nullptr;
    qint64 currentDay = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (sqlite3_column_type(st, 2) == SQLITE_NULL || sqlite3_column_bytes(st, 2) == 0)
            continue;
        const double time = sqlite3_column_double(st, 0);
        const bool answered = sqlite3_column_double(st, 1) > 0.0;
        const double whole = std::floor(time);
        // Rows come mostly in time order: the day's counts are looked up only when the day changes.
        if (!current || qint64(whole) != currentDay) {
            currentDay = qint64(whole);
            current = &days[currentDay];
        }
        (answered ? current->first : current->second) += 1;
        const int hour = std::clamp(int((time - whole) * 24.0), 0, 23);
        ++d.ByHour[size_t(hour)];
        ++d.Total;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw TTableError(QString::fromUtf8(sqlite3_errmsg(Table.connection())));
}
}

TCallChartData TCallStatistics::CollectChart(const TRecordTable &Table, const TPeriod &Period)
{
    TCallChartData d;
    const bool bounded = Period.Kind != pkNone;
    double lo = Period.Start.value(), hi = Period.End.value();
    // Whole days first; months are folded from them afterwards.
    TDays days;
    scanChart(Table, bounded, lo, hi, d, days);
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
    if (first.daysTo(last) > MaxChartYears * 366) {
        // One bucket a month over thousands of years (a damaged date): chart the
        // hundred years up to the newest call not later than next year, and
        // count the calls left out.
        const qint64 limit = epoch.daysTo(QDate::currentDate().addYears(1));
        const auto after = days.upper_bound(limit);
        const qint64 newest = after == days.begin() ? days.rbegin()->first : std::prev(after)->first;
        const QDate to = epoch.addDays(newest);
        const QDate from = to.addYears(-MaxChartYears).addDays(1);
        const qint64 all = d.Total;
        d = {};
        days.clear();
        const double windowLo = double(epoch.daysTo(from)), windowHi = double(newest) + 86399.999 / 86400;
        scanChart(Table, true, bounded ? std::max(lo, windowLo) : windowLo,
                  bounded ? std::min(hi, windowHi) : windowHi, d, days);
        d.Clipped = true;
        d.ChartFrom = from;
        d.ChartTo = to;
        d.LeftOut = all - d.Total;
        first = std::max(first, from);
        last = std::min(last, to);
        if (days.empty())
            return d;
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

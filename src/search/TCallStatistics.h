#pragma once
// Counting a journal's calls grouped by the number or an information field
// within a period, in SQL over the journal's file; and the per-day (or
// per-month) and per-hour counts the charts draw.
#include "TPeriod.h"
#include "TStatResults.h"
#include <QDate>
#include <QList>
#include <QString>
#include <array>

class TRecordTable;

// Calls per day or per month, answered (a talk took place: Length > 0) and not.
struct TCallBucket {
    QDate Start;        // the day, or the first day of the month
    qint64 Answered = 0;
    qint64 Unanswered = 0;
};

struct TCallChartData {
    bool Monthly = false;              // buckets are months (the period is longer than 92 days)
    QList<TCallBucket> Buckets;        // in date order, days (or months) without calls included
    std::array<qint64, 24> ByHour{};   // calls by the hour of the day they started
    qint64 Total = 0;
    // Set when the rows spanned more than MaxChartYears: the chart covers
    // ChartFrom..ChartTo only, and LeftOut calls (with damaged dates) are not in it.
    bool Clipped = false;
    QDate ChartFrom;
    QDate ChartTo;
    qint64 LeftOut = 0;
};

class TCallStatistics {
public:
    static constexpr int MonthlyAfterDays = 92;
    static constexpr int MaxChartYears = 100;

    // One grouping: rows inside Period (all for pkNone) whose Field is not empty,
    // whatever the table's filter. Keys that differ only in letter case are one.
    static TStatResults CollectStats(const TRecordTable &Table, const QString &Field, const TPeriod &Period);
    // Several groupings of one journal in one pass over its rows, in the order of Fields.
    static QList<TStatResults> CollectAll(const TRecordTable &Table, const QStringList &Fields, const TPeriod &Period);
    // The chart series over the same rows as the "Phone" grouping.
    static TCallChartData CollectChart(const TRecordTable &Table, const TPeriod &Period);
    // The key as a list shows it: every CR LF (and a lone line end) as " | ".
    static QString OneLine(const QString &Key);
};

#pragma once
// A date range that limits a search or the statistics: start and end as day
// counts, and how the range was chosen.
#include "common/TDateTime.h"
#include <QString>
#include <cstdint>

enum TPeriodKind : uint8_t { pkNone = 0, pkInterval = 1, pkYear = 2, pkQuarter = 3, pkMonth = 4, pkDay = 5 };

struct TPeriod {
    static constexpr double Unlimited = 2147483647.0;   // the end of an open period

    TDateTime Start{0.0};
    TDateTime End{Unlimited};
    TPeriodKind Kind = pkNone;

    // True when a row's Time lies inside (always for pkNone).
    bool Contains(TDateTime Time) const { return Kind == pkNone || (Start <= Time && Time <= End); }
    friend bool operator==(const TPeriod &a, const TPeriod &b)
    {
        return a.Start == b.Start && a.End == b.End && a.Kind == b.Kind;
    }
};

// The one-line description both the search and the statistics show.
QString DescribePeriod(const TPeriod &Period);
// "Январь " ... "Декабрь " (each with its trailing blank) for Month 1..12.
QString MonthName(int Month);
// A moment as the filter language reads it back exactly: "dd.MM.yyyy H:mm:ss.zzz".
QString FilterDateText(TDateTime Value);
// "Time >= '...' and Time <= '...'" for a limited period; empty for pkNone.
QString PeriodFilter(const TPeriod &Period);
// The last millisecond of a day and 0.99999 of a day after its start.
TDateTime EndOfDay(const QDate &Day);
TDateTime NearEndOfDay(const QDate &Day);

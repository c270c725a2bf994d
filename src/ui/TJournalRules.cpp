#include "TJournalRules.h"
#include <cmath>

namespace TJournalRules {

namespace {
int64_t msOfDay(TDateTime t)
{
    const int64_t ms = std::llround(t.timeOfDay() * TDateTime::MSecsPerDay);
    return ms % 86400000;
}
}

bool IsNightTime(TDateTime Time, TDateTime StartNight, TDateTime EndNight)
{
    const int64_t t = msOfDay(Time);
    const int64_t start = msOfDay(StartNight);
    const int64_t end = msOfDay(EndNight);
    if (start <= end)
        return t > start && t < end;
    return t > start || t < end;
}

QString RestTimeText(int64_t LengthMs, int64_t PositionMs)
{
    const int64_t rest = LengthMs > PositionMs ? (LengthMs - PositionMs) / 1000 : 0;
    return QStringLiteral("%1:%2:%3")
        .arg(rest / 3600)
        .arg((rest / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(rest % 60, 2, 10, QLatin1Char('0'));
}

}

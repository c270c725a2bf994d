#include "TDateTime.h"
#include <cmath>

namespace {
const QDate Epoch(1899, 12, 30);
}

TDateTime TDateTime::fromQDateTime(const QDateTime &dt)
{
    if (!dt.isValid())
        return TDateTime();
    const QDateTime local = dt.toLocalTime();
    const double days = double(Epoch.daysTo(local.date()));
    const double frac = local.time().msecsSinceStartOfDay() / MSecsPerDay;
    // Negative day counts keep the fraction positive in magnitude (the classic encoding).
    return TDateTime(days >= 0 ? days + frac : days - frac);
}

TDateTime TDateTime::fromDate(const QDate &d)
{
    return d.isValid() ? TDateTime(double(Epoch.daysTo(d))) : TDateTime();
}

TDateTime TDateTime::fromTime(const QTime &t)
{
    return t.isValid() ? TDateTime(t.msecsSinceStartOfDay() / MSecsPerDay) : TDateTime();
}

TDateTime TDateTime::now()
{
    return fromQDateTime(QDateTime::currentDateTime());
}

bool TDateTime::tryEncodeDate(int year, int month, int day, TDateTime &out)
{
    if (!QDate::isValid(year, month, day))
        return false;
    out = fromDate(QDate(year, month, day));
    return true;
}

bool TDateTime::tryEncodeTime(int hour, int minute, int second, int msec, TDateTime &out)
{
    if (!QTime::isValid(hour, minute, second, msec))
        return false;
    out = fromTime(QTime(hour, minute, second, msec));
    return true;
}

int TDateTime::days() const
{
    return int(std::trunc(FValue));
}

double TDateTime::timeOfDay() const
{
    return std::fabs(FValue - std::trunc(FValue));
}

int TDateTime::secondsOfDay() const
{
    return int(std::llround(timeOfDay() * MSecsPerDay) / 1000);
}

QDate TDateTime::date() const
{
    return Epoch.addDays(days());
}

QTime TDateTime::time() const
{
    qint64 ms = std::llround(timeOfDay() * MSecsPerDay);
    if (ms >= qint64(MSecsPerDay))
        ms = qint64(MSecsPerDay) - 1;
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

QDateTime TDateTime::toQDateTime() const
{
    // Rounding to the millisecond may carry into the next day.
    const qint64 ms = std::llround(timeOfDay() * MSecsPerDay);
    QDateTime dt(date(), QTime(0, 0));
    return dt.addMSecs(ms);
}

QString TDateTime::toShortDateString() const
{
    return toQDateTime().toString(QStringLiteral("dd.MM.yyyy"));
}

QString TDateTime::toLongTimeString() const
{
    return toQDateTime().toString(QStringLiteral("H:mm:ss"));
}

QString TDateTime::toIsoString() const
{
    return toQDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

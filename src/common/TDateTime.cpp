#include "TDateTime.h"
#include "TDateTimeText.h"
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
    // Date and time of day apart: adding elapsed milliseconds to midnight would
    // shift every time after a clock change by the change.
    qint64 days;
    int ms;
    TDateTimeText::Split(*this, days, ms);
    const QDate d = Epoch.addDays(days);
    const QTime t = QTime::fromMSecsSinceStartOfDay(ms);
    QDateTime dt(d, t);
    // A reading the clocks skipped when summer time began: the moment after the skip.
    for (int step = 1; !dt.isValid() && d.isValid() && step <= 4; ++step)
        dt = QDateTime(d, t.addSecs(step * 1800));
    return dt;
}

QString TDateTime::toShortDateString() const
{
    return TDateTimeText::Text(*this, TDateTimeText::tfShortDate);
}

QString TDateTime::toLongTimeString() const
{
    return TDateTimeText::Text(*this, TDateTimeText::tfLongTime);
}

QString TDateTime::toIsoString() const
{
    return TDateTimeText::Text(*this, TDateTimeText::tfIso);
}

#include "TPeriod.h"
#include <cmath>

namespace {
QString quoted(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}
}

QString MonthName(int Month)
{
    static const char *const names[] = {"Январь ", "Февраль ", "Март ",     "Апрель ",  "Май ",    "Июнь ",
                                        "Июль ",   "Август ",  "Сентябрь ", "Октябрь ", "Ноябрь ", "Декабрь "};
    if (Month < 1 || Month > 12)
        return QString();
    return QString::fromUtf8(names[Month - 1]);
}

QString DescribePeriod(const TPeriod &Period)
{
    const QDate start = Period.Start.date();
    switch (Period.Kind) {
    case pkNone:
        break;
    case pkInterval: {
        const bool openStart = Period.Start.isZero();
        const bool openEnd = Period.End.value() == TPeriod::Unlimited;
        if (openStart && openEnd)
            break;
        QString text = QStringLiteral("Интервал - ");
        if (!openStart)
            text += QStringLiteral("с  ") + Period.Start.toShortDateString();
        if (!openEnd)
            text += QStringLiteral(" по ") + Period.End.toShortDateString();
        return text;
    }
    case pkYear:
        return QStringLiteral("Период - %1 год").arg(start.year());
    case pkQuarter:
        return QStringLiteral("Период - %1 квартал %2 года").arg((start.month() - 1) / 3 + 1).arg(start.year());
    case pkMonth:
        return QStringLiteral("Период - ") + MonthName(start.month()) + QStringLiteral(" %1 года").arg(start.year());
    case pkDay:
        return QStringLiteral("Период - день ") + Period.Start.toShortDateString();
    }
    return QStringLiteral("Интервал без ограничения");
}

QString FilterDateText(TDateTime Value)
{
    const QDate d = Value.date();
    const int ms = int(std::llround(Value.timeOfDay() * TDateTime::MSecsPerDay));
    // QDate's own formatting pads years past 9999 oddly; the open end is written in full.
    return QStringLiteral("%1.%2.%3 %4:%5:%6.%7")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(ms / 3600000)
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString PeriodFilter(const TPeriod &Period)
{
    if (Period.Kind == pkNone)
        return QString();
    return QStringLiteral("Time >= ") + quoted(FilterDateText(Period.Start)) + QStringLiteral(" and Time <= ")
        + quoted(FilterDateText(Period.End));
}

TDateTime EndOfDay(const QDate &Day)
{
    return TDateTime::fromDate(Day) + (TDateTime::MSecsPerDay - 1) / TDateTime::MSecsPerDay;
}

TDateTime NearEndOfDay(const QDate &Day)
{
    return TDateTime::fromDate(Day) + 0.99999;
}

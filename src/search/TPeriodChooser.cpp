#include "TPeriodChooser.h"
#include <algorithm>

TPeriodChooser::TPeriodChooser(std::function<QDateTime()> Clock)
    : FClock(std::move(Clock))
{
    const QDate today = now().date();
    const QDate yesterday = today.addDays(-1);
    FStartDate = TDateTime::fromDate(yesterday);
    FEndDate = NearEndOfDay(today);
    FDay = yesterday;
    ComputePeriod();
}

QDateTime TPeriodChooser::now() const
{
    return FClock ? FClock() : QDateTime::currentDateTime();
}

void TPeriodChooser::SetPage(TPeriodPage Page)
{
    FPage = Page;
    ComputePeriod();
}

void TPeriodChooser::SetStartChoice(TBoundChoice Choice)
{
    FStartChoice = Choice;
    ComputePeriod();
}

void TPeriodChooser::SetEndChoice(TBoundChoice Choice)
{
    FEndChoice = Choice;
    ComputePeriod();
}

void TPeriodChooser::SetStartDate(TDateTime Value)
{
    FStartDate = std::max(Value, MinPickerDate());
    ComputePeriod();
}

void TPeriodChooser::SetEndDate(TDateTime Value)
{
    FEndDate = std::max(Value, MinPickerDate());
    ComputePeriod();
}

void TPeriodChooser::SetPeriodChoice(TPeriodChoice Choice)
{
    FChoice = Choice;
    ComputePeriod();
}

void TPeriodChooser::setYearClamped(int Year)
{
    FYear = std::clamp(Year, MinYear, MaxYear);
}

void TPeriodChooser::SetYear(int Year)
{
    setYearClamped(Year);
    ComputePeriod();
}

void TPeriodChooser::SetDay(const QDate &Day)
{
    if (Day.isValid() && TDateTime::fromDate(Day) >= MinPickerDate())
        FDay = Day;
    ComputePeriod();
}

void TPeriodChooser::StepYear(int Delta)
{
    SetYear(FYear + Delta);
}

void TPeriodChooser::StepQuarter(int Delta)
{
    FQuarter += Delta;
    // The year up-down stops at its ends; the quarter then stays where it was.
    if (FQuarter < 1) {
        if (FYear > MinYear) {
            FQuarter = 4;
            --FYear;
        } else {
            FQuarter = 1;
        }
    } else if (FQuarter > 4) {
        if (FYear < MaxYear) {
            FQuarter = 1;
            ++FYear;
        } else {
            FQuarter = 4;
        }
    }
    ComputePeriod();
}

void TPeriodChooser::StepMonth(int Delta)
{
    FMonth += Delta;
    if (FMonth < 1) {
        if (FYear > MinYear) {
            FMonth = 12;
            --FYear;
        } else {
            FMonth = 1;
        }
    } else if (FMonth > 12) {
        if (FYear < MaxYear) {
            FMonth = 1;
            ++FYear;
        } else {
            FMonth = 12;
        }
    }
    ComputePeriod();
}

void TPeriodChooser::StepDay(int Delta)
{
    SetDay(FDay.addDays(Delta));
}

QString TPeriodChooser::YearText() const
{
    return QString::number(FYear);
}

QString TPeriodChooser::QuarterText() const
{
    return QStringLiteral("%1 квартал %2").arg(FQuarter).arg(FYear);
}

QString TPeriodChooser::MonthText() const
{
    return MonthName(FMonth) + QString::number(FYear);
}

TDateTime TPeriodChooser::startOf(TBoundChoice Choice, const QDate &Today) const
{
    switch (Choice) {
    case bcNone:
        return TDateTime(0.0);
    case bcYear:
        return TDateTime::fromDate(QDate(Today.year(), 1, 1));
    case bcQuarter:
        return TDateTime::fromDate(QDate(Today.year(), (Today.month() - 1) / 3 * 3 + 1, 1));
    case bcMonth:
        return TDateTime::fromDate(QDate(Today.year(), Today.month(), 1));
    case bcWeek:
        return TDateTime::fromDate(Today.addDays(1 - Today.dayOfWeek()));
    case bcDay:
        return TDateTime::fromDate(Today);
    case bcDate:
        return FStartDate;
    }
    return TDateTime(0.0);
}

TDateTime TPeriodChooser::endOf(TBoundChoice Choice, const QDate &Today) const
{
    switch (Choice) {
    case bcNone:
        return TDateTime(TPeriod::Unlimited);
    case bcYear:
        return EndOfDay(QDate(Today.year(), 12, 31));
    case bcQuarter: {
        const QDate first(Today.year(), (Today.month() - 1) / 3 * 3 + 3, 1);
        return EndOfDay(QDate(first.year(), first.month(), first.daysInMonth()));
    }
    case bcMonth:
        return EndOfDay(QDate(Today.year(), Today.month(), Today.daysInMonth()));
    case bcWeek:
        return NearEndOfDay(Today.addDays(7 - Today.dayOfWeek()));
    case bcDay:
        return EndOfDay(Today);
    case bcDate:
        return FEndDate;
    }
    return TDateTime(TPeriod::Unlimited);
}

TPeriod TPeriodChooser::ComputePeriod()
{
    TPeriod p;
    if (FPage == ppInterval) {
        const QDate today = now().date();
        p.Kind = pkInterval;
        p.Start = startOf(FStartChoice, today);
        p.End = endOf(FEndChoice, today);
    } else {
        switch (FChoice) {
        case pcYear:
            p.Kind = pkYear;
            p.Start = TDateTime::fromDate(QDate(FYear, 1, 1));
            p.End = EndOfDay(QDate(FYear, 12, 31));
            break;
        case pcQuarter: {
            p.Kind = pkQuarter;
            p.Start = TDateTime::fromDate(QDate(FYear, 3 * FQuarter - 2, 1));
            const QDate last(FYear, 3 * FQuarter, 1);
            p.End = EndOfDay(QDate(FYear, 3 * FQuarter, last.daysInMonth()));
            break;
        }
        case pcMonth: {
            p.Kind = pkMonth;
            const QDate first(FYear, FMonth, 1);
            p.Start = TDateTime::fromDate(first);
            p.End = EndOfDay(QDate(FYear, FMonth, first.daysInMonth()));
            break;
        }
        case pcDay:
            p.Kind = pkDay;
            p.Start = TDateTime::fromDate(FDay);
            p.End = NearEndOfDay(FDay);
            break;
        }
    }
    FOkEnabled = p.Start <= p.End;
    if (!FOkEnabled || (p.Start.isZero() && p.End.value() == TPeriod::Unlimited))
        p.Kind = pkNone;
    FPeriod = p;
    return p;
}

void TPeriodChooser::LoadPeriod(const TPeriod &Period)
{
    if (Period == FPeriod)
        return;
    if (Period.Kind == pkNone) {
        FPage = ppInterval;
        FStartChoice = bcNone;
        FEndChoice = bcNone;
    } else {
        const QDate end = Period.End.date();
        setYearClamped(end.year());
        FQuarter = (end.month() - 1) / 3 + 1;
        FMonth = end.month();
        switch (Period.Kind) {
        case pkNone:
            break;
        case pkInterval:
            FPage = ppInterval;
            // An open bound is no date a picker can hold: it keeps "Без ограничения".
            FStartChoice = Period.Start.isZero() ? bcNone : bcDate;
            FEndChoice = Period.End.value() == TPeriod::Unlimited ? bcNone : bcDate;
            if (FStartChoice == bcDate)
                FStartDate = Period.Start;
            if (FEndChoice == bcDate)
                FEndDate = Period.End;
            break;
        case pkYear:
            FPage = ppPeriod;
            FChoice = pcYear;
            break;
        case pkQuarter:
            FPage = ppPeriod;
            FChoice = pcQuarter;
            break;
        case pkMonth:
            FPage = ppPeriod;
            FChoice = pcMonth;
            break;
        case pkDay:
            FPage = ppPeriod;
            FChoice = pcDay;
            FDay = end;
            break;
        }
    }
    ComputePeriod();
}

#pragma once
// The period chooser's state without its window: the two pages' choices, the
// pickers, the year/quarter/month up-downs with their wrap-around, and the
// period computed from them against the current local time.
#include "TPeriod.h"
#include <QDate>
#include <QDateTime>
#include <functional>

enum TPeriodPage { ppInterval = 0, ppPeriod = 1 };
// Start choices "Без ограничения" .. "Начало дня", then the date picker; the end likewise.
enum TBoundChoice { bcNone = 0, bcYear, bcQuarter, bcMonth, bcWeek, bcDay, bcDate };
// "Год", "Квартал", "Месяц", "День".
enum TPeriodChoice { pcYear = 0, pcQuarter, pcMonth, pcDay };

class TPeriodChooser {
public:
    static constexpr int MinYear = 1995;
    static constexpr int MaxYear = 2100;

    // Clock gives the current local time (the system clock when empty).
    explicit TPeriodChooser(std::function<QDateTime()> Clock = {});

    // Controls. Every setter recomputes the period.
    TPeriodPage Page() const { return FPage; }
    void SetPage(TPeriodPage Page);
    TBoundChoice StartChoice() const { return FStartChoice; }
    TBoundChoice EndChoice() const { return FEndChoice; }
    void SetStartChoice(TBoundChoice Choice);
    void SetEndChoice(TBoundChoice Choice);
    TDateTime StartDate() const { return FStartDate; }
    TDateTime EndDate() const { return FEndDate; }
    void SetStartDate(TDateTime Value);
    void SetEndDate(TDateTime Value);
    TPeriodChoice PeriodChoice() const { return FChoice; }
    void SetPeriodChoice(TPeriodChoice Choice);
    int Year() const { return FYear; }
    int Quarter() const { return FQuarter; }
    int Month() const { return FMonth; }
    QDate Day() const { return FDay; }
    void SetYear(int Year);
    void SetDay(const QDate &Day);
    // Up-down clicks: +1 up, -1 down. Quarter and month wrap into the next or previous year.
    void StepYear(int Delta);
    void StepQuarter(int Delta);
    void StepMonth(int Delta);
    void StepDay(int Delta);

    // The boxes' texts: "2007", "1 квартал 2007", "Январь 2007".
    QString YearText() const;
    QString QuarterText() const;
    QString MonthText() const;

    // The period from the controls at this moment; also kept as Period().
    TPeriod ComputePeriod();
    TPeriod Period() const { return FPeriod; }
    bool OkEnabled() const { return FOkEnabled; }
    QString Description() const { return DescribePeriod(FPeriod); }
    // Sets the controls so that they describe Period (nothing when it is the current one).
    void LoadPeriod(const TPeriod &Period);

    // The earliest date the pickers take (1 January 1900).
    static TDateTime MinPickerDate() { return TDateTime(2.0); }

private:
    QDateTime now() const;
    TDateTime startOf(TBoundChoice Choice, const QDate &Today) const;
    TDateTime endOf(TBoundChoice Choice, const QDate &Today) const;
    void setYearClamped(int Year);

    std::function<QDateTime()> FClock;
    TPeriodPage FPage = ppPeriod;
    TBoundChoice FStartChoice = bcNone;
    TBoundChoice FEndChoice = bcNone;
    TDateTime FStartDate;
    TDateTime FEndDate;
    TPeriodChoice FChoice = pcDay;
    int FYear = 2007;
    int FQuarter = 1;
    int FMonth = 1;
    QDate FDay;
    TPeriod FPeriod;
    bool FOkEnabled = true;
};

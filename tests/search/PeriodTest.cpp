#include "search/TPeriodChooser.h"
#include <gtest/gtest.h>

namespace {
QDate d(int y, int m, int day)
{
    return QDate(y, m, day);
}

TDateTime at(int y, int m, int day, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return TDateTime::fromQDateTime(QDateTime(QDate(y, m, day), QTime(h, mi, s, ms)));
}

TPeriodChooser chooserOn(const QDate &today)
{
    return TPeriodChooser([today] { return QDateTime(today, QTime(14, 30)); });
}
}

TEST(PeriodChooser, StartsOnYesterdayAsADay)
{
    TPeriodChooser c = chooserOn(d(2008, 3, 1));
    EXPECT_EQ(c.Period().Kind, pkDay);
    EXPECT_EQ(c.Period().Start, at(2008, 2, 29));
    EXPECT_EQ(c.Period().End, TDateTime::fromDate(d(2008, 2, 29)) + 0.99999);
    EXPECT_EQ(c.Description(), QStringLiteral("Период - день 29.02.2008"));
    EXPECT_EQ(c.YearText(), QStringLiteral("2007"));
}

TEST(PeriodChooser, WeekBoundsOnItsFirstAndLastDay)
{
    // 3 March 2008 was a Monday, 9 March a Sunday.
    for (const QDate &today : {d(2008, 3, 3), d(2008, 3, 6), d(2008, 3, 9)}) {
        TPeriodChooser c = chooserOn(today);
        c.SetPage(ppInterval);
        c.SetStartChoice(bcWeek);
        c.SetEndChoice(bcWeek);
        EXPECT_EQ(c.Period().Start, at(2008, 3, 3)) << today.toString().toStdString();
        EXPECT_EQ(c.Period().End, TDateTime::fromDate(d(2008, 3, 9)) + 0.99999);
    }
}

TEST(PeriodChooser, RelativeBoundsFollowToday)
{
    TPeriodChooser c = chooserOn(d(2008, 8, 20));
    c.SetPage(ppInterval);
    c.SetStartChoice(bcQuarter);
    c.SetEndChoice(bcQuarter);
    EXPECT_EQ(c.Period().Start, at(2008, 7, 1));
    EXPECT_EQ(c.Period().End, at(2008, 9, 30, 23, 59, 59, 999));
    c.SetStartChoice(bcMonth);
    c.SetEndChoice(bcMonth);
    EXPECT_EQ(c.Period().Start, at(2008, 8, 1));
    EXPECT_EQ(c.Period().End, at(2008, 8, 31, 23, 59, 59, 999));
    c.SetStartChoice(bcYear);
    c.SetEndChoice(bcDay);
    EXPECT_EQ(c.Period().Start, at(2008, 1, 1));
    EXPECT_EQ(c.Period().End, at(2008, 8, 20, 23, 59, 59, 999));
    EXPECT_EQ(c.Description(), QStringLiteral("Интервал - с  01.01.2008 по 20.08.2008"));
    c.SetEndChoice(bcNone);
    EXPECT_EQ(c.Description(), QStringLiteral("Интервал - с  01.01.2008"));
    c.SetStartChoice(bcNone);
    EXPECT_EQ(c.Period().Kind, pkNone);
    EXPECT_EQ(c.Description(), QStringLiteral("Интервал без ограничения"));
}

TEST(PeriodChooser, StartAfterEndDisablesOk)
{
    TPeriodChooser c = chooserOn(d(2008, 8, 20));
    c.SetPage(ppInterval);
    c.SetStartChoice(bcDate);
    c.SetEndChoice(bcDate);
    c.SetStartDate(at(2008, 5, 2));
    c.SetEndDate(at(2008, 5, 1));
    EXPECT_FALSE(c.OkEnabled());
    EXPECT_EQ(c.Period().Kind, pkNone);
    c.SetEndDate(at(2008, 5, 2));
    EXPECT_TRUE(c.OkEnabled());
    EXPECT_EQ(c.Period().Kind, pkInterval);
}

TEST(PeriodChooser, QuarterAndMonthWrapIntoTheNeighbouringYear)
{
    TPeriodChooser c = chooserOn(d(2008, 8, 20));
    c.SetPeriodChoice(pcQuarter);
    c.StepQuarter(-1);   // 1 of 2007 back to 4 of 2006
    EXPECT_EQ(c.QuarterText(), QStringLiteral("4 квартал 2006"));
    c.StepQuarter(1);
    c.StepQuarter(1);
    c.StepQuarter(1);
    c.StepQuarter(1);
    c.StepQuarter(1);    // 4 of 2007 up to 1 of 2008
    EXPECT_EQ(c.Quarter(), 1);
    EXPECT_EQ(c.Year(), 2008);
    EXPECT_EQ(c.Period().Start, at(2008, 1, 1));
    EXPECT_EQ(c.Period().End, at(2008, 3, 31, 23, 59, 59, 999));
    EXPECT_EQ(c.Description(), QStringLiteral("Период - 1 квартал 2008 года"));

    c.SetPeriodChoice(pcMonth);
    c.StepMonth(-1);   // month 1 of 2008 down to 12 of 2007
    EXPECT_EQ(c.Month(), 12);
    EXPECT_EQ(c.Year(), 2007);
    EXPECT_EQ(c.MonthText(), QStringLiteral("Декабрь 2007"));
    EXPECT_EQ(c.Description(), QStringLiteral("Период - Декабрь  2007 года"));
    c.StepMonth(2);
    c.StepMonth(1);    // February 2008, a leap year
    EXPECT_EQ(c.Period().End, at(2008, 2, 29, 23, 59, 59, 999));

    // The year up-down stops at its ends, and the wrap with it.
    c.SetYear(1995);
    c.StepMonth(-2);
    EXPECT_EQ(c.Year(), 1995);
    EXPECT_EQ(c.Month(), 1);
}

TEST(PeriodChooser, DescriptionsOfEveryKind)
{
    TPeriod year{at(2009, 1, 1), at(2009, 12, 31, 23, 59, 59, 999), pkYear};
    EXPECT_EQ(DescribePeriod(year), QStringLiteral("Период - 2009 год"));
    TPeriod none;
    EXPECT_EQ(DescribePeriod(none), QStringLiteral("Интервал без ограничения"));
    TPeriod open{TDateTime(0.0), at(2009, 2, 3), pkInterval};
    EXPECT_EQ(DescribePeriod(open), QStringLiteral("Интервал -  по 03.02.2009"));
}

TEST(PeriodChooser, LoadedPeriodIsComputedBackUnchanged)
{
    TPeriodChooser source = chooserOn(d(2010, 6, 15));
    QList<TPeriod> periods;
    source.SetPeriodChoice(pcYear);
    periods << source.Period();
    source.SetPeriodChoice(pcQuarter);
    source.StepQuarter(1);
    periods << source.Period();
    source.SetPeriodChoice(pcMonth);
    source.StepMonth(-1);
    periods << source.Period();
    source.SetPeriodChoice(pcDay);
    periods << source.Period();
    periods << TPeriod{at(2009, 3, 1, 8), at(2009, 3, 5, 18), pkInterval};
    periods << TPeriod{at(2009, 3, 1, 8), TDateTime(TPeriod::Unlimited), pkInterval};
    periods << TPeriod{TDateTime(0.0), at(2009, 3, 5), pkInterval};
    periods << TPeriod();
    for (const TPeriod &p : periods) {
        TPeriodChooser c = chooserOn(d(2011, 1, 1));
        c.LoadPeriod(p);
        EXPECT_EQ(c.ComputePeriod(), p) << DescribePeriod(p).toStdString();
        EXPECT_EQ(c.Description(), DescribePeriod(p));
    }
}

#include "records/TIncomingCallBook.h"
#include "search/TCallStatistics.h"
#include "search/TStatsExport.h"
#include "search/TStatsList.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
TDateTime at(int y, int m, int day, int h = 0, int mi = 0)
{
    return TDateTime::fromQDateTime(QDateTime(QDate(y, m, day), QTime(h, mi)));
}

class Statistics : public ::testing::Test {
protected:
    void add(const QString &phone, TDateTime time, int lengthSeconds, const QString &field1 = QString())
    {
        TInCall c;
        c.Phone = phone;
        c.Time = time;
        c.Length = TDateTime(lengthSeconds / 86400.0);
        c.Field_1 = field1;
        in.AddCall(c);
    }
    QTemporaryDir tmp;
    TIncomingCallBook in{tmp.filePath("InCalls")};
};
}

TEST_F(Statistics, KeysIgnoreCaseAndKeepTheFirstSpelling)
{
    add("1", at(2008, 5, 1), 60, "Иванов");
    add("2", at(2008, 5, 1), 60, "ИВАНОВ");
    add("3", at(2008, 5, 1), 60, "иванов");
    add("4", at(2008, 5, 1), 60, "");   // not counted under Field_1
    add("4", at(2008, 5, 1), 60, "Строка один\r\nстрока два");
    in.setFilter("Phone = '1'");
    in.setFiltered(true);   // the journal's filter does not limit the statistics
    const TStatResults r = TCallStatistics::CollectStats(in, "Field_1", TPeriod());
    ASSERT_EQ(r.Keys.size(), 2);
    EXPECT_EQ(r.Keys[0].Key, QStringLiteral("Иванов"));
    EXPECT_EQ(r.Keys[0].Count, 3);
    EXPECT_EQ(r.TotalCount, 4);
    EXPECT_NEAR(r.TotalLength * 86400, 240, 1e-6);
    TStatsList list;
    list.Fill(r, "Тема", false);
    EXPECT_EQ(list.Rows().at(1).Key, QStringLiteral("Строка один | строка два"));
    EXPECT_EQ(list.Captions(), (QStringList{"Тема", "Количество (всего 4)"}));
    // The phone grouping counts the row with the empty field.
    EXPECT_EQ(TCallStatistics::CollectStats(in, "Phone", TPeriod()).TotalCount, 5);
}

TEST_F(Statistics, DayPeriodCountsOnlyThatDay)
{
    add("1", at(2008, 5, 1, 0, 0), 10);
    add("1", at(2008, 5, 1, 23, 59), 10);
    add("1", at(2008, 5, 2, 0, 0), 10);
    add("1", at(2008, 4, 30, 23, 59), 10);
    const TPeriod day{at(2008, 5, 1), at(2008, 5, 1) + 0.99999, pkDay};
    EXPECT_EQ(TCallStatistics::CollectStats(in, "Phone", day).TotalCount, 2);
    EXPECT_EQ(TCallStatistics::CollectStats(in, "Phone", TPeriod()).TotalCount, 4);
}

TEST_F(Statistics, SortingByColumnsFlipsEachTime)
{
    add("a", at(2008, 5, 1), 10);
    add("B", at(2008, 5, 1), 500);
    add("B", at(2008, 5, 1), 500);
    add("c", at(2008, 5, 1), 3000);
    add("c", at(2008, 5, 1), 1);
    add("c", at(2008, 5, 1), 1);
    TStatsList list;
    list.Fill(TCallStatistics::CollectStats(in, "Phone", TPeriod()), "Телефон", true);
    auto keys = [&] {
        QStringList k;
        for (const TStatRow &r : list.Rows())
            k << r.Key;
        return k.join(',');
    };
    EXPECT_EQ(keys(), "c,B,a");   // filled largest count first
    EXPECT_EQ(list.Captions().at(2), QStringLiteral("Длительность (всего 1:06:52)"));
    list.SortByColumn(1);
    EXPECT_EQ(keys(), "a,B,c");
    list.SortByColumn(1);
    EXPECT_EQ(keys(), "c,B,a");
    list.SortByColumn(0);
    EXPECT_EQ(keys(), "c,B,a");   // Z to A, ignoring case
    list.SortByColumn(0);
    EXPECT_EQ(keys(), "a,B,c");
    list.SortByColumn(2);
    EXPECT_EQ(keys(), "c,B,a");   // longest first
    list.SortByColumn(2);
    EXPECT_EQ(keys(), "a,B,c");
}

TEST_F(Statistics, ExportIsByteExact)
{
    add("12345", at(2008, 5, 1), 65);
    add("123456789012", at(2008, 5, 1), 3600, "Ёлка");
    TStatsList phones, field;
    phones.Fill(TCallStatistics::CollectStats(in, "Phone", TPeriod()), "Телефон", true);
    field.Fill(TCallStatistics::CollectStats(in, "Field_1", TPeriod()), "Тема", false);
    const QStringList lines =
        TStatsExport::BuildLines("Программа", "Статистика. Интервал без ограничения", QDate(2008, 5, 2), {&phones, &field}, {});
    const QString rule(78, '-');
    const QStringList expected{"ПРОГРАММА",
                               "",
                               "СТАТИСТИКА. ИНТЕРВАЛ БЕЗ ОГРАНИЧЕНИЯ  (создан 02.05.2008)",
                               rule,
                               "ВХОДЯЩИЕ ЗВОНКИ",
                               "",
                               "Телефон  \tКоличество (всего 2)  \tДлительность (всего 1:01:05)",
                               "",
                               "12345      \t\t1  \t\t\t0:01:05",
                               "123456789012  \t\t1  \t\t\t1:00:00",
                               rule,
                               "Тема - Количество (всего 1)",
                               "",
                               "Ёлка - 1",
                               rule,
                               rule,
                               "ИСХОДЯЩИЕ ЗВОНКИ",
                               ""};
    EXPECT_EQ(lines, expected);
    const QByteArray bytes = TStatsExport::Encode({"Ёлка №1 ё", "x"});
    EXPECT_EQ(bytes, QByteArray("\xA8\xEB\xEA\xE0 \xB9\x31 \xB8\r\nx\r\n"));
    EXPECT_EQ(TStatsExport::ToWindows1251(QStringLiteral("漢")), QByteArray("?"));
}

TEST_F(Statistics, ChartBarsAddUpToTheTableTotals)
{
    add("1", at(2008, 5, 1, 9), 60);
    add("2", at(2008, 5, 1, 9), 0);
    add("3", at(2008, 5, 3, 17), 30);
    add("4", at(2008, 7, 1, 9), 30);
    const TPeriod may{at(2008, 5, 1), at(2008, 5, 31) + 0.99999, pkMonth};
    const TCallChartData d = TCallStatistics::CollectChart(in, may);
    EXPECT_FALSE(d.Monthly);
    ASSERT_EQ(d.Buckets.size(), 31);   // the whole month, quiet days included
    EXPECT_EQ(d.Buckets[0].Answered, 1);
    EXPECT_EQ(d.Buckets[0].Unanswered, 1);
    EXPECT_EQ(d.Buckets[2].Answered, 1);
    EXPECT_EQ(d.ByHour[9], 2);
    EXPECT_EQ(d.ByHour[17], 1);
    qint64 bars = 0;
    for (const TCallBucket &b : d.Buckets)
        bars += b.Answered + b.Unanswered;
    EXPECT_EQ(bars, TCallStatistics::CollectStats(in, "Phone", may).TotalCount);

    const TCallChartData all = TCallStatistics::CollectChart(in, TPeriod{at(2008, 1, 1), at(2008, 12, 31), pkYear});
    EXPECT_TRUE(all.Monthly);
    ASSERT_EQ(all.Buckets.size(), 12);
    EXPECT_EQ(all.Buckets[4].Answered + all.Buckets[4].Unanswered, 3);
    EXPECT_EQ(all.Buckets[6].Answered, 1);
    EXPECT_EQ(all.Total, 4);
}

TEST_F(Statistics, DamagedDatesAreLeftOutOfTheChartInsteadOfSpanningMillennia)
{
    add("1", at(2008, 5, 1, 9), 60);
    add("2", at(2009, 7, 3, 17), 0);
    add("3", TDateTime(1e9), 30);     // about the year 2 740 000
    add("4", TDateTime(-1e7), 30);    // long before the Common Era
    add("5", TDateTime(0.0), 30);     // 30.12.1899: a call that never got its start
    for (const TPeriod &period : {TPeriod{}, TPeriod{TDateTime(-2e7), TDateTime(2e9), pkInterval}}) {
        const TCallChartData d = TCallStatistics::CollectChart(in, period);
        EXPECT_TRUE(d.Clipped);
        EXPECT_TRUE(d.Monthly);
        EXPECT_EQ(d.ChartTo, QDate(2009, 7, 3));
        EXPECT_EQ(d.ChartFrom, QDate(1909, 7, 4));
        EXPECT_LE(d.Buckets.size(), 12 * TCallStatistics::MaxChartYears + 1);
        EXPECT_EQ(d.Total, 2);
        EXPECT_EQ(d.LeftOut, 3);
        EXPECT_EQ(d.ByHour[9] + d.ByHour[17], 2);
        qint64 bars = 0;
        for (const TCallBucket &b : d.Buckets)
            bars += b.Answered + b.Unanswered;
        EXPECT_EQ(bars, 2);
        EXPECT_EQ(d.Buckets.last().Start, QDate(2009, 7, 1));
    }

    // Only damaged dates: the newest of them and the century before it, never millions of buckets.
    in.ClearCalls();
    add("3", TDateTime(1e9), 30);
    add("4", TDateTime(-1e7), 30);
    const TCallChartData d = TCallStatistics::CollectChart(in, TPeriod{});
    EXPECT_TRUE(d.Clipped);
    EXPECT_EQ(d.Total, 1);
    EXPECT_EQ(d.LeftOut, 1);
    EXPECT_LE(d.Buckets.size(), 12 * TCallStatistics::MaxChartYears + 1);
}

#include "ui/TJournalRules.h"
#include <QTime>
#include <gtest/gtest.h>

namespace {
TDateTime at(int h, int m) { return TDateTime(46000.0) + TDateTime::fromTime(QTime(h, m)).value(); }
TDateTime tod(int h, int m) { return TDateTime::fromTime(QTime(h, m)); }
}

TEST(JournalRules, NightInterval)
{
    // 23:30 is day with 00:00-09:00 and night with 22:00-07:00 (over midnight).
    EXPECT_FALSE(TJournalRules::IsNightTime(at(23, 30), tod(0, 0), tod(9, 0)));
    EXPECT_TRUE(TJournalRules::IsNightTime(at(23, 30), tod(22, 0), tod(7, 0)));
    EXPECT_TRUE(TJournalRules::IsNightTime(at(3, 0), tod(22, 0), tod(7, 0)));
    EXPECT_TRUE(TJournalRules::IsNightTime(at(8, 59), tod(0, 0), tod(9, 0)));
    // Strictly between: the ends themselves are day.
    EXPECT_FALSE(TJournalRules::IsNightTime(at(9, 0), tod(0, 0), tod(9, 0)));
    EXPECT_FALSE(TJournalRules::IsNightTime(at(22, 0), tod(22, 0), tod(7, 0)));
    EXPECT_FALSE(TJournalRules::IsNightTime(at(12, 0), tod(22, 0), tod(7, 0)));
    // An interval that starts where it ends holds no time; a date part of the ends is ignored.
    EXPECT_FALSE(TJournalRules::IsNightTime(at(23, 0), tod(22, 0), tod(22, 0)));
    EXPECT_TRUE(TJournalRules::IsNightTime(at(23, 30), at(22, 0), at(7, 0)));
}

TEST(JournalRules, RestTimeWithHours)
{
    const int64_t length = (3600 + 2 * 60 + 5) * 1000 + 900;   // 1:02:05.9
    EXPECT_EQ(TJournalRules::RestTimeText(length, 0), QStringLiteral("1:02:05"));
    EXPECT_EQ(TJournalRules::RestTimeText(length, 65 * 1000), QStringLiteral("1:01:00"));
    EXPECT_EQ(TJournalRules::RestTimeText(length, 3 * 60 * 1000), QStringLiteral("0:59:05"));
    EXPECT_EQ(TJournalRules::RestTimeText(26LL * 3600 * 1000, 0), QStringLiteral("26:00:00"));
    EXPECT_EQ(TJournalRules::RestTimeText(1000, 5000), QStringLiteral("0:00:00"));
}

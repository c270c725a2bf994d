#include <gtest/gtest.h>
#include "common/TDateTime.h"
#include "common/PhoneTypes.h"

TEST(TDateTime, DayCountRoundTrip)
{
    // 30.12.1899 is day 0; 01.01.1900 is day 2; noon is 0.5.
    EXPECT_EQ(TDateTime::fromDate(QDate(1899, 12, 30)).value(), 0.0);
    EXPECT_EQ(TDateTime::fromDate(QDate(1900, 1, 1)).value(), 2.0);
    const QDateTime dt(QDate(2026, 12, 9), QTime(12, 0, 0));
    const TDateTime t = TDateTime::fromQDateTime(dt);
    EXPECT_DOUBLE_EQ(t.timeOfDay(), 0.5);
    EXPECT_EQ(t.toQDateTime(), dt);
    EXPECT_EQ(t.toShortDateString(), "09.12.2026");
    EXPECT_EQ(t.toLongTimeString(), "12:00:00");
    // Milliseconds survive the round trip.
    const QDateTime ms(QDate(2026, 1, 31), QTime(23, 59, 59, 999));
    EXPECT_EQ(TDateTime::fromQDateTime(ms).toQDateTime(), ms);
}

TEST(TDateTime, InvalidPartsAreRejected)
{
    TDateTime out(5.0);
    EXPECT_FALSE(TDateTime::tryEncodeDate(2026, 2, 30, out));
    EXPECT_FALSE(TDateTime::tryEncodeTime(24, 0, 0, 0, out));
    EXPECT_EQ(out.value(), 5.0);
    ASSERT_TRUE(TDateTime::tryEncodeTime(1, 27, 0, 0, out));
    EXPECT_EQ(out.secondsOfDay(), 5220);
}

TEST(TCallAttributes, BitValues)
{
    TCallAttributes a{caNoTalk, caAutoAnswer};
    EXPECT_EQ(a.toByte(), 12);
    a += caRobot;
    EXPECT_EQ(a.toByte(), 28);
    EXPECT_TRUE(TCallAttributes::fromByte(1).has(caVRX));
    EXPECT_FALSE(TCallAttributes::fromByte(0xE0).has(caVRX));
}

#include <gtest/gtest.h>
#include "common/TDateTime.h"
#include "common/TDateTimeText.h"
#include "common/PhoneTypes.h"
#include <ctime>

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

namespace {
// Sets the process's time zone for the scope (and puts the old one back).
class TZoneScope {
public:
    explicit TZoneScope(const char *Zone) : FOld(qgetenv("TZ")), FHad(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", Zone);
        tzset();
    }
    ~TZoneScope()
    {
        if (FHad)
            qputenv("TZ", FOld);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray FOld;
    bool FHad;
};
}

// A stored time is a wall-clock date and time: its text, and the QDateTime made
// of it, are the same in every zone, also on the days the clocks change.
TEST(TDateTime, SummerTimeChangeDaysReadTheSameInEveryZone)
{
    struct TCase {
        QDate Day;
        QTime Time;
        const char *Text;
        const char *Iso;
    };
    const TCase cases[] = {
        // Europe: 29.03.2026 and 25.10.2026; North America: 08.03.2026 and 01.11.2026;
        // Moscow last changed on 31.10.2010.
        {{2026, 3, 29}, {1, 30, 0}, "29.03.2026 1:30:00", "2026-03-29T01:30:00.000"},
        {{2026, 3, 29}, {2, 30, 15, 250}, "29.03.2026 2:30:15", "2026-03-29T02:30:15.250"},
        {{2026, 3, 29}, {23, 59, 59, 999}, "29.03.2026 23:59:59", "2026-03-29T23:59:59.999"},
        {{2026, 10, 25}, {2, 30, 0}, "25.10.2026 2:30:00", "2026-10-25T02:30:00.000"},
        {{2026, 10, 25}, {14, 5, 9}, "25.10.2026 14:05:09", "2026-10-25T14:05:09.000"},
        {{2026, 3, 8}, {2, 15, 0}, "08.03.2026 2:15:00", "2026-03-08T02:15:00.000"},
        {{2026, 3, 8}, {18, 0, 0}, "08.03.2026 18:00:00", "2026-03-08T18:00:00.000"},
        {{2026, 11, 1}, {1, 45, 0}, "01.11.2026 1:45:00", "2026-11-01T01:45:00.000"},
        {{2026, 11, 1}, {22, 10, 0}, "01.11.2026 22:10:00", "2026-11-01T22:10:00.000"},
        {{2010, 10, 31}, {12, 0, 0}, "31.10.2010 12:00:00", "2010-10-31T12:00:00.000"},
    };
    for (const char *zone : {"Europe/Moscow", "Europe/Berlin", "America/New_York"}) {
        TZoneScope scope(zone);
        for (const TCase &c : cases) {
            SCOPED_TRACE(std::string(zone) + " " + c.Text);
            TDateTime t;
            ASSERT_TRUE(TDateTime::tryEncodeDate(c.Day.year(), c.Day.month(), c.Day.day(), t));
            t = t + TDateTime::fromTime(c.Time).value();
            EXPECT_EQ(TDateTimeText::Text(t, TDateTimeText::tfDateTime), QString::fromLatin1(c.Text));
            EXPECT_EQ(t.toShortDateString() + QLatin1Char(' ') + t.toLongTimeString(), QString::fromLatin1(c.Text));
            EXPECT_EQ(t.toIsoString(), QString::fromLatin1(c.Iso));
            // Away from the hour a spring change skips, the local QDateTime holds the
            // same wall clock and converts back to the same value.
            const QDateTime local = t.toQDateTime();
            EXPECT_TRUE(local.isValid());
            if (local.time() == c.Time) {
                EXPECT_EQ(local.date(), c.Day);
                EXPECT_EQ(TDateTime::fromQDateTime(local), t);
            } else {
                EXPECT_EQ(c.Time.hour(), 2) << "only a skipped hour may move";
            }
        }
    }
}

TEST(TDateTime, TextCarriesRoundingAndKeepsOddYears)
{
    // 23:59:59.9996 rounds to the next day's midnight in every text form.
    const TDateTime late(TDateTime::fromDate(QDate(2026, 12, 31)).value() + (TDateTime::MSecsPerDay - 0.4) / TDateTime::MSecsPerDay);
    EXPECT_EQ(TDateTimeText::Text(late, TDateTimeText::tfDateTime), "01.01.2027 0:00:00");
    EXPECT_EQ(late.toQDateTime(), QDateTime(QDate(2027, 1, 1), QTime(0, 0)));
    EXPECT_EQ(TDateTime(0.0).toIsoString(), "1899-12-30T00:00:00.000");
    EXPECT_EQ(TDateTime::fromDate(QDate(29, 2, 28)).toShortDateString(), "28.02.0029");
    EXPECT_EQ(TDateTime::fromDate(QDate(2000, 2, 29)).toShortDateString(), "29.02.2000");
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_EQ(TDateTimeText::Text(TDateTime(-1.25), TDateTimeText::tfDateTime), "29.12.1899 6:00:00");
    // A length of more than a day shows its part below one day.
    EXPECT_EQ(TDateTime(1.5).toLongTimeString(), "12:00:00");
}

#include "phone/TPhoneNumber.h"
#include <gtest/gtest.h>

namespace {
TBuffer codes(std::initializer_list<int> list)
{
    TBuffer b;
    for (int v : list)
        b.append(char(v));
    return b;
}
}

TEST(PhoneNumberToText, StarModeAndReducedCodes)
{
    EXPECT_EQ(PhoneNumberToText(codes({18, 10, 3}), false), "3?3");
    EXPECT_EQ(PhoneNumberToText(codes({18, 10, 3}), true), "3*3");
    // 25 reduces to 10; 11..15 and 26..30 add nothing; 31 and above add nothing.
    EXPECT_EQ(PhoneNumberToText(codes({25, 11, 15, 26, 30, 31, 255, 0}), false), "?0");
    EXPECT_EQ(PhoneNumberToText(TBuffer(), true), "");
}

TEST(TextToPhoneNumber, ValidTexts)
{
    EXPECT_EQ(TextToPhoneNumber("8(5)123"), codes({8, 15, 12, 5, 0, 1, 2, 3}));
    EXPECT_EQ(TextToPhoneNumber("e123"), codes({15, 2, 1, 2, 3}));
    EXPECT_EQ(TextToPhoneNumber("  l12 "), codes({15, 1, 1, 2}));
    EXPECT_EQ(TextToPhoneNumber("1*#"), codes({1, 0, 12, 0, 14}));
    EXPECT_EQ(TextToPhoneNumber("jtпgfp"), codes({15, 3, 15, 4, 15, 5, 15, 6, 15, 7, 15, 8}));
    // 200 = 12 * 16 + 8
    EXPECT_EQ(TextToPhoneNumber("(200)"), codes({15, 12, 8, 12}));
    EXPECT_EQ(TextToPhoneNumber("(0)9"), codes({15, 12, 0, 0, 9}));
}

TEST(TextToPhoneNumber, InvalidTextsGiveNothing)
{
    for (const char *text : {"", "   ", "12L3", "1E", "1(300)", "1)2", "1(2", "1()", "(1a)",
                             "(-1)", "(1)(2)", "1(2))", ")1(2"})
        EXPECT_TRUE(TextToPhoneNumber(QString::fromUtf8(text)).isEmpty()) << text;
}

TEST(DurationToText, PartsOnlyWhenNotZero)
{
    EXPECT_EQ(DurationToText(5), "5 сек.");
    EXPECT_EQ(DurationToText(3600), "1 ч. 0 сек.");
    EXPECT_EQ(DurationToText(60), "1 мин. 0 сек.");
    EXPECT_EQ(DurationToText(3725), "1 ч. 2 мин. 5 сек.");
    EXPECT_EQ(DurationToText(0), "0 сек.");
    EXPECT_EQ(DurationToText(65535), "18 ч. 12 мин. 15 сек.");
}

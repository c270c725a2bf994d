#include "common/Cp1251.h"
#include <gtest/gtest.h>

// Every assigned byte comes back as itself; the unassigned 0x98 and characters
// outside the code page become '?'.
TEST(Cp1251, EveryAssignedByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Cp1251::Decode(all);
    ASSERT_EQ(text.size(), 256);
    QByteArray expected = all;
    expected[0x98] = '?';
    EXPECT_EQ(Cp1251::Encode(text), expected);
    EXPECT_EQ(text.mid(0xC0, 2), QStringLiteral("АБ"));
    EXPECT_EQ(text.at(0xA8), QChar(u'Ё'));
    EXPECT_EQ(text.at(0xB9), QChar(u'№'));
    EXPECT_EQ(Cp1251::Encode(QStringLiteral("漢ё€")), QByteArray("?\xB8\x88"));
}

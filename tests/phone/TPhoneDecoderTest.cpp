#include "phone/TPhoneDecoder.h"
#include <gtest/gtest.h>
#include <vector>

namespace {
struct Collect {
    explicit Collect(TPhoneDecoder &d)
    {
        d.OnMessage = [this](const TPhoneMessage &m) { msgs.push_back(m); };
    }
    std::vector<TPhoneMessage> msgs;
};

void feed(TPhoneDecoder &d, std::initializer_list<int> list, qint64 at)
{
    for (int v : list)
        d.Feed(uint8_t(v), at);
}

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(char(v));
    return b;
}
}

TEST(TPhoneDecoder, CodesWithoutBodyAreMessagesAtOnce)
{
    TPhoneDecoder d;
    Collect c(d);
    feed(d, {0x20, 0x21, 0x05, 0x99}, 0);
    ASSERT_EQ(c.msgs.size(), 4u);
    EXPECT_EQ(c.msgs[3].Code, 0x99);
    EXPECT_TRUE(c.msgs[3].Body.isEmpty());
    EXPECT_FALSE(d.Pending());
}

TEST(TPhoneDecoder, TwoPartBodies)
{
    TPhoneDecoder d;
    Collect c(d);
    // caller's number: category 1, three codes
    feed(d, {0x31, 1, 3, 4, 5, 6}, 0);
    // incoming record with n = 0: the 13 record bytes follow at once
    feed(d, {0x41, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, 0);
    // parameter: address 300, two values
    feed(d, {0x45, 0, 1, 2, 12, 0, 2, 0, 5, 1, 0}, 0);
    // model block of length 3
    feed(d, {0x48, 0, 3, 7, 7, 7}, 0);
    ASSERT_EQ(c.msgs.size(), 4u);
    EXPECT_EQ(c.msgs[0].Body, bytes({1, 3, 4, 5, 6}));
    EXPECT_EQ(c.msgs[1].Body.size(), 14);
    EXPECT_EQ(c.msgs[2].Body, bytes({0, 1, 2, 12, 0, 2, 0, 5, 1, 0}));
    EXPECT_EQ(c.msgs[3].Body, bytes({0, 3, 7, 7, 7}));
    for (const auto &m : c.msgs)
        EXPECT_FALSE(m.Cut);
}

TEST(TPhoneDecoder, BodyCutShortIsZeroFilledAndLaterBytesStartFresh)
{
    TPhoneDecoder d;
    Collect c(d);
    // 31, category 2, n = 5, only two codes arrive; the part of 5 bytes has 1500 ms.
    feed(d, {0x31, 2, 5}, 100);
    feed(d, {7, 8}, 200);
    EXPECT_TRUE(d.Pending());
    EXPECT_EQ(d.Deadline(), 100 + 1500);
    EXPECT_FALSE(d.Expire(1599));
    EXPECT_TRUE(c.msgs.empty());
    // A byte after the deadline completes the message first and is a code of its own.
    d.Feed(0x21, 1600);
    ASSERT_EQ(c.msgs.size(), 2u);
    EXPECT_TRUE(c.msgs[0].Cut);
    EXPECT_EQ(c.msgs[0].Body, bytes({2, 5, 7, 8, 0, 0, 0}));
    EXPECT_EQ(c.msgs[1].Code, 0x21);
}

TEST(TPhoneDecoder, HeadCutShortCompletesTheWholeLayoutWithZeros)
{
    TPhoneDecoder d;
    Collect c(d);
    d.Feed(0x42, 0);                      // n never comes
    EXPECT_EQ(d.Deadline(), 1100);
    EXPECT_TRUE(d.Expire(1100));
    ASSERT_EQ(c.msgs.size(), 1u);
    // n = 0, then the 12 record bytes, all zero
    EXPECT_EQ(c.msgs[0].Body, QByteArray(13, '\0'));
    EXPECT_FALSE(d.Pending());
}

TEST(TPhoneDecoder, EachPartHasItsOwnTimeOut)
{
    TPhoneDecoder d;
    Collect c(d);
    // 56 during a talk search: n = 1 at t=1000, then the 12-byte entry has 2200 ms from then.
    d.TalkSearchActive = true;
    d.Feed(0x56, 0);
    d.Feed(1, 1000);
    EXPECT_EQ(d.Deadline(), 1000 + 2200);
    feed(d, {0, 0, 0, 3, 0, 0, 0, 8, 0, 0, 0}, 3100);
    EXPECT_TRUE(c.msgs.empty());
    d.Feed(4, 3199);
    ASSERT_EQ(c.msgs.size(), 1u);
    EXPECT_FALSE(c.msgs[0].Cut);
    EXPECT_EQ(c.msgs[0].Body.size(), 13);
}

TEST(TPhoneDecoder, TalkSearchRepliesHaveNoBodyOutsideASearch)
{
    TPhoneDecoder d;
    Collect c(d);
    feed(d, {0x56, 0x20, 0x57, 0x21}, 0);
    ASSERT_EQ(c.msgs.size(), 4u);
    EXPECT_TRUE(c.msgs[0].Body.isEmpty());
    EXPECT_EQ(c.msgs[1].Code, 0x20);
    EXPECT_EQ(c.msgs[3].Code, 0x21);
}

TEST(TPhoneDecoder, HandlerMayFeedAgain)
{
    TPhoneDecoder d;
    std::vector<int> codes;
    d.OnMessage = [&](const TPhoneMessage &m) {
        codes.push_back(m.Code);
        if (m.Code == 0x47)
            d.Feed(0x20, 0);              // re-entered from inside a handler
        EXPECT_EQ(m.Body.size(), m.Code == 0x47 ? 3 : 0);
    };
    feed(d, {0x47, 1, 2, 3}, 0);
    EXPECT_EQ(codes, (std::vector<int>{0x47, 0x20}));
}

#include "PhoneTestSupport.h"
#include <gtest/gtest.h>

TEST(TSerialLink, MissingPortStaysClosedWithoutError)
{
    ensureApp();
    TSerialLink link;
    link.SetPort("/dev/konvelo-no-such-port");
    EXPECT_FALSE(link.Open());
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(link.Read(nullptr, 0), 0);
    char c = 0;
    EXPECT_EQ(link.Write(&c, 1), 0);
    link.Close();                      // closing a closed port is no error
}

TEST(TSerialLink, ReadReturnsWhatArrivedWithinTheTimeOut)
{
    ensureApp();
    Pty pty;
    TSerialLink link;
    link.SetPort(pty.slavePath());
    ASSERT_TRUE(link.Open());
    pty.write(bytes({1, 2, 3}));
    char buf[7] = {};
    EXPECT_EQ(link.Read(buf, 7), 3);   // the 1700 ms time-out runs out
    EXPECT_EQ(QByteArray(buf, 3), bytes({1, 2, 3}));
    pty.write(bytes({4, 5}));
    EXPECT_EQ(link.Read(buf, 2), 2);
    EXPECT_EQ(buf[1], 5);
}

TEST(TSerialLink, WritesAndNotifiesOnTheOwningThread)
{
    ensureApp();
    Pty pty;
    TSerialLink link;
    link.SetPort(pty.slavePath());
    ASSERT_TRUE(link.SetConnected(true));
    const char out[] = {char(0x91), char(0x00), char(0xFF)};
    EXPECT_EQ(link.Write(out, 3), 3);
    EXPECT_EQ(pty.readAll(), QByteArray(out, 3));

    QByteArray got;
    int nested = 0, depth = 0;
    link.OnRxChar = [&](TSerialLink *sender, int count) {
        ++depth;
        nested = std::max(nested, depth);
        QByteArray b(count, '\0');
        b.resize(sender->Read(b.data(), count));
        got += b;
        QCoreApplication::processEvents();   // a handler letting messages run
        --depth;
    };
    pty.write(bytes({0x20, 0x21}));
    ASSERT_TRUE(pumpUntil([&] { return got.size() >= 2; }));
    pty.write(bytes({0x30}));
    ASSERT_TRUE(pumpUntil([&] { return got.size() >= 3; }));
    EXPECT_EQ(got, bytes({0x20, 0x21, 0x30}));
    EXPECT_EQ(nested, 1);
}

TEST(TSerialLink, ChangingThePortWhileOpenOpensTheNewOne)
{
    ensureApp();
    Pty a, b;
    TSerialLink link;
    link.SetPort(a.slavePath());
    ASSERT_TRUE(link.Open());
    ASSERT_TRUE(link.SetPort(b.slavePath()));
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(link.Port(), b.slavePath());
    const char c = 0x55;
    link.Write(&c, 1);
    EXPECT_EQ(b.readAll(), QByteArray(1, 0x55));
    EXPECT_TRUE(a.readAll().isEmpty());
}

TEST(TSerialLink, PortThatVanishesIsClosed)
{
    ensureApp();
    auto pty = std::make_unique<Pty>();
    TSerialLink link;
    link.SetPort(pty->slavePath());
    ASSERT_TRUE(link.Open());
    bool lost = false;
    link.OnPortLost = [&] { lost = true; };
    pty.reset();                       // the other end goes away
    EXPECT_TRUE(pumpUntil([&] { return lost; }));
    EXPECT_FALSE(link.Connected());
}

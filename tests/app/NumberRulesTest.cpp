// The number rules end to end: konvelo-phonesim plays calls into a TPhone, the
// call handling hangs the unwanted ones up and journals them as blocked.
#include "CallTestLine.h"
#include "tools/SimWireLog.h"
#include <QDir>

namespace {

class NumberRulesTest : public CallTestLine {
protected:
    void SetUp() override
    {
        CallTestLine::SetUp();
        QObject::connect(FHandler.get(), &TCallHandler::CallBlocked,
                         [this](const QString &n, TDateTime) { FBlocked << n; });
        QObject::connect(FHandler.get(), &TCallHandler::CallNumberKnown,
                         [this](TCallKind, const QString &n, TDateTime) { FKnown << n; });
    }
    bool playCall(const QString &lines)
    {
        const int ends = endCalls(), frees = lineFrees();
        return play(lines, [&] { return endCalls() > ends && lineFrees() > frees; });
    }
    void person(const QString &phone, int attributes)
    {
        FBook->AddPerson(phone, QStringLiteral("Абонент ") + phone, uint8_t(attributes), QString(), QString(),
                         QString(), -1, false);
    }
    QVariantMap lastRow() const { return inRows().value(inRows().size() - 1); }
    int hangUps() const { return SimWireLog::read(path(QStringLiteral("sim.log"))).countCommands(0x80); }

    QStringList FBlocked, FKnown;
};

TEST_F(NumberRulesTest, MarkedSubscriberIsHungUpAtOnceWithoutRingAlertOrRecording)
{
    person(QStringLiteral("5553412"), TPersonAttributes::HangUpCall | TPersonAttributes::AlwaysRecord);
    FConfig->RecordIncomingCalls = true;
    FHandler->BlockedNoticeTimer.setInterval(300);
    ASSERT_TRUE(startLine());
    // Were the call not hung up, the lifting would start a talk and its recording.
    ASSERT_TRUE(playCall(QStringLiteral("number 2 5553412\nring\nwait 0.3\nlift\nwait 1\nhangup")));

    ASSERT_EQ(inRows().size(), 1);
    const QVariantMap r = lastRow();
    EXPECT_EQ(r.value("Phone").toString(), QStringLiteral("5553412"));
    EXPECT_EQ(r.value("Blocked").toInt(), 1);
    EXPECT_EQ(r.value("Length").toDouble(), 0.0);
    EXPECT_EQ(r.value("Category").toInt(), 2);
    EXPECT_TRUE(r.value("FileName").toString().isEmpty());
    EXPECT_TRUE(r.value("MessageFileName").toString().isEmpty());
    EXPECT_TRUE(QDir(FConfig->RecordsDirectory).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(FView.logged(QStringLiteral("alert")).isEmpty());
    EXPECT_TRUE(FView.logged(QStringLiteral("ring")).isEmpty());
    EXPECT_EQ(FBlocked, QStringList{QStringLiteral("5553412")});
    EXPECT_TRUE(FKnown.isEmpty());   // the feed hears HUP:, not CID:
    EXPECT_EQ(FView.Status, QStringLiteral("Звонок сброшен: 5553412"));
    // The notice gives way to the free line after its time.
    EXPECT_TRUE(spinUntil([&] { return FView.Status == QStringLiteral("Линия свободна"); }, 3000));

    // On the wire: one 80, within 100 ms of the number, and the rest of the call
    // (the lifting, the caller's line-free) never came.
    const SimWireLog wire = SimWireLog::read(path(QStringLiteral("sim.log")));
    qint64 numberSent = 0, hangUpReceived = 0;
    for (const SimWireLog::Entry &e : wire.sent())
        if (e.bytes.startsWith('\x31'))
            numberSent = e.msecs;
    for (const SimWireLog::Entry &e : wire.received())
        if (e.bytes == QByteArray(1, '\x80') && !hangUpReceived)
            hangUpReceived = e.msecs;
    ASSERT_GT(numberSent, 0);
    ASSERT_GT(hangUpReceived, 0);
    EXPECT_LT(hangUpReceived - numberSent, 100);
    EXPECT_EQ(wire.countCommands(0x80), 1);
    for (const SimWireLog::Entry &e : wire.sent())
        EXPECT_NE(e.bytes, QByteArray(1, '\x20'));
}

TEST_F(NumberRulesTest, FirstMatchingRuleDecidesForNumbersOutsideTheBook)
{
    FConfig->NumberRules.Add(QStringLiteral("8800555*"), false);
    FConfig->NumberRules.Add(QStringLiteral("8800*"), true);
    FConfig->NumberRules.Add(QStringLiteral("495???????"), true);
    ASSERT_TRUE(startLine());

    // An allow rule before the block lets its numbers ring as usual.
    ASSERT_TRUE(playCall(QStringLiteral("number 1 88005551234\nring\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 0);
    EXPECT_EQ(FView.logged(QStringLiteral("alert")).size(), 1);
    EXPECT_EQ(hangUps(), 0);

    FView.Log.clear();
    ASSERT_TRUE(playCall(QStringLiteral("number 1 88001112233\nring\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 1);
    EXPECT_EQ(lastRow().value("Phone").toString(), QStringLiteral("88001112233"));
    EXPECT_TRUE(FView.logged(QStringLiteral("alert")).isEmpty());

    // "?" stands for exactly one digit: ten digits match, eleven do not.
    ASSERT_TRUE(playCall(QStringLiteral("number 1 4951234567\nring\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 1);
    ASSERT_TRUE(playCall(QStringLiteral("number 1 49512345678\nring\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 0);

    EXPECT_EQ(FBlocked, (QStringList{QStringLiteral("88001112233"), QStringLiteral("4951234567")}));
    EXPECT_EQ(hangUps(), 2);
    EXPECT_EQ(inRows().size(), 4);
}

TEST_F(NumberRulesTest, SubscriberGoesThroughACatchAllBlockAndCallsWithoutNumberMeetTheQuestionRule)
{
    person(QStringLiteral("5553412"), 0);
    FConfig->NumberRules.Add(QStringLiteral("?"), true);
    ASSERT_TRUE(startLine());

    // Only the call whose number came empty is the "?" rule's; a number is not.
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.2\nnumber 0\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Phone").toString(), QStringLiteral("?"));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 1);
    // The ring and the alert that began before the number are stopped and closed.
    EXPECT_FALSE(FView.AlertShown);
    EXPECT_EQ(FBlocked, QStringList{QStringLiteral("?")});
    ASSERT_TRUE(playCall(QStringLiteral("number 0 5550000\nring\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 0);
    // A ringing that never brings a number is not hung up: nobody knows it has none.
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 0);

    // White-list mode: "*" blocks everyone but the address book.
    FConfig->NumberRules.Rules.clear();
    FConfig->NumberRules.Add(QStringLiteral("*"), true);
    FView.Log.clear();
    ASSERT_TRUE(playCall(QStringLiteral("number 0 5553412\nring\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 0);
    EXPECT_EQ(FView.logged(QStringLiteral("alert")),
              QStringList{QStringLiteral("alert 5553412|Абонент 5553412||")});
    ASSERT_TRUE(playCall(QStringLiteral("number 0 5553413\nring\nwait 0.3\nhangup")));
    EXPECT_EQ(lastRow().value("Blocked").toInt(), 1);
    EXPECT_EQ(FBlocked.size(), 2);
    EXPECT_EQ(inRows().size(), 5);
}

} // namespace

#include "PhoneTestSupport.h"
#include "TManualClock.h"
#include "phone/TPhoneDetection.h"
#include <gtest/gtest.h>
#include <deque>

namespace {
class CountingHost : public TPhoneHost {
public:
    void EndMemoryRead() override
    {
        ++memoryReadEnds;
        MemoryReadActive = false;
    }
    void FinishTalkSearch() override
    {
        ++searchFinishes;
        TalkSearchActive = false;
    }
    void TalkSearchReply(uint8_t code, int count, const QByteArray &) override
    {
        replies << QString("%1 %2").arg(code, 0, 16).arg(count);
    }
    int memoryReadEnds = 0;
    int searchFinishes = 0;
    QStringList replies;
};

class Commands : public ::testing::Test {
protected:
    Commands() : phone(&host, &clock), log(phone)
    {
        ensureApp();
        phone.SetPort(pty.slavePath());
        EXPECT_TRUE(phone.Connect());
        log.take();
    }
    QByteArray sent() { return pty.readAll(); }

    Pty pty;
    TManualClock clock;
    CountingHost host;
    TPhone phone;
    EventLog log;
};
}

TEST_F(Commands, DialWithAndWithoutTheChannelPrefix)
{
    EXPECT_EQ(phone.State(), psWaiting);
    clock.FSlept = 0;
    phone.Dial("1234567", 1);
    EXPECT_EQ(sent(), bytes({0x90, 0x09, 0x0F, 0x02, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_GE(clock.FSlept, 11 * 7);   // the gap follows every byte, the last one too
    phone.Dial("1234567", 0);
    EXPECT_EQ(sent(), bytes({0x90, 0x07, 1, 2, 3, 4, 5, 6, 7}));
    phone.Dial("L1234567", 1);
    EXPECT_EQ(sent(), bytes({0x90, 0x09, 0x0F, 0x01, 1, 2, 3, 4, 5, 6, 7}));
    phone.Dial("*5", 0);
    EXPECT_EQ(sent(), bytes({0x90, 0x03, 0, 12, 5}));
}

TEST_F(Commands, InvalidNumberRaisesAndSendsNothing)
{
    for (const char *text : {"12?4", "", "12L3", "1(300)"}) {
        try {
            phone.Dial(QString::fromUtf8(text), 0);
            ADD_FAILURE() << "no error for " << text;
        } catch (const EPhoneError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Hеверный номер"));
            EXPECT_EQ(e.Message().at(0), QChar(u'H'));   // Latin
        }
    }
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(Commands, NothingIsSentWhileOffline)
{
    phone.GoOffline();
    EXPECT_TRUE(phone.Connected());      // the port stays open
    EXPECT_EQ(log.take(), QStringList{"StateChanged psOffline"});
    phone.Dial("12?4", 0);               // dropped before the number is looked at
    phone.HangUp();
    phone.RequestPhoneCode();
    phone.SetPhoneClock(clock.now());
    phone.RequestCallRecord(0, 1);
    EXPECT_EQ(phone.ReadPhoneClock(), TDateTime());
    EXPECT_FALSE(phone.PhoneCodePending());
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(Commands, ClockBytes)
{
    phone.SetPhoneClock(TDateTime::fromQDateTime(QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9))));
    EXPECT_EQ(sent(), bytes({0x91, 0x0E, 0x07, 0x09, 0x05, 0x03, 0x04}));
    phone.SetPhoneClock(TDateTime::fromQDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58))));
    EXPECT_EQ(sent(), bytes({0x91, 23, 59, 58, 31, 12, 0x63}));
    phone.SetPhoneClock(TDateTime::fromQDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0))));
    EXPECT_EQ(sent(), bytes({0x91, 0, 0, 0, 1, 1, 100}));

    pty.write(bytes({0x00, 14, 7, 9, 5, 3, 4}));
    EXPECT_EQ(phone.ReadPhoneClock().toQDateTime(), QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9)));
    EXPECT_EQ(sent(), bytes({0x81}));
    pty.write(bytes({0x00, 10, 0, 0, 31, 12, 99}));
    EXPECT_EQ(phone.ReadPhoneClock().toQDateTime(), QDateTime(QDate(1999, 12, 31), QTime(10, 0)));
    pty.write(bytes({0x00, 25, 0, 0, 1, 1, 5}));
    EXPECT_EQ(phone.ReadPhoneClock(), TDateTime(1.0));
}

TEST_F(Commands, RequestBytes)
{
    phone.HangUp();
    phone.RequestParameter(300);
    phone.PlayMessageToLine(0x123, 4);
    EXPECT_EQ(sent(), bytes({0x80, 0x9A, 0, 1, 2, 12, 0x9B, 2, 3, 4}));
    phone.RequestPhoneCode();
    EXPECT_TRUE(phone.PhoneCodePending());
    EXPECT_EQ(sent(), bytes({0x95}));

    phone.WriteParameter(300, {5});
    EXPECT_EQ(sent(), bytes({0x99, 0x00, 0x01, 0x02, 0x0C, 0x00, 0x01, 0x00, 0x05}));
    phone.WriteParameter(300, {0x12, 0xAB, 7});
    EXPECT_EQ(sent(), bytes({0x99, 0, 1, 2, 12, 0, 3, 1, 2, 10, 11, 0, 0}));
    phone.WriteParameter(300, {});
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(Commands, CallRecordRequestFollowsTheFirmwareVersion)
{
    host.Identity.FirmwareVersion = 112;
    phone.RequestCallRecord(0, 5);
    EXPECT_EQ(sent(), bytes({0x92, 0x00, 0x00, 0x00, 0x05}));
    host.Identity.FirmwareVersion = 110;
    phone.RequestCallRecord(1, 96);
    EXPECT_EQ(sent(), bytes({0x93, 0, 0, 6, 0}));
    host.Identity.FirmwareVersion = 109;
    phone.RequestCallRecord(1, 5);
    host.Identity.FirmwareVersion = 100;
    phone.RequestCallRecord(0, 5);
    EXPECT_EQ(sent(), bytes({0x93, 0x05, 0x92, 0x05}));
    host.Identity.FirmwareVersion = 0;
    phone.RequestCallRecord(0, 5);
    EXPECT_EQ(sent(), bytes({0x9C}));
    host.Identity.FirmwareVersion = 112;
    phone.RequestCallRecord(0, 97);
    phone.RequestCallRecord(0, -1);
    phone.RequestCallRecord(2, 1);
    phone.Receive(bytes({0x33}));          // busy with its settings
    phone.RequestCallRecord(0, 1);
    phone.RequestTalkSend(0x83, 1);
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(Commands, TalkSendRequest)
{
    phone.RequestTalkSend(0x83, 97);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_EQ(phone.State(), psWaiting);
    phone.RequestTalkSend(0x84, 3);
    EXPECT_EQ(sent(), bytes({0x84, 0, 0, 0, 3}));
    EXPECT_EQ(phone.State(), psSendTalk);
}

TEST_F(Commands, UnansweredCallRecordRequestIsSentTwelveTimes)
{
    host.Identity.FirmwareVersion = 112;
    host.MemoryReadActive = true;
    phone.StartCallRecordRequest(1, 4);
    for (int i = 0; i < 20; ++i)
        clock.advance(400);
    const QByteArray out = sent();
    EXPECT_EQ(out.size(), 12 * 5);
    EXPECT_EQ(out.count(char(0x93)), 12);
    EXPECT_EQ(host.memoryReadEnds, 1);
    EXPECT_FALSE(phone.RetryTimer().isActive());
    EXPECT_EQ(phone.RetryCount(), 11);
}

TEST_F(Commands, RequestWithoutFirmwareVersionAsksForIt)
{
    host.MemoryReadActive = true;
    phone.StartCallRecordRequest(0, 0);
    EXPECT_EQ(sent(), bytes({0x9C}));
    EXPECT_TRUE(phone.RetryTimer().isActive());
    // The version arrives: the request goes out for the memory read's cell.
    host.MemoryReadCell = 2;
    phone.Receive(bytes({0x47, 0, 7, 0}));
    EXPECT_EQ(sent(), bytes({0x95, 0x92, 0, 0, 0, 2}));
    // A second version reply (the model detection's own 9C) asks for no cell again.
    phone.Receive(bytes({0x47, 0, 7, 0}));
    EXPECT_EQ(sent(), bytes({0x95}));
    // A phone that answers 0 is asked again by the retries only, so the read ends.
    host.Identity.FirmwareVersion = 0;
    phone.StartCallRecordRequest(0, 0);
    phone.Receive(bytes({0x47, 0, 0, 0}));
    EXPECT_EQ(sent(), bytes({0x9C, 0x95}));
    EXPECT_EQ(phone.RetryCount(), 0);
    host.TalkTransferActive = true;
    phone.StartCallRecordRequest(0, 3);
    EXPECT_FALSE(phone.RetryTimer().isActive());
}

// A phone that answers every call-record request late, in order.
namespace {
struct SlowPhone {
    QList<QByteArray> memory;            // records by cell; past the end an empty record
    qint64 delay = 600;
    QSet<int> lost;                      // request numbers that get no answer
    std::deque<std::pair<qint64, QByteArray>> due;
    int requests = 0;

    static QByteArray record(int minute)
    {
        return bytes({0x41, 2, 4, 2, 1, 10, minute, 9, 12, 0, 1, 0, 0, 0, 0, 0, 0});
    }
    void take(const QByteArray &out, qint64 now)
    {
        for (int i = 0; i + 5 <= out.size(); i += 5) {
            const int cell = TPhoneDecoder::NibbleWord(out.constData() + i + 1);
            if (!lost.contains(requests))
                due.emplace_back(now + delay, cell < memory.size() ? memory[cell]
                                                                   : bytes({0x41, 0}) + QByteArray(13, 0));
            ++requests;
        }
    }
};
}

TEST_F(Commands, LateAnswersToResentRequestsAreReportedOnce)
{
    for (const QSet<int> &lost : {QSet<int>{}, QSet<int>{2}}) {
        SlowPhone sim;
        sim.lost = lost;
        for (int m = 0; m < 5; ++m)
            sim.memory << SlowPhone::record(m);
        host.Identity.FirmwareVersion = 112;
        host.MemoryReadActive = true;
        QList<int> minutes;
        phone.OnPhoneRecord = [&](TCallKind, const TCallRec &r) {
            if (r.Number.isEmpty()) {
                host.MemoryReadActive = false;
                phone.StartCallRecordRequest(0, 0);   // leaves the read; timer stopped below
                return;
            }
            minutes << r.Time.toQDateTime().time().minute();
            phone.StartCallRecordRequest(0, minutes.size());
        };
        phone.StartCallRecordRequest(0, 0);
        for (int step = 0; step < 400 && host.MemoryReadActive; ++step) {
            clock.advance(50);
            sim.take(sent(), clock.msecs());
            while (!sim.due.empty() && sim.due.front().first <= clock.msecs()) {
                phone.Receive(sim.due.front().second);
                sim.due.pop_front();
            }
        }
        EXPECT_EQ(minutes, (QList<int>{0, 1, 2, 3, 4})) << "lost " << lost.size();
        EXPECT_FALSE(host.MemoryReadActive);
        EXPECT_EQ(host.memoryReadEnds, 0);
        phone.GoOffline();
        phone.Connect();
        sent();
    }
}

TEST_F(Commands, TalkSearchSendsTheBookmarkAndRetries)
{
    TInBookMarks in;
    in.Phone = "12?";
    in.Time = TDateTime::fromQDateTime(QDateTime(QDate(2026, 3, 4), QTime(5, 6)));
    host.InBookMarks << in;
    TOutBookMarks out;
    out.Phone = "1*2";
    host.OutBookMarks << out;
    host.TalkSearchActive = true;
    phone.SearchTalk(0, 0);
    EXPECT_EQ(sent(), bytes({0x9E, 3, 1, 2, 10, 4, 3, 5, 6}));
    clock.advance(400);
    EXPECT_EQ(sent(), bytes({0x9E, 3, 1, 2, 10, 4, 3, 5, 6}));
    // "*" has no code: the bookmark is reported as not held, nothing is sent
    phone.SearchTalk(1, 0);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_EQ(host.replies, QStringList{"57 0"});
    phone.SearchTalk(0, 5);
    phone.SearchTalk(3, 0);
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_FALSE(phone.RetryTimer().isActive());
    // The resends of the search count to the same limit.
    phone.SearchTalk(0, 0);
    for (int i = 0; i < 20; ++i)
        clock.advance(400);
    EXPECT_EQ(host.searchFinishes, 1);
}

TEST_F(Commands, DisconnectThenFailingConnectLeavesTheWatchdogStopped)
{
    EXPECT_TRUE(phone.WatchdogTimer().isActive());
    phone.Disconnect();
    EXPECT_FALSE(phone.Connected());
    phone.SetPort("/dev/konvelo-no-such-port");
    EXPECT_FALSE(phone.Connect());
    EXPECT_EQ(phone.State(), psOffline);
    EXPECT_FALSE(phone.WatchdogTimer().isActive());
    phone.SetPort(pty.slavePath());
    clock.advance(60000);                // no reopening is tried
    EXPECT_FALSE(phone.Connected());
    EXPECT_TRUE(phone.Connect());
    EXPECT_TRUE(phone.WatchdogTimer().isActive());
}

TEST_F(Commands, SilentPhoneIsReopenedAndGreetedWhenHeardAgain)
{
    clock.advance(22500);
    EXPECT_EQ(phone.State(), psOffline);
    EXPECT_TRUE(phone.Connected());      // reopened by the watchdog
    sent();
    pty.write(bytes({0x21}));
    ASSERT_TRUE(pumpUntil([&] { return phone.State() == psWaiting; }));
    const QByteArray out = sent();
    ASSERT_EQ(out.size(), 7);
    EXPECT_EQ(uint8_t(out.at(0)), 0x91);   // the clock is set
}

TEST_F(Commands, VanishedPortEndsEvenARingingCallAndIsRetried)
{
    pty.write(bytes({0x30, 0x31, 0, 2, 5, 5}));
    ASSERT_TRUE(pumpUntil([&] { return phone.State() == psIncomingCall && !phone.CurrentPhone().isEmpty(); }));
    log.take();
    const QString path = pty.slavePath();
    pty.closeMaster();
    ASSERT_TRUE(pumpUntil([&] { return !phone.Connected(); }));
    // The freed pseudo-terminal number may be handed to a test running beside
    // this one at once; the retries go to a name that stays gone instead.
    phone.SetPort(path + QStringLiteral("-gone"));
    clock.advance(22500);
    EXPECT_EQ(log.take(), (QStringList{"LineFree", "EndCall ckIncoming cpUnknown 55 attr=8 cat=0",
                                       "StateChanged psOffline"}));
    EXPECT_FALSE(phone.Connected());     // the device is gone; reopening keeps failing
    clock.advance(7500);
    EXPECT_EQ(phone.State(), psOffline);
}

TEST_F(Commands, ChannelPrefixGoesInFrontOfTheTrimmedUpperCaseNumber)
{
    phone.Dial(" 123 ", 1);
    EXPECT_EQ(sent(), bytes({0x90, 0x05, 0x0F, 0x02, 1, 2, 3}));
    phone.Dial("e123", 1);
    EXPECT_EQ(sent(), bytes({0x90, 0x05, 0x0F, 0x02, 1, 2, 3}));
    phone.Dial(" l123", 1);
    EXPECT_EQ(sent(), bytes({0x90, 0x05, 0x0F, 0x01, 1, 2, 3}));
}

namespace {
// Starts the model detection when the phone is heard, as the main window does.
class DetectingHost : public TPhoneHost {
public:
    void StartModelDetection() override
    {
        if (Detection)
            Detection->StartModelDetection();
    }
    TPhoneDetection *Detection = nullptr;
};
}

TEST(PhoneComingOnline, ModelRequestReachesTheWire)
{
    ensureApp();
    Pty pty;
    TManualClock clock;
    DetectingHost host;
    TPhone phone(&host, &clock);
    TPhoneDetection detection(phone);
    host.Detection = &detection;
    phone.SetPort(pty.slavePath());
    ASSERT_TRUE(phone.Connect());
    phone.GoOffline();
    pty.readAll();
    pty.write(bytes({0x21}));
    ASSERT_TRUE(pumpUntil([&] { return phone.State() == psWaiting; }));
    const QByteArray out = pty.readAll();
    ASSERT_FALSE(out.isEmpty());
    EXPECT_EQ(uint8_t(out.at(0)), 0x9D);
    EXPECT_TRUE(out.contains(char(0x91)));   // and the clock is set after it
}

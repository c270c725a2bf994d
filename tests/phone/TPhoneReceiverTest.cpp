#include "PhoneTestSupport.h"
#include "TManualClock.h"
#include <gtest/gtest.h>

namespace {
class RecordingHost : public TPhoneHost {
public:
    void StartModelDetection() override { ++modelDetections; }
    void ParamReceived(quint16 address, const QList<quint16> &values) override
    {
        params << QString("%1=%2").arg(address).arg(QStringList([&] {
            QStringList l;
            for (quint16 v : values)
                l << QString::number(v);
            return l;
        }()).join(','));
    }
    void TalkSearchReply(uint8_t code, int count, const QByteArray &entries) override
    {
        searchReplies << QString("%1 %2 %3").arg(code, 0, 16).arg(count).arg(entries.size());
    }
    int modelDetections = 0;
    QStringList params;
    QStringList searchReplies;
};

class Receiver : public ::testing::Test {
protected:
    Receiver() : phone(&host, &clock), log(phone)
    {
        ensureApp();
        phone.Receive({});          // the phone is heard: online, waiting
        log.take();
    }
    // Each call is one received-characters notification.
    void rx(std::initializer_list<int> list) { phone.Receive(bytes(list)); }
    void digits(const char *text)
    {
        for (const char *p = text; *p; ++p)
            phone.Receive(QByteArray(1, char(*p - '0')));
    }

    TManualClock clock;
    RecordingHost host;
    TPhone phone;
    EventLog log;
};
}

TEST_F(Receiver, ConstructionIsOfflineAndFirstByteBringsThePhoneOnline)
{
    TManualClock c;
    RecordingHost h;
    TPhone p(&h, &c);
    EXPECT_EQ(p.State(), psOffline);
    EXPECT_EQ(p.ReceiverState(), rsDown);
    EventLog l(p);
    p.Receive(bytes({0x99}));      // an unknown code is still a sign of life
    EXPECT_EQ(p.State(), psWaiting);
    EXPECT_EQ(h.modelDetections, 1);
    EXPECT_EQ(l.take(), QStringList{"StateChanged psWaiting"});
}

TEST_F(Receiver, SevenDigitNumberIsCompleteAtItsSeventhDigit)
{
    rx({0x20});
    EXPECT_EQ(log.take(), QStringList{"ReceiverUp"});
    digits("123456");
    QStringList expected{"StartCall ckOutgoing ", "StateChanged psOutgoingCall"};
    for (int i = 0; i < 5; ++i)
        expected << "StateChanged psOutgoingCall";
    EXPECT_EQ(log.take(), expected);
    clock.advance(3000);
    const TDateTime seventh = clock.now();
    rx({0x17});                    // digit 7 as 0x10 + 7
    EXPECT_EQ(log.take(), (QStringList{"StartTalk ckOutgoing", "StateChanged psOutgoingCall"}));
    clock.advance(12000);          // the talk: NumberTimer was stopped
    EXPECT_TRUE(log.take().filter("GotPhoneNumber").isEmpty());
    rx({0x21});
    EXPECT_EQ(log.take(), (QStringList{"EndCall ckOutgoing cpVrx 1234567 attr=1 cat=0",
                                       "StateChanged psWaiting", "LineFree"}));
    EXPECT_EQ(log.endTimes.at(0), seventh);
    EXPECT_EQ(phone.CurrentPhone(), TBuffer());
}

TEST_F(Receiver, LongDistanceNumberEndsByTimeOutAndToneDigitsExtendIt)
{
    rx({0x20});
    digits("89161234567");
    log.take();
    clock.advance(9999);
    EXPECT_TRUE(log.take().isEmpty());
    clock.advance(1);
    EXPECT_EQ(log.take(), (QStringList{"GotPhoneNumber 89161234567", "StartTalk ckOutgoing"}));
    EXPECT_EQ(phone.CallStart(), clock.now());
    // tone-menu digits restart the timer and give the longer number again
    digits("12");
    clock.advance(5000);
    digits("3");
    clock.advance(9999);
    log.take();
    clock.advance(1);
    EXPECT_EQ(log.take(), (QStringList{"GotPhoneNumber 89161234567123", "StartTalk ckOutgoing"}));
    clock.advance(10000);
    EXPECT_TRUE(log.take().filter("GotPhoneNumber").isEmpty());   // once per last digit
}

TEST_F(Receiver, DigitsAfterACompleteNumberRestartTheNumberTimer)
{
    rx({0x20});
    digits("1234567");
    digits("12");
    log.take();
    clock.advance(10000);
    EXPECT_EQ(log.take(), (QStringList{"GotPhoneNumber 123456712", "StartTalk ckOutgoing"}));
}

TEST_F(Receiver, OutgoingCallWithReceiverDownReportsNoCall)
{
    digits("1234567");
    log.take();
    rx({0x21});
    EXPECT_EQ(log.take(), (QStringList{"StateChanged psWaiting", "LineFree"}));
}

TEST_F(Receiver, UnansweredIncomingCall)
{
    rx({0x30});
    rx({0x31, 1, 7, 1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(log.take(), (QStringList{"StateChanged psIncomingCall", "StartCall ckIncoming ",
                                       "GotPhoneNumber 1234567"}));
    EXPECT_EQ(phone.Category(), 1);
    clock.advance(20000);               // ringing: the watchdog never declares the phone gone
    EXPECT_EQ(phone.State(), psIncomingCall);
    const TDateTime freed = clock.now();
    rx({0x21});
    EXPECT_EQ(log.take(), (QStringList{"EndCall ckIncoming cpUnknown 1234567 attr=8 cat=1",
                                       "StateChanged psWaiting", "LineFree"}));
    EXPECT_EQ(log.endTimes.at(0), freed);
    EXPECT_EQ(phone.Category(), 0);
}

TEST_F(Receiver, NumberBeforeRingingStartsTheCallWithIt)
{
    rx({0x31, 0, 3, 5, 10, 5});
    rx({0x30});
    EXPECT_EQ(log.take(), (QStringList{"StateChanged psIncomingCall", "StartCall ckIncoming 5*5"}));
    EXPECT_EQ(PhoneNumberToText(phone.CurrentPhone(), false), "5?5");
    // an empty number (n = 0)
    rx({0x21});
    rx({0x31, 2, 0});
    EXPECT_TRUE(phone.CurrentPhone().isEmpty());
    EXPECT_EQ(phone.State(), psIncomingCall);
}

TEST_F(Receiver, AnsweredOnParallelSetAndByAnsweringMachine)
{
    rx({0x30, 0x31, 1, 2, 4, 2});
    clock.advance(2000);
    const TDateTime lifted = clock.now();
    log.take();
    rx({0x22});
    EXPECT_EQ(log.take(), QStringList{"StartTalk ckIncoming"});
    rx({0x20});                          // the VRX phone joins: no second start
    EXPECT_TRUE(log.take().isEmpty());
    clock.advance(5000);
    rx({0x21});
    EXPECT_EQ(log.take().at(0), "EndCall ckIncoming cpVrx 42 attr=1 cat=1");
    EXPECT_EQ(log.endTimes.at(0), lifted);

    rx({0x30, 0x31, 1, 2, 4, 2});
    rx({0x22});
    log.take();
    rx({0x21});
    EXPECT_EQ(log.take().at(0), "EndCall ckIncoming cpParallel 42 attr=2 cat=1");

    rx({0x30, 0x2C, 0x32});
    EXPECT_EQ(log.take().last(), "CallerMessage");
    rx({0x21});
    EXPECT_EQ(log.take().at(0), "EndCall ckIncoming cpUnknown  attr=12 cat=0");
    rx({0x32});                          // no call: no caller message
    EXPECT_TRUE(log.take().isEmpty());
}

TEST_F(Receiver, AutoDialledNumberRepeatedGivesOneCall)
{
    for (int i = 0; i < 3; ++i) {
        rx({0x28, 1, 2, 3});
        clock.advance(40000);            // auto-dial: never offline, no time-out number
        rx({0x21});
    }
    const QStringList all = log.take();
    EXPECT_EQ(all.filter("EndCall").size(), 1);
    EXPECT_EQ(all.filter("EndCall").at(0), "EndCall ckOutgoing cpVrx 123 attr=1 cat=0");
    EXPECT_EQ(all.filter("StartCall ckOutgoing 123").size(), 1);
    EXPECT_TRUE(all.filter("GotPhoneNumber").isEmpty());
    EXPECT_EQ(phone.LastAutoDialNumber(), "123");
}

TEST_F(Receiver, AutoDialledCallPickedUp)
{
    rx({0x28, 5, 5});
    log.take();
    rx({0x20});
    EXPECT_EQ(log.take(), (QStringList{"ReceiverUp", "StartCall ckOutgoing 55", "StartTalk ckOutgoing"}));
    EXPECT_FALSE(phone.AutoDiale());
    EXPECT_FALSE(phone.DigitWatch());
    digits("1234567");                   // tone digits: DigitWatch is off
    clock.advance(20000);
    EXPECT_TRUE(log.take().filter("StartTalk").isEmpty());
    rx({0x21});
    EXPECT_EQ(log.take().at(0), "EndCall ckOutgoing cpVrx 551234567 attr=1 cat=0");
    EXPECT_TRUE(phone.DigitWatch());
}

TEST_F(Receiver, SilenceWhileIdleTakesThePhoneOffline)
{
    clock.advance(15000);
    EXPECT_EQ(phone.State(), psWaiting);     // 15000 ms is not more than 15000
    clock.advance(7500);
    EXPECT_EQ(log.take(), (QStringList{"LineFree", "StateChanged psOffline"}));
    clock.advance(30000);
    EXPECT_TRUE(log.take().isEmpty());
    rx({0x21});
    EXPECT_EQ(phone.State(), psWaiting);
    EXPECT_EQ(host.modelDetections, 2);
}

TEST_F(Receiver, SilenceWhileDiallingEndsTheCall)
{
    rx({0x22});
    digits("89");
    log.take();
    clock.advance(30000);
    EXPECT_EQ(log.take(), (QStringList{"GotPhoneNumber 89", "StartTalk ckOutgoing", "LineFree",
                                       "EndCall ckOutgoing cpParallel 89 attr=2 cat=0",
                                       "StateChanged psOffline"}));
}

TEST_F(Receiver, WatchdogWaitsWhileStartingUpOrInOutCallInputMode)
{
    host.StartingUp = true;
    clock.advance(30000);
    EXPECT_EQ(phone.State(), psWaiting);
    host.StartingUp = false;
    phone.SetOutCallInputMode(true);
    clock.advance(30000);
    EXPECT_EQ(phone.State(), psWaiting);
    phone.SetOutCallInputMode(false);
    clock.advance(7500);
    EXPECT_EQ(phone.State(), psOffline);
}

TEST_F(Receiver, SendTalkIsNeverDeclaredGoneAndEndsWithCodeOne)
{
    host.TalkTransferActive = true;
    // 53: cell 3, length 48 quarter seconds
    rx({0x53, 0, 0, 0, 3, 0, 0, 3, 0});
    EXPECT_EQ(log.take(), (QStringList{"StartSendTalk 1 12 3", "StateChanged psSendTalk"}));
    clock.advance(60000);
    EXPECT_EQ(phone.State(), psSendTalk);
    rx({0x01});
    EXPECT_EQ(log.take(), QStringList{"StopSendTalk"});
    EXPECT_EQ(phone.State(), psWaiting);
    host.TalkTransferActive = false;
    rx({0x01});                           // now a dialled digit
    EXPECT_EQ(phone.State(), psOutgoingCall);
}

TEST_F(Receiver, QuarterSecondLengthsRoundHalfToEven)
{
    EXPECT_EQ(TPhone::QuarterSecondsToSeconds(2), 0);
    EXPECT_EQ(TPhone::QuarterSecondsToSeconds(6), 2);
    EXPECT_EQ(TPhone::QuarterSecondsToSeconds(10), 2);
    EXPECT_EQ(TPhone::QuarterSecondsToSeconds(3), 1);
    rx({0x54, 0, 0, 1, 0, 0, 0, 0, 6});
    rx({0x55, 0, 0, 0, 0, 0, 0, 0, 10});
    EXPECT_EQ(log.take(), (QStringList{"StartSendTalk 2 2 16", "StateChanged psSendTalk",
                                       "StartSendTalk 0 2 0"}));
}

TEST_F(Receiver, BusyWithSettingsUnlessACallRuns)
{
    rx({0x33});
    EXPECT_EQ(phone.State(), psInUse);
    rx({0x21, 0x30, 0x33});
    EXPECT_EQ(phone.State(), psIncomingCall);
}

TEST_F(Receiver, DigitsIgnoredDuringMemoryRead)
{
    host.MemoryReadActive = true;
    digits("123");
    EXPECT_TRUE(log.take().isEmpty());
    EXPECT_EQ(phone.State(), psWaiting);
}

TEST_F(Receiver, CallRecords)
{
    // incoming, n = 0: category 3, 10:15 on 9.12, duration 1:27:00, flags 4
    rx({0x41, 0, 3, 10, 15, 9, 12, 1, 27, 0, 4, 0, 0, 0, 0});
    // outgoing with a star: 23:59 on 29.2 (not a date in 2026), duration invalid
    rx({0x42, 2, 1, 10, 23, 59, 29, 2, 0, 61, 0, 1, 0, 0, 0, 0});
    ASSERT_EQ(log.records.size(), 2);
    const TCallRec &in = log.records[0];
    EXPECT_EQ(in.Number, "");
    EXPECT_EQ(in.Time.toQDateTime(), QDateTime(QDate(2026, 12, 9), QTime(10, 15)));
    EXPECT_EQ(in.Duration.toQDateTime().time(), QTime(1, 27, 0));
    EXPECT_EQ(in.Flags, 4);
    EXPECT_EQ(in.Category, 3);
    const TCallRec &out = log.records[1];
    EXPECT_EQ(out.Number, "1*");
    EXPECT_TRUE(out.Time.isZero());
    EXPECT_TRUE(out.Duration.isZero());
    EXPECT_EQ(out.Flags, 1);
    EXPECT_EQ(out.Category, 0);
    EXPECT_EQ(log.lines, (QStringList{"PhoneRecord ckIncoming  flags=4 cat=3",
                                      "PhoneRecord ckOutgoing 1* flags=1 cat=0"}));
}

TEST_F(Receiver, IdentityParametersAndPhoneCode)
{
    // model block: model 05, sub-model 2, letter Т, variant, code 1Ф3, options 1,0,1,1,1,0,0,1
    rx({0x48, 1, 7, 0, 5, 9, 0, 2, 1, 1, 0, 1, 14, 3, 0, 1, 0, 0, 1, 0, 1, 1, 0, 0, 0, 1});
    const TPhoneIdentity &id = host.Identity;
    EXPECT_EQ(id.PhoneModel, 5);
    EXPECT_EQ(id.PhoneSubModel, 2);
    EXPECT_EQ(id.PhoneModelLetter, "Т");
    EXPECT_TRUE(id.PhoneVariant);
    EXPECT_EQ(id.PhoneModelCode, "1Ф3");
    const bool opts[8] = {true, false, true, true, true, false, false, true};
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(id.PhoneOption(i), opts[i - 1]) << i;
    // a second block keeps the first model code; a short block leaves the options alone
    rx({0x48, 0, 11, 0, 6, 0, 0, 1, 7, 0, 0, 2, 2, 2});
    EXPECT_EQ(id.PhoneModel, 6);
    EXPECT_EQ(id.PhoneModelLetter, "Т");     // 7 is no letter
    EXPECT_EQ(id.PhoneModelCode, "1Ф3");
    EXPECT_TRUE(id.PhoneOption1);
    rx({0x47, 0x31, 0x37, 0x30});
    EXPECT_EQ(id.FirmwareVersion, 0x170);
    EXPECT_TRUE(phone.PhoneCodePending());
    rx({0x44, 1, 2, 3, 4, 10});
    EXPECT_FALSE(phone.PhoneCodePending());
    EXPECT_EQ(log.take(), QStringList{"PhoneCode 1234?"});
    rx({0x45, 0, 1, 2, 12, 0, 3, 0, 5, 15, 15, 9, 9});
    rx({0x45, 0, 0, 0, 1, 0, 0});        // n = 0 is not delivered
    EXPECT_EQ(host.params, QStringList{"300=5,255,0"});
}

TEST_F(Receiver, TalkSearchRepliesOnlyDuringASearch)
{
    rx({0x56, 0x20});
    EXPECT_EQ(log.take(), QStringList{"ReceiverUp"});
    EXPECT_TRUE(host.searchReplies.isEmpty());
    host.TalkSearchActive = true;
    rx({0x56, 1, 0, 0, 0, 4, 0, 0, 1, 0, 0, 0, 0, 0});
    rx({0x57, 2, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2});
    EXPECT_EQ(host.searchReplies, (QStringList{"56 1 12", "57 2 16"}));
}

TEST_F(Receiver, RobotModeHandsEveryByteToTheRobot)
{
    QList<int> got;
    rx({0x20});
    log.take();
    phone.StartRobotCall("123", 1, 2, 3, [&](uint8_t c) {
        got << c;
        log.lines << "Robot";
    });
    EXPECT_EQ(host.RobotNumber, "123");
    rx({0x21, 0x31, 0x30});
    EXPECT_EQ(got, (QList<int>{0x21, 0x31, 0x30}));
    EXPECT_EQ(log.take(), (QStringList{"StateChanged psWaiting", "Robot", "StateChanged psWaiting", "Robot",
                                       "StateChanged psWaiting", "Robot"}));
    EXPECT_EQ(phone.ReceiverState(), rsUp);
    clock.advance(60000);                // the watchdog waits in robot mode
    EXPECT_EQ(phone.State(), psWaiting);
    phone.StopRobotCall();
    rx({0x21});
    EXPECT_EQ(phone.ReceiverState(), rsDown);
    EXPECT_EQ(got.size(), 3);
}

TEST_F(Receiver, InvalidRobotNumberLeavesRobotModeOff)
{
    EXPECT_THROW(phone.StartRobotCall("12L", 0, 0, 0, [](uint8_t) {}), EPhoneError);
    EXPECT_FALSE(phone.PhoneRobotMode());
    phone.StartRobotCall("1", 0, 0, 0, nullptr);     // no handler: nothing
    EXPECT_FALSE(phone.PhoneRobotMode());
}

TEST_F(Receiver, BodyCutShortIsCompletedByTheBodyTimer)
{
    rx({0x31, 2, 5, 7, 8});
    EXPECT_TRUE(log.take().isEmpty());
    clock.advance(1499);
    EXPECT_TRUE(log.take().isEmpty());
    clock.advance(1);
    EXPECT_EQ(log.take(), (QStringList{"StateChanged psIncomingCall", "StartCall ckIncoming 78000"}));
    rx({0x21});
    EXPECT_EQ(log.take().at(0), "EndCall ckIncoming cpUnknown 78000 attr=8 cat=2");
}

TEST_F(Receiver, DisconnectEndsTheCallInProgress)
{
    rx({0x30, 0x20});
    log.take();
    phone.Disconnect();
    EXPECT_EQ(log.take(), (QStringList{"EndCall ckIncoming cpVrx  attr=1 cat=0", "LineFree",
                                       "StateChanged psOffline"}));
    EXPECT_FALSE(phone.WatchdogTimer().isActive());
    EXPECT_EQ(phone.ReceiverState(), rsDown);
}

TEST(CallRecordYear, RecordsReadOnSecondJanuaryKeepDecemberInTheOldYear)
{
    ensureApp();
    TManualClock clock(QDateTime(QDate(2027, 1, 2), QTime(9, 30)));
    TPhoneHost host;
    TPhone phone(&host, &clock);
    EventLog log(phone);
    phone.Receive({});
    // incoming 1.1 18:05, 31.12 23:50 and 30.12 08:00, newest first as the phone keeps them
    for (int day : {1, 31, 30}) {
        const int month = day == 1 ? 1 : 12;
        phone.Receive(bytes({0x41, 1, 5, 1, 18, 5, day, month, 0, 1, 0, 0, 0, 0, 0, 0}));
    }
    // outgoing 3.1 09:00 lies within a day ahead (a phone clock running fast): this year
    phone.Receive(bytes({0x42, 1, 5, 9, 0, 3, 1, 0, 1, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(log.records.size(), 4);
    EXPECT_EQ(log.records[0].Time.toQDateTime(), QDateTime(QDate(2027, 1, 1), QTime(18, 5)));
    EXPECT_EQ(log.records[1].Time.toQDateTime(), QDateTime(QDate(2026, 12, 31), QTime(18, 5)));
    EXPECT_EQ(log.records[2].Time.toQDateTime(), QDateTime(QDate(2026, 12, 30), QTime(18, 5)));
    EXPECT_EQ(log.records[3].Time.toQDateTime(), QDateTime(QDate(2027, 1, 3), QTime(9, 0)));

    // 29 February read on 1 March of a year after a leap year is last year's; a
    // date more than a day ahead is last year's too.
    const TDateTime march = TDateTime::fromQDateTime(QDateTime(QDate(2025, 3, 1), QTime(8, 0)));
    EXPECT_EQ(TPhone::RecordTime(march, 2, 29, 12, 0).toQDateTime(), QDateTime(QDate(2024, 2, 29), QTime(12, 0)));
    EXPECT_EQ(TPhone::RecordTime(march, 3, 3, 12, 0).toQDateTime(), QDateTime(QDate(2024, 3, 3), QTime(12, 0)));
    EXPECT_TRUE(TPhone::RecordTime(march, 2, 30, 12, 0).isZero());
    EXPECT_TRUE(TPhone::RecordTime(march, 3, 1, 24, 0).isZero());
}

TEST_F(Receiver, NumberDuringAnOutgoingCallLeavesTheCallAlone)
{
    rx({0x20});
    digits("5557");
    clock.advance(2000);
    const TDateTime start = phone.CallStart();
    log.take();
    rx({0x31, 4, 3, 9, 9, 9});
    EXPECT_EQ(PhoneNumberToText(phone.CurrentPhone(), true), "5557");
    EXPECT_EQ(phone.Category(), 0);
    EXPECT_EQ(phone.CallStart(), start);
    EXPECT_EQ(phone.State(), psOutgoingCall);
    EXPECT_TRUE(log.take().isEmpty());
    digits("123");
    rx({0x21});
    const QStringList events = log.take();
    ASSERT_TRUE(events.contains("EndCall ckOutgoing cpVrx 5557123 attr=1 cat=0")) << events.join('\n').toStdString();
}

TEST_F(Receiver, DisconnectWhileAPhoneCodeRequestIsPendingStillEndsTheCall)
{
    rx({0x31, 2, 3, 5, 5, 5});
    rx({0x22});
    rx({0x47, 0, 7, 0});                 // the firmware version asks for the phone code
    ASSERT_TRUE(phone.PhoneCodePending());
    log.take();
    phone.Disconnect();
    EXPECT_EQ(log.take(), (QStringList{"EndCall ckIncoming cpParallel 555 attr=2 cat=2", "LineFree",
                                       "StateChanged psOffline"}));
    EXPECT_FALSE(phone.PhoneCodePending());
}

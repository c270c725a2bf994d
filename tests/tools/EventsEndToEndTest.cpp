// konvelo-cli events against konvelo-phonesim over a real pseudo-terminal.
#include "EndToEndTest.h"

namespace {

const QString Waiting = QStringLiteral(R"({"event":"OnStateChanged","State":"psWaiting","ReceiverState":"rsDown"})");
const QString LineFree = QStringLiteral(R"({"event":"OnLineFree"})");

class EventsTest : public EndToEndTest {
protected:
    // Starts the simulator and the line monitor on it, and waits until the
    // simulator's scenario (its standard input) begins.
    bool startLine(const QStringList &simArgs = {}, const QStringList &cliExtra = {})
    {
        FSim = startSim(simArgs);
        if (!FSim || FSim->device().isEmpty())
            return false;
        QStringList args{QStringLiteral("events"), QStringLiteral("--port"), FSim->device()};
        if (!FCli.start(cliArgs(args + cliExtra)) || !waitForScenarioStart(*FSim))
            return false;
        // What the monitor printed on connecting is not part of any call.
        FCli.waitForLine([](const QString &) { return false; }, 300);
        return true;
    }
    // Plays the lines and returns the events they brought, up to the count of
    // OnLineFree given (identity chatter left out).
    QStringList play(const QString &lines, int lineFrees = 1, int timeoutMs = 15000)
    {
        const int before = int(FCli.eventLines().size());
        FSim->feed(lines);
        int seen = 0;
        FCli.waitForLine(
            [&](const QString &l) {
                return l == LineFree && ++seen >= lineFrees + countLineFrees(before);
            },
            timeoutMs);
        return FCli.eventLines().mid(before);
    }
    int countLineFrees(int upTo)
    {
        return int(FCli.eventLines().mid(0, upTo).count(LineFree));
    }
    QString endCallTime(const QStringList &events)
    {
        for (const QString &l : events)
            if (CliProcess::json(l).value(QStringLiteral("event")).toString() == QLatin1String("OnEndCall"))
                return CliProcess::json(l).value(QStringLiteral("Time")).toString();
        return {};
    }

    std::unique_ptr<PhoneSimProcess> FSim;
    CliProcess FCli;
};

TEST_F(EventsTest, IncomingCallsAnsweredOnAParallelSetUnansweredAndByTheAnsweringMachine)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine());

    const QStringList answered = play(QStringLiteral("ring\nnumber 1 5553412\nring\nwait 0.3\nlift-parallel\n"
                                                     "wait 1.5\nhangup"));
    EXPECT_EQ(withoutTimes(answered),
              QStringList({
                  R"({"event":"OnStateChanged","State":"psIncomingCall","ReceiverState":"rsDown"})",
                  R"({"event":"OnStartCall","CallKind":"ckIncoming","Number":"","Codes":[]})",
                  R"({"event":"OnGotPhoneNumber","Number":"5553412","Codes":[5,5,5,3,4,1,2]})",
                  R"({"event":"OnStartTalk","CallKind":"ckIncoming"})",
                  R"({"event":"OnEndCall","CallKind":"ckIncoming","CallPlace":"cpParallel","Time":"*","Number":"5553412","Codes":[5,5,5,3,4,1,2],"Attributes":["caParallel"],"Category":1})",
                  Waiting, LineFree}))
        << show(answered);
    // The call starts when it is answered, not when the line frees.
    const QDateTime lifted = sentAt(FSim->log(), QByteArray(1, char(0x22)));
    const QDateTime start = isoTime(endCallTime(answered));
    ASSERT_TRUE(start.isValid()) << show(answered);
    EXPECT_LT(std::abs(lifted.msecsTo(start)), 1000) << "lifted " << lifted.toString(Qt::ISODateWithMs).toStdString();

    // Nobody answers; the number comes first, so no OnGotPhoneNumber.
    const QStringList unanswered = play(QStringLiteral("number 2 5559876\nring\nwait 1\nhangup"));
    EXPECT_EQ(withoutTimes(unanswered),
              QStringList({
                  R"({"event":"OnStateChanged","State":"psIncomingCall","ReceiverState":"rsDown"})",
                  R"({"event":"OnStartCall","CallKind":"ckIncoming","Number":"5559876","Codes":[5,5,5,9,8,7,6]})",
                  R"({"event":"OnEndCall","CallKind":"ckIncoming","CallPlace":"cpUnknown","Time":"*","Number":"5559876","Codes":[5,5,5,9,8,7,6],"Attributes":["caNoTalk"],"Category":2})",
                  Waiting, LineFree}))
        << show(unanswered);
    // Nobody answered: the call's time is the moment the line freed.
    const QDateTime freed = sentAt(FSim->log(), QByteArray(1, char(0x21)), 1);
    EXPECT_LT(std::abs(freed.msecsTo(isoTime(endCallTime(unanswered)))), 1000);

    // The answering machine takes the call and the caller leaves a message; an
    // unrecognised digit shows as "?" and the empty number of a second 31 is kept.
    const QStringList machine = play(QStringLiteral("ring\nnumber 0 12?4\nanswering-machine\nmessage\nhangup"));
    EXPECT_EQ(withoutTimes(machine),
              QStringList({
                  R"({"event":"OnStateChanged","State":"psIncomingCall","ReceiverState":"rsDown"})",
                  R"({"event":"OnStartCall","CallKind":"ckIncoming","Number":"","Codes":[]})",
                  R"({"event":"OnGotPhoneNumber","Number":"12?4","Codes":[1,2,10,4]})",
                  R"({"event":"OnCallerMessage"})",
                  R"({"event":"OnEndCall","CallKind":"ckIncoming","CallPlace":"cpUnknown","Time":"*","Number":"12?4","Codes":[1,2,10,4],"Attributes":["caAutoAnswer","caNoTalk"],"Category":0})",
                  Waiting, LineFree}))
        << show(machine);
}

TEST_F(EventsTest, OutgoingCallsByDigitsAndTheRedialingPhone)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine({QStringLiteral("--digit-gap"), QStringLiteral("60")}));

    const QString dialling = QStringLiteral(R"({"event":"OnStateChanged","State":"psOutgoingCall","ReceiverState":"rsUp"})");
    const QStringList call = play(QStringLiteral("lift\nwait 0.2\ndial 5557788\nwait 1\nhangup"));
    EXPECT_EQ(withoutTimes(call),
              QStringList({
                  R"({"event":"OnReceiverUp"})",
                  R"({"event":"OnStartCall","CallKind":"ckOutgoing","Number":"","Codes":[]})",
                  dialling, dialling, dialling, dialling, dialling, dialling,
                  R"({"event":"OnStartTalk","CallKind":"ckOutgoing"})",
                  dialling,
                  R"({"event":"OnEndCall","CallKind":"ckOutgoing","CallPlace":"cpVrx","Time":"*","Number":"5557788","Codes":[5,5,5,7,7,8,8],"Attributes":["caVRX"],"Category":0})",
                  Waiting, LineFree}))
        << show(call);
    // An outgoing call starts at its last digit.
    const QDateTime seventh = sentAt(FSim->log(), QByteArray(1, char(8)), 1);
    ASSERT_TRUE(seventh.isValid());
    EXPECT_LT(std::abs(seventh.msecsTo(isoTime(endCallTime(call)))), 1000);

    // A line that frees with every receiver down reports no call.
    const QStringList nothing = play(QStringLiteral("dial 12\nhangup"));
    EXPECT_EQ(nothing.count(LineFree), 1) << show(nothing);
    EXPECT_FALSE(nothing.join(QString()).contains(QStringLiteral("OnEndCall"))) << show(nothing);

    // The phone redials the same number three times and nobody lifts: one call.
    const QStringList redials = play(QStringLiteral("repeat 3\nautodial 5551234\nwait 0.2\nhangup\nend"), 3);
    QStringList ends, numbered;
    for (const QString &l : redials) {
        if (l.contains(QStringLiteral("\"OnEndCall\"")))
            ends << withoutTime(l);
        if (l.startsWith(QStringLiteral(R"({"event":"OnStartCall","CallKind":"ckOutgoing","Number":"5551234")")))
            numbered << l;
    }
    EXPECT_EQ(ends, QStringList({R"({"event":"OnEndCall","CallKind":"ckOutgoing","CallPlace":"cpVrx","Time":"*","Number":"5551234","Codes":[5,5,5,1,2,3,4],"Attributes":["caVRX"],"Category":0})"}))
        << show(redials);
    EXPECT_EQ(numbered.size(), 1) << show(redials);
    EXPECT_EQ(redials.count(LineFree), 3);
}

TEST_F(EventsTest, BodyCutShortIsCompletedWithZerosAndTheNextCodeDecodedFresh)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine());
    // Seven codes announced, three sent; the line-free after the read time-out is a code again.
    const QStringList events = play(QStringLiteral("send 31 01 07 01 02 03\nwait 3\nhangup"));
    EXPECT_EQ(withoutTimes(events),
              QStringList({
                  R"({"event":"OnStateChanged","State":"psIncomingCall","ReceiverState":"rsDown"})",
                  R"({"event":"OnStartCall","CallKind":"ckIncoming","Number":"1230000","Codes":[1,2,3,0,0,0,0]})",
                  R"({"event":"OnEndCall","CallKind":"ckIncoming","CallPlace":"cpUnknown","Time":"*","Number":"1230000","Codes":[1,2,3,0,0,0,0],"Attributes":["caNoTalk"],"Category":1})",
                  Waiting, LineFree}))
        << show(events);
    // And the line still works.
    const QStringList next = play(QStringLiteral("number 4\nhangup"));
    EXPECT_EQ(next.value(1), QStringLiteral(R"({"event":"OnStartCall","CallKind":"ckIncoming","Number":"","Codes":[]})"))
        << show(next);
}

TEST_F(EventsTest, RepliesAndRecordsArriveAsEvents)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine({QStringLiteral("--ignore"), QStringLiteral("all")}));
    const int year = QDate::currentDate().year();
    FSim->feed(QStringLiteral(
        "send 44 01 02 03 04 0B\n"                                   // a four-digit individual number
        "send 45 00 01 02 0C 00 02 00 05 00 00\n"                    // parameter 300 = 5, 0
        "send 41 00 01 0E 07 05 03 00 01 1B 04 00 00 00 00\n"        // incoming record, no number
        "send 42 02 05 0A 25 00 01 01 00 00 00 01 00 00 00 00\n"     // outgoing, invalid date and duration
        "send 53 00 00 00 03 00 00 03 02\n"                          // talk of 50 quarter seconds in cell 3
        "hangup"));
    ASSERT_TRUE(FCli.waitForEvent(QStringLiteral("OnLineFree"), 15000)) << show(FCli.lines());
    const QStringList lines = FCli.lines();
    auto has = [&](const QString &l) { return lines.contains(l); };
    EXPECT_TRUE(has(R"({"event":"OnPhoneCode","PhoneCode":"1234"})")) << show(lines);
    EXPECT_TRUE(has(R"({"event":"ParamReceived","Address":300,"Values":[5,0]})")) << show(lines);
    EXPECT_TRUE(has(QStringLiteral(R"({"event":"OnPhoneRecord","CallKind":"ckIncoming","CallRec":{"Number":"","Time":"%1-03-05T14:07:00.000","Duration":"00:01:27","Flags":4,"Category":1}})")
                        .arg(year)))
        << show(lines);
    EXPECT_TRUE(has(R"({"event":"OnPhoneRecord","CallKind":"ckOutgoing","CallRec":{"Number":"5*","Time":null,"Duration":null,"Flags":1,"Category":0}})"))
        << show(lines);
    // 12.5 seconds round to the even neighbour.
    EXPECT_TRUE(has(R"({"event":"OnStartSendTalk","TalkKind":"tkInTalk","Length":12,"CellNo":3})")) << show(lines);
}

TEST_F(EventsTest, RobotModeHandsEveryByteOverAndLeavesTheState)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine({}, {QStringLiteral("--robot")}));
    FSim->feed(QStringLiteral("ring\nhangup\nsend 26"));
    ASSERT_TRUE(FCli.waitForLine([](const QString &l) { return l == QLatin1String(R"({"event":"RobotByte","Code":38})"); },
                                 10000))
        << show(FCli.lines());
    const QStringList events = FCli.eventLines();
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.mid(events.size() - 6), QStringList({Waiting, R"({"event":"RobotByte","Code":48})", Waiting,
                                   R"({"event":"RobotByte","Code":33})", Waiting,
                                   R"({"event":"RobotByte","Code":38})"}))
        << show(events);
}

// The one test that waits for the silence watchdog in real time.
TEST_F(EventsTest, SilentPhoneGoesOfflineAndComesBackWithClockSetting)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine());
    FSim->feed(QStringLiteral("hangup\nsilence 25\nring\nnumber 1 7\nhangup"));
    ASSERT_TRUE(FCli.waitForLine([](const QString &l) { return l.contains(QStringLiteral("\"psOffline\"")); }, 30000))
        << show(FCli.lines());
    ASSERT_TRUE(FCli.waitForLine(
        [](const QString &l) { return l.startsWith(QStringLiteral(R"({"event":"OnEndCall","CallKind":"ckIncoming")")); },
        20000))
        << show(FCli.lines());
    const QStringList events = FCli.eventLines();
    const int offline = int(events.indexOf(QStringLiteral(R"({"event":"OnStateChanged","State":"psOffline","ReceiverState":"rsDown"})")));
    ASSERT_GT(offline, 0) << show(events);
    // Gone: the line frees first, then the state goes offline; the first byte heard brings it back.
    EXPECT_EQ(events.at(offline - 1), LineFree) << show(events);
    EXPECT_EQ(events.value(offline + 1), Waiting) << show(events);
    EXPECT_EQ(events.value(offline + 2),
              QStringLiteral(R"({"event":"OnStateChanged","State":"psIncomingCall","ReceiverState":"rsDown"})"))
        << show(events);

    // Coming back, the program sets the phone's clock (it may still be on its way).
    bool clockAfter = false;
    int reopened = 0;
    for (QDeadlineTimer deadline(5000); !clockAfter && !deadline.hasExpired(); QThread::msleep(50)) {
        const SimWireLog log = FSim->log();
        qint64 backAt = 0;
        reopened = 0;
        for (const SimWireLog::Entry &e : log.entries()) {
            reopened += e.tag == QLatin1String("NOTE") && e.text == QLatin1String("device opened by the program");
            if (e.tag == QLatin1String("TX") && e.bytes == QByteArray(1, char(0x30)))
                backAt = e.msecs;
            clockAfter = clockAfter
                || (backAt && e.tag == QLatin1String("CMD") && e.bytes.startsWith(char(0x91)) && e.msecs >= backAt);
        }
    }
    // While offline the program closed and reopened the line.
    EXPECT_GE(reopened, 2);
    EXPECT_TRUE(clockAfter);
}

}

namespace {

// The second and last test on the watchdog's real time: the simulator is killed
// in the middle of a call dialled on the phone, like a USB adapter pulled out.
TEST_F(EventsTest, VanishedPortEndsTheCallInProgressAndTheMonitorKeepsRunning)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine({QStringLiteral("--digit-gap"), QStringLiteral("20")}));
    FSim->feed(QStringLiteral("lift\ndial 123"));
    ASSERT_TRUE(FCli.waitForLine([](const QString &l) { return l.contains(QStringLiteral("psOutgoingCall")); }, 10000));
    QThread::msleep(300);
    FSim->kill();
    ASSERT_TRUE(FCli.waitForLine([](const QString &l) { return l.contains(QStringLiteral("\"psOffline\"")); }, 35000))
        << show(FCli.lines());
    const QStringList events = FCli.eventLines();
    ASSERT_GE(events.size(), 3);
    EXPECT_EQ(withoutTimes(events.mid(events.size() - 3)),
              QStringList({LineFree,
                           R"({"event":"OnEndCall","CallKind":"ckOutgoing","CallPlace":"cpVrx","Time":"*","Number":"123","Codes":[1,2,3],"Attributes":["caVRX"],"Category":0})",
                           R"({"event":"OnStateChanged","State":"psOffline","ReceiverState":"rsDown"})"}))
        << show(events);
    // Still running, reopening in vain; a Ctrl-C ends it in order.
    EXPECT_FALSE(FCli.waitForFinished(1000));
    FCli.interrupt();
    ASSERT_TRUE(FCli.waitForFinished(5000));
    EXPECT_FALSE(FCli.crashed());
    EXPECT_EQ(FCli.exitCode(), 0);
}

TEST_F(EventsTest, DialledNumberRuleFollowsItsOptions)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine({QStringLiteral("--digit-gap"), QStringLiteral("20")},
                          {QStringLiteral("--regional-length"), QStringLiteral("3"), QStringLiteral("--prefix"),
                           QStringLiteral("9")}));
    const QString talk = QStringLiteral(R"({"event":"OnStartTalk","CallKind":"ckOutgoing"})");
    const QStringList local = play(QStringLiteral("lift\ndial 123\nwait 0.3\nhangup"));
    EXPECT_EQ(local.count(talk), 1) << show(local);
    EXPECT_LT(local.indexOf(talk), local.lastIndexOf(QRegularExpression(QStringLiteral(".*psOutgoingCall.*"))))
        << "complete at the third digit" << show(local);
    // A number that starts with the prefix is never complete by its length.
    const QStringList longDistance = play(QStringLiteral("lift\ndial 912\nwait 0.3\nhangup"));
    EXPECT_EQ(longDistance.count(talk), 0) << show(longDistance);
    EXPECT_TRUE(longDistance.join(QString()).contains(QStringLiteral(R"("Number":"912")"))) << show(longDistance);
}

// The firmware reply makes the program ask for the individual number at once; the
// answer arrives while the program is still handling the firmware reply, and
// must be decoded without waiting for any later byte.
TEST_F(EventsTest, FirmwareReplyLeadsToTheIndividualNumber)
{
    REQUIRE_CLI("events");
    ASSERT_TRUE(startLine({QStringLiteral("--code"), QStringLiteral("54321")}));
    FSim->feed(QStringLiteral("send 47 00 06 0E"));
    EXPECT_TRUE(FCli.waitForLine(
        [](const QString &l) { return CliProcess::json(l).value(QStringLiteral("FirmwareVersion")).toInt() == 110; },
        5000))
        << show(FCli.lines());
    EXPECT_TRUE(FCli.waitForLine(
        [](const QString &l) { return l == QLatin1String(R"({"event":"OnPhoneCode","PhoneCode":"54321"})"); }, 5000))
        << show(FCli.lines());
    EXPECT_EQ(FSim->log().countCommands(0x95), 1);
}

}

// Copying the calls the phone remembers into the journals after start-up.
#include "CallTestLine.h"
#include "tools/SimWireLog.h"
#include <QDate>
#include <QFile>

namespace {

TDateTime at(int month, int day, int h, int m, int s = 0, int ms = 0)
{
    return TDateTime::fromQDateTime(QDateTime(QDate(QDate::currentDate().year(), month, day), QTime(h, m, s, ms)));
}

TDateTime duration(int m, int s)
{
    return TDateTime::fromTime(QTime(0, m, s));
}

TCallRec rec(const QString &number, TDateTime time, TDateTime length)
{
    TCallRec r;
    r.Number = number;
    r.Time = time;
    r.Duration = length;
    return r;
}

class MemoryReadTest : public CallTestLine {
protected:
    // The newest incoming row: 1 January, 10:00:30, 5551000, one minute; the
    // program last closed just before it.
    void addReferenceRow()
    {
        FConfig->LastOff = at(1, 1, 10, 0);
        TInCall c;
        c.Phone = QStringLiteral("5551000");
        c.Time = at(1, 1, 10, 0, 30);
        c.Length = duration(1, 0);
        c.Category = 1;
        FIn->AddCall(c);
    }
    QString writeMemory(const QStringList &lines)
    {
        const QString file = path(QStringLiteral("memory.txt"));
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(lines.join(QLatin1Char('\n')).toUtf8() + "\n");
        return file;
    }
    bool readMemory()
    {
        FHandler->TakeNewestCalls();
        if (!FHandler->StartMemoryRead())
            return false;
        return spinUntil([this] { return !FHost.MemoryReadActive; }, 15000);
    }
    QStringList phones(const QList<QVariantMap> &rows) const
    {
        QStringList r;
        for (const QVariantMap &m : rows)
            r << m.value("Phone").toString();
        return r;
    }

    const QStringList Memory{
        QStringLiteral("in 01.01 12:00 0:00:30 4 1 5551003"),
        QStringLiteral("in 01.01 11:30 0:00:00 4 1 5551002"),
        QStringLiteral("in 01.01 11:00 0:01:00 10 2 5551001"),
        QStringLiteral("in 01.01 09:00 0:00:20 0 1 5550999"),
        QStringLiteral("in 01.01 08:00 0:00:20 0 1 5550998"),
        QStringLiteral("out 01.01 12:30 0:02:00 1 0 5552001"),
        QStringLiteral("out 01.01 11:45 0:00:40 4 0 5552000"),
    };
};

TEST_F(MemoryReadTest, ThreeNewIncomingCallsThenAnOlderOneThenTheOutgoingMemory)
{
    addReferenceRow();
    ASSERT_TRUE(startLine({QStringLiteral("--memory"), writeMemory(Memory)}));
    ASSERT_TRUE(readMemory());

    const QList<QVariantMap> in = inRows();
    ASSERT_EQ(phones(in), QStringList({"5551000", "5551003", "5551002", "5551001"}));
    EXPECT_EQ(in[1].value("FileName").toString(), QStringLiteral("+"));
    EXPECT_TRUE(in[2].value("FileName").toString().isEmpty());   // talk flag but no length
    EXPECT_EQ(in[3].value("MessageFileName").toString(), QStringLiteral("+"));
    EXPECT_EQ(in[3].value("AutoAnswer").toInt(), 1);
    EXPECT_EQ(in[3].value("Category").toInt(), 2);
    EXPECT_DOUBLE_EQ(in[1].value("Time").toDouble(), at(1, 1, 12, 0).value());
    EXPECT_NEAR(in[1].value("Length").toDouble(), duration(0, 30).value(), 1e-9);

    const QList<QVariantMap> out = outRows();
    ASSERT_EQ(phones(out), QStringList({"5552001", "5552000"}));
    EXPECT_EQ(out[0].value("Attributes").toInt(), 2);   // made on a parallel set
    EXPECT_EQ(out[1].value("Attributes").toInt(), 1);
    EXPECT_EQ(out[1].value("FileName").toString(), QStringLiteral("+"));

    // Incoming cells 0..3, then the outgoing memory from cell 0 until its first empty cell.
    const SimWireLog log = FSim->log();
    EXPECT_EQ(log.commandsStartingWith(QByteArray("\x92", 1)).size(), 4);
    const QList<QByteArray> outgoing = log.commandsStartingWith(QByteArray("\x93", 1));
    ASSERT_EQ(outgoing.size(), 3);
    EXPECT_EQ(outgoing.first(), QByteArray("\x93\x00\x00\x00\x00", 5));

    EXPECT_TRUE(FView.SplashTexts.contains(QStringLiteral("Запрос информации о звонках")));
    EXPECT_TRUE(FView.SplashTexts.contains(QStringLiteral("Входящий звонок от ") + at(1, 1, 12, 0).toShortDateString()
                                           + QStringLiteral(" 12:00:00")));
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("close splash")));
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("show main window")));
}

TEST_F(MemoryReadTest, RepeatedRequestsAddEveryCellOnce)
{
    // The firmware is not yet known: the first request goes out as 9C, and model
    // detection's 9D asks for the firmware once more. Replies come slower than
    // the 400 ms retries, so every cell is asked for more than once.
    addReferenceRow();
    ASSERT_TRUE(startLine({QStringLiteral("--memory"), writeMemory(Memory), QStringLiteral("--reply-delay"),
                           QStringLiteral("450")}));
    FHandler->TakeNewestCalls();
    ASSERT_TRUE(FHandler->StartMemoryRead());
    FPhone->SendCommandByte(0x9D);
    ASSERT_TRUE(spinUntil([this] { return !FHost.MemoryReadActive; }, 30000));
    EXPECT_EQ(phones(inRows()), QStringList({"5551000", "5551003", "5551002", "5551001"}));
    EXPECT_EQ(phones(outRows()), QStringList({"5552001", "5552000"}));
}

TEST_F(MemoryReadTest, TwoMissedCallsFromOneCallerWithinAMinuteAreTwoCalls)
{
    addReferenceRow();
    ASSERT_TRUE(startLine({QStringLiteral("--memory"),
                           writeMemory({QStringLiteral("in 01.01 12:00 0:00:00 0 1 5551003"),
                                        QStringLiteral("in 01.01 12:00 0:00:00 0 1 5551003"),
                                        QStringLiteral("in 01.01 09:00 0:00:20 0 1 5550999")})}));
    ASSERT_TRUE(readMemory());
    EXPECT_EQ(phones(inRows()), QStringList({"5551000", "5551003", "5551003"}));

    // An outgoing record while the incoming memory is read belongs to no cell asked for.
    FSession.StartMemoryRead();
    for (int cell = 0; cell < 3; ++cell)
        FSession.NextMemoryCell();
    FHandler->PhoneRecord(ckOutgoing, rec(QStringLiteral("5552001"), at(1, 1, 12, 30), duration(2, 0)));
    EXPECT_TRUE(outRows().isEmpty());
    EXPECT_EQ(FHost.MemoryReadCell, 3);
    FSession.StopMemoryRead();
}

TEST_F(MemoryReadTest, SameCallRules)
{
    const int regional = 7;
    const TCallRec ref = rec(QStringLiteral("5551234"), at(3, 5, 10, 15, 40), duration(1, 23));

    // Seven digits: 1:27 against 1:23 is the same call; so is any longer record of
    // that number and minute (the row of a call cut short when the program
    // closed); 1:11 is new and moves just after the row.
    TCallRec r = rec(QStringLiteral("5551234"), at(3, 5, 10, 15), duration(1, 27));
    EXPECT_FALSE(TCallHandler::IsNewRecord(r, ref, regional));
    r = rec(QStringLiteral("5551234"), at(3, 5, 10, 15), duration(1, 31));
    EXPECT_FALSE(TCallHandler::IsNewRecord(r, ref, regional));
    r = rec(QStringLiteral("5551234"), at(3, 5, 10, 15), duration(14, 0));
    EXPECT_FALSE(TCallHandler::IsNewRecord(r, ref, regional));
    r = rec(QStringLiteral("5551234"), at(3, 5, 10, 15), duration(1, 11));
    EXPECT_TRUE(TCallHandler::IsNewRecord(r, ref, regional));
    EXPECT_NEAR((r.Time - ref.Time) * TDateTime::MSecsPerDay, 1.0, 1e-3);

    // Five digits: ten seconds more of the row's length still match, ten less do not.
    const TCallRec shortRef = rec(QStringLiteral("51234"), at(3, 5, 10, 15, 40), duration(1, 23));
    r = rec(QStringLiteral("51234"), at(3, 5, 10, 15), duration(1, 25));
    EXPECT_FALSE(TCallHandler::IsNewRecord(r, shortRef, regional));
    r = rec(QStringLiteral("51234"), at(3, 5, 10, 15), duration(1, 13));
    EXPECT_TRUE(TCallHandler::IsNewRecord(r, shortRef, regional));

    // Another number in the same minute is new; a whole minute later is new whatever
    // it holds, a whole minute earlier is old; a cell without a date is no call.
    r = rec(QStringLiteral("5559999"), at(3, 5, 10, 15), duration(1, 23));
    EXPECT_TRUE(TCallHandler::IsNewRecord(r, ref, regional));
    r = rec(QStringLiteral("5551234"), at(3, 5, 10, 17), duration(1, 23));
    EXPECT_TRUE(TCallHandler::IsNewRecord(r, ref, regional));
    EXPECT_EQ(r.Time, at(3, 5, 10, 17));
    r = rec(QStringLiteral("5559999"), at(3, 5, 10, 14), duration(1, 23));
    EXPECT_FALSE(TCallHandler::IsNewRecord(r, ref, regional));
    r = rec(QString(), TDateTime(), TDateTime());
    EXPECT_FALSE(TCallHandler::IsNewRecord(r, TCallRec(), regional));
}

TEST_F(MemoryReadTest, ACallCutShortByTheCloseIsNotCopiedAgain)
{
    // The phone never answers the phone-code request, so one is pending at the close.
    ASSERT_TRUE(startLine({QStringLiteral("--ignore"), QStringLiteral("95")}));
    ASSERT_TRUE(play(QStringLiteral("number 1 5553412\nring\nwait 0.2\nlift"),
                     [this] { return FPhone->ReceiverState() == rsUp; }));
    FPhone->RequestPhoneCode();
    ASSERT_TRUE(FPhone->PhoneCodePending());
    spin(1200);
    FPhone->Disconnect();   // what the close does with a call on the line
    ASSERT_EQ(phones(inRows()), QStringList({"5553412"}));
    const QDateTime start = TDateTime(inRows().first().value("Time").toDouble()).toQDateTime();
    EXPECT_GT(inRows().first().value("Length").toDouble() * 86400.0, 1.0);
    FSim->stop();

    // The next start: the phone's record of that call has its whole length.
    const QString day = start.toString(QStringLiteral("dd.MM HH:mm"));
    ASSERT_TRUE(startLine({QStringLiteral("--memory"),
                           writeMemory({QStringLiteral("in %1 0:03:10 0 1 5553412").arg(day)})}));
    ASSERT_TRUE(readMemory());
    EXPECT_EQ(phones(inRows()), QStringList({"5553412"}));
}

TEST_F(MemoryReadTest, EmptyJournalsTakeCallsSinceTheLastExit)
{
    FConfig->LastOff = at(1, 1, 11, 50);
    ASSERT_TRUE(startLine({QStringLiteral("--memory"), writeMemory(Memory)}));
    ASSERT_TRUE(readMemory());
    EXPECT_EQ(FHandler->NewestInCall.Time, FConfig->LastOff);
    EXPECT_EQ(FHandler->NewestOutCall.Time, FConfig->LastOff);
    EXPECT_EQ(phones(inRows()), QStringList({"5551003"}));
    // The outgoing calls a clearing removed stay out.
    EXPECT_EQ(phones(outRows()), QStringList({"5552001"}));
}

TEST_F(MemoryReadTest, NoRequestWithAskForCallsOff)
{
    FConfig->AskForCalls = false;
    ASSERT_TRUE(startLine({QStringLiteral("--memory"), writeMemory(Memory)}));
    EXPECT_FALSE(FHandler->StartMemoryRead());
    EXPECT_FALSE(FHost.MemoryReadActive);
    spin(300);
    const SimWireLog log = FSim->log();
    EXPECT_EQ(log.countCommands(0x92), 0);
    EXPECT_EQ(log.countCommands(0x9C), 0);
    EXPECT_TRUE(inRows().isEmpty());
}

TEST_F(MemoryReadTest, ThePhoneFallingSilentEndsTheReadWithTheRowsReadSoFar)
{
    addReferenceRow();
    ASSERT_TRUE(startLine({QStringLiteral("--memory"), writeMemory(Memory), QStringLiteral("--ignore"),
                           QStringLiteral("93")}));
    FHandler->TakeNewestCalls();
    ASSERT_TRUE(FHandler->StartMemoryRead());
    ASSERT_TRUE(spinUntil([this] { return FHost.MemoryReadKind == 1; }, 10000));
    EXPECT_TRUE(FHost.MemoryReadActive);
    EXPECT_FALSE(FView.Log.contains(QStringLiteral("show main window")));
    // The phone link resends the request every 400 ms and gives up after the
    // eleventh resend; the read ends there.
    ASSERT_TRUE(spinUntil([this] { return !FHost.MemoryReadActive; }, 10000));
    EXPECT_EQ(FSim->log().commandsStartingWith(QByteArray("\x93", 1)).size(), 12);
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("close splash")));
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("show main window")));
    EXPECT_EQ(inRows().size(), 4);
    EXPECT_TRUE(outRows().isEmpty());
    // The phone's clock is set at the end of the read.
    EXPECT_TRUE(spinUntil([this] { return FSim->log().countCommands(0x91) > 0; }, 2000));
}

} // namespace

// The phone session: what the phone link delivers besides the line events
// reaches its owner, and the session state changes only through its operations.
#include "app/TPhoneSession.h"
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(PhoneSession, DeliveriesReachTheirOwners)
{
    TPhoneSession session;
    TPhoneHost &host = *session.Host();   // as the phone link sees it
    QSignalSpy params(&session, &TPhoneSession::ParamValueReceived);
    QSignalSpy replies(&session, &TPhoneSession::TalkSearchReplied);
    QSignalSpy givenUp(&session, &TPhoneSession::TalkSearchGivenUp);
    QSignalSpy identity(&session, &TPhoneSession::IdentityChanged);
    QSignalSpy firmware(&session, &TPhoneSession::FirmwareKnown);
    QSignalSpy splash(&session, &TPhoneSession::SplashCloseWanted);

    host.ParamReceived(0x0123, {7, 9});
    ASSERT_EQ(params.size(), 1);
    EXPECT_EQ(params.at(0).at(0).value<quint16>(), 0x0123);
    EXPECT_EQ(params.at(0).at(1).value<QList<quint16>>(), (QList<quint16>{7, 9}));
    host.TalkSearchReply(0x56, 2, QByteArray(24, '\1'));
    ASSERT_EQ(replies.size(), 1);
    EXPECT_EQ(replies.at(0).at(1).toInt(), 2);
    EXPECT_EQ(replies.at(0).at(2).toByteArray().size(), 24);
    host.FinishTalkSearch();
    host.IdentityReceived();
    host.UpdateFirmwareCommands();
    host.CloseSplash();
    EXPECT_EQ(givenUp.size(), 1);
    EXPECT_EQ(identity.size(), 1);
    EXPECT_EQ(firmware.size(), 1);
    EXPECT_EQ(splash.size(), 1);

    // Without a call handler the end of the memory read still ends it.
    session.StartMemoryRead();
    host.EndMemoryRead();
    EXPECT_FALSE(session.Flags().MemoryReadActive);
}

TEST(PhoneSession, MemoryReadAndTransferState)
{
    TPhoneSession session;
    session.StartMemoryRead();
    session.NextMemoryCell();
    session.NextMemoryCell();
    EXPECT_TRUE(session.Flags().MemoryReadActive);
    EXPECT_EQ(session.Flags().MemoryReadKind, 0);
    EXPECT_EQ(session.Flags().MemoryReadCell, 2);
    session.MemoryReadOutgoing();
    EXPECT_EQ(session.Flags().MemoryReadKind, 1);
    EXPECT_EQ(session.Flags().MemoryReadCell, 0);

    TInBookMarks in;
    in.Call_ID = 5;
    TOutBookMarks out;
    out.Call_ID = 9;
    session.StartTalkTransfer({in}, {out}, 0);
    EXPECT_TRUE(session.Flags().TalkTransferActive);
    session.SetBookMarkCallId(ckIncoming, 0, 15);
    session.SetBookMarkCallId(ckOutgoing, 0, 19);
    session.SetBookMarkCallId(ckOutgoing, 3, 99);   // no such bookmark: nothing changes
    EXPECT_EQ(session.Flags().InBookMarks.at(0).Call_ID, 15);
    EXPECT_EQ(session.Flags().OutBookMarks.at(0).Call_ID, 19);
    EXPECT_EQ(session.Flags().OutBookMarks.size(), 1);

    // The start-up forgets searches, transfers and the identity.
    session.Host()->Identity.FirmwareVersion = 0x123;
    session.ResetLink();
    EXPECT_FALSE(session.Flags().TalkTransferActive);
    EXPECT_EQ(session.Flags().Identity.FirmwareVersion, 0);
}

} // namespace

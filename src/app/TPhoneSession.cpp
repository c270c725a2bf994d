#include "TPhoneSession.h"
#include "TCallHandler.h"
#include "phone/TPhoneDetection.h"
#include <QCoreApplication>

TPhoneSession::TPhoneSession(QObject *parent) : QObject(parent) {}

void TPhoneSession::ResetLink()
{
    TalkSearchActive = false;
    TalkTransferActive = false;
    Identity = TPhoneIdentity();
}

void TPhoneSession::StartMemoryRead()
{
    MemoryReadActive = true;
    MemoryReadCell = 0;
    MemoryReadKind = 0;
}

void TPhoneSession::MemoryReadOutgoing()
{
    MemoryReadKind = 1;
    MemoryReadCell = 0;
}

void TPhoneSession::StartTalkTransfer(const QList<TInBookMarks> &In, const QList<TOutBookMarks> &Out, int Index)
{
    InBookMarks = In;
    OutBookMarks = Out;
    TalkSearchIndex = Index;
    TalkTransferActive = true;
}

void TPhoneSession::SetBookMarkCallId(TCallKind Kind, int Index, int CallId)
{
    if (Kind == ckIncoming && Index >= 0 && Index < InBookMarks.size())
        InBookMarks[Index].Call_ID = CallId;
    else if (Kind == ckOutgoing && Index >= 0 && Index < OutBookMarks.size())
        OutBookMarks[Index].Call_ID = CallId;
}

void TPhoneSession::StartModelDetection()
{
    if (FDetection)
        FDetection->StartModelDetection();
}

void TPhoneSession::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TPhoneSession::CloseSplash()
{
    emit SplashCloseWanted();
}

void TPhoneSession::RefreshPhoneInfo()
{
    if (FDetection && FDetection->InfoShowing && FDetection->InfoShowing())
        FDetection->ShowPhoneIdentity();
}

void TPhoneSession::UpdateFirmwareCommands()
{
    emit FirmwareKnown();
}

void TPhoneSession::IdentityReceived()
{
    emit IdentityChanged();
}

void TPhoneSession::EndMemoryRead()
{
    if (FCallHandler)
        FCallHandler->EndMemoryRead();
    else
        MemoryReadActive = false;
}

void TPhoneSession::FinishTalkSearch()
{
    emit TalkSearchGivenUp();
}

void TPhoneSession::ParamReceived(quint16 Address, const QList<quint16> &Values)
{
    emit ParamValueReceived(Address, Values);
}

void TPhoneSession::TalkSearchReply(uint8_t Code, int Count, const QByteArray &Entries)
{
    emit TalkSearchReplied(Code, Count, Entries);
}

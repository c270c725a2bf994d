#include "TTalkRecording.h"
#include "TTalkTransferSteps.h"
#include "audio/TGSMRecorder.h"
#include "phone/TPhone.h"
#include "phone/TPhoneHost.h"
#include <QEventLoop>
#include <QScopeGuard>
#include <QTimer>

TTalkRecording::TTalkRecording(TPhone &Phone, TPhoneHost &Host, TIncomingCallBook &InCalls,
                               TOutgoingCallBook &OutCalls, TGSMRecorder &Recorder, QObject *parent)
    : QObject(parent), FPhone(Phone), FHost(Host), FInCalls(InCalls), FOutCalls(OutCalls), FRecorder(Recorder)
{
}

void TTalkRecording::StartRecordTalk(const QString &FileName)
{
    if (FRecorder.State() != rsWaiting)
        FRecorder.Stop();
    FRecorder.SetFileName(FileName);
    FRecorder.Start();
    FFile = FRecorder.State() == rsRecording ? FRecorder.FileName() : QString();
}

void TTalkRecording::StopRecordTalk()
{
    // The pause below lets messages run: an end byte or an overrun cut arriving
    // meanwhile belongs to this same talk.
    if (FStopping)
        return;
    FStopping = true;
    const QScopeGuard done([this] { FStopping = false; });
    const bool intact = FRecorder.State() == rsRecording && FRecorder.FileName() == FFile;
    FRecorder.Stop();
    const QString file = FFile;
    FFile.clear();
    if (!FHost.TalkTransferActive) {
        emit TransferFinished();
        return;
    }
    // The phone's sound fades out before the next request.
    QEventLoop pause;
    QTimer::singleShot(500, &pause, &QEventLoop::quit);
    pause.exec();
    if (!FHost.TalkTransferActive) {
        emit TransferFinished();
        return;
    }
    emit TransferTalkEnded();
    if (!file.isEmpty() && intact)
        TTalkTransferSteps::WriteTransferredFile(FHost, FInCalls, FOutCalls, TransferKind, file);
    if (!TTalkTransferSteps::RequestNextTalk(FPhone, FHost, TransferKind, TransferCell)) {
        FHost.TalkTransferActive = false;
        emit TransferFinished();
    }
}

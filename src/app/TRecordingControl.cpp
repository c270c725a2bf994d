#include "TRecordingControl.h"
#include "ICallView.h"
#include "TPhoneSession.h"
#include "audio/TGSMRecorder.h"
#include "audio/TSoundControl.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "transfer/TTalkTransferSteps.h"
#include <QDir>
#include <QScopeGuard>
#include <QFileInfo>
#include <exception>

using namespace TPersonAttributes;

TRecordingControl::TRecordingControl(TPhone &Phone, TPhoneSession &Session, TConfig &Config,
                                     TAddressBook &AddressBook, TIncomingCallBook &InCalls,
                                     TOutgoingCallBook &OutCalls, TGSMRecorder &Recorder, TSoundControl &Sound,
                                     ICallView &View)
    : Clock([] { return QDateTime::currentDateTime(); }), FPhone(Phone), FSession(Session), FConfig(Config),
      FAddressBook(AddressBook), FInCalls(InCalls), FOutCalls(OutCalls), FRecorder(Recorder), FSound(Sound),
      FView(View)
{
}

bool TRecordingControl::RecordingWanted(TCallKind Kind, const QString &NumberText)
{
    const bool base = Kind == ckIncoming ? FConfig.RecordIncomingCalls : FConfig.RecordOutgoingCalls;
    if (NumberText.isEmpty() || !FAddressBook.FindPhone(NumberText))
        return base;
    const int attributes = FAddressBook.CurrentAttributes();
    if (attributes & AlwaysRecord)
        return true;
    if (attributes & NeverRecord)
        return false;
    return base;
}

QString TRecordingControl::RecordFileName(const QString &Folder, TCallKind Kind, const QString &NumberText,
                                          const QDateTime &At)
{
    QString name = (Kind == ckIncoming ? QStringLiteral("In_") : QStringLiteral("Out_"))
                   + At.toString(QStringLiteral("dd.MM.yyyy H:mm:ss")) + QLatin1Char(' ') + NumberText;
    name.replace(QLatin1Char(':'), QLatin1Char('_'));
    name.replace(QLatin1Char('?'), QLatin1Char('-'));
    QString folder = QDir::toNativeSeparators(Folder);
    while (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return folder + QDir::separator() + name + QStringLiteral(".wav");
}

QString TRecordingControl::PrepareRecordFile(TCallKind Kind, const QString &NumberText)
{
    QString name = RecordFileName(FConfig.RecordsDirectory, Kind, NumberText, Clock());
    // Two recordings of one call within a second (a message, then the talk) must
    // not share a file.
    const QString stem = name.chopped(4);
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("_%1.wav").arg(n);
    // A failure here leaves the recorder's own start to fail.
    QDir().mkpath(FConfig.RecordsDirectory);
    FRecorder.SetFileName(name);
    if (FRecorder.FileName() != name)
        return {};
    return name;
}

void TRecordingControl::StartRecordTalk(const QString &FileName)
{
    // The recorder takes a name only while idle: stop the running recording first.
    if (FRecorder.State() != rsWaiting)
        FRecorder.Stop();
    FRecorder.SetFileName(FileName);
    FRecorder.Start();
    TransferFile = FRecorder.State() == rsRecording ? FRecorder.FileName() : QString();
}

void TRecordingControl::StopRecordTalk()
{
    // The pause below lets messages run: an end byte or an overrun cut arriving
    // meanwhile belongs to this same talk.
    if (FStopping)
        return;
    FStopping = true;
    const QScopeGuard done([this] { FStopping = false; });
    // A recorder that stopped by itself (the sound device went) left the talk short.
    const bool intact = FRecorder.State() == rsRecording && FRecorder.FileName() == TransferFile;
    FRecorder.Stop();
    const QString file = TransferFile;
    TransferFile.clear();
    if (FPhone.PhoneRobotMode())
        return;
    FView.Wait(500);
    if (!FSession.Flags().TalkTransferActive) {
        finishTransfer();
        return;
    }
    emit TransferTalkEnded();
    if (!file.isEmpty() && intact)
        TTalkTransferSteps::WriteTransferredFile(*FSession.Host(), FInCalls, FOutCalls, TransferKind, file);
    if (!TTalkTransferSteps::RequestNextTalk(FPhone, *FSession.Host(), TransferKind, TransferCell))
        finishTransfer();
}

void TRecordingControl::finishTransfer()
{
    FSession.StopTalkTransfer();
    emit TransferFinished();
}

void TRecordingControl::RecordButtonsForTalk()
{
    FView.EnableRecordButton(true);
    FView.EnablePlayerButtons(false);
    if (FConfig.NoMessageOnTalk && FSound.Playing())
        FSound.StopSound();
}

void TRecordingControl::RecordButtonsIdle()
{
    FView.SetRecordButtonDown(false);
    FView.EnableRecordButton(false);
    FView.EnablePlayerButtons(true);
    FView.RefreshPlayerButtons();
}

void TRecordingControl::RecordButtonClick()
{
    switch (FRecorder.State()) {
    case rsWaiting:
        FView.EnablePlayButton(false);
        FView.SetRecordButtonDown(true);
        FRecorder.Start();
        if (FRecorder.State() != rsRecording)
            FView.SetRecordButtonDown(false);   // nothing is recorded: do not show it pressed
        break;
    case rsPaused:
        FRecorder.Resume();
        FView.SetRecordButtonDown(true);
        break;
    case rsRecording:
        FRecorder.Pause();
        FView.SetRecordButtonDown(false);
        break;
    }
}

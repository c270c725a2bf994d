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
#include <QDir>
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
    if (!file.isEmpty())
        writeTransferredFile(file);
    if (!requestNextTalk())
        finishTransfer();
}

void TRecordingControl::writeTransferredFile(const QString &File)
{
    const TPhoneHost &host = FSession.Flags();
    const int index = host.TalkSearchIndex;
    const bool incoming = TransferKind != tkOutTalk;
    const TCallKind kind = incoming ? ckIncoming : ckOutgoing;
    try {
        if (incoming) {
            if (index < 0 || index >= host.InBookMarks.size())
                return;
            const TInBookMarks &mark = host.InBookMarks.at(index);
            const QVariantList row = FInCalls.rowByKey(mark.Call_ID);
            if (row.isEmpty())
                return;
            const TTableSchema &schema = FInCalls.schema();
            QString talk = row.at(schema.fieldIndex(QStringLiteral("FileName"))).toString();
            QString message = row.at(schema.fieldIndex(QStringLiteral("MessageFileName"))).toString();
            (TransferKind == tkInMessage ? message : talk) = File;
            if (const qint64 id = FInCalls.ReplaceFileNames(mark.Call_ID, talk, message))
                FSession.SetBookMarkCallId(kind, index, int(id));
        } else {
            if (index < 0 || index >= host.OutBookMarks.size())
                return;
            const TOutBookMarks &mark = host.OutBookMarks.at(index);
            if (const qint64 id = FOutCalls.ReplaceFileName(mark.Call_ID, File))
                FSession.SetBookMarkCallId(kind, index, int(id));
        }
    } catch (const std::exception &) {
        // The transfer goes on with the next talk.
    }
}

bool TRecordingControl::requestNextTalk()
{
    const TPhoneHost &host = FSession.Flags();
    int start = host.TalkSearchIndex + 1;
    if (TransferKind != tkOutTalk) {
        for (int i = qMax(0, start); i < host.InBookMarks.size(); ++i) {
            const TInBookMarks &mark = host.InBookMarks.at(i);
            if (mark.CellNo < 0)
                continue;
            FSession.SetTalkSearchIndex(i);
            TransferCell = mark.CellNo;
            FPhone.RequestTalkSend(mark.MessageFileName == QLatin1String("+") ? 0x84 : 0x83,
                                   quint16(TransferCell));
            return true;
        }
        start = 0;   // the incoming bookmarks are used up: the outgoing ones from the first
    }
    for (int i = qMax(0, start); i < host.OutBookMarks.size(); ++i) {
        const TOutBookMarks &mark = host.OutBookMarks.at(i);
        if (mark.CellNo < 0)
            continue;
        FSession.SetTalkSearchIndex(i);
        TransferCell = mark.CellNo;
        FPhone.RequestTalkSend(0x85, quint16(TransferCell));
        return true;
    }
    return false;
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

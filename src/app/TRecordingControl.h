#pragma once
// Which talks are recorded, the names of their files, the record button, and
// the end of each talk transferred from the phone's memory.
#include "common/PhoneTypes.h"
#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

class ICallView;
class TAddressBook;
class TConfig;
class TGSMRecorder;
class TIncomingCallBook;
class TOutgoingCallBook;
class TPhone;
class TPhoneSession;
class TSoundControl;

class TRecordingControl : public QObject {
    Q_OBJECT
public:
    TRecordingControl(TPhone &Phone, TPhoneSession &Session, TConfig &Config, TAddressBook &AddressBook,
                      TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls, TGSMRecorder &Recorder,
                      TSoundControl &Sound, ICallView &View);

    // The recording rule for a call with this number text.
    bool RecordingWanted(TCallKind Kind, const QString &NumberText);
    // <records folder><separator>In_|Out_<date> <time> <number>.wav, ":" as "_" and "?" as "-".
    static QString RecordFileName(const QString &Folder, TCallKind Kind, const QString &NumberText,
                                  const QDateTime &At);
    // Builds the name, creates the records folder when missing and gives the name to
    // the recorder. Empty (and the recorder's name empty) when the recorder, busy
    // with a recording, does not take it.
    QString PrepareRecordFile(TCallKind Kind, const QString &NumberText);
    // A recording of a talk the phone plays (transfer, robot).
    void StartRecordTalk(const QString &FileName);
    // The end of a talk the phone played: its file into its journal row, then the next talk.
    void StopRecordTalk();

    void RecordButtonsForTalk();
    void RecordButtonsIdle();
    // "Включить запись": start, pause or resume.
    void RecordButtonClick();

    // The talk being transferred (set from OnStartSendTalk) and the cell asked for last.
    TTalkKind TransferKind = tkInTalk;
    int TransferCell = -1;
    // The file StartRecordTalk began for the current transferred talk; empty when none.
    QString TransferFile;

    std::function<QDateTime()> Clock;

signals:
    // A transferred talk ended (its progress complete), and the whole transfer is over.
    void TransferTalkEnded();
    void TransferFinished();

private:
    void finishTransfer();

    bool FStopping = false;

    TPhone &FPhone;
    TPhoneSession &FSession;
    TConfig &FConfig;
    TAddressBook &FAddressBook;
    TIncomingCallBook &FInCalls;
    TOutgoingCallBook &FOutCalls;
    TGSMRecorder &FRecorder;
    TSoundControl &FSound;
    ICallView &FView;
};

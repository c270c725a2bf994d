#pragma once
// The main window's reactions to the phone link's events: status bar and tray
// state, announcing incoming calls, the talk clock, the journal rows of
// finished calls, and copying the calls the phone remembers into the journals.
#include "TRecordingControl.h"
#include "common/PhoneTypes.h"
#include "records/TInCall.h"
#include "records/TOutCall.h"
#include "records/TCallBacklog.h"
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class ICallView;
class IFieldsEditor;
class TAddressBook;
class TConfig;
class TGSMRecorder;
class TIncomingCallBook;
class TOutgoingCallBook;
class TPhone;
class TPhoneSession;
class TSoundControl;

class TCallHandler : public QObject {
    Q_OBJECT
public:
    // Editor may be null: the editor stand-in that is never open. The handler
    // is the session's owner of the end of the memory read.
    TCallHandler(TPhone &Phone, TPhoneSession &Session, TConfig &Config, TAddressBook &AddressBook,
                 TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls, TGSMRecorder &Recorder,
                 TSoundControl &Sound, ICallView &View, IFieldsEditor *Editor = nullptr, QObject *parent = nullptr);
    ~TCallHandler() override;

    // Assigns every event of the phone link the main window handles (all but
    // OnStartSendTalk); OnPhoneCode goes to PhoneCodeReceived.
    void Attach(TPhone &Phone);
    void SetFieldsEditor(IFieldsEditor *Editor);
    TRecordingControl &Recording() { return FRecording; }

    // Handlers.
    void PhoneStateChanged(TPhone *Sender);
    void PhoneStartCall(TCallKind CallKind, const TBuffer &Number);
    void PhoneGotNumber(const TBuffer &Number);
    void PhoneStartTalk(TCallKind CallKind);
    void PhoneEndCall(TCallKind CallKind, TCallPlace CallPlace, TDateTime Time, const TBuffer &Number,
                      TCallAttributes Attributes, uint8_t Category);
    void PhoneReceiverUp(TPhone *Sender);
    void PhoneLineFree(TPhone *Sender);
    void PhoneCallerMessage(TPhone *Sender);
    void PhoneRecord(TCallKind CallKind, const TCallRec &CallRec);
    void TalkTimerTimer();
    // The ring sound; SubscriberFound: the caller's row is the address book's current row.
    void StartRing(bool SubscriberFound);
    // Writes the call rows the journals refused so far (every minute while any wait).
    void WritePendingCalls();
    int PendingCalls() const { return FInBacklog.Count() + FOutBacklog.Count(); }
    // What is lost when the program ends now: the waiting calls that neither the
    // journal nor the backlog file could take, and why; empty when none.
    QString UnkeptCallsText() const;

    // The phone's memory: NewestInCall and NewestOutCall from the journals ("LastOff"
    // for an empty journal), the start of the read (true when it runs), and its end
    // when the phone stopped answering. The rows an earlier run could not write go
    // into the journals first.
    void TakeNewestCalls();
    bool StartMemoryRead();
    void EndMemoryRead();

    // Recording (with CurrentNumberText).
    bool RecordingWanted(TCallKind Kind);
    QString PrepareRecordFile(TCallKind Kind);
    void StartRecordTalk(const QString &FileName) { FRecording.StartRecordTalk(FileName); }
    void StopRecordTalk() { FRecording.StopRecordTalk(); }
    void RecordButtonsForTalk() { FRecording.RecordButtonsForTalk(); }
    void RecordButtonsIdle() { FRecording.RecordButtonsIdle(); }
    void RecordButtonClick() { FRecording.RecordButtonClick(); }

    // 4 with a receiver up and no call, else by State: 0 offline, 2 in a call,
    // 5 in use, 1 otherwise.
    static int StateImageIndex(const TPhone &Phone);
    // The "record is new" rule against the reference; a new record within the
    // reference's minute but before it is moved to just after it.
    static bool IsNewRecord(TCallRec &Rec, const TCallRec &Ref, int RegionalNumberLength);
    static bool SameCall(const TCallRec &Rec, const TCallRec &Ref, int RegionalNumberLength);

    QString CurrentNumberText;
    QString StatusText;
    TDateTime TalkStart;
    QTimer TalkTimer;
    QTimer PendingTimer;
    bool MessageRecording = false;
    QString CurrentMessageFile;
    bool NumberReported = false;   // CallNumberKnown was raised for the current call
    // "Звонок сброшен: <number>" stays in the status bar this long after a call
    // the number rules hung up (ms).
    QTimer BlockedNoticeTimer;
    // The number rules hung the current call up.
    bool Blocked() const { return FBlocked; }
    // The call on the line, numbered from 1 in the order the calls came; 0
    // between calls. The information-fields editor belongs to one of them.
    quint64 CurrentCall() const { return FInCall ? FCallSerial : 0; }
    TCallRec NewestInCall;
    TCallRec NewestOutCall;

    std::function<void(const QString &)> PhoneCodeReceived;
    std::function<TDateTime()> Clock;

signals:
    // The phone's state changed (not in robot mode): the commands that depend on it.
    void LineStateChanged(TPhoneState State);
    // In robot mode: the phone went online (true) or offline.
    void RobotLineStateChanged(bool Online);
    // A call's number became known (the incoming caller's, the dialled one
    // complete), once per call; "?" at the end of a call whose number never came.
    void CallNumberKnown(TCallKind Kind, const QString &Number, TDateTime Start);
    // The number rules hung an incoming call up (Number "?" without a number);
    // its row follows as an InCallWritten with Blocked set.
    void CallBlocked(const QString &Number, TDateTime Start);
    // A finished call's row went into its journal (with its key and the
    // attributes the phone reported for it).
    void InCallWritten(const TInCall &Row, qint64 CallId, TCallAttributes Attributes);
    void OutCallWritten(const TOutCall &Row, qint64 CallId);
    // A finished call's row went into its journal or waits in its backlog: once
    // per call (the backlog writing it later announces nothing).
    void InCallEnded(const TInCall &Row, TCallAttributes Attributes);
    void OutCallEnded(const TOutCall &Row);
    // A finished call's number, digits only, for the dial list.
    void NumberCalled(const QString &Number);
    // The memory read is over (all cells read or the phone fell silent).
    void MemoryReadFinished();
    // A call row the journal refused: which call and why; the row waits and is
    // written as soon as the journal takes it.
    void CallNotWritten(const QString &Text);
    // The backlog file of a journal was damaged: how many calls were recovered
    // and where the damaged file is kept.
    void PendingFileDamaged(const QString &Text);

private:
    // Appends a row through the journal's backlog; 0 when it waits (Key: under which).
    qint64 addRow(TCallKind Kind, const QVariantList &Values, const QString &Phone, TDateTime Time,
                  QString *Key = nullptr);
    void reportPending(TCallKind Kind, const QString &Phone, TDateTime Time, const QString &Error);
    // Keeps the editor's values with the row waiting under Key.
    bool storePendingFields(TCallKind Kind, const QString &Key, const QString &Number,
                            const QList<TFieldEntry> &Entries, TDateTime Reminder);
    void announce(TCallKind Kind, const TBuffer &Number);
    // Once the incoming number is known: hangs the call up when the rules say
    // so. True while the current call is one hung up.
    bool screen(const TBuffer &Number);
    void endBlockedCall(TDateTime Time, const QString &Number, uint8_t Category);
    void showLineFree();
    void finishEditor();
    void beginCall();
    void reportNumber(TCallKind Kind, const TBuffer &Number);
    void stopRingForTalk(TCallKind Kind);
    void readOver();
    void requestRecord();
    TDateTime now() const { return Clock(); }

    void stopSound();

    TPhone &FPhone;
    TPhoneSession &FSession;
    TConfig &FConfig;
    TAddressBook &FAddressBook;
    TIncomingCallBook &FInCalls;
    TOutgoingCallBook &FOutCalls;
    TGSMRecorder &FRecorder;
    TSoundControl &FSound;
    ICallView &FView;
    IFieldsEditor *FEditor;   // null: the program shows no editor
    TRecordingControl FRecording;
    TCallBacklog FInBacklog;
    TCallBacklog FOutBacklog;
    bool FScreened = false;   // the rules were asked for the current call
    bool FBlocked = false;
    QString FBlockedNotice;
    quint64 FCallSerial = 0;
    bool FInCall = false;
};

#include "TCallHandler.h"
#include "ICallView.h"
#include "ui/IFieldsEditor.h"
#include "TPhoneSession.h"
#include "audio/TGSMRecorder.h"
#include "audio/TSoundControl.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "phone/TPhoneNumber.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QDir>
#include <cmath>
#include <exception>

namespace {

using namespace TPersonAttributes;

// Incoming record flags.
constexpr int FlagParallel = 1;     // outgoing: made on a parallel set
constexpr int FlagAutoAnswer = 2;
constexpr int FlagTalk = 4;
constexpr int FlagMessage = 8;

const QString Plus = QStringLiteral("+");

bool onlyDigits(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

qint64 toMsecs(double days)
{
    return qint64(std::llround(days * TDateTime::MSecsPerDay));
}

// Hours, minutes and seconds of a duration kept as a time of day.
struct TDurationParts {
    int h, m, s;
};

TDurationParts parts(TDateTime duration)
{
    const qint64 ms = toMsecs(duration.value());
    const qint64 secs = ms / 1000;
    return {int(secs / 3600), int(secs / 60 % 60), int(secs % 60)};
}

QString dateTimeText(TDateTime t)
{
    return t.toShortDateString() + QLatin1Char(' ') + t.toLongTimeString();
}

template <typename Fn>
void guarded(Fn &&fn)
{
    // A table that cannot be read must not take the event loop down with it.
    try {
        fn();
    } catch (const std::exception &) {
    }
}

} // namespace

TCallHandler::TCallHandler(TPhone &Phone, TPhoneSession &Session, TConfig &Config, TAddressBook &AddressBook,
                           TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls, TGSMRecorder &Recorder,
                           TSoundControl &Sound, ICallView &View, IFieldsEditor *Editor, QObject *parent)
    : QObject(parent), Clock([] { return TDateTime::now(); }), FPhone(Phone), FSession(Session), FConfig(Config),
      FAddressBook(AddressBook), FInCalls(InCalls), FOutCalls(OutCalls), FRecorder(Recorder), FSound(Sound),
      FView(View), FEditor(nullptr),
      FRecording(Phone, Session, Config, AddressBook, InCalls, OutCalls, Recorder, Sound, View), FInBacklog(InCalls),
      FOutBacklog(OutCalls)
{
    FSession.SetCallHandler(this);
    SetFieldsEditor(Editor);
    TalkTimer.setInterval(1000);
    connect(&TalkTimer, &QTimer::timeout, this, &TCallHandler::TalkTimerTimer);
    BlockedNoticeTimer.setInterval(5000);
    BlockedNoticeTimer.setSingleShot(true);
    connect(&BlockedNoticeTimer, &QTimer::timeout, this, [this] {
        if (FPhone.State() == psWaiting && FPhone.ReceiverState() == rsDown)
            FView.SetStatusText(QStringLiteral("Линия свободна"));
    });
    PendingTimer.setInterval(60000);
    connect(&PendingTimer, &QTimer::timeout, this, &TCallHandler::WritePendingCalls);
}

TCallHandler::~TCallHandler()
{
    // The phone link outlives the handler: it raises no more events here.
    FPhone.OnStateChanged = {};
    FPhone.OnStartCall = {};
    FPhone.OnGotPhoneNumber = {};
    FPhone.OnStartTalk = {};
    FPhone.OnEndCall = {};
    FPhone.OnReceiverUp = {};
    FPhone.OnLineFree = {};
    FPhone.OnCallerMessage = {};
    FPhone.OnPhoneRecord = {};
    FPhone.OnPhoneCode = {};
    FPhone.OnStopSendTalk = {};
    FSession.SetCallHandler(nullptr);
}

void TCallHandler::SetFieldsEditor(IFieldsEditor *Editor)
{
    FEditor = Editor;
}

void TCallHandler::Attach(TPhone &Phone)
{
    Phone.OnStateChanged = [this](TPhone *s) { PhoneStateChanged(s); };
    Phone.OnStartCall = [this](TCallKind k, const TBuffer &n) { PhoneStartCall(k, n); };
    Phone.OnGotPhoneNumber = [this](const TBuffer &n) { PhoneGotNumber(n); };
    Phone.OnStartTalk = [this](TCallKind k) { PhoneStartTalk(k); };
    Phone.OnEndCall = [this](TCallKind k, TCallPlace p, TDateTime t, const TBuffer &n, TCallAttributes a,
                             uint8_t c) { PhoneEndCall(k, p, t, n, a, c); };
    Phone.OnReceiverUp = [this](TPhone *s) { PhoneReceiverUp(s); };
    Phone.OnLineFree = [this](TPhone *s) { PhoneLineFree(s); };
    Phone.OnCallerMessage = [this](TPhone *s) { PhoneCallerMessage(s); };
    Phone.OnPhoneRecord = [this](TCallKind k, const TCallRec &r) { PhoneRecord(k, r); };
    Phone.OnPhoneCode = [this](const QString &code) {
        if (PhoneCodeReceived)
            PhoneCodeReceived(code);
    };
    Phone.OnStopSendTalk = [this] { StopRecordTalk(); };
}

int TCallHandler::StateImageIndex(const TPhone &Phone)
{
    const TPhoneState state = Phone.State();
    if (Phone.ReceiverState() != rsDown && state == psWaiting)
        return 4;
    switch (state) {
    case psOffline: return 0;
    case psOutgoingCall:
    case psIncomingCall: return 2;
    case psInUse: return 5;
    default: return 1;
    }
}

// ------------------------------------------------------------------ line state

void TCallHandler::PhoneStateChanged(TPhone *)
{
    const TPhoneState state = FPhone.State();
    if (state != psIncomingCall && state != psOutgoingCall)
        FInCall = false;
    if (FPhone.PhoneRobotMode()) {
        FView.SetStatusText(QStringLiteral("Режим телефонного робота"));
        emit RobotLineStateChanged(FPhone.Online());
        return;
    }
    emit LineStateChanged(state);
    FView.SetStateImage(StateImageIndex(FPhone));
    switch (state) {
    case psWaiting:
        showLineFree();
        FView.SetNumberText(QString());
        // A recording still running belongs to no call any more.
        if (FRecorder.State() != rsWaiting)
            FRecorder.Stop();
        if (FView.RecordButtonEnabled())
            RecordButtonsIdle();
        break;
    case psOffline:
        FView.SetStatusText(QStringLiteral("Аппарат отключен"));
        FView.SetNumberText(QString());
        break;
    case psInUse:
        FView.SetStatusText(QStringLiteral("Производится настройка аппарата"));
        FView.SetNumberText(QString());
        break;
    default:
        FView.SetNumberText(PhoneNumberToText(FPhone.CurrentPhone(), FPhone.CurrentCallKind() == ckOutgoing));
        if (FPhone.AutoDiale())
            FView.SetStatusText(QStringLiteral("Набор в автодозвоне"));
        break;
    }
}

void TCallHandler::PhoneReceiverUp(TPhone *)
{
    FView.SetStatusText(FPhone.ReceiverState() == rsUpParallel
                            ? QStringLiteral("Снята трубка на параллельном телефоне")
                            : QStringLiteral("Снята трубка"));
    FView.SetStateImage(StateImageIndex(FPhone));
}

void TCallHandler::showLineFree()
{
    FView.SetStatusText(BlockedNoticeTimer.isActive() ? FBlockedNotice : QStringLiteral("Линия свободна"));
}

void TCallHandler::PhoneLineFree(TPhone *)
{
    showLineFree();
    TalkTimer.stop();
    if (!FSound.PlayerInUse())
        FSound.StopSound();
}

// ------------------------------------------------------------------ a call

void TCallHandler::beginCall()
{
    if (!FInCall) {
        ++FCallSerial;
        FInCall = true;
    }
}

void TCallHandler::PhoneStartCall(TCallKind CallKind, const TBuffer &Number)
{
    beginCall();
    MessageRecording = false;
    CurrentMessageFile.clear();
    CurrentNumberText = PhoneNumberToText(Number, CallKind == ckOutgoing);
    NumberReported = false;
    FScreened = false;
    FBlocked = false;
    announce(CallKind, Number);
}

void TCallHandler::PhoneGotNumber(const TBuffer &Number)
{
    const TPhoneState state = FPhone.State();
    if (state == psIncomingCall)
        announce(ckIncoming, Number);
    else if (state == psOutgoingCall)
        announce(ckOutgoing, Number);
    CurrentNumberText = PhoneNumberToText(Number, state == psOutgoingCall);
}

void TCallHandler::announce(TCallKind Kind, const TBuffer &Number)
{
    if (Kind == ckOutgoing) {
        FView.SetStatusText(QStringLiteral("Исходящий звонок "));
        reportNumber(Kind, Number);
        return;
    }
    if (screen(Number))
        return;
    FView.SetStatusText(QStringLiteral("Входящий звонок "));
    const QString text = PhoneNumberToText(Number, false);
    if (!text.isEmpty())
        FView.SetNumberText(text);
    bool found = false;
    int attributes = 0;
    if (!Number.isEmpty()) {
        found = FAddressBook.FindPhone(text);
        if (found)
            attributes = FAddressBook.CurrentAttributes();
    }
    bool alert = FConfig.DisplayMessage;
    bool ring = FConfig.PlaySound;
    if (found) {
        if (attributes & AlwaysShow)
            alert = true;
        else if (attributes & NeverShow)
            alert = false;
        if (attributes & NeverRing)
            ring = false;
        else if (attributes & AlwaysRing)
            ring = true;
    }
    if (alert) {
        if (FEditor && FEditor->IsShowing() && !FEditor->FromAlert())
            finishEditor();
        if (found)
            FView.ShowCaller(FAddressBook.fieldValue(QStringLiteral("Phone")).toString(),
                             FAddressBook.fieldValue(QStringLiteral("Name")).toString(),
                             FAddressBook.fieldValue(QStringLiteral("Notes")).toString(),
                             FAddressBook.fieldValue(QStringLiteral("Address")).toString());
        else if (!text.isEmpty())
            FView.ShowCaller(text, QString(), QString(), QString());
        else
            FView.ShowCaller(QStringLiteral("пока не определен"), QString(), QString(), QString());
        FView.ProcessMessages();
        if (found)
            FAddressBook.FindPhone(text);   // the ring reads the caller's row
    } else if (FView.AlertShowing()) {
        FView.CloseAlert();
    }
    if (ring)
        StartRing(found);
    // Other listeners hear of the caller after the alert and the ring.
    reportNumber(Kind, Number);
}

bool TCallHandler::screen(const TBuffer &Number)
{
    if (FBlocked)
        return true;
    // Asked once a call, as soon as the number came (also when it came empty).
    if (FScreened || (Number.isEmpty() && !FPhone.NumberGiven()))
        return false;
    FScreened = true;
    const QString text = PhoneNumberToText(Number, false);
    bool found = false;
    bool hangUp = false;
    guarded([&] {
        found = FAddressBook.FindPhone(text);
        hangUp = found && (FAddressBook.CurrentAttributes() & HangUpCall);
    });
    if (!FConfig.NumberRules.Decide(text, found, hangUp).Block)
        return false;
    FBlocked = true;
    FPhone.HangUp();
    // A ring or an alert that began with the ringing, before the number came.
    stopSound();
    if (FView.AlertShowing())
        FView.CloseAlert();
    const QString shown = text.isEmpty() ? QStringLiteral("?") : text;
    FBlockedNotice = QStringLiteral("Звонок сброшен: ") + shown;
    FView.SetStatusText(FBlockedNotice);
    BlockedNoticeTimer.start();
    NumberReported = true;
    emit CallBlocked(shown, now());
    return true;
}

void TCallHandler::reportNumber(TCallKind Kind, const TBuffer &Number)
{
    const QString text = PhoneNumberToText(Number, Kind == ckOutgoing);
    if (text.isEmpty() || NumberReported)
        return;
    NumberReported = true;
    emit CallNumberKnown(Kind, text, now());
}

void TCallHandler::StartRing(bool SubscriberFound)
{
    if (!SubscriberFound) {
        FSound.StartRing(nullptr);
        return;
    }
    // The caller's row is the address book's current row.
    TRingSubscriber s;
    const QVariant volume = FAddressBook.fieldValue(QStringLiteral("Volume"));
    s.Volume = volume.isNull() ? -1 : volume.toInt();
    s.Creschendo = FAddressBook.fieldValue(QStringLiteral("Creschendo")).toBool();
    s.SoundFile = FAddressBook.fieldValue(QStringLiteral("SoundFile")).toString();
    FSound.StartRing(&s);
}

void TCallHandler::stopSound()
{
    FSound.StopCrescendo();
    FSound.StopSound();
}

void TCallHandler::finishEditor()
{
    if (FEditor->Edited()) {
        FEditor->PressOK();
    } else {
        FEditor->SetCallId(-1);
        FEditor->Close();
    }
}

void TCallHandler::stopRingForTalk(TCallKind Kind)
{
    if (FConfig.NoMessageOnTalk || (!FConfig.CanPlayWhileRecording && RecordingWanted(Kind))) {
        stopSound();
    }
}

void TCallHandler::PhoneStartTalk(TCallKind CallKind)
{
    // A call hung up is neither recorded nor noted, whoever lifts the receiver.
    if (FBlocked && CallKind == ckIncoming)
        return;
    beginCall();
    if (FConfig.MuteOnCall)
        FSound.SetMute(true);
    StatusText = QStringLiteral("Разговор");
    FView.SetStatusText(StatusText);
    TalkStart = now();
    CurrentNumberText = PhoneNumberToText(FPhone.CurrentPhone(), CallKind == ckOutgoing);
    stopRingForTalk(CallKind);
    if (FView.AlertShowing() && (FConfig.NoAlertOnTalk || !FConfig.DisplayMessage))
        FView.CloseAlert();
    if (MessageRecording) {
        // Somebody lifted the receiver while the caller spoke to the answering machine.
        if (FRecorder.State() != rsWaiting) {
            FRecorder.Stop();
            CurrentMessageFile = FRecorder.FileName();
        }
        MessageRecording = false;
    } else if (FRecorder.State() != rsWaiting) {
        FRecorder.Stop();
    }
    FView.StartNumberTimeout();
    RecordButtonsForTalk();

    const QString name = PrepareRecordFile(CallKind);
    if (!name.isEmpty() && RecordingWanted(CallKind)) {
        if (FRecorder.State() != rsWaiting)
            FRecorder.Stop();
        FRecorder.Start();
        if (FRecorder.State() == rsRecording)
            FView.SetRecordButtonDown(true);
    }
    TalkTimer.start();

    if (FEditor && FEditor->IsShowing())
        finishEditor();
    bool open;
    int attributes = 0;
    const bool found = !CurrentNumberText.isEmpty() && FAddressBook.FindPhone(CurrentNumberText);
    if (found)
        attributes = FAddressBook.CurrentAttributes();
    if (found && (attributes & AlwaysShow))
        open = true;
    else if (found && (attributes & NeverShow))
        open = false;
    else if (CallKind == ckIncoming)
        open = FConfig.DisplayMessage && FConfig.ShowInputFormOnInCall;
    else
        open = FConfig.ShowInputFormOnOutCall;
    if (open && FEditor) {
        FView.ProcessMessages();
        FEditor->SetOwnerCall(CurrentCall());
        FEditor->LoadCall(CurrentNumberText, CallKind);
        FView.Wait(400);
        FEditor->ShowInFront();
    }
}

void TCallHandler::TalkTimerTimer()
{
    FView.SetStatusText(StatusText + QLatin1Char(' ') + TDateTime(qMax(0.0, now() - TalkStart)).toLongTimeString());
}

void TCallHandler::PhoneCallerMessage(TPhone *)
{
    if (FBlocked)
        return;
    if (FConfig.MuteOnCall)
        FSound.SetMute(true);
    StatusText = QStringLiteral("Сообщение звонящего");
    FView.SetStatusText(StatusText);
    TalkStart = now();
    if (FPhone.CurrentCallKind() == ckIncoming)
        stopRingForTalk(ckIncoming);
    MessageRecording = true;
    if (RecordingWanted(ckIncoming)) {
        // The recorder takes the message's name only while idle.
        if (FRecorder.State() != rsWaiting)
            FRecorder.Stop();
        if (!PrepareRecordFile(ckIncoming).isEmpty())
            FRecorder.Start();
    }
    TalkTimer.start();
}

void TCallHandler::PhoneEndCall(TCallKind CallKind, TCallPlace, TDateTime Time, const TBuffer &Number,
                                TCallAttributes Attributes, uint8_t Category)
{
    // A call ended before anybody answered it (or by the program's end) starts now.
    if (Time.isZero())
        Time = now();
    FSound.FVolumeFollowsTrack = true;
    if (FView.AlertShowing())
        FView.CloseAlert();
    RecordButtonsIdle();
    if (FBlocked && CallKind == ckIncoming) {
        endBlockedCall(Time, PhoneNumberToText(Number, false), Category);
        return;
    }

    QString talkFile;
    if (FRecorder.State() != rsWaiting) {
        FRecorder.Stop();
        if (MessageRecording)
            CurrentMessageFile = FRecorder.FileName();
        else
            talkFile = FRecorder.FileName();
    }
    stopSound();

    QString text = PhoneNumberToText(Number, CallKind == ckOutgoing);
    if (onlyDigits(text))
        emit NumberCalled(text);
    if (text.isEmpty())
        text = QStringLiteral("?");
    if (!NumberReported)
        emit CallNumberKnown(CallKind, text, Time);
    NumberReported = false;
    if (FEditor)
        FEditor->RestartCloseTimer();

    const TDateTime length(qMax(0.0, now() - Time));
    TInCall in;
    TOutCall out;
    if (CallKind == ckIncoming) {
        in.Phone = text;
        in.Time = Time;
        in.Length = length;
        in.Category = Category;
        in.AutoAnswer = Attributes.has(caAutoAnswer);
        in.FileName = talkFile;
        in.MessageFileName = CurrentMessageFile;
    } else {
        out.Phone = text;
        out.Time = Time;
        out.Length = length;
        out.Attributes = Attributes.toByte();
        out.FileName = talkFile;
    }
    const auto values = [&] {
        return CallKind == ckIncoming ? TIncomingCallBook::values(in) : TOutgoingCallBook::values(out);
    };
    // The editor's values and its OK belong to the call it was opened for.
    const quint64 call = CurrentCall();
    FInCall = false;
    const bool editorsCall =
        FEditor && call != 0 && FEditor->OwnerCall() == call && FEditor->CallKind() == CallKind;
    qint64 written = 0;
    if (FEditor && FEditor->IsShowing()) {
        // The user is still typing notes for this call: its OK writes into this row,
        // or, while the row waits in the backlog, keeps the notes with it.
        QString key;
        written = addRow(CallKind, values(), text, Time, &key);
        if (editorsCall && FEditor->CallId() == -1) {
            FEditor->SetCallId(written);
            if (written == 0 && !key.isEmpty())
                FEditor->SetPendingRow([this, CallKind, key](const QString &Number, const QList<TFieldEntry> &Entries,
                                                             TDateTime Reminder) {
                    return storePendingFields(CallKind, key, Number, Entries, Reminder);
                });
        }
    } else {
        if (editorsCall && FEditor->Edited()) {
            const QString typed = FEditor->EditNumber();
            if (CallKind == ckIncoming && !IFieldsEditor::IsUndeterminedNumber(typed))
                in.Phone = typed;
            QString *inFields[] = {&in.Field_1, &in.Field_2, &in.Field_3, &in.Field_4,
                                   &in.Field_5, &in.Field_6, &in.Field_7};
            QString *outFields[] = {&out.Field_1, &out.Field_2, &out.Field_3, &out.Field_4,
                                    &out.Field_5, &out.Field_6, &out.Field_7};
            for (const TFieldEntry &e : FEditor->FieldValues())
                if (e.Tag >= 1 && e.Tag <= 7)
                    *(CallKind == ckIncoming ? inFields : outFields)[e.Tag - 1] = e.Text;
            if (FEditor->ReminderChecked())
                (CallKind == ckIncoming ? in.Field_8 : out.Field_8) = FEditor->ReminderDate();
            FEditor->ClearEdited();
        }
        written = addRow(CallKind, values(), text, Time);
    }
    if (written > 0) {
        if (CallKind == ckIncoming)
            emit InCallWritten(in, written, Attributes);
        else
            emit OutCallWritten(out, written);
    }
    if (CallKind == ckIncoming)
        emit InCallEnded(in, Attributes);
    else
        emit OutCallEnded(out);

    TalkTimer.stop();
    CurrentNumberText.clear();
    MessageRecording = false;
    CurrentMessageFile.clear();
    FView.RefreshPlayerButtons();
    FSound.ResetVolume();
    if (FConfig.MuteOnCall)
        FSound.SetMute(false);
}

void TCallHandler::endBlockedCall(TDateTime Time, const QString &Number, uint8_t Category)
{
    FInCall = false;
    FBlocked = false;
    FScreened = false;
    NumberReported = false;
    if (FRecorder.State() != rsWaiting)
        FRecorder.Stop();
    stopSound();
    // The information-fields editor belongs to other calls: this row gets no notes.
    TInCall in;
    in.Phone = Number.isEmpty() ? QStringLiteral("?") : Number;
    in.Time = Time;
    in.Length = TDateTime(0.0);
    in.Category = Category;
    in.Blocked = true;
    const qint64 written = addRow(ckIncoming, TIncomingCallBook::values(in), in.Phone, Time);
    if (written > 0)
        emit InCallWritten(in, written, TCallAttributes{caNoTalk});
    emit InCallEnded(in, TCallAttributes{caNoTalk});
    TalkTimer.stop();
    CurrentNumberText.clear();
    MessageRecording = false;
    CurrentMessageFile.clear();
    FView.SetStatusText(FBlockedNotice);
    BlockedNoticeTimer.start();
    FView.RefreshPlayerButtons();
    FSound.ResetVolume();
}

// ------------------------------------------------------------------ recording

bool TCallHandler::RecordingWanted(TCallKind Kind)
{
    return FRecording.RecordingWanted(Kind, CurrentNumberText);
}

QString TCallHandler::PrepareRecordFile(TCallKind Kind)
{
    return FRecording.PrepareRecordFile(Kind, CurrentNumberText);
}

// ------------------------------------------------------------------ the phone's memory

bool TCallHandler::SameCall(const TCallRec &Rec, const TCallRec &Ref, int RegionalNumberLength)
{
    if (Rec.Number != Ref.Number)
        return false;
    const QDateTime a = Rec.Time.toQDateTime(), b = Ref.Time.toQDateTime();
    if (a.date() != b.date() || a.time().hour() != b.time().hour() || a.time().minute() != b.time().minute())
        return false;
    const TDurationParts d = parts(Rec.Duration), r = parts(Ref.Duration);
    // A row written when the program closed during the call holds only the part
    // heard until then; the phone's record of that call is at least as long.
    if (d.h * 3600 + d.m * 60 + d.s >= r.h * 3600 + r.m * 60 + r.s)
        return true;
    if (d.h != r.h || d.m != r.m)
        return false;
    const int recSeconds = d.s / 10 * 10;
    if (recSeconds == r.s / 10 * 10)
        return true;
    return Ref.Number.size() < RegionalNumberLength && (r.s + 10) / 10 * 10 == recSeconds;
}

bool TCallHandler::IsNewRecord(TCallRec &Rec, const TCallRec &Ref, int RegionalNumberLength)
{
    // A record without a valid date is an empty cell, not a call.
    if (Rec.Time.isZero())
        return false;
    const qint64 minutes = (toMsecs(Rec.Time.value()) - toMsecs(Ref.Time.value())) / 60000;
    if (minutes > 0)
        return true;
    if (minutes < 0)
        return false;
    if (SameCall(Rec, Ref, RegionalNumberLength))
        return false;
    if (Rec.Time < Ref.Time)
        Rec.Time = Ref.Time + 1.0 / TDateTime::MSecsPerDay;
    return true;
}

void TCallHandler::TakeNewestCalls()
{
    // Rows an earlier run could not write are the newest calls of all.
    QStringList damaged;
    for (TCallBacklog *b : {&FInBacklog, &FOutBacklog})
        if (!b->LoadMessage().isEmpty())
            damaged << b->LoadMessage();
    if (!damaged.isEmpty())
        emit PendingFileDamaged(damaged.join(QLatin1Char('\n')));
    if (PendingCalls() > 0)
        FView.SplashText(QStringLiteral("Запись отложенных звонков (%1)").arg(PendingCalls()));
    for (TCallBacklog *b : {&FInBacklog, &FOutBacklog}) {
        QString error;
        b->Flush(&error);
        for (const TCallBacklog::TRow &r : b->Rows()) {
            const QVariantList &row = r.Values;
            const bool in = b == &FInBacklog;
            const TTableSchema &s = in ? FInCalls.schema() : FOutCalls.schema();
            reportPending(in ? ckIncoming : ckOutgoing, row.value(s.fieldIndex(QStringLiteral("Phone")) - 1).toString(),
                          TDateTime(row.value(s.fieldIndex(QStringLiteral("Time")) - 1).toDouble()), error);
        }
    }
    if (PendingCalls() > 0)
        PendingTimer.start();
    NewestInCall = TCallRec();
    NewestOutCall = TCallRec();
    guarded([&] {
        if (const qint64 key = FInCalls.newestCall()) {
            const QVariantList row = FInCalls.rowByKey(key);
            const TTableSchema &s = FInCalls.schema();
            NewestInCall.Number = row.at(s.fieldIndex(QStringLiteral("Phone"))).toString();
            NewestInCall.Time = TDateTime(row.at(s.fieldIndex(QStringLiteral("Time"))).toDouble());
            NewestInCall.Duration = TDateTime(row.at(s.fieldIndex(QStringLiteral("Length"))).toDouble());
            NewestInCall.Category = uint8_t(row.at(s.fieldIndex(QStringLiteral("Category"))).toInt());
        } else {
            NewestInCall.Time = FConfig.LastOff;
        }
    });
    guarded([&] {
        if (const qint64 key = FOutCalls.newestCall()) {
            const QVariantList row = FOutCalls.rowByKey(key);
            const TTableSchema &s = FOutCalls.schema();
            NewestOutCall.Number = row.at(s.fieldIndex(QStringLiteral("Phone"))).toString();
            NewestOutCall.Time = TDateTime(row.at(s.fieldIndex(QStringLiteral("Time"))).toDouble());
            NewestOutCall.Duration = TDateTime(row.at(s.fieldIndex(QStringLiteral("Length"))).toDouble());
            NewestOutCall.Flags = uint8_t(row.at(s.fieldIndex(QStringLiteral("Attributes"))).toInt());
        } else {
            NewestOutCall.Time = FConfig.LastOff;
        }
    });
}

bool TCallHandler::StartMemoryRead()
{
    if (!FConfig.AskForCalls || !FPhone.Online()) {
        FSession.StopMemoryRead();
        return false;
    }
    FView.SplashText(QStringLiteral("Запрос информации о звонках"));
    FSession.StartMemoryRead();
    FPhone.StartCallRecordRequest(0, 0);
    return true;
}

void TCallHandler::EndMemoryRead()
{
    FSession.StopMemoryRead();
    readOver();
}

void TCallHandler::requestRecord()
{
    const TPhoneHost &host = FSession.Flags();
    FPhone.StartCallRecordRequest(host.MemoryReadKind, host.MemoryReadCell);
}

void TCallHandler::PhoneRecord(TCallKind CallKind, const TCallRec &CallRec)
{
    const TPhoneHost &host = FSession.Flags();
    if (!host.MemoryReadActive) {
        readOver();
        return;
    }
    const bool incoming = CallKind == ckIncoming;
    if (host.MemoryReadKind != (incoming ? 0 : 1)) {
        // A late answer for the other memory: ask again for the cell due.
        requestRecord();
        return;
    }
    TCallRec rec = CallRec;
    if (rec.Number.isEmpty())
        rec.Number = QStringLiteral("?");   // as the journals write a call without a number
    // Each cell is asked for once and the link drops repeated answers for it, so
    // every record here is a call of its own, however like the one before it.
    if (IsNewRecord(rec, incoming ? NewestInCall : NewestOutCall, FConfig.RegionalNumberLength)) {
        if (FView.SplashShowing())
            FView.SplashText((incoming ? QStringLiteral("Входящий звонок от ") : QStringLiteral("Исходящий звонок от "))
                             + dateTimeText(rec.Time));
        const bool positive = rec.Duration.value() > 0;
        if (incoming) {
            TInCall in;
            in.Phone = rec.Number;
            in.Time = rec.Time;
            in.Length = rec.Duration;
            in.Category = rec.Category;
            in.AutoAnswer = rec.Flags & FlagAutoAnswer;
            in.FileName = (rec.Flags & FlagTalk) && positive ? Plus : QString();
            in.MessageFileName = (rec.Flags & FlagMessage) ? Plus : QString();
            addRow(ckIncoming, TIncomingCallBook::values(in), in.Phone, in.Time);
        } else {
            TOutCall out;
            out.Phone = rec.Number;
            out.Time = rec.Time;
            out.Length = rec.Duration;
            out.Attributes = (rec.Flags & FlagParallel) ? 2 : 1;
            out.FileName = (rec.Flags & FlagTalk) && positive ? Plus : QString();
            addRow(ckOutgoing, TOutgoingCallBook::values(out), out.Phone, out.Time);
        }
        FSession.NextMemoryCell();
        if (incoming) {
            if (host.MemoryReadCell >= TPhone::CellCount) {
                FSession.MemoryReadOutgoing();
            }
            requestRecord();
        } else if (host.MemoryReadCell < TPhone::CellCount) {
            requestRecord();
        } else {
            FSession.StopMemoryRead();
        }
    } else if (incoming) {
        FSession.MemoryReadOutgoing();
        requestRecord();
    } else {
        FSession.StopMemoryRead();
    }
    if (!host.MemoryReadActive)
        readOver();
}

// ------------------------------------------------------------------ rows the journals refused

qint64 TCallHandler::addRow(TCallKind Kind, const QVariantList &Values, const QString &Phone, TDateTime Time,
                           QString *Key)
{
    TCallBacklog &backlog = Kind == ckIncoming ? FInBacklog : FOutBacklog;
    QString error;
    const qint64 key = backlog.Add(Values, &error, Key);
    if (key == 0) {
        reportPending(Kind, Phone, Time, error);
        PendingTimer.start();
    } else if (PendingCalls() == 0) {
        PendingTimer.stop();
    }
    return key;
}

void TCallHandler::reportPending(TCallKind Kind, const QString &Phone, TDateTime Time, const QString &Error)
{
    const TCallBacklog &backlog = Kind == ckIncoming ? FInBacklog : FOutBacklog;
    QString text = (Kind == ckIncoming ? QStringLiteral("Входящий звонок ") : QStringLiteral("Исходящий звонок "))
                   + Phone + QStringLiteral(" от ") + dateTimeText(Time) + QStringLiteral(" не записан в журнал: ")
                   + Error;
    if (backlog.Saved())
        text += QStringLiteral(". Звонок сохранён и будет записан, как только журнал станет доступен.");
    else
        text += QStringLiteral(". Сохранить его в файл %1 тоже не удалось: %2. Звонок хранится только в памяти "
                               "программы до её завершения; попытки записать его повторяются каждую минуту.")
                    .arg(QDir::toNativeSeparators(backlog.FileName()), backlog.SaveError());
    emit CallNotWritten(text);
}

void TCallHandler::WritePendingCalls()
{
    // The rows written show in the grids through the tables' change signals;
    // a backlog file that could not be written is tried again with them.
    FInBacklog.Flush();
    FOutBacklog.Flush();
    if (PendingCalls() == 0)
        PendingTimer.stop();
    else if (!PendingTimer.isActive())
        PendingTimer.start();
}

QString TCallHandler::UnkeptCallsText() const
{
    QStringList calls, reasons;
    for (const TCallBacklog *b : {&FInBacklog, &FOutBacklog}) {
        if (b->Saved() || b->Count() == 0)
            continue;
        const bool in = b == &FInBacklog;
        const TTableSchema &s = in ? FInCalls.schema() : FOutCalls.schema();
        for (const TCallBacklog::TRow &r : b->Rows())
            calls << (in ? QStringLiteral("входящий ") : QStringLiteral("исходящий "))
                         + r.Values.value(s.fieldIndex(QStringLiteral("Phone")) - 1).toString() + QStringLiteral(" от ")
                         + dateTimeText(TDateTime(r.Values.value(s.fieldIndex(QStringLiteral("Time")) - 1).toDouble()));
        reasons << QDir::toNativeSeparators(b->FileName()) + QStringLiteral(": ") + b->SaveError();
    }
    if (calls.isEmpty())
        return {};
    return QStringLiteral("Звонки не записаны ни в журнал, ни в файл отложенных звонков и будут потеряны при "
                          "завершении программы (%1): %2. Причина: %3.")
        .arg(calls.size())
        .arg(calls.join(QStringLiteral(", ")), reasons.join(QStringLiteral("; ")));
}

bool TCallHandler::storePendingFields(TCallKind Kind, const QString &Key, const QString &Number,
                                      const QList<TFieldEntry> &Entries, TDateTime Reminder)
{
    TCallBacklog &backlog = Kind == ckIncoming ? FInBacklog : FOutBacklog;
    // An undetermined number never replaces the one the row has.
    QString phone = Kind == ckIncoming ? Number : QString();
    if (!phone.isEmpty() && phone.count(QLatin1Char('?')) == phone.size())
        phone.clear();
    if (backlog.SetFields(Key, phone, Entries, Reminder))
        return true;
    // The backlog wrote the row meanwhile: the values go into it.
    const qint64 id = backlog.WrittenAs(Key);
    if (id <= 0)
        return false;
    try {
        if (Kind == ckIncoming) {
            if (phone.isEmpty())
                phone = FInCalls.rowByKey(id).value(FInCalls.schema().fieldIndex(QStringLiteral("Phone"))).toString();
            return FInCalls.UpdateFields(id, phone, Entries, Reminder);
        }
        return FOutCalls.UpdateFields(id, Entries, Reminder);
    } catch (const std::exception &) {
        return false;
    }
}

void TCallHandler::readOver()
{
    FView.CloseSplash();
    FPhone.SetPhoneClock(now());
    if (!FConfig.NeedStartMinimized)
        FView.ShowMainWindow();
    FView.RefreshPlayerButtons();
    emit MemoryReadFinished();
}

#include "TPhone.h"
#include "EPhoneError.h"
#include "TPhoneNumber.h"
#include "TQtPhoneClock.h"
#include <cmath>

namespace {
const QString InvalidNumber = QStringLiteral("Hеверный номер");   // the first letter is Latin
}

TPhone::TPhone(TPhoneHost *host, TPhoneClock *clock, QObject *parent)
    : TSerialLink(parent), FHost(host), FClock(clock ? clock : TQtPhoneClock::instance())
{
    if (!FHost) {
        FOwnHost = std::make_unique<TPhoneHost>();
        FHost = FOwnHost.get();
    }
    FDecoder.OnMessage = [this](const TPhoneMessage &m) { dispatch(m); };
    FWatchdogTimer = FClock->createTimer();
    FNumberTimer = FClock->createTimer();
    FRetryTimer = FClock->createTimer();
    FBodyTimer = FClock->createTimer();
    FWatchdogTimer->OnTimer = [this] { watchdogTick(); };
    FNumberTimer->OnTimer = [this] { numberTimerTick(); };
    FRetryTimer->OnTimer = [this] { retryTimerTick(); };
    FBodyTimer->OnTimer = [this] { bodyTimerTick(); };
    FLastReceive = FClock->now();
    OnRxChar = [this](TSerialLink *, int) { HandleRxChar(); };
    OnPortLost = [this] { portLost(); };
    Open();
    stateChanged();
}

TPhone::~TPhone()
{
    OnRxChar = nullptr;
    OnPortLost = nullptr;
    Close();
}

// ---------------------------------------------------------------- helpers

int TPhone::QuarterSecondsToSeconds(int count)
{
    return int(std::nearbyint(count * 0.25));   // default rounding: half to even
}

void TPhone::AppendNibbleWord(TBuffer &buf, quint16 value)
{
    buf.append(char((value >> 12) & 15)).append(char((value >> 8) & 15));
    buf.append(char((value >> 4) & 15)).append(char(value & 15));
}

void TPhone::AppendNibbleByte(TBuffer &buf, uint8_t value)
{
    buf.append(char((value >> 4) & 15)).append(char(value & 15));
}

void TPhone::stateChanged()
{
    if (OnStateChanged)
        OnStateChanged(this);
}

void TPhone::setState(TPhoneState state)
{
    if (FState == state)
        return;
    FState = state;
    stateChanged();
}

void TPhone::placeAndAttributes(TCallPlace &place, TCallAttributes &attributes) const
{
    switch (FReceiverState) {
    case rsUp: place = cpVrx; attributes = {caVRX}; break;
    case rsUpParallel: place = cpParallel; attributes = {caParallel}; break;
    default: place = cpUnknown; attributes = {caNoTalk}; break;
    }
    if (FAutoAnswered)
        attributes += caAutoAnswer;
}

TDateTime TPhone::endingCallStart()
{
    if (FCallStart.isZero())
        FCallStart = FClock->now();
    return FCallStart;
}

qint64 TPhone::msSince(TDateTime t)
{
    return qint64(std::floor((FClock->now() - t) * TDateTime::MSecsPerDay + 0.5));
}

// ---------------------------------------------------------------- receiver

void TPhone::HandleRxChar()
{
    QByteArray bytes;
    const int count = InputCount();
    bytes.resize(count);
    bytes.resize(TSerialLink::Read(bytes.data(), count));
    if (!bytes.isEmpty())
        Receive(bytes);
}

void TPhone::Receive(const QByteArray &bytes)
{
    FWatchdogTimer->stop();
    FWatchdogTimer->start(WatchdogInterval);
    FLastReceive = FClock->now();
    FPortLost = false;
    bool cameOnline = false;
    if (FState == psOffline) {
        // Online before the model request goes out: SendBytes drops it while offline.
        FState = psWaiting;
        FHost->StartModelDetection();
        FHost->ProcessMessages();
        stateChanged();
        cameOnline = true;
    }
    for (char c : bytes) {
        FLastReceive = FClock->now();
        ProcessByte(uint8_t(c));
    }
    armBodyTimer();
    if (cameOnline)
        SetPhoneClock(FClock->now());
}

void TPhone::ProcessByte(uint8_t Code)
{
    const qint64 now = FClock->msecs();
    FDecoder.Expire(now);
    if (!FDecoder.Pending() && FPhoneRobotMode) {
        stateChanged();
        if (FRobotHandler)
            FRobotHandler(Code);
        return;
    }
    FDecoder.TalkSearchActive = FHost->TalkSearchActive;
    FDecoder.Feed(Code, now);
}

void TPhone::armBodyTimer()
{
    if (!FDecoder.Pending()) {
        FBodyTimer->stop();
        return;
    }
    const qint64 left = FDecoder.Deadline() - FClock->msecs();
    FBodyTimer->start(int(qMax<qint64>(left, 0)));
}

void TPhone::bodyTimerTick()
{
    FBodyTimer->stop();
    if (!FDecoder.Pending())
        return;
    if (!FDecoder.Expire(FClock->msecs()))
        armBodyTimer();
}

void TPhone::dispatch(const TPhoneMessage &msg)
{
    const uint8_t code = msg.Code;
    const QByteArray &b = msg.Body;
    switch (code) {
    case 0x01:
        if (FHost->TalkTransferActive) {
            FState = psWaiting;
            if (OnStopSendTalk)
                OnStopSendTalk();
            return;
        }
        break;
    case 0x20: receiverLifted(rsUp); break;
    case 0x21: lineFree(); break;
    case 0x22: receiverLifted(rsUpParallel); break;
    case 0x28:
        FState = psOutgoingCall;
        FAutoDiale = true;
        stateChanged();
        FCallStart = FClock->now();
        if (OnStartCall)
            OnStartCall(ckOutgoing, TBuffer());
        break;
    case 0x2C: FAutoAnswered = true; break;
    case 0x30:
        if (FState == psWaiting) {
            FState = psIncomingCall;
            FNumberGiven = false;
            stateChanged();
            if (OnStartCall)
                OnStartCall(ckIncoming, TBuffer());
            FCurrentPhone.clear();
            FCallStart = TDateTime();
        }
        break;
    case 0x31:
        // A number reported while an outgoing call runs belongs to no call of
        // ours: the outgoing call keeps its number, category and start.
        if (FState == psOutgoingCall)
            break;
        FCategory = uint8_t(b.at(0));
        FCurrentPhone = b.mid(2, uint8_t(b.at(1)));
        FNumberGiven = true;
        if (FState == psWaiting) {
            FState = psIncomingCall;
            stateChanged();
            if (OnStartCall)
                OnStartCall(ckIncoming, FCurrentPhone);
        } else if (FState == psIncomingCall) {
            if (OnGotPhoneNumber)
                OnGotPhoneNumber(FCurrentPhone);
        }
        FCallStart = TDateTime();
        break;
    case 0x32:
        if (FState == psIncomingCall && OnCallerMessage)
            OnCallerMessage(this);
        break;
    case 0x33:
        if (FState != psIncomingCall && FState != psOutgoingCall) {
            FState = psInUse;
            stateChanged();
        }
        break;
    case 0x41:
    case 0x42:
        callRecord(msg);
        break;
    case 0x44:
        FPhoneCodePending = false;
        if (OnPhoneCode)
            OnPhoneCode(PhoneNumberToText(b.left(5), false));
        break;
    case 0x45: {
        const int n = TPhoneDecoder::NibbleByte(b.constData() + 4);
        if (n >= 1) {
            QList<quint16> values(n, 0);
            for (int i = 0; i < qMin(n, 2); ++i)
                values[i] = quint16(TPhoneDecoder::NibbleByte(b.constData() + 6 + 2 * i));
            FHost->ParamReceived(quint16(TPhoneDecoder::NibbleWord(b.constData())), values);
        }
        break;
    }
    case 0x47: firmwareVersion(msg); break;
    case 0x48: modelBlock(msg); break;
    case 0x53:
    case 0x54:
    case 0x55: {
        const int cell = TPhoneDecoder::NibbleWord(b.constData());
        const int length = QuarterSecondsToSeconds(TPhoneDecoder::NibbleWord(b.constData() + 4));
        const TTalkKind kind = code == 0x53 ? tkInTalk : code == 0x54 ? tkInMessage : tkOutTalk;
        if (OnStartSendTalk)
            OnStartSendTalk(kind, quint16(length), cell);
        setState(psSendTalk);
        break;
    }
    case 0x56:
    case 0x57:
        if (b.isEmpty())
            return;                 // no talk search: the byte is dropped
        FHost->TalkSearchReply(code, uint8_t(b.at(0)), b.mid(1));
        return;
    default:
        break;
    }
    if (code <= 0x0A)
        dialledDigit(code);
    else if (code >= 0x10 && code <= 0x1A)
        dialledDigit(code - 0x10);
}

bool TPhone::numberComplete() const
{
    return !FAutoDiale && FDigitWatch && !FCurrentPhone.isEmpty()
        && uint8_t(FCurrentPhone.at(0)) != FLongDistancePrefix
        && FCurrentPhone.size() == FRegionalNumberLength;
}

void TPhone::dialledDigit(uint8_t d)
{
    if (FHost->MemoryReadActive)
        return;
    if (FState == psWaiting) {
        FState = psOutgoingCall;
        FCallStart = FClock->now();
        FNumberTimer->start(NumberInterval);
        FCurrentPhone.clear();
        if (OnStartCall)
            OnStartCall(ckOutgoing, TBuffer());
    }
    if (FState == psOutgoingCall) {
        FCurrentPhone.append(char(d));
        FCallStart = FClock->now();
        if (numberComplete()) {
            FNumberTimer->stop();
            if (OnStartTalk)
                OnStartTalk(ckOutgoing);
        } else {
            FNumberTimer->stop();
            FNumberTimer->start(NumberInterval);
        }
    }
    stateChanged();
}

void TPhone::numberTimerTick()
{
    if (FAutoDiale || !FDigitWatch)
        return;
    FNumberTimer->stop();
    FCallStart = FClock->now();
    if (OnGotPhoneNumber)
        OnGotPhoneNumber(FCurrentPhone);
    if (OnStartTalk)
        OnStartTalk(ckOutgoing);
}

void TPhone::receiverLifted(TReceiverState r)
{
    if (FAutoDiale) {
        FAutoDiale = false;
        FDigitWatch = false;
        FLastAutoDialNumber = PhoneNumberToText(FCurrentPhone, true);
        FReceiverState = r;
        if (OnReceiverUp)
            OnReceiverUp(this);
        if (OnStartCall)
            OnStartCall(ckOutgoing, FCurrentPhone);
        FCallStart = FClock->now();
        if (OnStartTalk)
            OnStartTalk(ckOutgoing);
        return;
    }
    if (FState == psIncomingCall && FReceiverState == rsDown) {
        FCallStart = FClock->now();
        if (OnStartTalk)
            OnStartTalk(ckIncoming);
    }
    FReceiverState = r;
    if (FState != psIncomingCall && FState != psOutgoingCall && OnReceiverUp)
        OnReceiverUp(this);
}

void TPhone::lineFree()
{
    FDigitWatch = true;
    if (FAutoDiale) {
        const QString text = PhoneNumberToText(FCurrentPhone, true);
        if (text != FLastAutoDialNumber) {
            if (OnStartCall)
                OnStartCall(ckOutgoing, FCurrentPhone);
            if (OnEndCall)
                OnEndCall(ckOutgoing, cpVrx, FClock->now(), FCurrentPhone, {caVRX}, FCategory);
            FLastAutoDialNumber = text;
        }
        FCurrentPhone.clear();
        FAutoDiale = false;
    } else if (FState == psOutgoingCall) {
        const TDateTime start = endingCallStart();
        if (FReceiverState == rsUp && OnEndCall)
            OnEndCall(ckOutgoing, cpVrx, start, FCurrentPhone, {caVRX}, 0);
        else if (FReceiverState == rsUpParallel && OnEndCall)
            OnEndCall(ckOutgoing, cpParallel, start, FCurrentPhone, {caParallel}, 0);
    } else if (FState == psIncomingCall) {
        endingCallStart();
        TCallPlace place;
        TCallAttributes attributes;
        placeAndAttributes(place, attributes);
        if (OnEndCall)
            OnEndCall(ckIncoming, place, FCallStart, FCurrentPhone, attributes, FCategory);
    }
    FNumberTimer->stop();
    FReceiverState = rsDown;
    FState = psWaiting;
    FAutoAnswered = false;
    FCurrentPhone.clear();
    FCategory = 0;
    FNumberGiven = false;
    FCallStart = TDateTime();
    stateChanged();
    if (OnLineFree)
        OnLineFree(this);
}

void TPhone::callRecord(const TPhoneMessage &msg)
{
    const bool incoming = msg.Code == 0x41;
    const QByteArray raw = char(msg.Code) + msg.Body;
    if (FStaleReplies > 0) {
        --FStaleReplies;
        if (raw == FLastRecord)
            return;                 // a late answer to a request for the previous cell
        FStaleReplies = 0;          // that request was lost; this answers the current cell
    } else if (FCellReplies > 0 && FCellReplies < FCellRequests && raw == FLastRecord) {
        ++FCellReplies;
        return;                     // a second answer for the cell already reported
    }
    ++FCellReplies;
    FLastRecord = raw;
    FRetryTimer->stop();

    const QByteArray &b = msg.Body;
    const int n = uint8_t(b.at(0));
    const TBuffer number = b.mid(1, n);
    const char *r = b.constData() + 1 + n;
    const auto at = [r](int i) { return int(uint8_t(r[i])); };
    int hour, minute, day, month, dh, dm, ds, flags, category;
    if (incoming) {
        category = at(0); hour = at(1); minute = at(2); day = at(3); month = at(4);
        dh = at(5); dm = at(6); ds = at(7); flags = at(8);
    } else {
        category = 0; hour = at(0); minute = at(1); day = at(2); month = at(3);
        dh = at(4); dm = at(5); ds = at(6); flags = at(7);
    }
    TCallRec rec;
    rec.Number = PhoneNumberToText(number, !incoming);
    rec.Time = RecordTime(FClock->now(), month, day, hour, minute);
    TDateTime duration;
    if (TDateTime::tryEncodeTime(dh, dm, ds, 0, duration))
        rec.Duration = duration;
    rec.Flags = uint8_t(flags);
    rec.Category = uint8_t(category);
    if (OnPhoneRecord)
        OnPhoneRecord(incoming ? ckIncoming : ckOutgoing, rec);
}

TDateTime TPhone::RecordTime(TDateTime Now, int Month, int Day, int Hour, int Minute)
{
    TDateTime time;
    if (!TDateTime::tryEncodeTime(Hour, Minute, 0, 0, time))
        return TDateTime();
    // The record carries no year: it is the latest date not more than a day
    // ahead of now, so December's calls read in January stay in the old year.
    const int year = Now.date().year();
    for (int y : {year, year - 1}) {
        TDateTime date;
        if (!TDateTime::tryEncodeDate(y, Month, Day, date))
            continue;
        const TDateTime t(date.value() + time.value());
        if (t - Now <= 1.0)
            return t;
    }
    return TDateTime();
}

void TPhone::modelBlock(const TPhoneMessage &msg)
{
    const QByteArray &b = msg.Body;
    const int L = TPhoneDecoder::NibbleByte(b.constData());
    const QByteArray B = b.mid(2, L);
    const auto has = [&](int i) { return i < B.size(); };
    const auto at = [&](int i) { return int(uint8_t(B.at(i))); };
    TPhoneIdentity &id = FHost->Identity;
    if (has(1))
        id.PhoneModel = uint8_t(TPhoneDecoder::NibbleByte(B.constData()));
    if (has(4))
        id.PhoneSubModel = uint8_t(TPhoneDecoder::NibbleByte(B.constData() + 3));
    if (has(5)) {
        static const QString letters[] = {QStringLiteral("Ц"), QStringLiteral("Т"), QStringLiteral("С")};
        if (at(5) <= 2)
            id.PhoneModelLetter = letters[at(5)];
    }
    if (has(6))
        id.PhoneVariant = (at(6) & 15) == 1;
    for (int i = 8; i <= 10 && has(i); ++i) {
        if (id.PhoneModelCode.size() >= 3)
            break;
        const int v = at(i) & 15;
        id.PhoneModelCode += v == 14 ? QStringLiteral("Ф") : QString::number(v);
    }
    static const struct { int minLength, index, option; } options[] = {
        {14, 12, 1}, {14, 13, 2}, {16, 15, 3}, {19, 17, 4}, {19, 18, 5},
        {23, 20, 6}, {23, 21, 7}, {23, 22, 8}};
    for (const auto &o : options)
        if (L >= o.minLength && has(o.index))
            id.PhoneOption(o.option) = (at(o.index) & 15) == 1;
    FHost->IdentityReceived();
    SendCommandByte(0x9C);
}

void TPhone::firmwareVersion(const TPhoneMessage &msg)
{
    const QByteArray &b = msg.Body;
    FHost->Identity.FirmwareVersion = quint16(((uint8_t(b.at(0)) & 15) << 8)
                                              | ((uint8_t(b.at(1)) & 15) << 4)
                                              | (uint8_t(b.at(2)) & 15));
    FHost->IdentityReceived();
    FHost->RefreshPhoneInfo();
    RequestPhoneCode();
    FHost->ProcessMessages();
    FHost->UpdateFirmwareCommands();
    FHost->ProcessMessages();
    // Only a record request that went out as 9C is started again, once: the
    // model detection's own 9C must not ask for the same cell twice, and a
    // phone that answers 0 leaves the retry count running, so the read ends.
    if (FHost->MemoryReadActive && FRecordWaitsForVersion && FHost->Identity.FirmwareVersion != 0) {
        FRecordWaitsForVersion = false;
        StartCallRecordRequest(FHost->MemoryReadKind, FHost->MemoryReadCell);
    }
}

// ---------------------------------------------------------------- timers

void TPhone::watchdogTick()
{
    if (FHost->StartingUp || FPhoneRobotMode || FOutCallInputMode)
        return;
    const bool silent = msSince(FLastReceive) > SilenceLimit;
    if ((FState == psWaiting || FState == psOutgoingCall) && !FAutoDiale && silent) {
        TCallPlace place;
        TCallAttributes attributes;
        placeAndAttributes(place, attributes);
        FReceiverState = rsDown;
        if (OnLineFree)
            OnLineFree(this);
        if (FState == psOutgoingCall && OnEndCall)
            OnEndCall(ckOutgoing, place, endingCallStart(), FCurrentPhone, attributes, 0);
        FState = psOffline;
        forgetReplies();
        stateChanged();
    } else if (FPortLost && FState != psOffline && silent) {
        // The port itself is gone: no byte can end this call any more.
        TCallPlace place;
        TCallAttributes attributes;
        placeAndAttributes(place, attributes);
        const TPhoneState was = FState;
        const bool autoDial = FAutoDiale;
        FReceiverState = rsDown;
        if (OnLineFree)
            OnLineFree(this);
        if (OnEndCall) {
            if (was == psIncomingCall)
                OnEndCall(ckIncoming, place, endingCallStart(), FCurrentPhone, attributes, FCategory);
            else if (was == psOutgoingCall && !autoDial)
                OnEndCall(ckOutgoing, place, endingCallStart(), FCurrentPhone, attributes, 0);
        }
        FNumberTimer->stop();
        FAutoDiale = false;
        FAutoAnswered = false;
        FCurrentPhone.clear();
        FCallStart = TDateTime();
        FState = psOffline;
        forgetReplies();
        stateChanged();
    }
    if (FState == psOffline) {
        Close();
        if (Open())
            FPortLost = false;
    }
    FHost->CloseSplash();
}

void TPhone::retryTimerTick()
{
    if (FRetryCount > RetryLimit) {
        FRetryTimer->stop();
        if (FHost->MemoryReadActive)
            FHost->EndMemoryRead();
        if (FHost->TalkSearchActive)
            FHost->FinishTalkSearch();
        return;
    }
    if (FHost->MemoryReadActive)
        RequestCallRecord(FRetryKind, FRetryCell);
    if (FHost->TalkSearchActive)
        SearchTalk(FHost->TalkSearchKind, FHost->TalkSearchIndex);
    ++FRetryCount;
}

void TPhone::portLost()
{
    FDecoder.Reset();
    FBodyTimer->stop();
    FPortLost = true;
}

void TPhone::forgetReplies()
{
    FReqKind = FReqCell = -1;
    FCellRequests = FCellReplies = FStaleReplies = 0;
}

// ---------------------------------------------------------------- connection

bool TPhone::Connect()
{
    if (!Open()) {
        setState(psOffline);
        return false;
    }
    FPortLost = false;
    setState(psWaiting);
    FWatchdogTimer->stop();
    FWatchdogTimer->start(WatchdogInterval);
    return true;
}

void TPhone::Disconnect()
{
    FWatchdogTimer->stop();
    // A call in progress is reported even while a phone-code request waits for
    // its reply: the reply cannot come once the port is closed, and the call
    // would be lost.
    FPhoneCodePending = false;
    if (Online()) {
        TCallPlace place;
        TCallAttributes attributes;
        placeAndAttributes(place, attributes);
        if (FState == psIncomingCall && OnEndCall)
            OnEndCall(ckIncoming, place, endingCallStart(), FCurrentPhone, attributes, FCategory);
        else if (FState == psOutgoingCall && OnEndCall)
            OnEndCall(ckOutgoing, place, endingCallStart(), FCurrentPhone, attributes, 0);
    }
    FReceiverState = rsDown;
    if (OnLineFree)
        OnLineFree(this);
    FState = psOffline;
    FAutoAnswered = false;
    FCallStart = TDateTime();
    stateChanged();
    FNumberTimer->stop();
    FCurrentPhone.clear();
    FDecoder.Reset();
    FBodyTimer->stop();
    forgetReplies();
    Close();
}

void TPhone::GoOffline()
{
    FState = psOffline;
    forgetReplies();
    stateChanged();
}

void TPhone::SetLocalNumberRule(int RegionalNumberLength, uint8_t LongDistancePrefix)
{
    FRegionalNumberLength = RegionalNumberLength;
    FLongDistancePrefix = LongDistancePrefix;
}

// ---------------------------------------------------------------- commands

void TPhone::SendBytes(const TBuffer &Data, int Count)
{
    if (!Online())
        return;
    Count = qMin(Count, int(Data.size()));
    for (int i = 0; i < Count; ++i) {
        // Timed from the moment the driver has the byte, so that a write delayed
        // by the scheduler cannot shorten the gap to the next one. The clock counts
        // whole milliseconds: one more tick makes sure 7 full ones have passed.
        Write(Data.constData() + i, 1);
        const qint64 start = FClock->msecs();
        while (FClock->msecs() - start <= ByteGap)
            FClock->sleepMs(1);
    }
}

void TPhone::SendCommandByte(uint8_t Code)
{
    SendBytes(TBuffer(1, char(Code)));
}

void TPhone::HangUp()
{
    SendCommandByte(0x80);
}

void TPhone::Dial(const QString &Number, int ChannelType)
{
    if (!Online())
        return;
    FCurrentPhone.clear();
    // The prefix goes in front of the number as it will be read: trimmed, upper case.
    QString text = Number.trimmed().toUpper();
    if (!text.isEmpty() && text[0] != u'E' && text[0] != u'L' && ChannelType == 1)
        text.prepend(u'E');
    const TBuffer codes = TextToPhoneNumber(text);
    if (codes.isEmpty() || text.contains(u'?') || codes.size() > 255)
        throw EPhoneError(InvalidNumber);
    TBuffer cmd;
    cmd.append(char(0x90)).append(char(codes.size())).append(codes);
    SendBytes(cmd);
}

TDateTime TPhone::ReadPhoneClock()
{
    if (!Online())
        return TDateTime();
    SendCommandByte(0x81);
    char b[7] = {0, 0, 0, 0, 0, 0, 0};
    TSerialLink::Read(b, 7);
    FLastReceive = FClock->now();
    const auto u = [&](int i) { return int(uint8_t(b[i])); };
    const int year = u(6) < 80 ? 2000 + u(6) : 1900 + u(6);
    TDateTime date, time;
    const bool valid = TDateTime::tryEncodeDate(year, u(5), u(4), date)
        && TDateTime::tryEncodeTime(u(1), u(2), u(3), 0, time);
    // Bytes that came after the reply belong to the receiver.
    if (InputCount() > 0)
        HandleRxChar();
    return valid ? TDateTime(date.value() + time.value()) : TDateTime(1.0);
}

void TPhone::SetPhoneClock(TDateTime Time)
{
    if (!Online())
        return;
    ClearBuffer(false, true);
    const QDateTime dt = Time.toQDateTime();
    const int year = dt.date().year();
    const int yearByte = year > 2000 ? year - 2000 : year - 1900;
    TBuffer cmd;
    cmd.append(char(0x91)).append(char(dt.time().hour())).append(char(dt.time().minute()));
    cmd.append(char(dt.time().second())).append(char(dt.date().day())).append(char(dt.date().month()));
    cmd.append(char(uint8_t(yearByte)));
    SendBytes(cmd);
}

void TPhone::RequestPhoneCode()
{
    if (!Online())
        return;
    SendCommandByte(0x95);
    FPhoneCodePending = true;
}

void TPhone::RequestParameter(quint16 Address)
{
    TBuffer cmd(1, char(0x9A));
    AppendNibbleWord(cmd, Address);
    SendBytes(cmd);
}

void TPhone::WriteParameter(quint16 Address, const QList<quint16> &Values)
{
    if (Values.isEmpty())
        return;
    const int count = int(qMin<qsizetype>(Values.size(), 255));   // one nibble byte
    TBuffer cmd(1, char(0x99));
    AppendNibbleWord(cmd, Address);
    AppendNibbleByte(cmd, uint8_t(count));
    for (int i = 0; i < qMin(count, 2); ++i)
        AppendNibbleByte(cmd, uint8_t(Values.at(i)));
    cmd.append(QByteArray(2 * count + 7 - cmd.size(), '\0'));
    SendBytes(cmd);
}

void TPhone::RequestTalkSend(uint8_t Code, quint16 CellNo)
{
    if (CellNo >= CellCount || FState == psOffline || FState == psInUse)
        return;
    if (Code < 0x83 || Code > 0x85)
        return;
    setState(psSendTalk);
    TBuffer cmd(1, char(Code));
    AppendNibbleWord(cmd, CellNo);
    SendBytes(cmd);
}

void TPhone::RequestCallRecord(uint8_t Kind, int CellNo)
{
    if (CellNo < 0 || CellNo >= CellCount || Kind > 1 || FState == psOffline || FState == psInUse)
        return;
    const quint16 fw = FHost->Identity.FirmwareVersion;
    if (fw == 0) {
        FRecordWaitsForVersion = true;
        SendCommandByte(0x9C);
        return;
    }
    FRecordWaitsForVersion = false;
    if (Kind != FReqKind || CellNo != FReqCell) {
        // Answers still due for the previous cell must not be taken for this one.
        FStaleReplies += qMax(0, FCellRequests - FCellReplies);
        FReqKind = Kind;
        FReqCell = CellNo;
        FCellRequests = FCellReplies = 0;
    }
    TBuffer cmd(1, char(Kind == 0 ? 0x92 : 0x93));
    if (fw > 109)
        AppendNibbleWord(cmd, quint16(CellNo));
    else
        cmd.append(char(CellNo));
    ++FCellRequests;
    SendBytes(cmd);
}

void TPhone::StartCallRecordRequest(uint8_t Kind, int CellNo)
{
    FRetryCell = CellNo;
    FRetryKind = Kind;
    FRetryCount = 0;
    if (FHost->Identity.FirmwareVersion == 0) {
        FRecordWaitsForVersion = true;
        SendCommandByte(0x9C);
    } else {
        RequestCallRecord(Kind, CellNo);
    }
    FRetryTimer->stop();
    if (!FHost->TalkTransferActive)
        FRetryTimer->start(RetryInterval);
}

void TPhone::SearchTalk(uint8_t Kind, int Index)
{
    if (FState == psOffline || FState == psInUse)
        return;
    FRetryTimer->stop();
    QString phone;
    TDateTime time;
    if (Kind == 0 && Index >= 0 && Index < FHost->InBookMarks.size()) {
        phone = FHost->InBookMarks.at(Index).Phone;
        time = FHost->InBookMarks.at(Index).Time;
    } else if (Kind == 1 && Index >= 0 && Index < FHost->OutBookMarks.size()) {
        phone = FHost->OutBookMarks.at(Index).Phone;
        time = FHost->OutBookMarks.at(Index).Time;
    } else {
        return;
    }
    TBuffer codes;
    bool searchable = phone.size() <= 255;
    for (QChar c : phone) {
        if (c == u'?')
            codes.append(char(10));
        else if (c >= u'0' && c <= u'9')
            codes.append(char(c.unicode() - u'0'));
        else
            searchable = false;
    }
    if (!searchable) {
        // No code exists for this character: the phone cannot hold the call.
        FHost->TalkSearchReply(Kind == 0 ? 0x56 : 0x57, 0, QByteArray());
        return;
    }
    const QDateTime dt = time.toQDateTime();
    TBuffer cmd(1, char(Kind == 0 ? 0x9E : 0x9F));
    cmd.append(char(codes.size())).append(codes);
    cmd.append(char(dt.date().day())).append(char(dt.date().month()));
    cmd.append(char(dt.time().hour())).append(char(dt.time().minute()));
    SendBytes(cmd);
    FRetryTimer->start(RetryInterval);
}

void TPhone::StartRobotCall(const QString &Number, uint8_t Speaker, uint8_t HangUpWait,
                            uint8_t DialFlags, TRobotHandler Handler)
{
    if (!Handler)
        return;
    const TBuffer codes = TextToPhoneNumber(Number);
    if (codes.isEmpty() || codes.size() > 255)
        throw EPhoneError(InvalidNumber);
    FPhoneRobotMode = true;
    FRobotHandler = std::move(Handler);
    FHost->RobotNumber = Number;
    TBuffer cmd(1, char(0x82));
    cmd.append(char(codes.size())).append(codes);
    cmd.append(char(Speaker)).append(char(HangUpWait)).append(char(DialFlags));
    SendBytes(cmd);
}

void TPhone::StopRobotCall()
{
    HangUp();
    FRobotHandler = nullptr;
    FPhoneRobotMode = false;
}

void TPhone::SetPhoneRobotMode(TRobotHandler Handler)
{
    FPhoneRobotMode = bool(Handler);
    FRobotHandler = std::move(Handler);
}

void TPhone::PlayMessageToLine(quint16 Value, uint8_t MessageNumber)
{
    TBuffer cmd(1, char(0x9B));
    cmd.append(char((Value >> 4) & 15)).append(char(Value & 15)).append(char(MessageNumber));
    SendBytes(cmd);
}

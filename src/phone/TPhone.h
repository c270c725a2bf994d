#pragma once
// The link to the VRX phone: the serial port, the receiver that turns the
// phone's bytes into line state and events, and the commands sent to it.
#include "TPhoneClock.h"
#include "TPhoneDecoder.h"
#include "TPhoneHost.h"
#include "TSerialLink.h"
#include "common/PhoneTypes.h"
#include <functional>
#include <memory>

class TPhone;

using TNotifyEvent = std::function<void(TPhone *Sender)>;
using TStartCallEvent = std::function<void(TCallKind CallKind, const TBuffer &Number)>;
using TPhoneNumberEvent = std::function<void(const TBuffer &Number)>;
using TStartTalkEvent = std::function<void(TCallKind CallKind)>;
using TEndCallEvent = std::function<void(TCallKind CallKind, TCallPlace CallPlace, TDateTime Time,
                                         const TBuffer &Number, TCallAttributes Attributes,
                                         uint8_t Category)>;
using TPhoneRecordEvent = std::function<void(TCallKind CallKind, const TCallRec &CallRec)>;
using TPhoneCodeEvent = std::function<void(const QString &PhoneCode)>;
using TStartSendTalk = std::function<void(TTalkKind TalkKind, quint16 Length, int CellNo)>;
using TStopSendTalk = std::function<void()>;
using TRobotHandler = std::function<void(uint8_t Code)>;

class TPhone : public TSerialLink {
    Q_OBJECT
public:
    static constexpr int WatchdogInterval = 7500;
    static constexpr int NumberInterval = 10000;
    static constexpr int RetryInterval = 400;
    static constexpr int SilenceLimit = 15000;
    static constexpr int RetryLimit = 10;
    static constexpr int ByteGap = 7;
    static constexpr int CellCount = 97;

    // host and clock may be null: no main window, the real clock.
    explicit TPhone(TPhoneHost *host = nullptr, TPhoneClock *clock = nullptr,
                    QObject *parent = nullptr);
    ~TPhone() override;

    // Events; an unassigned one is skipped.
    TNotifyEvent OnStateChanged;
    TStartCallEvent OnStartCall;
    TPhoneNumberEvent OnGotPhoneNumber;
    TStartTalkEvent OnStartTalk;
    TEndCallEvent OnEndCall;
    TNotifyEvent OnReceiverUp;
    TNotifyEvent OnLineFree;
    TNotifyEvent OnCallerMessage;
    TPhoneRecordEvent OnPhoneRecord;
    TPhoneCodeEvent OnPhoneCode;
    TStartSendTalk OnStartSendTalk;
    TStopSendTalk OnStopSendTalk;

    // Properties.
    bool Online() const { return FState != psOffline; }
    TPhoneState State() const { return FState; }
    TReceiverState ReceiverState() const { return FReceiverState; }
    bool AutoDiale() const { return FAutoDiale; }
    const TBuffer &CurrentPhone() const { return FCurrentPhone; }
    TCallKind CurrentCallKind() const { return FState == psIncomingCall ? ckIncoming : ckOutgoing; }
    bool PhoneRobotMode() const { return FPhoneRobotMode; }
    bool OutCallInputMode() const { return FOutCallInputMode; }
    void SetOutCallInputMode(bool value) { FOutCallInputMode = value; }
    int RegionalNumberLength() const { return FRegionalNumberLength; }
    uint8_t LongDistancePrefix() const { return FLongDistancePrefix; }
    TDateTime CallStart() const { return FCallStart; }
    TDateTime LastReceive() const { return FLastReceive; }
    uint8_t Category() const { return FCategory; }
    // The phone reported the caller's number (code 31) for the incoming call
    // now in progress, also when it reported it empty.
    bool NumberGiven() const { return FNumberGiven; }
    bool AutoAnswered() const { return FAutoAnswered; }
    bool PhoneCodePending() const { return FPhoneCodePending; }
    bool DigitWatch() const { return FDigitWatch; }
    QString LastAutoDialNumber() const { return FLastAutoDialNumber; }
    int RetryCell() const { return FRetryCell; }
    uint8_t RetryKind() const { return FRetryKind; }
    int RetryCount() const { return FRetryCount; }
    TPhoneHost *Host() const { return FHost; }
    TPhoneClock *Clock() const { return FClock; }
    const TPhoneTimer &WatchdogTimer() const { return *FWatchdogTimer; }
    const TPhoneTimer &NumberTimer() const { return *FNumberTimer; }
    const TPhoneTimer &RetryTimer() const { return *FRetryTimer; }

    // Receiver. HandleRxChar is the port's received-characters handler; Receive
    // runs the same steps on bytes given by the caller.
    void HandleRxChar();
    void Receive(const QByteArray &bytes);
    void ProcessByte(uint8_t Code);

    // Connection.
    bool Connect();
    void Disconnect();
    void GoOffline();
    void SetLocalNumberRule(int RegionalNumberLength, uint8_t LongDistancePrefix);

    // Commands; each does nothing while the phone is offline.
    void SendCommandByte(uint8_t Code);
    void SendBytes(const TBuffer &Data, int Count);
    void SendBytes(const TBuffer &Data) { SendBytes(Data, int(Data.size())); }
    void HangUp();
    // ChannelType is the "Channel Type" setting: 1 puts the "E" prefix in front.
    void Dial(const QString &Number, int ChannelType = 0);
    TDateTime ReadPhoneClock();
    void SetPhoneClock(TDateTime Time);
    void RequestPhoneCode();
    void RequestParameter(quint16 Address);
    void WriteParameter(quint16 Address, const QList<quint16> &Values);
    void RequestTalkSend(uint8_t Code, quint16 CellNo);
    void RequestCallRecord(uint8_t Kind, int CellNo);
    void StartCallRecordRequest(uint8_t Kind, int CellNo);
    void SearchTalk(uint8_t Kind, int Index);
    void StartRobotCall(const QString &Number, uint8_t Speaker, uint8_t HangUpWait,
                        uint8_t DialFlags, TRobotHandler Handler);
    void StopRobotCall();
    // Robot mode without a robot call (line diagnosis): every byte goes to Handler;
    // a null handler ends the mode.
    void SetPhoneRobotMode(TRobotHandler Handler);
    void PlayMessageToLine(quint16 Value, uint8_t MessageNumber);

    // The start of a call record: the record's month, day, hour and minute in
    // the year that puts it at most a day after Now; 0 when they form no date.
    static TDateTime RecordTime(TDateTime Now, int Month, int Day, int Hour, int Minute);
    // Talk lengths: quarter-second counts to whole seconds, halves to even.
    static int QuarterSecondsToSeconds(int count);
    static void AppendNibbleWord(TBuffer &buf, quint16 value);
    static void AppendNibbleByte(TBuffer &buf, uint8_t value);

private:
    void stateChanged();
    void setState(TPhoneState state);   // raises OnStateChanged when it changes
    void placeAndAttributes(TCallPlace &place, TCallAttributes &attributes) const;
    // CallStart for a call being ended: a call nobody answered starts now.
    TDateTime endingCallStart();
    void dispatch(const TPhoneMessage &msg);
    void dialledDigit(uint8_t d);
    bool numberComplete() const;
    void receiverLifted(TReceiverState r);
    void lineFree();
    void callRecord(const TPhoneMessage &msg);
    void modelBlock(const TPhoneMessage &msg);
    void firmwareVersion(const TPhoneMessage &msg);
    void watchdogTick();
    void numberTimerTick();
    void retryTimerTick();
    void bodyTimerTick();
    void armBodyTimer();
    void portLost();
    void forgetReplies();
    qint64 msSince(TDateTime t);

    TPhoneHost *FHost;
    std::unique_ptr<TPhoneHost> FOwnHost;
    TPhoneClock *FClock;
    TPhoneDecoder FDecoder;

    TReceiverState FReceiverState = rsDown;
    int FRegionalNumberLength = 7;
    uint8_t FLongDistancePrefix = 8;
    TDateTime FCallStart;
    TBuffer FCurrentPhone;
    std::unique_ptr<TPhoneTimer> FWatchdogTimer;
    std::unique_ptr<TPhoneTimer> FNumberTimer;
    std::unique_ptr<TPhoneTimer> FRetryTimer;
    std::unique_ptr<TPhoneTimer> FBodyTimer;
    TDateTime FLastReceive;
    TPhoneState FState = psOffline;
    bool FAutoDiale = false;
    bool FDigitWatch = true;
    QString FLastAutoDialNumber;
    uint8_t FCategory = 0;
    bool FNumberGiven = false;
    bool FAutoAnswered = false;
    bool FPhoneCodePending = false;
    bool FPhoneRobotMode = false;
    bool FOutCallInputMode = false;
    TRobotHandler FRobotHandler;
    int FRetryCell = 0;
    uint8_t FRetryKind = 0;
    int FRetryCount = 0;

    // Replies to resent call-record requests: the phone answers every request in
    // order, so the answers beyond the first for a cell must not be taken for
    // the next cell's record.
    int FReqKind = -1;
    int FReqCell = -1;
    int FCellRequests = 0;      // requests sent for the cell asked for last
    int FCellReplies = 0;       // replies taken or dropped for it
    int FStaleReplies = 0;      // replies still due for earlier cells
    bool FRecordWaitsForVersion = false;   // a record request went out as 9C
    QByteArray FLastRecord;     // code and body of the last record reported

    bool FPortLost = false;
};

#pragma once
// The program's side of the phone link for one run: the session state the
// receiver consults (start-up, memory read, talk search and transfer, the
// bookmark lists, the phone's identity) and the routing of what the receiver
// delivers besides the line events to the part that owns it. The state is
// changed only through the operations here; the phone link reads it through
// Host().
#include "common/PhoneTypes.h"
#include "phone/TPhoneHost.h"
#include <QByteArray>
#include <QList>
#include <QObject>

class TCallHandler;
class TPhoneDetection;

class TPhoneSession : public QObject, protected TPhoneHost {
    Q_OBJECT
public:
    explicit TPhoneSession(QObject *parent = nullptr);

    // What the phone link is constructed with.
    TPhoneHost *Host() { return this; }
    // The state as the phone link sees it, read-only.
    const TPhoneHost &Flags() const { return *this; }

    // The owners of the deliveries that are no signals: the model detection
    // (model requests, the identity window) and the call handling (the end of
    // the memory read). Either may be null.
    void SetDetection(TPhoneDetection *Detection) { FDetection = Detection; }
    void SetCallHandler(TCallHandler *Handler) { FCallHandler = Handler; }

    void SetStartingUp(bool On) { StartingUp = On; }
    // Start-up: no talk search or transfer, the identity unknown.
    void ResetLink();

    // Memory read: from the first incoming cell; the next cell; over to the
    // outgoing memory's first cell; finished.
    void StartMemoryRead();
    void NextMemoryCell() { ++MemoryReadCell; }
    void MemoryReadOutgoing();
    void StopMemoryRead() { MemoryReadActive = false; }

    // Talk transfer: the bookmarks of the talks to copy and the one asked for
    // first; the one asked for now; the transfer over.
    void StartTalkTransfer(const QList<TInBookMarks> &In, const QList<TOutBookMarks> &Out, int Index);
    void SetTalkSearchIndex(int Index) { TalkSearchIndex = Index; }
    void StopTalkTransfer() { TalkTransferActive = false; }
    // A copied talk's journal row got a new key.
    void SetBookMarkCallId(TCallKind Kind, int Index, int CallId);

signals:
    // The watchdog ran past start-up: the splash window goes.
    void SplashCloseWanted();
    // The identity fields changed (model block or firmware version).
    void IdentityChanged();
    // The firmware version arrived: the commands that depend on it.
    void FirmwareKnown();
    // A parameter value (code 0x45), for the phone-settings model.
    void ParamValueReceived(quint16 Address, const QList<quint16> &Values);
    // A talk-search reply (0x56 or 0x57) and the search given up, for the talk download.
    void TalkSearchReplied(uint8_t Code, int Count, const QByteArray &Entries);
    void TalkSearchGivenUp();

protected:
    void StartModelDetection() override;
    void ProcessMessages() override;
    void CloseSplash() override;
    void RefreshPhoneInfo() override;
    void UpdateFirmwareCommands() override;
    void IdentityReceived() override;
    void EndMemoryRead() override;
    void FinishTalkSearch() override;
    void ParamReceived(quint16 Address, const QList<quint16> &Values) override;
    void TalkSearchReply(uint8_t Code, int Count, const QByteArray &Entries) override;

private:
    TPhoneDetection *FDetection = nullptr;
    TCallHandler *FCallHandler = nullptr;
};

#pragma once
// What the phone link reads from and hands to the main window: the fields the
// receiver consults, the identity it fills, and the entry points it calls.
// The defaults do nothing, so a tool that needs only events can use it as is.
#include "TBookMarks.h"
#include "TPhoneIdentity.h"
#include <QByteArray>
#include <QList>
#include <cstdint>

class TPhoneHost {
public:
    virtual ~TPhoneHost() = default;

    bool StartingUp = false;
    bool TalkTransferActive = false;   // byte 0x01 then ends the stored talk
    bool TalkSearchActive = false;     // only then are codes 0x56, 0x57 read
    bool MemoryReadActive = false;     // dialled digits are ignored meanwhile
    uint8_t MemoryReadKind = 0;
    int MemoryReadCell = 0;
    uint8_t TalkSearchKind = 0;
    int TalkSearchIndex = 0;
    int TalkSearchFound = 0;
    TPhoneIdentity Identity;
    QList<TInBookMarks> InBookMarks;
    QList<TOutBookMarks> OutBookMarks;
    QString RobotNumber;

    // The phone has just been heard after being offline.
    virtual void StartModelDetection() {}
    // Lets pending user-interface messages run.
    virtual void ProcessMessages() {}
    // The watchdog ran past start-up.
    virtual void CloseSplash() {}
    // The firmware version arrived: refresh the phone-information window if shown.
    virtual void RefreshPhoneInfo() {}
    // The firmware version arrived: update the commands that depend on it.
    virtual void UpdateFirmwareCommands() {}
    // The identity fields changed (model block or firmware version decoded).
    virtual void IdentityReceived() {}
    // The call-record retries gave up during a memory read.
    virtual void EndMemoryRead() {}
    // The retries gave up during a talk search.
    virtual void FinishTalkSearch() {}
    // A parameter value (code 0x45).
    virtual void ParamReceived(quint16 Address, const QList<quint16> &Values) {}
    // A talk-search reply: Code 0x56 (Count entries of 12 bytes) or 0x57 (8 bytes).
    virtual void TalkSearchReply(uint8_t Code, int Count, const QByteArray &Entries) {}
};

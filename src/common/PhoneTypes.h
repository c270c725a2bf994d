#pragma once
// Types that travel with the phone's events and into the journals.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include "TDateTime.h"

// A telephone number travels as phone codes, one byte per digit.
using TBuffer = QByteArray;

enum TPhoneState : uint8_t {
    psOffline, psWaiting, psOutgoingCall, psIncomingCall, psInUse, psSendTalk
};
enum TReceiverState : uint8_t { rsDown, rsUp, rsUpParallel };
enum TCallKind : uint8_t { ckIncoming, ckOutgoing };
enum TCallPlace : uint8_t { cpVrx, cpParallel, cpUnknown };
enum TTalkKind : uint8_t { tkOutTalk, tkInTalk, tkInMessage };
enum TCallAttribute : uint8_t { caVRX, caParallel, caAutoAnswer, caNoTalk, caRobot };

// A set of TCallAttribute held in one byte (bit values 1, 2, 4, 8, 16).
class TCallAttributes {
public:
    constexpr TCallAttributes() = default;
    constexpr TCallAttributes(std::initializer_list<TCallAttribute> list)
    {
        for (TCallAttribute a : list)
            FBits |= uint8_t(1u << a);
    }
    static constexpr TCallAttributes fromByte(uint8_t b)
    {
        TCallAttributes r;
        r.FBits = b & 0x1F;
        return r;
    }
    constexpr uint8_t toByte() const { return FBits; }
    constexpr bool has(TCallAttribute a) const { return FBits & (1u << a); }
    constexpr TCallAttributes &operator+=(TCallAttribute a) { FBits |= uint8_t(1u << a); return *this; }
    constexpr TCallAttributes &operator-=(TCallAttribute a) { FBits &= uint8_t(~(1u << a)); return *this; }
    constexpr bool isEmpty() const { return FBits == 0; }
    friend constexpr bool operator==(TCallAttributes a, TCallAttributes b) { return a.FBits == b.FBits; }

private:
    uint8_t FBits = 0;
};

// One call record read from the phone's own memory.
struct TCallRec {
    QString Number;
    TDateTime Time;
    TDateTime Duration;
    uint8_t Flags = 0;
    uint8_t Category = 0;
};

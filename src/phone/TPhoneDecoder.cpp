#include "TPhoneDecoder.h"

int TPhoneDecoder::HeadLength(uint8_t code, bool talkSearchActive)
{
    switch (code) {
    case 0x31: return 2;             // category, n
    case 0x41: case 0x42: return 1;  // n
    case 0x44: return 5;             // five codes
    case 0x45: return 6;             // nibble word address, nibble byte n
    case 0x47: return 3;
    case 0x48: return 2;             // nibble byte L
    case 0x53: case 0x54: case 0x55: return 8;
    case 0x56: case 0x57: return talkSearchActive ? 1 : 0;
    default: return 0;
    }
}

int TPhoneDecoder::TailLength(uint8_t code, const QByteArray &head)
{
    const auto n = [&](int i) { return int(uint8_t(head.at(i))); };
    switch (code) {
    case 0x31: return n(1);
    case 0x41: return n(0) + 13;
    case 0x42: return n(0) + 12;
    case 0x45: return NibbleByte(head.constData() + 4) * 2;
    case 0x48: return NibbleByte(head.constData());
    case 0x56: return n(0) * 12;
    case 0x57: return n(0) * 8;
    default: return 0;
    }
}

void TPhoneDecoder::Feed(uint8_t byte, qint64 nowMs)
{
    Expire(nowMs);
    if (!FPending) {
        FMsg.Code = byte;
        FMsg.Body.clear();
        FMsg.Cut = false;
        FInTail = false;
        const int head = HeadLength(byte, TalkSearchActive);
        if (head == 0) {
            finish();
            return;
        }
        FPending = true;
        beginPart(head, nowMs);
        return;
    }
    FMsg.Body.append(char(byte));
    if (FMsg.Body.size() >= FPartEnd)
        partDone(nowMs);
}

void TPhoneDecoder::beginPart(int count, qint64 nowMs)
{
    FPartEnd = int(FMsg.Body.size()) + count;
    FDeadline = nowMs + ReadTimeout(count);
}

void TPhoneDecoder::partDone(qint64 nowMs)
{
    if (!FInTail) {
        FInTail = true;
        const int tail = TailLength(FMsg.Code, FMsg.Body);
        if (tail > 0) {
            beginPart(tail, nowMs);
            return;
        }
    }
    finish();
}

bool TPhoneDecoder::Expire(qint64 nowMs)
{
    if (!FPending || nowMs < FDeadline)
        return false;
    Flush();
    return true;
}

void TPhoneDecoder::Flush()
{
    if (!FPending)
        return;
    FMsg.Cut = true;
    FMsg.Body.append(QByteArray(FPartEnd - int(FMsg.Body.size()), '\0'));
    if (!FInTail)
        FMsg.Body.append(QByteArray(TailLength(FMsg.Code, FMsg.Body), '\0'));
    finish();
}

void TPhoneDecoder::finish()
{
    FPending = false;
    FInTail = false;
    // The handler may feed the decoder again; it gets its own copy.
    const TPhoneMessage msg = std::move(FMsg);
    FMsg = TPhoneMessage();
    if (OnMessage)
        OnMessage(msg);
}

void TPhoneDecoder::Reset()
{
    FPending = false;
    FInTail = false;
    FMsg.Body.clear();
}

#pragma once
// Splits the phone's byte stream into messages: a code byte and the body that
// follows it. A body is read in at most two parts (a fixed head, then a part
// whose length the head gives); each part must arrive within 1000 ms plus
// 100 ms per byte of it, else the message is completed with zeros and the
// bytes after it start fresh messages. Fed with bytes and the current time.
#include <QByteArray>
#include <QtGlobal>
#include <cstdint>
#include <functional>

struct TPhoneMessage {
    uint8_t Code = 0;
    QByteArray Body;     // always the full length the code's layout asks for
    bool Cut = false;    // part of the body did not arrive and is zeros
};

class TPhoneDecoder {
public:
    std::function<void(const TPhoneMessage &)> OnMessage;

    // Codes 0x56 and 0x57 carry a body only while a talk search runs.
    bool TalkSearchActive = false;

    // One received byte at nowMs (monotonic). A pending message whose time is up is
    // completed first, so the byte then starts a fresh message.
    void Feed(uint8_t byte, qint64 nowMs);
    // Completes the pending message with zeros when its deadline has passed.
    // Returns true when it did.
    bool Expire(qint64 nowMs);
    // Completes the pending message with zeros now (the port went away).
    void Flush();
    void Reset();

    bool Pending() const { return FPending; }
    qint64 Deadline() const { return FDeadline; }
    uint8_t PendingCode() const { return FMsg.Code; }

    // Read time-out for a body part of count bytes.
    static int ReadTimeout(int count) { return 1000 + 100 * count; }
    // Length of the first body part of a code (0: no body).
    static int HeadLength(uint8_t code, bool talkSearchActive);
    // Length of the second part, given the head; 0 when there is none.
    static int TailLength(uint8_t code, const QByteArray &head);
    static int NibbleByte(const char *p) { return ((uint8_t(p[0]) & 15) << 4) | (uint8_t(p[1]) & 15); }
    static int NibbleWord(const char *p)
    {
        return ((uint8_t(p[0]) & 15) << 12) | ((uint8_t(p[1]) & 15) << 8)
            | ((uint8_t(p[2]) & 15) << 4) | (uint8_t(p[3]) & 15);
    }

private:
    void beginPart(int count, qint64 nowMs);
    void partDone(qint64 nowMs);
    void finish();

    TPhoneMessage FMsg;
    bool FPending = false;
    bool FInTail = false;
    int FPartEnd = 0;         // body size at which the current part is complete
    qint64 FDeadline = 0;
};

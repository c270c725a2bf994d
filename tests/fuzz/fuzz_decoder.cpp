// Any byte stream into the phone's decoder and receiver: no crash, no hang, and
// after the garbage and a time-out a well-formed message is still decoded.
// Input: a flag byte (talk search, talk transfer, memory read, robot mode), then
// chunks, each led by a byte: low 7 bits + 1 = chunk length, high bit = advance
// the clock by (low 7 bits) * 100 ms first.
#include "phone/TPhone.h"
#include "phone/TPhoneDecoder.h"
#include "phone/TPhoneNumber.h"
#include <QCoreApplication>
#include <cstdlib>
#include <vector>

namespace {
class FuzzClock : public TPhoneClock {
public:
    class Timer : public TPhoneTimer {
    public:
        explicit Timer(FuzzClock *c) : FClock(c) { c->FTimers.push_back(this); }
        ~Timer() override { std::erase(FClock->FTimers, this); }
        void start(int ms) override { FInterval = ms; FDue = FClock->FNow + ms; FActive = true; }
        void stop() override { FActive = false; }
        bool isActive() const override { return FActive; }
        int interval() const override { return FInterval; }
        FuzzClock *FClock;
        int FInterval = 0;
        qint64 FDue = 0;
        bool FActive = false;
    };
    TDateTime now() override { return TDateTime(46000.0 + FNow / TDateTime::MSecsPerDay); }
    qint64 msecs() override { return FNow; }
    void sleepMs(int ms) override { FNow += ms; }
    std::unique_ptr<TPhoneTimer> createTimer() override { return std::make_unique<Timer>(this); }
    void advance(qint64 ms)
    {
        const qint64 end = FNow + ms;
        for (int guard = 0; guard < 100000; ++guard) {
            Timer *next = nullptr;
            for (Timer *t : FTimers)
                if (t->FActive && t->FDue <= end && (!next || t->FDue < next->FDue))
                    next = t;
            if (!next)
                break;
            FNow = std::max(FNow, next->FDue);
            next->FDue = FNow + std::max(next->FInterval, 1);
            if (next->OnTimer)
                next->OnTimer();
        }
        FNow = end;
    }
    qint64 FNow = 0;
    std::vector<Timer *> FTimers;
};

void check(bool ok)
{
    if (!ok)
        std::abort();
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t flags = data[0];

    // The framing alone.
    {
        TPhoneDecoder d;
        std::vector<TPhoneMessage> got;
        d.OnMessage = [&](const TPhoneMessage &m) { got.push_back(m); };
        d.TalkSearchActive = flags & 1;
        qint64 now = 0;
        for (size_t i = 1; i < size; ++i) {
            if (i % 7 == 0)
                now += data[i] * 10;
            d.Feed(data[i], now);
        }
        d.Expire(now + TPhoneDecoder::ReadTimeout(4000));
        check(!d.Pending());
        got.clear();
        for (int b : {0x44, 1, 2, 3, 4, 5})
            d.Feed(uint8_t(b), now + 400000);
        check(got.size() == 1 && got[0].Code == 0x44 && !got[0].Cut
              && got[0].Body == QByteArray("\1\2\3\4\5", 5));
    }

    // The whole receiver.
    FuzzClock clock;
    TPhoneHost host;
    host.TalkSearchActive = flags & 1;
    host.TalkTransferActive = flags & 2;
    host.MemoryReadActive = flags & 4;
    host.Identity.FirmwareVersion = (flags & 16) ? 112 : 0;
    TPhone phone(&host, &clock);
    phone.SetPort(QString());           // the watchdog's reopening fails at once
    int robotBytes = 0;
    if (flags & 8)
        phone.SetPhoneRobotMode([&](uint8_t) { ++robotBytes; });
    QString lastStart;
    phone.OnStartCall = [&](TCallKind, const TBuffer &n) { lastStart = PhoneNumberToText(n, false); };
    phone.OnPhoneRecord = [&](TCallKind k, const TCallRec &) {
        if (host.MemoryReadActive)
            phone.StartCallRecordRequest(k, phone.RetryCell() + 1);
    };
    size_t i = 1;
    while (i < size) {
        const uint8_t lead = data[i++];
        if (lead & 0x80)
            clock.advance((lead & 0x7F) * 100);
        const size_t n = std::min<size_t>((lead & 0x7F) + 1, size - i);
        phone.Receive(QByteArray(reinterpret_cast<const char *>(data + i), int(n)));
        i += n;
    }
    // Garbage over: a time-out later, a call is still understood.
    clock.advance(TPhoneDecoder::ReadTimeout(4000));
    phone.SetPhoneRobotMode(nullptr);
    host.TalkSearchActive = host.TalkTransferActive = host.MemoryReadActive = false;
    phone.Receive(QByteArray("\x21\x31\x00\x03\x01\x02\x03", 7));
    check(phone.State() == psIncomingCall && lastStart == QLatin1String("123"));
    return 0;
}

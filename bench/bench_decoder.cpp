// Decoding the phone's byte stream, against the 9600-baud line rate (960 bytes/s).
#include "phone/TPhone.h"
#include "phone/TPhoneDecoder.h"
#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {
// A day of line traffic: calls in and out, call records, identity replies.
QByteArray lineTraffic()
{
    const QByteArray incoming("\x30\x31\x01\x07\x01\x02\x03\x04\x05\x06\x07\x20\x21", 13);
    const QByteArray outgoing("\x20\x01\x02\x03\x04\x05\x06\x07\x21", 9);
    const QByteArray record("\x41\x03\x01\x02\x03\x01\x0a\x0f\x09\x0c\x00\x01\x00\x04\x00\x00\x00\x00", 18);
    const QByteArray identity("\x48\x01\x07\x00\x05\x00\x00\x02\x00\x01\x00\x01\x02\x03\x00\x01\x00\x00\x01\x00\x01\x01\x00\x00\x00\x01"
                              "\x47\x00\x07\x00\x44\x01\x02\x03\x04\x05", 36);
    QByteArray s;
    while (s.size() < 1 << 20)
        s += incoming + outgoing + record + record + identity;
    return s;
}

class NoClock : public TPhoneClock {
public:
    class Timer : public TPhoneTimer {
    public:
        void start(int ms) override { FInterval = ms; FActive = true; }
        void stop() override { FActive = false; }
        bool isActive() const override { return FActive; }
        int interval() const override { return FInterval; }
        int FInterval = 0;
        bool FActive = false;
    };
    TDateTime now() override { return TDateTime(46000.5); }
    qint64 msecs() override { return FNow; }
    void sleepMs(int ms) override { FNow += ms; }
    std::unique_ptr<TPhoneTimer> createTimer() override { return std::make_unique<Timer>(); }
    qint64 FNow = 0;
};

const double LineRate = 960.0;   // bytes per second at 9600 baud, 8N1

void BM_Framing(benchmark::State &state)
{
    const QByteArray s = lineTraffic();
    TPhoneDecoder d;
    int64_t messages = 0;
    d.OnMessage = [&](const TPhoneMessage &) { ++messages; };
    for (auto _ : state) {
        for (char c : s)
            d.Feed(uint8_t(c), 0);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * s.size());
    state.counters["x_line_rate"] = benchmark::Counter(double(s.size()) / LineRate,
                                                       benchmark::Counter::kIsIterationInvariantRate);
    benchmark::DoNotOptimize(messages);
}
BENCHMARK(BM_Framing)->Unit(benchmark::kMillisecond);

// The full receiver with events assigned, one notification per 16 bytes.
void BM_Receiver(benchmark::State &state)
{
    int argc = 1;
    char name[] = "bench_decoder";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const QByteArray s = lineTraffic();
    NoClock clock;
    TPhoneHost host;
    host.Identity.FirmwareVersion = 112;
    TPhone phone(&host, &clock);
    int64_t events = 0;
    phone.OnStateChanged = [&](TPhone *) { ++events; };
    phone.OnStartCall = [&](TCallKind, const TBuffer &) { ++events; };
    phone.OnEndCall = [&](TCallKind, TCallPlace, TDateTime, const TBuffer &, TCallAttributes, uint8_t) { ++events; };
    phone.OnPhoneRecord = [&](TCallKind, const TCallRec &) { ++events; };
    for (auto _ : state) {
        for (qsizetype i = 0; i < s.size(); i += 16)
            phone.Receive(s.mid(i, 16));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * s.size());
    state.counters["x_line_rate"] = benchmark::Counter(double(s.size()) / LineRate,
                                                       benchmark::Counter::kIsIterationInvariantRate);
    benchmark::DoNotOptimize(events);
}
BENCHMARK(BM_Receiver)->Unit(benchmark::kMillisecond);
}

#pragma once
// The mixer on a PulseAudio server (or PipeWire's PulseAudio service): master
// volume and mute of the default output, capture source and its port.
#include "TAudioMixer.h"
#include <QByteArray>
#include <cstdint>
#include <vector>

struct pa_context;
struct pa_mainloop;
struct pa_operation;

class TPulseMixer : public TAudioMixer {
public:
    // The sink and source are the server's defaults unless named. The balance of
    // the sink's channels is read here and kept by SetVolume.
    explicit TPulseMixer(const QByteArray &sink = "@DEFAULT_SINK@",
                         const QByteArray &source = "@DEFAULT_SOURCE@");
    ~TPulseMixer() override;
    TPulseMixer(const TPulseMixer &) = delete;
    TPulseMixer &operator=(const TPulseMixer &) = delete;

    bool Available() const override { return FContext != nullptr; }
    int Volume() override;
    void SetVolume(int volume) override;
    std::vector<uint32_t> RawVolume() override;
    void SetRawVolume(const std::vector<uint32_t> &channels) override;
    bool Muted() override;
    void SetMuted(bool muted) override;
    void AdjustAudio() override;

    // Whether a sound server answers at all.
    static bool ServerReachable();

    // The 0..100 scale on PulseAudio's units: v * 65535 / 100 mixer units, each
    // mixer unit a 65535th of the normal volume; reading truncates both ways.
    static uint32_t ToPulse(int volume);
    static int FromPulse(uint32_t pulseVolume);

    struct SinkState {
        bool ok = false;
        bool muted = false;
        std::vector<uint32_t> channels;
    };

private:
    bool Connect();
    void Disconnect();
    bool Wait(pa_operation *op);
    SinkState ReadSink();

    QByteArray FSink;
    QByteArray FSource;
    pa_mainloop *FLoop = nullptr;
    pa_context *FContext = nullptr;
    std::vector<double> FBalance;       // each channel's share of the loudest one
};

#include "TPulseMixer.h"
#include <pulse/pulseaudio.h>
#include <algorithm>
#include <chrono>
#include <string>

namespace {
constexpr auto Timeout = std::chrono::seconds(2);

struct SourceState {
    bool ok = false;
    std::string activePort;
    std::string linePort;
    std::string micPort;
};

bool contains(const char *s, const char *part)
{
    return s && std::string(s).find(part) != std::string::npos;
}

void sinkInfo(pa_context *, const pa_sink_info *i, int eol, void *user)
{
    auto *st = static_cast<TPulseMixer::SinkState *>(user);
    if (eol || !i || st->ok)
        return;
    st->ok = true;
    st->muted = i->mute != 0;
    st->channels.assign(i->volume.values, i->volume.values + i->volume.channels);
}

void sinkIndex(pa_context *, const pa_sink_info *i, int eol, void *user)
{
    if (!eol && i)
        static_cast<std::vector<uint32_t> *>(user)->push_back(i->index);
}

void sourceInfo(pa_context *, const pa_source_info *i, int eol, void *user)
{
    auto *st = static_cast<SourceState *>(user);
    if (eol || !i || st->ok)
        return;
    st->ok = true;
    if (i->active_port && i->active_port->name)
        st->activePort = i->active_port->name;
    for (uint32_t k = 0; k < i->n_ports; ++k) {
        const pa_source_port_info *p = i->ports[k];
        if (!p || !p->name)
            continue;
        const bool line = p->type == PA_DEVICE_PORT_TYPE_LINE || contains(p->name, "line");
        const bool mic = p->type == PA_DEVICE_PORT_TYPE_MIC || contains(p->name, "mic");
        if (line && st->linePort.empty())
            st->linePort = p->name;
        else if (mic && st->micPort.empty())
            st->micPort = p->name;
    }
}

void success(pa_context *, int ok, void *user)
{
    *static_cast<bool *>(user) = ok != 0;
}
}

uint32_t TPulseMixer::ToPulse(int volume)
{
    const uint64_t units = uint64_t(volume) * 65535u / 100u;
    // Rounded up, so that reading truncates back to the same mixer units.
    return uint32_t((units * PA_VOLUME_NORM + 65534u) / 65535u);
}

int TPulseMixer::FromPulse(uint32_t pulseVolume)
{
    const uint64_t p = std::min<uint64_t>(pulseVolume, PA_VOLUME_NORM);
    const uint64_t units = p * 65535u / PA_VOLUME_NORM;
    return int(units * 100u / 65535u);
}

TPulseMixer::TPulseMixer(const QByteArray &sink, const QByteArray &source)
    : FSink(sink), FSource(source)
{
    if (!Connect())
        return;
    const SinkState st = ReadSink();
    if (!st.ok) {
        Disconnect();
        return;
    }
    const uint32_t loudest = st.channels.empty()
        ? 0 : *std::max_element(st.channels.begin(), st.channels.end());
    for (uint32_t c : st.channels)
        FBalance.push_back(loudest ? double(c) / loudest : 1.0);
}

TPulseMixer::~TPulseMixer()
{
    Disconnect();
}

bool TPulseMixer::ServerReachable()
{
    TPulseMixer probe("@DEFAULT_SINK@", "@DEFAULT_SOURCE@");
    return probe.FContext != nullptr;
}

bool TPulseMixer::Connect()
{
    FLoop = pa_mainloop_new();
    if (!FLoop)
        return false;
    FContext = pa_context_new(pa_mainloop_get_api(FLoop), "Konvelo");
    if (!FContext || pa_context_connect(FContext, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        Disconnect();
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
        const pa_context_state_t s = pa_context_get_state(FContext);
        if (s == PA_CONTEXT_READY)
            return true;
        if (!PA_CONTEXT_IS_GOOD(s) || std::chrono::steady_clock::now() > deadline)
            break;
        pa_mainloop_prepare(FLoop, 100000);
        pa_mainloop_poll(FLoop);
        pa_mainloop_dispatch(FLoop);
    }
    Disconnect();
    return false;
}

void TPulseMixer::Disconnect()
{
    if (FContext) {
        pa_context_disconnect(FContext);
        pa_context_unref(FContext);
        FContext = nullptr;
    }
    if (FLoop) {
        pa_mainloop_free(FLoop);
        FLoop = nullptr;
    }
}

// Runs the loop until the operation is done. A server that stops answering
// leaves the mixer unavailable.
bool TPulseMixer::Wait(pa_operation *op)
{
    if (!op)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    bool done = false;
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(FContext))
            || std::chrono::steady_clock::now() > deadline) {
            pa_operation_cancel(op);
            pa_operation_unref(op);
            Disconnect();
            return false;
        }
        pa_mainloop_prepare(FLoop, 100000);
        pa_mainloop_poll(FLoop);
        pa_mainloop_dispatch(FLoop);
    }
    done = pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_unref(op);
    return done;
}

TPulseMixer::SinkState TPulseMixer::ReadSink()
{
    SinkState st;
    if (FContext)
        Wait(pa_context_get_sink_info_by_name(FContext, FSink.constData(), sinkInfo, &st));
    return st;
}

int TPulseMixer::Volume()
{
    const SinkState st = ReadSink();
    if (!st.ok || st.channels.empty())
        return 0;
    return FromPulse(*std::max_element(st.channels.begin(), st.channels.end()));
}

void TPulseMixer::SetVolume(int volume)
{
    if (!FContext || volume < 0 || volume > 100)
        return;
    const SinkState st = ReadSink();
    if (!st.ok || st.channels.empty())
        return;
    const uint32_t loudest = ToPulse(volume);
    pa_cvolume cv;
    pa_cvolume_init(&cv);
    cv.channels = uint8_t(st.channels.size());
    const bool keepBalance = FBalance.size() == st.channels.size();
    for (size_t c = 0; c < st.channels.size(); ++c)
        cv.values[c] = keepBalance ? uint32_t(loudest * FBalance[c] + 0.5) : loudest;
    bool ok = false;
    Wait(pa_context_set_sink_volume_by_name(FContext, FSink.constData(), &cv, success, &ok));
}

std::vector<uint32_t> TPulseMixer::RawVolume()
{
    const SinkState st = ReadSink();
    return st.ok ? st.channels : std::vector<uint32_t>();
}

void TPulseMixer::SetRawVolume(const std::vector<uint32_t> &channels)
{
    if (!FContext || channels.empty() || channels.size() > PA_CHANNELS_MAX)
        return;
    const SinkState st = ReadSink();
    if (!st.ok || st.channels.size() != channels.size())
        return;
    pa_cvolume cv;
    pa_cvolume_init(&cv);
    cv.channels = uint8_t(channels.size());
    for (size_t c = 0; c < channels.size(); ++c)
        cv.values[c] = std::min<uint32_t>(channels[c], PA_VOLUME_MAX);
    bool ok = false;
    Wait(pa_context_set_sink_volume_by_name(FContext, FSink.constData(), &cv, success, &ok));
}

bool TPulseMixer::Muted()
{
    const SinkState st = ReadSink();
    return st.ok && st.muted;
}

void TPulseMixer::SetMuted(bool muted)
{
    if (!FContext)
        return;
    bool ok = false;
    Wait(pa_context_set_sink_mute_by_name(FContext, FSink.constData(), muted ? 1 : 0, success, &ok));
}

void TPulseMixer::AdjustAudio()
{
    if (!FContext)
        return;
    // 1. Every output unmuted.
    std::vector<uint32_t> sinks;
    if (!Wait(pa_context_get_sink_info_list(FContext, sinkIndex, &sinks)))
        return;
    bool ok = false;
    for (uint32_t index : sinks)
        if (!Wait(pa_context_set_sink_mute_by_index(FContext, index, 0, success, &ok)))
            return;
    // 2. The capture master unmuted.
    if (!Wait(pa_context_set_source_mute_by_name(FContext, FSource.constData(), 0, success, &ok)))
        return;
    // 3, 4. The line input, else the microphone, as the capture port. The server
    // mixes no input into the outputs, so there is no line-in playback to mute.
    SourceState src;
    if (!Wait(pa_context_get_source_info_by_name(FContext, FSource.constData(), sourceInfo, &src)) || !src.ok)
        return;
    const std::string &port = !src.linePort.empty() ? src.linePort : src.micPort;
    if (!port.empty() && port != src.activePort)
        Wait(pa_context_set_source_port_by_name(FContext, FSource.constData(), port.c_str(), success, &ok));
}

// Delay from PlayFile (open and play) to the first samples of the sound
// arriving at the sink "line", seen on its monitor:
//   scripts/with-pulse.sh build/bench/bench_play_latency [RUNS] (default 10)
#include "audio/TMediaPlayer.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <pulse/simple.h>
#include <sndfile.h>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
std::atomic<bool> Stop{false};
std::atomic<int64_t> LoudAt{0};     // steady-clock ns of the first loud sample, 0 = none yet
std::atomic<bool> Armed{false};

void listen()
{
    pa_sample_spec ss{PA_SAMPLE_S16LE, 8000, 1};
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.fragsize = 80 * 2;         // 10 ms
    attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
    int err = 0;
    pa_simple *s = pa_simple_new(nullptr, "konvelo-bench", PA_STREAM_RECORD, "line.monitor", "latency",
                                 &ss, nullptr, &attr, &err);
    if (!s) {
        std::fprintf(stderr, "cannot record line.monitor\n");
        Stop = true;
        return;
    }
    int16_t buf[80];
    while (!Stop) {
        if (pa_simple_read(s, buf, sizeof buf, &err) < 0)
            break;
        const auto now = Clock::now();
        if (!Armed || LoudAt != 0)
            continue;
        for (int i = 0; i < 80; ++i) {
            if (std::abs(int(buf[i])) > 1000) {
                const auto at = now - std::chrono::microseconds((80 - i) * 125);
                LoudAt = std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
                break;
            }
        }
    }
    pa_simple_free(s);
}

void spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const QString file = QDir::temp().filePath(QStringLiteral("konvelo-bench-tone.wav"));
    {
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_GSM610;
        SNDFILE *f = sf_open(QFile::encodeName(file).constData(), SFM_WRITE, &info);
        std::vector<int16_t> tone(4000);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = int16_t(15000 * std::sin(2 * M_PI * 1000 * double(i) / 8000));
        sf_write_short(f, tone.data(), sf_count_t(tone.size()));
        sf_close(f);
    }
    std::thread listener(listen);
    std::vector<double> delays;
    {
        TMediaPlayer player;
        spin(500);
        for (int r = 0; r < runs && !Stop; ++r) {
            LoudAt = 0;
            Armed = true;
            const auto t0 = Clock::now();
            player.SetFileName(file);
            if (!player.Open() || !player.Play()) {
                std::fprintf(stderr, "cannot play\n");
                break;
            }
            QElapsedTimer wait;
            wait.start();
            while (LoudAt == 0 && wait.elapsed() < 3000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            Armed = false;
            if (LoudAt != 0) {
                const int64_t t0ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t0.time_since_epoch()).count();
                delays.push_back(double(LoudAt - t0ns) / 1e6);
            }
            player.Stop();
            player.Close();
            spin(300);
        }
    }
    Stop = true;
    listener.join();
    QFile::remove(file);
    if (delays.empty()) {
        std::fprintf(stderr, "no sound arrived at line\n");
        return 1;
    }
    std::sort(delays.begin(), delays.end());
    std::printf("PlayFile to first samples at line: median %.1f ms, min %.1f ms, max %.1f ms (%zu runs)\n",
                delays[delays.size() / 2], delays.front(), delays.back(), delays.size());
    return 0;
}

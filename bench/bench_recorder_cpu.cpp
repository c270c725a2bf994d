// The recorder's CPU share while recording the default input:
//   scripts/with-pulse.sh build/bench/bench_recorder_cpu [SECONDS] (default 60)
#include "audio/TGSMRecorder.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

static double cpuSeconds()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const QString file = QDir::temp().filePath(QStringLiteral("konvelo-bench-rec.wav"));
    int status = 0;
    {
        TGSMRecorder rec;
        rec.SetFileName(file);
        if (!rec.CanRecord()) {
            std::fprintf(stderr, "no sound input device\n");
            return 1;
        }
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        rec.Start();
        if (rec.State() != rsRecording) {
            std::fprintf(stderr, "cannot record\n");
            return 1;
        }
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
        app.exec();
        rec.Stop();
        const double cpu = cpuSeconds() - cpu0;
        const double w = double(wall.elapsed()) / 1000.0;
        std::printf("recorded %.1f s of sound in %.1f s: CPU %.3f s = %.2f %% of a core (target < 2 %%)\n",
                    double(rec.SampleCount()) / 8000.0, w, cpu, 100.0 * cpu / w);
        status = rec.SampleCount() > 0 ? 0 : 1;
    }
    QFile::remove(file);
    return status;
}

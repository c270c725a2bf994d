#include "TQtPhoneClock.h"
#include <QThread>
#include <QTimer>

namespace {
class TQtTimer : public TPhoneTimer {
public:
    TQtTimer()
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (OnTimer)
                OnTimer();
        });
    }
    void start(int intervalMs) override { FTimer.start(intervalMs); }
    void stop() override { FTimer.stop(); }
    bool isActive() const override { return FTimer.isActive(); }
    int interval() const override { return FTimer.interval(); }

private:
    QTimer FTimer;
};
}

TQtPhoneClock::TQtPhoneClock()
{
    FElapsed.start();
}

TDateTime TQtPhoneClock::now()
{
    return TDateTime::now();
}

qint64 TQtPhoneClock::msecs()
{
    return FElapsed.elapsed();
}

void TQtPhoneClock::sleepMs(int ms)
{
    QThread::msleep(ulong(ms));
}

std::unique_ptr<TPhoneTimer> TQtPhoneClock::createTimer()
{
    return std::make_unique<TQtTimer>();
}

TQtPhoneClock *TQtPhoneClock::instance()
{
    static TQtPhoneClock clock;
    return &clock;
}

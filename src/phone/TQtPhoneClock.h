#pragma once
// The real clock: QDateTime, QElapsedTimer, QTimer and QThread::msleep.
#include "TPhoneClock.h"
#include <QElapsedTimer>

class TQtPhoneClock : public TPhoneClock {
public:
    TQtPhoneClock();
    TDateTime now() override;
    qint64 msecs() override;
    void sleepMs(int ms) override;
    std::unique_ptr<TPhoneTimer> createTimer() override;

    static TQtPhoneClock *instance();

private:
    QElapsedTimer FElapsed;
};

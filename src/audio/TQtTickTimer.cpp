#include "TQtTickTimer.h"

TQtTickTimer::TQtTickTimer()
{
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
        if (OnTimer)
            OnTimer();
    });
}

void TQtTickTimer::Start(int intervalMs)
{
    FTimer.start(intervalMs);
}

#pragma once
// TTickTimer on a QTimer of the event loop.
#include "TTickTimer.h"
#include <QTimer>

class TQtTickTimer : public TTickTimer {
public:
    TQtTickTimer();
    void Start(int intervalMs) override;
    void Stop() override { FTimer.stop(); }
    bool Active() const override { return FTimer.isActive(); }

private:
    QTimer FTimer;
};

#pragma once
// A repeating timer as the logic sees it, so that tests can fire it by hand.
#include <functional>

class TTickTimer {
public:
    virtual ~TTickTimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
    // Called at every tick.
    std::function<void()> OnTimer;
};

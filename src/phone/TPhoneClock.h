#pragma once
// Time and timers of the phone link, behind an interface so that tests can
// advance time without waiting.
#include "common/TDateTime.h"
#include <QtGlobal>
#include <functional>
#include <memory>

class TPhoneTimer {
public:
    virtual ~TPhoneTimer() = default;
    // Starts (or restarts) the timer; it fires every intervalMs until stopped.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;

    std::function<void()> OnTimer;
};

class TPhoneClock {
public:
    virtual ~TPhoneClock() = default;
    virtual TDateTime now() = 0;                 // wall clock, local
    virtual qint64 msecs() = 0;                  // monotonic milliseconds
    virtual void sleepMs(int ms) = 0;            // blocks (or advances a test clock)
    virtual std::unique_ptr<TPhoneTimer> createTimer() = 0;
};

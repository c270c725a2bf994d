#pragma once
// A clock that moves only when the test says so; its timers fire from advance().
#include "phone/TPhoneClock.h"
#include <algorithm>
#include <vector>

class TManualClock : public TPhoneClock {
public:
    class Timer : public TPhoneTimer {
    public:
        explicit Timer(TManualClock *c) : FClock(c) { c->FTimers.push_back(this); }
        ~Timer() override { std::erase(FClock->FTimers, this); }
        void start(int ms) override { FInterval = ms; FDue = FClock->FNow + ms; FActive = true; }
        void stop() override { FActive = false; }
        bool isActive() const override { return FActive; }
        int interval() const override { return FInterval; }

        TManualClock *FClock;
        int FInterval = 0;
        qint64 FDue = 0;
        bool FActive = false;
    };

    explicit TManualClock(const QDateTime &start = QDateTime(QDate(2026, 12, 9), QTime(10, 0)))
        : FStart(TDateTime::fromQDateTime(start)) {}

    TDateTime now() override { return FStart + FNow / TDateTime::MSecsPerDay; }
    qint64 msecs() override { return FNow; }
    void sleepMs(int ms) override { FNow += ms; FSlept += ms; }
    std::unique_ptr<TPhoneTimer> createTimer() override { return std::make_unique<Timer>(this); }

    // Moves time forward by ms, firing every timer that falls due on the way, in order.
    void advance(qint64 ms)
    {
        const qint64 end = FNow + ms;
        for (;;) {
            Timer *next = nullptr;
            for (Timer *t : FTimers)
                if (t->FActive && t->FDue <= end && (!next || t->FDue < next->FDue))
                    next = t;
            if (!next)
                break;
            FNow = std::max(FNow, next->FDue);
            next->FDue = FNow + std::max(next->FInterval, 1);   // periodic
            if (next->OnTimer)
                next->OnTimer();
        }
        FNow = end;
    }

    qint64 FNow = 0;
    qint64 FSlept = 0;
    TDateTime FStart;
    std::vector<Timer *> FTimers;
};

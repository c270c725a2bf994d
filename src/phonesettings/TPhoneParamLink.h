#pragma once
// The parameter commands on the real phone link, and a QTimer as the
// editors' repeat timer.
#include "IParamLink.h"
#include <QTimer>
#include <functional>

class TPhone;

class TPhoneParamLink : public IParamLink {
public:
    static constexpr int WriteGap = 20;   // ms between the two sends of a write

    explicit TPhoneParamLink(TPhone &Phone) : FPhone(Phone) {}
    bool Online() const override;
    void RequestParameter(quint16 Address) override;
    bool SaveParamInAON(const TParam &Param) override;

private:
    TPhone &FPhone;
};

class TQtParamTimer : public IParamTimer {
public:
    explicit TQtParamTimer(std::function<void()> OnTick);
    void Start(int Milliseconds) override;
    void Stop() override { FTimer.stop(); }
    bool Active() const override { return FTimer.isActive(); }

private:
    QTimer FTimer;
};

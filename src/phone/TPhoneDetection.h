#pragma once
// Finding the port the phone answers on, and identifying the phone: model
// block, firmware version and individual number.
#include "TPhone.h"
#include <QString>
#include <functional>
#include <memory>

class TPhoneDetection {
public:
    static constexpr int ModelRequestInterval = 2000;
    static constexpr int PhoneCodeAttempts = 11;

    // The phone's OnPhoneCode is left to the caller: pass the code to PhoneCodeReceived.
    explicit TPhoneDetection(TPhone &Phone);

    bool PortCheckPending() const { return FPortCheckPending; }
    bool ModelDetection() const { return FModelDetection; }
    const TPhoneTimer &TimerModelDefinder() const { return *FTimerModelDefinder; }

    // How long each phone-code request waits for its reply, in ms.
    int PhoneCodeWait = 300;
    // Texts for the splash window.
    std::function<void(const QString &)> SplashText;
    // Lets pending messages run while a reply is awaited.
    std::function<void()> ProcessMessages;
    // True while the phone-information message window is showing.
    std::function<bool()> InfoShowing;
    // Shows the identity (model line, second text, caption) in the message window.
    std::function<void(const QString &, const QString &, const QString &)> ShowInfo;

    bool CheckPort();
    // True when a phone answered; that port stays selected.
    bool FindPort();
    void StartModelDetection();
    void PhoneCodeReceived(const QString &PhoneCode);
    void ShowPhoneIdentity();

    static QString Caption();
    static QString ModelLine(const TPhoneIdentity &Identity);
    static QString IdentityText(const TPhoneIdentity &Identity);

private:
    void askPhoneCode(const std::function<void(int)> &afterAttempt = {});
    void splash(const QString &text);
    void timerModelDefinderTimer();

    TPhone &FPhone;
    std::unique_ptr<TPhoneTimer> FTimerModelDefinder;
    bool FPortCheckPending = false;
    bool FModelDetection = false;
};

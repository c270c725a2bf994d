#pragma once
// The call button's action (also "&Набрать номер" and "&Сброс") and the dial
// box's Enter and Escape keys: dialling through the phone with the "Channel
// Type" setting, or dropping the call. An invalid number raises EPhoneError
// with "Hеверный номер" for the application's error box; nothing is sent then.
#include "common/PhoneTypes.h"
#include <QPointer>
#include <QString>
#include <functional>

class QAbstractButton;
class QAction;
class TConfig;
class TDialBox;
class TPhone;

class TDialControl {
public:
    enum TAction { daNone, daDialled, daHungUp };

    // Config may be null (channel type 0). Both must outlive this object.
    TDialControl(TPhone &Phone, const TConfig *Config);

    // The call button. In psWaiting Number is trimmed in place (the caller puts
    // it back into the box) and dialled when not empty; during a call the call
    // is dropped and Caption becomes "Набрать номер"; in psOffline and psInUse
    // nothing happens. Caption may be null.
    TAction CallClick(QString &Number, QString *Caption = nullptr);
    // Enter in the dial box: in psWaiting dials the text as it stands.
    TAction EnterPressed(const QString &Number);
    // Escape in the dial box: drops the call in every state.
    void EscapePressed();

    // The caption of the call button in a state: "Набрать номер" while waiting
    // (and offline or in use), "Сброс" during a call.
    static QString CaptionFor(TPhoneState State);
    // Whether the call button and the two menu items are enabled in a state.
    static bool CallEnabled(TPhoneState State);

    // Wiring for the main window: the call button and the menu items "&Набрать
    // номер" and "&Сброс" run Click, the box's Enter and Escape their actions.
    // Errors of the number go to ShowError (the application's error box; a
    // critical message box when none is given). Any pointer may be null.
    using TErrorHandler = std::function<void(const QString &Message)>;
    void Attach(TDialBox *Box, QAbstractButton *CallBtn, QAction *DialAction, QAction *HangUpAction,
                TErrorHandler ShowError = {});
    // The call button's action on the attached box: its text trimmed and put
    // back, then dialled; during a call the call dropped and the caption reset.
    void Click();
    // Address book "&Набрать номер", grid double-clicks and the hot buttons:
    // the number into the box, then Click.
    void DialNumber(const QString &Number);
    // The attached button and items follow the phone's state: enabled by
    // CallEnabled; the caption "Набрать номер" while waiting and "Сброс"
    // during a call, unchanged otherwise.
    void PhoneStateChanged(TPhoneState State);

    static const QString DialCaption;     // "Набрать номер"
    static const QString HangUpCaption;   // "Сброс"

private:
    void dial(const QString &Number);
    void showError(const QString &Message);

    TPhone &FPhone;
    const TConfig *FConfig;
    QPointer<TDialBox> FBox;
    QPointer<QAbstractButton> FCallBtn;
    QPointer<QAction> FDialAction;
    QPointer<QAction> FHangUpAction;
    TErrorHandler FShowError;
};

#include "TDialControl.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"

const QString TDialControl::DialCaption = QStringLiteral("Набрать номер");
const QString TDialControl::HangUpCaption = QStringLiteral("Сброс");

TDialControl::TDialControl(TPhone &Phone, const TConfig *Config) : FPhone(Phone), FConfig(Config) {}

TDialControl::TAction TDialControl::CallClick(QString &Number, QString *Caption)
{
    switch (FPhone.State()) {
    case psWaiting:
        Number = Number.trimmed();
        if (Number.isEmpty())
            return daNone;
        dial(Number);
        return daDialled;
    case psOutgoingCall:
    case psIncomingCall:
    case psSendTalk:
        FPhone.HangUp();
        if (Caption)
            *Caption = DialCaption;
        return daHungUp;
    case psOffline:
    case psInUse:
        break;
    }
    return daNone;
}

TDialControl::TAction TDialControl::EnterPressed(const QString &Number)
{
    if (FPhone.State() != psWaiting)
        return daNone;
    dial(Number);
    return daDialled;
}

void TDialControl::EscapePressed()
{
    FPhone.HangUp();
}

QString TDialControl::CaptionFor(TPhoneState State)
{
    switch (State) {
    case psOutgoingCall:
    case psIncomingCall:
    case psSendTalk:
        return HangUpCaption;
    default:
        return DialCaption;
    }
}

bool TDialControl::CallEnabled(TPhoneState State)
{
    return State != psOffline && State != psInUse;
}

void TDialControl::dial(const QString &Number)
{
    FPhone.Dial(Number, FConfig ? FConfig->ChannelType : 0);
}

#include "TDialControl.h"
#include "config/TConfig.h"
#include "phone/EPhoneError.h"
#include "phone/TPhone.h"
#include "ui/TDialBox.h"
#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QMessageBox>

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

void TDialControl::Attach(TDialBox *Box, QAbstractButton *CallBtn, QAction *DialAction, QAction *HangUpAction,
                          TErrorHandler ShowError)
{
    FBox = Box;
    FCallBtn = CallBtn;
    FDialAction = DialAction;
    FHangUpAction = HangUpAction;
    FShowError = std::move(ShowError);
    if (CallBtn)
        QObject::connect(CallBtn, &QAbstractButton::clicked, CallBtn, [this] { Click(); });
    for (QAction *a : {DialAction, HangUpAction})
        if (a)
            QObject::connect(a, &QAction::triggered, a, [this] { Click(); });
    if (Box) {
        QObject::connect(Box, &TDialBox::EnterPressed, Box, [this](const QString &Text) {
            try {
                EnterPressed(Text);
            } catch (const EPhoneError &e) {
                showError(e.Message());
            }
        });
        QObject::connect(Box, &TDialBox::EscapePressed, Box, [this] { EscapePressed(); });
    }
}

void TDialControl::Click()
{
    const bool waiting = FPhone.State() == psWaiting;
    QString number = FBox ? FBox->text() : QString();
    QString caption;
    TAction action = daNone;
    try {
        action = CallClick(number, &caption);
    } catch (const EPhoneError &e) {
        if (FBox && number != FBox->text())
            FBox->SetNumber(number);
        showError(e.Message());
        return;
    }
    if (waiting && FBox && number != FBox->text())
        FBox->SetNumber(number);
    if (action == daHungUp && FCallBtn)
        FCallBtn->setText(caption);
}

void TDialControl::DialNumber(const QString &Number)
{
    if (FBox)
        FBox->SetNumber(Number);
    Click();
}

void TDialControl::showError(const QString &Message)
{
    if (FShowError)
        FShowError(Message);
    else
        QMessageBox::critical(FBox ? FBox->window() : nullptr, QCoreApplication::applicationName(), Message);
}

void TDialControl::PhoneStateChanged(TPhoneState State)
{
    const bool enabled = CallEnabled(State);
    if (FCallBtn)
        FCallBtn->setEnabled(enabled);
    for (QAction *a : {FDialAction.data(), FHangUpAction.data()})
        if (a)
            a->setEnabled(enabled);
    if (FCallBtn && State != psOffline && State != psInUse)
        FCallBtn->setText(CaptionFor(State));
}

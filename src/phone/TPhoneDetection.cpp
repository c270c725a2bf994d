#include "TPhoneDetection.h"
#include <QCoreApplication>

TPhoneDetection::TPhoneDetection(TPhone &Phone) : FPhone(Phone)
{
    FTimerModelDefinder = FPhone.Clock()->createTimer();
    FTimerModelDefinder->OnTimer = [this] { timerModelDefinderTimer(); };
    ProcessMessages = [] { QCoreApplication::processEvents(); };
}

void TPhoneDetection::splash(const QString &text)
{
    if (SplashText)
        SplashText(text);
}

void TPhoneDetection::askPhoneCode(const std::function<void(int)> &afterAttempt)
{
    TPhoneClock *clock = FPhone.Clock();
    for (int attempt = 1; attempt <= PhoneCodeAttempts && FPortCheckPending; ++attempt) {
        FPhone.RequestPhoneCode();
        const qint64 sent = clock->msecs();
        for (;;) {
            if (ProcessMessages)
                ProcessMessages();
            if (!FPortCheckPending || !FPhone.Online() || !FPhone.Connected()
                || clock->msecs() - sent >= PhoneCodeWait)
                break;
            clock->sleepMs(1);
        }
        if (afterAttempt)
            afterAttempt(attempt);
        if (!FPhone.Online() || !FPhone.Connected())
            break;                       // the port went away meanwhile
    }
}

bool TPhoneDetection::CheckPort()
{
    FPortCheckPending = true;
    splash(QStringLiteral("Проверка порта"));
    askPhoneCode([this](int attempt) {
        splash(QStringLiteral("Проверка порта ") + QString::number(attempt));
    });
    const bool found = !FPortCheckPending;
    if (!found)
        FPhone.GoOffline();
    FPortCheckPending = false;
    return found;
}

bool TPhoneDetection::FindPort()
{
    FPortCheckPending = true;
    splash(QStringLiteral("Автоопределение порта"));
    if (FPhone.Online())
        askPhoneCode();
    const QString remembered = FPhone.Port();
    if (FPortCheckPending) {
        for (const QString &name : FPhone.PortList()) {
            splash(QStringLiteral("Автоопределение порта: ") + name);
            FPhone.SetPort(name);
            if (FPhone.Connect())
                askPhoneCode();
            if (!FPortCheckPending)
                break;
        }
    }
    const bool found = !FPortCheckPending;
    if (!found) {
        FPhone.SetPort(remembered);
        FPhone.Connect();
        FPhone.GoOffline();
    }
    FPortCheckPending = false;
    return found;
}

void TPhoneDetection::StartModelDetection()
{
    FTimerModelDefinder->stop();
    FModelDetection = true;
    FPhone.SendCommandByte(0x9D);
    FTimerModelDefinder->start(ModelRequestInterval);
}

void TPhoneDetection::timerModelDefinderTimer()
{
    if (FModelDetection)
        FPhone.SendCommandByte(0x9D);
    else
        FTimerModelDefinder->stop();
}

void TPhoneDetection::PhoneCodeReceived(const QString &PhoneCode)
{
    if (PhoneCode.size() != 5)
        return;
    for (QChar c : PhoneCode)
        if (c < u'0' || c > u'9')
            return;
    FPortCheckPending = false;
    FPhone.Host()->Identity.IndividualNumber = PhoneCode;
    FModelDetection = false;
    if (InfoShowing && InfoShowing())
        ShowPhoneIdentity();
}

void TPhoneDetection::ShowPhoneIdentity()
{
    const TPhoneIdentity &id = FPhone.Host()->Identity;
    if (ShowInfo)
        ShowInfo(ModelLine(id), IdentityText(id), Caption());
}

QString TPhoneDetection::Caption()
{
    return QStringLiteral("Модель телефона");
}

QString TPhoneDetection::ModelLine(const TPhoneIdentity &id)
{
    const auto b = [&](int i) { return id.PhoneOption(i) ? QStringLiteral("1") : QStringLiteral("0"); };
    QString line = id.PhoneModel < 10 ? QStringLiteral("0") : QString();
    line += QString::number(id.PhoneModel) + u'.' + QString::number(id.PhoneSubModel)
        + id.PhoneModelLetter + (id.PhoneVariant ? u'1' : u'0') + u'.' + id.PhoneModelCode + u'.';
    line += b(1) + b(2) + u'.' + b(3) + u'.' + b(4) + b(5) + u'.' + b(6) + b(7) + b(8);
    return line;
}

QString TPhoneDetection::IdentityText(const TPhoneIdentity &id)
{
    return QStringLiteral("Версия программы телефона: ") + QString::number(id.FirmwareVersion)
        + u'\r' + QStringLiteral("Индивидуальный номер: ") + id.IndividualNumber;
}

#include "TPhoneLinkAdapter.h"
#include "phone/TPhone.h"

TPortSettings TPhoneLinkAdapter::PortSettings() const
{
    TPortSettings s = FSettings;
    s.Port = FPhone.Port();
    return s;
}

void TPhoneLinkAdapter::SetPortSettings(const TPortSettings &settings)
{
    FSettings = settings;
    if (const qint32 rate = settings.BaudRateValue(); rate > 0)
        FPhone.BaudRate = rate;
    FPhone.DataBits = QSerialPort::DataBits(qBound(5, settings.DataBits.toInt(), 8));
    if (settings.StopBits == QLatin1String("2"))
        FPhone.StopBits = QSerialPort::TwoStop;
    else if (settings.StopBits == QLatin1String("1.5"))
        FPhone.StopBits = QSerialPort::OneAndHalfStop;
    else
        FPhone.StopBits = QSerialPort::OneStop;
    if (settings.Parity == QLatin1String("Odd"))
        FPhone.Parity = QSerialPort::OddParity;
    else if (settings.Parity == QLatin1String("Even"))
        FPhone.Parity = QSerialPort::EvenParity;
    else if (settings.Parity == QLatin1String("Mark"))
        FPhone.Parity = QSerialPort::MarkParity;
    else if (settings.Parity == QLatin1String("Space"))
        FPhone.Parity = QSerialPort::SpaceParity;
    else
        FPhone.Parity = QSerialPort::NoParity;
    if (settings.FlowControl == QLatin1String("Hardware"))
        FPhone.FlowControl = QSerialPort::HardwareControl;
    else if (settings.FlowControl == QLatin1String("Software"))
        FPhone.FlowControl = QSerialPort::SoftwareControl;
    else
        FPhone.FlowControl = QSerialPort::NoFlowControl;
    FPhone.SetPort(settings.Port);
}

QStringList TPhoneLinkAdapter::PortList() const
{
    return FPhone.PortList();
}

bool TPhoneLinkAdapter::Connected() const
{
    return FPhone.Connected();
}

bool TPhoneLinkAdapter::Open()
{
    return FPhone.Open();
}

void TPhoneLinkAdapter::Close()
{
    FPhone.Close();
}

void TPhoneLinkAdapter::SetLocalNumberRule(int RegionalNumberLength, uint8_t LongDistancePrefix)
{
    FPhone.SetLocalNumberRule(RegionalNumberLength, LongDistancePrefix);
}

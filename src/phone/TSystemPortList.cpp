#include "TSystemPortList.h"
#include <QSerialPortInfo>

QStringList TSystemPortList::Ports() const
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << info.systemLocation();
    return names;
}

TSystemPortList *TSystemPortList::instance()
{
    static TSystemPortList list;
    return &list;
}

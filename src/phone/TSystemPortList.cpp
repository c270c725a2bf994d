#include "TSystemPortList.h"
#include <QSerialPortInfo>

QStringList TSystemPortList::Ports() const
{
    QStringList names;
    // As the system names them: COM3 on Windows (not \\.\COM3), /dev/ttyUSB0 elsewhere.
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
#ifdef Q_OS_WIN
        names << info.portName();
#else
        names << info.systemLocation();
#endif
    return names;
}

TSystemPortList *TSystemPortList::instance()
{
    static TSystemPortList list;
    return &list;
}

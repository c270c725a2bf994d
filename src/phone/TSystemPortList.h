#pragma once
#include "TPortList.h"

// The system's serial ports as device paths (QSerialPortInfo).
class TSystemPortList : public TPortList {
public:
    QStringList Ports() const override;
    static TSystemPortList *instance();
};

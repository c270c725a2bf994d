#pragma once
// The serial ports present on the machine, in the system's order.
#include <QStringList>

class TPortList {
public:
    virtual ~TPortList() = default;
    virtual QStringList Ports() const = 0;
};

#pragma once
// What the settings need of the phone link: its port settings, the port's
// open state and the dialled-number rule. The main window implements it over
// TPhone.
#include <QStringList>
#include <cstdint>
#include "TPortSettings.h"

class IPhoneLinkSettings {
public:
    virtual ~IPhoneLinkSettings() = default;

    // The port layer's current settings, to be stored in the Port key.
    virtual TPortSettings PortSettings() const = 0;
    // Loads settings read from the Port key into the port layer (the port
    // name included); an open port switches to a changed name.
    virtual void SetPortSettings(const TPortSettings &settings) = 0;
    // The serial ports present on the machine, in the system's order.
    virtual QStringList PortList() const = 0;

    virtual bool Connected() const = 0;
    // Opens the named port; false (or an exception) when it is missing or busy.
    virtual bool Open() = 0;
    virtual void Close() = 0;

    virtual void SetLocalNumberRule(int RegionalNumberLength, uint8_t LongDistancePrefix) = 0;
};

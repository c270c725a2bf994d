#pragma once
// The settings' view of the phone link: the port layer's settings, its open
// state and the dialled-number rule, over TPhone.
#include "config/IPhoneLinkSettings.h"

class TPhone;

class TPhoneLinkAdapter : public IPhoneLinkSettings {
public:
    explicit TPhoneLinkAdapter(TPhone &Phone) : FPhone(Phone) {}

    // The texts last loaded, with the port name the link uses now (a port
    // found by the search, or the configured one even when the system does
    // not list it at the moment).
    TPortSettings PortSettings() const override;
    void SetPortSettings(const TPortSettings &settings) override;
    QStringList PortList() const override;
    bool Connected() const override;
    bool Open() override;
    void Close() override;
    void SetLocalNumberRule(int RegionalNumberLength, uint8_t LongDistancePrefix) override;

private:
    TPhone &FPhone;
    TPortSettings FSettings;
};

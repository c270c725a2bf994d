#include "TPhoneCapabilities.h"

TPhoneCapabilities TPhoneCapabilities::From(const TPhoneIdentity &Identity, bool ParamsFilePresent)
{
    TPhoneCapabilities c;
    const int fw = Identity.FirmwareVersion;
    c.NibbleCells = fw > 109;
    c.Known = Identity.PhoneModel != 0 && fw != 0;
    if (!c.Known)
        return c;
    c.TalkDownload = fw >= 110;
    c.Robot = fw >= 120;
    c.PhoneSettings = fw >= 110 && ParamsFilePresent;
    return c;
}

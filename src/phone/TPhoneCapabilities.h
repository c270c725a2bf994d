#pragma once
// The commands that the phone's firmware allows, as the main window offers them.
#include "TPhoneIdentity.h"

struct TPhoneCapabilities {
    bool Known = false;          // both the model and the firmware version have been received
    bool TalkDownload = false;   // firmware 110 and later
    bool Robot = false;          // firmware 120 and later
    bool PhoneSettings = false;  // firmware 110 and later, with Params.vrx beside the executable
    bool NibbleCells = false;    // call records asked with a nibble-word cell (firmware above 109)

    static TPhoneCapabilities From(const TPhoneIdentity &Identity, bool ParamsFilePresent);
};

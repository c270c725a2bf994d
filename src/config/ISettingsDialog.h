#pragma once
// The settings dialog as TConfig sees it; TSettings implements it.
#include "TSettingsDialogValues.h"

class ISettingsDialog {
public:
    virtual ~ISettingsDialog() = default;

    // Fills every control, shows the page ActiveSetting, clears the changed
    // flag and disables "&Применить".
    virtual void SetValues(const TSettingsDialogValues &values) = 0;
    virtual TSettingsDialogValues Values() const = 0;
    // Puts a folder back into RecordsDirEdit (a typed folder that was refused).
    virtual void SetRecordsDir(const QString &folder) = 0;
    // The changed flag: set by the user's edits since the last filling.
    virtual bool Changed() const = 0;
    virtual void SetApplyEnabled(bool enabled) = 0;
};

#pragma once
// The information-fields editor as the robot uses it when a call is written.
#include "common/TDateTime.h"
#include "records/TFieldEntry.h"
#include <QList>
#include <QString>

class IRobotFieldsEditor {
public:
    virtual ~IRobotFieldsEditor() = default;
    virtual bool IsShowing() const = 0;
    // Values entered but not yet stored.
    virtual bool Edited() const = 0;
    virtual void ClearEdited() = 0;
    // The journal row its OK writes into.
    virtual void SetCallId(qint64 CallId) = 0;
    virtual void RestartCloseTimer() = 0;
    virtual QString EditNumber() const = 0;
    virtual QList<TFieldEntry> FieldValues() const = 0;
    virtual bool ReminderChecked() const = 0;
    virtual TDateTime ReminderDate() const = 0;
};

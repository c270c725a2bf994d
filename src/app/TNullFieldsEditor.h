#pragma once
// The information-fields editor while the program has none: never open,
// nothing pending.
#include "IFieldsEditor.h"

class TNullFieldsEditor : public IFieldsEditor {
public:
    bool IsShowing() const override;
    bool FromAlert() const override;
    bool Edited() const override;
    void ClearEdited() override;
    void SetCallId(qint64) override;
    void PressOK() override;
    void Close() override;
    void LoadCall(const QString &, TCallKind) override;
    void ShowInFront() override;
    void RestartCloseTimer() override;
    QString EditNumber() const override;
    QList<TFieldEntry> FieldValues() const override;
    bool ReminderChecked() const override;
    TDateTime ReminderDate() const override;
};

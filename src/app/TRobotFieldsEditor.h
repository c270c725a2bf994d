#pragma once
// The information-fields editor as the robot uses it: what a written robot
// call takes from it, and its opening when the operator reached a number.
#include "ui/IFieldsEditor.h"
#include "robot/IRobotFieldsEditor.h"

class ICallView;

class TRobotFieldsEditor : public IRobotFieldsEditor {
public:
    TRobotFieldsEditor(IFieldsEditor &Editor, ICallView &View) : FEditor(Editor), FView(View) {}

    // The robot's FieldsEditWanted: prepared for an outgoing call of the number,
    // then after 400 ms shown in front.
    void Open(const QString &Number);

    bool IsShowing() const override { return FEditor.IsShowing(); }
    bool Edited() const override { return FEditor.Edited(); }
    void ClearEdited() override { FEditor.ClearEdited(); }
    void SetCallId(qint64 CallId) override { FEditor.SetCallId(CallId); }
    void RestartCloseTimer() override { FEditor.RestartCloseTimer(); }
    QString EditNumber() const override { return FEditor.EditNumber(); }
    QList<TFieldEntry> FieldValues() const override { return FEditor.FieldValues(); }
    bool ReminderChecked() const override { return FEditor.ReminderChecked(); }
    TDateTime ReminderDate() const override { return FEditor.ReminderDate(); }

private:
    IFieldsEditor &FEditor;
    ICallView &FView;
};

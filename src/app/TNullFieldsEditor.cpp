#include "TNullFieldsEditor.h"

bool TNullFieldsEditor::IsShowing() const
{
    return false;
}

bool TNullFieldsEditor::FromAlert() const
{
    return false;
}

bool TNullFieldsEditor::Edited() const
{
    return false;
}

void TNullFieldsEditor::ClearEdited()
{
}

void TNullFieldsEditor::SetCallId(qint64)
{
}

void TNullFieldsEditor::PressOK()
{
}

void TNullFieldsEditor::Close()
{
}

void TNullFieldsEditor::LoadCall(const QString &, TCallKind)
{
}

void TNullFieldsEditor::ShowInFront()
{
}

void TNullFieldsEditor::RestartCloseTimer()
{
}

QString TNullFieldsEditor::EditNumber() const
{
    return {};
}

QList<TFieldEntry> TNullFieldsEditor::FieldValues() const
{
    return {};
}

bool TNullFieldsEditor::ReminderChecked() const
{
    return false;
}

TDateTime TNullFieldsEditor::ReminderDate() const
{
    return {};
}

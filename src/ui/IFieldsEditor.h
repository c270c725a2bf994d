#pragma once
// The information-fields editor as the call handling uses it.
#include "common/PhoneTypes.h"
#include "records/TFieldEntry.h"
#include <QList>
#include <QString>
#include <functional>

class IFieldsEditor {
public:
    virtual ~IFieldsEditor() = default;

    virtual bool IsShowing() const = 0;
    // Opened from the alert window's button (FFromAlert).
    virtual bool FromAlert() const = 0;
    // FEdited: the user's values are pending.
    virtual bool Edited() const = 0;
    virtual void ClearEdited() = 0;
    // FCallId: the journal row an OK writes into; -1 while the call has none.
    virtual void SetCallId(qint64 CallId) = 0;
    virtual qint64 CallId() const = 0;
    // The call the window was last prepared for (FCallKind).
    virtual TCallKind CallKind() const = 0;
    // The call the window and its pending values belong to, as the call handling
    // numbers its calls (0: none). Another owner drops values still pending.
    virtual quint64 OwnerCall() const = 0;
    virtual void SetOwnerCall(quint64 Call) = 0;
    // Keeps the values OK confirms for a call whose row waits in the journal's
    // backlog (Call_ID 0); false when they could not be kept.
    using TPendingStore =
        std::function<bool(const QString &Number, const QList<TFieldEntry> &Entries, TDateTime Reminder)>;
    // The call's row waits (SetCallId(0)): OK hands its values to Store.
    virtual void SetPendingRow(TPendingStore Store) { (void)Store; }
    // Its OK button pressed for the user.
    virtual void PressOK() = 0;
    virtual void Close() = 0;
    virtual void LoadCall(const QString &NumberText, TCallKind Kind) = 0;
    // Shows the window and brings it to the front.
    virtual void ShowInFront() = 0;
    virtual void RestartCloseTimer() = 0;

    // Pending values: the number typed (incoming), the field grid's rows by
    // field number, the reminder box and its date.
    virtual QString EditNumber() const = 0;
    virtual QList<TFieldEntry> FieldValues() const = 0;
    virtual bool ReminderChecked() const = 0;
    virtual TDateTime ReminderDate() const = 0;

    // Empty or "?": a number box that says nothing about the caller, so never
    // replaces a number the phone delivered.
    static bool IsUndeterminedNumber(const QString &Number)
    {
        const QString n = Number.trimmed();
        return n.isEmpty() || n == QLatin1String("?");
    }
};

#pragma once
// What a journal or address-book page asks of the window that holds it: the
// status text while a table is cleared, the line's own status afterwards, and
// the deletion questions.
#include <QString>

class IPageHost {
public:
    virtual ~IPageHost() = default;
    virtual QString StatusText() const = 0;
    // Sets the status text and paints it at once (a long operation follows).
    virtual void ShowStatusNow(const QString &Text) = 0;
    // The status text from the phone's state.
    virtual void RefreshLineStatus() = 0;
    // OK/Cancel under "Подтверждение удаления"; true for OK.
    virtual bool ConfirmDelete(const QString &Question) = 0;
};

#pragma once
// The questions the settings ask the user. The program's windows implement
// them; without them (no display, command-line tools) every question is
// answered "Нет" and no message is shown.
#include <QString>

class IConfigPrompts {
public:
    virtual ~IConfigPrompts() = default;

    // A Yes/No confirmation box; true on "Да". A carriage return in the text
    // is a line break.
    virtual bool Confirm(const QString &text) = 0;
    // The system folder chooser with its title, nothing selected at the
    // start; an empty text when cancelled.
    virtual QString ChooseFolder(const QString &title) = 0;
    virtual void ShowError(const QString &text) = 0;
};

#pragma once
// The settings' questions as message boxes and the system folder chooser.
#include "config/IConfigPrompts.h"

class QWidget;

class TConfigPrompts : public IConfigPrompts {
public:
    explicit TConfigPrompts(QWidget *Parent = nullptr) : FParent(Parent) {}
    void SetParent(QWidget *Parent) { FParent = Parent; }

    bool Confirm(const QString &text) override;
    QString ChooseFolder(const QString &title) override;
    void ShowError(const QString &text) override;

private:
    QWidget *FParent;
};

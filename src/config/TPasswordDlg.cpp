#include "TPasswordDlg.h"
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLineEdit *MaskedEdit(const QString &name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setEchoMode(QLineEdit::Password);
    e->setMaxLength(TPasswordDlg::MaxLength);
    return e;
}
}

TPasswordDlg::TPasswordDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(QStringLiteral("Паролирование"));
    setModal(true);

    PasswordLabel = new QLabel(QStringLiteral("Введите пароль"), this);
    PasswordLabel->setObjectName(QStringLiteral("PasswordLabel"));
    PasswordEdit = MaskedEdit(QStringLiteral("PasswordEdit"), this);
    PasswordLabel->setBuddy(PasswordEdit);

    ConfirmPanel = new QWidget(this);
    ConfirmPanel->setObjectName(QStringLiteral("ConfirmPanel"));
    ConfirmLabel = new QLabel(QStringLiteral("Подтвердите пароль"), ConfirmPanel);
    ConfirmLabel->setObjectName(QStringLiteral("ConfirmLabel"));
    ConfirmEdit = MaskedEdit(QStringLiteral("ConfirmEdit"), ConfirmPanel);
    ConfirmLabel->setBuddy(ConfirmEdit);
    auto *panelLayout = new QVBoxLayout(ConfirmPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(ConfirmLabel);
    panelLayout->addWidget(ConfirmEdit);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &TPasswordDlg::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &TPasswordDlg::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PasswordLabel);
    layout->addWidget(PasswordEdit);
    layout->addWidget(ConfirmPanel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TPasswordDlg::SetNewPasswordMode(bool NewPassword)
{
    ConfirmPanel->setVisible(NewPassword);
}

bool TPasswordDlg::Execute(bool NewPassword)
{
    SetNewPasswordMode(NewPassword);
    return exec() == QDialog::Accepted;
}

QString TPasswordDlg::Password() const
{
    return PasswordEdit->text();
}

void TPasswordDlg::showEvent(QShowEvent *event)
{
    PasswordLabel->setText(ConfirmPanel->isHidden() ? QStringLiteral("Введите пароль")
                                                    : QStringLiteral("Введите новый пароль"));
    PasswordEdit->clear();
    ConfirmEdit->clear();
    QDialog::showEvent(event);
    PasswordEdit->setFocus();
}

void TPasswordDlg::accept()
{
    if (!ConfirmPanel->isHidden() && PasswordEdit->text() != ConfirmEdit->text()) {
        QMessageBox::warning(this, QGuiApplication::applicationDisplayName(),
                             QStringLiteral("Ошибка ввода"));
        ConfirmEdit->clear();
        ConfirmEdit->setFocus();
        return;
    }
    QDialog::accept();
}

#include "WidgetTestApp.h"
#include "config/TPasswordDlg.h"
#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
// Closes the next message box the dialog shows and returns its text through out.
void CloseNextMessageBox(QString *out)
{
    QTimer::singleShot(0, [out] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            CloseNextMessageBox(out);
            return;
        }
        *out = box->text();
        box->accept();
    });
}
}

TEST(PasswordDlg, CaptionLabelsAndLimits)
{
    EnsureWidgetApp();
    TPasswordDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Паролирование"));
    EXPECT_EQ(dlg.ConfirmLabel->text(), QStringLiteral("Подтвердите пароль"));
    EXPECT_EQ(dlg.PasswordEdit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dlg.ConfirmEdit->echoMode(), QLineEdit::Password);

    dlg.SetNewPasswordMode(false);
    dlg.show();
    EXPECT_EQ(dlg.PasswordLabel->text(), QStringLiteral("Введите пароль"));
    EXPECT_FALSE(dlg.ConfirmPanel->isVisible());
    QTest::keyClicks(dlg.PasswordEdit, QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789"));
    EXPECT_EQ(dlg.PasswordEdit->text().size(), 29);
    dlg.hide();

    // Every showing empties both boxes and focuses the first.
    dlg.SetNewPasswordMode(true);
    dlg.show();
    EXPECT_EQ(dlg.PasswordLabel->text(), QStringLiteral("Введите новый пароль"));
    EXPECT_TRUE(dlg.ConfirmPanel->isVisible());
    EXPECT_TRUE(dlg.PasswordEdit->text().isEmpty());
    EXPECT_EQ(dlg.focusWidget(), dlg.PasswordEdit);
    QTest::keyClicks(dlg.ConfirmEdit, QString(40, QLatin1Char('x')));
    EXPECT_EQ(dlg.ConfirmEdit->text().size(), 29);
}

TEST(PasswordDlg, NewPasswordMustBeTypedTwiceAlike)
{
    EnsureWidgetApp();
    TPasswordDlg dlg;
    dlg.SetNewPasswordMode(true);
    dlg.show();
    QTest::keyClicks(dlg.PasswordEdit, QStringLiteral("secret"));
    QTest::keyClicks(dlg.ConfirmEdit, QStringLiteral("secrot"));
    QString message;
    CloseNextMessageBox(&message);
    dlg.OKBtn->click();
    EXPECT_EQ(message, QStringLiteral("Ошибка ввода"));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.PasswordEdit->text(), QStringLiteral("secret"));
    EXPECT_TRUE(dlg.ConfirmEdit->text().isEmpty());

    QTest::keyClicks(dlg.ConfirmEdit, QStringLiteral("secret"));
    dlg.OKBtn->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Password(), QStringLiteral("secret"));
}

TEST(PasswordDlg, SingleBoxAcceptsAnyTextAndCancelFails)
{
    EnsureWidgetApp();
    TPasswordDlg dlg;
    bool accepted = true;
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(dlg.PasswordEdit, QStringLiteral("x"));
        dlg.CancelBtn->click();
    });
    accepted = dlg.Execute(false);
    EXPECT_FALSE(accepted);

    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(dlg.PasswordEdit->text().isEmpty());
        QTest::keyClicks(dlg.PasswordEdit, QStringLiteral("1"));
        QTest::keyClick(dlg.PasswordEdit, Qt::Key_Return);
    });
    EXPECT_TRUE(dlg.Execute(false));
    EXPECT_EQ(dlg.Password(), QStringLiteral("1"));
}

#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "Паролирование": asks for a password, or for a new one typed twice. The
// mode is the second panel's visibility; the caller compares or stores the text.
class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget *parent = nullptr);

    // Shows or hides the confirmation panel.
    void SetNewPasswordMode(bool NewPassword);
    // Modal run in the given mode; true on "OK".
    bool Execute(bool NewPassword);
    QString Password() const;

    QLabel *PasswordLabel;
    QLineEdit *PasswordEdit;
    QWidget *ConfirmPanel;
    QLabel *ConfirmLabel;
    QLineEdit *ConfirmEdit;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

    static constexpr int MaxLength = 29;

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;
};

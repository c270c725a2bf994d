#pragma once
// The talk-transfer dialog: the search, the confirmation and the transfer of
// the talks held in the phone, shown from the download's state; the buttons
// forward to it. Not modal; while shown the main window is disabled.
#include <QDialog>

class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;
class TTalkDownload;

class TFormRecordDialog : public QDialog {
    Q_OBJECT
public:
    // MainWindow (may be null) is disabled while the dialog is shown.
    TFormRecordDialog(TTalkDownload &Download, QWidget *MainWindow, QWidget *parent = nullptr);

    void ShowText(const QString &Heading, const QString &Line1, bool Progress, bool StartEnabled,
                  const QString &Line2, bool Searching, bool SeveralBookMarks);

    QLabel *SText1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QProgressBar *Animate1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QProgressBar *ProgressBar2 = nullptr;
    QPushButton *BitBtnStart = nullptr;
    QPushButton *BitBtnMinimize = nullptr;
    QPushButton *BitBtnCancel = nullptr;
    // The last message of a download that stopped short.
    QMessageBox *Notice = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void FormClose();
    void BitBtnMinimizeClick();
    void showProgress(int Talk, int All, const QString &Remaining);
    void showNotice(const QString &Message);

    TTalkDownload &FDownload;
    QWidget *FMainWindow;
    bool FSeveral = false;
};

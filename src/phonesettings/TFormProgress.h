#pragma once
// The transfer window: runs a bulk read or write of the phone's parameters
// with a progress bar and a Cancel button, on top of the settings editor, and
// reports the result once at the end.
#include "TParamTransfer.h"
#include "TPhoneParamLink.h"
#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

class TFormProgress : public QWidget {
    Q_OBJECT
public:
    static const QString DesignCaption;   // "Загрузка"
    static const QString WriteCaption;    // "Загрузка параметров в телефон"
    static const QString ReadCaption;     // "Загрузка параметров из телефона"
    static const QString CountText;       // "Обработано параметров:  "

    TFormProgress(TParamModel &Model, IParamLink &Link, QWidget *parent = nullptr);

    // Called once at the end of each transfer, after the window has closed.
    std::function<void(TTransferResult)> OnTransferDone;

    void StartTransfer(TTransferMode Mode, bool OnlyMissing = false);
    void ParamReceived(quint16 Address, const QList<quint16> &Values);
    bool Running() const { return FTransfer.Running(); }
    TParamTransfer &Transfer() { return FTransfer; }
    // The repeat timer's tick, also for tests that do not wait for it.
    void TimerAskParameterTimer() { FTransfer.TimerTick(); }

    QLabel *Label1 = nullptr;
    QLabel *LabelParam = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QPushButton *ButtonCancel = nullptr;

private:
    void progress(int Position, int Maximum, const TParam *Current);

    TQtParamTimer FTimer;
    TParamTransfer FTransfer;
};

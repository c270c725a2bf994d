#pragma once
// "Редактор информационных полей": the information fields and the reminder of
// the call in progress or just finished, beside who calls and the history of
// calls with the number. What is entered before the call's journal row exists
// stays pending (FEdited) until the end-of-call step takes it; once the row
// exists (FCallId), OK writes into it. An untouched window closes 60 s after
// the call ends.
#include "IFieldsEditor.h"
#include "audio/TTickTimer.h"
#include "records/TNumberHistory.h"
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <memory>

class QCheckBox;
class QDateEdit;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class TAddressBook;
class TConfig;
class TOfficeHistory;
class TOfficeHistoryList;
class TIncomingCallBook;
class TOutgoingCallBook;
class TPhone;

class TFormFieldsEdit : public QWidget, public IFieldsEditor {
    Q_OBJECT
public:
    static constexpr int CloseDelayMs = 60000;
    // OK found no row to write into (the call was deleted meanwhile).
    static inline const QString NotWrittenText =
        QStringLiteral("Звонок не найден в журнале: информационные поля не записаны.");
    // Columns of SGNumbersInfo.
    enum THistoryColumn { hcIndex, hcTime, hcLength, hcDirection, hcAttributes, hcFileName, hcMessageFileName };
    // Attached values of the history cells are kept under this role.
    static constexpr int ValueRole = Qt::UserRole + 1;

    // The tables and settings must outlive the window; Phone may be null (no
    // link to pause). CloseTimer is TimerWaitBeforClose; a Qt timer when null.
    TFormFieldsEdit(TIncomingCallBook *In, TOutgoingCallBook *Out, TAddressBook *Book, const TConfig *Config,
                    TPhone *Phone, std::unique_ptr<TTickTimer> CloseTimer = nullptr, QWidget *parent = nullptr);
    ~TFormFieldsEdit() override;

    // The windows it disables while it shows: the main window, or the robot's
    // when that one is visible; the alert is hidden when it opens. Any may be null.
    void SetMainWindow(QWidget *Main) { FMainWindow = Main; }
    void SetAlertWindow(QWidget *Alert) { FAlertWindow = Alert; }
    void SetRobotWindow(QWidget *Robot) { FRobotWindow = Robot; }
    // GridImageList by index and the incoming and outgoing page images.
    void SetImages(const QList<QIcon> &GridImages, const QIcon &InPage, const QIcon &OutPage);
    // The office's calls of the number from the other workstations, below the
    // local history as they arrive (null: no office).
    void SetOfficeHistory(TOfficeHistory *History);
    TOfficeHistoryList *OfficeHistory = nullptr;

    // "&Параметры" of the alert: an open editor is closed as cancelled, then it
    // is prepared for Number in incoming mode and shown marked as from the alert,
    // belonging to the call Call (0: no call in progress).
    void OpenFromAlert(const QString &Number, quint64 Call = 0);

    // IFieldsEditor
    bool IsShowing() const override { return isVisible(); }
    bool FromAlert() const override { return FFromAlert; }
    bool Edited() const override { return FEdited; }
    void ClearEdited() override { FEdited = false; }
    void SetCallId(qint64 CallId) override { FCallId = CallId; }
    qint64 CallId() const override { return FCallId; }
    TCallKind CallKind() const override { return FCallKind; }
    quint64 OwnerCall() const override { return FOwnerCall; }
    void SetOwnerCall(quint64 Call) override;
    void SetPendingRow(TPendingStore Store) override { FPendingStore = std::move(Store); }
    void PressOK() override { OKBtnClick(); }
    void Close() override { closeWindow(); }
    void LoadCall(const QString &NumberText, TCallKind Kind) override;
    void ShowInFront() override;
    void RestartCloseTimer() override;
    QString EditNumber() const override;
    QList<TFieldEntry> FieldValues() const override;
    bool ReminderChecked() const override;
    TDateTime ReminderDate() const override;

    bool CloseTimerActive() const;

    // The history grid: one row per call (the first call fills the empty row),
    // and its order by day and time of day, newest first. Without calls it
    // shows one empty row.
    void AddHistoryRow(const TNumberHistoryRow &Row);
    void SortHistory();
    int HistoryRowCount() const;

public slots:
    void OKBtnClick();
    void CancelBtnClick();
    void SGNumbersInfoSelectCell(int Row);
    void TimerWaitBeforClose();

signals:
    // OK wrote into a journal row: the main window refreshes its current row.
    void RowUpdated();
    // Shown or closed: the phone link's state is to be shown again.
    void PhoneStateChangeWanted();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // A close the window did not ask for itself (title-bar button, Alt+F4) is a
    // cancel: the values typed are dropped, never left for another call.
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class THistoryDelegate;
    class THistoryModel;
    void buildLayout();
    void fillFieldGrid(const QList<TFieldEntry> &Keep);
    void reminderToggled(bool On);
    void markEdited() { FEdited = true; }
    // Closes as OK, Cancel, the timer or the call handling decided.
    void closeWindow();
    void dropValues();
    // Esc and Alt+F4; true when the key closed the window.
    bool closingKey(const QKeyEvent *event);
    void restartRunningTimer();
    QList<QLineEdit *> fieldEditors() const;

    TIncomingCallBook *FIn;
    TOutgoingCallBook *FOut;
    TAddressBook *FBook;
    const TConfig *FConfig;
    TPhone *FPhone;
    std::unique_ptr<TTickTimer> FCloseTimer;
    QPointer<QWidget> FMainWindow;
    QPointer<QWidget> FAlertWindow;
    QPointer<QWidget> FRobotWindow;

    TCallKind FCallKind = ckIncoming;
    qint64 FCallId = -1;
    quint64 FOwnerCall = 0;
    bool FOwnClose = false;     // closeWindow() is closing
    TPendingStore FPendingStore;   // while FCallId is 0: the row waits in the backlog
    bool FEdited = false;
    bool FFromAlert = false;
    bool FKeepEdited = false;   // LoadCall carried pending values over
    bool FLoading = false;      // programmatic changes mark nothing

    QLabel *ImageIn;
    QLabel *ImageOut;
    QLineEdit *EditNumberBox;   // EditNumber
    QLabel *NumberLabel;
    QLabel *NameLabel;
    QLabel *AddressLabel;
    QTableWidget *StringGridFields;
    QCheckBox *CheckBoxReminder;
    QDateEdit *DatePicker;
    QPlainTextEdit *NotesMemo;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
    QTableView *SGNumbersInfo;
    THistoryModel *FHistory;
    QTableWidget *SGFields;
    QWidget *PanelReminder;
    QLabel *LabelDate;

    QList<QIcon> FGridImages;
    QIcon FInPage;
    QIcon FOutPage;
};

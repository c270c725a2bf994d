#pragma once
// "Информация о номере": what the program knows of one number: the subscriber's
// name, address and notes, every call with the number from both journals
// (newest first), and for the selected call its information fields and
// reminder, which can be edited and applied. From it the call's recording
// plays, the number is dialled, or the journal goes to the call. Not modal; it
// closes as soon as it loses the focus.
#include "records/TNumberHistory.h"
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QDateEdit;
class QLabel;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTableView;
class QTableWidget;
class QTimer;
class QToolButton;
class TAddressBook;
class TCallBook;
class TConfig;
class TOfficeHistory;
class TOfficeHistoryList;
class TIncomingCallBook;
class TMediaPlayer;
class TOutgoingCallBook;
class TSoundControl;

class TFormNumberInfo : public QWidget {
    Q_OBJECT
public:
    // History columns.
    enum TColumn { hcIndex, hcTime, hcLength, hcDirection, hcPlace, hcTalk, hcMessage };
    static constexpr int ColumnCount = 7;

    // The tables, settings (field captions; may be null) and the shared player
    // must outlive the window.
    TFormNumberInfo(TIncomingCallBook *In, TOutgoingCallBook *Out, TAddressBook *Book, const TConfig *Config,
                    TMediaPlayer &Player, TSoundControl &Sound, QWidget *parent = nullptr);
    ~TFormNumberInfo() override;

    // Fills and shows the window for a number; the call with CallId (-1: none)
    // in Direction (0 incoming, 1 outgoing) is preselected. ReturnForm is shown
    // again after OK or Cancel (may be null).
    void ShowNumber(const QString &Number, qint64 CallId, QWidget *ReturnForm, int Direction);

    // The main window's pictures for the history (grid images, page images).
    void SetImages(const QList<QIcon> &GridImages, const QIcon &InPage, const QIcon &OutPage);
    // The office's calls of the number from the other workstations, below the
    // local history as they arrive (null: no office).
    void SetOfficeHistory(TOfficeHistory *History);
    TOfficeHistoryList *OfficeHistory = nullptr;

    // State for the main window and tests.
    QString Number() const { return FNumber; }
    int HistoryRowCount() const;   // calls listed (0: the one empty row)
    int CurrentRow() const { return FRow; }
    const TNumberHistoryRow *CurrentCall() const;
    bool Loaded() const { return FLoaded; }
    QWidget *ReturnForm() const { return FReturnForm; }

    QLabel *PhoneLabel() const { return LabelPhoneNumber; }
    QLabel *NameLabel() const { return LabelName; }
    QLabel *AddressLabel() const { return LabelAddress; }
    QPlainTextEdit *Notes() const { return NotesEdit; }
    QTableView *History() const { return SGNumbersInfo; }
    QTableWidget *Fields() const { return SGFields; }
    QCheckBox *ReminderBox() const { return CheckBoxReminder; }
    QDateEdit *ReminderDate() const { return DatePicker; }
    QPushButton *ApplyButton() const { return ApplyBtn; }
    QToolButton *PlayBtn() const { return PlayButton; }
    QLabel *RestTime() const { return LabelRestTime; }
    QSlider *Volume() const { return TrackBar; }
    QTimer *PlayerTimer() const { return TimerPlayer; }
    QMenu *Popup() const { return FPopup; }

public slots:
    // Selects a history row and loads its call; refused (false) while changes are unapplied.
    bool SGNumbersInfoSelectCell(int Row);
    void ApplyBtnClick();
    void OKBtnClick();
    void BitBtnCancelClick();
    void SpeedButtonDialClick();
    void SpeedButtonGotoCellClick();
    void PlayButtonClick();
    void PauseBtnClick();
    void StopBtnClick();
    void TimerPlayerTimer();

signals:
    // Dial the number through the main window's dial box and call button.
    void DialRequested(const QString &Number);
    // The journal of Page (0 incoming, 1 outgoing) has the call as its current row.
    void GotoPageRequested(int Page);
    // A call's fields were written (the main window refreshes its current row).
    void Applied(int Direction);
    // "О&тмена": the main window's number box is emptied.
    void Cancelled();

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class THistoryModel;
    class THistoryDelegate;
    void buildLayout();
    void edited();
    void reminderClicked(bool On);
    void showReminder(bool Visible);
    void closeWindow();
    void showReturnForm();
    TCallBook *bookOf(const TNumberHistoryRow &Call) const;
    bool locked() const;

    TIncomingCallBook *FIn;
    TOutgoingCallBook *FOut;
    TAddressBook *FBook;
    const TConfig *FConfig;
    TMediaPlayer &FPlayer;
    TSoundControl &FSound;

    QString FNumber;
    QList<TNumberHistoryRow> FCalls;
    int FRow = 0;
    bool FLoaded = false;
    bool FWasActive = false;
    bool FHoldsPlayer = false;
    QString FPlayedFile;
    QPointer<QWidget> FReturnForm;

    QLabel *LabelPhoneNumber;
    QLabel *LabelName;
    QLabel *LabelAddress;
    QPlainTextEdit *NotesEdit;
    QTableView *SGNumbersInfo;
    THistoryModel *FHistory;
    THistoryDelegate *FDelegate;
    QToolButton *PlayButton;
    QToolButton *PauseBtn;
    QToolButton *StopBtn;
    QLabel *LabelRestTime;
    QSlider *TrackBar;
    QToolButton *SpeedButtonDial;
    QToolButton *SpeedButtonGotoCell;
    QTableWidget *SGFields;
    QCheckBox *CheckBoxReminder;
    QDateEdit *DatePicker;
    QLabel *Image1;
    QPushButton *OKBtn;
    QPushButton *BitBtnCancel;
    QPushButton *ApplyBtn;
    QMenu *FPopup;
    QAction *miDial;
    QAction *miGotoCell;
    QTimer *TimerPlayer;

    QList<QIcon> FGridImages;
    QIcon FInPage;
    QIcon FOutPage;
};

#pragma once
// The incoming-call alert "Внимание! Входящий звонок": always on top, the caller's
// number, name, address and notes, the history of earlier calls with the number
// from both journals (newest first) and the information fields of the selected
// history row. It flashes for its first five seconds.
#include <QIcon>
#include <QList>
#include <QWidget>
#include <functional>

class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;
class TConfig;
class TOfficeHistory;
class TOfficeHistoryList;
class TIncomingCallBook;
class TOutgoingCallBook;

class TAlert : public QWidget {
    Q_OBJECT
public:
    // Columns of SGNumbersInfo.
    enum THistoryColumn { hcIndex, hcTime, hcLength, hcDirection, hcAttributes, hcFileName, hcMessageFileName };
    static constexpr int ColumnCount = 7;
    // Attached values are kept under this role.
    static constexpr int ValueRole = Qt::UserRole + 1;

    static const QString NotYetKnown;   // "пока не определен"
    static const QString NotKnown;      // "не определен"

    // The journals and settings (field captions) must outlive the window; Config may be null.
    TAlert(TIncomingCallBook *In, TOutgoingCallBook *Out, const TConfig *Config, QWidget *parent = nullptr);
    ~TAlert() override;

    // Fills the window; the same number as the one shown does nothing. The caller shows it.
    void ShowCaller(const QString &Number, const QString &Name, const QString &Notes, const QString &Address);
    // Starts NumTimer: a second later a number still not known reads "не определен".
    void StartNumberTimeout();

    // "&OK" stops the ring through this before closing.
    std::function<void()> OnStopRing;
    // "&Параметры": opens the information-fields editor for this number ("?" when
    // none is known) in incoming mode, marked as opened from the alert. The
    // button is enabled only while an editor is set (null: none).
    void SetShowInputForm(std::function<void(const QString &Number)> ShowInputForm);

    // The main window's pictures: GridImageList by index, and the incoming and
    // outgoing page images. Without them the history shows texts only.
    void SetImages(const QList<QIcon> &GridImages, const QIcon &InPage, const QIcon &OutPage);

    // The office's calls of the number from the other workstations, shown below
    // the local history as they arrive (null: no office).
    void SetOfficeHistory(TOfficeHistory *History);
    TOfficeHistoryList *OfficeHistory = nullptr;

    // Window state.
    QString Number() const { return FNumber; }
    QString Name() const { return FName; }
    QString Address() const { return FAddress; }
    QString Notes() const { return FNotes; }
    QString PanelInfoCaption() const;
    // Data rows of the history (one empty row when there were no earlier calls).
    int HistoryRowCount() const;

    QTimer *FlashTimer() const { return FFlashTimer; }
    QTimer *StopTimer() const { return FStopTimer; }
    QTimer *NumTimer() const { return FNumTimer; }

public slots:
    void FlashTimerTimer();
    void StopTimerTimer();
    void NumTimerTimer();
    void BitBtn1Click();
    void ShowInputFormBtnClick();
    // Fills SGFields for a history row.
    void SGNumbersInfoSelectCell(int Row);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    class THistoryModel;
    class THistoryDelegate;
    void buildLayout();
    void setStripColor(const QColor &color);
    void setPanelInfoCaption(const QString &text);
    void fillHistory();
    void fillFieldCaptions(bool Incoming);

    TIncomingCallBook *FIn;
    TOutgoingCallBook *FOut;
    const TConfig *FConfig;

    QString FNumber;
    QString FName;
    QString FNotes;
    QString FAddress;
    bool FHasNumber = false;

    QGroupBox *GroupBox2;
    QLabel *LabelPhone;
    QFrame *Panel1;
    QFrame *Panel2;
    QFrame *PanelInfo;
    QLabel *FPanelInfoCaption;
    QFrame *PanelNames;
    QLabel *LabelName;
    QLabel *LabelAddress;
    QPlainTextEdit *NotesEdit;
    QTableView *SGNumbersInfo;
    THistoryModel *FHistory;
    QFrame *PanelFields;
    QTableWidget *SGFields;
    QGroupBox *GroupBox1;
    QPushButton *BitBtn1;
    QPushButton *ShowInputFormBtn;
    std::function<void(const QString &Number)> FShowInputForm;

    QTimer *FFlashTimer;
    QTimer *FStopTimer;
    QTimer *FNumTimer;
    bool FBlue = false;

    QList<QIcon> FGridImages;
    QIcon FInPage;
    QIcon FOutPage;
};

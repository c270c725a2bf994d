#pragma once
// "Телефонный робот": the number list, its commands, the run's progress in the
// status bar and, below the list, the robot calls of the selected number with
// a player for their recordings. The run itself is TRobotRun.
#include "TRobotConfig.h"
#include "TRobotHistory.h"
#include "TRobotList.h"
#include "TRobotRun.h"
#include <QDialog>
#include <QTimer>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QSlider;
class QSplitter;
class QStatusBar;
class QTableWidget;
class QToolButton;
class TFormRobotEditor;
class TFormRobotOptions;
class TMediaPlayer;
class TOutgoingCallBook;
class TPhone;
class TPhoneClock;

class TFormPhoneRobot : public QDialog {
    Q_OBJECT
public:
    // Config and Schedule are the program's robot options (read at start, written at its end);
    // IniFile is RobotConfig.ini (the window's size); Player may be null.
    TFormPhoneRobot(TRobotConfig &Config, TRobotSchedule &Schedule, TPhone &Phone, TPhoneClock &Clock,
                    TOutgoingCallBook *OutCalls, TMediaPlayer *Player, const QString &IniFile,
                    QWidget *parent = nullptr);
    ~TFormPhoneRobot() override;

    TRobotList &List() { return FList; }
    TRobotRun &Run() { return *FRun; }
    TFormRobotEditor *Editor() const { return FEditor; }
    TFormRobotOptions *Options() const { return FOptions; }

    // The dialogs, replaceable by tests: a chosen file name (empty: cancelled),
    // the Yes/No of "Сохранить список ?", the editor's and the options' OK.
    std::function<QString(const QString &Folder)> ChooseOpenFile;
    std::function<QString(const QString &Folder)> ChooseSaveFile;
    std::function<bool()> AskSave;
    std::function<bool(TFormRobotEditor &)> RunEditor;
    std::function<bool(TFormRobotOptions &)> RunOptions;
    // The playback volume slider.
    std::function<void(int)> VolumeChanged;
    std::function<int()> CurrentVolume;

    // Window commands.
    void NewClick();
    void OpenFileClick();
    // Loads a file as "Открыть" does after its dialog.
    void OpenList(const QString &FileName);
    void EditClick();
    void SaveClick();
    void SaveAsClick();
    void DeleteCurFlagClick();
    void DeleteAllFlagsClick();
    void OptionsClick();
    void StartClick();
    void StopClick();
    // Offer to save an unsaved list.
    void OfferToSave();
    // The phone came online or went offline while in robot mode.
    void RobotLineStateChanged(bool Online);
    void ShowNumberHistory(int Row);
    // The remaining play time as the label shows it ("" when stopped).
    static QString RestTimeText(qint64 RemainingMs);

    // Widgets the tests and screenshots look at.
    QTableWidget *SGMain;
    QTableWidget *SGInfo;
    QLabel *PanelTitle;
    QStatusBar *StatusBar1;
    QLabel *Panels[3];
    QSplitter *PanelSplit;
    QToolButton *TB_New, *TB_OpenFile, *TB_Edit, *TB_SaveFile, *TB_DeleteAllFlags, *TB_Options, *TB_Start,
        *TB_Stop, *TB_Menu, *TB_Close;
    QMenu *PopupMenu1;
    QAction *miNew, *miOpenFile, *miEdit, *miSave, *miSaveAs, *miDeleteCurFlag, *miDeleteAllFlags, *miOptions,
        *miStart, *miStop, *miClose;
    QToolButton *PlayButton, *PauseBtn, *StopBtn;
    QLabel *LabelRestTime;
    QSlider *TrackBar;
    QTimer TimerPlayer;

signals:
    // The information-fields editor is wanted for an outgoing call of this number.
    void FieldsEditWanted(const QString &Number, bool BringToFront);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWidgets();
    void fillGrid();
    void refreshRow(int Row);
    void updateCommands();
    void panelsChanged();
    bool saveTo(const QString &FileName);
    void showTitle();
    void sortMain(int Column);
    void playClick();
    void playerTick();
    void historySelected();
    int selectedRow() const;
    bool closing();

    TRobotConfig &FConfig;
    TRobotSchedule &FSchedule;
    TPhone &FPhone;
    TOutgoingCallBook *FOutCalls;
    TMediaPlayer *FPlayer;
    QString FIniFile;
    TRobotList FList;
    std::unique_ptr<TRobotRun> FRun;
    TFormRobotEditor *FEditor;
    TFormRobotOptions *FOptions;
    QList<TRobotHistoryRow> FHistory;
    bool FClosing = false;
};

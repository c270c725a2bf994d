#pragma once
// The main window "Программа мониторинга телефонной линии": owns the phone link,
// the settings, the three tables, the recorder and the sound helpers for the
// whole run; its creation is the program's start-up and its closing the
// orderly shutdown. The pages, the record group and the other windows are
// classes of their own, created here once and connected.
#include "ICallView.h"
#include "TConfigPrompts.h"
#include "TDialList.h"
#include "common/PhoneTypes.h"
#include "config/IMainWindowSettings.h"
#include "ui/IPageHost.h"
#include <QIcon>
#include <QLockFile>
#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSlider;
class QTabWidget;
class QTableWidget;
class QPushButton;
class QToolButton;
class QWidget;
class TAddressBook;
class TAddressPage;
class TAlert;
class TAudioMixer;
class TBookPage;
class TCallFeed;
class TOfficeStation;
class TCallHandler;
class TConfig;
class TConfigVolumeSettings;
class TDialBox;
class TDialControl;
class TFormAONSetting;
class TFormFieldsEdit;
class TFormMessage;
class TFormNumberInfo;
class QGroupBox;
class TFormProgress;
class TFormRecordDialog;
class TGSMRecorder;
class THotButtonFile;
class THotButtonsBox;
class TIncomingCallBook;
class TJournalPage;
class TMediaPlayer;
class TNewPerson;
class TOutgoingCallBook;
class TParamModel;
class TPhoneParamLink;
class TPhone;
class TPhoneDetection;
class TPhoneLinkAdapter;
class TPhoneSession;
class TQtTickTimer;
class TRecordPlayback;
class TRecordTable;
class TReminderPanel;
class TSoundControl;
class TImportCommands;
class TSettings;
class TFindCall;
class TFormDateInterval;
class TStats;
class TStatsConfig;
class TSplash;
class TFormPhoneRobot;
class TRobotFieldsEditor;
class TRobotRecording;
struct TRobotConfig;
struct TRobotSchedule;
class TTalkDownload;

class TMain : public QMainWindow, public ICallView, public IMainWindowSettings, public IPageHost {
    Q_OBJECT
public:
    static const QString Caption;     // "Программа мониторинга телефонной линии"
    static const QString TrayTip;     // "Монитор телефонной линии"
    static const QString ExitQuestion;
    static const QString ExitCaption;

    // Runs the start-up; with another copy on the same base folder it stops at
    // once and SecondInstance is set. Minimized keeps the window in the tray
    // whatever the settings say (the login start).
    explicit TMain(QWidget *parent = nullptr, bool Minimized = false);
    ~TMain() override;

    bool SecondInstance = false;
    // Why the start-up stopped (a table that cannot be opened); the user has
    // been told and the program ends. Empty when it runs.
    QString StartError() const { return FStartError; }
    bool TrayIconShown = false;
    bool StartMinimized = false;
    int SavedVolume() const;

    // Closes without the exit question (SIGTERM, SIGINT, the demo's end).
    void CloseWithoutAsking();
    // The exit question; tests and the tray menu go through close().
    std::function<bool()> ConfirmExit;
    // Tells the user, before the program ends, of calls that could not be kept
    // (a message box; closing without asking writes to standard error only).
    std::function<void(const QString &)> WarnUnkeptCalls;
    // The deletion questions: OK/Cancel under "Подтверждение удаления"; tests answer them.
    std::function<bool(const QString &Question)> ConfirmDeleteQuestion;

    // The shared objects and windows, for tests, the demo and later windows.
    TPhone *Phone() const { return FPhone.get(); }
    TPhoneSession *Session() const { return FSession.get(); }
    TConfig *Config() const { return FConfig.get(); }
    TIncomingCallBook *InCalls() const { return FInCalls.get(); }
    TOutgoingCallBook *OutCalls() const { return FOutCalls.get(); }
    TAddressBook *AddressBook() const { return FAddressBook.get(); }
    TSoundControl *Sound() const { return FSound.get(); }
    TMediaPlayer *MediaPlayer() const { return FMediaPlayer.get(); }
    TGSMRecorder *Recorder() const { return FRecorder.get(); }
    TCallHandler *CallHandler() const { return FCallHandler.get(); }
    TCallFeed *Feed() const { return FFeed.get(); }
    TAlert *Alert() const { return FAlert.get(); }
    TFormMessage *FormMessage() const { return FFormMessage.get(); }
    TFormFieldsEdit *FieldsEditor() const { return FFieldsEdit.get(); }
    TNewPerson *NewPerson() const { return FNewPerson.get(); }
    TSplash *Splash() const { return FSplash.get(); }
    QSystemTrayIcon *TrayIcon() const { return FTrayIcon; }
    QMenu *TrayMenu() const { return FTrayMenu; }
    TDialList &DialList() { return FDialList; }
    TRecordPlayback *Playback() const { return FPlayback; }
    THotButtonsBox *HotButtons() const { return FHotBox; }
    TJournalPage *InPage() const { return FInPage; }
    TJournalPage *OutPage() const { return FOutPage; }
    TAddressPage *AddressPage() const { return FAddressPage; }
    TSettings *SettingsDialog() const { return FSettings.get(); }
    TImportCommands *ImportCommands() const { return FImport; }
    TFormNumberInfo *NumberInfo() const { return FNumberInfo.get(); }
    TReminderPanel *Reminders() const { return FReminders; }
    TFormPhoneRobot *RobotWindow() const { return FRobot.get(); }
    QString RobotConfigFile() const;
    TFormAONSetting *AONSetting() const { return FAONSetting.get(); }
    TFormProgress *FormProgress() const { return FFormProgress.get(); }
    TParamModel *ParamModel() const { return FParamModel.get(); }
    // Search, the period chooser and the statistics.
    TFormDateInterval *DateInterval() const { return FDateInterval.get(); }
    TFindCall *FindCall() const { return FFindCall.get(); }
    TStatsConfig *StatsConfig() const { return FStatsConfig.get(); }
    TStats *Stats() const { return FStats.get(); }
    // The search window for the shown page, modally ("&Найти", the search buttons).
    void FindItemClick();
    // The statistics recomputed and shown (the statistics buttons).
    void StatBtnClick();
    // The page control and the page it shows.
    QTabWidget *Pages() const { return PageControl1; }
    TBookPage *CurrentPage() const;
    // The current journal row's recording as a path; empty when the row
    // offers none (the address book, no file, or a talk kept in the phone).
    QString CurrentRecordingFile() const;
    QString StatusText() const override;
    QString NumberPanelText() const;
    int StateImage() const { return FStateImage; }
    bool ShutDown() const { return FShutDown; }

    // Menu-item handlers.
    void DisconnectItemClick();
    void PhoneModelItemClick();
    void TrayOpenClick();
    // "&Настройки программы": the settings dialog, refilled, modally.
    void SettingsItemClick();
    // The "&Данные" submenu's commands.
    void ImportOutlookItemClick();
    void ImportCsvItemClick();
    void AccessItemClick();
    // "Телефонный робот": the robot window, modally.
    void mmPhoneRobotClick();
    // "&Редактор настроек телефона" and "&Загрузка профиля в телефон".
    void mmAONSettingClick();
    void mmFileInVRXClick();

    // Operations on the current rows and the player.
    void RefreshCurrentRow();
    void UpdateAddressCommands();
    void FillFieldGrid(QTableWidget *Grid, TCallKind Kind, bool AllFields);
    bool PlayFile(const QString &FileName);
    void StopSound();
    // SubscriberFound: the caller's row is the address book's current row.
    void StartRing(bool SubscriberFound);
    void RebuildReminders();
    bool PlayingRecord() const;
    // Hot buttons.
    void AssignHotButton(int ButtonNo);
    void FreeHotButton(int Index);
    // The commands that depend on the phone's firmware and the Params.vrx file.
    void UpdateFirmwareCommands();
    // The "Загрузить на ПК ..." buttons of both journal pages, and their
    // availability (the firmware, then a "+" row).
    void ToolButtonGetTalkMessageClicks(bool Incoming, bool All);
    void UpdateTalkDownloadButtons();
    TFormRecordDialog *RecordDialog() const { return FRecordDialog.get(); }
    void StartModelDetection();

    // ICallView
    void SetStatusText(const QString &Text) override;
    void SetNumberText(const QString &Text) override;
    void SetStateImage(int Index) override;
    void ShowCaller(const QString &Number, const QString &Name, const QString &Notes,
                    const QString &Address) override;
    void CloseAlert() override;
    bool AlertShowing() const override;
    void StartNumberTimeout() override;
    void EnableRecordButton(bool Enabled) override;
    bool RecordButtonEnabled() const override;
    void SetRecordButtonDown(bool Down) override;
    void EnablePlayerButtons(bool Enabled) override;
    void EnablePlayButton(bool Enabled) override;
    void RefreshPlayerButtons() override;
    bool SplashShowing() const override;
    void SplashText(const QString &Text) override;
    void CloseSplash() override;
    void ShowMainWindow() override;
    void ProcessMessages() override;
    void Wait(int Milliseconds) override;

    // IMainWindowSettings
    TBounds Bounds() const override;

    // IPageHost
    void ShowStatusNow(const QString &Text) override;
    void RefreshLineStatus() override;
    bool ConfirmDelete(const QString &Question) override;

    static QIcon StateIcon(int Index);

protected:
    void closeEvent(QCloseEvent *event) override;

    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Startup();
    void Shutdown();
    bool LockBaseFolder();
    void createMenu();
    void createStatusBar();
    void createLeftColumn();
    void createPages();
    void createRecordGroup();
    void createHotButtons();
    void createTrayIcon();
    // False (and StartError set) when a table cannot be opened or created.
    bool openTables();
    void openTableFiles();
    void connectCallHandler();
    void connectTalkDownload();
    void startFeed();
    // The office link after the settings (again when they change).
    void startOffice();
    void connectCommands();
    // The reminder list and the number information window, with their openers.
    void createCallDetails();
    void createRobot();
    void createPhoneSettings();
    // The information-fields editor and the subscriber dialog.
    void createCallDetailWindows();
    void createSearchWindows();
    void lineStateChanged(TPhoneState State);
    void settingsApplied();
    void applyWindowBounds();
    void showInfo(const QString &First, const QString &Second, const QString &Caption);
    // Once a run: the configured port exists but this user may not open it.
    void explainPortAccess();
    void showTableMessage(TRecordTable *table);
    // The recorder's stop and close errors.
    void showRecorderMessage(const QString &Text);
    void pageChanged(int Index);
    void followSaveButton();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QLockFile> FLock;
    bool FShutDown = false;
    QString FStartError;
    bool FCloseWithoutAsking = false;
    int FStateImage = 1;

    // The shared objects, each after what it uses: the declaration order is
    // the construction order, and their destruction runs in reverse.
    std::unique_ptr<TPhoneSession> FSession;
    std::unique_ptr<TPhone> FPhone;
    std::unique_ptr<TPhoneLinkAdapter> FLinkAdapter;
    TConfigPrompts FPrompts;
    std::unique_ptr<TConfig> FConfig;
    std::unique_ptr<TPhoneDetection> FDetection;
    std::unique_ptr<TAddressBook> FAddressBook;
    std::unique_ptr<TIncomingCallBook> FInCalls;
    std::unique_ptr<TOutgoingCallBook> FOutCalls;
    TDialList FDialList;
    std::unique_ptr<THotButtonFile> FHotButtons;
    std::unique_ptr<TAudioMixer> FMixer;
    std::unique_ptr<TMediaPlayer> FMediaPlayer;
    std::unique_ptr<TConfigVolumeSettings> FVolumeSettings;
    std::unique_ptr<TQtTickTimer> FCreschendoTimer;
    std::unique_ptr<TSoundControl> FSound;
    std::unique_ptr<TGSMRecorder> FRecorder;
    std::unique_ptr<TDialControl> FDialControl;
    std::unique_ptr<TCallHandler> FCallHandler;
    std::unique_ptr<TCallFeed> FFeed;
    std::unique_ptr<TOfficeStation> FOffice;
    std::unique_ptr<TTalkDownload> FTalkDownload;

    // The windows, which read the objects above: freed before them.
    std::unique_ptr<TSplash> FSplash;
    std::unique_ptr<TFormMessage> FFormMessage;
    std::unique_ptr<TAlert> FAlert;
    std::unique_ptr<TFormFieldsEdit> FFieldsEdit;
    std::unique_ptr<TNewPerson> FNewPerson;
    std::unique_ptr<TFormRecordDialog> FRecordDialog;
    std::unique_ptr<TSettings> FSettings;
    std::unique_ptr<TRobotConfig> FRobotConfig;
    std::unique_ptr<TRobotSchedule> FRobotSchedule;
    std::unique_ptr<TRobotRecording> FRobotRecording;
    std::unique_ptr<TRobotFieldsEditor> FRobotFieldsEdit;
    std::unique_ptr<TFormPhoneRobot> FRobot;
    bool FPhoneCodeKnown = false;
    std::unique_ptr<TParamModel> FParamModel;
    std::unique_ptr<TPhoneParamLink> FParamLink;
    std::unique_ptr<TFormProgress> FFormProgress;
    std::unique_ptr<TFormAONSetting> FAONSetting;
    std::unique_ptr<TFormDateInterval> FDateInterval;
    std::unique_ptr<TFindCall> FFindCall;
    std::unique_ptr<TStatsConfig> FStatsConfig;
    std::unique_ptr<TStats> FStats;
    TImportCommands *FImport = nullptr;
    std::unique_ptr<TFormNumberInfo> FNumberInfo;
    // The main window's own content (left column, pages); freed first.
    std::unique_ptr<QWidget> FCentral;
    QSystemTrayIcon *FTrayIcon = nullptr;
    QMenu *FTrayMenu = nullptr;
    QPointer<QWidget> FActiveBeforeTray;

    // Status bar.
    QLabel *FStatusImage = nullptr;
    QLabel *FStatusLabel = nullptr;
    QLabel *FNumberLabel = nullptr;

    // Left column.
    QWidget *FLeftColumn = nullptr;
    TDialBox *phNumber = nullptr;
    QPushButton *CallBtn = nullptr;
    QToolButton *SpeedButtonNumberInfo = nullptr;
    QSlider *TrackBar = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    TRecordPlayback *FPlayback = nullptr;
    THotButtonsBox *FHotBox = nullptr;
    QGroupBox *FReminderGroup = nullptr;
    TReminderPanel *FReminders = nullptr;

    // Pages.
    QTabWidget *PageControl1 = nullptr;
    TJournalPage *FInPage = nullptr;
    TJournalPage *FOutPage = nullptr;
    TAddressPage *FAddressPage = nullptr;

    // Menu items.
    QAction *ExportRecordItem = nullptr;
    QAction *ClearInItem = nullptr;
    QAction *ClearOutItem = nullptr;
    QAction *ClearAddressItem = nullptr;
    QAction *ExitItem = nullptr;
    QAction *DialItem = nullptr;
    QAction *HangUpItem = nullptr;
    QAction *FindItem = nullptr;
    QAction *DeleteCellItem = nullptr;
    QAction *EditCellItem = nullptr;
    QAction *DisconnectItem = nullptr;
    QAction *StatOptionsItem = nullptr;
    QAction *SettingsItem = nullptr;
    QAction *PhoneSettingsItem = nullptr;
    QAction *ProfileLoadItem = nullptr;
    QAction *RobotItem = nullptr;
    QAction *HelpItem = nullptr;
    QAction *HistoryItem = nullptr;
    QAction *AboutItem = nullptr;
    QAction *ModelItem = nullptr;
    QMenu *DataMenu = nullptr;
    QAction *ImportOutlookItem = nullptr;
    QAction *ImportCsvItem = nullptr;
    QAction *AccessItem = nullptr;
    bool FProfileLoadWanted = false;
    bool FPortAccessExplained = false;
};

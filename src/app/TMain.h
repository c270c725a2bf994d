#pragma once
// The main window "Программа мониторинга телефонной линии": owns the phone link,
// the settings, the three tables, the recorder and the sound helpers for the
// whole run; its creation is the program's start-up and its closing the
// orderly shutdown.
#include "ICallView.h"
#include "TConfigPrompts.h"
#include "TDialList.h"
#include "config/IMainWindowSettings.h"
#include "phone/TPhoneHost.h"
#include <QIcon>
#include <QLockFile>
#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QSlider;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QPushButton;
class QWidget;
class TAddressBook;
class TAlert;
class TAudioMixer;
class TCallHandler;
class TConfig;
class TConfigVolumeSettings;
class TDialBox;
class TDialControl;
class TFormMessage;
class TGSMRecorder;
class TIncomingCallBook;
class TMediaPlayer;
class TOutgoingCallBook;
class TPhone;
class TPhoneDetection;
class TPhoneLinkAdapter;
class TQtTickTimer;
class TRecordTable;
class TSoundControl;
class TSplash;
class THotButtonFile;
class THotButtonsBox;
class TRecordPlayback;

class TMain : public QMainWindow, public TPhoneHost, public ICallView, public IMainWindowSettings {
    Q_OBJECT
public:
    static const QString Caption;     // "Программа мониторинга телефонной линии"
    static const QString TrayTip;     // "Монитор телефонной линии"
    static const QString ExitQuestion;
    static const QString ExitCaption;

    // Runs the start-up; with another copy on the same base folder it stops at
    // once and SecondInstance is set.
    explicit TMain(QWidget *parent = nullptr);
    ~TMain() override;

    bool SecondInstance = false;
    bool TrayIconShown = false;
    int SavedVolume() const;

    // Closes without the exit question (SIGTERM, SIGINT, the demo's end).
    void CloseWithoutAsking();
    // The exit question; tests and the tray menu go through close().
    std::function<bool()> ConfirmExit;

    // Parts for tests, the demo and later windows.
    TPhone *Phone() const { return FPhone.get(); }
    TConfig *Config() const { return FConfig.get(); }
    TIncomingCallBook *InCalls() const { return FInCalls; }
    TOutgoingCallBook *OutCalls() const { return FOutCalls; }
    TAddressBook *AddressBook() const { return FAddressBook; }
    TAlert *Alert() const { return FAlert; }
    TFormMessage *FormMessage() const { return FFormMessage; }
    TSplash *Splash() const { return FSplash; }
    QSystemTrayIcon *TrayIcon() const { return FTrayIcon; }
    QMenu *TrayMenu() const { return FTrayMenu; }
    TDialList &DialList() { return FDialList; }
    // The group "Запись" and the group "Горячие номера".
    TRecordPlayback *Playback() const { return FPlayback; }
    THotButtonsBox *HotButtons() const { return FHotBox; }
    // The current journal row's recording as a path; empty when the row
    // offers none (the address book, no file, or a talk kept in the phone).
    QString CurrentRecordingFile() const;
    QString StatusText() const;
    QString NumberPanelText() const;
    int StateImage() const { return FStateImage; }
    bool ShutDown() const { return FShutDown; }

    // Menu-item handlers.
    void DisconnectItemClick();
    void PhoneModelItemClick();
    void TrayOpenClick();
    void CallBtnClick();
    void HangUpItemClick();

    // Journal views.
    // Updates the commands and the information-fields panel for the current rows.
    void RefreshCurrentRow();
    void UpdateAddressCommands();
    // Deletes the current row of the current page (asking first).
    void DeleteCurrentRow();
    // "&Удалить абонента": the address book's current subscriber.
    void DeletePersonClick();
    // Clears a table: Kind 0 incoming, 1 outgoing, 2 address book (asking first).
    void ClearTable(int Kind);
    // Double-click or Enter on a grid: dials the row's number where the rules allow.
    void GridDoubleClick(QTableView *Grid);
    // The deletion questions: OK/Cancel under "Подтверждение удаления"; tests answer them.
    std::function<bool(const QString &Question)> ConfirmDelete;

    // TPhoneHost
    void StartModelDetection() override;
    void ProcessMessages() override;
    void CloseSplash() override;
    void RefreshPhoneInfo() override;
    void UpdateFirmwareCommands() override;
    void EndMemoryRead() override;

    // ICallView
    void SetStatusText(const QString &Text) override;
    void SetNumberText(const QString &Text) override;
    void SetStateImage(int Index) override;
    void EnableCallCommands(bool Enabled) override;
    void SetCallButtonCaption(const QString &Caption) override;
    void EnableProfileLoad(bool Enabled) override;
    void EnablePhoneModel(bool Enabled) override;
    void PhoneSettingsStateChanged() override;
    void RobotPhoneStateChanged(bool Online) override;
    void ShowCaller(const QString &Number, const QString &Name, const QString &Notes,
                    const QString &Address) override;
    void CloseAlert() override;
    bool AlertShowing() const override;
    void StartNumberTimeout() override;
    void StartRing(bool SubscriberFound) override;
    void StopCrescendo() override;
    void StopSound() override;
    bool SoundPlaying() const override;
    void ResetVolume() override;
    void SetVolumeFollowsTrack() override;
    void SetMute(bool On) override;
    void EnableRecordButton(bool Enabled) override;
    bool RecordButtonEnabled() const override;
    void SetRecordButtonDown(bool Down) override;
    void EnablePlayerButtons(bool Enabled) override;
    void EnablePlayButton(bool Enabled) override;
    void RefreshPlayerButtons() override;
    bool SplashShowing() const override;
    void SplashText(const QString &Text) override;
    void ShowMainWindow() override;
    void AddToDialList(const QString &Number) override;
    void RebuildReminders() override;
    void RefreshJournal(TCallKind Kind) override;
    bool PlayingRecord() const override;
    bool RobotWindowShowing() const override;
    bool NumberInfoShowing() const override;
    void FinishTransferProgress() override;
    void CloseTalkTransfer() override;
    void Wait(int Milliseconds) override;

    // IMainWindowSettings
    TBounds Bounds() const override;
    void SettingsApplied() override;

    static QIcon StateIcon(int Index);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Startup();
    void Shutdown();
    bool LockBaseFolder();
    void createMenu();
    void createStatusBar();
    void createLeftColumn(QWidget *parent);
    void createJournalPages();
    void createPlaybackAndHotButtons();
    void createPlayback();
    void createTrayIcon();
    void openTables();
    void bindGrid(QTableView *grid, TRecordTable *table, const QList<QPair<QString, QString>> &columns,
                  const QString &extraColumn = QString());
    void updateTitleFonts();
    void applyWindowBounds();
    void showInfo(const QString &First, const QString &Second, const QString &Caption);
    void showTableMessage(TRecordTable *table);
    void volumeBarMoved(int Position);
    void pageChanged(int Index);
    void setupJournalViews();
    void setupFieldPanel(int Journal);
    void updateFieldPanel(int Journal, int Kind);
    void playChoiceClick(bool Message);
    bool restricted();
    bool journalEvent(QObject *watched, QEvent *event);
    void gridPopupAboutToShow();
    void addressPopupAboutToShow();
    void resizeAddressPage();
    void showFieldsItemClick();
    TRecordTable *tableOf(const QTableView *Grid) const;
    void freeHotButtonOfCurrentPerson();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void connectPhoneEvents();

    QLockFile *FLock = nullptr;
    bool FShutDown = false;
    bool FCloseWithoutAsking = false;
    int FStateImage = 1;

    std::unique_ptr<TPhone> FPhone;
    std::unique_ptr<TPhoneLinkAdapter> FLinkAdapter;
    TConfigPrompts FPrompts;
    std::unique_ptr<TConfig> FConfig;
    std::unique_ptr<TPhoneDetection> FDetection;
    TAddressBook *FAddressBook = nullptr;
    TIncomingCallBook *FInCalls = nullptr;
    TOutgoingCallBook *FOutCalls = nullptr;
    TDialList FDialList;
    std::unique_ptr<THotButtonFile> FHotButtons;
    std::unique_ptr<TAudioMixer> FMixer;
    TMediaPlayer *FMediaPlayer = nullptr;
    std::unique_ptr<TConfigVolumeSettings> FVolumeSettings;
    std::unique_ptr<TQtTickTimer> FCreschendoTimer;
    std::unique_ptr<TSoundControl> FSound;
    TGSMRecorder *FRecorder = nullptr;
    std::unique_ptr<TDialControl> FDialControl;
    std::unique_ptr<TCallHandler> FCallHandler;

    TSplash *FSplash = nullptr;
    TFormMessage *FFormMessage = nullptr;
    TAlert *FAlert = nullptr;
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
    QGroupBox *FRecordGroup = nullptr;
    QToolButton *PlayButton = nullptr;
    QToolButton *PauseBtn = nullptr;
    QToolButton *StopBtn = nullptr;
    QToolButton *RecBtn = nullptr;
    QSlider *TrackBar = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *SpeedButton4 = nullptr;
    QSlider *SoundTrack = nullptr;
    QLabel *RestTime = nullptr;
    TRecordPlayback *FPlayback = nullptr;
    QGroupBox *FHotGroup = nullptr;
    THotButtonsBox *FHotBox = nullptr;

    // Pages.
    QTabWidget *PageControl1 = nullptr;
    QTableView *InGrid = nullptr;
    QTableView *OutGrid = nullptr;
    QTableView *AddressGrid = nullptr;
    QToolButton *InFilterBtn = nullptr;
    QToolButton *OutFilterBtn = nullptr;
    QList<QToolButton *> FTalkDownloadButtons;
    QToolButton *PlayRecBtn = nullptr;
    QToolButton *PlayMessBtn = nullptr;
    // The journal toolbars' buttons the current row enables, found once.
    QToolButton *InSaveFileBtn = nullptr;
    QToolButton *OutSaveFileBtn = nullptr;
    QToolButton *ToolButtonGetTalk = nullptr;
    QToolButton *ToolButtonGetOutTalk = nullptr;
    QToolButton *InDeleteBtn = nullptr;
    QToolButton *OutDeleteBtn = nullptr;
    QToolButton *EditPersonBtn = nullptr;
    QToolButton *DeletePersonBtn = nullptr;
    QToolButton *ShowFieldsInBtn = nullptr;
    QToolButton *ShowFieldsOutBtn = nullptr;
    QWidget *PanelFieldsIn = nullptr;
    QWidget *PanelFieldsOut = nullptr;
    QTableWidget *SGFieldsIn = nullptr;
    QTableWidget *SGFieldsOut = nullptr;
    QMenu *GridPopup = nullptr;
    QMenu *AddressPopup = nullptr;
    QObject *FJournalEvents = nullptr;
    int FWheelDelta = 0;

    // Menu items.
    QAction *FExitItem = nullptr;
    QAction *FDialItem = nullptr;
    QAction *FHangUpItem = nullptr;
    QAction *FDisconnectItem = nullptr;
    QAction *FPhoneSettingsItem = nullptr;
    QAction *FProfileLoadItem = nullptr;
    QAction *FRobotItem = nullptr;
    QAction *FModelItem = nullptr;
    bool FProfileLoadWanted = false;
};

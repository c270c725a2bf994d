#pragma once
// "Настройки": the modal dialog that edits what TConfig keeps. It writes only
// the deletion lock with its password (at once, through SetRestriction) and
// the page shown into ActiveSetting; everything else goes back through
// TConfig's Apply handler ("&Применить", "&OK").
#include "ISettingsDialog.h"
#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class QToolButton;
class TConfig;
class TMediaPlayer;
class TPasswordDlg;
class TRulesPage;
class TOfficePage;
class TSoundPlayer;

class TSettings : public QDialog, public ISettingsDialog {
    Q_OBJECT
public:
    // Pages of PageControl1.
    enum TPage { pgGeneral, pgRecords, pgSignals, pgPort, pgView, pgData, pgNetwork, pgRules };

    // Attaches itself to Config (which fills it) and detaches when destroyed.
    explicit TSettings(TConfig &Config, QWidget *parent = nullptr);
    ~TSettings() override;

    // Refills from the settings and runs modally; Page (pgData for the Access
    // databases) is shown instead of ActiveSetting when given.
    int Execute(int Page = -1);
    // The main window's player, closed before the ring sound's preview plays.
    void SetMainPlayer(TSoundPlayer *Player) { FMainPlayer = Player; }
    // RG_Channel is enabled only when the phone reported a mobile channel.
    void SetMobileChannel(bool Present);
    // The open dialogs; tests replace them. Empty text when cancelled.
    std::function<QString()> ChooseSoundFile;
    std::function<QString()> ChooseRecordsFolder;
    std::function<QString()> ChooseDatabase;

    TPasswordDlg *PasswordDlg() const { return FPasswordDlg; }
    bool PreviewPlaying() const;
    QStringList AccessDatabases() const;

    // ISettingsDialog
    void SetValues(const TSettingsDialogValues &values) override;
    TSettingsDialogValues Values() const override;
    void SetRecordsDir(const QString &folder) override;
    bool Changed() const override { return FChanged; }
    void SetApplyEnabled(bool enabled) override;

    static const QString WrongPassword;     // "Неверный пароль"
    static const QString DuplexWarning;

    QTabWidget *PageControl1;
    // "&Общие"
    QSpinBox *NumLength;
    QComboBox *PrefixCombo;
    QCheckBox *MuteOnCallCheck;
    QCheckBox *AskRecordsCheck;
    QCheckBox *StartMinimizedCheck;
    QCheckBox *AutostartCheck;
    // "Се&ть"
    QCheckBox *FeedEnabledCheck;
    QLineEdit *FeedAddressEdit;
    QSpinBox *FeedPortSpin;
    QLineEdit *FeedAllowedEdit;
    QLineEdit *FeedWebhooksEdit;
    QLineEdit *FeedSecretEdit;
    // "Правила"
    TRulesPage *RulesPage;
    TOfficePage *OfficePage;
    QCheckBox *AdjustSoundCheck;
    QCheckBox *RestrictDeletionCheck;
    QPushButton *ChangePasswordBitBtn;
    QGroupBox *RG_Channel;
    // "&Запись"
    QCheckBox *RecordInCheck;
    QCheckBox *RecordOutCheck;
    QLineEdit *RecordsDirEdit;
    QToolButton *BrowseDirBtn;
    // "&Сигналы"
    QSlider *DayVolumeTrack;
    QLineEdit *DayVolumeEdit;
    QSlider *NightVolumeTrack;
    QLineEdit *NightVolumeEdit;
    QTimeEdit *StartNightEdit;
    QTimeEdit *EndNightEdit;
    QCheckBox *CreschendoCheck;
    QCheckBox *PlaySoundCheck;
    QLineEdit *SoundFileEdit;
    QToolButton *BrowseBtn;
    QToolButton *PlayBtn;
    QCheckBox *NoMessageOnStartTalkCheck;
    QCheckBox *DisplayMessageCheck;
    QCheckBox *NoAlertOnStartTalkCheck;
    QRadioButton *ShowMessageRadio;
    QRadioButton *ShowFormRadio;
    QCheckBox *CheckBoxOutForm;
    // "&Порт"
    QComboBox *ComComboBox1;
    QCheckBox *GetPortCheck;
    // "&Вид"; the information fields by number 1..8 (index 0 unused, 8 hidden).
    QTabWidget *PageControlInOutFields;
    QGroupBox *ShowInFieldRadioGroup;
    QGroupBox *ShowOutFieldRadioGroup;
    std::array<QCheckBox *, 9> CheckBoxIn{};
    std::array<QLineEdit *, 9> InFieldNameEdit{};
    std::array<QCheckBox *, 9> CheckBoxOut{};
    std::array<QLineEdit *, 9> OutFieldNameEdit{};
    // "&Данные"
    QCheckBox *AddOutlPhonePostfixCheck;
    QLineEdit *OutlHomeEdit;
    QLineEdit *OutlWorkEdit;
    QLineEdit *OutlMobileEdit;
    QLineEdit *OutlOtherEdit;
    QListWidget *AccessDBList;
    QPushButton *AddDBBtn;
    QPushButton *RemoveDBBtn;
    // Buttons
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
    QPushButton *ApplyBtn;

public slots:
    void accept() override;
    void reject() override;

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildGeneralPage();
    QWidget *buildRecordsPage();
    QWidget *buildSignalsPage();
    QWidget *buildPortPage();
    QWidget *buildViewPage();
    QWidget *buildFieldsPage(bool In);
    QWidget *buildDataPage();
    QWidget *buildNetworkPage();
    void watchChanges();
    void markChanged();
    void updateEnables();
    void volumeTyped(QLineEdit *Edit, QSlider *Track);
    void restrictDeletionClicked(bool Checked);
    void changePasswordClicked();
    void updatePasswordCaption();
    void noMessageOnStartTalkClicked(bool Checked);
    void browseDirClicked();
    void browseSoundClicked();
    void playClicked();
    void stopPreview();
    void pageChanged(int Index);
    void addDatabaseClicked();
    void removeDatabaseClicked();
    void showMessage(const QString &Text);

    TConfig &FConfig;
    TSettingsDialogValues FFilled;
    TPasswordDlg *FPasswordDlg;
    std::unique_ptr<TMediaPlayer> FPreview;
    TSoundPlayer *FMainPlayer = nullptr;
    QButtonGroup *FChannelGroup;
    QButtonGroup *FShowInGroup;
    QButtonGroup *FShowOutGroup;
    bool FChanged = false;
    bool FFilling = false;
    bool FMobileChannel = false;
    bool FRecordingPage = true;
};

#pragma once
// "Редактор настроек телефона VRX": the phone's parameters as one tab per
// module and one tree per tab, each parameter's value as the phone reports it,
// its editors, and the commands that read, write, load and save them.
#include "IParamLink.h"
#include "TParamModel.h"
#include "TParamTransfer.h"
#include "TPhoneParamLink.h"
#include <QDialog>
#include <functional>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSpinBox;
class QSplitter;
class QTabBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TConfig;
class TFormProgress;
struct TPhoneIdentity;

enum TProfileSource { srcNone = 0, srcFile = 1, srcPhone = 2 };

class TFormAONSetting : public QDialog {
    Q_OBJECT
public:
    static const QString Caption;              // "Редактор настроек телефона VRX"
    static const QString InvalidValueText;     // "Недопустимое значение параметра!"
    static const QString ReadRestQuestion;
    static const QString ModifiedQuestion;
    static const QString NothingLoadedText;    // a profile that matched no parameter
    static const QString NoFirmwareText;       // the model needs the firmware version
    static const QString NoDescriptionText;    // Params.vrx unreadable

    TFormAONSetting(TParamModel &Model, IParamLink &Link, TFormProgress &Progress, TConfig *Config,
                    const TPhoneIdentity &Identity, const QString &DescriptionFile, QWidget *parent = nullptr);
    ~TFormAONSetting() override;
    // Esc ends here: it closes the window as every other way out does.
    void reject() override;

    // Dialog hooks, answered by tests; the defaults are the standard boxes.
    std::function<bool(const QString &Text, const QString &Caption)> AskYesNo;
    std::function<void(const QString &Text, const QString &Caption)> ShowError;
    std::function<void(const QString &Text, const QString &Caption)> ShowWarning;
    std::function<QString()> ChooseOpenFile;
    std::function<QString(const QString &Preset)> ChooseSaveFile;

    // The description's lines were found (at creation) / the model built.
    bool DescriptionLoaded() const { return FDescriptionRead; }
    bool HasModel() const { return !FModel.Empty(); }
    // Builds the model from the description for the phone's firmware when it
    // has no group yet and the version is known; true when a group exists
    // afterwards. Built while shown, the tabs appear at once.
    bool BuildModel();

    // A parameter answer from the phone (the transfer window takes it while it runs).
    void ParamReceived(quint16 Address, const QList<quint16> &Values);
    void PhoneStateChanged();
    // Profile loading from the main window: the file into the model, then
    // every known value written to the phone. False, with a message, when
    // nothing was loaded or written.
    bool LoadProfileIntoPhone(const QString &FileName);
    // The end of a bulk transfer.
    void TransferDone(TTransferResult Result);
    void TimerAskParameterTimer();
    void ReportInvalidValue();
    void ShowParamState(TParamState State);
    // The file dialog of the profile loading command.
    QString OpenProfileDialog();

    // State, for the main window and tests.
    bool Modified() const { return FModified; }
    bool InvalidValue() const { return FInvalidValue; }
    TProfileSource ProfileSource() const { return FProfileSource; }
    QString ProfileFileName() const { return FProfileFileName; }
    QAction *PendingCommand() const { return FPendingCommand; }
    TParam *SelectedParam() const;
    int TimerTag() const { return FTimerTag; }
    bool RepeatTimerActive() const { return FTimer.Active(); }
    // Selects the first tree item of the current tab showing the parameter.
    bool SelectParam(qint32 Id);
    void SelectTab(int Index);
    QString StatusText(int Panel) const;

    // Components.
    QTabBar *TabControl = nullptr;
    QTreeWidget *TreeView = nullptr;
    QSplitter *Splitter = nullptr;
    QWidget *PanelSetting = nullptr;
    QLabel *PanelTop = nullptr;
    QWidget *Panel[2] = {};
    QGroupBox *RGSetting[2] = {};
    QWidget *PanelSet[2] = {};
    QSpinBox *SpinEdit[2] = {};
    QLabel *LabelSet[2] = {};
    QWidget *PanelFlags[2] = {};
    QList<QCheckBox *> Flags[2];
    QPlainTextEdit *Memo1 = nullptr;
    QLabel *StatusPanel[3] = {};
    QMenu *PopupMenu1 = nullptr;
    QAction *miLoadFromFile = nullptr;
    QAction *miLoadFromAON = nullptr;
    QAction *miSaveOnDisk = nullptr;
    QAction *miSaveOnDiskAs = nullptr;
    QAction *miSaveInAON = nullptr;
    QAction *miSaveInAON1 = nullptr;
    QAction *miClose = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createComponents();
    QToolButton *toolButton(const QString &Name, QAction *Action);
    void fillTabs();
    void tabChanged(int Index);
    void showTree();
    void showItem();
    void showSlot(int Slot, const TParam &P);
    void takeValue(int Slot, TParam &P, quint16 Value);
    void changedByUser(int Slot, QObject *Sender);
    void spinEditExit(int Slot);
    void redrawTree();
    QIcon itemIcon(const TTreeItem &Item) const;
    TParamGroup *currentGroup() const;
    bool guardInvalid();
    bool confirmLoad();
    void layoutEditors();

    void loadFromFileClick();
    void loadFromAONClick();
    void saveClick(QAction *Item);
    void saveInAONClick();
    void saveInAON1Click();
    bool writeProfile();
    bool loadProfile(const QString &FileName);

    TParamModel &FModel;
    IParamLink &FLink;
    TFormProgress &FProgress;
    TConfig *FConfig;
    const TPhoneIdentity &FIdentity;
    QString FDescriptionFile;
    bool FDescriptionRead = false;
    bool FUpdating = true;
    bool FModified = false;
    bool FInvalidValue = false;
    bool FReporting = false;
    bool FClosing = false;
    TProfileSource FProfileSource = srcNone;
    QString FProfileFileName;
    QAction *FPendingCommand = nullptr;
    std::vector<TTreeItem> FItems;
    QList<QTreeWidgetItem *> FTreeItems;
    QTreeWidgetItem *FShownItem = nullptr;
    TQtParamTimer FTimer;
    int FTimerTag = 0;
    int FTab = -1;
    QButtonGroup *FRadio[2] = {};
};

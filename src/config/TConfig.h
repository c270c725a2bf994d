#pragma once
// Every setting of the program, kept in the settings store (the registry on
// Windows, <base>/Konvelo.ini elsewhere) in the keys Port, Data, Config,
// Statistics, ExternalData\Outlook and Feed below Software\Konvelo.
// The phone link, the dialog and the main window given to it must outlive it
// (or be detached) since its destruction saves once more.
#include <QDateTime>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include "common/TDateTime.h"
#include "TFeedSettings.h"
#include "TNumberRules.h"
#include "TOfficeSettings.h"
#include "TPortSettings.h"
#include "TSettingsDialogValues.h"
#include "TSettingsStore.h"

class IConfigPrompts;
class IMainWindowSettings;
class IPhoneLinkSettings;
class ISettingsDialog;

class TConfig : public QObject {
    Q_OBJECT
public:
    // Opens the store and loads it; when that fails the settings are written
    // afresh with their defaults (the first run) and loaded again. Phone and
    // Prompts may be null (no phone link, no windows). Store defaults to
    // TSettingsStore::Open().
    explicit TConfig(IPhoneLinkSettings *Phone, IConfigPrompts *Prompts = nullptr,
                     std::unique_ptr<TSettingsStore> Store = {});
    // Saves once more (through the dialog, when one is attached).
    ~TConfig();
    TConfig(const TConfig &) = delete;
    TConfig &operator=(const TConfig &) = delete;

    // Reads every value; raises TConfigError when one is missing or invalid.
    void Load();
    // Takes the dialog's values and writes all values, then applies what
    // concerns the phone link and the main window. False when the store could
    // not be written.
    bool Save();
    // Puts the fields into the dialog's controls.
    void FillDialog();
    // The Apply handler of "&Применить" and "&OK".
    void Apply();
    // Writes every setting afresh with its defaults, asking for the records
    // folder; RecordsFolder, when given, is taken without asking. False when
    // the store could not be written.
    bool FirstRun(const QString &RecordsFolder = QString());

    // Binds the settings dialog (filled at once) or unbinds it (null).
    void AttachDialog(ISettingsDialog *Dialog);
    void SetMainWindow(IMainWindowSettings *MainWindow) { FMainWindow = MainWindow; }
    void SetPrompts(IConfigPrompts *Prompts) { FPrompts = Prompts; }
    // The clock of IsDayTime, CurrentVolume and WriteLastOff (tests set their own).
    void SetClock(std::function<QDateTime()> Clock);

    bool IsDayTime() const;
    bool IsDayTimeAt(TDateTime Time) const;
    int CurrentVolume() const;
    // Stores the volume into DayVolume or NightVolume, whichever applies now;
    // returns whether it is day.
    bool SetCurrentVolume(int Volume);
    // Kind: 0 incoming, 1 outgoing, 2 address book.
    QString SortField(int Kind) const;
    void SetSortField(int Kind, const QString &Name);
    // Stores "ypw" and "yrd" at once.
    void SetRestriction(const QString &Password, bool Restrict);
    void WriteLastOff();

    // The port settings last loaded or stored (the phone link's, when there is one).
    TPortSettings PortSettings() const;
    // Where the settings live, and the copy kept of a broken store before the
    // first run rewrote it (empty when none was needed).
    QString StoreLocation() const;
    QString KeptCopy() const { return FKeptCopy; }
    // Whether the last Load failed and the settings were written afresh.
    bool WasFirstRun() const { return FWasFirstRun; }

    static QString DefaultRecordsDirectory();
    static QString DefaultSoundFileName();
    static const QString FolderQuestionTitle;   // title of the folder chooser

    // Data
    QString ypw;
    bool yrd = false;
    int ChannelType = 0;
    QString IncomingSort;
    QString OutgoingSort;
    QString AddressSort;
    QString InputFilter;
    QString OutputFilter;
    bool DefaultPlayMessage = true;
    bool RecordIncomingCalls = true;
    bool RecordOutgoingCalls = true;
    TDateTime LastOff;
    bool AskForCalls = true;          // "Ask for сalls"
    QString RecordsDirectory;

    // Config
    int ActivePage = 0;
    int ActiveSetting = 3;
    int RegionalNumberLength = 7;
    uint8_t Prefix = 8;
    int DayVolume = 100;
    int NightVolume = 50;
    TDateTime StartNight;
    TDateTime EndNight;
    bool Creschendo = false;
    bool DisplayMessage = true;
    bool PlaySound = true;
    QString SoundFileName;
    bool MuteOnCall = false;
    bool AdjustSoundSettings = true;
    bool NoMessageOnTalk = true;
    bool NeedCheckPort = true;
    bool NeedStartMinimized = true;
    bool NoAlertOnTalk = true;
    int Left = 0;
    int Top = 0;
    int Width = 800;
    int Height = 600;
    int WindowState = 2;
    int AONSettingState = 0;
    int TreeWidth = 300;
    // Information fields by number 1..7 (index 0 unused; the eighth is stored, not kept).
    std::array<QString, 8> InField;
    std::array<QString, 8> OutField;
    std::array<bool, 8> InFieldYes{};
    std::array<bool, 8> OutFieldYes{};
    int ShowInFieldKind = 1;
    int ShowOutFieldKind = 1;
    bool ShowInputFormOnInCall = false;
    bool ShowInputFormOnOutCall = false;
    QString BDPath;
    bool HasBDPath = false;

    // Statistics (InF/OutF by field number 1..7)
    bool InPhone = true;
    std::array<bool, 8> InF{};
    bool OutPhone = true;
    std::array<bool, 8> OutF{};

    // ExternalData\Outlook
    bool AddOutlNamePostfix = true;
    QString OutlHomeName;
    QString OutlWorkName;
    QString OutlMobileName;
    QString OutlOtherName;

    // Feed: the call feed's server and webhooks.
    TFeedSettings Feed;

    // Office: the office server shared by the workstations (empty: none).
    TOfficeSettings Office;

    // Rules: the numbers whose calls are hung up at once.
    TNumberRules NumberRules;

    // Run-time only: the sound card can play while it records.
    bool CanPlayWhileRecording = true;

signals:
    // The settings were saved and applied: the windows take what concerns them
    // (volume bar, grids, information-field panels).
    void SettingsApplied();

private:
    void SetDefaults();
    QString AskRecordsFolder(const QString &defaultFolder);
    void WriteData(bool all);
    void WriteConfig(bool firstRun);
    bool SaveAll(bool apply);
    void WriteStatistics();
    void WriteOutlook();
    void StorePortSettings();
    void SavePort(const TSettingsDialogValues &now);
    void TakeRecordsFolder(const QString &typed);
    TSettingsDialogValues DialogValues() const;
    TDateTime Now() const;

    IPhoneLinkSettings *FPhone;
    IConfigPrompts *FPrompts;
    IMainWindowSettings *FMainWindow = nullptr;
    ISettingsDialog *FDialog = nullptr;
    std::unique_ptr<TSettingsStore> FStore;
    std::function<QDateTime()> FClock;
    TPortSettings FPortSettings;        // used when there is no phone link
    TSettingsDialogValues FFilled;      // what the dialog was last filled with
    QString FKeptCopy;
    bool FWasFirstRun = false;
};

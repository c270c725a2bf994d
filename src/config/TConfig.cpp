#include "TConfig.h"
#include "TAutostart.h"
#include "IConfigPrompts.h"
#include "IMainWindowSettings.h"
#include "IPhoneLinkSettings.h"
#include "ISettingsDialog.h"
#include "TConfigError.h"
#include "TSettingsStore.h"
#include "common/BaseFolder.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const QString KData = QStringLiteral("Data");
const QString KConfig = QStringLiteral("Config");
const QString KStatistics = QStringLiteral("Statistics");
const QString KOutlook = QStringLiteral("ExternalData/Outlook");
const QString AskForCallsName = QStringLiteral("Ask for \u0441alls");   // Cyrillic "с"
const QString NoRecordsFolder = QStringLiteral("Не задана директория для записей.");

QString BasePath()
{
    QString base = BaseFolder::path();
    if (base.isEmpty())
        base = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                            : QDir::currentPath();
    return base;
}

QString Numbered(const char *prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
}

// Keeps a dialog value only when the user changed it since the dialog was
// filled, so that what changed elsewhere in the meantime (the volume slider,
// the port search) is not put back.
template <typename T>
void Take(T &field, const T &now, const T &filled)
{
    if (!(now == filled))
        field = now;
}
}

const QString TConfig::FolderQuestionTitle =
    QStringLiteral("Выберите директорию для хранения записей разговоров");

TConfig::TConfig(IPhoneLinkSettings *Phone, IConfigPrompts *Prompts,
                 std::unique_ptr<TSettingsStore> Store)
    : FPhone(Phone), FPrompts(Prompts), FStore(Store ? std::move(Store) : TSettingsStore::Open()),
      FClock([] { return QDateTime::currentDateTime(); })
{
    SetDefaults();
    try {
        Load();
    } catch (const TConfigError &) {
        FWasFirstRun = true;
        FKeptCopy = FStore->KeepCopy();
        FirstRun();
        const QString folder = RecordsDirectory;
        const TDateTime lastOff = LastOff;
        try {
            Load();
        } catch (const TConfigError &) {
            // The store cannot be written: run on the defaults just chosen.
            SetDefaults();
            RecordsDirectory = folder;
            LastOff = lastOff;
        }
    }
}

TConfig::~TConfig()
{
    // The main window is being destroyed: nothing is applied to it any more.
    try {
        SaveAll(false);
    } catch (...) {
    }
}

QString TConfig::DefaultRecordsDirectory()
{
    return QDir::toNativeSeparators(QDir(BasePath()).filePath(QStringLiteral("Sounds/Records")));
}

QString TConfig::DefaultSoundFileName()
{
    return QDir::toNativeSeparators(QDir(BasePath()).filePath(QStringLiteral("Sounds/Bells/Din.wav")));
}

void TConfig::SetClock(std::function<QDateTime()> Clock)
{
    FClock = Clock ? std::move(Clock) : [] { return QDateTime::currentDateTime(); };
}

TDateTime TConfig::Now() const
{
    return TDateTime::fromQDateTime(FClock());
}

QString TConfig::StoreLocation() const
{
    return FStore->Location();
}

TPortSettings TConfig::PortSettings() const
{
    return FPhone ? FPhone->PortSettings() : FPortSettings;
}

void TConfig::SetDefaults()
{
    ypw.clear();
    yrd = false;
    Feed = TFeedSettings();
    // Rules written before the first full start (konvelo-cli rules) are kept.
    NumberRules = TNumberRules::Load(*FStore);
    ChannelType = 0;
    IncomingSort = QStringLiteral("Time");
    OutgoingSort = QStringLiteral("Time");
    AddressSort = QStringLiteral("Name");
    InputFilter.clear();
    OutputFilter.clear();
    DefaultPlayMessage = true;
    RecordIncomingCalls = true;
    RecordOutgoingCalls = true;
    LastOff = Now();
    AskForCalls = true;
    RecordsDirectory = DefaultRecordsDirectory();

    ActivePage = 0;
    ActiveSetting = 3;
    RegionalNumberLength = 7;
    Prefix = 8;
    DayVolume = 100;
    NightVolume = 50;
    StartNight = TDateTime::fromTime(QTime(0, 0));
    EndNight = TDateTime::fromTime(QTime(9, 0));
    Creschendo = false;
    DisplayMessage = true;
    PlaySound = true;
    SoundFileName = DefaultSoundFileName();
    MuteOnCall = false;
    AdjustSoundSettings = true;
    NoMessageOnTalk = true;
    NeedCheckPort = true;
    NeedStartMinimized = true;
    NoAlertOnTalk = true;
    Left = 0;
    Top = 0;
    Width = 800;
    Height = 600;
    WindowState = 2;
    AONSettingState = 0;
    TreeWidth = 300;
    for (int i = 1; i <= 7; ++i) {
        InField[i] = OutField[i] = QStringLiteral("Поле %1").arg(i);
        InFieldYes[i] = OutFieldYes[i] = i <= 3;
        InF[i] = OutF[i] = true;
    }
    ShowInFieldKind = 1;
    ShowOutFieldKind = 1;
    ShowInputFormOnInCall = false;
    ShowInputFormOnOutCall = false;
    BDPath.clear();
    HasBDPath = false;

    InPhone = true;
    OutPhone = true;

    AddOutlNamePostfix = true;
    OutlHomeName = QStringLiteral("Домашний");
    OutlWorkName = QStringLiteral("Рабочий");
    OutlMobileName = QStringLiteral("Мобильный");
    OutlOtherName = QStringLiteral("Другой");
}

QString TConfig::AskRecordsFolder(const QString &defaultFolder)
{
    if (!FPrompts)
        return defaultFolder;
    const QString question =
        QStringLiteral("Вы хотите задать директорию для хранения записей разговоров? На диске, "
                       "где будут храниться файлы записей разговоров, должно быть достаточно "
                       "места. Час записи занимает около 6 Mb дискового пространства.")
        + QLatin1Char('\r') + QStringLiteral("Вы можете задать директорию, нажав ")
        + QLatin1Char('"') + QStringLiteral("Да") + QLatin1Char('"')
        + QStringLiteral(". В противном случае будет задана директория по умолчанию: ")
        + defaultFolder;
    if (!FPrompts->Confirm(question))
        return defaultFolder;
    const QString chosen = FPrompts->ChooseFolder(FolderQuestionTitle);
    return chosen.trimmed().isEmpty() ? defaultFolder : chosen;
}

bool TConfig::FirstRun(const QString &RecordsFolder)
{
    SetDefaults();
    FStore->CreateKey(QString());
    FStore->CreateKey(TPortSettings::Key);
    StorePortSettings();
    RecordsDirectory = RecordsFolder.isEmpty() ? AskRecordsFolder(DefaultRecordsDirectory())
                                               : RecordsFolder;
    LastOff = Now();
    WriteData(true);
    WriteConfig(true);
    WriteStatistics();
    WriteOutlook();
    Feed.Store(*FStore);
    NumberRules.Store(*FStore);
    return FStore->Flush();
}

void TConfig::Load()
{
    TSettingsStore &s = *FStore;
    if (s.KeyExists(TPortSettings::Key)) {
        const TPortSettings port = TPortSettings::Load(s);
        FPortSettings = port;
        if (FPhone)
            FPhone->SetPortSettings(port);
    }

    yrd = s.ReadBool(KData, QStringLiteral("yrd"));
    ypw = s.ReadString(KData, QStringLiteral("ypw"));
    ChannelType = s.ReadInteger(KData, QStringLiteral("Channel Type"));
    IncomingSort = s.ReadString(KData, QStringLiteral("IncomingSort"));
    OutgoingSort = s.ReadString(KData, QStringLiteral("OutgoingSort"));
    AddressSort = s.ReadString(KData, QStringLiteral("AddressSort"));
    RecordIncomingCalls = s.ReadBool(KData, QStringLiteral("Record incoming calls"));
    RecordOutgoingCalls = s.ReadBool(KData, QStringLiteral("Record outgoing calls"));
    InputFilter = s.ReadString(KData, QStringLiteral("Input Filter"));
    OutputFilter = s.ReadString(KData, QStringLiteral("Output Filter"));
    DefaultPlayMessage = s.ReadBool(KData, QStringLiteral("Default play message"));
    LastOff = s.ReadDateTime(KData, QStringLiteral("LastOff"));
    AskForCalls = s.ReadBool(KData, AskForCallsName);
    RecordsDirectory = s.ReadString(KData, QStringLiteral("Records Directory"));
    if (RecordsDirectory.trimmed().isEmpty())
        throw TConfigError(NoRecordsFolder);

    ActivePage = s.ReadInteger(KConfig, QStringLiteral("ActivePage"));
    ActiveSetting = s.ReadInteger(KConfig, QStringLiteral("ActiveSetting"));
    RegionalNumberLength = s.ReadInteger(KConfig, QStringLiteral("RegionalNumberLength"));
    Prefix = uint8_t(s.ReadInteger(KConfig, QStringLiteral("Prefix")) & 0xFF);
    DayVolume = s.ReadInteger(KConfig, QStringLiteral("DayVolume"));
    NightVolume = s.ReadInteger(KConfig, QStringLiteral("NightVolume"));
    StartNight = s.ReadDateTime(KConfig, QStringLiteral("StartNight"));
    EndNight = s.ReadDateTime(KConfig, QStringLiteral("EndNight"));
    Creschendo = s.ReadBool(KConfig, QStringLiteral("Creschendo"));
    DisplayMessage = s.ReadBool(KConfig, QStringLiteral("DisplayMessage"));
    PlaySound = s.ReadBool(KConfig, QStringLiteral("PlaySound"));
    SoundFileName = s.ReadString(KConfig, QStringLiteral("SoundFileName"));
    MuteOnCall = s.ReadBool(KConfig, QStringLiteral("MuteOnCall"));
    AdjustSoundSettings = s.ReadBool(KConfig, QStringLiteral("AdjustSoundSettings"));
    NoMessageOnTalk = s.ReadBool(KConfig, QStringLiteral("NoMessageOnTalk"));
    NeedCheckPort = s.ReadBool(KConfig, QStringLiteral("NeedCheckPort"));
    NeedStartMinimized = s.ReadBool(KConfig, QStringLiteral("NeedStartMinimized"));
    NoAlertOnTalk = s.ReadBool(KConfig, QStringLiteral("NoAlertOnTalk"));
    Left = s.ReadInteger(KConfig, QStringLiteral("Left"));
    Top = s.ReadInteger(KConfig, QStringLiteral("Top"));
    Width = s.ReadInteger(KConfig, QStringLiteral("Width"));
    Height = s.ReadInteger(KConfig, QStringLiteral("Height"));
    WindowState = s.ReadInteger(KConfig, QStringLiteral("WindowState"));
    AONSettingState = s.ReadInteger(KConfig, QStringLiteral("AONSettingState"));
    TreeWidth = s.ReadInteger(KConfig, QStringLiteral("TreeWidth"));
    for (const char *prefix : {"InField", "OutField", "InFieldYes", "OutFieldYes"})
        for (int i = 1; i <= 8; ++i)
            if (!s.ValueExists(KConfig, Numbered(prefix, i)))
                throw TConfigError(QStringLiteral("Неверный формат настроек реестра"));
    for (int i = 1; i <= 7; ++i) {
        InField[i] = s.ReadString(KConfig, Numbered("InField", i));
        OutField[i] = s.ReadString(KConfig, Numbered("OutField", i));
        InFieldYes[i] = s.ReadBool(KConfig, Numbered("InFieldYes", i));
        OutFieldYes[i] = s.ReadBool(KConfig, Numbered("OutFieldYes", i));
    }
    ShowInFieldKind = s.ReadInteger(KConfig, QStringLiteral("ShowInFieldKind"));
    ShowOutFieldKind = s.ReadInteger(KConfig, QStringLiteral("ShowOutFieldKind"));
    ShowInputFormOnInCall = s.ReadBool(KConfig, QStringLiteral("ShowInputFormOnInCall"));
    ShowInputFormOnOutCall = s.ReadBool(KConfig, QStringLiteral("ShowInputFormOnOutCall"));
    HasBDPath = s.ValueExists(KConfig, QStringLiteral("BDPath"));
    BDPath = HasBDPath ? s.ReadString(KConfig, QStringLiteral("BDPath")) : QString();

    InPhone = s.ReadBool(KStatistics, QStringLiteral("InPhone"));
    OutPhone = s.ReadBool(KStatistics, QStringLiteral("OutPhone"));
    for (int i = 1; i <= 7; ++i) {
        InF[i] = s.ReadBool(KStatistics, Numbered("InF", i));
        OutF[i] = s.ReadBool(KStatistics, Numbered("OutF", i));
    }

    AddOutlNamePostfix = s.ReadBool(KOutlook, QStringLiteral("AddOutlNamePostfix"));
    OutlHomeName = s.ReadString(KOutlook, QStringLiteral("OutlHomeName"));
    OutlWorkName = s.ReadString(KOutlook, QStringLiteral("OutlWorkName"));
    OutlMobileName = s.ReadString(KOutlook, QStringLiteral("OutlMobileName"));
    OutlOtherName = s.ReadString(KOutlook, QStringLiteral("OutlOtherName"));

    Feed = TFeedSettings::Load(s);
    Office = TOfficeSettings::Load(s);
    NumberRules = TNumberRules::Load(s);
}

void TConfig::WriteData(bool all)
{
    TSettingsStore &s = *FStore;
    if (all) {
        s.WriteString(KData, QStringLiteral("ypw"), ypw);
        s.WriteBool(KData, QStringLiteral("yrd"), yrd);
    }
    s.WriteInteger(KData, QStringLiteral("Channel Type"), ChannelType);
    s.WriteString(KData, QStringLiteral("IncomingSort"), IncomingSort);
    s.WriteString(KData, QStringLiteral("OutgoingSort"), OutgoingSort);
    s.WriteString(KData, QStringLiteral("AddressSort"), AddressSort);
    s.WriteString(KData, QStringLiteral("Input Filter"), InputFilter);
    s.WriteString(KData, QStringLiteral("Output Filter"), OutputFilter);
    s.WriteBool(KData, QStringLiteral("Default play message"), DefaultPlayMessage);
    s.WriteBool(KData, QStringLiteral("Record incoming calls"), RecordIncomingCalls);
    s.WriteBool(KData, QStringLiteral("Record outgoing calls"), RecordOutgoingCalls);
    if (all)
        s.WriteDateTime(KData, QStringLiteral("LastOff"), LastOff);
    s.WriteBool(KData, AskForCallsName, AskForCalls);
    s.WriteString(KData, QStringLiteral("Records Directory"), RecordsDirectory);
}

void TConfig::WriteConfig(bool firstRun)
{
    TSettingsStore &s = *FStore;
    s.WriteInteger(KConfig, QStringLiteral("ActivePage"), ActivePage);
    s.WriteInteger(KConfig, QStringLiteral("ActiveSetting"), ActiveSetting);
    s.WriteInteger(KConfig, QStringLiteral("RegionalNumberLength"), RegionalNumberLength);
    s.WriteInteger(KConfig, QStringLiteral("Prefix"), Prefix);
    s.WriteInteger(KConfig, QStringLiteral("DayVolume"), DayVolume);
    s.WriteInteger(KConfig, QStringLiteral("NightVolume"), NightVolume);
    s.WriteDateTime(KConfig, QStringLiteral("StartNight"), StartNight);
    s.WriteDateTime(KConfig, QStringLiteral("EndNight"), EndNight);
    s.WriteBool(KConfig, QStringLiteral("Creschendo"), Creschendo);
    s.WriteBool(KConfig, QStringLiteral("DisplayMessage"), DisplayMessage);
    s.WriteBool(KConfig, QStringLiteral("PlaySound"), PlaySound);
    if (firstRun || PlaySound)
        s.WriteString(KConfig, QStringLiteral("SoundFileName"), SoundFileName);
    s.WriteBool(KConfig, QStringLiteral("MuteOnCall"), MuteOnCall);
    s.WriteBool(KConfig, QStringLiteral("AdjustSoundSettings"), AdjustSoundSettings);
    s.WriteBool(KConfig, QStringLiteral("NoMessageOnTalk"), NoMessageOnTalk);
    s.WriteBool(KConfig, QStringLiteral("NeedCheckPort"), NeedCheckPort);
    s.WriteBool(KConfig, QStringLiteral("NeedStartMinimized"), NeedStartMinimized);
    s.WriteBool(KConfig, QStringLiteral("NoAlertOnTalk"), NoAlertOnTalk);
    s.WriteInteger(KConfig, QStringLiteral("Left"), Left);
    s.WriteInteger(KConfig, QStringLiteral("Top"), Top);
    s.WriteInteger(KConfig, QStringLiteral("Width"), Width);
    s.WriteInteger(KConfig, QStringLiteral("Height"), Height);
    s.WriteInteger(KConfig, QStringLiteral("WindowState"), WindowState);
    s.WriteInteger(KConfig, QStringLiteral("AONSettingState"), AONSettingState);
    s.WriteInteger(KConfig, QStringLiteral("TreeWidth"), TreeWidth);
    for (int i = 1; i <= 7; ++i) {
        s.WriteString(KConfig, Numbered("InField", i), InField[i]);
        s.WriteString(KConfig, Numbered("OutField", i), OutField[i]);
        s.WriteBool(KConfig, Numbered("InFieldYes", i), InFieldYes[i]);
        s.WriteBool(KConfig, Numbered("OutFieldYes", i), OutFieldYes[i]);
    }
    if (firstRun) {
        s.WriteString(KConfig, QStringLiteral("InField8"), QStringLiteral("Поле 8"));
        s.WriteString(KConfig, QStringLiteral("OutField8"), QStringLiteral("Поле 8"));
        s.WriteBool(KConfig, QStringLiteral("InFieldYes8"), false);
        s.WriteBool(KConfig, QStringLiteral("OutFieldYes8"), false);
    }
    s.WriteInteger(KConfig, QStringLiteral("ShowInFieldKind"), ShowInFieldKind);
    s.WriteInteger(KConfig, QStringLiteral("ShowOutFieldKind"), ShowOutFieldKind);
    s.WriteBool(KConfig, QStringLiteral("ShowInputFormOnInCall"), ShowInputFormOnInCall);
    s.WriteBool(KConfig, QStringLiteral("ShowInputFormOnOutCall"), ShowInputFormOnOutCall);
}

void TConfig::WriteStatistics()
{
    TSettingsStore &s = *FStore;
    s.WriteBool(KStatistics, QStringLiteral("InPhone"), InPhone);
    for (int i = 1; i <= 7; ++i)
        s.WriteBool(KStatistics, Numbered("InF", i), InF[i]);
    s.WriteBool(KStatistics, QStringLiteral("OutPhone"), OutPhone);
    for (int i = 1; i <= 7; ++i)
        s.WriteBool(KStatistics, Numbered("OutF", i), OutF[i]);
}

void TConfig::WriteOutlook()
{
    TSettingsStore &s = *FStore;
    s.WriteBool(KOutlook, QStringLiteral("AddOutlNamePostfix"), AddOutlNamePostfix);
    s.WriteString(KOutlook, QStringLiteral("OutlHomeName"), OutlHomeName);
    s.WriteString(KOutlook, QStringLiteral("OutlWorkName"), OutlWorkName);
    s.WriteString(KOutlook, QStringLiteral("OutlMobileName"), OutlMobileName);
    s.WriteString(KOutlook, QStringLiteral("OutlOtherName"), OutlOtherName);
}

void TConfig::StorePortSettings()
{
    try {
        const TPortSettings port = FPhone ? FPhone->PortSettings() : FPortSettings;
        port.Store(*FStore);
        FPortSettings = port;
    } catch (...) {
    }
}

TSettingsDialogValues TConfig::DialogValues() const
{
    TSettingsDialogValues v;
    v.ActiveSetting = ActiveSetting;
    v.NumLength = RegionalNumberLength;
    v.PrefixText = QString::number(Prefix);
    v.MuteOnCall = MuteOnCall;
    v.AskRecords = AskForCalls;
    v.StartMinimized = NeedStartMinimized;
    v.Autostart = TAutostart::Enabled();
    v.Feed = Feed;
    v.Rules = NumberRules;
    v.Office = Office;
    v.AdjustSound = AdjustSoundSettings;
    v.RestrictDeletion = yrd;
    v.PasswordSet = !ypw.isEmpty();
    v.ChannelType = ChannelType;
    v.RecordIn = RecordIncomingCalls;
    v.RecordOut = RecordOutgoingCalls;
    v.RecordsDir = RecordsDirectory;
    v.DayVolume = DayVolume;
    v.NightVolume = NightVolume;
    v.StartNight = StartNight;
    v.EndNight = EndNight;
    v.Creschendo = Creschendo;
    v.PlaySound = PlaySound;
    v.SoundFile = SoundFileName;
    v.NoMessageOnStartTalk = NoMessageOnTalk;
    v.DisplayMessage = DisplayMessage;
    v.NoAlertOnStartTalk = NoAlertOnTalk;
    v.ShowForm = ShowInputFormOnInCall;
    v.OutForm = ShowInputFormOnOutCall;
    // The configured port stays in the list even when the system does not
    // list it now (an unplugged adapter, a pseudo-terminal).
    const TPortSettings port = PortSettings();
    if (FPhone) {
        try {
            v.PortList = FPhone->PortList();
        } catch (...) {
        }
    }
    if (!port.Port.isEmpty() && !v.PortList.contains(port.Port))
        v.PortList.append(port.Port);
    v.Port = port.Port;
    v.GetPort = NeedCheckPort;
    v.ShowInFieldKind = ShowInFieldKind;
    v.ShowOutFieldKind = ShowOutFieldKind;
    v.InFieldName = InField;
    v.InFieldYes = InFieldYes;
    v.OutFieldName = OutField;
    v.OutFieldYes = OutFieldYes;
    v.AddOutlPostfix = AddOutlNamePostfix;
    v.OutlHome = OutlHomeName;
    v.OutlWork = OutlWorkName;
    v.OutlMobile = OutlMobileName;
    v.OutlOther = OutlOtherName;
    return v;
}

void TConfig::AttachDialog(ISettingsDialog *Dialog)
{
    FDialog = Dialog;
    FillDialog();
}

void TConfig::FillDialog()
{
    if (!FDialog)
        return;
    FFilled = DialogValues();
    FDialog->SetValues(FFilled);
}

void TConfig::Apply()
{
    if (!FDialog)
        return;
    if (FDialog->Changed())
        Save();
    FDialog->SetApplyEnabled(false);
}

void TConfig::SavePort(const TSettingsDialogValues &now)
{
    const bool chosen = FDialog && !now.Port.trimmed().isEmpty() && now.Port != FFilled.Port;
    if (!FPhone) {
        if (chosen)
            FPortSettings.Port = now.Port;
        StorePortSettings();
        return;
    }
    if (chosen) {
        try {
            TPortSettings port = FPhone->PortSettings();
            if (port.Port != now.Port) {
                port.Port = now.Port;
                const bool wasOpen = FPhone->Connected();
                FPhone->Close();
                FPhone->SetPortSettings(port);
                try {
                    FPhone->Open();
                } catch (...) {
                    // A missing or busy port leaves the phone offline; the choice is kept.
                }
                if (!wasOpen)
                    FPhone->Close();
            }
        } catch (...) {
        }
    }
    StorePortSettings();
}

void TConfig::TakeRecordsFolder(const QString &typed)
{
    if (typed.trimmed().isEmpty()) {
        if (FPrompts)
            FPrompts->ShowError(NoRecordsFolder);
    } else if (QFileInfo(typed).isDir()) {
        RecordsDirectory = typed;
        return;
    } else if (FPrompts
               && FPrompts->Confirm(QStringLiteral("Директория ") + QLatin1Char('"') + typed
                                    + QLatin1Char('"')
                                    + QStringLiteral(" не существует. Вы хотите создать ее?"))) {
        if (QDir().mkpath(typed) && QFileInfo(typed).isDir()) {
            RecordsDirectory = typed;
            return;
        }
        FPrompts->ShowError(QStringLiteral("Невозможно создать директорию ") + QLatin1Char('"')
                            + typed);
    }
    if (FDialog)
        FDialog->SetRecordsDir(RecordsDirectory);
}

bool TConfig::Save()
{
    return SaveAll(true);
}

bool TConfig::SaveAll(bool apply)
{
    TSettingsDialogValues now;
    if (FDialog)
        now = FDialog->Values();
    const TSettingsDialogValues &was = FFilled;
    const bool fromDialog = FDialog != nullptr;

    // Port
    SavePort(now);

    // Data
    if (fromDialog) {
        Take(ChannelType, now.ChannelType, was.ChannelType);
        Take(RecordIncomingCalls, now.RecordIn, was.RecordIn);
        Take(RecordOutgoingCalls, now.RecordOut, was.RecordOut);
        Take(AskForCalls, now.AskRecords, was.AskRecords);
        if (now.RecordsDir != was.RecordsDir)
            TakeRecordsFolder(now.RecordsDir);
    }
    WriteData(false);

    // Config
    if (fromDialog) {
        Take(RegionalNumberLength, now.NumLength, was.NumLength);
        if (now.PrefixText != was.PrefixText) {
            bool ok = false;
            const int prefix = now.PrefixText.trimmed().toInt(&ok);
            if (ok)
                Prefix = uint8_t(prefix & 0xFF);
        }
        Take(DayVolume, now.DayVolume, was.DayVolume);
        Take(NightVolume, now.NightVolume, was.NightVolume);
        Take(StartNight, now.StartNight, was.StartNight);
        Take(EndNight, now.EndNight, was.EndNight);
        Take(Creschendo, now.Creschendo, was.Creschendo);
        Take(DisplayMessage, now.DisplayMessage, was.DisplayMessage);
        Take(PlaySound, now.PlaySound, was.PlaySound);
        if (PlaySound)
            Take(SoundFileName, now.SoundFile, was.SoundFile);
        Take(MuteOnCall, now.MuteOnCall, was.MuteOnCall);
        Take(AdjustSoundSettings, now.AdjustSound, was.AdjustSound);
        Take(NoMessageOnTalk, now.NoMessageOnStartTalk, was.NoMessageOnStartTalk);
        Take(NeedCheckPort, now.GetPort, was.GetPort);
        Take(NeedStartMinimized, now.StartMinimized, was.StartMinimized);
        if (now.Autostart != was.Autostart) {
            // The login entry lives beside the settings, not in them.
            QString error;
            if (!TAutostart::SetEnabled(now.Autostart, error) && FPrompts)
                FPrompts->ShowError(error);
        }
        Take(NoAlertOnTalk, now.NoAlertOnStartTalk, was.NoAlertOnStartTalk);
        Take(ShowInputFormOnInCall, now.ShowForm, was.ShowForm);
        Take(ShowInputFormOnOutCall, now.OutForm, was.OutForm);
        for (int i = 1; i <= 7; ++i) {
            Take(InField[i], now.InFieldName[i], was.InFieldName[i]);
            Take(InFieldYes[i], now.InFieldYes[i], was.InFieldYes[i]);
            Take(OutField[i], now.OutFieldName[i], was.OutFieldName[i]);
            Take(OutFieldYes[i], now.OutFieldYes[i], was.OutFieldYes[i]);
        }
        Take(ShowInFieldKind, now.ShowInFieldKind, was.ShowInFieldKind);
        Take(ShowOutFieldKind, now.ShowOutFieldKind, was.ShowOutFieldKind);
    }
    if (FMainWindow) {
        const IMainWindowSettings::TBounds b = FMainWindow->Bounds();
        Left = b.Left;
        Top = b.Top;
        Width = b.Width;
        Height = b.Height;
        WindowState = b.WindowState;
    }
    WriteConfig(false);

    // Statistics
    WriteStatistics();

    // ExternalData\Outlook
    if (fromDialog) {
        Take(AddOutlNamePostfix, now.AddOutlPostfix, was.AddOutlPostfix);
        Take(OutlHomeName, now.OutlHome, was.OutlHome);
        Take(OutlWorkName, now.OutlWork, was.OutlWork);
        Take(OutlMobileName, now.OutlMobile, was.OutlMobile);
        Take(OutlOtherName, now.OutlOther, was.OutlOther);
    }
    WriteOutlook();

    if (fromDialog) {
        Take(Feed.Enabled, now.Feed.Enabled, was.Feed.Enabled);
        Take(Feed.ListenAddress, now.Feed.ListenAddress, was.Feed.ListenAddress);
        Take(Feed.Port, now.Feed.Port, was.Feed.Port);
        Take(Feed.AllowedClients, now.Feed.AllowedClients, was.Feed.AllowedClients);
        Take(Feed.Webhooks, now.Feed.Webhooks, was.Feed.Webhooks);
        Take(Feed.WebhookSecret, now.Feed.WebhookSecret, was.Feed.WebhookSecret);
    }
    Feed.Store(*FStore);
    // Office: written only when the dialog changed it, like the rules.
    if (fromDialog && !(now.Office == was.Office)) {
        Office = now.Office;
        Office.Store(*FStore);
    }
    // Written only when the dialog changed them: the rules konvelo-cli edits
    // while the program runs are not overwritten at exit.
    if (fromDialog && !(now.Rules == was.Rules)) {
        NumberRules = now.Rules;
        NumberRules.Store(*FStore);
    }
    const bool written = FStore->Flush();

    if (fromDialog) {
        // The dialog now shows what is stored (a refused folder was put back).
        now.RecordsDir = RecordsDirectory;
        FFilled = now;
    }

    if (!apply)
        return written;
    if (FPhone)
        FPhone->SetLocalNumberRule(RegionalNumberLength, Prefix);
    emit SettingsApplied();
    return written;
}

bool TConfig::IsDayTimeAt(TDateTime Time) const
{
    const qint64 day = qint64(TDateTime::MSecsPerDay);
    const auto ms = [](TDateTime t) { return qint64(t.time().msecsSinceStartOfDay()); };
    const qint64 s = ms(StartNight);
    qint64 e = ms(EndNight);
    qint64 c = ms(Time);
    if (s > e) {
        e += day;
        if (c < s)
            c += day;
    }
    return c <= s || c >= e;
}

bool TConfig::IsDayTime() const
{
    return IsDayTimeAt(Now());
}

int TConfig::CurrentVolume() const
{
    return IsDayTime() ? DayVolume : NightVolume;
}

bool TConfig::SetCurrentVolume(int Volume)
{
    const bool day = IsDayTime();
    if (day) {
        DayVolume = Volume;
        FStore->WriteInteger(KConfig, QStringLiteral("DayVolume"), DayVolume);
    } else {
        NightVolume = Volume;
        FStore->WriteInteger(KConfig, QStringLiteral("NightVolume"), NightVolume);
    }
    FStore->Flush();
    return day;
}

QString TConfig::SortField(int Kind) const
{
    switch (Kind) {
    case 0: return IncomingSort;
    case 1: return OutgoingSort;
    case 2: return AddressSort;
    default: return QString();
    }
}

void TConfig::SetSortField(int Kind, const QString &Name)
{
    switch (Kind) {
    case 0: IncomingSort = Name; break;
    case 1: OutgoingSort = Name; break;
    case 2: AddressSort = Name; break;
    default: return;
    }
    Save();
}

void TConfig::SetRestriction(const QString &Password, bool Restrict)
{
    ypw = Password;
    yrd = Restrict;
    FStore->WriteString(KData, QStringLiteral("ypw"), ypw);
    FStore->WriteBool(KData, QStringLiteral("yrd"), yrd);
    FStore->Flush();
}

void TConfig::WriteLastOff()
{
    LastOff = Now();
    FStore->WriteDateTime(KData, QStringLiteral("LastOff"), LastOff);
    FStore->Flush();
}

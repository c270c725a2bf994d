#pragma once
// The values of the settings dialog's controls, as FillDialog puts them in
// and Save takes them back. Arrays of the information fields are indexed by
// the field's number 1..7; index 0 is unused.
#include "TFeedSettings.h"
#include "TNumberRules.h"
#include "TOfficeSettings.h"
#include <QString>
#include <QStringList>
#include <array>
#include "common/TDateTime.h"

struct TSettingsDialogValues {
    int ActiveSetting = 3;                 // page shown first

    // "&Общие"
    int NumLength = 7;                     // NumLength
    QString PrefixText = QStringLiteral("8");   // PrefixCombo, "0" to "9"
    bool MuteOnCall = false;               // MuteOnCallCheck
    bool AskRecords = true;                // AskRecordsCheck
    bool StartMinimized = true;            // StartMinimizedCheck
    bool Autostart = false;                // AutostartCheck: the user's login starts the program
    bool AdjustSound = true;               // AdjustSoundCheck
    bool RestrictDeletion = false;         // RestrictDeletionCheck (stored at once, not by Save)
    bool PasswordSet = false;              // caption of ChangePasswordBitBtn
    int ChannelType = 0;                   // RG_Channel item

    // "&Запись"
    bool RecordIn = true;                  // RecordInCheck
    bool RecordOut = true;                 // RecordOutCheck
    QString RecordsDir;                    // RecordsDirEdit

    // "&Сигналы"
    int DayVolume = 100;                   // DayVolumeTrack
    int NightVolume = 50;                  // NightVolumeTrack
    TDateTime StartNight;                  // StartNightEdit
    TDateTime EndNight;                    // EndNightEdit
    bool Creschendo = false;               // CreschendoCheck
    bool PlaySound = true;                 // PlaySoundCheck
    QString SoundFile;                     // SoundFileEdit
    bool NoMessageOnStartTalk = true;      // NoMessageOnStartTalkCheck
    bool DisplayMessage = true;            // DisplayMessageCheck
    bool NoAlertOnStartTalk = true;        // NoAlertOnStartTalkCheck
    bool ShowForm = false;                 // ShowFormRadio (ShowMessageRadio when false)
    bool OutForm = false;                  // CheckBoxOutForm

    // "&Порт"
    QStringList PortList;                  // ComComboBox1 items
    QString Port;                          // ComComboBox1 choice
    bool GetPort = true;                   // GetPortCheck

    // "&Вид"
    int ShowInFieldKind = 1;               // ShowInFieldRadioGroup item
    int ShowOutFieldKind = 1;              // ShowOutFieldRadioGroup item
    std::array<QString, 8> InFieldName;    // InField1NameEdit .. InField7NameEdit
    std::array<bool, 8> InFieldYes{};      // CheckBox1In .. CheckBox7In
    std::array<QString, 8> OutFieldName;   // OutField1NameEdit .. OutField7NameEdit
    std::array<bool, 8> OutFieldYes{};     // CheckBox1Out .. CheckBox7Out

    // "Се&ть": the call feed (server and webhooks)
    TFeedSettings Feed;                    // FeedEnabledCheck, FeedAddressEdit, FeedPortSpin,
                                           // FeedAllowedEdit, FeedWebhooksEdit, FeedSecretEdit

    // "Правила": the numbers hung up at once
    TNumberRules Rules;                    // RulesList
    TOfficeSettings Office;                // "Офис": OfficeDatabaseEdit, OfficeWorkstationEdit

    // "&Данные"
    bool AddOutlPostfix = true;            // AddOutlPhonePostfixCheck
    QString OutlHome;                      // OutlHomeEdit
    QString OutlWork;                      // OutlWorkEdit
    QString OutlMobile;                    // OutlMobileEdit
    QString OutlOther;                     // OutlOtherEdit
};

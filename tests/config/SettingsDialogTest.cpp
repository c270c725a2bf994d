// The settings dialog over real settings in a temporary Konvelo.ini.
#include "WidgetTestApp.h"
#include "ConfigFakes.h"
#include "common/BaseFolder.h"
#include "config/TIniSettingsStore.h"
#include "config/TPasswordDlg.h"
#include "config/TAutostart.h"
#include "config/TSettings.h"
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QToolButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace {
// Runs act on the next modal window of type W as soon as it shows.
template <typename W>
void OnNextModal(std::function<void(W *)> act)
{
    QTimer::singleShot(0, [act] {
        auto *w = qobject_cast<W *>(QApplication::activeModalWidget());
        if (!w || !w->isVisible()) {
            OnNextModal<W>(act);
            return;
        }
        act(w);
    });
}

// Types into the password dialog and presses OK.
void AnswerPassword(const QString &password, const QString &confirm = QString())
{
    OnNextModal<TPasswordDlg>([password, confirm](TPasswordDlg *d) {
        d->PasswordEdit->setText(password);
        d->ConfirmEdit->setText(confirm);
        d->OKBtn->click();
    });
}

void CancelPassword()
{
    OnNextModal<TPasswordDlg>([](TPasswordDlg *d) { d->CancelBtn->click(); });
}

void CloseMessage(QString *text)
{
    OnNextModal<QMessageBox>([text](QMessageBox *b) {
        *text = b->text();
        b->accept();
    });
}

struct SettingsDialog : ::testing::Test {
    QTemporaryDir Dir;
    FakePhone Phone;
    FakePrompts Prompts;
    std::unique_ptr<TConfig> Config;
    std::unique_ptr<TSettings> Dlg;

    void SetUp() override
    {
        EnsureWidgetApp();
        BaseFolder::set(Dir.path());
        Config = std::make_unique<TConfig>(&Phone, &Prompts);
        Dlg = std::make_unique<TSettings>(*Config);
    }
    void TearDown() override
    {
        Dlg.reset();
        Config.reset();
    }
    QString Ini() const { return Dir.filePath(QStringLiteral("Konvelo.ini")); }
    QByteArray IniBytes() const
    {
        QFile f(Ini());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    TIniSettingsStore Stored() const { return TIniSettingsStore(Ini()); }
    // Opens the dialog as the menu does, without blocking.
    void Open()
    {
        Config->FillDialog();
        Dlg->show();
        QApplication::processEvents();
    }
};
}

TEST_F(SettingsDialog, ChangingOnlyThePageSavesNothingUntilTheNextSave)
{
    Open();
    EXPECT_EQ(Dlg->PageControl1->currentIndex(), TSettings::pgPort);   // ActiveSetting 3
    EXPECT_FALSE(Dlg->PageControl1->isTabVisible(TSettings::pgData));
    const QByteArray before = IniBytes();
    Dlg->PageControl1->setCurrentIndex(TSettings::pgSignals);
    EXPECT_FALSE(Dlg->ApplyBtn->isEnabled());
    Dlg->OKBtn->click();
    EXPECT_EQ(IniBytes(), before);

    // The page is written with the next save, and the next showing opens on it.
    Config->SetSortField(0, QStringLiteral("Phone"));
    EXPECT_EQ(Stored().ReadInteger(QStringLiteral("Config"), QStringLiteral("ActiveSetting")), TSettings::pgSignals);
    Open();
    EXPECT_EQ(Dlg->PageControl1->currentIndex(), TSettings::pgSignals);
}

TEST_F(SettingsDialog, VolumeBoxesKeepDigitsAndDriveTheirSliders)
{
    Open();
    Dlg->DayVolumeEdit->clear();
    QTest::keyClicks(Dlg->DayVolumeEdit, QStringLiteral("7a"));
    EXPECT_EQ(Dlg->DayVolumeEdit->text(), QStringLiteral("7"));
    EXPECT_EQ(Dlg->DayVolumeTrack->value(), 7);
    EXPECT_TRUE(Dlg->ApplyBtn->isEnabled());

    // Above the slider's range the box follows the slider.
    Dlg->NightVolumeEdit->clear();
    QTest::keyClicks(Dlg->NightVolumeEdit, QStringLiteral("250"));
    EXPECT_EQ(Dlg->NightVolumeTrack->value(), 100);
    EXPECT_EQ(Dlg->NightVolumeEdit->text(), QStringLiteral("100"));

    Dlg->NightVolumeTrack->setValue(33);
    EXPECT_EQ(Dlg->NightVolumeEdit->text(), QStringLiteral("33"));

    Dlg->ApplyBtn->click();
    EXPECT_FALSE(Dlg->ApplyBtn->isEnabled());
    EXPECT_EQ(Stored().ReadInteger(QStringLiteral("Config"), QStringLiteral("DayVolume")), 7);
    EXPECT_EQ(Stored().ReadInteger(QStringLiteral("Config"), QStringLiteral("NightVolume")), 33);
}

TEST_F(SettingsDialog, CancelRestoresEveryControlButTheStoredLock)
{
    Open();
    Dlg->NumLength->setValue(5);
    Dlg->RecordInCheck->setChecked(false);
    Dlg->RecordsDirEdit->setText(Dir.filePath(QStringLiteral("elsewhere")));
    Dlg->DayVolumeTrack->setValue(12);
    Dlg->InFieldNameEdit[2]->setText(QStringLiteral("Заказ"));
    Dlg->CheckBoxOut[5]->setChecked(true);
    Dlg->OutlHomeEdit->setText(QStringLiteral("Дом"));
    Dlg->ComComboBox1->setCurrentIndex(1);
    Dlg->RestrictDeletionCheck->click();   // no password: stored at once
    EXPECT_TRUE(Config->yrd);

    Dlg->CancelBtn->click();
    EXPECT_FALSE(Dlg->isVisible());
    EXPECT_EQ(Dlg->NumLength->value(), 7);
    EXPECT_TRUE(Dlg->RecordInCheck->isChecked());
    EXPECT_EQ(Dlg->RecordsDirEdit->text(), Config->RecordsDirectory);
    EXPECT_EQ(Dlg->DayVolumeTrack->value(), 100);
    EXPECT_EQ(Dlg->DayVolumeEdit->text(), QStringLiteral("100"));
    EXPECT_EQ(Dlg->InFieldNameEdit[2]->text(), QStringLiteral("Поле 2"));
    EXPECT_FALSE(Dlg->CheckBoxOut[5]->isChecked());
    EXPECT_FALSE(Dlg->OutFieldNameEdit[5]->isEnabled());
    EXPECT_EQ(Dlg->OutlHomeEdit->text(), QStringLiteral("Домашний"));
    EXPECT_EQ(Dlg->ComComboBox1->currentText(), QStringLiteral("COM1"));
    EXPECT_FALSE(Dlg->ApplyBtn->isEnabled());
    EXPECT_TRUE(Dlg->RestrictDeletionCheck->isChecked());
    EXPECT_TRUE(Stored().ReadBool(QStringLiteral("Data"), QStringLiteral("yrd")));
    EXPECT_EQ(Stored().ReadInteger(QStringLiteral("Config"), QStringLiteral("RegionalNumberLength")), 7);
    EXPECT_EQ(Phone.Settings.Port, QStringLiteral("COM1"));
}

TEST_F(SettingsDialog, FirstPasswordTicksTheLockWhichThenAsksForIt)
{
    Open();
    EXPECT_EQ(Dlg->ChangePasswordBitBtn->text(), QStringLiteral("Установить пароль"));
    AnswerPassword(QStringLiteral("секрет"), QStringLiteral("секрет"));
    Dlg->ChangePasswordBitBtn->click();
    EXPECT_TRUE(Dlg->RestrictDeletionCheck->isChecked());
    EXPECT_EQ(Dlg->ChangePasswordBitBtn->text(), QStringLiteral("Изменить пароль"));
    EXPECT_EQ(Stored().ReadString(QStringLiteral("Data"), QStringLiteral("ypw")), QStringLiteral("секрет"));
    EXPECT_TRUE(Stored().ReadBool(QStringLiteral("Data"), QStringLiteral("yrd")));
    EXPECT_FALSE(Dlg->ApplyBtn->isEnabled());

    // A wrong password keeps the lock, with the message.
    QString message;
    AnswerPassword(QStringLiteral("не тот"));
    CloseMessage(&message);
    Dlg->RestrictDeletionCheck->click();
    EXPECT_EQ(message, TSettings::WrongPassword);
    EXPECT_TRUE(Dlg->RestrictDeletionCheck->isChecked());
    EXPECT_TRUE(Config->yrd);

    // Cancel keeps it without a message.
    CancelPassword();
    Dlg->RestrictDeletionCheck->click();
    EXPECT_TRUE(Dlg->RestrictDeletionCheck->isChecked());

    AnswerPassword(QStringLiteral("секрет"));
    Dlg->RestrictDeletionCheck->click();
    EXPECT_FALSE(Dlg->RestrictDeletionCheck->isChecked());
    EXPECT_FALSE(Stored().ReadBool(QStringLiteral("Data"), QStringLiteral("yrd")));

    // Changing it: the current one first, then the new one twice; an empty one removes it.
    AnswerPassword(QStringLiteral("секрет"));
    AnswerPassword(QString(), QString());
    Dlg->ChangePasswordBitBtn->click();
    EXPECT_TRUE(Config->ypw.isEmpty());
    EXPECT_FALSE(Config->yrd);
    EXPECT_EQ(Dlg->ChangePasswordBitBtn->text(), QStringLiteral("Установить пароль"));
}

TEST_F(SettingsDialog, AlertOptionsFollowTheDisplaySwitchAndTheChoice)
{
    Open();
    ASSERT_TRUE(Dlg->DisplayMessageCheck->isChecked());
    EXPECT_TRUE(Dlg->ShowMessageRadio->isChecked());
    EXPECT_TRUE(Dlg->NoAlertOnStartTalkCheck->isEnabled());

    Dlg->ShowFormRadio->click();
    EXPECT_FALSE(Dlg->NoAlertOnStartTalkCheck->isEnabled());
    EXPECT_TRUE(Dlg->ShowMessageRadio->isEnabled());

    Dlg->ShowMessageRadio->click();
    Dlg->DisplayMessageCheck->click();
    EXPECT_FALSE(Dlg->ShowMessageRadio->isEnabled());
    EXPECT_FALSE(Dlg->ShowFormRadio->isEnabled());
    EXPECT_FALSE(Dlg->NoAlertOnStartTalkCheck->isEnabled());

    // The field names and the import's kind words follow their switches.
    Dlg->CheckBoxIn[1]->click();
    EXPECT_FALSE(Dlg->InFieldNameEdit[1]->isEnabled());
    Dlg->AddOutlPhonePostfixCheck->click();
    EXPECT_FALSE(Dlg->OutlMobileEdit->isEnabled());
    EXPECT_FALSE(Dlg->RG_Channel->isEnabled());
    Dlg->SetMobileChannel(true);
    EXPECT_TRUE(Dlg->RG_Channel->isEnabled());

    Dlg->OKBtn->click();
    EXPECT_FALSE(Config->DisplayMessage);
    EXPECT_FALSE(Config->InFieldYes[1]);
    EXPECT_FALSE(Stored().ReadBool(QStringLiteral("ExternalData/Outlook"), QStringLiteral("AddOutlNamePostfix")));
}

TEST_F(SettingsDialog, SoundFileIsNotSavedWhileTheSignalIsOff)
{
    Open();
    const QString stored = Config->SoundFileName;
    Dlg->PlaySoundCheck->click();
    EXPECT_FALSE(Dlg->SoundFileEdit->isEnabled());
    EXPECT_FALSE(Dlg->BrowseBtn->isEnabled());
    Dlg->SoundFileEdit->setText(Dir.filePath(QStringLiteral("other.wav")));
    Dlg->OKBtn->click();
    EXPECT_FALSE(Config->PlaySound);
    EXPECT_EQ(Stored().ReadString(QStringLiteral("Config"), QStringLiteral("SoundFileName")), stored);

    // The box keeps its text; switched on again, the file is saved.
    Open();
    Dlg->PlaySoundCheck->click();
    Dlg->SoundFileEdit->setText(Dir.filePath(QStringLiteral("other.wav")));
    Dlg->OKBtn->click();
    EXPECT_EQ(Stored().ReadString(QStringLiteral("Config"), QStringLiteral("SoundFileName")),
              Dir.filePath(QStringLiteral("other.wav")));
}

TEST_F(SettingsDialog, MissingRecordsFolderIsCreatedOnlyOnYes)
{
    const QString old = Config->RecordsDirectory;
    const QString missing = Dir.filePath(QStringLiteral("new/records"));
    Open();
    Dlg->RecordsDirEdit->setText(missing);
    Prompts.Answers = {false};
    Dlg->ApplyBtn->click();
    EXPECT_EQ(Prompts.Questions.last(),
              QStringLiteral("Директория \"%1\" не существует. Вы хотите создать ее?").arg(missing));
    EXPECT_EQ(Dlg->RecordsDirEdit->text(), old);
    EXPECT_EQ(Stored().ReadString(QStringLiteral("Data"), QStringLiteral("Records Directory")), old);
    EXPECT_FALSE(QFileInfo::exists(missing));

    Dlg->RecordsDirEdit->setText(missing);
    Prompts.Answers = {true};
    Dlg->OKBtn->click();
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_EQ(Stored().ReadString(QStringLiteral("Data"), QStringLiteral("Records Directory")), missing);
    EXPECT_EQ(Config->RecordsDirectory, missing);
}

TEST_F(SettingsDialog, ApplyStoresTheControlsAndTellsTheListeners)
{
    FakeMainWindow main;
    main.Listen(*Config);
    Open();
    Dlg->NumLength->setValue(6);
    Dlg->PrefixCombo->setCurrentText(QStringLiteral("0"));
    Dlg->ComComboBox1->setCurrentText(QStringLiteral("COM2"));
    Dlg->ShowOutFieldRadioGroup->findChild<QRadioButton *>(QStringLiteral("ShowOutFieldRadioGroup2"))->click();
    Dlg->OutlWorkEdit->setText(QStringLiteral("Офис"));
    Dlg->ApplyBtn->click();
    EXPECT_EQ(main.Applied, 1);
    EXPECT_EQ(Phone.RuleLength, 6);
    EXPECT_EQ(Phone.RulePrefix, 0);
    EXPECT_EQ(Phone.Settings.Port, QStringLiteral("COM2"));
    EXPECT_EQ(Config->ShowOutFieldKind, 2);
    EXPECT_EQ(Stored().ReadString(QStringLiteral("ExternalData/Outlook"), QStringLiteral("OutlWorkName")),
              QStringLiteral("Офис"));

    // Filled afresh, OK without a change saves nothing.
    Config->FillDialog();
    Dlg->OKBtn->click();
    EXPECT_EQ(main.Applied, 1);
}

TEST_F(SettingsDialog, DuplexWarningWhenTheRingMustStopAtTalkStart)
{
    Open();
    Config->CanPlayWhileRecording = false;
    QString message;
    CloseMessage(&message);
    Dlg->NoMessageOnStartTalkCheck->click();
    EXPECT_EQ(message, TSettings::DuplexWarning);
    EXPECT_FALSE(Dlg->NoMessageOnStartTalkCheck->isChecked());
}

TEST_F(SettingsDialog, AccessListKeepsSortedUniquePaths)
{
    QStringList chosen{QStringLiteral("/data/b.mdb"), QStringLiteral("/data/a.mdb"), QStringLiteral("/data/b.mdb")};
    Dlg->ChooseDatabase = [&chosen] { return chosen.takeFirst(); };
    Open();
    for (int i = 0; i < 3; ++i)
        Dlg->AddDBBtn->click();
    EXPECT_EQ(Dlg->AccessDatabases(), (QStringList{QStringLiteral("/data/a.mdb"), QStringLiteral("/data/b.mdb")}));
    EXPECT_TRUE(Dlg->ApplyBtn->isEnabled());
    Dlg->RemoveDBBtn->click();   // nothing selected
    EXPECT_EQ(Dlg->AccessDatabases().size(), 2);
    Dlg->AccessDBList->setCurrentRow(0);
    Dlg->RemoveDBBtn->click();
    EXPECT_EQ(Dlg->AccessDatabases(), QStringList{QStringLiteral("/data/b.mdb")});
}

namespace {
// One second of 8 kHz 16-bit mono silence as a PCM WAVE file.
void WriteSilence(const QString &path)
{
    const quint32 data = 16000;
    QByteArray h;
    const auto u32 = [&h](quint32 v) { h.append(reinterpret_cast<const char *>(&v), 4); };
    const auto u16 = [&h](quint16 v) { h.append(reinterpret_cast<const char *>(&v), 2); };
    h += "RIFF";
    u32(36 + data);
    h += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    h += "data";
    u32(data);
    h += QByteArray(int(data), '\0');
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(h);
}
}

TEST_F(SettingsDialog, RingSoundIsChosenAndPreviewedUntilHidden)
{
    const QString wav = Dir.filePath(QStringLiteral("ring.wav"));
    WriteSilence(wav);
    Dlg->ChooseSoundFile = [&wav] { return wav; };
    Open();
    Dlg->BrowseBtn->click();
    EXPECT_EQ(Dlg->SoundFileEdit->text(), QDir::toNativeSeparators(wav));
    EXPECT_EQ(Dlg->SoundFileEdit->cursorPosition(), Dlg->SoundFileEdit->text().size());
    EXPECT_TRUE(Dlg->ApplyBtn->isEnabled());

    Dlg->PlayBtn->click();
    if (!Dlg->PreviewPlaying())
        GTEST_SKIP() << "no sound output here";
    Dlg->PlayBtn->click();
    EXPECT_FALSE(Dlg->PreviewPlaying());
    Dlg->PlayBtn->click();
    EXPECT_TRUE(Dlg->PreviewPlaying());
    Dlg->hide();
    EXPECT_FALSE(Dlg->PreviewPlaying());
}

TEST_F(SettingsDialog, AutostartBoxWritesAndRemovesTheLoginEntry)
{
    const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("config")).toLocal8Bit());
    const QString entry = TAutostart::EntryPath();
    ASSERT_TRUE(entry.startsWith(Dir.path()));
    Open();
    EXPECT_FALSE(Dlg->AutostartCheck->isChecked());
    Dlg->AutostartCheck->setChecked(true);
    Dlg->ApplyBtn->click();
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(TAutostart::Enabled());

    // The box shows the entry as it is; unticked, the entry goes.
    Config->FillDialog();
    EXPECT_TRUE(Dlg->AutostartCheck->isChecked());
    Dlg->AutostartCheck->setChecked(false);
    Dlg->OKBtn->click();
    EXPECT_FALSE(QFile::exists(entry));
    if (oldConfigHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfigHome);
}

TEST_F(SettingsDialog, NetworkPageEditsTheCallFeed)
{
    FakeMainWindow main;
    main.Listen(*Config);
    Open();
    EXPECT_TRUE(Dlg->FeedEnabledCheck->isChecked());
    EXPECT_EQ(Dlg->FeedAddressEdit->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Dlg->FeedPortSpin->value(), 3333);
    Dlg->PageControl1->setCurrentIndex(TSettings::pgNetwork);
    Dlg->FeedPortSpin->setValue(3334);
    Dlg->FeedAllowedEdit->setText(QStringLiteral("127.0.0.1 192.168.1.0/24"));
    Dlg->FeedWebhooksEdit->setText(QStringLiteral(" https://crm.example/hook "));
    EXPECT_TRUE(Dlg->ApplyBtn->isEnabled());
    Dlg->ApplyBtn->click();
    EXPECT_EQ(main.Applied, 1);
    EXPECT_EQ(Config->Feed.Port, 3334);
    EXPECT_EQ(Config->Feed.AllowedClients, QStringLiteral("127.0.0.1 192.168.1.0/24"));
    EXPECT_EQ(Config->Feed.Webhooks, QStringLiteral("https://crm.example/hook"));
    EXPECT_EQ(Stored().ReadInteger(QStringLiteral("Feed"), QStringLiteral("Port")), 3334);
    // The page is not remembered as the one to open with: it has no place in the stored page numbers.
    EXPECT_NE(Config->ActiveSetting, int(TSettings::pgNetwork));
}

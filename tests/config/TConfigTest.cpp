#include "ConfigFakes.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TConfigSchema.h"
#include "config/TIniSettingsStore.h"
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
TDateTime At(int h, int m, int s = 0)
{
    return TDateTime::fromTime(QTime(h, m, s));
}

struct Settings : ::testing::Test {
    QTemporaryDir Dir;
    FakePhone Phone;
    FakePrompts Prompts;

    void SetUp() override { BaseFolder::set(Dir.path()); }
    QString Ini() const { return Dir.filePath(QStringLiteral("Konvelo.ini")); }
    std::unique_ptr<TIniSettingsStore> Store() const
    {
        return std::make_unique<TIniSettingsStore>(Ini());
    }
    std::unique_ptr<TConfig> Make(IConfigPrompts *prompts = nullptr)
    {
        return std::make_unique<TConfig>(&Phone, prompts);
    }
    QByteArray IniBytes() const
    {
        QFile f(Ini());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

const QString Question =
    QStringLiteral("Вы хотите задать директорию для хранения записей разговоров? На диске, где "
                   "будут храниться файлы записей разговоров, должно быть достаточно места. Час "
                   "записи занимает около 6 Mb дискового пространства.\rВы можете задать "
                   "директорию, нажав \"Да\". В противном случае будет задана директория по "
                   "умолчанию: ");
}

TEST_F(Settings, FirstRunWritesEveryDefaultAndAsksForTheFolderOnce)
{
    Prompts.Answers = {true};
    Prompts.Folder = Dir.filePath(QStringLiteral("chosen"));
    const TDateTime before = TDateTime::now();
    {
        auto c = Make(&Prompts);
        EXPECT_TRUE(c->WasFirstRun());
        EXPECT_EQ(c->RecordsDirectory, Prompts.Folder);
        EXPECT_GE(c->LastOff, before);
        EXPECT_LE(c->LastOff, TDateTime::now());
    }
    const QString defaultFolder = QDir::toNativeSeparators(Dir.filePath(QStringLiteral("Sounds/Records")));
    ASSERT_EQ(Prompts.Questions, QStringList{Question + defaultFolder});
    EXPECT_EQ(Prompts.FolderTitles,
              QStringList{QStringLiteral("Выберите директорию для хранения записей разговоров")});

    // Every value of the six keys is there, BDPath and CustomBaudRate are not.
    auto s = Store();
    for (const TConfigSchema::TEntry &e : TConfigSchema::Entries())
        EXPECT_EQ(s->ValueExists(e.Key, e.Name), !e.Optional) << e.Path().toStdString();
    EXPECT_EQ(s->ReadString(QStringLiteral("Port"), QStringLiteral("Port")), QStringLiteral("COM1"));
    EXPECT_EQ(s->ReadString(QStringLiteral("Config"), QStringLiteral("InField8")), QStringLiteral("Поле 8"));
    EXPECT_FALSE(s->ReadBool(QStringLiteral("Config"), QStringLiteral("InFieldYes4")));
    EXPECT_TRUE(s->ReadBool(QStringLiteral("Config"), QStringLiteral("OutFieldYes3")));
    EXPECT_EQ(s->ReadInteger(QStringLiteral("Config"), QStringLiteral("ActiveSetting")), 3);
    EXPECT_EQ(s->ReadDateTime(QStringLiteral("Config"), QStringLiteral("EndNight")), At(9, 0));
    EXPECT_EQ(s->ReadString(QStringLiteral("ExternalData/Outlook"), QStringLiteral("OutlMobileName")),
              QStringLiteral("Мобильный"));

    // The next start loads what was written and asks nothing.
    auto again = Make(&Prompts);
    EXPECT_FALSE(again->WasFirstRun());
    EXPECT_EQ(Prompts.Questions.size(), 1);
    EXPECT_EQ(again->RecordsDirectory, Prompts.Folder);
    EXPECT_EQ(again->AddressSort, QStringLiteral("Name"));
    EXPECT_EQ(again->Prefix, 8);
    EXPECT_EQ(again->InField[7], QStringLiteral("Поле 7"));
    EXPECT_TRUE(again->KeptCopy().isEmpty());
}

TEST_F(Settings, WithoutWindowsOrWithNoTheDefaultFolderIsTaken)
{
    const QString defaultFolder = QDir::toNativeSeparators(Dir.filePath(QStringLiteral("Sounds/Records")));
    EXPECT_EQ(Make()->RecordsDirectory, defaultFolder);
    QFile::remove(Ini());
    Prompts.Answers = {false};
    EXPECT_EQ(Make(&Prompts)->RecordsDirectory, defaultFolder);
    EXPECT_TRUE(Prompts.FolderTitles.isEmpty());
    // A cancelled folder chooser also leaves the default.
    QFile::remove(Ini());
    Prompts.Answers = {true};
    Prompts.Folder.clear();
    EXPECT_EQ(Make(&Prompts)->RecordsDirectory, defaultFolder);
}

TEST_F(Settings, AnyMissingOrInvalidValueRewritesEverySetting)
{
    using Break = std::function<void(TSettingsStore &)>;
    const QList<QPair<const char *, Break>> cases{
        {"InField8 deleted", [](TSettingsStore &s) { s.DeleteValue("Config", "InField8"); }},
        {"OutFieldYes8 deleted", [](TSettingsStore &s) { s.DeleteValue("Config", "OutFieldYes8"); }},
        {"empty records folder", [](TSettingsStore &s) { s.WriteString("Data", "Records Directory", ""); }},
        {"LastOff as text", [](TSettingsStore &s) { s.WriteString("Data", "LastOff", "вчера"); }},
        {"volume not a number", [](TSettingsStore &s) { s.WriteString("Config", "DayVolume", "громко"); }},
        {"unknown baud rate", [](TSettingsStore &s) { s.WriteString("Port", "BaudRate", "fast"); }},
        {"statistics missing", [](TSettingsStore &s) { s.DeleteValue("Statistics", "OutF7"); }},
        {"outlook missing", [](TSettingsStore &s) { s.DeleteValue("ExternalData/Outlook", "OutlOtherName"); }},
    };
    for (const auto &[what, breakIt] : cases) {
        SCOPED_TRACE(what);
        QDir(Dir.path()).removeRecursively();
        QDir().mkpath(Dir.path());
        Prompts = FakePrompts();
        Prompts.Answers = {true};
        Prompts.Folder = Dir.filePath(QStringLiteral("chosen"));
        {
            auto c = Make(&Prompts);
            c->DayVolume = 33;
            c->IncomingSort = QStringLiteral("Phone");
        }
        {
            auto s = Store();
            ASSERT_EQ(s->ReadInteger(QStringLiteral("Config"), QStringLiteral("DayVolume")), 33);
            breakIt(*s);
            s->Flush();
        }
        const QByteArray broken = IniBytes();
        Prompts.Answers = {false};
        auto c = Make(&Prompts);
        EXPECT_TRUE(c->WasFirstRun());
        EXPECT_EQ(Prompts.Questions.size(), 2);
        EXPECT_EQ(c->DayVolume, 100);
        EXPECT_EQ(c->IncomingSort, QStringLiteral("Time"));
        EXPECT_EQ(c->RecordsDirectory, TConfig::DefaultRecordsDirectory());
        // The old settings are kept beside the rewritten file.
        ASSERT_FALSE(c->KeptCopy().isEmpty());
        QFile kept(c->KeptCopy());
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), broken);
        EXPECT_FALSE(Make()->WasFirstRun());
    }
}

TEST_F(Settings, BrokenFileGivesDefaultsAndIsKept)
{
    QByteArray garbage("[Config\n\x00\x01\xff=\n[[[]]]\n=\n%U12G=1\nDayVolume=@Variant(\\xff)\n", 48);
    for (int i = 0; i < 5000; ++i)
        garbage.append(char((i * 7919) % 256));
    {
        QFile f(Ini());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    {
        auto c = Make();
        EXPECT_TRUE(c->WasFirstRun());
        EXPECT_EQ(c->DayVolume, 100);
        EXPECT_EQ(c->InField[1], QStringLiteral("Поле 1"));
        ASSERT_FALSE(c->KeptCopy().isEmpty());
        QFile kept(c->KeptCopy());
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), garbage);
    }
    EXPECT_FALSE(Make()->WasFirstRun());
}

TEST_F(Settings, DayAndNight)
{
    auto c = Make();
    // Defaults: the night is the open interval 00:00:00 .. 09:00:00.
    EXPECT_TRUE(c->IsDayTimeAt(At(0, 0)));
    EXPECT_FALSE(c->IsDayTimeAt(At(0, 0, 1)));
    EXPECT_FALSE(c->IsDayTimeAt(At(8, 59, 59)));
    EXPECT_TRUE(c->IsDayTimeAt(At(9, 0)));
    EXPECT_TRUE(c->IsDayTimeAt(At(23, 59, 59)));
    // A night over midnight; only the time of day of the argument counts.
    c->StartNight = At(22, 0);
    c->EndNight = At(6, 0);
    EXPECT_FALSE(c->IsDayTimeAt(At(23, 0)));
    EXPECT_FALSE(c->IsDayTimeAt(At(5, 59)));
    EXPECT_FALSE(c->IsDayTimeAt(At(0, 0)));
    EXPECT_TRUE(c->IsDayTimeAt(At(6, 0)));
    EXPECT_TRUE(c->IsDayTimeAt(At(12, 0)));
    EXPECT_TRUE(c->IsDayTimeAt(At(22, 0)));
    EXPECT_FALSE(c->IsDayTimeAt(TDateTime(46000.0) + At(23, 30).value()));
    // Start and end equal: no night at all.
    c->EndNight = At(22, 0);
    EXPECT_TRUE(c->IsDayTimeAt(At(22, 0)));
    EXPECT_TRUE(c->IsDayTimeAt(At(3, 0)));
}

TEST_F(Settings, CurrentVolumeFollowsTheClock)
{
    QDateTime now(QDate(2026, 12, 9), QTime(3, 0));
    {
        auto c = Make();
        c->SetClock([&] { return now; });
        EXPECT_EQ(c->CurrentVolume(), 50);
        EXPECT_FALSE(c->SetCurrentVolume(20));
        EXPECT_EQ(c->NightVolume, 20);
        EXPECT_EQ(c->DayVolume, 100);
        now.setTime(QTime(12, 0));
        EXPECT_EQ(c->CurrentVolume(), 100);
        EXPECT_TRUE(c->SetCurrentVolume(70));
        EXPECT_EQ(c->CurrentVolume(), 70);
        EXPECT_EQ(c->NightVolume, 20);
        // Stored at once, not only at exit.
        auto s = Store();
        EXPECT_EQ(s->ReadInteger(QStringLiteral("Config"), QStringLiteral("NightVolume")), 20);
        EXPECT_EQ(s->ReadInteger(QStringLiteral("Config"), QStringLiteral("DayVolume")), 70);
    }
}

TEST_F(Settings, RestrictionSortAndLastOffAreStored)
{
    const QDateTime off(QDate(2026, 12, 9), QTime(18, 45, 12, 250));
    {
        auto c = Make();
        c->SetClock([&] { return off; });
        c->SetRestriction(QStringLiteral("пароль"), true);
        auto s = Store();
        EXPECT_EQ(s->ReadString(QStringLiteral("Data"), QStringLiteral("ypw")), QStringLiteral("пароль"));
        EXPECT_TRUE(s->ReadBool(QStringLiteral("Data"), QStringLiteral("yrd")));
        c->SetSortField(1, QStringLiteral("Length"));
        c->SetSortField(2, QStringLiteral("Phone"));
        c->SetSortField(7, QStringLiteral("Phone"));
        EXPECT_EQ(c->SortField(0), QStringLiteral("Time"));
        EXPECT_EQ(c->SortField(1), QStringLiteral("Length"));
        EXPECT_EQ(c->SortField(7), QString());
        EXPECT_EQ(Store()->ReadString(QStringLiteral("Data"), QStringLiteral("OutgoingSort")),
                  QStringLiteral("Length"));
        c->WriteLastOff();
    }
    auto c = Make();
    EXPECT_EQ(c->ypw, QStringLiteral("пароль"));
    EXPECT_TRUE(c->yrd);
    EXPECT_EQ(c->AddressSort, QStringLiteral("Phone"));
    EXPECT_EQ(c->LastOff.toQDateTime(), off);
}

TEST_F(Settings, SaveTakesTheDialogsValuesAndApplies)
{
    FakeDialog dlg;
    FakeMainWindow main;
    {
        auto c = Make(&Prompts);
        c->SetMainWindow(&main);
        main.Listen(*c);
        c->AttachDialog(&dlg);
        EXPECT_EQ(dlg.Fills, 1);
        EXPECT_EQ(dlg.V.InFieldName[3], QStringLiteral("Поле 3"));
        EXPECT_EQ(dlg.V.PrefixText, QStringLiteral("8"));
        EXPECT_EQ(dlg.V.EndNight, At(9, 0));

        dlg.V.NumLength = 6;
        dlg.V.PrefixText = QStringLiteral("9");
        dlg.V.DayVolume = 80;
        dlg.V.StartNight = At(22, 0);
        dlg.V.EndNight = At(6, 0);
        dlg.V.PlaySound = false;
        dlg.V.SoundFile = QStringLiteral("/elsewhere/ring.wav");
        dlg.V.RecordOut = false;
        dlg.V.AskRecords = false;
        dlg.V.ShowOutFieldKind = 2;
        dlg.V.InFieldName[2] = QStringLiteral("Тема");
        dlg.V.InFieldYes[5] = true;
        dlg.V.OutlHome = QStringLiteral("Дом");
        dlg.V.AddOutlPostfix = false;

        // Nothing is saved while the dialog reports no change.
        c->Apply();
        EXPECT_EQ(Store()->ReadInteger(QStringLiteral("Config"), QStringLiteral("RegionalNumberLength")), 7);
        EXPECT_FALSE(dlg.ApplyEnabled);

        dlg.IsChanged = true;
        dlg.ApplyEnabled = true;
        c->Apply();
        EXPECT_FALSE(dlg.ApplyEnabled);
        EXPECT_EQ(Phone.RuleLength, 6);
        EXPECT_EQ(Phone.RulePrefix, 9);
        EXPECT_EQ(main.Applied, 1);
        EXPECT_EQ(c->Prefix, 9);
    }
    auto s = Store();
    EXPECT_EQ(s->ReadInteger(QStringLiteral("Config"), QStringLiteral("Width")), 1024);
    EXPECT_EQ(s->ReadInteger(QStringLiteral("Config"), QStringLiteral("WindowState")), 0);
    EXPECT_FALSE(s->ReadBool(QStringLiteral("Data"), QStringLiteral("Ask for \u0441alls")));

    // After a restart the dialog shows what was saved.
    auto c = Make(&Prompts);
    FakeDialog shown;
    c->AttachDialog(&shown);
    EXPECT_EQ(shown.V.NumLength, 6);
    EXPECT_EQ(shown.V.PrefixText, QStringLiteral("9"));
    EXPECT_EQ(shown.V.DayVolume, 80);
    EXPECT_EQ(shown.V.StartNight, At(22, 0));
    EXPECT_EQ(shown.V.EndNight, At(6, 0));
    EXPECT_FALSE(shown.V.PlaySound);
    EXPECT_EQ(shown.V.SoundFile, TConfig::DefaultSoundFileName());   // not saved while the sound is off
    EXPECT_FALSE(shown.V.RecordOut);
    EXPECT_EQ(shown.V.ShowOutFieldKind, 2);
    EXPECT_EQ(shown.V.InFieldName[2], QStringLiteral("Тема"));
    EXPECT_TRUE(shown.V.InFieldYes[5]);
    EXPECT_EQ(shown.V.OutlHome, QStringLiteral("Дом"));
    EXPECT_FALSE(shown.V.AddOutlPostfix);
    EXPECT_EQ(c->Left, 10);
    EXPECT_FALSE(c->IsDayTimeAt(At(23, 0)));
}

TEST_F(Settings, RecordsFolderRulesOfSave)
{
    const QString old = Dir.filePath(QStringLiteral("old"));
    QDir().mkpath(old);
    Prompts.Answers = {true};
    Prompts.Folder = old;
    auto c = Make(&Prompts);
    FakeDialog dlg;
    c->AttachDialog(&dlg);
    const auto stored = [&] {
        return Store()->ReadString(QStringLiteral("Data"), QStringLiteral("Records Directory"));
    };

    // Does not exist, "Нет": the old folder stays in the store and in the dialog.
    const QString missing = Dir.filePath(QStringLiteral("new/records"));
    Prompts.Questions.clear();
    dlg.V.RecordsDir = missing;
    Prompts.Answers = {false};
    c->Save();
    EXPECT_EQ(Prompts.Questions,
              QStringList{QStringLiteral("Директория \"") + missing
                          + QStringLiteral("\" не существует. Вы хотите создать ее?")});
    EXPECT_EQ(dlg.V.RecordsDir, old);
    EXPECT_EQ(stored(), old);
    EXPECT_FALSE(QFileInfo::exists(missing));

    // "Да": created and stored.
    dlg.V.RecordsDir = missing;
    Prompts.Answers = {true};
    c->Save();
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_EQ(stored(), missing);
    EXPECT_EQ(c->RecordsDirectory, missing);

    // An existing folder is taken without a question.
    Prompts.Questions.clear();
    dlg.V.RecordsDir = old;
    c->Save();
    EXPECT_TRUE(Prompts.Questions.isEmpty());
    EXPECT_EQ(stored(), old);

    // Cannot be created (a file is in the way): the error, and the old folder back.
    QFile blocker(Dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = Dir.filePath(QStringLiteral("file/records"));
    dlg.V.RecordsDir = impossible;
    Prompts.Answers = {true};
    c->Save();
    EXPECT_EQ(Prompts.Errors, QStringList{QStringLiteral("Невозможно создать директорию \"") + impossible});
    EXPECT_EQ(dlg.V.RecordsDir, old);
    EXPECT_EQ(stored(), old);

    // An emptied box never empties the setting (the next start would rewrite everything).
    Prompts.Errors.clear();
    dlg.V.RecordsDir = QStringLiteral("  ");
    c->Save();
    EXPECT_EQ(Prompts.Errors, QStringList{QStringLiteral("Не задана директория для записей.")});
    EXPECT_EQ(dlg.V.RecordsDir, old);
    EXPECT_EQ(stored(), old);
    EXPECT_FALSE(Make()->WasFirstRun());
}

TEST_F(Settings, PortChosenInTheDialog)
{
    Phone.Settings.Port = QStringLiteral("/dev/pts/77");   // not in the system's list
    Phone.IsOpen = true;
    auto c = Make();
    FakeDialog dlg;
    c->AttachDialog(&dlg);
    EXPECT_EQ(dlg.V.PortList,
              (QStringList{QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("/dev/pts/77")}));
    EXPECT_EQ(dlg.V.Port, QStringLiteral("/dev/pts/77"));

    // Unchanged: the port stays as it is, open, and in the settings.
    c->Save();
    EXPECT_EQ(Phone.Opens + Phone.Closes, 0);
    EXPECT_EQ(Store()->ReadString(QStringLiteral("Port"), QStringLiteral("Port")), QStringLiteral("/dev/pts/77"));

    // Another port: reopened and stored; the open state is kept.
    dlg.V.Port = QStringLiteral("COM2");
    c->Save();
    EXPECT_EQ(Phone.Settings.Port, QStringLiteral("COM2"));
    EXPECT_TRUE(Phone.IsOpen);
    EXPECT_EQ(Store()->ReadString(QStringLiteral("Port"), QStringLiteral("Port")), QStringLiteral("COM2"));

    // A port that cannot be opened: the rest of the save still runs and the choice is kept.
    Phone.OpenFails = true;
    dlg.V.Port = QStringLiteral("COM1");
    dlg.V.DayVolume = 12;
    c->Save();
    EXPECT_FALSE(Phone.IsOpen);
    EXPECT_EQ(Store()->ReadString(QStringLiteral("Port"), QStringLiteral("Port")), QStringLiteral("COM1"));
    EXPECT_EQ(Store()->ReadInteger(QStringLiteral("Config"), QStringLiteral("DayVolume")), 12);

    // A port found elsewhere (the port search) is not put back by a later save.
    Phone.Settings.Port = QStringLiteral("COM7");
    c->SetSortField(0, QStringLiteral("Phone"));
    EXPECT_EQ(Store()->ReadString(QStringLiteral("Port"), QStringLiteral("Port")), QStringLiteral("COM7"));
    c->FillDialog();
    EXPECT_TRUE(dlg.V.PortList.contains(QStringLiteral("COM7")));
}

TEST_F(Settings, PortSettingsAreLoadedIntoThePhoneLink)
{
    {
        auto s = Store();
        TPortSettings p;
        p.Port = QStringLiteral("/dev/ttyUSB3");
        p.BaudRate = QStringLiteral("Custom");
        p.CustomBaudRate = 31250;
        p.ParityReplaceChar = QStringLiteral("?");
        p.Store(*s);
        s->Flush();
    }
    auto c = Make();
    EXPECT_EQ(Phone.Settings.Port, QStringLiteral("/dev/ttyUSB3"));
    EXPECT_EQ(Phone.Settings.BaudRateValue(), 31250);
    EXPECT_EQ(Phone.Settings.ReplaceCharValue(), QLatin1Char('?'));
    // The first run kept the port layer's settings.
    EXPECT_TRUE(c->WasFirstRun());
    EXPECT_EQ(Store()->ReadInteger(QStringLiteral("Port"), QStringLiteral("CustomBaudRate")), 31250);
}

TEST_F(Settings, ChangesMadeOutsideTheDialogAreNotPutBack)
{
    QDateTime now(QDate(2026, 12, 9), QTime(12, 0));
    auto c = Make();
    c->SetClock([&] { return now; });
    FakeDialog dlg;
    c->AttachDialog(&dlg);
    c->SetCurrentVolume(20);               // the main window's volume slider
    c->InputFilter = QStringLiteral("Phone = '12*'");
    c->SetSortField(0, QStringLiteral("Phone"));
    auto s = Store();
    EXPECT_EQ(s->ReadInteger(QStringLiteral("Config"), QStringLiteral("DayVolume")), 20);
    EXPECT_EQ(s->ReadString(QStringLiteral("Data"), QStringLiteral("IncomingSort")), QStringLiteral("Phone"));
    EXPECT_EQ(s->ReadString(QStringLiteral("Data"), QStringLiteral("Input Filter")), QStringLiteral("Phone = '12*'"));
}

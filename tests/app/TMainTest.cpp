// The program's start-up, main window frame and shutdown against the phone
// simulator on a pseudo-terminal, with a temporary base folder.
#include "MainTestSupport.h"
#include "app/TMain.h"
#include "app/TPhoneSession.h"
#include "audio/TGSMRecorder.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettingsStore.h"
#include "phone/TPhone.h"
#include "records/TIncomingCallBook.h"
#include "records/TRecordTable.h"
#include "tools/PhoneSimProcess.h"
#include "ui/TFormMessage.h"
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <csignal>
#include <sqlite3.h>
#include <unistd.h>
#include <functional>
#include <memory>

namespace {
using namespace MainTestSupport;

bool waitFor(const std::function<bool()> &cond, int ms = 10000)
{
    return SpinUntil(cond, ms);
}


QString binary(const QString &rel)
{
    return QDir(QStringLiteral(KONVELO_BIN_DIR)).filePath(rel);
}

// Default settings with the given changes, the port set to device.
void writeSettings(const QString &base, const QString &device, const std::function<void(TConfig &)> &change = {})
{
    ASSERT_TRUE(WriteSettings(base, QDir(base).filePath(QStringLiteral("Records")), device, change));
}

TDateTime storedLastOff(const QString &base)
{
    BaseFolder::set(base);
    return TSettingsStore::Open()->ReadDateTime(QStringLiteral("Data"), QStringLiteral("LastOff"));
}

QAction *menuItem(QMainWindow &w, const QString &text)
{
    for (QAction *menu : w.menuBar()->actions())
        if (menu->menu())
            for (QAction *a : menu->menu()->actions())
                if (a->text() == text)
                    return a;
    return nullptr;
}

QStringList menuTitles(QMainWindow &w)
{
    QStringList titles;
    for (QAction *menu : w.menuBar()->actions())
        if (menu->isVisible())
            titles << menu->text();
    return titles;
}

QStringList headers(QTableView *grid)
{
    QStringList h;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        if (!grid->isColumnHidden(c))
            h << grid->model()->headerData(c, Qt::Horizontal).toString();
    return h;
}

class TMainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(FDir.isValid());
        FBase = FDir.path();
    }

    std::unique_ptr<PhoneSimProcess> startSim(const QStringList &args = {})
    {
        auto sim = std::make_unique<PhoneSimProcess>(QDir(FBase).filePath(QStringLiteral("sim.log")),
                                                     QStringList{QStringLiteral("--keepalive"), QStringLiteral("1000")}
                                                         + args);
        QString error;
        EXPECT_TRUE(sim->start(&error)) << error.toStdString();
        return sim;
    }

    std::unique_ptr<TMain> startMain()
    {
        BaseFolder::set(FBase);
        auto main = std::make_unique<TMain>();
        main->ConfirmExit = [this] {
            ++FQuestions;
            return FAnswer;
        };
        return main;
    }

    QTemporaryDir FDir;
    QString FBase;
    int FQuestions = 0;
    bool FAnswer = true;
};

}

TEST_F(TMainTest, StartsOnTheSimulatorWithTheWholeFrame)
{
    auto sim = startSim();
    writeSettings(FBase, sim->device());
    auto main = startMain();
    ASSERT_FALSE(main->SecondInstance);

    EXPECT_EQ(main->windowTitle(), QStringLiteral("Программа мониторинга телефонной линии"));
    // With "Ask for calls" on, the window shows at the end of the phone-memory read.
    EXPECT_TRUE(waitFor([&] { return !main->Session()->Flags().MemoryReadActive && main->isVisible(); }));
    EXPECT_EQ(main->Splash(), nullptr);   // closed once start-up is over
    EXPECT_FALSE(main->Session()->Flags().StartingUp);
    EXPECT_TRUE(main->TrayIconShown);
    ASSERT_NE(main->TrayIcon(), nullptr);
    EXPECT_EQ(main->TrayIcon()->toolTip(), QStringLiteral("Монитор телефонной линии"));
    QStringList tray;
    for (QAction *a : main->TrayMenu()->actions())
        tray << a->text();
    EXPECT_EQ(tray, (QStringList{QStringLiteral("&Открыть"), QStringLiteral("&Выйти")}));

    ASSERT_TRUE(waitFor([&] { return main->StatusText() == QStringLiteral("Линия свободна"); }))
        << main->StatusText().toStdString();
    EXPECT_EQ(main->Phone()->State(), psWaiting);
    EXPECT_EQ(main->StateImage(), 1);
    EXPECT_EQ(main->NumberPanelText(), QStringLiteral(" Номер: "));

    // The left column, the pages and their grids.
    for (const char *name : {"phNumber", "CallBtn", "SpeedButtonNumberInfo", "TrackBar", "SpeedButton1",
                             "SpeedButton2", "RecBtn", "PlayButton", "InGrid", "OutGrid", "AddressGrid", "Notes",
                             "ToolBar3", "ToolBar4", "AddressToolBar", "PanelFieldsIn", "PanelFieldsOut",
                             "InFilterBtn", "SGReminder", "HotBtn18"})
        EXPECT_NE(main->findChild<QWidget *>(QString::fromLatin1(name)), nullptr) << name;
    QStringList groups;
    for (QGroupBox *g : main->findChildren<QGroupBox *>())
        groups << g->title();
    for (const char *title : {"Набор", "Запись", "Громкость", "Напоминание о звонках ", "Горячие номера"})
        EXPECT_TRUE(groups.contains(QString::fromUtf8(title))) << title;
    auto *call = main->findChild<QPushButton *>(QStringLiteral("CallBtn"));
    EXPECT_EQ(call->text(), QStringLiteral("Набрать номер"));
    EXPECT_TRUE(call->isEnabled());

    auto *pages = main->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Входящие"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Исходящие"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral("Записная книжка"));
    EXPECT_EQ(pages->tabToolTip(0), QStringLiteral("Список входящих вызовов"));
    EXPECT_EQ(headers(main->findChild<QTableView *>(QStringLiteral("InGrid"))),
              (QStringList{"Телефон", "Время", "Продолжительность", "Автоответ", "Разговор", "Сообщение",
                           "Категория"}));
    EXPECT_EQ(headers(main->findChild<QTableView *>(QStringLiteral("OutGrid"))),
              (QStringList{"Телефон", "Время", "Продолжительность", "Место звонка", "Разговор"}));
    EXPECT_EQ(headers(main->findChild<QTableView *>(QStringLiteral("AddressGrid"))),
              (QStringList{"Телефон", "Имя", "Адрес", "Параметры"}));

    // The menu: every item, enabled where its action exists.
    EXPECT_EQ(menuTitles(*main), (QStringList{"&Файл", "&Звонок", "П&оиск", "П&амять", "&Сервис", "&Помощь"}));
    struct Item {
        const char *text;
        bool enabled;
    };
    for (const Item &i : {Item{"&Экспортировать запись", false}, Item{"Очистка памяти &входящих", true},
                          Item{"Очистка памяти &исходящих", true}, Item{"&Очистка записной книжки", true},
                          Item{"&Выход", true}, Item{"&Набрать номер", true}, Item{"&Сброс", true},
                          Item{"&Найти", true}, Item{"&Удалить ячейку памяти", true},
                          Item{"&Редактировать ячейку записной книжки", true},
                          Item{"&Отключиться от аппарата", true}, Item{"&Параметры статистики", true},
                          Item{"&Настройки программы", true}, Item{"&Редактор настроек телефона", false},
                          Item{"&Загрузка профиля в телефон", false}, Item{"Телефонный робот", false},
                          Item{"Сп&равка", true}, Item{"&О программе", true}, Item{"&Модель телефона", true}}) {
        QAction *a = menuItem(*main, QString::fromUtf8(i.text));
        ASSERT_NE(a, nullptr) << i.text;
        EXPECT_EQ(a->isEnabled(), i.enabled) << i.text;
    }
    EXPECT_EQ(menuItem(*main, QStringLiteral("&Выход"))->shortcut(), QKeySequence(QStringLiteral("Alt+X")));
    EXPECT_EQ(menuItem(*main, QStringLiteral("&Отключиться от аппарата"))->shortcut(),
              QKeySequence(QStringLiteral("Alt+Z")));
    // Without Params.vrx the phone-settings commands are not offered at all.
    EXPECT_FALSE(menuItem(*main, QStringLiteral("&Редактор настроек телефона"))->isVisible());
}

TEST_F(TMainTest, DisconnectItemTogglesTheLinkAndModelItemFollows)
{
    auto sim = startSim();
    writeSettings(FBase, sim->device());
    auto main = startMain();
    ASSERT_TRUE(waitFor([&] { return main->StatusText() == QStringLiteral("Линия свободна"); }));
    QAction *disconnect = menuItem(*main, QStringLiteral("&Отключиться от аппарата"));
    QAction *model = menuItem(*main, QStringLiteral("&Модель телефона"));
    ASSERT_TRUE(disconnect->isCheckable());
    EXPECT_FALSE(disconnect->isChecked());

    // The identity as the phone reports it.
    model->trigger();
    TFormMessage *info = main->FormMessage();
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(info->windowTitle(), QStringLiteral("Модель телефона"));
    ASSERT_TRUE(waitFor([&] { return info->SecondLine().contains(QStringLiteral("Индивидуальный номер: 12345")); }))
        << info->SecondLine().toStdString();
    EXPECT_EQ(info->FirstLine(), QStringLiteral("05.2Ц1.123.10.1.00.111"));
    info->close();

    disconnect->trigger();
    EXPECT_TRUE(disconnect->isChecked());
    EXPECT_FALSE(main->Phone()->Online());
    EXPECT_FALSE(main->Phone()->Connected());
    EXPECT_EQ(main->StatusText(), QStringLiteral("Аппарат отключен"));
    EXPECT_EQ(main->StateImage(), 0);
    EXPECT_FALSE(model->isEnabled());
    EXPECT_FALSE(menuItem(*main, QStringLiteral("&Набрать номер"))->isEnabled());
    // Offline the model item says so and sends nothing.
    const int modelRequests = sim->log().countCommands(0x9D);
    main->PhoneModelItemClick();
    EXPECT_EQ(info->FirstLine(), QStringLiteral("Информация недоступна"));
    QThread::msleep(300);
    EXPECT_EQ(sim->log().countCommands(0x9D), modelRequests);
    info->close();

    disconnect->trigger();
    EXPECT_FALSE(disconnect->isChecked());
    EXPECT_TRUE(main->Phone()->Connected());
    EXPECT_TRUE(waitFor([&] { return main->StatusText() == QStringLiteral("Линия свободна"); }))
        << main->StatusText().toStdString();
    EXPECT_TRUE(model->isEnabled());
}

TEST_F(TMainTest, PortWithoutPermissionIsExplainedOnceInTheMessageWindow)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may open any device; InstallTest denies one to nobody through konvelo-cli";
    const QString node = QDir(FBase).filePath(QStringLiteral("ttyDenied"));
    {
        QFile f(node);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::setPermissions(node, QFileDevice::Permissions()));
    writeSettings(FBase, node);
    auto main = startMain();
    TFormMessage *info = main->FormMessage();
    ASSERT_TRUE(waitFor([&] { return info->isVisible(); }));
    EXPECT_EQ(info->windowTitle(), QStringLiteral("Нет доступа к порту"));
    EXPECT_TRUE(info->FirstLine().contains(node)) << info->FirstLine().toStdString();
    EXPECT_TRUE(info->SecondLine().contains(QStringLiteral("sudo usermod -aG "))) << info->SecondLine().toStdString();
    EXPECT_FALSE(main->Phone()->Online());
    EXPECT_EQ(main->StatusText(), QStringLiteral("Аппарат отключен"));
    info->close();

    // Connecting again by hand fails as before and says nothing more.
    QAction *disconnect = menuItem(*main, QStringLiteral("&Отключиться от аппарата"));
    disconnect->trigger();
    if (disconnect->isChecked())
        disconnect->trigger();
    EXPECT_FALSE(main->Phone()->Connected());
    EXPECT_FALSE(info->isVisible());
}

TEST_F(TMainTest, AskForCallsDecidesTheMemoryRead)
{
    {
        auto sim = startSim();
        writeSettings(FBase, sim->device(), [](TConfig &c) { c.AskForCalls = false; });
        auto main = startMain();
        EXPECT_FALSE(main->Session()->Flags().MemoryReadActive);
        EXPECT_TRUE(main->isVisible());   // shown at once, no read to wait for
        ASSERT_TRUE(waitFor([&] { return main->Session()->Flags().Identity.IndividualNumber == QStringLiteral("12345"); }));
        QThread::msleep(500);
        QCoreApplication::processEvents();
        EXPECT_EQ(sim->log().countCommands(0x92), 0);
        EXPECT_EQ(sim->log().countCommands(0x93), 0);
        EXPECT_GT(sim->log().countCommands(0x91), 0);   // the clock was set
        main->CloseWithoutAsking();
    }
    QFile::remove(QDir(FBase).filePath(QStringLiteral("sim.log")));
    {
        auto sim = startSim();
        writeSettings(FBase, sim->device(), [](TConfig &c) { c.AskForCalls = true; });
        auto main = startMain();
        EXPECT_TRUE(waitFor([&] { return sim->log().countCommands(0x92) > 0; }));
        EXPECT_TRUE(waitFor([&] { return !main->Session()->Flags().MemoryReadActive && main->isVisible(); }));
        EXPECT_EQ(main->Splash(), nullptr);
    }
}

TEST_F(TMainTest, ExitQuestionMinimisingAndTheOrderlyShutdown)
{
    auto sim = startSim();
    writeSettings(FBase, sim->device());
    const TDateTime before = storedLastOff(FBase);
    auto main = startMain();
    ASSERT_TRUE(waitFor([&] { return main->StatusText() == QStringLiteral("Линия свободна"); }));

    // Minimising hides the window; the tray's "&Открыть" brings it back.
    main->showMinimized();
    EXPECT_TRUE(waitFor([&] { return !main->isVisible(); }));
    main->TrayOpenClick();
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());

    // "No" keeps the program running with the phone connected.
    FAnswer = false;
    EXPECT_FALSE(main->close());
    EXPECT_EQ(FQuestions, 1);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->ShutDown());
    EXPECT_TRUE(main->Phone()->Connected());

    // "Yes" shuts down: settings saved, LastOff written, tray icon gone.
    main->Config()->ActivePage = 2;
    FAnswer = true;
    EXPECT_TRUE(main->close());
    EXPECT_EQ(FQuestions, 2);
    EXPECT_TRUE(main->ShutDown());
    EXPECT_FALSE(main->TrayIconShown);
    main.reset();
    EXPECT_GT(storedLastOff(FBase), before);
    TConfig reread(nullptr);
    EXPECT_EQ(reread.ActivePage, 2);
    // The port configured survives the save.
    EXPECT_EQ(reread.PortSettings().Port, sim->device());
}

// The executable: the single-instance rule and SIGTERM.
TEST_F(TMainTest, SecondCopyEndsAtOnceAndSigtermShutsDownInOrder)
{
    const QString program = binary(QStringLiteral("src/app/konvelo"));
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << "build the konvelo target first";
    auto sim = startSim();
    writeSettings(FBase, sim->device());
    const TDateTime before = storedLastOff(FBase);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {QStringLiteral("--home"), FBase});
    ASSERT_TRUE(first.waitForStarted(5000));
    // Running: its lock is in the base folder and the phone has been asked for its identity.
    ASSERT_TRUE(waitFor([&] { return sim->log().countCommands(0x95) > 0; }, 15000));
    EXPECT_TRUE(QFile::exists(QDir(FBase).filePath(QStringLiteral("Konvelo.lock"))));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {QStringLiteral("--home"), FBase});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(storedLastOff(FBase), before);   // the second copy touched nothing

    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_GT(storedLastOff(FBase), before);
    EXPECT_FALSE(QFile::exists(QDir(FBase).filePath(QStringLiteral("Konvelo.lock"))));
}

// Closing the program in the middle of a talk keeps the call and what was recorded.
TEST_F(TMainTest, ShutdownDuringATalkWritesTheCallWithItsRecording)
{
    auto sim = startSim();
    writeSettings(FBase, sim->device(), [](TConfig &c) { c.AskForCalls = false; });
    auto main = startMain();
    ASSERT_TRUE(waitFor([&] { return main->StatusText() == QStringLiteral("Линия свободна"); }));
    sim->feed(QStringLiteral("ring"));
    sim->feed(QStringLiteral("number 1 5553412"));
    ASSERT_TRUE(waitFor([&] { return main->Phone()->State() == psIncomingCall && !main->Phone()->CurrentPhone().isEmpty(); }));
    sim->feed(QStringLiteral("lift"));
    ASSERT_TRUE(waitFor([&] { return main->Phone()->ReceiverState() == rsUp; }));
    waitFor([] { return false; }, 1500);   // a second and a half of talk
    main->CloseWithoutAsking();
    main.reset();

    BaseFolder::set(FBase);
    TIncomingCallBook in(BaseFolder::dataPath() + QStringLiteral("/InCalls"));
    ASSERT_EQ(in.recordCount(), 1);
    in.first();
    EXPECT_EQ(in.fieldValue(QStringLiteral("Phone")).toString(), QStringLiteral("5553412"));
    const QString file = in.fieldValue(QStringLiteral("FileName")).toString();
    // Recording needs the sound server the suite runs under; the row does not.
    if (!file.isEmpty() && file != QLatin1String("+")) {
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
        EXPECT_GT(QFileInfo(file).size(), 60);
    }
}

// A table that cannot be opened or created ends the start-up with a message
// naming the file; nothing runs on without the journals and nothing is saved.
TEST_F(TMainTest, TableThatCannotBeOpenedEndsTheStartWithAMessage)
{
    struct Case {
        const char *what;
        QString table;   // the file the message names
        std::function<void()> prepare;
    };
    const QString data = QDir(FBase).filePath(QStringLiteral("Data"));
    QList<Case> cases;
    // A file where the Data folder should be: nothing can be created in it.
    cases.append({"file in place of Data", QStringLiteral("AddressBook.cds"), [data] {
                      QFile f(data);
                      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                  }});
    // A folder in place of the incoming journal's file.
    cases.append({"folder in place of InCalls.cds", QStringLiteral("InCalls.cds"),
                  [data] { ASSERT_TRUE(QDir().mkpath(QDir(data).filePath(QStringLiteral("InCalls.cds")))); }});
    // A read-only base folder (root writes into it regardless).
    if (::geteuid() != 0)
        cases.append({"read-only base folder", QStringLiteral("AddressBook.cds"), [this] {
                          QFile::setPermissions(FBase, QFile::ReadOwner | QFile::ExeOwner);
                      }});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(data).removeRecursively();
        QFile::remove(data);
        writeSettings(FBase, QStringLiteral("/dev/konvelo-no-such-port"));
        const TDateTime lastOff = storedLastOff(FBase);
        c.prepare();
        MessageWatch boxes;
        auto main = startMain();
        QFile::setPermissions(FBase, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_FALSE(main->SecondInstance);
        const QString file = QDir::toNativeSeparators(QDir(data).filePath(c.table));
        EXPECT_TRUE(main->StartError().contains(file)) << main->StartError().toStdString();
        ASSERT_EQ(boxes.Texts.size(), 1);
        EXPECT_TRUE(boxes.Texts.at(0).contains(file)) << boxes.Texts.at(0).toStdString();
        EXPECT_FALSE(main->isVisible());
        EXPECT_FALSE(main->TrayIconShown);
        main.reset();
        EXPECT_EQ(storedLastOff(FBase), lastOff);
    }
}

// A journal locked by another program is left as it is (no "bad file" kept
// aside, no empty journal in its place) and the program does not start.
TEST_F(TMainTest, JournalLockedByAnotherProgramIsLeftAloneAndTheStartEnds)
{
    writeSettings(FBase, QStringLiteral("/dev/konvelo-no-such-port"));
    const QString data = QDir(FBase).filePath(QStringLiteral("Data"));
    {
        BaseFolder::set(FBase);
        TIncomingCallBook in(QDir(data).filePath(QStringLiteral("InCalls")));
        TInCall call;
        call.Phone = QStringLiteral("5551234");
        in.AddCall(call);
    }
    const QString file = QDir(data).filePath(QStringLiteral("InCalls.cds"));
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);

    MessageWatch boxes;
    auto main = startMain();
    EXPECT_TRUE(main->StartError().contains(QDir::toNativeSeparators(file))) << main->StartError().toStdString();
    EXPECT_EQ(boxes.Texts.size(), 1);
    main.reset();
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_EQ(QDir(data).entryList({QStringLiteral("InCalls.cds.bad-*")}, QDir::Files).size(), 0);
    TIncomingCallBook in(QDir(data).filePath(QStringLiteral("InCalls")));
    EXPECT_EQ(in.recordCount(), 1);
}

// The recorder's stop and close errors reach the user without holding up the
// call handling that stopped it.
TEST_F(TMainTest, RecorderMessagesAreShownToTheUser)
{
    writeSettings(FBase, QStringLiteral("/dev/konvelo-no-such-port"), [](TConfig &c) { c.AskForCalls = false; });
    auto main = startMain();
    ASSERT_NE(main->Recorder(), nullptr);
    ASSERT_TRUE(main->Recorder()->OnMessage);
    main->Recorder()->OnMessage(QStringLiteral("Reset: No memory"));
    main->Recorder()->OnMessage(QStringLiteral("Close No memory"));
    QStringList shown;
    for (QMessageBox *box : main->findChildren<QMessageBox *>(QStringLiteral("RecorderMessage")))
        if (box->isVisible())
            shown << box->text();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Close No memory"), QStringLiteral("Reset: No memory")}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    main->CloseWithoutAsking();
}

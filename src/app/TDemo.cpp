#include "TDemo.h"
#include "robot/TFormPhoneRobot.h"
#include "robot/TFormRobotEditor.h"
#include "robot/TFormRobotOptions.h"
#include <QLabel>
#include <QTableWidget>
#include "TMain.h"
#include "transfer/TFormRecordDialog.h"
#include <QLabel>
#include <QProgressBar>
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettings.h"
#include "config/TSettingsStore.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "audio/TGsmEncoder.h"
#include "audio/TGsmWaveFile.h"
#include "audio/TRingTone.h"
#include "ui/TAlert.h"
#include "ui/TFormNumberInfo.h"
#include "ui/TJournalExport.h"
#include "ui/TJournalPage.h"
#include "ui/TReminderPanel.h"
#include <QFileDialog>
#include "ui/TFindCall.h"
#include "ui/TFormDateInterval.h"
#include "ui/TFormFieldsEdit.h"
#include "ui/THotButtonsBox.h"
#include "ui/TNewPerson.h"
#include "ui/TStats.h"
#include "phonesettings/TFormAONSetting.h"
#include "phonesettings/TFormProgress.h"
#include "phonesettings/TParamModel.h"
#include <QListWidget>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTabBar>
#include <QLockFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QtMath>

static void initDemoResources()
{
    Q_INIT_RESOURCE(demo);
}

namespace {

constexpr int ShotTick = 500;          // ms between looks at the windows
constexpr int ShotSettleTicks = 4;     // a window is grabbed after showing this long
constexpr int ShotGiveUpTicks = 360;   // three minutes

TDateTime ago(double minutes)
{
    return TDateTime::now() + (-minutes / 1440.0);
}

TDateTime length(int seconds)
{
    return TDateTime(seconds / 86400.0);
}

// A talk of Seconds seconds as a GSM 6.10 WAVE file like the recorder's: two
// voices taking turns, a sliding tone each.
bool writeTalk(const QString &fileName, int seconds)
{
    TGsmWaveFile file;
    if (!file.Create(fileName))
        return false;
    TGsmEncoder encoder;
    int16_t samples[TGsmEncoder::SamplesPerBlock];
    uint8_t block[TGsmEncoder::BlockSize];
    const int blocks = seconds * 8000 / TGsmEncoder::SamplesPerBlock;
    for (int b = 0, n = 0; b < blocks; ++b) {
        for (int16_t &v : samples) {
            const double t = double(n++) / 8000;
            const bool first = std::fmod(t, 4.0) < 2.0;
            const double f = (first ? 220 : 330) + 40 * std::sin(2 * M_PI * 0.7 * t);
            const double envelope = std::fmod(t, 0.3) < 0.22 ? 0.25 : 0.02;
            v = int16_t(envelope * 16000 * std::sin(2 * M_PI * f * t));
        }
        encoder.EncodeBlock(samples, block);
        file.Append(reinterpret_cast<const char *>(block), TGsmEncoder::BlockSize);
    }
    return file.Finish();
}

}

TDemo::TDemo(const QString &Folder, QObject *parent) : QObject(parent), FFolder(Folder)
{
    initDemoResources();
    FSim.setProcessChannelMode(QProcess::SeparateChannels);
    FSim.setStandardErrorFile(QProcess::nullDevice());
}

TDemo::~TDemo()
{
    StopSimulator();
}

QString TDemo::DefaultFolder()
{
    return QDir::home().filePath(QStringLiteral(".konvelo-demo"));
}

QString TDemo::SimulatorProgram()
{
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString name = QStringLiteral("konvelo-phonesim");
    for (const QString &rel : {QStringLiteral("../tools/phonesim/"), QStringLiteral("../../tools/phonesim/"),
                               QString()}) {
        const QString p = bin.filePath(rel + name);
        if (QFileInfo(p).isExecutable())
            return QDir::cleanPath(p);
    }
    return QStandardPaths::findExecutable(name);
}

bool TDemo::FillFolder(QString &Error)
{
    QDir dir(FFolder);
    if (QFile::exists(dir.filePath(QStringLiteral("Konvelo.ini"))))
        return true;
    const QString records = dir.filePath(QStringLiteral("Records"));
    if (!dir.mkpath(QStringLiteral("Records")) || !dir.mkpath(QStringLiteral("Sounds/Bells"))) {
        Error = QStringLiteral("cannot create the demo folder ") + FFolder;
        return false;
    }
    TRingTone::WriteDefault(dir.filePath(QStringLiteral("Sounds/Bells/Din.wav")));
    {
        TConfig config(nullptr);
        config.FirstRun(QDir::toNativeSeparators(records));
        config.AskForCalls = true;
        config.NeedCheckPort = false;
        config.NeedStartMinimized = false;
        config.AdjustSoundSettings = false;
        config.DayVolume = 40;
        config.NightVolume = 30;
        config.DisplayMessage = true;
        config.PlaySound = true;
        config.NoAlertOnTalk = false;
        config.WindowState = 0;
        config.Left = 40;
        config.Top = 30;
        config.Width = 1100;
        config.Height = 720;
        config.InField[1] = QStringLiteral("Тема");
        config.InFieldYes[1] = true;
        if (!config.Save()) {
            Error = QStringLiteral("cannot write the demo settings in ") + config.StoreLocation();
            return false;
        }
        // Number rules: one toll-free service let through, the other toll-free
        // numbers and calls without a number hung up.
        TNumberRules rules;
        rules.Add(QStringLiteral("88005551234"), false);
        rules.Add(QStringLiteral("8800*"), true);
        rules.Add(QStringLiteral("?"), true);
        const auto store = TSettingsStore::Open();
        rules.Store(*store);
        if (!store->Flush()) {
            Error = QStringLiteral("cannot write the demo settings in ") + store->Location();
            return false;
        }
    }

    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    // Subscribers with every combination the "Параметры" column draws:
    // 4 always / 2 never alert, 8 always / 16 never record, 32 always / 1 never ring.
    TAddressBook book(data + QStringLiteral("AddressBook"));
    book.AddPerson(QStringLiteral("5550101"), QStringLiteral("Иванов Пётр Сергеевич"), 4 | 8 | 32,
                   QStringLiteral("ул. Садовая, 12, кв. 4"), QStringLiteral("Поставщик бумаги; звонит по вторникам."),
                   QString(), -1, false);
    book.AddPerson(QStringLiteral("5552020"), QStringLiteral("ООО «Вектор»"), 8, QStringLiteral("пр. Мира, 101"),
                   QStringLiteral("Все разговоры записывать."), QString(), -1, false);
    book.AddPerson(QStringLiteral("5557788"), QStringLiteral("Сервисный центр"), 0,
                   QStringLiteral("ул. Лесная, 3"), QString(), QString(), -1, false);
    book.AddPerson(QStringLiteral("5553030"), QStringLiteral("Смирнова Анна"), 1 | 2 | 16, QString(),
                   QStringLiteral("Не звонить после 20:00."), QString(), -1, false);
    book.AddPerson(QStringLiteral("5554040"), QStringLiteral("Бухгалтерия"), 2 | 32, QStringLiteral("ул. Садовая, 1"),
                   QString(), QString(), -1, false);
    book.AddPerson(QStringLiteral("5556060"), QStringLiteral("Навязчивая реклама"), TPersonAttributes::HangUpCall,
                   QString(), QStringLiteral("Звонки сбрасываются."), QString(), -1, false);

    // Quick-dial buttons 1, 2, 3 (the first column) and 5 bound.
    THotButtonFile hot(data + QStringLiteral("HotBtns.cfg"));
    hot.freeAll();
    for (const auto &[button, person] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{3, 5}, std::pair{5, 4}})
        hot.assign(button, person);

    // Recordings on the PC are real GSM files; "+" marks one still in the phone.
    // Times are fixed hours of earlier days, so that night rows (00:00-09:00)
    // and day rows both show.
    const auto at = [](int daysAgo, int hour, int minute) {
        return TDateTime::fromQDateTime(QDateTime(QDate::currentDate().addDays(-daysAgo), QTime(hour, minute)));
    };
    const auto talk = [&](const QString &name, int seconds) {
        const QString file = QDir(records).filePath(name);
        return writeTalk(file, seconds) ? QDir::toNativeSeparators(file) : QString();
    };
    TIncomingCallBook in(data + QStringLiteral("InCalls"));
    const struct {
        const char *phone;
        int daysAgo, hour, minute, seconds;
        bool autoAnswer;
        const char *talk, *message;   // "" none, "+" in the phone, else a file
    } inRows[] = {{"5550101", 3, 10, 15, 184, false, "In_5550101_1.wav", ""},
                  {"5559876", 2, 3, 40, 0, false, "", ""},
                  {"5552020", 2, 14, 5, 62, true, "", "Msg_5552020.wav"},
                  {"5550101", 1, 8, 20, 95, false, "In_5550101_2.wav", "Msg_5550101.wav"},
                  {"5557788", 1, 12, 30, 40, false, "+", ""},
                  {"?", 1, 23, 50, 0, false, "", ""},
                  {"5553412", 0, 1, 10, 41, true, "", "+"}};
    for (const auto &r : inRows) {
        TInCall c;
        c.Phone = QString::fromLatin1(r.phone);
        c.Time = at(r.daysAgo, r.hour, r.minute);
        c.Length = length(r.seconds);
        c.Category = 1;
        c.AutoAnswer = r.autoAnswer;
        const QString t = QString::fromLatin1(r.talk), m = QString::fromLatin1(r.message);
        c.FileName = t.size() > 1 ? talk(t, qMax(r.seconds, 8) > 60 ? 60 : qMax(r.seconds, 8)) : t;
        c.MessageFileName = m.size() > 1 ? talk(m, 12) : m;
        if (c.Phone == QLatin1String("5550101")) {
            c.Field_1 = QStringLiteral("Заказ бумаги");
            if (r.daysAgo == 1)
                c.Field_8 = at(-2, 0, 0);   // a reminder in two days
        }
        in.AddCall(c);
    }
    // Calls the number rules hung up this week.
    for (const auto &[phone, minutesAgo] : {std::pair{"88003334455", 90}, std::pair{"5556060", 30}}) {
        TInCall c;
        c.Phone = QString::fromLatin1(phone);
        c.Time = TDateTime::fromQDateTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo));
        c.Category = 1;
        c.Blocked = true;
        in.AddCall(c);
    }
    TOutgoingCallBook out(data + QStringLiteral("OutCalls"));
    const struct {
        const char *phone;
        int daysAgo, hour, minute, seconds;
        uint8_t attributes;   // 1 the VRX phone, 2 a parallel set, 16 the robot
        const char *talk;
    } outRows[] = {{"5557788", 2, 11, 0, 320, 1, "Out_5557788.wav"},
                   {"5550101", 1, 7, 45, 75, 2, ""},
                   {"5554040", 1, 16, 20, 30, 16 | 1, ""},
                   {"5552020", 1, 16, 25, 28, 16 | 1, "+"},
                   {"5553030", 0, 2, 5, 12, 1, ""}};
    for (const auto &r : outRows) {
        TOutCall c;
        c.Phone = QString::fromLatin1(r.phone);
        c.Time = at(r.daysAgo, r.hour, r.minute);
        c.Length = length(r.seconds);
        c.Attributes = r.attributes;
        const QString t = QString::fromLatin1(r.talk);
        c.FileName = t.size() > 1 ? talk(t, 45) : t;
        if (c.Phone == QLatin1String("5557788"))
            c.Field_8 = at(0, 0, 0);   // a reminder for today
        out.AddCall(c);
    }

    // Calls the phone took while the program was not running: read at start-up.
    FMemoryFile = dir.filePath(QStringLiteral("phone-memory.txt"));
    QFile memory(FMemoryFile);
    if (memory.open(QIODevice::WriteOnly)) {
        auto line = [](const char *kind, double minutesAgo, const char *dur, int flags, const char *digits) {
            const QDateTime t = ago(minutesAgo).toQDateTime();
            return QStringLiteral("%1 %2 %3 %4 %5 1 %6\n")
                .arg(QLatin1String(kind), t.toString(QStringLiteral("dd.MM")), t.toString(QStringLiteral("HH:mm")),
                     QLatin1String(dur), QString::number(flags), QLatin1String(digits))
                .toUtf8();
        };
        memory.write(line("in", 20, "0:01:05", 0, "5553030"));
        memory.write(line("in", 45, "0:00:00", 0, "5559876"));
        memory.write(line("in", 600 + 5, "0:00:30", 0, "5550000"));
        memory.write(line("out", 30, "0:02:10", 1, "5557788"));
        memory.write(line("out", 3 * 1440, "0:00:10", 1, "5557788"));
    }
    return true;
}

bool TDemo::Prepare(QString &Error, bool &Busy)
{
    Busy = false;
    if (!QDir().mkpath(FFolder)) {
        Error = QStringLiteral("cannot create the demo folder ") + FFolder;
        return false;
    }
    BaseFolder::set(FFolder);
    {
        QLockFile probe(QDir(FFolder).filePath(QStringLiteral("Konvelo.lock")));
        probe.setStaleLockTime(0);
        if (!probe.tryLock(0)) {
            Busy = true;
            return false;
        }
    }
    if (!FillFolder(Error))
        return false;

    const QString program = SimulatorProgram();
    if (program.isEmpty()) {
        Error = QStringLiteral("konvelo-phonesim not found beside ") + QCoreApplication::applicationDirPath();
        return false;
    }
    const QString scenario = QDir(FFolder).filePath(QStringLiteral("konvelo-demo.txt"));
    QFile::remove(scenario);
    if (!QFile::copy(QStringLiteral(":/demo/konvelo-demo.txt"), scenario)) {
        Error = QStringLiteral("cannot write ") + scenario;
        return false;
    }
    if (!writePhoneParams(Error))
        return false;
    QStringList args{QStringLiteral("--digit-gap"), QStringLiteral("300"), QStringLiteral("--keepalive"),
                     QStringLiteral("5000"), QStringLiteral("--log"),
                     QDir(FFolder).filePath(QStringLiteral("phone.log")), QStringLiteral("--params-store"),
                     FParamsStore};
    if (!FMemoryFile.isEmpty())
        args << QStringLiteral("--memory") << FMemoryFile;
    args << scenario;
    FSim.start(program, args);
    if (!FSim.waitForStarted(5000)) {
        Error = QStringLiteral("cannot start ") + program;
        return false;
    }
    while (!FSim.canReadLine() && FSim.state() == QProcess::Running)
        FSim.waitForReadyRead(5000);
    FDevice = QString::fromLocal8Bit(FSim.readLine()).trimmed();
    if (FDevice.isEmpty()) {
        Error = QStringLiteral("the phone simulator gave no device");
        StopSimulator();
        return false;
    }
    // The simulator's further output is not needed.
    connect(&FSim, &QProcess::readyReadStandardOutput, this, [this] { FSim.readAllStandardOutput(); });

    std::unique_ptr<TSettingsStore> store = TSettingsStore::Open();
    store->WriteString(QStringLiteral("Port"), QStringLiteral("Port"), FDevice);
    if (!store->Flush()) {
        Error = QStringLiteral("cannot write the port into ") + store->Location();
        return false;
    }
    return true;
}

bool TDemo::writePhoneParams(QString &Error)
{
    const QDir dir(FFolder);
    const QString vrx = dir.filePath(QStringLiteral("Params.vrx"));
    if (!QFile::exists(vrx) && !QFile::copy(QStringLiteral(":/demo/Params.vrx"), vrx)) {
        Error = QStringLiteral("cannot write ") + vrx;
        return false;
    }
    QFile(vrx).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    FParamsStore = dir.filePath(QStringLiteral("phone-params.AON"));
    if (QFile::exists(FParamsStore))
        return true;
    // Every parameter of the simulator's firmware with a value: the first
    // option, the lowest allowed number, the first two boxes ticked.
    TParamModel model;
    if (!model.LoadDescriptionFile(vrx, 0xFFFF, Error))
        return false;
    for (auto &g : model.Groups)
        for (auto &p : g->Params) {
            if (p->Id == 0)
                continue;
            for (TParamValue &v : p->Values) {
                if (v.Kind == skGroup && !v.Labels.isEmpty())
                    v.Value = quint16(TParamModel::ParseOptionLabel(v.Labels.last()).Number & 0xFF);
                else if (v.Kind == skSet)
                    v.Value = quint16(TParamModel::AllowedMax(v.Allowed) / 2 + TParamModel::AllowedMin(v.Allowed) / 2);
                else if (v.Kind == skFlag)
                    v.Value = 0x13;
            }
            p->State = pvDefined;
        }
    if (!model.SaveProfile(FParamsStore, Error)) {
        Error = FParamsStore + QStringLiteral(": ") + Error;
        return false;
    }
    return true;
}

// The phone-settings editor with the demo phone's values, and the transfer
// window while it reads them.
void TDemo::savePhoneSettings()
{
    TFormAONSetting *editor = FMain->AONSetting();
    TParamModel *model = FMain->ParamModel();
    if (!editor || !model)
        return;
    editor->BuildModel();
    if (!editor->HasModel())
        return;
    editor->show();
    QCoreApplication::processEvents();
    QFile store(FParamsStore);
    if (store.open(QIODevice::ReadOnly))
        model->ApplyProfileBytes(store.readAll());
    editor->SelectTab(1);
    editor->SelectParam(14);
    editor->SelectParam(16);
    QCoreApplication::processEvents();
    save(editor, QStringLiteral("phone-settings.png"));
    editor->SelectParam(14);
    QCoreApplication::processEvents();
    save(editor, QStringLiteral("phone-settings-numbers.png"));
    TFormProgress *progress = FMain->FormProgress();
    progress->StartTransfer(ptmRead);
    for (int i = 0; i < 20 && progress->Running(); ++i) {
        QEventLoop wait;
        QTimer::singleShot(25, &wait, &QEventLoop::quit);
        wait.exec();
    }
    save(progress, QStringLiteral("phone-settings-progress.png"));
    if (progress->Running())
        progress->ButtonCancel->click();
    editor->hide();
}

void TDemo::StopSimulator()
{
    if (FSim.state() == QProcess::NotRunning)
        return;
    FSim.terminate();
    if (!FSim.waitForFinished(3000)) {
        FSim.kill();
        FSim.waitForFinished(1000);
    }
}

void TDemo::TakeScreenshots(TMain *Main, const QString &Dir)
{
    FMain = Main;
    FShotDir = Dir;
    QDir().mkpath(Dir);
    FShotTimer = new QTimer(this);
    connect(FShotTimer, &QTimer::timeout, this, &TDemo::screenshotTick);
    FShotTimer->start(ShotTick);
}

bool TDemo::save(QWidget *w, const QString &name)
{
    const QString file = QDir(FShotDir).filePath(name);
    if (!w->grab().save(file, "PNG")) {
        FFailed = true;
        return false;
    }
    fprintf(stderr, "konvelo: %s\n", qPrintable(QDir::toNativeSeparators(file)));
    return true;
}

// Each page of the settings dialog, shown without blocking; the page it opens
// on stays as stored.
void TDemo::saveSettingsPages()
{
    TSettings *dlg = FMain->SettingsDialog();
    if (!dlg)
        return;
    TConfig *config = FMain->Config();
    const int active = config->ActiveSetting;
    config->FillDialog();
    dlg->show();
    const char *names[] = {"settings-general.png", "settings-records.png", "settings-signals.png",
                           "settings-port.png",    "settings-view.png",    "settings-data.png",
                           "settings-network.png", "settings-rules.png",   "settings-office.png"};
    for (int i = 0; i < dlg->PageControl1->count() && i < 9; ++i) {
        dlg->PageControl1->setCurrentIndex(i);
        QCoreApplication::processEvents();
        save(dlg, QString::fromLatin1(names[i]));
    }
    dlg->hide();
    config->ActiveSetting = active;
    config->FillDialog();
}

// The reminder list, the number information window and the export dialog.
void TDemo::saveCallDetails()
{
    if (TReminderPanel *reminders = FMain->Reminders())
        save(reminders->parentWidget(), QStringLiteral("reminders.png"));
    if (TFormNumberInfo *info = FMain->NumberInfo()) {
        info->ShowNumber(QStringLiteral("5550101"), -1, FMain, 0);
        QCoreApplication::processEvents();
        save(info, QStringLiteral("number-info.png"));
        info->hide();
    }
    if (TJournalPage *page = FMain->InPage()) {
        std::unique_ptr<QFileDialog> dialog(page->Export().CreateDialog());
        dialog->setDirectory(FFolder);
        dialog->show();
        QCoreApplication::processEvents();
        save(dialog.get(), QStringLiteral("export-dialog.png"));
    }
}

// The robot window with a list (marks, counts, the history of a reached
// number), its list editor and its options, shown without blocking.
void TDemo::saveRobotPages()
{
    TFormPhoneRobot *robot = FMain->RobotWindow();
    if (!robot)
        return;
    const QString list = QDir(FShotDir).filePath(QStringLiteral("robot-demo.txt"));
    {
        QFile f(list);
        if (!f.open(QIODevice::WriteOnly))
            return;
        f.write("5554040 + \xCE\xCE\xCE \xAB\xD0\xEE\xEC\xE0\xF8\xEA\xE0\xBB |3\r\n"
                "5552020 + \xC8\xE2\xE0\xED\xEE\xE2 \xC8. \xC8. |1\r\n"
                "5550001 = \xD1\xEA\xEB\xE0\xE4 |0\r\n"
                "5550002 = \xC0\xEF\xF2\xE5\xEA\xE0 |2\r\n");
    }
    robot->show();
    robot->OpenList(list);
    robot->SGMain->setCurrentCell(0, 1);
    robot->Panels[0]->setText(QStringLiteral(" Линия свободна"));
    robot->Panels[1]->setText(QStringLiteral(" Успешных дозвонов - 2 из 4"));
    robot->Panels[2]->setText(QStringLiteral(" 1-й  проход"));
    QCoreApplication::processEvents();
    save(robot, QStringLiteral("robot-window.png"));
    TFormRobotEditor *editor = robot->Editor();
    editor->SetRows(robot->List().EditorRows());
    editor->show();
    QCoreApplication::processEvents();
    save(editor, QStringLiteral("robot-editor.png"));
    editor->hide();
    TFormRobotOptions *options = robot->Options();
    options->Load(TRobotConfig(), TRobotSchedule(), false);
    options->show();
    QCoreApplication::processEvents();
    save(options, QStringLiteral("robot-options.png"));
    options->hide();
    robot->List().SetState(rlsSaved);
    robot->hide();
    QFile::remove(list);
}

// The information-fields editor for the newest incoming call's number and the
// subscriber dialog filled with the first subscriber, each shown for its grab.
void TDemo::saveCallDetailPages()
{
    if (TFormFieldsEdit *editor = FMain->FieldsEditor()) {
        TIncomingCallBook *in = FMain->InCalls();
        const QString number = in->rowByKey(in->newestCall()).value(1).toString();
        editor->LoadCall(number, ckIncoming);
        if (auto *field = editor->findChild<QLineEdit *>(QStringLiteral("Field1Edit")))
            field->setText(QStringLiteral("Уточнить сроки поставки"));
        editor->show();
        QCoreApplication::processEvents();
        save(editor, QStringLiteral("fields-editor.png"));
        editor->CancelBtnClick();
    }
    if (TNewPerson *person = FMain->NewPerson()) {
        TAddressBook *book = FMain->AddressBook();
        TSubscriber s;
        if (!book->isEmpty()) {
            book->first();
            s.Phone = book->fieldValue(QStringLiteral("Phone")).toString();
            s.Name = book->fieldValue(QStringLiteral("Name")).toString();
            s.Address = book->fieldValue(QStringLiteral("Address")).toString();
            s.Notes = book->fieldValue(QStringLiteral("Notes")).toString();
            s.Attributes = book->CurrentAttributes();
            const QVariant volume = book->fieldValue(QStringLiteral("Volume"));
            s.Volume = volume.isNull() ? -1 : volume.toInt();
            s.HotButton = FMain->HotButtons() ? FMain->HotButtons()->HotButtonOf(book->currentKey()) + 1 : 0;
        }
        person->ClearSubscriber();
        person->SetSubscriber(s);
        person->show();
        QCoreApplication::processEvents();
        save(person, QStringLiteral("subscriber-dialog.png"));
        person->hide();
    }
}

// The search window on both pages with found rows, the period chooser on both
// pages, and the statistics window on a list and on its chart.
void TDemo::saveSearchPages()
{
    TFindCall *find = FMain->FindCall();
    if (!find)
        return;
    find->Prepare(bkIncoming);
    find->show();
    find->SearchBtnClick();
    QCoreApplication::processEvents();
    save(find, QStringLiteral("search-calls.png"));
    find->Pages()->setCurrentIndex(1);
    find->SearchBtnClick();
    QCoreApplication::processEvents();
    save(find, QStringLiteral("search-subscribers.png"));
    find->ClearResult();
    find->hide();

    TFormDateInterval *chooser = FMain->DateInterval();
    chooser->show();
    chooser->Pages()->setCurrentIndex(1);
    QCoreApplication::processEvents();
    save(chooser, QStringLiteral("period-chooser.png"));
    chooser->Pages()->setCurrentIndex(0);
    QCoreApplication::processEvents();
    save(chooser, QStringLiteral("period-chooser-interval.png"));
    chooser->Pages()->setCurrentIndex(1);
    chooser->hide();

    TStats *stats = FMain->Stats();
    FMain->StatBtnClick();
    stats->resize(900, 640);
    QCoreApplication::processEvents();
    save(stats, QStringLiteral("statistics.png"));
    stats->Tabs(0)->setCurrentIndex(stats->Tabs(0)->count() - 1);
    QCoreApplication::processEvents();
    save(stats, QStringLiteral("statistics-chart.png"));
    stats->Tabs(0)->setCurrentIndex(0);
    stats->hide();
}

// The talk-transfer dialog in the middle of a download of three talks.
void TDemo::saveRecordDialog()
{
    TFormRecordDialog *dlg = FMain->RecordDialog();
    if (!dlg || dlg->isVisible())
        return;
    dlg->ShowText(QStringLiteral("ПЕРЕЗАПИСЬ"), QStringLiteral("разговоры/сообщения 1 из 3"), true, false,
                  QStringLiteral("Разговор (входящий звонок) с номера 4951234567\nв 10:15:30 продолжительностью 1 мин. 5 сек."),
                  false, true);
    dlg->ProgressBar1->setValue(40);
    dlg->ProgressBar2->setValue(25);
    dlg->Label3->setText(QStringLiteral("осталость 2 мин. 39 сек."));
    dlg->adjustSize();
    QCoreApplication::processEvents();
    save(dlg, QStringLiteral("record-dialog.png"));
    dlg->ShowText(QStringLiteral("Подтвердите перезапись"), QStringLiteral(" Звонков - 3"), false, true,
                  QStringLiteral("продолжительностью примерно 3 мин. 20 сек."), false, true);
    QCoreApplication::processEvents();
    save(dlg, QStringLiteral("record-dialog-confirm.png"));
    dlg->hide();
    FMain->setEnabled(true);
}

void TDemo::screenshotTick()
{
    ++FTicks;
    FMainShownTicks = FMain->isVisible() ? FMainShownTicks + 1 : 0;
    TAlert *alert = FMain->Alert();
    // The alert is grabbed once the caller's number and history are in.
    const bool alertReady = alert && alert->isVisible() && !alert->Number().isEmpty()
        && alert->Number() != TAlert::NotYetKnown;
    FAlertShownTicks = alertReady ? FAlertShownTicks + 1 : 0;
    if (!FMainTaken && FMainShownTicks >= ShotSettleTicks) {
        FMainTaken = save(FMain, QStringLiteral("main-window.png"));
        // Each page of the main window, then back to the page it showed.
        if (QTabWidget *pages = FMain->Pages()) {
            const int shown = pages->currentIndex();
            const char *names[] = {"page-incoming.png", "page-outgoing.png", "page-address-book.png"};
            for (int i = 0; i < pages->count() && i < 3; ++i) {
                pages->setCurrentIndex(i);
                QCoreApplication::processEvents();
                save(FMain, QString::fromLatin1(names[i]));
            }
            pages->setCurrentIndex(shown);
        }
        saveSettingsPages();
        saveCallDetails();
        saveRobotPages();
        savePhoneSettings();
        saveCallDetailPages();
        saveSearchPages();
        saveRecordDialog();
    }
    if (FMainTaken && !FAlertTaken && FAlertShownTicks >= ShotSettleTicks) {
        FAlertTaken = save(alert, QStringLiteral("alert.png"));
        save(FMain, QStringLiteral("main-window-call.png"));
    }
    if ((FMainTaken && FAlertTaken) || FTicks >= ShotGiveUpTicks || FFailed) {
        if (!(FMainTaken && FAlertTaken))
            FFailed = true;
        FShotTimer->stop();
        FMain->CloseWithoutAsking();
    }
}

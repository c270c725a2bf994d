#include "TMain.h"
#include "TCallHandler.h"
#include "TConfigVolumeSettings.h"
#include "TDialControl.h"
#include "TPhoneLinkAdapter.h"
#include "audio/TGSMRecorder.h"
#include "audio/TMediaPlayer.h"
#include "audio/TPulseMixer.h"
#include "audio/TQtTickTimer.h"
#include "audio/TSoundControl.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "phone/EPhoneError.h"
#include "phone/TPhone.h"
#include "phone/TPhoneCapabilities.h"
#include "phone/TPhoneDetection.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TRecordTableModel.h"
#include "ui/TAlert.h"
#include "ui/TDialBox.h"
#include "ui/TFormMessage.h"
#include "ui/TJournalGridColumns.h"
#include "ui/TJournalGridDelegate.h"
#include "ui/THotButtonsBox.h"
#include "ui/TSplash.h"
#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

const QString TMain::Caption = QStringLiteral("Программа мониторинга телефонной линии");
const QString TMain::TrayTip = QStringLiteral("Монитор телефонной линии");
const QString TMain::ExitQuestion = QStringLiteral("Вы действительно хотите завершить работу программы?");
const QString TMain::ExitCaption = QStringLiteral("Выход из программы");

namespace {

const QString ModelCaption = QStringLiteral("Модель телефона");

QToolButton *toolButton(QWidget *parent, const QString &name, const QString &text, const QString &hint)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setToolTipDuration(10000);
    return b;
}

QGroupBox *groupBox(QWidget *parent, const QString &name, const QString &title)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(name);
    return g;
}

}

// ---------------------------------------------------------------- start-up

TMain::TMain(QWidget *parent) : QMainWindow(parent)
{
    initIconResources();
    setObjectName(QStringLiteral("Main"));
    Startup();
}

bool TMain::LockBaseFolder()
{
    FLock = new QLockFile(QDir(BaseFolder::path()).filePath(QStringLiteral("Konvelo.lock")));
    // A running copy never goes stale by age; a crashed one does by its process id.
    FLock->setStaleLockTime(0);
    if (FLock->tryLock(0))
        return true;
    delete FLock;
    FLock = nullptr;
    return false;
}

void TMain::Startup()
{
    // 1, 2
    StartingUp = true;
    SecondInstance = false;
    if (!LockBaseFolder()) {
        SecondInstance = true;
        StartingUp = false;
        return;
    }
    setWindowTitle(Caption);
    setWindowIcon(StateIcon(1));
    resize(890, 629);
    ConfirmExit = [this] {
        return QMessageBox::question(this, ExitCaption, ExitQuestion, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No)
            == QMessageBox::Yes;
    };

    // 3
    FSplash = new TSplash;
    FSplash->show();
    QApplication::processEvents();
    TrayIconShown = false;

    // 4
    SplashText(QStringLiteral("Инициализация аппарата"));
    FPhone = std::make_unique<TPhone>(this);
    FPhone->Disconnect();
    FLinkAdapter = std::make_unique<TPhoneLinkAdapter>(*FPhone);
    FPrompts.SetParent(this);
    FConfig = std::make_unique<TConfig>(FLinkAdapter.get(), &FPrompts);
    FConfig->SetMainWindow(this);
    FPhone->Connect();

    // 5
    SplashText(QStringLiteral("Настройка устройства"));
    FPhone->SetLocalNumberRule(FConfig->RegionalNumberLength, FConfig->Prefix);

    // The windows the handlers act on.
    createMenu();
    createStatusBar();
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralPanel"));
    auto *vbox = new QVBoxLayout(central);
    vbox->setContentsMargins(2, 2, 2, 2);
    auto *top = new QHBoxLayout;
    vbox->addLayout(top, 1);
    createLeftColumn(central);
    top->addWidget(FLeftColumn);
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setMinimumSize(338, 300);
    top->addWidget(PageControl1, 1);
    setCentralWidget(central);

    // 6 (the handlers are assigned once the tables exist: they read them)
    FDetection = std::make_unique<TPhoneDetection>(*FPhone);
    FDetection->SplashText = [this](const QString &t) { SplashText(t); };
    FDetection->ProcessMessages = [] { QApplication::processEvents(); };
    FDetection->InfoShowing = [this] {
        return FFormMessage && FFormMessage->isVisible() && FFormMessage->windowTitle() == ModelCaption;
    };
    FDetection->ShowInfo = [this](const QString &first, const QString &second, const QString &caption) {
        showInfo(first, second, caption);
    };

    // 8 .. 13
    SplashText(QStringLiteral("Загрузка данных"));
    openTables();
    createJournalPages();
    createPlaybackAndHotButtons();
    vbox->addWidget(FHotGroup);

    FFormMessage = new TFormMessage;
    FAlert = new TAlert(FInCalls, FOutCalls, FConfig.get());
    FAlert->SetImages(TJournalGridDelegate::GridImages(), PageControl1->tabIcon(0), PageControl1->tabIcon(1));

    // 14
    FDialList.Build(*FOutCalls, *FInCalls);
    phNumber->SetCompletion([this](const QString &typed) { return FDialList.Complete(typed); });
    FDialControl = std::make_unique<TDialControl>(*FPhone, FConfig.get());

    // 16 .. 19
    SplashText(QStringLiteral("Инициализация"));
    FMixer = std::make_unique<TPulseMixer>();
    FMediaPlayer = new TMediaPlayer(this);
    FVolumeSettings = std::make_unique<TConfigVolumeSettings>(*FConfig);
    FCreschendoTimer = std::make_unique<TQtTickTimer>();
    FSound = std::make_unique<TSoundControl>(*FMixer, *FMediaPlayer, *FVolumeSettings, *FCreschendoTimer);
    FSound->OnTrackBarMoved = [this](int p) {
        const QSignalBlocker block(TrackBar);
        TrackBar->setValue(p);
    };
    FSound->OnError = [this](const QString &t) { QMessageBox::warning(this, QApplication::applicationName(), t); };
    FSound->Startup();
    FAlert->OnStopRing = [this] { FSound->StopRing(); };
    createPlayback();
    FInCalls->first();
    FOutCalls->first();

    // 21, 22
    FRecorder = new TGSMRecorder(this);
    FSound->TestDuplex([this] { return FRecorder->CanRecord(); });

    // 20 and 6: the call handling with its talk clock.
    connectPhoneEvents();

    // 23
    PageControl1->setCurrentIndex(qBound(0, FConfig->ActivePage, 2));
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMain::pageChanged);

    // 24, 25
    const bool paramsFile = QFile::exists(QDir(BaseFolder::path()).filePath(QStringLiteral("Params.vrx")));
    FRobotItem->setVisible(true);
    FPhoneSettingsItem->setVisible(paramsFile);
    FProfileLoadItem->setVisible(paramsFile);
    FAddressBook->setRegionalNumberLength(FConfig->RegionalNumberLength);

    // 26
    if (FConfig->NeedCheckPort)
        FDetection->FindPort();
    else
        FDetection->CheckPort();

    // 27
    TalkSearchActive = false;
    TalkTransferActive = false;
    Identity = TPhoneIdentity();

    // 28
    if (FPhone->Online()) {
        SplashText(QStringLiteral("Синхронизация часов аппарата"));
        for (int i = 0; i < 3; ++i) {
            FPhone->SetPhoneClock(TDateTime::now());
            if (i < 2)
                QThread::msleep(20);
        }
    }

    // 29
    if (FConfig->AskForCalls && FPhone->Online()) {
        SplashText(QStringLiteral("Запрос информации о звонках"));
        MemoryReadActive = FCallHandler->StartMemoryRead();
    } else
        MemoryReadActive = false;

    // 30
    StartModelDetection();

    // 31
    if (!MemoryReadActive) {
        FPhone->SetPhoneClock(TDateTime::now());
        CloseSplash();
        if (!FConfig->NeedStartMinimized)
            ShowMainWindow();
        RefreshPlayerButtons();
    }

    // 32
    createTrayIcon();
    TrayIconShown = true;
    FCallHandler->PhoneStateChanged(FPhone.get());

    // 33
    RebuildReminders();
    StartingUp = false;
}

void TMain::connectPhoneEvents()
{
    FCallHandler = std::make_unique<TCallHandler>(*FPhone, *FConfig, *FAddressBook, *FInCalls, *FOutCalls,
                                                  *FRecorder, *this, nullptr, this);
    FCallHandler->PhoneCodeReceived = [this](const QString &code) { FDetection->PhoneCodeReceived(code); };
    connect(FCallHandler.get(), &TCallHandler::CallNotWritten, this,
            [this](const QString &t) { showInfo(QStringLiteral("Звонок не записан в журнал"), t, Caption); });
    FCallHandler->Attach(*FPhone);
    // 10, 12: the newest journal rows are the reference for the phone's memory.
    FCallHandler->TakeNewestCalls();
    connect(RecBtn, &QToolButton::clicked, this, [this] { FCallHandler->RecordButtonClick(); });
}

void TMain::openTables()
{
    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    FAddressBook = new TAddressBook(data + QStringLiteral("AddressBook"), this);
    showTableMessage(FAddressBook);
    FAddressBook->SortBy(FConfig->AddressSort);

    FInCalls = new TIncomingCallBook(data + QStringLiteral("InCalls"), this);
    showTableMessage(FInCalls);
    FOutCalls = new TOutgoingCallBook(data + QStringLiteral("OutCalls"), this);
    showTableMessage(FOutCalls);
    auto applyFilter = [](TRecordTable *t, const QString &text) {
        if (text.isEmpty())
            return false;
        try {
            t->setFilter(text);
            t->setFiltered(true);
            return true;
        } catch (const std::exception &) {
            return false;
        }
    };
    FInCalls->setProperty("startFiltered", applyFilter(FInCalls, FConfig->InputFilter));
    FOutCalls->setProperty("startFiltered", applyFilter(FOutCalls, FConfig->OutputFilter));
    FInCalls->SortBy(FConfig->IncomingSort);
    FOutCalls->SortBy(FConfig->OutgoingSort);

    FHotButtons = std::make_unique<THotButtonFile>(BaseFolder::dataPath() + QStringLiteral("/HotBtns.cfg"));
    FHotButtons->load();
}

void TMain::showTableMessage(TRecordTable *table)
{
    if (!table->openMessage().isEmpty())
        QMessageBox::warning(FSplash, QApplication::applicationName(), table->openMessage());
}

// ---------------------------------------------------------------- layout

void TMain::createMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QMenu *menu, const QString &name, const QString &text, const QKeySequence &key = {},
                       bool enabled = false) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setEnabled(enabled);
        return a;
    };
    QMenu *file = bar->addMenu(QStringLiteral("&Файл"));
    file->setObjectName(QStringLiteral("FileMenu"));
    item(file, QStringLiteral("ExportRecordItem"), QStringLiteral("&Экспортировать запись"), QKeySequence(QStringLiteral("Alt+E")));
    file->addSeparator();
    item(file, QStringLiteral("ClearInItem"), QStringLiteral("Очистка памяти &входящих"));
    item(file, QStringLiteral("ClearOutItem"), QStringLiteral("Очистка памяти &исходящих"));
    item(file, QStringLiteral("ClearAddressItem"), QStringLiteral("&Очистка записной книжки"));
    file->addSeparator();
    FExitItem = item(file, QStringLiteral("ExitItem"), QStringLiteral("&Выход"), QKeySequence(QStringLiteral("Alt+X")), true);
    connect(FExitItem, &QAction::triggered, this, &QWidget::close);

    QMenu *call = bar->addMenu(QStringLiteral("&Звонок"));
    call->setObjectName(QStringLiteral("CallMenu"));
    FDialItem = item(call, QStringLiteral("DialItem"), QStringLiteral("&Набрать номер"), QKeySequence(QStringLiteral("Alt+D")));
    FHangUpItem = item(call, QStringLiteral("HangUpItem"), QStringLiteral("&Сброс"), QKeySequence(QStringLiteral("Alt+R")));
    connect(FDialItem, &QAction::triggered, this, &TMain::CallBtnClick);
    connect(FHangUpItem, &QAction::triggered, this, &TMain::HangUpItemClick);

    QMenu *search = bar->addMenu(QStringLiteral("П&оиск"));
    search->setObjectName(QStringLiteral("SearchMenu"));
    item(search, QStringLiteral("FindItem"), QStringLiteral("&Найти"), QKeySequence(QStringLiteral("Ctrl+F")));

    QMenu *memory = bar->addMenu(QStringLiteral("П&амять"));
    memory->setObjectName(QStringLiteral("MemoryMenu"));
    item(memory, QStringLiteral("DeleteCellItem"), QStringLiteral("&Удалить ячейку памяти"), QKeySequence(QStringLiteral("Ctrl+D")));
    item(memory, QStringLiteral("EditCellItem"), QStringLiteral("&Редактировать ячейку записной книжки"),
         QKeySequence(QStringLiteral("Ctrl+R")));

    QMenu *service = bar->addMenu(QStringLiteral("&Сервис"));
    service->setObjectName(QStringLiteral("ServiceMenu"));
    FDisconnectItem = item(service, QStringLiteral("DisconnectItem"), QStringLiteral("&Отключиться от аппарата"),
                           QKeySequence(QStringLiteral("Alt+Z")), true);
    FDisconnectItem->setCheckable(true);
    FDisconnectItem->setChecked(false);
    connect(FDisconnectItem, &QAction::triggered, this, &TMain::DisconnectItemClick);
    service->addSeparator();
    item(service, QStringLiteral("StatOptionsItem"), QStringLiteral("&Параметры статистики"));
    item(service, QStringLiteral("SettingsItem"), QStringLiteral("&Настройки программы"), QKeySequence(QStringLiteral("Ctrl+P")));
    service->addSeparator();
    FPhoneSettingsItem = item(service, QStringLiteral("PhoneSettingsItem"), QStringLiteral("&Редактор настроек телефона"));
    FProfileLoadItem = item(service, QStringLiteral("ProfileLoadItem"), QStringLiteral("&Загрузка профиля в телефон"));
    FRobotItem = item(service, QStringLiteral("RobotItem"), QStringLiteral("Телефонный робот"));

    QMenu *help = bar->addMenu(QStringLiteral("&Помощь"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    item(help, QStringLiteral("HelpItem"), QStringLiteral("Сп&равка"));
    const QString history = QDir(BaseFolder::path()).filePath(QStringLiteral("History.html"));
    QAction *historyItem = item(help, QStringLiteral("HistoryItem"), QStringLiteral("&История версий"), {},
                                QFile::exists(history));
    connect(historyItem, &QAction::triggered, this,
            [history] { QDesktopServices::openUrl(QUrl::fromLocalFile(history)); });
    QAction *about = item(help, QStringLiteral("AboutItem"), QStringLiteral("&О программе"), {}, true);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(this, QStringLiteral("О программе"),
                           QStringLiteral("Konvelo %1\n%2").arg(QApplication::applicationVersion(), TrayTip));
    });
    FModelItem = item(help, QStringLiteral("ModelItem"), QStringLiteral("&Модель телефона"));
    connect(FModelItem, &QAction::triggered, this, &TMain::PhoneModelItemClick);
}

void TMain::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFixedHeight(34);
    bar->setSizeGripEnabled(true);
    FStatusImage = new QLabel(bar);
    FStatusImage->setObjectName(QStringLiteral("StatusPanel0"));
    FStatusImage->setFixedWidth(32);
    FStatusImage->setAlignment(Qt::AlignCenter);
    FStatusLabel = new QLabel(bar);
    FStatusLabel->setObjectName(QStringLiteral("StatusPanel1"));
    FStatusLabel->setFixedWidth(250);
    FNumberLabel = new QLabel(QStringLiteral(" Номер: "), bar);
    FNumberLabel->setObjectName(QStringLiteral("StatusPanel2"));
    bar->addWidget(FStatusImage);
    bar->addWidget(FStatusLabel);
    bar->addWidget(FNumberLabel, 1);
    SetStateImage(1);
}

void TMain::createLeftColumn(QWidget *parent)
{
    FLeftColumn = new QWidget(parent);
    FLeftColumn->setObjectName(QStringLiteral("LeftPanel"));
    FLeftColumn->setFixedWidth(193);
    auto *column = new QVBoxLayout(FLeftColumn);
    column->setContentsMargins(0, 0, 0, 0);

    QGroupBox *dial = groupBox(FLeftColumn, QStringLiteral("GroupBoxDial"), QStringLiteral("Набор"));
    auto *dialLayout = new QGridLayout(dial);
    phNumber = new TDialBox(dial);
    phNumber->setObjectName(QStringLiteral("phNumber"));
    dialLayout->addWidget(phNumber, 0, 0, 1, 2);
    CallBtn = new QPushButton(TDialControl::DialCaption, dial);
    CallBtn->setObjectName(QStringLiteral("CallBtn"));
    CallBtn->setEnabled(false);
    dialLayout->addWidget(CallBtn, 1, 0);
    SpeedButtonNumberInfo = toolButton(dial, QStringLiteral("SpeedButtonNumberInfo"), QStringLiteral("i"),
                                       QStringLiteral("Информация"));
    SpeedButtonNumberInfo->setEnabled(false);   // the number information window comes later
    dialLayout->addWidget(SpeedButtonNumberInfo, 1, 1);
    connect(CallBtn, &QPushButton::clicked, this, &TMain::CallBtnClick);
    connect(phNumber, &TDialBox::EnterPressed, this, [this](const QString &text) {
        try {
            FDialControl->EnterPressed(text);
        } catch (const EPhoneError &e) {
            QMessageBox::critical(this, QApplication::applicationName(), e.Message());
        }
    });
    connect(phNumber, &TDialBox::EscapePressed, this, [this] { FDialControl->EscapePressed(); });
    column->addWidget(dial);

    QGroupBox *volume = groupBox(FLeftColumn, QStringLiteral("GroupBoxVolume"), QStringLiteral("Громкость"));
    auto *volumeLayout = new QHBoxLayout(volume);
    QToolButton *down = toolButton(volume, QStringLiteral("SpeedButton2"), QStringLiteral("<"),
                                   QStringLiteral("Уменьшить громкость"));
    TrackBar = new QSlider(Qt::Horizontal, volume);
    TrackBar->setObjectName(QStringLiteral("TrackBar"));
    TrackBar->setRange(0, 100);
    QToolButton *up = toolButton(volume, QStringLiteral("SpeedButton1"), QStringLiteral(">"),
                                 QStringLiteral("Увеличить громкость"));
    volumeLayout->addWidget(down);
    volumeLayout->addWidget(TrackBar, 1);
    volumeLayout->addWidget(up);
    connect(TrackBar, &QSlider::valueChanged, this, &TMain::volumeBarMoved);
    connect(down, &QToolButton::clicked, this, [this] { FSound->SpeedButton2Click(); });
    connect(up, &QToolButton::clicked, this, [this] { FSound->SpeedButton1Click(); });
    column->addWidget(volume);

    QGroupBox *reminders = groupBox(FLeftColumn, QStringLiteral("GroupBoxReminder"),
                                    QStringLiteral("Напоминание о звонках "));
    auto *reminderLayout = new QVBoxLayout(reminders);
    reminderLayout->setContentsMargins(3, 3, 3, 3);   // the three captions fit the column
    auto *panel = new QWidget(reminders);
    panel->setObjectName(QStringLiteral("PanelCallReminder"));
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    auto *head = new QHBoxLayout;
    head->setSpacing(1);
    QToolButton *info = toolButton(panel, QStringLiteral("SB_ReminderInfo"), QStringLiteral("Информация"),
                                   QStringLiteral("Информация"));
    QToolButton *callBack = toolButton(panel, QStringLiteral("SB_ReminderCall"), QStringLiteral("Звонить"),
                                       QStringLiteral("Звонить"));
    QToolButton *all = toolButton(panel, QStringLiteral("SB_ReminderAll"), QStringLiteral("Все"),
                                  QStringLiteral("Все звонки с напоминанием"));
    all->setCheckable(true);
    for (QToolButton *b : {info, callBack, all}) {
        QFont small = b->font();   // the three captions fit the 193 px column
        small.setPointSizeF(small.pointSizeF() * 0.9);
        b->setFont(small);
        b->setEnabled(false);   // the reminder list comes with its own window logic
        head->addWidget(b);
    }
    panelLayout->addLayout(head);
    auto *list = new QTableWidget(1, 3, panel);
    list->setObjectName(QStringLiteral("SGReminder"));
    list->horizontalHeader()->hide();
    list->verticalHeader()->hide();
    list->setColumnHidden(2, true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->verticalHeader()->setDefaultSectionSize(17);
    list->hide();
    panelLayout->addWidget(list, 1);
    panelLayout->addStretch(0);   // keeps the buttons at the top while the list is hidden
    reminderLayout->addWidget(panel);
    column->addWidget(reminders, 1);
}

void TMain::bindGrid(QTableView *grid, TRecordTable *table, const QList<QPair<QString, QString>> &columns,
                     const QString &extraColumn)
{
    auto *source = new TRecordTableModel(table, table);
    auto *model = new TJournalGridColumns(source, table->schema(), columns, extraColumn, grid);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->verticalHeader()->setFixedWidth(12);
    for (int c = model->shownCount(); c < model->columnCount(); ++c)
        grid->setColumnHidden(c, true);
    if (!columns.isEmpty() && columns.first().first == QLatin1String("Phone"))
        grid->setColumnWidth(0, 80);

    // The grid's selection and the table's current row follow each other.
    auto selectCurrent = [grid, source] {
        const int row = source->currentRow();
        if (row >= 0 && grid->currentIndex().row() != row)
            grid->selectRow(row);
    };
    connect(table, &TRecordTable::currentChanged, grid, selectCurrent);
    connect(model, &QAbstractItemModel::modelReset, grid, selectCurrent, Qt::QueuedConnection);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, table,
            [table](const QModelIndex &current) {
                if (current.isValid() && table->recNo() != current.row())
                    table->setRecNo(current.row());
            });
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this, grid, table, model](int c) {
        const QString field = model->fieldOf(c);
        // The talk column of a journal sorts nothing.
        if (grid != AddressGrid && field == QLatin1String("FileName"))
            return;
        table->SortBy(field);
        const int kind = grid == InGrid ? 0 : grid == OutGrid ? 1 : 2;
        FConfig->SetSortField(kind, field);
        updateTitleFonts();
    });
    selectCurrent();
}

void TMain::createJournalPages()
{
    auto page = [this](const QString &name, const QString &caption, const QString &hint, int index) {
        auto *w = new QWidget(PageControl1);
        w->setObjectName(name);
        PageControl1->addTab(w, QIcon(QStringLiteral(":/icons/page%1.svg").arg(index)), caption);
        PageControl1->setTabToolTip(index, hint);
        auto *layout = new QVBoxLayout(w);
        layout->setContentsMargins(2, 2, 2, 2);
        return layout;
    };
    auto toolbar = [](QWidget *parent, const QString &name, const QList<QStringList> &buttons) {
        auto *bar = new QToolBar(parent);
        bar->setObjectName(name);
        bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
        QList<QToolButton *> made;
        for (const QStringList &b : buttons) {
            QToolButton *t = toolButton(bar, b.at(0), b.at(1), b.at(2));
            t->setEnabled(false);   // the journal commands come with the journal views
            bar->addWidget(t);
            made << t;
        }
        return std::make_pair(bar, made);
    };
    const QString talkHint = QStringLiteral("Загрузить на ПК разговор");
    const QString allTalksHint = QStringLiteral("Загрузить на ПК все разговоры");

    // Incoming.
    QVBoxLayout *in = page(QStringLiteral("TabSheetIn"), QStringLiteral("Входящие"),
                           QStringLiteral("Список входящих вызовов"), 0);
    auto [inBar, inButtons] = toolbar(PageControl1->widget(0), QStringLiteral("ToolBar3"),
        {{QStringLiteral("InSearchBtn"), QStringLiteral("Искать"), QStringLiteral("Искать")},
         {QStringLiteral("InFilterBtn"), QStringLiteral("Фильтр"), QStringLiteral("Фильтровать записи")},
         {QStringLiteral("PlayRecBtn"), QStringLiteral("Разговор"), QStringLiteral("Воспроизводить разговор")},
         {QStringLiteral("PlayMessBtn"), QStringLiteral("Сообщение"), QStringLiteral("Воспроизводить сообщение")},
         {QStringLiteral("InDeleteBtn"), QStringLiteral("Удалить"), QStringLiteral("Удалить запись")},
         {QStringLiteral("InSaveFileBtn"), QStringLiteral("Сохранить"), QStringLiteral("Сохранить звуковой файл")},
         {QStringLiteral("ShowFieldsInBtn"), QStringLiteral("Заметки"), QStringLiteral("Отобразить/скрыть заметки")},
         {QStringLiteral("InExportToTextBtn"), QStringLiteral("Экспорт"),
          QStringLiteral("Экспортировать журнал записей в текстовый файл")},
         {QStringLiteral("InStatBtn"), QStringLiteral("Статистика"), QStringLiteral("Статистика звонков")},
         {QStringLiteral("ToolButtonGetTalk"), QStringLiteral("Загрузить"), talkHint},
         {QStringLiteral("ToolButtonGetAllTalks"), QStringLiteral("Загрузить все"), allTalksHint}});
    in->addWidget(inBar);
    InGrid = new QTableView(PageControl1->widget(0));
    InGrid->setObjectName(QStringLiteral("InGrid"));
    in->addWidget(InGrid, 1);
    auto *panelIn = new QWidget(PageControl1->widget(0));
    panelIn->setObjectName(QStringLiteral("PanelFieldsIn"));
    panelIn->setFixedHeight(85);
    panelIn->hide();   // shown by the information-field rules of the journal views
    in->addWidget(panelIn);

    // Outgoing.
    QVBoxLayout *out = page(QStringLiteral("TabSheetOut"), QStringLiteral("Исходящие"),
                            QStringLiteral("Список исходящих вызовов"), 1);
    auto [outBar, outButtons] = toolbar(PageControl1->widget(1), QStringLiteral("ToolBar4"),
        {{QStringLiteral("OutSearchBtn"), QStringLiteral("Искать"), QStringLiteral("Искать")},
         {QStringLiteral("OutFilterBtn"), QStringLiteral("Фильтр"), QStringLiteral("Фильтровать записи")},
         {QStringLiteral("OutDeleteBtn"), QStringLiteral("Удалить"), QStringLiteral("Удалить запись")},
         {QStringLiteral("OutSaveFileBtn"), QStringLiteral("Сохранить"), QStringLiteral("Сохранить звуковой файл")},
         {QStringLiteral("ShowFieldsOutBtn"), QStringLiteral("Заметки"), QStringLiteral("Отобразить/скрыть заметки")},
         {QStringLiteral("OutExportToTextBtn"), QStringLiteral("Экспорт"),
          QStringLiteral("Экспортировать журнал записей в текстовый файл")},
         {QStringLiteral("OutStatBtn"), QStringLiteral("Статистика"), QStringLiteral("Статистика звонков")},
         {QStringLiteral("ToolButtonGetOutTalk"), QStringLiteral("Загрузить"), talkHint},
         {QStringLiteral("ToolButtonGetAllTalk"), QStringLiteral("Загрузить все"), allTalksHint}});
    out->addWidget(outBar);
    OutGrid = new QTableView(PageControl1->widget(1));
    OutGrid->setObjectName(QStringLiteral("OutGrid"));
    out->addWidget(OutGrid, 1);
    auto *panelOut = new QWidget(PageControl1->widget(1));
    panelOut->setObjectName(QStringLiteral("PanelFieldsOut"));
    panelOut->setFixedHeight(85);
    panelOut->hide();
    out->addWidget(panelOut);

    // Address book.
    QVBoxLayout *book = page(QStringLiteral("TabSheetAddress"), QStringLiteral("Записная книжка"),
                             QStringLiteral("Личная записная книжка"), 2);
    auto [bookBar, bookButtons] = toolbar(PageControl1->widget(2), QStringLiteral("AddressToolBar"),
        {{QStringLiteral("AddrSearchBtn"), QStringLiteral("Искать"), QStringLiteral("Искать абонента")},
         {QStringLiteral("NewPersonBtn"), QStringLiteral("Добавить"), QStringLiteral("Добавить абонента")},
         {QStringLiteral("EditPersonBtn"), QStringLiteral("Редактировать"), QStringLiteral("Редактировать абонента")},
         {QStringLiteral("DeletePersonBtn"), QStringLiteral("Удалить"), QStringLiteral("Удалить абонента")}});
    book->addWidget(bookBar);
    AddressGrid = new QTableView(PageControl1->widget(2));
    AddressGrid->setObjectName(QStringLiteral("AddressGrid"));
    book->addWidget(AddressGrid, 3);
    auto *notes = new QPlainTextEdit(PageControl1->widget(2));
    notes->setObjectName(QStringLiteral("Notes"));
    notes->setReadOnly(true);
    book->addWidget(notes, 2);

    for (QToolButton *b : inButtons + outButtons) {
        if (b->objectName() == QLatin1String("InFilterBtn"))
            InFilterBtn = b;
        else if (b->objectName() == QLatin1String("OutFilterBtn"))
            OutFilterBtn = b;
        else if (b->objectName().startsWith(QLatin1String("ToolButtonGet"))) {
            FTalkDownloadButtons << b;
            b->setVisible(false);
        }
    }
    // A journal that starts filtered shows its filter button pressed.
    for (auto [button, table] : {std::make_pair(InFilterBtn, static_cast<TRecordTable *>(FInCalls)),
                                 std::make_pair(OutFilterBtn, static_cast<TRecordTable *>(FOutCalls))}) {
        button->setCheckable(true);
        const bool on = table->property("startFiltered").toBool();
        button->setChecked(on);
        button->setEnabled(on);
        connect(button, &QToolButton::toggled, table, [table](bool down) {
            if (!table->filter().isEmpty())
                table->setFiltered(down);
        });
    }

    bindGrid(InGrid, FInCalls,
             {{QStringLiteral("Phone"), QStringLiteral("Телефон")},
              {QStringLiteral("Time"), QStringLiteral("Время")},
              {QStringLiteral("Length"), QStringLiteral("Продолжительность")},
              {QStringLiteral("AutoAnswer"), QStringLiteral("Автоответ")},
              {QStringLiteral("FileName"), QStringLiteral("Разговор")},
              {QStringLiteral("MessageFileName"), QStringLiteral("Сообщение")},
              {QStringLiteral("Category"), QStringLiteral("Категория")}});
    InGrid->setColumnWidth(6, 60);
    bindGrid(OutGrid, FOutCalls,
             {{QStringLiteral("Phone"), QStringLiteral("Телефон")},
              {QStringLiteral("Time"), QStringLiteral("Время")},
              {QStringLiteral("Length"), QStringLiteral("Продолжительность")},
              {QStringLiteral("Attributes"), QStringLiteral("Место звонка")},
              {QStringLiteral("FileName"), QStringLiteral("Разговор")}});
    bindGrid(AddressGrid, FAddressBook,
             {{QStringLiteral("Phone"), QStringLiteral("Телефон")},
              {QStringLiteral("Name"), QStringLiteral("Имя")},
              {QStringLiteral("Address"), QStringLiteral("Адрес")}},
             QStringLiteral("Параметры"));
    connect(FAddressBook, &TRecordTable::currentChanged, notes,
            [this, notes] { notes->setPlainText(FAddressBook->fieldValue(QStringLiteral("Notes")).toString()); });
    notes->setPlainText(FAddressBook->fieldValue(QStringLiteral("Notes")).toString());
    updateTitleFonts();
    setupJournalViews();
}

void TMain::updateTitleFonts()
{
    for (auto [grid, table] : {std::make_pair(InGrid, static_cast<TRecordTable *>(FInCalls)),
                               std::make_pair(OutGrid, static_cast<TRecordTable *>(FOutCalls)),
                               std::make_pair(AddressGrid, static_cast<TRecordTable *>(FAddressBook))}) {
        auto *model = static_cast<TJournalGridColumns *>(grid->model());
        model->setBoldField(table->sortField());
    }
}

void TMain::createPlaybackAndHotButtons()
{
    // "Запись": the journal player and the record button.
    FRecordGroup = groupBox(FLeftColumn, QStringLiteral("GroupBoxRecord"), QStringLiteral("Запись"));
    auto *layout = new QVBoxLayout(FRecordGroup);
    auto *row = new QHBoxLayout;
    SpeedButton3 = toolButton(FRecordGroup, QStringLiteral("SpeedButton3"), QStringLiteral("<"), QStringLiteral("<"));
    // A plain row rather than a QToolBar, which folds buttons away behind an
    // extension arrow in the 193 px column.
    auto *bar = new QWidget(FRecordGroup);
    bar->setObjectName(QStringLiteral("ToolBar2"));
    PlayButton = toolButton(bar, QStringLiteral("PlayButton"), QStringLiteral("▶"), QStringLiteral("Воспроизвести"));
    PauseBtn = toolButton(bar, QStringLiteral("PauseBtn"), QStringLiteral("❚❚"), QStringLiteral("Пауза"));
    StopBtn = toolButton(bar, QStringLiteral("StopBtn"), QStringLiteral("■"), QStringLiteral("Стоп"));
    RecBtn = toolButton(bar, QStringLiteral("RecBtn"), QStringLiteral("●"), QStringLiteral("Включить запись"));
    RecBtn->setCheckable(true);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(2);
    for (QToolButton *b : {PlayButton, PauseBtn, StopBtn, RecBtn}) {
        b->setEnabled(false);
        b->setFixedSize(26, 24);
        barLayout->addWidget(b);
    }
    SpeedButton4 = toolButton(FRecordGroup, QStringLiteral("SpeedButton4"), QStringLiteral(">"), QStringLiteral(">"));
    SpeedButton3->setEnabled(false);
    SpeedButton4->setEnabled(false);
    SpeedButton3->setFixedSize(24, 24);
    SpeedButton4->setFixedSize(24, 24);
    row->setSpacing(2);
    row->addWidget(SpeedButton3);
    row->addWidget(bar, 1);
    row->addWidget(SpeedButton4);
    layout->addLayout(row);
    SoundTrack = new QSlider(Qt::Horizontal, FRecordGroup);
    SoundTrack->setObjectName(QStringLiteral("SoundTrack"));
    SoundTrack->setEnabled(false);
    layout->addWidget(SoundTrack);
    RestTime = new QLabel(FRecordGroup);
    RestTime->setObjectName(QStringLiteral("RestTime"));
    RestTime->setAlignment(Qt::AlignCenter);
    RestTime->setMinimumHeight(RestTime->fontMetrics().height());
    layout->addWidget(RestTime);
    static_cast<QVBoxLayout *>(FLeftColumn->layout())->insertWidget(1, FRecordGroup);

    // "Горячие номера": 18 buttons bound through Data/HotBtns.cfg.
    FHotBox = new THotButtonsBox(FAddressBook, FHotButtons.get(), [this](const QString &number) {
        phNumber->SetNumber(number);
        CallBtnClick();
    }, centralWidget());
    FHotGroup = FHotBox;
}

void TMain::createTrayIcon()
{
    FTrayIcon = new QSystemTrayIcon(StateIcon(FStateImage), this);
    FTrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    FTrayIcon->setToolTip(TrayTip);
    FTrayMenu = new QMenu(this);
    FTrayMenu->setObjectName(QStringLiteral("TrayMenu"));
    QAction *open = FTrayMenu->addAction(QStringLiteral("&Открыть"));
    open->setObjectName(QStringLiteral("TrayOpenItem"));
    QAction *quit = FTrayMenu->addAction(QStringLiteral("&Выйти"));
    quit->setObjectName(QStringLiteral("TrayExitItem"));
    connect(open, &QAction::triggered, this, &TMain::TrayOpenClick);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    FTrayIcon->setContextMenu(FTrayMenu);
    connect(FTrayIcon, &QSystemTrayIcon::activated, this, &TMain::trayActivated);
    FTrayIcon->show();
}

// ---------------------------------------------------------------- shutdown

void TMain::closeEvent(QCloseEvent *event)
{
    if (SecondInstance || FShutDown) {
        event->accept();
        return;
    }
    if (!FCloseWithoutAsking && ConfirmExit && !ConfirmExit()) {
        event->ignore();
        return;
    }
    event->accept();
    Shutdown();
    QApplication::quit();
}

void TMain::CloseWithoutAsking()
{
    FCloseWithoutAsking = true;
    if (isVisible())
        close();
    else {
        Shutdown();
        QApplication::quit();
    }
}

void TMain::Shutdown()
{
    if (FShutDown || SecondInstance)
        return;
    FShutDown = true;
    // 1, 2
    if (isVisible())
        FSound->StopSound();
    // A call still on the line goes into its journal with the talk recorded so
    // far, as when the line drops it; stopping the recorder alone would leave
    // the call out of the journal and its recording without a row.
    if (FPhone && (FPhone->State() == psIncomingCall || FPhone->State() == psOutgoingCall))
        FPhone->Disconnect();
    if (FRecorder->State() != rsWaiting)
        FRecorder->Stop();
    // 3
    FConfig->InputFilter = FInCalls->filtered() ? FInCalls->filter() : QString();
    FConfig->OutputFilter = FOutCalls->filtered() ? FOutCalls->filter() : QString();
    // 4
    FConfig->FillDialog();
    FConfig->Save();
    FConfig->WriteLastOff();
    // 5
    if (FTrayIcon)
        FTrayIcon->hide();
    TrayIconShown = false;
    if (FAlert)
        FAlert->hide();
    if (FFormMessage)
        FFormMessage->hide();
}

TMain::~TMain()
{
    if (SecondInstance) {
        delete FLock;
        return;
    }
    Shutdown();
    // The grids' event filter is a child and would outlive the members its
    // handler reads.
    delete FJournalEvents;
    FJournalEvents = nullptr;
    // 6: the windows that read the tables first, then the tables, the settings
    // (which save once more) and the phone link (which closes the port).
    delete FAlert;
    FAlert = nullptr;
    delete FFormMessage;
    FFormMessage = nullptr;
    delete FSplash;
    FSplash = nullptr;
    // The phone link raises no more events once its handlers are gone.
    FPhone->OnStateChanged = {};
    FPhone->OnStartCall = {};
    FPhone->OnGotPhoneNumber = {};
    FPhone->OnStartTalk = {};
    FPhone->OnEndCall = {};
    FPhone->OnReceiverUp = {};
    FPhone->OnLineFree = {};
    FPhone->OnCallerMessage = {};
    FPhone->OnPhoneRecord = {};
    FPhone->OnPhoneCode = {};
    FPhone->OnStopSendTalk = {};
    FCallHandler.reset();
    FDialList.Clear();
    FHotButtons.reset();
    for (QTableView *grid : {InGrid, OutGrid, AddressGrid})
        grid->setModel(nullptr);
    delete FInCalls;
    delete FOutCalls;
    delete FAddressBook;
    FConfig.reset();
    FDetection.reset();
    FPhone.reset();
    // 7
    FSound->Shutdown();
    FSound.reset();
    delete FLock;
}

// ---------------------------------------------------------------- window

void TMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Minimising hides the window; the tray icon brings it back.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && !StartingUp)
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) {
                hide();
                setWindowState(windowState() & ~Qt::WindowMinimized);
            }
        });
}

void TMain::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        TrayOpenClick();
}

void TMain::TrayOpenClick()
{
    FActiveBeforeTray = QApplication::activeWindow();
    ShowMainWindow();
    raise();
    activateWindow();
    if (FActiveBeforeTray && FActiveBeforeTray != this)
        FActiveBeforeTray->raise();
}

void TMain::ShowMainWindow()
{
    if (isVisible() && !isMinimized())
        return;
    applyWindowBounds();
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
}

void TMain::applyWindowBounds()
{
    if (!FConfig)
        return;
    if (FConfig->Width > 0 && FConfig->Height > 0)
        setGeometry(FConfig->Left, FConfig->Top, qMax(FConfig->Width, 600), qMax(FConfig->Height, 450));
    if (FConfig->WindowState == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
}

IMainWindowSettings::TBounds TMain::Bounds() const
{
    TBounds b;
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    b.Left = g.left();
    b.Top = g.top();
    b.Width = g.width();
    b.Height = g.height();
    b.WindowState = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    return b;
}

void TMain::SettingsApplied()
{
    ResetVolume();
    for (QTableView *grid : {InGrid, OutGrid, AddressGrid})
        grid->viewport()->update();
}

void TMain::pageChanged(int Index)
{
    FConfig->ActivePage = Index;
    RefreshCurrentRow();
}

void TMain::volumeBarMoved(int Position)
{
    FSound->SetTrackBarPosition(Position);
}

int TMain::SavedVolume() const
{
    return FSound ? FSound->SavedVolume : 0;
}

// ---------------------------------------------------------------- commands

void TMain::DisconnectItemClick()
{
    if (FDisconnectItem->isChecked())
        FPhone->Disconnect();
    else
        FPhone->Connect();
}

void TMain::PhoneModelItemClick()
{
    if (!FPhone->Online()) {
        showInfo(QStringLiteral("Информация недоступна"), QString(), ModelCaption);
        return;
    }
    showInfo(QString(), QStringLiteral("анализ запроса"), ModelCaption);
    StartModelDetection();
}

void TMain::CallBtnClick()
{
    QString number = phNumber->text();
    QString caption = CallBtn->text();
    try {
        const TDialControl::TAction a = FDialControl->CallClick(number, &caption);
        if (a == TDialControl::daDialled)
            phNumber->SetNumber(number);
    } catch (const EPhoneError &e) {
        QMessageBox::critical(this, QApplication::applicationName(), e.Message());
    }
    CallBtn->setText(caption);
}

void TMain::HangUpItemClick()
{
    FDialControl->EscapePressed();
}

void TMain::showInfo(const QString &First, const QString &Second, const QString &Caption)
{
    FFormMessage->ShowInfo(First, Second, Caption);
}

// ---------------------------------------------------------------- TPhoneHost

void TMain::StartModelDetection()
{
    if (FDetection)
        FDetection->StartModelDetection();
}

void TMain::ProcessMessages()
{
    QApplication::processEvents();
}

void TMain::CloseSplash()
{
    if (!FSplash)
        return;
    FSplash->hide();
    FSplash->deleteLater();
    FSplash = nullptr;
}

void TMain::RefreshPhoneInfo()
{
    if (FDetection && FDetection->InfoShowing())
        FDetection->ShowPhoneIdentity();
}

void TMain::UpdateFirmwareCommands()
{
    const bool paramsFile = QFile::exists(QDir(BaseFolder::path()).filePath(QStringLiteral("Params.vrx")));
    const TPhoneCapabilities c = TPhoneCapabilities::From(Identity, paramsFile);
    if (!c.Known)
        return;
    for (QToolButton *b : FTalkDownloadButtons)
        b->setVisible(c.TalkDownload);
    FRobotItem->setVisible(c.Robot);
    FPhoneSettingsItem->setVisible(c.PhoneSettings);
    FProfileLoadItem->setVisible(c.PhoneSettings);
}

void TMain::EndMemoryRead()
{
    if (FCallHandler)
        FCallHandler->EndMemoryRead();
}

// ---------------------------------------------------------------- ICallView

QString TMain::StatusText() const
{
    return FStatusLabel->text();
}

QString TMain::NumberPanelText() const
{
    return FNumberLabel->text();
}

QIcon TMain::StateIcon(int Index)
{
    return QIcon(QStringLiteral(":/icons/state%1.svg").arg(qBound(0, Index, 5)));
}

void TMain::SetStatusText(const QString &Text)
{
    FStatusLabel->setText(Text);
}

void TMain::SetNumberText(const QString &Text)
{
    FNumberLabel->setText(QStringLiteral(" Номер: ") + Text);
}

void TMain::SetStateImage(int Index)
{
    FStateImage = Index;
    FStatusImage->setPixmap(StateIcon(Index).pixmap(24, 24));
    if (TrayIconShown && FTrayIcon)
        FTrayIcon->setIcon(StateIcon(Index));
}

void TMain::EnableCallCommands(bool Enabled)
{
    CallBtn->setEnabled(Enabled);
    FDialItem->setEnabled(Enabled);
    FHangUpItem->setEnabled(Enabled);
}

void TMain::SetCallButtonCaption(const QString &Caption)
{
    CallBtn->setText(Caption);
}

void TMain::EnableProfileLoad(bool Enabled)
{
    // The profile-loading window comes later; the item stays disabled until then.
    FProfileLoadWanted = Enabled;
}

void TMain::EnablePhoneModel(bool Enabled)
{
    FModelItem->setEnabled(Enabled);
}

void TMain::PhoneSettingsStateChanged()
{
    // No phone-settings editor is open in this program yet.
}

void TMain::RobotPhoneStateChanged(bool)
{
    // No robot window yet; the robot mode is never entered.
}

void TMain::ShowCaller(const QString &Number, const QString &Name, const QString &Notes, const QString &Address)
{
    FAlert->ShowCaller(Number, Name, Notes, Address);
    QApplication::processEvents();
    if (!FAlert->isVisible()) {
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect a = screen->availableGeometry();
            FAlert->resize(a.width() * 3 / 4, a.height() * 3 / 4);
            FAlert->move(a.center() - FAlert->rect().center());
        }
        FAlert->show();
    }
    FAlert->raise();
}

void TMain::CloseAlert()
{
    if (FAlert->isVisible())
        FAlert->close();
}

bool TMain::AlertShowing() const
{
    return FAlert && FAlert->isVisible();
}

void TMain::StartNumberTimeout()
{
    FAlert->StartNumberTimeout();
}

void TMain::StartRing(bool SubscriberFound)
{
    if (!SubscriberFound) {
        FSound->StartRing(nullptr);
        return;
    }
    TRingSubscriber s;
    const QVariant volume = FAddressBook->fieldValue(QStringLiteral("Volume"));
    s.Volume = volume.isNull() ? -1 : volume.toInt();
    s.Creschendo = FAddressBook->fieldValue(QStringLiteral("Creschendo")).toBool();
    s.SoundFile = FAddressBook->fieldValue(QStringLiteral("SoundFile")).toString();
    FSound->StartRing(&s);
}

void TMain::StopCrescendo()
{
    FSound->StopCrescendo();
}

void TMain::StopSound()
{
    FSound->StopSound();
}

bool TMain::SoundPlaying() const
{
    return FMediaPlayer && FMediaPlayer->Mode() == mpPlaying;
}

void TMain::ResetVolume()
{
    if (FSound)
        FSound->ResetVolume();
}

void TMain::SetVolumeFollowsTrack()
{
    FSound->FVolumeFollowsTrack = true;
}

void TMain::SetMute(bool On)
{
    FMixer->SetMuted(On);
}

void TMain::EnableRecordButton(bool Enabled)
{
    RecBtn->setEnabled(Enabled);
}

bool TMain::RecordButtonEnabled() const
{
    return RecBtn->isEnabled();
}

void TMain::SetRecordButtonDown(bool Down)
{
    const QSignalBlocker block(RecBtn);
    RecBtn->setChecked(Down);
}

void TMain::EnablePlayerButtons(bool Enabled)
{
    PauseBtn->setEnabled(Enabled);
    StopBtn->setEnabled(Enabled);
}

void TMain::EnablePlayButton(bool Enabled)
{
    PlayButton->setEnabled(Enabled);
}

void TMain::RefreshPlayerButtons()
{
    RefreshCurrentRow();
}

bool TMain::SplashShowing() const
{
    return FSplash && FSplash->isVisible();
}

void TMain::SplashText(const QString &Text)
{
    if (FSplash)
        FSplash->SplashText(Text);
}

void TMain::AddToDialList(const QString &Number)
{
    FDialList.AddCallNumber(Number);
}

void TMain::RebuildReminders()
{
    // The reminder list is built by the reminder view; the group stays empty.
}

void TMain::RefreshJournal(TCallKind Kind)
{
    (Kind == ckIncoming ? InGrid : OutGrid)->viewport()->update();
}

bool TMain::PlayingRecord() const
{
    return FSound && FSound->FPlayingRecord;
}

bool TMain::RobotWindowShowing() const
{
    return false;
}

bool TMain::NumberInfoShowing() const
{
    return false;
}

void TMain::FinishTransferProgress()
{
    // No talk-transfer window yet.
}

void TMain::CloseTalkTransfer()
{
    // No talk-transfer window yet.
}

void TMain::Wait(int Milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(Milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

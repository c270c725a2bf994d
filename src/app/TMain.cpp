#include "TMain.h"
#include "TRobotFieldsEditor.h"
#include "TRobotRecording.h"
#include "robot/TFormPhoneRobot.h"
#include "phone/TQtPhoneClock.h"
#include "common/BaseFolder.h"
#include "TCallHandler.h"
#include "TConfigVolumeSettings.h"
#include "TDialControl.h"
#include "TPhoneLinkAdapter.h"
#include "TPhoneSession.h"
#include "audio/TGSMRecorder.h"
#include "audio/TMediaPlayer.h"
#include "audio/TPulseMixer.h"
#include "audio/TQtTickTimer.h"
#include "audio/TSoundControl.h"
#include "common/BaseFolder.h"
#include "phone/TPortAccess.h"
#include "config/TConfig.h"
#include "config/TSettings.h"
#include "import/TImportCommands.h"
#include "feed/TCallFeed.h"
#include "app/TAboutBox.h"
#include "common/THelpTopics.h"
#include "ui/THelp.h"
#include "office/TOfficeStation.h"
#include "ui/TBlockedCallsLabel.h"
#include <QToolBar>
#include "phone/TPhone.h"
#include "phone/TPhoneCapabilities.h"
#include "phone/TPhoneDetection.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TTableError.h"
#include "transfer/TFormRecordDialog.h"
#include "transfer/TTalkDownload.h"
#include "ui/TAddressPage.h"
#include "ui/TAlert.h"
#include "ui/TDialBox.h"
#include "ui/TFieldGrid.h"
#include "ui/TFindCall.h"
#include "ui/TFormDateInterval.h"
#include "ui/TFormFieldsEdit.h"
#include "ui/TFormMessage.h"
#include "ui/TFormNumberInfo.h"
#include "ui/TNewPerson.h"
#include "ui/TStats.h"
#include "ui/TStatsConfig.h"
#include "ui/THotButtonsBox.h"
#include "ui/TJournalGridDelegate.h"
#include "ui/TJournalPage.h"
#include "ui/TRecordPlayback.h"
#include "ui/TReminderPanel.h"
#include "ui/TSplash.h"
#include "ui/TToolButton.h"
#include "phonesettings/TFormAONSetting.h"
#include "phonesettings/TFormProgress.h"
#include "phonesettings/TParamModel.h"
#include "phonesettings/TPhoneParamLink.h"
#include <QApplication>
#include <cstdio>
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
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
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
    return new TToolButton(parent, name, text, hint);
}

QGroupBox *groupBox(QWidget *parent, const QString &name, const QString &title)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(name);
    return g;
}

bool paramsFileExists()
{
    return QFile::exists(QDir(BaseFolder::path()).filePath(QStringLiteral("Params.vrx")));
}

}

// ---------------------------------------------------------------- start-up

TMain::TMain(QWidget *parent, bool Minimized) : QMainWindow(parent), StartMinimized(Minimized)
{
    initIconResources();
    setObjectName(QStringLiteral("Main"));
    Startup();
}

bool TMain::LockBaseFolder()
{
    FLock = std::make_unique<QLockFile>(QDir(BaseFolder::path()).filePath(QStringLiteral("Konvelo.lock")));
    // A running copy never goes stale by age; a crashed one does by its process id.
    FLock->setStaleLockTime(0);
    if (FLock->tryLock(0))
        return true;
    FLock.reset();
    return false;
}

void TMain::Startup()
{
    // 1, 2
    SecondInstance = false;
    if (!LockBaseFolder()) {
        SecondInstance = true;
        return;
    }
    FSession = std::make_unique<TPhoneSession>();
    FSession->SetStartingUp(true);
    setWindowTitle(Caption);
    setWindowIcon(StateIcon(1));
    resize(890, 629);
    ConfirmExit = [this] {
        return QMessageBox::question(this, ExitCaption, ExitQuestion, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No)
            == QMessageBox::Yes;
    };
    WarnUnkeptCalls = [this](const QString &text) {
        QMessageBox::warning(this, QStringLiteral("Звонки не сохранены"), text);
    };
    ConfirmDeleteQuestion = [this](const QString &question) {
        return QMessageBox::question(this, TBookPage::DeleteCaption, question, QMessageBox::Ok | QMessageBox::Cancel,
                                     QMessageBox::Cancel)
            == QMessageBox::Ok;
    };

    // 3
    FSplash = std::make_unique<TSplash>();
    FSplash->show();
    QApplication::processEvents();
    TrayIconShown = false;

    // 4
    SplashText(QStringLiteral("Инициализация аппарата"));
    FPhone = std::make_unique<TPhone>(FSession->Host());
    FPhone->Disconnect();
    FLinkAdapter = std::make_unique<TPhoneLinkAdapter>(*FPhone);
    FPrompts.SetParent(this);
    FConfig = std::make_unique<TConfig>(FLinkAdapter.get(), &FPrompts);
    FConfig->SetMainWindow(this);
    connect(FConfig.get(), &TConfig::SettingsApplied, this, &TMain::settingsApplied);
    FPhone->Connect();

    // 5
    SplashText(QStringLiteral("Настройка устройства"));
    FPhone->SetLocalNumberRule(FConfig->RegionalNumberLength, FConfig->Prefix);

    // The windows the handlers act on.
    createMenu();
    createStatusBar();
    FCentral = std::make_unique<QWidget>(this);
    FCentral->setObjectName(QStringLiteral("CentralPanel"));
    auto *vbox = new QVBoxLayout(FCentral.get());
    vbox->setContentsMargins(2, 2, 2, 2);
    auto *top = new QHBoxLayout;
    vbox->addLayout(top, 1);
    createLeftColumn();
    top->addWidget(FLeftColumn);
    PageControl1 = new QTabWidget(FCentral.get());
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setMinimumSize(338, 300);
    top->addWidget(PageControl1, 1);
    setCentralWidget(FCentral.get());

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
    FSession->SetDetection(FDetection.get());
    connect(FSession.get(), &TPhoneSession::SplashCloseWanted, this, &TMain::CloseSplash);

    // 8 .. 13
    SplashText(QStringLiteral("Загрузка данных"));
    FFormMessage = std::make_unique<TFormMessage>();
    if (!openTables()) {
        // The program never runs without its journals.
        CloseSplash();
        QMessageBox::critical(nullptr, QApplication::applicationName(),
                              FStartError + QStringLiteral("\nПрограмма будет закрыта."));
        return;
    }
    createPages();
    connect(FSession.get(), &TPhoneSession::FirmwareKnown, this, &TMain::UpdateFirmwareCommands);

    // 14
    FDialList.Build(*FOutCalls, *FInCalls);
    phNumber->SetCompletion([this](const QString &typed) { return FDialList.Complete(typed); });
    FDialControl = std::make_unique<TDialControl>(*FPhone, FConfig.get());
    FDialControl->Attach(phNumber, CallBtn, DialItem, HangUpItem, [this](const QString &message) {
        QMessageBox::critical(this, QApplication::applicationName(), message);
    });
    createHotButtons();
    vbox->addWidget(FHotBox);

    FAlert = std::make_unique<TAlert>(FInCalls.get(), FOutCalls.get(), FConfig.get());
    FAlert->SetImages(TJournalGridDelegate::GridImages(), PageControl1->tabIcon(0), PageControl1->tabIcon(1));

    // 16 .. 19
    SplashText(QStringLiteral("Инициализация"));
    FMixer = std::make_unique<TPulseMixer>();
    FMediaPlayer = std::make_unique<TMediaPlayer>();
    FVolumeSettings = std::make_unique<TConfigVolumeSettings>(*FConfig);
    FCreschendoTimer = std::make_unique<TQtTickTimer>();
    FSound = std::make_unique<TSoundControl>(*FMixer, *FMediaPlayer, *FVolumeSettings, *FCreschendoTimer);
    FSound->OnTrackBarMoved = [this](int p) {
        const QSignalBlocker block(TrackBar);
        TrackBar->setValue(p);
    };
    FSound->OnError = [this](const QString &t) { QMessageBox::warning(this, QApplication::applicationName(), t); };
    FSound->Startup();
    FSettings = std::make_unique<TSettings>(*FConfig, this);
    FSettings->SetMainPlayer(FMediaPlayer.get());
    connect(FSession.get(), &TPhoneSession::IdentityChanged, this,
            [this] { FSettings->SetMobileChannel(FSession->Flags().Identity.PhoneOption2); });
    connect(SettingsItem, &QAction::triggered, this, &TMain::SettingsItemClick);
    createPhoneSettings();
    FImport = new TImportCommands(*FAddressBook, *FConfig, this);
    connect(FAddressPage, &TAddressPage::ImportContactsRequested, FImport, &TImportCommands::ImportContactsClick);
    createSearchWindows();
    FAlert->OnStopRing = [this] { FSound->StopRing(); };
    createCallDetailWindows();
    createRecordGroup();
    FInCalls->first();
    FOutCalls->first();

    // 21, 22
    FRecorder = std::make_unique<TGSMRecorder>();
    FRecorder->OnMessage = [this](const QString &t) { showRecorderMessage(t); };
    FSound->TestDuplex([this] { return FRecorder->CanRecord(); });

    // 20 and 6: the call handling with its talk clock.
    connectCallHandler();
    connectTalkDownload();
    connectCommands();
    createCallDetails();
    createRobot();
    startFeed();
    startOffice();

    // 23
    PageControl1->setCurrentIndex(qBound(0, FConfig->ActivePage, 2));
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMain::pageChanged);

    // 24 (25: the address page keeps the undefined number's length)
    const bool paramsFile = paramsFileExists();
    RobotItem->setVisible(true);
    PhoneSettingsItem->setVisible(paramsFile);
    ProfileLoadItem->setVisible(paramsFile);

    // 26
    if (FConfig->NeedCheckPort)
        FDetection->FindPort();
    else
        FDetection->CheckPort();
    explainPortAccess();

    // 27
    FSession->ResetLink();

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
        FCallHandler->StartMemoryRead();
    } else
        FSession->StopMemoryRead();

    // 30
    StartModelDetection();

    // 31
    if (!FSession->Flags().MemoryReadActive) {
        FPhone->SetPhoneClock(TDateTime::now());
        CloseSplash();
        if (!FConfig->NeedStartMinimized && !StartMinimized)
            ShowMainWindow();
        RefreshPlayerButtons();
    }

    // 32
    createTrayIcon();
    TrayIconShown = true;
    FCallHandler->PhoneStateChanged(FPhone.get());

    // 33
    RebuildReminders();
    FSession->SetStartingUp(false);
}

void TMain::connectCallHandler()
{
    FCallHandler = std::make_unique<TCallHandler>(*FPhone, *FSession, *FConfig, *FAddressBook, *FInCalls,
                                                  *FOutCalls, *FRecorder, *FSound, *this, FFieldsEdit.get());
    FCallHandler->PhoneCodeReceived = [this](const QString &code) {
        FPhoneCodeKnown = true;
        FDetection->PhoneCodeReceived(code);
    };
    connect(FCallHandler.get(), &TCallHandler::CallNotWritten, this,
            [this](const QString &t) { showInfo(QStringLiteral("Звонок не записан в журнал"), t, Caption); });
    connect(FCallHandler.get(), &TCallHandler::PendingFileDamaged, this,
            [this](const QString &t) { showInfo(QStringLiteral("Файл отложенных звонков повреждён"), t, Caption); },
            Qt::QueuedConnection);   // once the start-up has shown the main window
    FCallHandler->Attach(*FPhone);
    // 10, 12: the newest journal rows are the reference for the phone's memory.
    FCallHandler->TakeNewestCalls();
    TCallHandler *handler = FCallHandler.get();
    connect(handler, &TCallHandler::LineStateChanged, this, &TMain::lineStateChanged);
    connect(handler, &TCallHandler::NumberCalled, this, [this](const QString &number) { FDialList.AddCallNumber(number); });
    connect(handler, &TCallHandler::InCallWritten, this, &TMain::RebuildReminders);
    connect(handler, &TCallHandler::OutCallWritten, this, &TMain::RebuildReminders);
    connect(handler, &TCallHandler::MemoryReadFinished, this, &TMain::UpdateFirmwareCommands);
    connect(&handler->Recording(), &TRecordingControl::TransferFinished, this, &TMain::UpdateFirmwareCommands);
    connect(FPlayback, &TRecordPlayback::RecordClicked, handler, &TCallHandler::RecordButtonClick);
}

void TMain::connectTalkDownload()
{
    TRecordingControl &rec = FCallHandler->Recording();
    FTalkDownload = std::make_unique<TTalkDownload>(*FPhone, *FSession->Host(), *FInCalls, *FOutCalls);
    TTalkDownload *d = FTalkDownload.get();
    d->StartRecordTalk = [&rec](const QString &File) { rec.StartRecordTalk(File); };
    d->StopRecordTalk = [&rec] { rec.StopRecordTalk(); };
    d->SetTransferKind = [&rec](TTalkKind Kind) { rec.TransferKind = Kind; };
    d->SetTransferCell = [&rec](int Cell) { rec.TransferCell = Cell; };
    d->TransferCell = [&rec] { return rec.TransferCell; };
    d->RecordsDirectory = [this] { return FConfig->RecordsDirectory; };
    FPhone->OnStartSendTalk = [d](TTalkKind Kind, quint16 Length, int CellNo) { d->StartSendTalk(Kind, Length, CellNo); };
    connect(FSession.get(), &TPhoneSession::TalkSearchReplied, d, &TTalkDownload::TalkSearchReply);
    connect(FSession.get(), &TPhoneSession::TalkSearchGivenUp, d, &TTalkDownload::FinishTalkSearch);
    connect(&rec, &TRecordingControl::TransferTalkEnded, d, &TTalkDownload::TransferTalkEnded);
    connect(&rec, &TRecordingControl::TransferFinished, d, &TTalkDownload::TransferFinished);
    connect(FCallHandler.get(), &TCallHandler::LineStateChanged, d, &TTalkDownload::PhoneStateChanged);
    connect(d, &TTalkDownload::Closed, this, &TMain::UpdateTalkDownloadButtons);
    // The download commands follow the identification and the line's state.
    connect(FSession.get(), &TPhoneSession::IdentityChanged, this, &TMain::UpdateFirmwareCommands);
    connect(FCallHandler.get(), &TCallHandler::LineStateChanged, this, &TMain::UpdateFirmwareCommands);
    FRecordDialog = std::make_unique<TFormRecordDialog>(*d, this);
    for (TJournalPage *page : {FInPage, FOutPage}) {
        const bool in = page == FInPage;
        const QList<QToolButton *> buttons = page->TalkDownloadButtons();
        connect(buttons.at(0), &QToolButton::clicked, this, [this, in] { ToolButtonGetTalkMessageClicks(in, false); });
        connect(buttons.at(1), &QToolButton::clicked, this, [this, in] { ToolButtonGetTalkMessageClicks(in, true); });
    }
    // A row marked, copied, deleted or cleared: the "all" buttons follow.
    auto *pending = new QTimer(this);
    pending->setSingleShot(true);
    pending->setInterval(0);
    connect(pending, &QTimer::timeout, this, &TMain::UpdateTalkDownloadButtons);
    auto later = [pending] { pending->start(); };
    connect(FInCalls.get(), &TRecordTable::changed, this, later);
    connect(FOutCalls.get(), &TRecordTable::changed, this, later);
}

void TMain::ToolButtonGetTalkMessageClicks(bool Incoming, bool All)
{
    if (!FTalkDownload || FPhone->State() != psWaiting)
        return;
    if (All)
        FTalkDownload->StartAll();
    else if (Incoming)
        FTalkDownload->StartIncomingRow(FInCalls->currentKey(), FInPage->PlayMessageButton()->isChecked());
    else
        FTalkDownload->StartOutgoingRow(FOutCalls->currentKey());
}

void TMain::UpdateTalkDownloadButtons()
{
    if (FShutDown || !FTalkDownload)
        return;
    const TPhoneCapabilities c = TPhoneCapabilities::From(FSession->Flags().Identity, paramsFileExists());
    const bool ready = c.Known && c.TalkDownload;
    const bool any = ready && TTalkDownload::AnyMarked(*FInCalls, *FOutCalls);
    for (TJournalPage *page : {FInPage, FOutPage}) {
        page->SetTalkDownloadReady(ready);
        page->TalkDownloadButtons().at(1)->setEnabled(any);
    }
    // The single-talk button of the page shown; the other page's follows when shown.
    RefreshCurrentRow();
}

void TMain::startFeed()
{
    // Other programs and workstations hear of the calls: NCID clients and webhooks.
    FFeed = std::make_unique<TCallFeed>(*FAddressBook, *FInCalls, *FOutCalls);
    FFeed->Apply(FConfig->Feed);
    TCallFeed *feed = FFeed.get();
    connect(FCallHandler.get(), &TCallHandler::CallNumberKnown, feed,
            [feed](TCallKind Kind, const QString &Number, TDateTime Start) {
                feed->CallNumberKnown(Kind, Number, QString(), Start);
            });
    connect(FCallHandler.get(), &TCallHandler::CallBlocked, feed,
            [feed](const QString &Number, TDateTime Start) { feed->CallBlocked(Number, QString(), Start); });
    // Every finished call, also one whose row waits in the backlog.
    connect(FCallHandler.get(), &TCallHandler::InCallEnded, feed,
            [feed](const TInCall &Row, TCallAttributes Attributes) { feed->CallEnded(Row, Attributes); });
    connect(FCallHandler.get(), &TCallHandler::OutCallEnded, feed,
            [feed](const TOutCall &Row) { feed->CallEnded(Row); });
    connect(FConfig.get(), &TConfig::SettingsApplied, feed, [this] { FFeed->Apply(FConfig->Feed); });
    connect(FConfig.get(), &TConfig::SettingsApplied, this, [this] { startOffice(); });
}

void TMain::startOffice()
{
    if (!FOffice) {
        FOffice = std::make_unique<TOfficeStation>(*FAddressBook, *FInCalls, *FOutCalls, statusBar(),
                                                   BaseFolder::dataPath());
        FOffice->AddHistoryView([this](TOfficeHistory *h) { if (FAlert) FAlert->SetOfficeHistory(h); });
        FOffice->AddHistoryView([this](TOfficeHistory *h) { if (FFieldsEdit) FFieldsEdit->SetOfficeHistory(h); });
        FOffice->AddHistoryView([this](TOfficeHistory *h) { if (FNumberInfo) FNumberInfo->SetOfficeHistory(h); });
    }
    FOffice->Apply(FConfig->Office);
}

bool TMain::openTables()
{
    try {
        openTableFiles();
        return true;
    } catch (const TTableError &e) {
        FStartError = e.message();
        return false;
    }
}

void TMain::openTableFiles()
{
    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    FAddressBook = std::make_unique<TAddressBook>(data + QStringLiteral("AddressBook"));
    showTableMessage(FAddressBook.get());
    FAddressBook->SortBy(FConfig->AddressSort);

    FInCalls = std::make_unique<TIncomingCallBook>(data + QStringLiteral("InCalls"));
    showTableMessage(FInCalls.get());
    FOutCalls = std::make_unique<TOutgoingCallBook>(data + QStringLiteral("OutCalls"));
    showTableMessage(FOutCalls.get());
    auto applyFilter = [](TRecordTable *t, const QString &text) {
        if (text.isEmpty())
            return;
        try {
            t->setFilter(text);
            t->setFiltered(true);
        } catch (const std::exception &) {
        }
    };
    applyFilter(FInCalls.get(), FConfig->InputFilter);
    applyFilter(FOutCalls.get(), FConfig->OutputFilter);
    FInCalls->SortBy(FConfig->IncomingSort);
    FOutCalls->SortBy(FConfig->OutgoingSort);

    FHotButtons = std::make_unique<THotButtonFile>(BaseFolder::dataPath() + QStringLiteral("/HotBtns.cfg"));
    FHotButtons->load();
}

void TMain::showRecorderMessage(const QString &Text)
{
    // Not modal: the recorder stops inside the call handling, which goes on
    // to write the call's row while the message waits for the user.
    auto *box = new QMessageBox(QMessageBox::Warning, QApplication::applicationName(), Text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("RecorderMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void TMain::showTableMessage(TRecordTable *table)
{
    if (!table->openMessage().isEmpty())
        QMessageBox::warning(FSplash.get(), QApplication::applicationName(), table->openMessage());
}

// ---------------------------------------------------------------- layout

void TMain::createMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [](QMenu *menu, const QString &name, const QString &text, const QKeySequence &key = {},
                   bool enabled = false) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setEnabled(enabled);
        return a;
    };
    QMenu *file = bar->addMenu(QStringLiteral("&Файл"));
    file->setObjectName(QStringLiteral("FileMenu"));
    ExportRecordItem = item(file, QStringLiteral("ExportRecordItem"), QStringLiteral("&Экспортировать запись"),
                            QKeySequence(QStringLiteral("Alt+E")));
    file->addSeparator();
    ClearInItem = item(file, QStringLiteral("ClearInItem"), QStringLiteral("Очистка памяти &входящих"), {}, true);
    ClearOutItem = item(file, QStringLiteral("ClearOutItem"), QStringLiteral("Очистка памяти &исходящих"), {}, true);
    ClearAddressItem = item(file, QStringLiteral("ClearAddressItem"), QStringLiteral("&Очистка записной книжки"), {},
                            true);
    file->addSeparator();
    ExitItem = item(file, QStringLiteral("ExitItem"), QStringLiteral("&Выход"), QKeySequence(QStringLiteral("Alt+X")), true);
    connect(ExitItem, &QAction::triggered, this, &QWidget::close);

    QMenu *call = bar->addMenu(QStringLiteral("&Звонок"));
    call->setObjectName(QStringLiteral("CallMenu"));
    DialItem = item(call, QStringLiteral("DialItem"), QStringLiteral("&Набрать номер"), QKeySequence(QStringLiteral("Alt+D")));
    HangUpItem = item(call, QStringLiteral("HangUpItem"), QStringLiteral("&Сброс"), QKeySequence(QStringLiteral("Alt+R")));

    QMenu *search = bar->addMenu(QStringLiteral("П&оиск"));
    search->setObjectName(QStringLiteral("SearchMenu"));
    FindItem = item(search, QStringLiteral("FindItem"), QStringLiteral("&Найти"), QKeySequence(QStringLiteral("Ctrl+F")));

    QMenu *memory = bar->addMenu(QStringLiteral("П&амять"));
    memory->setObjectName(QStringLiteral("MemoryMenu"));
    DeleteCellItem = item(memory, QStringLiteral("DeleteCellItem"), QStringLiteral("&Удалить ячейку памяти"),
                          QKeySequence(QStringLiteral("Ctrl+D")), true);
    EditCellItem = item(memory, QStringLiteral("EditCellItem"), QStringLiteral("&Редактировать ячейку записной книжки"),
                        QKeySequence(QStringLiteral("Ctrl+R")));

    QMenu *service = bar->addMenu(QStringLiteral("&Сервис"));
    service->setObjectName(QStringLiteral("ServiceMenu"));
    DisconnectItem = item(service, QStringLiteral("DisconnectItem"), QStringLiteral("&Отключиться от аппарата"),
                          QKeySequence(QStringLiteral("Alt+Z")), true);
    DisconnectItem->setCheckable(true);
    DisconnectItem->setChecked(false);
    connect(DisconnectItem, &QAction::triggered, this, &TMain::DisconnectItemClick);
    service->addSeparator();
    StatOptionsItem = item(service, QStringLiteral("StatOptionsItem"), QStringLiteral("&Параметры статистики"));
    SettingsItem = item(service, QStringLiteral("SettingsItem"), QStringLiteral("&Настройки программы"),
                        QKeySequence(QStringLiteral("Ctrl+P")), true);
    service->addSeparator();
    PhoneSettingsItem = item(service, QStringLiteral("PhoneSettingsItem"), QStringLiteral("&Редактор настроек телефона"));
    ProfileLoadItem = item(service, QStringLiteral("ProfileLoadItem"), QStringLiteral("&Загрузка профиля в телефон"));
    RobotItem = item(service, QStringLiteral("RobotItem"), QStringLiteral("Телефонный робот"));

    // Address import: built, but nothing shows or enables it.
    DataMenu = bar->addMenu(QStringLiteral("&Данные"));
    DataMenu->setObjectName(QStringLiteral("DataMenu"));
    ImportOutlookItem = item(DataMenu, QStringLiteral("ImportOutlookItem"), QStringLiteral("&Импорт адресов из Outlook"));
    ImportCsvItem = item(DataMenu, QStringLiteral("ImportCsvItem"),
                         QStringLiteral("Им&порт из файла с разделителям Outlook Express"));
    AccessItem = item(DataMenu, QStringLiteral("AccessItem"), QStringLiteral("&Подключить внешнюю базу телефонов Access"));
    DataMenu->menuAction()->setVisible(false);
    DataMenu->menuAction()->setEnabled(false);
    connect(ImportOutlookItem, &QAction::triggered, this, &TMain::ImportOutlookItemClick);
    connect(ImportCsvItem, &QAction::triggered, this, &TMain::ImportCsvItemClick);
    connect(AccessItem, &QAction::triggered, this, &TMain::AccessItemClick);

    QMenu *help = bar->addMenu(QStringLiteral("&Помощь"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    HelpItem = item(help, QStringLiteral("HelpItem"), QStringLiteral("Сп&равка"), {}, true);
    connect(HelpItem, &QAction::triggered, this, [] { THelp::ShowStart(); });
    THelp::Install();
    const QString history = THelpTopics::HistoryFile(BaseFolder::path());
    HistoryItem = item(help, QStringLiteral("HistoryItem"), QStringLiteral("&История версий"), {}, QFile::exists(history));
    connect(HistoryItem, &QAction::triggered, this, [] { THelp::ShowHistory(BaseFolder::path()); });
    AboutItem = item(help, QStringLiteral("AboutItem"), QStringLiteral("&О программе"), {}, true);
    connect(AboutItem, &QAction::triggered, this, [this] { TAboutBox::Show(this); });
    ModelItem = item(help, QStringLiteral("ModelItem"), QStringLiteral("&Модель телефона"));
    connect(ModelItem, &QAction::triggered, this, &TMain::PhoneModelItemClick);
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

void TMain::createLeftColumn()
{
    FLeftColumn = new QWidget(FCentral.get());
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
    dialLayout->addWidget(SpeedButtonNumberInfo, 1, 1);
    column->addWidget(dial);

    QGroupBox *volume = groupBox(FLeftColumn, QStringLiteral("GroupBoxVolume"), QStringLiteral("Громкость"));
    auto *volumeLayout = new QHBoxLayout(volume);
    SpeedButton2 = toolButton(volume, QStringLiteral("SpeedButton2"), QStringLiteral("<"),
                              QStringLiteral("Уменьшить громкость"));
    TrackBar = new QSlider(Qt::Horizontal, volume);
    TrackBar->setObjectName(QStringLiteral("TrackBar"));
    TrackBar->setRange(0, 100);
    SpeedButton1 = toolButton(volume, QStringLiteral("SpeedButton1"), QStringLiteral(">"),
                              QStringLiteral("Увеличить громкость"));
    volumeLayout->addWidget(SpeedButton2);
    volumeLayout->addWidget(TrackBar, 1);
    volumeLayout->addWidget(SpeedButton1);
    column->addWidget(volume);

    QGroupBox *reminders = groupBox(FLeftColumn, QStringLiteral("GroupBoxReminder"),
                                    QStringLiteral("Напоминание о звонках "));
    auto *reminderLayout = new QVBoxLayout(reminders);
    reminderLayout->setContentsMargins(3, 3, 3, 3);   // the three captions fit the column
    FReminderGroup = reminders;   // its list comes with the journals (createCallDetails)
    column->addWidget(reminders, 1);
}

void TMain::createPages()
{
    FInPage = new TJournalPage(bkIncoming, FInCalls.get(), *FConfig, *this, FFormMessage.get(), PageControl1);
    FOutPage = new TJournalPage(bkOutgoing, FOutCalls.get(), *FConfig, *this, FFormMessage.get(), PageControl1);
    FAddressPage = new TAddressPage(FAddressBook.get(), *FConfig, *this, FFormMessage.get(), PageControl1);
    FAddressPage->ToolBar()->addWidget(new TBlockedCallsLabel(*FInCalls, FAddressPage->ToolBar()));
    const struct {
        TBookPage *Page;
        QString Caption, Hint;
    } pages[] = {{FInPage, QStringLiteral("Входящие"), QStringLiteral("Список входящих вызовов")},
                 {FOutPage, QStringLiteral("Исходящие"), QStringLiteral("Список исходящих вызовов")},
                 {FAddressPage, QStringLiteral("Записная книжка"), QStringLiteral("Личная записная книжка")}};
    for (int i = 0; i < 3; ++i) {
        PageControl1->addTab(pages[i].Page, QIcon(QStringLiteral(":/icons/page%1.svg").arg(i)), pages[i].Caption);
        PageControl1->setTabToolTip(i, pages[i].Hint);
        connect(pages[i].Page, &TBookPage::CurrentRowChanged, this, &TMain::RefreshCurrentRow);
        connect(pages[i].Page, &TBookPage::DialRequested, this, [this](const QString &n) { FDialControl->DialNumber(n); });
    }
    installEventFilter(this);
}

void TMain::createRecordGroup()
{
    // "Запись": the journal player and the record button.
    FPlayback = new TRecordPlayback(*FMediaPlayer, *FSound, [this] { return CurrentRecordingFile(); }, FLeftColumn);
    static_cast<QVBoxLayout *>(FLeftColumn->layout())->insertWidget(1, FPlayback);
    for (TBookPage *page : {static_cast<TBookPage *>(FInPage), static_cast<TBookPage *>(FOutPage),
                            static_cast<TBookPage *>(FAddressPage)})
        page->SetPlayback(FPlayback);
    for (TJournalPage *page : {FInPage, FOutPage}) {
        connect(page->SaveButton(), &QToolButton::clicked, FPlayback, &TRecordPlayback::SaveRecording);
        page->SaveButton()->installEventFilter(this);   // "&Экспортировать запись" follows it
    }
    connect(ExportRecordItem, &QAction::triggered, FPlayback, &TRecordPlayback::SaveRecording);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMain::followSaveButton);
    followSaveButton();
}

void TMain::createHotButtons()
{
    // "Горячие номера": 18 buttons bound through Data/HotBtns.cfg.
    FHotBox = new THotButtonsBox(FAddressBook.get(), FHotButtons.get(),
                                 [this](const QString &number) { FDialControl->DialNumber(number); }, FCentral.get());
    FAddressPage->SetHotButtons(FHotBox);
}

void TMain::connectCommands()
{
    connect(ClearInItem, &QAction::triggered, FInPage, &TBookPage::ClearTable);
    connect(ClearOutItem, &QAction::triggered, FOutPage, &TBookPage::ClearTable);
    connect(ClearAddressItem, &QAction::triggered, FAddressPage, &TBookPage::ClearTable);
    connect(DeleteCellItem, &QAction::triggered, this, [this] { CurrentPage()->DeleteCurrentRow(); });
    connect(TrackBar, &QSlider::valueChanged, this, [this](int p) { FSound->SetTrackBarPosition(p); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { FSound->SpeedButton2Click(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { FSound->SpeedButton1Click(); });
    UpdateAddressCommands();
}

void TMain::createCallDetails()
{
    // The reminder list in its group of the left column.
    FReminders = new TReminderPanel(FInCalls.get(), FOutCalls.get(), FReminderGroup);
    FReminderGroup->layout()->addWidget(FReminders);
    connect(FReminders, &TReminderPanel::DialRequested, this, [this](const QString &n) { FDialControl->DialNumber(n); });
    connect(FReminders, &TReminderPanel::ShowNumberRequested, this,
            [this](const QString &n, qint64 id, int direction) { FNumberInfo->ShowNumber(n, id, this, direction); });
    // Fields written anywhere (the editor, the number window, a removed reminder) rebuild the list.
    connect(FInCalls.get(), &TCallBook::fieldsUpdated, this, &TMain::RebuildReminders);
    connect(FOutCalls.get(), &TCallBook::fieldsUpdated, this, &TMain::RebuildReminders);

    // "Информация о номере" from the journals, the address book and the dial box.
    FNumberInfo = std::make_unique<TFormNumberInfo>(FInCalls.get(), FOutCalls.get(), FAddressBook.get(), FConfig.get(),
                                                    *FMediaPlayer, *FSound);
    FNumberInfo->SetImages(TJournalGridDelegate::GridImages(), PageControl1->tabIcon(0), PageControl1->tabIcon(1));
    connect(FInPage, &TJournalPage::NumberInfoRequested, this,
            [this](const QString &n, qint64 id) { FNumberInfo->ShowNumber(n, id, this, 0); });
    connect(FOutPage, &TJournalPage::NumberInfoRequested, this,
            [this](const QString &n, qint64 id) { FNumberInfo->ShowNumber(n, id, this, 1); });
    connect(FAddressPage, &TAddressPage::NumberInfoRequested, this,
            [this](const QString &n) { FNumberInfo->ShowNumber(n, -1, this, 0); });
    // The statistics window's "Информация": the number window returns to it.
    FStats->SetNumberInfoReady(true);
    connect(FStats.get(), &TStats::NumberInfoWanted, this, [this](const QString &phone, TCallKind kind) {
        FNumberInfo->ShowNumber(phone, -1, FStats.get(), kind == ckIncoming ? 0 : 1);
    });
    connect(SpeedButtonNumberInfo, &QToolButton::clicked, this, [this] {
        const QString number = phNumber->text().trimmed();
        if (!number.isEmpty())
            FNumberInfo->ShowNumber(number, -1, this, 0);
    });
    connect(FNumberInfo.get(), &TFormNumberInfo::DialRequested, this,
            [this](const QString &n) { FDialControl->DialNumber(n); });
    connect(FNumberInfo.get(), &TFormNumberInfo::GotoPageRequested, this, [this](int page) {
        PageControl1->setCurrentIndex(page);
        ShowMainWindow();
    });
    connect(FNumberInfo.get(), &TFormNumberInfo::Applied, this, [this] { RefreshCurrentRow(); });
    connect(FNumberInfo.get(), &TFormNumberInfo::Cancelled, phNumber, [this] { phNumber->clear(); });
}

void TMain::createCallDetailWindows()
{
    FFieldsEdit = std::make_unique<TFormFieldsEdit>(FInCalls.get(), FOutCalls.get(), FAddressBook.get(), FConfig.get(),
                                                    FPhone.get());
    FFieldsEdit->SetMainWindow(this);
    FFieldsEdit->SetAlertWindow(FAlert.get());
    FFieldsEdit->SetImages(TJournalGridDelegate::GridImages(), PageControl1->tabIcon(0), PageControl1->tabIcon(1));
    connect(FFieldsEdit.get(), &TFormFieldsEdit::RowUpdated, this, &TMain::RefreshCurrentRow);
    connect(FFieldsEdit.get(), &TFormFieldsEdit::PhoneStateChangeWanted, this, &TMain::RefreshLineStatus);
    FAlert->SetShowInputForm([this](const QString &number) {
        FFieldsEdit->OpenFromAlert(number, FCallHandler ? FCallHandler->CurrentCall() : 0);
    });

    FNewPerson = std::make_unique<TNewPerson>(FConfig.get(), FHotButtons.get(), FMediaPlayer.get(), this);
    FAddressPage->SetPersonDialog(FNewPerson.get());
    for (TJournalPage *page : {FInPage, FOutPage})
        connect(page, &TJournalPage::CopyToBookRequested, this, [this](const QString &phone) {
            PageControl1->setCurrentWidget(FAddressPage);
            FAddressPage->CopyToBook(phone);
        });
    EditCellItem->setEnabled(true);
    connect(EditCellItem, &QAction::triggered, this, [this] {
        PageControl1->setCurrentWidget(FAddressPage);
        FAddressPage->EditPersonClick();
    });
}

void TMain::createSearchWindows()
{
    FDateInterval = std::make_unique<TFormDateInterval>(this);
    FFindCall = std::make_unique<TFindCall>(FInCalls.get(), FOutCalls.get(), FAddressBook.get(), FDateInterval.get(),
                                            this);
    connect(FFindCall.get(), &TFindCall::PageWanted, this, [this](TBookKind Kind) {
        PageControl1->setCurrentIndex(Kind == bkIncoming ? 0 : Kind == bkOutgoing ? 1 : 2);
    });
    connect(FFindCall.get(), &TFindCall::FilterSet, this, [this](TBookKind Kind) {
        QToolButton *b = (Kind == bkIncoming ? FInPage : FOutPage)->FilterButton();
        b->setEnabled(true);
        const QSignalBlocker block(b);
        b->setChecked(true);
    });
    FStatsConfig = std::make_unique<TStatsConfig>(*FConfig, FDateInterval.get(), this);
    FStats = std::make_unique<TStats>(FInCalls.get(), FOutCalls.get(), *FConfig, FStatsConfig.get(), this);
    FStats->SetMainCaption(Caption);
    for (QToolButton *b : {FInPage->SearchButton(), FOutPage->SearchButton(), FAddressPage->SearchButton()}) {
        b->setEnabled(true);
        connect(b, &QToolButton::clicked, this, &TMain::FindItemClick);
    }
    for (QToolButton *b : {FInPage->StatButton(), FOutPage->StatButton()}) {
        b->setEnabled(true);
        connect(b, &QToolButton::clicked, this, &TMain::StatBtnClick);
    }
    FindItem->setEnabled(true);
    connect(FindItem, &QAction::triggered, this, &TMain::FindItemClick);
    StatOptionsItem->setEnabled(true);
    connect(StatOptionsItem, &QAction::triggered, FStatsConfig.get(), [this] { FStatsConfig->exec(); });
}

void TMain::FindItemClick()
{
    const int page = PageControl1->currentIndex();
    FFindCall->Prepare(page == 0 ? bkIncoming : page == 1 ? bkOutgoing : bkAddress);
    FFindCall->exec();
}

void TMain::StatBtnClick()
{
    FStats->RefreshStats();
    FStats->show();
    FStats->raise();
    FStats->activateWindow();
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
    if (FShutDown || SecondInstance || !FStartError.isEmpty())
        return;
    // A talk being copied stops here: its row keeps "+" and the part recorded is kept.
    if (FTalkDownload)
        FTalkDownload->Abort(QStringLiteral("программа завершена"));
    FShutDown = true;
    // 1, 2
    if (isVisible())
        FSound->StopSound();
    // A call still on the line goes into its journal with the talk recorded so
    // far, as when the line drops it; stopping the recorder alone would leave
    // the call out of the journal and its recording without a row.
    if (FPhone->State() == psIncomingCall || FPhone->State() == psOutgoingCall)
        FPhone->Disconnect();
    // A robot call already reached is written with its recording so far; the
    // list's marks went to its file as each number was reached.
    if (FRobot)
        FRobot->Run().Stop();
    if (FRobotConfig)
        TRobotSettingsFile::Save(RobotConfigFile(), *FRobotConfig, *FRobotSchedule);
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
    FAlert->hide();
    if (FNumberInfo)
        FNumberInfo->hide();
    // Notes typed for a call that has its row are kept as OK keeps them.
    if (FFieldsEdit->isVisible() && FFieldsEdit->Edited())
        FFieldsEdit->PressOK();
    FFieldsEdit->hide();
    FCallHandler->SetFieldsEditor(nullptr);
    FFormMessage->hide();
    // Calls still waiting get one more try at the journal and the backlog file;
    // what neither takes is lost with the program, and the user hears of it.
    FCallHandler->WritePendingCalls();
    const QString unkept = FCallHandler->UnkeptCallsText();
    if (!unkept.isEmpty()) {
        const QByteArray line = QStringLiteral("konvelo: %1\n").arg(unkept).toUtf8();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        if (!FCloseWithoutAsking && WarnUnkeptCalls)
            WarnUnkeptCalls(unkept);
    }
}

TMain::~TMain()
{
    Shutdown();
    // 6: the members go in the reverse of their declaration: the windows, the
    // call handling, the tables, the settings (which save once more) and the
    // phone link (which closes the port). 7: the PC's volume set back.
    if (FSound)
        FSound->Shutdown();
}

// ---------------------------------------------------------------- window

void TMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Minimising hides the window; the tray icon brings it back.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && !(FSession && FSession->Flags().StartingUp))
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) {
                hide();
                setWindowState(windowState() & ~Qt::WindowMinimized);
            }
        });
}

bool TMain::eventFilter(QObject *watched, QEvent *event)
{
    if (FShutDown)
        return false;
    if (watched == this && event->type() == QEvent::Show)
        QMetaObject::invokeMethod(this, &TMain::RefreshCurrentRow, Qt::QueuedConnection);
    else if (event->type() == QEvent::EnabledChange && FInPage
             && (watched == FInPage->SaveButton() || watched == FOutPage->SaveButton()))
        followSaveButton();
    return false;
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

void TMain::settingsApplied()
{
    // The pages follow the settings themselves.
    if (FSound)
        FSound->ResetVolume();
}

void TMain::pageChanged(int Index)
{
    FConfig->ActivePage = Index;
    RefreshCurrentRow();
}

void TMain::followSaveButton()
{
    // "&Экспортировать запись" (and Alt+E) is offered when the current page's save button is.
    auto *page = qobject_cast<TJournalPage *>(CurrentPage());
    ExportRecordItem->setEnabled(page && page->SaveButton()->isEnabled());
}

int TMain::SavedVolume() const
{
    return FSound ? FSound->SavedVolume : 0;
}

TBookPage *TMain::CurrentPage() const
{
    return PageControl1 ? qobject_cast<TBookPage *>(PageControl1->currentWidget()) : nullptr;
}

// ---------------------------------------------------------------- commands

void TMain::DisconnectItemClick()
{
    if (DisconnectItem->isChecked())
        FPhone->Disconnect();
    else if (!FPhone->Connect())
        explainPortAccess();
}

void TMain::SettingsItemClick()
{
    FSettings->Execute();
}

void TMain::AccessItemClick()
{
    FSettings->Execute(TSettings::pgData);
}

void TMain::createPhoneSettings()
{
    FParamModel = std::make_unique<TParamModel>();
    FParamLink = std::make_unique<TPhoneParamLink>(*FPhone);
    FFormProgress = std::make_unique<TFormProgress>(*FParamModel, *FParamLink);
    FAONSetting = std::make_unique<TFormAONSetting>(
        *FParamModel, *FParamLink, *FFormProgress, FConfig.get(), FSession->Flags().Identity,
        QDir(BaseFolder::path()).filePath(QStringLiteral("Params.vrx")), this);
    FFormProgress->OnTransferDone = [this](TTransferResult r) { FAONSetting->TransferDone(r); };
    connect(FSession.get(), &TPhoneSession::ParamValueReceived, FAONSetting.get(), &TFormAONSetting::ParamReceived);
    connect(PhoneSettingsItem, &QAction::triggered, this, &TMain::mmAONSettingClick);
    connect(ProfileLoadItem, &QAction::triggered, this, &TMain::mmFileInVRXClick);
    PhoneSettingsItem->setEnabled(FAONSetting->DescriptionLoaded()
                                  && (FSession->Flags().Identity.FirmwareVersion == 0 || FAONSetting->HasModel()));
}

void TMain::mmAONSettingClick()
{
    const TPhoneIdentity &id = FSession->Flags().Identity;
    if (id.PhoneModel == 0 && FPhone->Online()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        for (int i = 0; i < 6 && id.PhoneModel == 0; ++i) {
            FPhone->SendCommandByte(0x9D);
            Wait(400);
        }
        QApplication::restoreOverrideCursor();
    }
    if (id.PhoneModel == 0) {
        StartModelDetection();
        return;
    }
    FAONSetting->exec();
}

void TMain::mmFileInVRXClick()
{
    const QString file = FAONSetting->OpenProfileDialog();
    if (file.isEmpty())
        return;
    // The model is built for the phone's firmware: ask for it first, as the
    // editor's command asks for the model.
    const TPhoneIdentity &id = FSession->Flags().Identity;
    if (id.FirmwareVersion == 0 && FPhone->Online()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        for (int i = 0; i < 6 && id.FirmwareVersion == 0; ++i) {
            FPhone->SendCommandByte(id.PhoneModel == 0 ? 0x9D : 0x9C);
            Wait(400);
        }
        QApplication::restoreOverrideCursor();
    }
    if (!FAONSetting->LoadProfileIntoPhone(file) && id.FirmwareVersion == 0)
        StartModelDetection();
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

void TMain::showInfo(const QString &First, const QString &Second, const QString &Caption)
{
    FFormMessage->ShowInfo(First, Second, Caption);
}

void TMain::explainPortAccess()
{
    TPortAccess access;
    if (FPortAccessExplained || FPhone->Online() || !access.Check(FPhone->Port(), FPhone->OpenError()))
        return;
    FPortAccessExplained = true;
    showInfo(access.FirstLine(), access.SecondLine(), TPortAccess::Caption());
}

void TMain::lineStateChanged(TPhoneState State)
{
    UpdateFirmwareCommands();
    FProfileLoadWanted = State == psWaiting;
    ProfileLoadItem->setEnabled(State == psWaiting);
    if (FAONSetting)
        FAONSetting->PhoneStateChanged();
    ModelItem->setEnabled(FPhone->Online());
    FDialControl->PhoneStateChanged(State);
}

void TMain::StartModelDetection()
{
    if (FDetection)
        FDetection->StartModelDetection();
}

void TMain::UpdateFirmwareCommands()
{
    const TPhoneCapabilities c = TPhoneCapabilities::From(FSession->Flags().Identity, paramsFileExists());
    if (!c.Known)
        return;
    for (TJournalPage *page : {FInPage, FOutPage})
        page->SetTalkDownloadVisible(c.TalkDownload);
    UpdateTalkDownloadButtons();
    RobotItem->setVisible(c.Robot);
    PhoneSettingsItem->setVisible(c.PhoneSettings);
    ProfileLoadItem->setVisible(c.PhoneSettings);
    // The model is built once the firmware is known; the editor needs a tab.
    if (FAONSetting && c.PhoneSettings)
        PhoneSettingsItem->setEnabled(FAONSetting->BuildModel());
}

// ---------------------------------------------------------------- operations

void TMain::RefreshCurrentRow()
{
    if (!FPlayback || FShutDown)
        return;
    if (isVisible())
        CurrentPage()->RefreshCurrentRow();
    // The delete commands on every page, shown or not.
    FInPage->UpdateDeleteCommand();
    FOutPage->UpdateDeleteCommand();
    FAddressPage->UpdateDeleteCommand();
}

void TMain::UpdateAddressCommands()
{
    FAddressPage->UpdateAddressCommands();
}

void TMain::FillFieldGrid(QTableWidget *Grid, TCallKind Kind, bool AllFields)
{
    ::FillFieldGrid(Grid, Kind == ckIncoming ? 0 : 1, AllFields, FConfig.get());
}

QString TMain::CurrentRecordingFile() const
{
    const TBookPage *page = CurrentPage();
    return page ? page->CurrentRecordingFile() : QString();
}

bool TMain::PlayFile(const QString &FileName)
{
    return FSound->PlayFile(FileName);
}

void TMain::StopSound()
{
    FSound->StopSound();
}

void TMain::StartRing(bool SubscriberFound)
{
    FCallHandler->StartRing(SubscriberFound);
}

void TMain::RebuildReminders()
{
    if (FReminders)
        FReminders->RebuildReminders();
}

bool TMain::PlayingRecord() const
{
    return FSound && FSound->FPlayingRecord;
}

void TMain::AssignHotButton(int ButtonNo)
{
    FHotBox->AssignHotButton(ButtonNo);
}

void TMain::FreeHotButton(int Index)
{
    FHotBox->FreeHotButton(Index);
}

// ---------------------------------------------------------------- ICallView, IPageHost

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

void TMain::ShowStatusNow(const QString &Text)
{
    SetStatusText(Text);
    statusBar()->repaint();
}

void TMain::RefreshLineStatus()
{
    if (FCallHandler)
        FCallHandler->PhoneStateChanged(FPhone.get());
}

bool TMain::ConfirmDelete(const QString &Question)
{
    return ConfirmDeleteQuestion && ConfirmDeleteQuestion(Question);
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

void TMain::EnableRecordButton(bool Enabled)
{
    FPlayback->EnableRecordButton(Enabled);
}

bool TMain::RecordButtonEnabled() const
{
    return FPlayback->RecordButtonEnabled();
}

void TMain::SetRecordButtonDown(bool Down)
{
    FPlayback->SetRecordButtonDown(Down);
}

void TMain::EnablePlayerButtons(bool Enabled)
{
    FPlayback->EnablePlayerButtons(Enabled);
}

void TMain::EnablePlayButton(bool Enabled)
{
    FPlayback->EnablePlayButton(Enabled);
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

void TMain::CloseSplash()
{
    if (!FSplash)
        return;
    FSplash->hide();
    FSplash.release()->deleteLater();
}

void TMain::ProcessMessages()
{
    QApplication::processEvents();
}

void TMain::Wait(int Milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(Milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void TMain::ImportOutlookItemClick()
{
    FImport->ImportOutlookClick();
}

void TMain::ImportCsvItemClick()
{
    FImport->ImportCsvFileClick();
}

// ---------------------------------------------------------------- robot

QString TMain::RobotConfigFile() const
{
    return TRobotSettingsFile::DefaultFileName(BaseFolder::path());
}

void TMain::createRobot()
{
    FRobotConfig = std::make_unique<TRobotConfig>();
    FRobotSchedule = std::make_unique<TRobotSchedule>();
    TRobotSettingsFile::Load(RobotConfigFile(), *FRobotConfig, *FRobotSchedule);
    FRobotRecording = std::make_unique<TRobotRecording>(FCallHandler->Recording(), *FRecorder);
    FRobot = std::make_unique<TFormPhoneRobot>(*FRobotConfig, *FRobotSchedule, *FPhone, *TQtPhoneClock::instance(),
                                               FOutCalls.get(), FMediaPlayer.get(), RobotConfigFile(), this);
    FRobot->setWindowFlag(Qt::Window);
    FRobot->Run().SetRecorder(FRobotRecording.get());
    FRobot->Run().SetAddressBook(FAddressBook.get());
    FRobot->CurrentVolume = [this] { return TrackBar ? TrackBar->value() : 0; };
    FRobot->VolumeChanged = [this](int v) {
        if (TrackBar)
            TrackBar->setValue(v);
    };
    connect(FCallHandler.get(), &TCallHandler::RobotLineStateChanged, FRobot.get(),
            &TFormPhoneRobot::RobotLineStateChanged);
    if (FFieldsEdit) {
        FRobotFieldsEdit = std::make_unique<TRobotFieldsEditor>(*FFieldsEdit, *this);
        FRobot->Run().SetFieldsEditor(FRobotFieldsEdit.get());
        FFieldsEdit->SetRobotWindow(FRobot.get());
        connect(FRobot.get(), &TFormPhoneRobot::FieldsEditWanted, this,
                [this](const QString &Number, bool) { FRobotFieldsEdit->Open(Number); });
    }
    RobotItem->setEnabled(true);
    connect(RobotItem, &QAction::triggered, this, &TMain::mmPhoneRobotClick);
}

void TMain::mmPhoneRobotClick()
{
    if (!FRobot || !FPhoneCodeKnown)
        return;
    StopSound();
    FOutCalls->SortBy(QStringLiteral("Time"));
    FOutPage->UpdateTitleFont();
    FConfig->SetSortField(1, QStringLiteral("Time"));
    FRobot->Run().ShowFormOnOutCall = FConfig->ShowInputFormOnOutCall;
    FRobot->exec();
}

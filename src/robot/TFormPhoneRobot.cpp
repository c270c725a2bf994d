#include "TFormPhoneRobot.h"
#include "TFormRobotEditor.h"
#include "TFormRobotOptions.h"
#include "audio/TMediaPlayer.h"
#include "phone/TPhone.h"
#include "records/TOutgoingCallBook.h"
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *toolButton(QToolBar *bar, const QString &name, const QString &text, const QString &hint,
                        QStyle::StandardPixmap icon)
{
    auto *b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint.isEmpty() ? text : hint);
    b->setIcon(bar->style()->standardIcon(icon));
    // The list commands show their icon, the run and the window commands their text too.
    b->setToolButtonStyle(name == QLatin1String("TB_Start") || name == QLatin1String("TB_Stop")
                                  || name == QLatin1String("TB_Menu") || name == QLatin1String("TB_Close")
                              ? Qt::ToolButtonTextUnderIcon
                              : Qt::ToolButtonIconOnly);
    bar->addWidget(b);
    return b;
}

} // namespace

TFormPhoneRobot::TFormPhoneRobot(TRobotConfig &Config, TRobotSchedule &Schedule, TPhone &Phone, TPhoneClock &Clock,
                                 TOutgoingCallBook *OutCalls, TMediaPlayer *Player, const QString &IniFile,
                                 QWidget *parent)
    : QDialog(parent), FConfig(Config), FSchedule(Schedule), FPhone(Phone), FOutCalls(OutCalls), FPlayer(Player),
      FIniFile(IniFile)
{
    setObjectName(QStringLiteral("FormPhoneRobot"));
    setWindowTitle(RobotCaption);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    FList.SetLastFolder(Config.LastFolder);
    FRun = std::make_unique<TRobotRun>(FList, FConfig, FSchedule, FPhone, Clock);
    FRun->SetOutCalls(OutCalls);
    FEditor = new TFormRobotEditor(this);
    FOptions = new TFormRobotOptions(this);
    buildWidgets();

    ChooseOpenFile = [this](const QString &folder) {
        QFileDialog d(this, RobotCaption, folder, QStringLiteral("Файлы *.TXT (*.TXT *.txt)"));
        d.setFileMode(QFileDialog::ExistingFile);
        d.setDefaultSuffix(QStringLiteral("txt"));
        return d.exec() == QDialog::Accepted ? d.selectedFiles().value(0) : QString();
    };
    ChooseSaveFile = [this](const QString &folder) {
        QFileDialog d(this, QStringLiteral("Сохранение списка"), folder, QStringLiteral("Файл TXT (*.txt)"));
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setDefaultSuffix(QStringLiteral("TXT"));
        if (!FList.FileName().isEmpty())
            d.selectFile(FList.FileName());
        return d.exec() == QDialog::Accepted ? d.selectedFiles().value(0) : QString();
    };
    AskSave = [this] {
        return QMessageBox::question(this, QStringLiteral("Подтвердите"), QStringLiteral("Сохранить список ?"),
                                     QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    };
    RunEditor = [](TFormRobotEditor &e) { return e.exec() == QDialog::Accepted; };
    RunOptions = [](TFormRobotOptions &o) { return o.exec() == QDialog::Accepted; };

    FRun->SaveListAs = [this] { SaveAsClick(); };
    FRun->PressStart = [this] { StartClick(); };
    FRun->PressStop = [this] { StopClick(); };
    connect(FRun.get(), &TRobotRun::PanelsChanged, this, &TFormPhoneRobot::panelsChanged);
    connect(FRun.get(), &TRobotRun::RunningChanged, this, &TFormPhoneRobot::updateCommands);
    connect(FRun.get(), &TRobotRun::ListChanged, this, [this] {
        for (int r = 0; r < FList.RowCount(); ++r)
            refreshRow(r);
    });
    connect(FRun.get(), &TRobotRun::DialRowChanged, this, [this](int row) {
        for (int r = 0; r < FList.RowCount(); ++r)
            refreshRow(r);
        if (row >= 0)
            SGMain->selectRow(row);
    });
    connect(FRun.get(), &TRobotRun::CallWritten, this, [this](qint64, int row) {
        if (row == selectedRow())
            ShowNumberHistory(row);
    });
    connect(FRun.get(), &TRobotRun::Finished, this, [this] { ShowNumberHistory(selectedRow()); });
    connect(FRun.get(), &TRobotRun::CaptionChanged, this, &QWidget::setWindowTitle);
    connect(FRun.get(), &TRobotRun::FieldsEditWanted, this, &TFormPhoneRobot::FieldsEditWanted);
    connect(FRun.get(), &TRobotRun::ListSaveFailed, this, [this](const QString &e) {
        QMessageBox::warning(this, RobotCaption, QStringLiteral("Список не записан: ") + e);
    });
    TimerPlayer.setInterval(500);
    connect(&TimerPlayer, &QTimer::timeout, this, &TFormPhoneRobot::playerTick);
    fillGrid();
    updateCommands();
}

TFormPhoneRobot::~TFormPhoneRobot() = default;

void TFormPhoneRobot::buildWidgets()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    TB_New = toolButton(bar, QStringLiteral("TB_New"), QStringLiteral("Создать"), {}, QStyle::SP_FileIcon);
    TB_OpenFile = toolButton(bar, QStringLiteral("TB_OpenFile"), QStringLiteral("Открыть"), {}, QStyle::SP_DialogOpenButton);
    TB_Edit = toolButton(bar, QStringLiteral("TB_Edit"), QStringLiteral("Редактировать"), {}, QStyle::SP_FileDialogDetailedView);
    TB_SaveFile = toolButton(bar, QStringLiteral("TB_SaveFile"), QStringLiteral("Сохранить"),
                             QStringLiteral("Сохранить на диске"), QStyle::SP_DialogSaveButton);
    TB_DeleteAllFlags = toolButton(bar, QStringLiteral("TB_DeleteAllFlags"), QStringLiteral("Сбросить флаги"),
                                   QStringLiteral("Сбросить все флаги"), QStyle::SP_DialogResetButton);
    TB_Options = toolButton(bar, QStringLiteral("TB_Options"), QStringLiteral("Настройки"), {}, QStyle::SP_FileDialogInfoView);
    bar->addSeparator();
    TB_Start = toolButton(bar, QStringLiteral("TB_Start"), QStringLiteral("Пуск"), {}, QStyle::SP_MediaPlay);
    TB_Stop = toolButton(bar, QStringLiteral("TB_Stop"), QStringLiteral("Стоп"), {}, QStyle::SP_MediaStop);
    bar->addSeparator();
    TB_Menu = toolButton(bar, QStringLiteral("TB_Menu"), QStringLiteral("Меню"), {}, QStyle::SP_TitleBarUnshadeButton);
    TB_Close = toolButton(bar, QStringLiteral("TB_Close"), QStringLiteral("Закрыть"), {}, QStyle::SP_DialogCloseButton);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const QString &name, const QString &text, auto slot, const QKeySequence &key = {}) {
        QAction *a = PopupMenu1->addAction(text);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    miNew = item(QStringLiteral("miNew"), QStringLiteral("Создать"), &TFormPhoneRobot::NewClick);
    miOpenFile = item(QStringLiteral("miOpenFile"), QStringLiteral("Открыть"), &TFormPhoneRobot::OpenFileClick);
    miEdit = item(QStringLiteral("miEdit"), QStringLiteral("Редактировать"), &TFormPhoneRobot::EditClick, Qt::Key_F2);
    miSave = item(QStringLiteral("miSave"), QStringLiteral("Сохранить"), &TFormPhoneRobot::SaveClick, Qt::Key_F5);
    miSaveAs = item(QStringLiteral("miSaveAs"), QStringLiteral("Сохранить как..."), &TFormPhoneRobot::SaveAsClick);
    PopupMenu1->addSeparator();
    miDeleteCurFlag = item(QStringLiteral("miDeleteCurFlag"), QStringLiteral("Сбросить флаг "),
                           &TFormPhoneRobot::DeleteCurFlagClick);
    miDeleteAllFlags = item(QStringLiteral("miDeleteAllFlags"), QStringLiteral("Сбросить все флаги"),
                            &TFormPhoneRobot::DeleteAllFlagsClick);
    miOptions = item(QStringLiteral("miOptions"), QStringLiteral("Настройки"), &TFormPhoneRobot::OptionsClick);
    PopupMenu1->addSeparator();
    miStart = item(QStringLiteral("miStart"), QStringLiteral("Пуск"), &TFormPhoneRobot::StartClick, Qt::Key_F9);
    miStop = item(QStringLiteral("miStop"), QStringLiteral("Стоп"), &TFormPhoneRobot::StopClick);
    PopupMenu1->addSeparator();
    miClose = item(QStringLiteral("miClose"), QStringLiteral("Выход"), &QDialog::reject);
    for (auto [button, action] : {std::pair{TB_New, miNew}, {TB_OpenFile, miOpenFile}, {TB_Edit, miEdit},
                                  {TB_SaveFile, miSave}, {TB_DeleteAllFlags, miDeleteAllFlags},
                                  {TB_Options, miOptions}, {TB_Start, miStart}, {TB_Stop, miStop}, {TB_Close, miClose}})
        connect(button, &QToolButton::clicked, action, &QAction::trigger);
    connect(TB_Menu, &QToolButton::clicked, this,
            [this] { PopupMenu1->popup(TB_Menu->mapToGlobal(QPoint(0, TB_Menu->height()))); });

    PanelTitle = new QLabel(this);
    PanelTitle->setObjectName(QStringLiteral("PanelTitle"));
    PanelTitle->setFrameShape(QFrame::StyledPanel);

    SGMain = new QTableWidget(0, 5, this);
    SGMain->setObjectName(QStringLiteral("SGMain"));
    SGMain->setHorizontalHeaderLabels({QString(), QStringLiteral(" Телефон"), QStringLiteral(" Имя"), QString(),
                                       QStringLiteral(" Кол-во")});
    for (int c = 0; c < 5; ++c)
        SGMain->setColumnWidth(c, std::array{18, 132, 342, 20, 52}[c]);
    SGMain->verticalHeader()->setDefaultSectionSize(18);
    SGMain->verticalHeader()->hide();
    SGMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGMain->setSelectionMode(QAbstractItemView::SingleSelection);
    SGMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGMain->horizontalHeader()->setCursor(Qt::PointingHandCursor);
    SGMain->horizontalHeader()->setSectionsClickable(true);
    connect(SGMain->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) {
        if (c >= 1 && c <= 4)
            sortMain(c);
    });
    connect(SGMain, &QTableWidget::currentCellChanged, this, [this](int row) {
        FRun->SelectedRow = std::max(0, row);
        ShowNumberHistory(row);
    });

    SGInfo = new QTableWidget(0, 2, this);
    SGInfo->setObjectName(QStringLiteral("SGInfo"));
    SGInfo->setHorizontalHeaderLabels({QStringLiteral(" Время"), QStringLiteral(" Ответ")});
    SGInfo->setColumnWidth(0, 209);
    SGInfo->setColumnWidth(1, 136);
    SGInfo->verticalHeader()->setDefaultSectionSize(18);
    SGInfo->verticalHeader()->hide();
    SGInfo->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGInfo->setSelectionMode(QAbstractItemView::SingleSelection);
    SGInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(SGInfo, &QTableWidget::currentCellChanged, this, &TFormPhoneRobot::historySelected);

    auto *player = new QWidget(this);
    player->setObjectName(QStringLiteral("PanelPlayer"));
    const auto playerButton = [player](const QString &name, const QString &hint, QStyle::StandardPixmap icon) {
        auto *b = new QToolButton(player);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setIcon(player->style()->standardIcon(icon));
        return b;
    };
    PlayButton = playerButton(QStringLiteral("PlayButton"), QStringLiteral("Воспроизвести запись"), QStyle::SP_MediaPlay);
    PauseBtn = playerButton(QStringLiteral("PauseBtn"), QStringLiteral("Пауза"), QStyle::SP_MediaPause);
    StopBtn = playerButton(QStringLiteral("StopBtn"), QStringLiteral("Стоп"), QStyle::SP_MediaStop);
    LabelRestTime = new QLabel(player);
    LabelRestTime->setObjectName(QStringLiteral("LabelRestTime"));
    LabelRestTime->setMinimumWidth(70);
    auto *volume = new QGroupBox(QStringLiteral("Громкость"), player);
    TrackBar = new QSlider(Qt::Horizontal, volume);
    TrackBar->setObjectName(QStringLiteral("TrackBar"));
    TrackBar->setRange(0, 100);
    (new QVBoxLayout(volume))->addWidget(TrackBar);
    auto *pl = new QVBoxLayout(player);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(PlayButton);
    buttons->addWidget(PauseBtn);
    buttons->addWidget(StopBtn);
    buttons->addWidget(LabelRestTime);
    pl->addLayout(buttons);
    pl->addWidget(volume);
    pl->addStretch();
    connect(PlayButton, &QToolButton::clicked, this, &TFormPhoneRobot::playClick);
    connect(PauseBtn, &QToolButton::clicked, this, [this] {
        if (FPlayer && FPlayer->Mode() == mpPlaying)
            FPlayer->Pause();
    });
    connect(StopBtn, &QToolButton::clicked, this, [this] {
        if (FPlayer)
            FPlayer->Stop();
    });
    connect(TrackBar, &QSlider::valueChanged, this, [this](int v) {
        if (VolumeChanged)
            VolumeChanged(v);
    });

    auto *info = new QWidget(this);
    info->setObjectName(QStringLiteral("PanelInfo"));
    auto *il = new QHBoxLayout(info);
    il->setContentsMargins(0, 0, 0, 0);
    il->addWidget(SGInfo, 1);
    il->addWidget(player);

    PanelSplit = new QSplitter(Qt::Vertical, this);
    PanelSplit->setObjectName(QStringLiteral("PanelSplit"));
    PanelSplit->setHandleWidth(8);
    PanelSplit->setChildrenCollapsible(false);
    PanelSplit->addWidget(SGMain);
    PanelSplit->addWidget(info);
    SGMain->setMinimumHeight(70);
    info->setMinimumHeight(110);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        Panels[i] = new QLabel(StatusBar1);
        Panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        Panels[i]->setFixedWidth(std::array{200, 200, 50}[i] + (i == 2 ? 70 : 0));
        StatusBar1->addWidget(Panels[i]);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(bar);
    layout->addWidget(PanelTitle);
    layout->addWidget(PanelSplit, 1);
    layout->addWidget(StatusBar1);

    for (QWidget *w : {static_cast<QWidget *>(SGMain->viewport()), static_cast<QWidget *>(SGInfo->viewport()),
                       static_cast<QWidget *>(PanelTitle), player})
        w->installEventFilter(this);
}

bool TFormPhoneRobot::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        PopupMenu1->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

int TFormPhoneRobot::selectedRow() const
{
    return SGMain->currentRow();
}

void TFormPhoneRobot::fillGrid()
{
    const QSignalBlocker block(SGMain);
    SGMain->setRowCount(std::max(1, FList.RowCount()));
    SGMain->clearContents();
    for (int r = 0; r < FList.RowCount(); ++r)
        refreshRow(r);
    for (int c = 1; c <= 4; ++c)
        if (QTableWidgetItem *h = SGMain->horizontalHeaderItem(c))
            h->setIcon(c == FList.SortColumn() ? style()->standardIcon(QStyle::SP_ArrowDown) : QIcon());
}

void TFormPhoneRobot::refreshRow(int Row)
{
    if (Row < 0 || Row >= FList.RowCount())
        return;
    const TRobotRow &r = FList.Row(Row);
    const auto cell = [&](int c) {
        QTableWidgetItem *i = SGMain->item(Row, c);
        if (!i) {
            i = new QTableWidgetItem;
            SGMain->setItem(Row, c, i);
        }
        return i;
    };
    cell(0)->setIcon(Row == FRun->DialRow() ? style()->standardIcon(QStyle::SP_ArrowRight) : QIcon());
    cell(1)->setText(r.Number);
    cell(2)->setText(r.Name);
    cell(3)->setIcon(r.Mark == u'+'   ? style()->standardIcon(QStyle::SP_DialogApplyButton)
                     : r.Mark == u'-' ? style()->standardIcon(QStyle::SP_DialogCancelButton)
                                      : QIcon());
    cell(3)->setData(Qt::UserRole, r.Mark.isNull() ? QString() : QString(r.Mark));
    cell(4)->setText(QString::number(r.Count));
}

void TFormPhoneRobot::updateCommands()
{
    const bool running = FRun->Running();
    miStart->setEnabled(!running);
    miStop->setEnabled(running);
    for (QAction *a : {miNew, miOpenFile, miEdit})
        a->setEnabled(!running);
    TB_Start->setEnabled(miStart->isEnabled());
    TB_Stop->setEnabled(running);
    TB_New->setEnabled(!running);
    TB_OpenFile->setEnabled(!running);
    TB_Edit->setEnabled(!running);
    historySelected();
}

void TFormPhoneRobot::RobotLineStateChanged(bool Online)
{
    miStart->setEnabled(Online && !miStop->isEnabled());
    TB_Start->setEnabled(miStart->isEnabled());
}

void TFormPhoneRobot::panelsChanged()
{
    for (int i = 0; i < 3; ++i)
        Panels[i]->setText(FRun->Panel(i));
}

void TFormPhoneRobot::showTitle()
{
    PanelTitle->setText(FList.FileName().isEmpty() ? QString()
                                                   : QStringLiteral(" Список: ") + QDir::toNativeSeparators(FList.FileName()));
}

void TFormPhoneRobot::sortMain(int Column)
{
    const int selected = selectedRow();
    const QList<int> moved = FRun->SortList(Column);
    fillGrid();
    // The selection stays on its row; during a run that is the dialled one.
    const int row = FRun->Running() && FRun->DialRow() >= 0 ? FRun->DialRow()
        : selected >= 0 && selected < moved.size()        ? moved[selected]
                                                          : selected;
    if (row >= 0)
        SGMain->selectRow(row);
}

void TFormPhoneRobot::NewClick()
{
    if (!miNew->isEnabled())
        return;
    FEditor->SetRows({{}, {}});
    if (!RunEditor(*FEditor))
        return;
    FList.SetFromEditor(FEditor->Rows(), true);
    PanelTitle->clear();
    fillGrid();
    ShowNumberHistory(0);
}

void TFormPhoneRobot::OpenFileClick()
{
    if (!miOpenFile->isEnabled())
        return;
    OfferToSave();
    const QString file = ChooseOpenFile(FList.LastFolder());
    if (!file.isEmpty())
        OpenList(file);
}

void TFormPhoneRobot::OpenList(const QString &FileName)
{
    if (!FList.LoadList(FileName))
        return;
    FConfig.LastFolder = FList.LastFolder();
    fillGrid();
    showTitle();
    SGMain->setCurrentCell(0, 1);
    ShowNumberHistory(0);
}

void TFormPhoneRobot::EditClick()
{
    if (!miEdit->isEnabled())
        return;
    if (FList.State() == rlsNone) {
        NewClick();
        return;
    }
    FEditor->SetRows(FList.EditorRows());
    if (!RunEditor(*FEditor))
        return;
    FList.SetFromEditor(FEditor->Rows(), false);
    fillGrid();
    ShowNumberHistory(std::max(0, selectedRow()));
}

bool TFormPhoneRobot::saveTo(const QString &FileName)
{
    QString error;
    if (!FList.SaveList(FileName, &error)) {
        QMessageBox::warning(this, RobotCaption, QStringLiteral("Список не записан: ") + error);
        return false;
    }
    FConfig.LastFolder = FList.LastFolder();
    showTitle();
    return true;
}

void TFormPhoneRobot::SaveClick()
{
    switch (FList.State()) {
    case rlsSaved:
    case rlsModified: saveTo(FList.FileName()); break;
    case rlsNew: SaveAsClick(); break;
    default: break;
    }
}

void TFormPhoneRobot::SaveAsClick()
{
    const QString file = ChooseSaveFile(FList.LastFolder());
    if (!file.isEmpty())
        saveTo(file);
}

void TFormPhoneRobot::DeleteCurFlagClick()
{
    FList.ResetMark(selectedRow());
    refreshRow(selectedRow());
}

void TFormPhoneRobot::DeleteAllFlagsClick()
{
    FList.ResetAllMarks();
    fillGrid();
}

void TFormPhoneRobot::OptionsClick()
{
    const bool timer = FRun->TaskTimerActive();
    FRun->SetTaskTimerActive(false);
    FOptions->Load(FConfig, FSchedule, FPhone.Host() && FPhone.Host()->Identity.PhoneOption2);
    if (RunOptions(*FOptions))
        FOptions->Store(FConfig, FSchedule);
    FRun->SetTaskTimerActive(timer);
}

void TFormPhoneRobot::StartClick()
{
    if (!miStart->isEnabled())
        return;
    if (FPlayer)
        FPlayer->Stop();
    FRun->Start(std::max(0, selectedRow()));
    updateCommands();
}

void TFormPhoneRobot::StopClick()
{
    if (!miStop->isEnabled())
        return;
    FRun->Stop();
    updateCommands();
}

void TFormPhoneRobot::OfferToSave()
{
    if (FList.State() != rlsNew && FList.State() != rlsModified)
        return;
    if (!AskSave())
        return;
    if (FList.State() == rlsNew)
        SaveAsClick();
    else
        saveTo(FList.FileName());
}

void TFormPhoneRobot::ShowNumberHistory(int Row)
{
    FHistory.clear();
    SGInfo->setRowCount(0);
    if (FOutCalls && Row >= 0 && Row < FList.RowCount())
        FHistory = TRobotHistory::Calls(*FOutCalls, FList.Row(Row).Number);
    SGInfo->setRowCount(int(FHistory.size()));
    for (int i = 0; i < FHistory.size(); ++i) {
        SGInfo->setItem(i, 0, new QTableWidgetItem(
                                  FHistory[i].Time.toQDateTime().toString(QStringLiteral("dd.MM.yyyy H:mm:ss"))));
        auto *file = new QTableWidgetItem;
        if (!FHistory[i].FileName.isEmpty()) {
            file->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
            file->setToolTip(FHistory[i].FileName);
        }
        SGInfo->setItem(i, 1, file);
    }
    historySelected();
}

void TFormPhoneRobot::historySelected()
{
    const int i = SGInfo->currentRow();
    PlayButton->setEnabled(!FRun->Running() && i >= 0 && i < FHistory.size() && !FHistory[i].FileName.isEmpty());
}

void TFormPhoneRobot::playClick()
{
    if (!FPlayer)
        return;
    if (FPlayer->Mode() == mpPaused) {
        FPlayer->Resume();
        return;
    }
    if (FPlayer->Mode() == mpPlaying)
        FPlayer->Stop();
    const int i = SGInfo->currentRow();
    if (i < 0 || i >= FHistory.size() || !QFileInfo::exists(FHistory[i].FileName))
        return;
    FPlayer->SetFileName(FHistory[i].FileName);
    if (FPlayer->Open())
        FPlayer->Play();
}

QString TFormPhoneRobot::RestTimeText(qint64 RemainingMs)
{
    const qint64 s = std::max<qint64>(0, RemainingMs / 1000);
    return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void TFormPhoneRobot::playerTick()
{
    if (!FPlayer)
        return;
    if (FPlayer->Mode() == mpPlaying)
        LabelRestTime->setText(RestTimeText(FPlayer->Length() - FPlayer->Position()));
    else if (FPlayer->Mode() != mpPaused)
        LabelRestTime->clear();
}

void TFormPhoneRobot::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FClosing = false;
    setWindowTitle(RobotCaption);
    const TRobotWindowLayout l = TRobotSettingsFile::LoadLayout(FIniFile);
    const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    if (l.Maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        const QSize size(std::min(l.Width, area.width()), std::min(l.Height, area.height()));
        resize(size);
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    const int total = PanelSplit->height();
    const int info = total - l.InfoHeight < 135 ? total / 2 : l.InfoHeight;
    PanelSplit->setSizes({total - info, info});
    if (CurrentVolume) {
        const QSignalBlocker block(TrackBar);
        TrackBar->setValue(CurrentVolume());
    }
    TimerPlayer.start();
    FRun->SetTaskTimerActive(true);
    updateCommands();
}

void TFormPhoneRobot::hideEvent(QHideEvent *event)
{
    FRun->SetTaskTimerActive(false);
    TimerPlayer.stop();
    QDialog::hideEvent(event);
}

bool TFormPhoneRobot::closing()
{
    if (FClosing)
        return false;
    FClosing = true;
    if (FRun->Running())
        FRun->Stop();
    if (FPlayer)
        FPlayer->Stop();
    OfferToSave();
    TRobotWindowLayout l;
    l.Maximised = isMaximized();
    l.Width = width();
    l.Height = height();
    l.InfoHeight = PanelSplit->sizes().value(1, 140);
    TRobotSettingsFile::SaveLayout(FIniFile, l);
    updateCommands();
    return true;
}

void TFormPhoneRobot::closeEvent(QCloseEvent *event)
{
    closing();
    QDialog::closeEvent(event);
}

void TFormPhoneRobot::reject()
{
    closing();
    QDialog::reject();
}

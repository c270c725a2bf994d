#include "TFormAONSetting.h"
#include "TFormProgress.h"
#include "config/TConfig.h"
#include "phone/TPhoneIdentity.h"
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString TFormAONSetting::Caption = QStringLiteral("Редактор настроек телефона VRX");
const QString TFormAONSetting::InvalidValueText = QStringLiteral("Недопустимое значение параметра!");
const QString TFormAONSetting::ReadRestQuestion =
    QStringLiteral("Для сохранения профиля на диск\nнеобходимо определить все параметры.\n\n"
                   "Загрузить остальные параметры с телефона ?");
const QString TFormAONSetting::ModifiedQuestion =
    QStringLiteral("Загруженный профиль был изменен.\n\nСохранить профиль на диске ?");
const QString TFormAONSetting::NothingLoadedText =
    QStringLiteral("В файле нет ни одного параметра этого телефона.\nПрофиль не загружен.");
const QString TFormAONSetting::NoFirmwareText =
    QStringLiteral("Версия программы телефона не определена.\nПрофиль не загружен.");
const QString TFormAONSetting::NoDescriptionText =
    QStringLiteral("Описание параметров телефона (Params.vrx) не прочитано.\nПрофиль не загружен.");

namespace {

const char *OptionProperty = "OptionNumber";
const QString Confirm = QStringLiteral("Подтвердите");
const QString ErrorCaption = QStringLiteral("Ошибка");

// The tree's and the status bar's pictures: 0 heading, 1 parameter,
// 2 changed, 3 locked or absent module; 4 no value, 5 no module.
QIcon statePicture(int Index)
{
    static const QColor colours[] = {QColor(120, 120, 120), QColor(40, 140, 60), QColor(220, 120, 0),
                                     QColor(200, 40, 40),   QColor(90, 120, 200), QColor(200, 40, 40)};
    QPixmap pm(14, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = colours[qBound(0, Index, 5)];
    p.setPen(c.darker(140));
    p.setBrush(c);
    if (Index == 0)
        p.drawRect(2, 3, 10, 8);
    else if (Index == 3 || Index == 5) {
        p.drawEllipse(1, 1, 12, 12);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(4, 7, 10, 7);
    } else
        p.drawEllipse(2, 2, 10, 10);
    return QIcon(pm);
}

class HourGlass {
public:
    HourGlass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourGlass() { QApplication::restoreOverrideCursor(); }
};

QString dialogFilter()
{
    // "Text|*.AON" as a Qt filter.
    return TParamModel::ProfileFilter.section(QLatin1Char('|'), 0, 0);
}

} // namespace

TFormAONSetting::TFormAONSetting(TParamModel &Model, IParamLink &Link, TFormProgress &Progress, TConfig *Config,
                                 const TPhoneIdentity &Identity, const QString &DescriptionFile, QWidget *parent)
    : QDialog(parent), FModel(Model), FLink(Link), FProgress(Progress), FConfig(Config), FIdentity(Identity),
      FDescriptionFile(DescriptionFile), FTimer([this] { TimerAskParameterTimer(); })
{
    setObjectName(QStringLiteral("FormAONSetting"));
    setWindowTitle(Caption);
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setMinimumSize(639, 479);
    resize(760, 597);
    AskYesNo = [this](const QString &text, const QString &caption) {
        return QMessageBox::question(this, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    ShowError = [this](const QString &text, const QString &caption) { QMessageBox::critical(this, caption, text); };
    ShowWarning = [this](const QString &text, const QString &caption) { QMessageBox::warning(this, caption, text); };
    ChooseOpenFile = [this] { return OpenProfileDialog(); };
    ChooseSaveFile = [this](const QString &preset) {
        QFileDialog d(this, QStringLiteral("Сохранение профиля"), preset, dialogFilter());
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setDefaultSuffix(TParamModel::ProfileExtension);
        if (!preset.isEmpty())
            d.selectFile(preset);
        return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty() ? d.selectedFiles().first() : QString();
    };
    createComponents();
    // The transfer window belongs to this one, so that it takes input while
    // this window runs modally; it stays a window of its own.
    FProgress.setParent(this, FProgress.windowFlags());

    // The window's state and the tree's width as kept.
    if (FConfig) {
        if (FConfig->AONSettingState == 2)
            setWindowState(Qt::WindowMaximized);
        int tree = FConfig->TreeWidth > 0 ? FConfig->TreeWidth : 300;
        if (width() - tree < 50)
            tree = width() / 2;
        Splitter->setSizes({tree, width() - tree});
    }
    if (QFileInfo::exists(FDescriptionFile)) {
        FDescriptionRead = QFile(FDescriptionFile).open(QIODevice::ReadOnly);
        if (FIdentity.FirmwareVersion != 0)
            BuildModel();
    }
}

TFormAONSetting::~TFormAONSetting()
{
    // The transfer window has its own owner.
    FProgress.setParent(nullptr, FProgress.windowFlags());
}

QString TFormAONSetting::OpenProfileDialog()
{
    QFileDialog d(this, QStringLiteral("Загрузка профиля телефона VRX"), QString(), dialogFilter());
    d.setFileMode(QFileDialog::ExistingFile);
    d.setDefaultSuffix(TParamModel::ProfileExtension);
    return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty() ? d.selectedFiles().first() : QString();
}

QToolButton *TFormAONSetting::toolButton(const QString &Name, QAction *Action)
{
    auto *b = new QToolButton(this);
    b->setObjectName(Name);
    b->setDefaultAction(Action);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    return b;
}

void TFormAONSetting::createComponents()
{
    QStyle *st = style();
    auto action = [this](const QString &name, const QString &text, QStyle::StandardPixmap icon) {
        auto *a = new QAction(style()->standardIcon(icon), text, this);
        a->setObjectName(name);
        a->setToolTip(text);
        return a;
    };
    miLoadFromFile = action(QStringLiteral("miLoadFromFile"), QStringLiteral("Загрузить профиль с диска"),
                            QStyle::SP_DialogOpenButton);
    miLoadFromAON = action(QStringLiteral("miLoadFromAON"), QStringLiteral("Загрузить параметры из телефона"),
                           QStyle::SP_ArrowDown);
    miSaveOnDisk = action(QStringLiteral("miSaveOnDisk"), QStringLiteral("Сохранить на диске"),
                          QStyle::SP_DialogSaveButton);
    miSaveOnDiskAs = action(QStringLiteral("miSaveOnDiskAs"), QStringLiteral("Сохранить на диске как..."),
                            QStyle::SP_DriveFDIcon);
    miSaveInAON = action(QStringLiteral("miSaveInAON"), QStringLiteral("Загрузить параметры в телефон"),
                         QStyle::SP_ArrowUp);
    miSaveInAON1 = action(QStringLiteral("miSaveInAON1"), QStringLiteral("Загрузить текущий параметр в телефон"),
                          QStyle::SP_MediaSeekForward);
    miClose = action(QStringLiteral("miClose"), QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({miLoadFromFile, miLoadFromAON});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({miSaveOnDisk, miSaveOnDiskAs});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({miSaveInAON, miSaveInAON1});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(miClose);
    connect(miLoadFromFile, &QAction::triggered, this, &TFormAONSetting::loadFromFileClick);
    connect(miLoadFromAON, &QAction::triggered, this, &TFormAONSetting::loadFromAONClick);
    connect(miSaveOnDisk, &QAction::triggered, this, [this] { saveClick(miSaveOnDisk); });
    connect(miSaveOnDiskAs, &QAction::triggered, this, [this] { saveClick(miSaveOnDiskAs); });
    connect(miSaveInAON, &QAction::triggered, this, &TFormAONSetting::saveInAONClick);
    connect(miSaveInAON1, &QAction::triggered, this, &TFormAONSetting::saveInAON1Click);
    connect(miClose, &QAction::triggered, this, [this] {
        if (!guardInvalid())
            close();
    });

    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    auto *menuButton = new QToolButton(this);
    menuButton->setObjectName(QStringLiteral("TB_Menu"));
    menuButton->setText(QStringLiteral("Меню"));
    menuButton->setToolTip(QStringLiteral("Меню"));
    menuButton->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));
    menuButton->setIconSize(QSize(24, 24));
    menuButton->setAutoRaise(true);
    connect(menuButton, &QToolButton::clicked, this,
            [this, menuButton] { PopupMenu1->popup(menuButton->mapToGlobal(QPoint(0, menuButton->height()))); });
    toolBar->addWidget(menuButton);
    toolBar->addSeparator();
    toolBar->addWidget(toolButton(QStringLiteral("TB_LoaqFromDisk"), miLoadFromFile));
    toolBar->addWidget(toolButton(QStringLiteral("TB_LoadFromAON"), miLoadFromAON));
    toolBar->addWidget(toolButton(QStringLiteral("TB_SaveOnDisk"), miSaveOnDisk));
    toolBar->addSeparator();
    toolBar->addWidget(toolButton(QStringLiteral("TB_SaveInAON"), miSaveInAON));
    toolBar->addWidget(toolButton(QStringLiteral("TB_Save1InAON"), miSaveInAON1));
    toolBar->addSeparator();
    toolBar->addWidget(toolButton(QStringLiteral("TB_Close"), miClose));

    TabControl = new QTabBar(this);
    TabControl->setObjectName(QStringLiteral("TabControl"));
    TabControl->setExpanding(false);
    TabControl->setUsesScrollButtons(true);
    connect(TabControl, &QTabBar::currentChanged, this, &TFormAONSetting::tabChanged);

    TreeView = new QTreeWidget(this);
    TreeView->setObjectName(QStringLiteral("TreeView"));
    TreeView->setHeaderHidden(true);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView->setIconSize(QSize(14, 14));
    TreeView->setMinimumWidth(151);
    TreeView->setStyleSheet(QStringLiteral(
        "QTreeWidget { background: #FFFBF0; color: black; }"
        "QTreeWidget::item:selected:active { background: rgb(166,202,240); color: black; }"
        "QTreeWidget::item:selected:!active { background: transparent; border: 1px solid rgb(166,202,240);"
        " color: black; }"));
    connect(TreeView, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *now, QTreeWidgetItem *was) {
        if (FInvalidValue && now != FShownItem) {
            // The selection does not move while a number is invalid.
            const QSignalBlocker block(TreeView);
            TreeView->setCurrentItem(was ? was : FShownItem);
            return;
        }
        showItem();
    });

    PanelSetting = new QWidget(this);
    PanelSetting->setObjectName(QStringLiteral("PanelSetting"));
    PanelSetting->setMinimumWidth(201);
    auto *setting = new QVBoxLayout(PanelSetting);
    PanelTop = new QLabel(PanelSetting);
    PanelTop->setObjectName(QStringLiteral("PanelTop"));
    QFont bold = PanelTop->font();
    bold.setBold(true);
    PanelTop->setFont(bold);
    PanelTop->setWordWrap(true);
    setting->addWidget(PanelTop);
    for (int s = 0; s < 2; ++s) {
        const QString n = QString::number(s + 1);
        Panel[s] = new QWidget(PanelSetting);
        Panel[s]->setObjectName(QStringLiteral("Panel") + n);
        auto *box = new QVBoxLayout(Panel[s]);
        box->setContentsMargins(0, 0, 0, 0);
        RGSetting[s] = new QGroupBox(Panel[s]);
        RGSetting[s]->setObjectName(QStringLiteral("RGSetting") + n);
        new QVBoxLayout(RGSetting[s]);
        FRadio[s] = new QButtonGroup(this);
        connect(FRadio[s], &QButtonGroup::buttonToggled, this, [this, s](QAbstractButton *b, bool on) {
            if (on)
                changedByUser(s, b);
        });
        PanelSet[s] = new QWidget(Panel[s]);
        PanelSet[s]->setObjectName(QStringLiteral("PanelSet") + n);
        auto *row = new QHBoxLayout(PanelSet[s]);
        SpinEdit[s] = new QSpinBox(PanelSet[s]);
        SpinEdit[s]->setObjectName(QStringLiteral("SpinEdit") + n);
        SpinEdit[s]->setFont(bold);
        SpinEdit[s]->setMaximumWidth(70);
        SpinEdit[s]->setRange(0, 255);
        SpinEdit[s]->installEventFilter(this);
        LabelSet[s] = new QLabel(PanelSet[s]);
        LabelSet[s]->setObjectName(QStringLiteral("LabelSet") + n);
        row->addWidget(SpinEdit[s]);
        row->addWidget(LabelSet[s], 1);
        connect(SpinEdit[s], &QSpinBox::valueChanged, this, [this, s] { changedByUser(s, SpinEdit[s]); });
        connect(SpinEdit[s], &QSpinBox::editingFinished, this, [this, s] { spinEditExit(s); });
        PanelFlags[s] = new QWidget(Panel[s]);
        PanelFlags[s]->setObjectName(QStringLiteral("PanelFlags") + n);
        box->addWidget(RGSetting[s]);
        box->addWidget(PanelSet[s]);
        box->addWidget(PanelFlags[s]);
        setting->addWidget(Panel[s]);
    }
    Memo1 = new QPlainTextEdit(PanelSetting);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    setting->addWidget(Memo1, 1);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->addWidget(TreeView);
    Splitter->addWidget(PanelSetting);
    Splitter->setChildrenCollapsible(false);
    Splitter->setHandleWidth(6);
    Splitter->handle(1)->setObjectName(QStringLiteral("PanelVSplit"));
    Splitter->setStretchFactor(1, 1);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        StatusPanel[i] = new QLabel(status);
        StatusPanel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanel[i]->setFrameShape(QFrame::StyledPanel);
    }
    StatusPanel[0]->setFixedWidth(36);
    StatusPanel[0]->setAlignment(Qt::AlignCenter);
    StatusPanel[1]->setFixedWidth(250);
    status->addWidget(StatusPanel[0]);
    status->addWidget(StatusPanel[1]);
    status->addWidget(StatusPanel[2], 1);

    auto *all = new QVBoxLayout(this);
    all->setContentsMargins(4, 4, 4, 0);
    all->setSpacing(2);
    all->addWidget(toolBar);
    all->addWidget(TabControl);
    all->addWidget(Splitter, 1);
    all->addWidget(status);
}

bool TFormAONSetting::BuildModel()
{
    // The description's VER lines need the firmware version: without it the
    // model would lack whatever depends on them for the whole run.
    if (FModel.Empty() && FDescriptionRead && FIdentity.FirmwareVersion != 0) {
        QString error;
        FModel.LoadDescriptionFile(FDescriptionFile, FIdentity.FirmwareVersion, error);
        if (isVisible() && HasModel()) {
            FModel.RefreshModules(FIdentity);
            fillTabs();
        }
    }
    return HasModel();
}

TParamGroup *TFormAONSetting::currentGroup() const
{
    const int i = TabControl->currentIndex();
    return i >= 0 && i < int(FModel.Groups.size()) ? FModel.Groups[size_t(i)].get() : nullptr;
}

TParam *TFormAONSetting::SelectedParam() const
{
    const int i = FTreeItems.indexOf(TreeView->currentItem());
    return i >= 0 ? FItems[size_t(i)].Param : nullptr;
}

QString TFormAONSetting::StatusText(int Panel) const
{
    return StatusPanel[qBound(0, Panel, 2)]->text();
}

void TFormAONSetting::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FModified = false;
    FProfileSource = srcNone;
    FProfileFileName.clear();
    FPendingCommand = nullptr;
    FInvalidValue = false;
    BuildModel();
    FModel.RefreshModules(FIdentity);
    fillTabs();
}

void TFormAONSetting::fillTabs()
{
    const QSignalBlocker block(TabControl);
    while (TabControl->count())
        TabControl->removeTab(0);
    for (const QString &c : FModel.TabCaptions)
        TabControl->addTab(c);
    TabControl->setVisible(!FModel.TabCaptions.isEmpty());
    Splitter->setVisible(!FModel.TabCaptions.isEmpty());
    int tab = FTab >= 0 && FTab < TabControl->count() ? FTab : FModel.SelectedTab;
    if (tab >= 0)
        TabControl->setCurrentIndex(tab);
    FTab = TabControl->currentIndex();
    showTree();
}

void TFormAONSetting::SelectTab(int Index)
{
    TabControl->setCurrentIndex(Index);
}

void TFormAONSetting::tabChanged(int Index)
{
    if (FInvalidValue) {
        // The tab does not change while a number is invalid.
        {
            const QSignalBlocker block(TabControl);
            TabControl->setCurrentIndex(FTab);
        }
        ReportInvalidValue();
        return;
    }
    FTab = Index;
    showTree();
}

void TFormAONSetting::showTree()
{
    TParamGroup *g = currentGroup();
    {
        const QSignalBlocker block(TreeView);
        TreeView->clear();
        FTreeItems.clear();
        FItems = g ? TParamModel::BuildTree(*g) : std::vector<TTreeItem>();
        for (const TTreeItem &it : FItems) {
            auto *item = it.Parent < 0 ? new QTreeWidgetItem(TreeView)
                                       : new QTreeWidgetItem(FTreeItems.at(it.Parent));
            item->setText(0, it.Caption);
            FTreeItems << item;
        }
        TreeView->expandAll();
        FShownItem = nullptr;
    }
    redrawTree();
    int select = FTreeItems.isEmpty() ? -1 : 0;
    if (g && g->CurrentNode)
        for (size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].Param == g->CurrentNode->Param) {
                select = int(i);
                break;
            }
    if (select >= 0)
        TreeView->setCurrentItem(FTreeItems.at(select));
    else
        showItem();
    TreeView->setFocus();
}

bool TFormAONSetting::SelectParam(qint32 Id)
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Param && FItems[i].Param->Id == Id) {
            TreeView->setCurrentItem(FTreeItems.at(int(i)));
            return true;
        }
    return false;
}

QIcon TFormAONSetting::itemIcon(const TTreeItem &Item) const
{
    if (!Item.Param || Item.Param->Id == 0)
        return statePicture(0);
    const TParamGroup *g = currentGroup();
    if (g && !g->ModulePresent)
        return statePicture(3);
    return statePicture(Item.Param->State == pvChanged ? 2 : 1);
}

void TFormAONSetting::redrawTree()
{
    for (int i = 0; i < FTreeItems.size(); ++i)
        FTreeItems.at(i)->setIcon(0, itemIcon(FItems[size_t(i)]));
}

void TFormAONSetting::showItem()
{
    Memo1->clear();
    FUpdating = true;
    FTimer.Stop();
    FTimerTag = 0;
    FShownItem = TreeView->currentItem();
    TParam *p = SelectedParam();
    if (!p) {
        PanelTop->hide();
        Panel[0]->hide();
        Panel[1]->hide();
        ShowParamState(pvNoValue);
        return;
    }
    if (p->Id == 0) {
        PanelTop->hide();
        Panel[0]->hide();
        Panel[1]->hide();
    } else {
        PanelTop->setText(p->Name);
        PanelTop->show();
        for (int s = 0; s < 2; ++s) {
            Panel[s]->setVisible(p->Values.size() > s);
            if (p->Values.size() > s)
                showSlot(s, *p);
        }
        if (p->State != pvQuerying)
            FUpdating = false;
        else if (FLink.Online() && isVisible()) {
            FLink.RequestParameter(quint16(p->Id));
            FTimerTag = p->Id;
            FTimer.Start(TParamTransfer::RepeatInterval);
        }
    }
    Memo1->setPlainText(p->Description.join(QLatin1Char('\n')));
    ShowParamState(p->State);
    if (TParamGroup *g = currentGroup())
        for (const auto &n : g->Nodes)
            if (n->Param == p) {
                g->CurrentNode = n.get();
                break;
            }
    layoutEditors();
}

void TFormAONSetting::showSlot(int Slot, const TParam &P)
{
    const TParamValue &v = P.Values[Slot];
    const bool known = P.Known();
    RGSetting[Slot]->setVisible(v.Kind == skGroup);
    PanelSet[Slot]->setVisible(v.Kind == skSet);
    PanelFlags[Slot]->setVisible(v.Kind == skFlag);
    if (v.Kind == skGroup) {
        for (QAbstractButton *b : FRadio[Slot]->buttons()) {
            FRadio[Slot]->removeButton(b);
            delete b;
        }
        for (const QString &label : v.Labels) {
            const TOptionLabel o = TParamModel::ParseOptionLabel(label);
            auto *b = new QRadioButton(o.Caption, RGSetting[Slot]);
            b->setProperty(OptionProperty, o.Number);
            RGSetting[Slot]->layout()->addWidget(b);
            FRadio[Slot]->addButton(b);
            if (known && (o.Number & 0xFF) == v.Value)
                b->setChecked(true);
        }
        Panel[Slot]->setFixedHeight(25 * int(v.Labels.size()) + 8 + 16);
    } else if (v.Kind == skFlag) {
        qDeleteAll(Flags[Slot]);
        Flags[Slot].clear();
        for (int i = 0; i < v.Labels.size(); ++i) {
            const TOptionLabel o = TParamModel::ParseOptionLabel(v.Labels.at(i));
            auto *c = new QCheckBox(o.Caption, PanelFlags[Slot]);
            c->setObjectName(QStringLiteral("Flag%1_%2").arg(Slot + 1).arg(i));
            c->setProperty(OptionProperty, o.Number);
            c->setGeometry(5, 4 + 25 * i, qMax(10, PanelFlags[Slot]->width() - 10), 22);
            if (known)
                c->setChecked(v.Value & (1u << (o.Number % 32)));
            c->show();
            connect(c, &QCheckBox::toggled, this, [this, Slot, c] { changedByUser(Slot, c); });
            Flags[Slot] << c;
        }
        Panel[Slot]->setFixedHeight(25 * int(v.Labels.size()) + 8);
    } else if (v.Kind == skSet) {
        LabelSet[Slot]->setText(v.Labels.value(0));
        SpinEdit[Slot]->setRange(TParamModel::AllowedMin(v.Allowed), TParamModel::AllowedMax(v.Allowed));
        if (known)
            SpinEdit[Slot]->setValue(v.Value);
        Panel[Slot]->setFixedHeight(60);
    } else
        Panel[Slot]->setFixedHeight(0);
}

void TFormAONSetting::TimerAskParameterTimer()
{
    if (FTimerTag > 0 && FLink.Online() && isVisible())
        FLink.RequestParameter(quint16(FTimerTag));
    else
        FTimer.Stop();
}

void TFormAONSetting::ShowParamState(TParamState State)
{
    const TParamGroup *g = currentGroup();
    const bool present = !g || g->ModulePresent;
    bool enabled = false;
    if (FLink.Online() && State != pvLocked && present) {
        enabled = State == pvDefined || State == pvChanged;
        StatusPanel[1]->setText(TParamModel::StateTexts.value(State));
        StatusPanel[0]->setPixmap(PanelTop->isVisible() ? statePicture(State).pixmap(14, 14) : QPixmap());
    } else {
        StatusPanel[1]->setText(TParamModel::StateTexts.value(present ? pvLocked : pvNoModule));
        // Off line: the main window's first status picture (the phone not connected).
        const QIcon picture = FLink.Online() ? statePicture(3) : QIcon(QStringLiteral(":/icons/state0.svg"));
        StatusPanel[0]->setPixmap(picture.pixmap(16, 16));
    }
    for (int s = 0; s < 2; ++s)
        Panel[s]->setEnabled(enabled);
    StatusPanel[2]->setText(FProfileSource == srcPhone ? QStringLiteral("Профиль загружен из телефона")
                                                       : QStringLiteral("Профиль: ") + FProfileFileName);
}

void TFormAONSetting::ParamReceived(quint16 Address, const QList<quint16> &Values)
{
    if (FProgress.Running()) {
        FProgress.ParamReceived(Address, Values);
        return;
    }
    if (!isVisible() || Values.isEmpty())
        return;
    FUpdating = true;
    TParam *p = SelectedParam();
    if (p) {
        FTimer.Stop();
        FTimerTag = 0;
    }
    if (p && p->Id != 0 && quint16(p->Id) == Address) {
        for (int s = 0; s < 2 && s < Values.size() && s < p->Values.size(); ++s)
            takeValue(s, *p, Values.at(s));
        ShowParamState(p->State);
        redrawTree();
    }
    FUpdating = false;
}

void TFormAONSetting::takeValue(int Slot, TParam &P, quint16 Value)
{
    TParamValue &v = P.Values[Slot];
    switch (v.Kind) {
    case skGroup:
        for (QAbstractButton *b : FRadio[Slot]->buttons())
            if ((b->property(OptionProperty).toInt() & 0xFF) == Value) {
                b->setChecked(true);
                v.Value = Value;
                P.State = pvDefined;
                return;
            }
        return;   // no option matches: the value is not taken
    case skSet:
        SpinEdit[Slot]->setValue(Value);
        v.Value = Value;
        P.State = pvDefined;
        return;
    case skFlag:
        v.Value = Value;
        P.State = pvDefined;
        for (QCheckBox *c : Flags[Slot])
            c->setChecked(Value & (1u << (c->property(OptionProperty).toInt() % 32)));
        return;
    case skNone:
        v.Value = Value;
        P.State = pvDefined;
        return;
    }
}

void TFormAONSetting::changedByUser(int Slot, QObject *Sender)
{
    QSpinBox *spin = qobject_cast<QSpinBox *>(Sender);
    if (spin) {
        QPalette pal = spin->palette();
        pal.setColor(QPalette::Text, Qt::black);
        spin->setPalette(pal);
        FInvalidValue = false;
    }
    TParam *p = SelectedParam();
    if (FUpdating || !p || Slot >= p->Values.size())
        return;
    TParamValue &v = p->Values[Slot];
    if (spin) {
        const int n = spin->value();
        if (TParamModel::Accepts(v, n))
            v.Value = quint16(n);
        else {
            QPalette pal = spin->palette();
            pal.setColor(QPalette::Text, Qt::red);
            spin->setPalette(pal);
            FInvalidValue = true;
        }
    } else if (auto *c = qobject_cast<QCheckBox *>(Sender)) {
        const quint16 bit = quint16(1u << (c->property(OptionProperty).toInt() % 32));
        v.Value = c->isChecked() ? quint16(v.Value | bit) : quint16(v.Value & ~bit);
    } else if (auto *b = qobject_cast<QAbstractButton *>(Sender)) {
        v.Value = quint16(b->property(OptionProperty).toInt() & 0xFFFF);
    }
    p->State = pvChanged;
    FModified = true;
    ShowParamState(p->State);
    redrawTree();
}

void TFormAONSetting::spinEditExit(int)
{
    if (FInvalidValue)
        ReportInvalidValue();
}

void TFormAONSetting::ReportInvalidValue()
{
    // The message box takes the focus, and the spin field that loses it
    // reports again: one message at a time.
    if (FReporting)
        return;
    FReporting = true;
    ShowWarning(InvalidValueText, QStringLiteral("Ошибка ввода"));
    FReporting = false;
    TParam *p = SelectedParam();
    if (!p)
        return;
    for (int s = 0; s < 2 && s < p->Values.size(); ++s) {
        const TParamValue &v = p->Values[s];
        if (v.Kind == skSet && !TParamModel::Accepts(v, SpinEdit[s]->value())) {
            SpinEdit[s]->setValue(v.Value);
            if (SpinEdit[s]->isVisible())
                SpinEdit[s]->setFocus();
            return;
        }
    }
}

bool TFormAONSetting::guardInvalid()
{
    if (!FInvalidValue)
        return false;
    ReportInvalidValue();
    return true;
}

void TFormAONSetting::layoutEditors()
{
    for (int s = 0; s < 2; ++s)
        for (QCheckBox *c : Flags[s])
            c->resize(qMax(10, PanelFlags[s]->width() - 10), c->height());
    if (Splitter->width() - Splitter->sizes().value(0) < 50)
        Splitter->setSizes({Splitter->width() / 2, Splitter->width() / 2});
}

void TFormAONSetting::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutEditors();
}

void TFormAONSetting::PhoneStateChanged()
{
    if (!isVisible())
        return;
    if (!FLink.Online()) {
        showItem();
        FTimer.Stop();
    }
}

bool TFormAONSetting::confirmLoad()
{
    if (FModified && (FProfileSource == srcFile || FProfileSource == srcPhone) && AskYesNo(ModifiedQuestion, Confirm))
        saveClick(miSaveOnDisk);
    return true;
}

void TFormAONSetting::loadFromFileClick()
{
    if (guardInvalid())
        return;
    confirmLoad();
    const QString file = ChooseOpenFile();
    if (file.isEmpty())
        return;
    if (!loadProfile(file))
        return;
    redrawTree();
    if (TreeView->currentItem())
        showItem();
    else if (!FTreeItems.isEmpty())
        TreeView->setCurrentItem(FTreeItems.first());
}

void TFormAONSetting::loadFromAONClick()
{
    if (guardInvalid())
        return;
    confirmLoad();
    FPendingCommand = miLoadFromAON;
    FTimer.Stop();
    FProgress.StartTransfer(ptmRead, false);
}

void TFormAONSetting::saveClick(QAction *Item)
{
    if (guardInvalid())
        return;
    if (FProfileSource == srcNone) {
        if (AskYesNo(ReadRestQuestion, Confirm)) {
            FPendingCommand = Item;
            FTimer.Stop();
            FProgress.StartTransfer(ptmRead, true);
        }
        return;
    }
    if (Item == miSaveOnDiskAs || FProfileFileName.isEmpty()) {
        const QString name = ChooseSaveFile(FProfileFileName);
        if (name.isEmpty())
            return;
        FProfileFileName = name;
    }
    if (!writeProfile())
        return;
    FProfileSource = srcFile;
    FModified = false;
    redrawTree();
    showItem();
}

bool TFormAONSetting::writeProfile()
{
    QString error;
    HourGlass wait;
    if (FModel.SaveProfile(FProfileFileName, error))
        return true;
    ShowError(error, ErrorCaption);
    return false;
}

void TFormAONSetting::saveInAONClick()
{
    if (guardInvalid())
        return;
    FPendingCommand = miSaveInAON;
    FTimer.Stop();
    FProgress.StartTransfer(FProfileSource != srcNone ? ptmWriteKnown : ptmWriteChanged);
}

void TFormAONSetting::saveInAON1Click()
{
    if (guardInvalid())
        return;
    TParam *p = SelectedParam();
    if (!p || !p->Known())
        return;
    {
        HourGlass wait;
        if (FLink.SaveParamInAON(*p))
            p->State = pvDefined;
    }
    ShowParamState(p->State);
    redrawTree();
    showItem();
}

bool TFormAONSetting::loadProfile(const QString &FileName)
{
    QString error;
    bool read = false;
    {
        HourGlass wait;
        FModel.MatchedRecords = 0;
        read = FModel.LoadProfile(FileName, error);
    }
    if (!read) {
        ShowError(error, ErrorCaption);
        return false;
    }
    if (FModel.MatchedRecords == 0) {
        ShowError(NothingLoadedText, ErrorCaption);
        return false;
    }
    FProfileFileName = FileName;
    FProfileSource = srcFile;
    FModified = false;
    return true;
}

bool TFormAONSetting::LoadProfileIntoPhone(const QString &FileName)
{
    if (!BuildModel()) {
        ShowError(FIdentity.FirmwareVersion == 0 ? NoFirmwareText : NoDescriptionText, ErrorCaption);
        return false;
    }
    if (!loadProfile(FileName))
        return false;
    FProgress.StartTransfer(ptmWriteKnown);
    return true;
}

void TFormAONSetting::TransferDone(TTransferResult Result)
{
    QAction *pending = FPendingCommand;
    if (Result == tdDone && isVisible()) {
        if (pending != miSaveInAON) {
            FProgress.Transfer().ApplyReadValues();
            FProfileSource = srcPhone;
            redrawTree();
            if (TreeView->currentItem())
                showItem();
            else if (!FTreeItems.isEmpty())
                TreeView->setCurrentItem(FTreeItems.first());
            if (pending == miSaveOnDisk || pending == miSaveOnDiskAs) {
                FPendingCommand = nullptr;
                saveClick(pending);
            } else {
                FProfileFileName.clear();
                FModified = false;
                ShowParamState(pvDefined);
            }
        } else {
            if (FProfileSource == srcPhone)
                FModified = false;
            redrawTree();
            if (!FTreeItems.isEmpty()) {
                if (TreeView->currentItem() == FTreeItems.first())
                    showItem();
                else
                    TreeView->setCurrentItem(FTreeItems.first());
            }
        }
    } else if (Result == tdNoAnswer)
        ShowError(QStringLiteral("Телефон не отвечает"), ErrorCaption);
    else if (Result == tdNoLink)
        ShowError(QStringLiteral("Нет связи с телефоном"), ErrorCaption);
    FPendingCommand = nullptr;
}

void TFormAONSetting::reject()
{
    // Esc: the same way out as the title-bar button and "Закрыть".
    if (FClosing)
        QDialog::reject();
    else
        close();
}

void TFormAONSetting::closeEvent(QCloseEvent *event)
{
    if (FInvalidValue) {
        ReportInvalidValue();
        event->ignore();
        return;
    }
    FTimer.Stop();
    FTimerTag = 0;
    if (FModified && (FProfileSource == srcFile || FProfileSource == srcPhone) && AskYesNo(ModifiedQuestion, Confirm))
        saveClick(miSaveOnDisk);
    if (FConfig) {
        FConfig->TreeWidth = Splitter->sizes().value(0, FConfig->TreeWidth);
        FConfig->AONSettingState = isMaximized() ? 2 : 0;
    }
    // A read started here would only be thrown away.
    if (FProgress.Running() && FProgress.Transfer().Mode() == ptmRead)
        FProgress.Transfer().Cancel();
    FClosing = true;
    QDialog::closeEvent(event);
    FClosing = false;
}

void TFormAONSetting::hideEvent(QHideEvent *event)
{
    // No request goes to the phone while the window is hidden.
    FTimer.Stop();
    FTimerTag = 0;
    QDialog::hideEvent(event);
}

#include "TSettings.h"
#include "TRulesPage.h"
#include "office/TOfficePage.h"
#include "TConfig.h"
#include "TPasswordDlg.h"
#include "audio/TMediaPlayer.h"
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

const QString TSettings::WrongPassword = QStringLiteral("Неверный пароль");
const QString TSettings::DuplexWarning =
    QStringLiteral("Система не поддерживает одновременное воспроизведение и запись. При начале записи "
                   "разговоров воспроизведение звукового оповещения о звонке будет выключаться.");

namespace {
template <typename W>
W *named(W *w, const QString &name)
{
    w->setObjectName(name);
    return w;
}

QGroupBox *group(const QString &name, const QString &title, QWidget *parent)
{
    return named(new QGroupBox(title, parent), name);
}

QCheckBox *check(const QString &name, const QString &text, QWidget *parent)
{
    return named(new QCheckBox(text, parent), name);
}

QLineEdit *edit(const QString &name, QWidget *parent)
{
    return named(new QLineEdit(parent), name);
}

QToolButton *toolButton(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = named(new QToolButton(parent), name);
    b->setText(text);
    return b;
}

// A radio group: the group box holds one radio button per item, ids 0.. in order.
QButtonGroup *radioGroup(QGroupBox *box, const QStringList &items, QList<QRadioButton *> *buttons = nullptr)
{
    auto *layout = new QVBoxLayout(box);
    auto *g = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *r = new QRadioButton(items.at(i), box);
        r->setObjectName(box->objectName() + QString::number(i));
        g->addButton(r, i);
        layout->addWidget(r);
        if (buttons)
            *buttons << r;
    }
    return g;
}

void checkId(QButtonGroup *g, int id)
{
    if (QAbstractButton *b = g->button(id))
        b->setChecked(true);
    else if (QAbstractButton *first = g->button(0))
        first->setChecked(true);
}

QString digitsOnly(const QString &text)
{
    QString out;
    for (QChar c : text)
        if (c.isDigit() && c.unicode() < 128)
            out += c;
    return out;
}

constexpr int VisiblePages = 5;   // "&Данные" has no tab of its own
}

TSettings::TSettings(TConfig &Config, QWidget *parent) : QDialog(parent), FConfig(Config)
{
    setObjectName(QStringLiteral("Settings"));
    setWindowTitle(QStringLiteral("Настройки"));
    setModal(true);
    FPasswordDlg = new TPasswordDlg(this);

    PageControl1 = named(new QTabWidget(this), QStringLiteral("PageControl1"));
    PageControl1->tabBar()->setExpanding(false);
    PageControl1->addTab(buildGeneralPage(), QStringLiteral("&Общие"));
    PageControl1->addTab(buildRecordsPage(), QStringLiteral("&Запись"));
    PageControl1->addTab(buildSignalsPage(), QStringLiteral("&Сигналы"));
    PageControl1->addTab(buildPortPage(), QStringLiteral("&Порт"));
    PageControl1->addTab(buildViewPage(), QStringLiteral("&Вид"));
    PageControl1->addTab(buildDataPage(), QStringLiteral("&Данные"));
    PageControl1->setTabVisible(pgData, false);
    PageControl1->addTab(buildNetworkPage(), QStringLiteral("Се&ть"));
    RulesPage = new TRulesPage;
    PageControl1->addTab(RulesPage, QStringLiteral("Правила"));
    OfficePage = new TOfficePage;
    PageControl1->addTab(OfficePage, QStringLiteral("Офис"));
    connect(PageControl1, &QTabWidget::currentChanged, this, &TSettings::pageChanged);

    OKBtn = named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = named(new QPushButton(QStringLiteral("О&тмена"), this), QStringLiteral("CancelBtn"));
    ApplyBtn = named(new QPushButton(QStringLiteral("&Применить"), this), QStringLiteral("ApplyBtn"));
    ApplyBtn->setEnabled(false);
    connect(OKBtn, &QPushButton::clicked, this, &TSettings::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &TSettings::reject);
    connect(ApplyBtn, &QPushButton::clicked, this, [this] { FConfig.Apply(); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(ApplyBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    ChooseSoundFile = [this] {
        return QFileDialog::getOpenFileName(this, QString(), SoundFileEdit->text(),
                                            QStringLiteral("Звуковые файлы (*.wav *.mid)"));
    };
    ChooseRecordsFolder = [this] { return QFileDialog::getExistingDirectory(this, TConfig::FolderQuestionTitle); };
    ChooseDatabase = [this] {
        QFileDialog dlg(this, QString(), QString(), QStringLiteral("Базы данных MS Access (*.mdb)"));
        dlg.setObjectName(QStringLiteral("DBOpenDialog"));
        dlg.setDefaultSuffix(QStringLiteral("mdb"));
        dlg.setFileMode(QFileDialog::ExistingFile);
        return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().first()
                                                                                  : QString();
    };

    watchChanges();
    FConfig.AttachDialog(this);
}

TSettings::~TSettings()
{
    stopPreview();
    FConfig.AttachDialog(nullptr);
}

// ---------------------------------------------------------------- pages

QWidget *TSettings::buildGeneralPage()
{
    auto *page = named(new QWidget, QStringLiteral("TabSheetGeneral"));
    auto *regional = group(QStringLiteral("RegionalGroup"), QStringLiteral(" Региональные установки "), page);
    auto *form = new QFormLayout(regional);
    NumLength = named(new QSpinBox(regional), QStringLiteral("NumLength"));
    NumLength->setRange(0, 999);
    form->addRow(QStringLiteral("Длина номера в местности"), NumLength);
    PrefixCombo = named(new QComboBox(regional), QStringLiteral("PrefixCombo"));
    for (int d = 0; d <= 9; ++d)
        PrefixCombo->addItem(QString::number(d));
    form->addRow(QStringLiteral("Индекс выхода на межгород"), PrefixCombo);

    auto *general = group(QStringLiteral("GeneralGroup"), QStringLiteral(" Общие установки "), page);
    auto *box = new QVBoxLayout(general);
    MuteOnCallCheck = check(QStringLiteral("MuteOnCallCheck"), QStringLiteral("Выключать звук при разговоре"), general);
    AskRecordsCheck = check(QStringLiteral("AskRecordsCheck"),
                            QStringLiteral("Запрашивать информацию о звонках после загрузки"), general);
    StartMinimizedCheck = check(QStringLiteral("StartMinimizedCheck"), QStringLiteral("Запускать программу свернутой"),
                                general);
    AutostartCheck = check(QStringLiteral("AutostartCheck"), QStringLiteral("Запускать при входе в систему"), general);
    AdjustSoundCheck = check(QStringLiteral("AdjustSoundCheck"),
                             QStringLiteral("Автоматическая настройка аудиопараметров"), general);
    RestrictDeletionCheck = check(QStringLiteral("RestrictDeletionCheck"),
                                  QStringLiteral("Запретить  удаление  и  редактирование"), general);
    ChangePasswordBitBtn = named(new QPushButton(QStringLiteral("Установить пароль"), general),
                                 QStringLiteral("ChangePasswordBitBtn"));
    for (QWidget *w : {static_cast<QWidget *>(MuteOnCallCheck), static_cast<QWidget *>(AskRecordsCheck),
                       static_cast<QWidget *>(StartMinimizedCheck), static_cast<QWidget *>(AutostartCheck),
                       static_cast<QWidget *>(AdjustSoundCheck)})
        box->addWidget(w);
    auto *lock = new QHBoxLayout;
    lock->addWidget(RestrictDeletionCheck, 1);
    lock->addWidget(ChangePasswordBitBtn);
    box->addLayout(lock);
    connect(RestrictDeletionCheck, &QCheckBox::clicked, this, &TSettings::restrictDeletionClicked);
    connect(ChangePasswordBitBtn, &QPushButton::clicked, this, &TSettings::changePasswordClicked);

    RG_Channel = group(QStringLiteral("RG_Channel"), QStringLiteral(" Канал связи "), page);
    FChannelGroup = radioGroup(RG_Channel, {QStringLiteral("Проводная линия"), QStringLiteral("Мобильный канал")});
    RG_Channel->setEnabled(false);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(regional);
    layout->addWidget(general);
    layout->addWidget(RG_Channel);
    layout->addStretch();
    return page;
}

QWidget *TSettings::buildRecordsPage()
{
    auto *page = named(new QWidget, QStringLiteral("TabSheetRecords"));
    auto *in = group(QStringLiteral("RecordInGroup"), QStringLiteral("Входящие звонки"), page);
    RecordInCheck = check(QStringLiteral("RecordInCheck"), QStringLiteral("Включить запись разговоров"), in);
    (new QVBoxLayout(in))->addWidget(RecordInCheck);
    auto *out = group(QStringLiteral("RecordOutGroup"), QStringLiteral("Исходящие звонки"), page);
    RecordOutCheck = check(QStringLiteral("RecordOutCheck"), QStringLiteral("Включить запись разговоров"), out);
    (new QVBoxLayout(out))->addWidget(RecordOutCheck);
    auto *dir = group(QStringLiteral("RecordsDirGroup"), QStringLiteral("Директория для хранения записей разговоров"),
                      page);
    RecordsDirEdit = edit(QStringLiteral("RecordsDirEdit"), dir);
    RecordsDirEdit->installEventFilter(this);
    BrowseDirBtn = toolButton(QStringLiteral("BrowseDirBtn"), QStringLiteral("..."), dir);
    BrowseDirBtn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    BrowseDirBtn->setToolTip(TConfig::FolderQuestionTitle);
    auto *row = new QHBoxLayout(dir);
    row->addWidget(RecordsDirEdit, 1);
    row->addWidget(BrowseDirBtn);
    connect(BrowseDirBtn, &QToolButton::clicked, this, &TSettings::browseDirClicked);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(in);
    layout->addWidget(out);
    layout->addWidget(dir);
    layout->addStretch();
    return page;
}

QWidget *TSettings::buildSignalsPage()
{
    auto *page = named(new QWidget, QStringLiteral("TabSheetSignals"));
    auto *sound = group(QStringLiteral("SoundGroup"), QStringLiteral("Звуковое оповещение о звонках"), page);
    auto *grid = new QGridLayout(sound);
    auto volumeRow = [&](int row, const QString &caption, const QString &track, const QString &box, QSlider *&t,
                         QLineEdit *&e) {
        grid->addWidget(new QLabel(caption, sound), row, 0);
        t = named(new QSlider(Qt::Horizontal, sound), track);
        t->setRange(0, 100);
        e = edit(box, sound);
        e->setMaxLength(3);
        e->setFixedWidth(40);
        grid->addWidget(t, row, 1, 1, 2);
        grid->addWidget(e, row, 3);
        connect(t, &QSlider::valueChanged, e, [e](int v) {
            if (digitsOnly(e->text()).toInt() != v || e->text().isEmpty())
                e->setText(QString::number(v));
        });
        connect(e, &QLineEdit::textEdited, this, [this, e, t] { volumeTyped(e, t); });
    };
    volumeRow(0, QStringLiteral("Громкость в дневном режиме"), QStringLiteral("DayVolumeTrack"),
              QStringLiteral("DayVolumeEdit"), DayVolumeTrack, DayVolumeEdit);
    volumeRow(1, QStringLiteral("Громкость в ночном режиме"), QStringLiteral("NightVolumeTrack"),
              QStringLiteral("NightVolumeEdit"), NightVolumeTrack, NightVolumeEdit);
    StartNightEdit = named(new QTimeEdit(sound), QStringLiteral("StartNightEdit"));
    EndNightEdit = named(new QTimeEdit(sound), QStringLiteral("EndNightEdit"));
    for (QTimeEdit *t : {StartNightEdit, EndNightEdit})
        t->setDisplayFormat(QStringLiteral("H:mm:ss"));
    grid->addWidget(new QLabel(QStringLiteral("Начало ночного периода"), sound), 2, 0);
    grid->addWidget(StartNightEdit, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Окончание ночного периода"), sound), 3, 0);
    grid->addWidget(EndNightEdit, 3, 1);
    CreschendoCheck = check(QStringLiteral("CreschendoCheck"),
                            QStringLiteral("Режим ") + QLatin1Char('"') + QStringLiteral("Крещендо") + QLatin1Char('"'),
                            sound);
    grid->addWidget(CreschendoCheck, 4, 0, 1, 4);
    PlaySoundCheck = check(QStringLiteral("PlaySoundCheck"), QStringLiteral("Проигрывать сигнал"), sound);
    grid->addWidget(PlaySoundCheck, 5, 0, 1, 4);
    SoundFileEdit = edit(QStringLiteral("SoundFileEdit"), sound);
    BrowseBtn = toolButton(QStringLiteral("BrowseBtn"), QStringLiteral("..."), sound);
    BrowseBtn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    PlayBtn = toolButton(QStringLiteral("PlayBtn"), QString(), sound);
    PlayBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    auto *file = new QHBoxLayout;
    file->addWidget(SoundFileEdit, 1);
    file->addWidget(BrowseBtn);
    file->addWidget(PlayBtn);
    grid->addLayout(file, 6, 0, 1, 4);
    NoMessageOnStartTalkCheck = check(QStringLiteral("NoMessageOnStartTalkCheck"),
                                      QStringLiteral("Выключать проигрывание вызова при начале разговора"), sound);
    grid->addWidget(NoMessageOnStartTalkCheck, 7, 0, 1, 4);
    connect(BrowseBtn, &QToolButton::clicked, this, &TSettings::browseSoundClicked);
    connect(PlayBtn, &QToolButton::clicked, this, &TSettings::playClicked);
    connect(NoMessageOnStartTalkCheck, &QCheckBox::clicked, this, &TSettings::noMessageOnStartTalkClicked);

    auto *visual = group(QStringLiteral("VisualGroup"), QString(), page);
    auto *v = new QVBoxLayout(visual);
    DisplayMessageCheck = check(QStringLiteral("DisplayMessageCheck"),
                                QStringLiteral("Визуальное оповещение о входящих звонках"), visual);
    NoAlertOnStartTalkCheck = check(QStringLiteral("NoAlertOnStartTalkCheck"),
                                    QStringLiteral("Выключать отображение сообщения при начале разговора"), visual);
    ShowMessageRadio = named(new QRadioButton(QStringLiteral("Отображать сообщение"), visual),
                             QStringLiteral("ShowMessageRadio"));
    ShowFormRadio = named(new QRadioButton(QStringLiteral("Отображать форму ввода"), visual),
                          QStringLiteral("ShowFormRadio"));
    v->addWidget(DisplayMessageCheck);
    v->addWidget(NoAlertOnStartTalkCheck);
    v->addWidget(ShowMessageRadio);
    v->addWidget(ShowFormRadio);

    auto *outFields = group(QStringLiteral("OutFieldsGroup"), QStringLiteral(" Информационные поля исходящих звонков "),
                            page);
    CheckBoxOutForm = check(QStringLiteral("CheckBoxOutForm"), QStringLiteral("Отображать форму ввода"), outFields);
    (new QVBoxLayout(outFields))->addWidget(CheckBoxOutForm);

    for (QAbstractButton *b : {static_cast<QAbstractButton *>(PlaySoundCheck),
                               static_cast<QAbstractButton *>(DisplayMessageCheck),
                               static_cast<QAbstractButton *>(ShowMessageRadio),
                               static_cast<QAbstractButton *>(ShowFormRadio)})
        connect(b, &QAbstractButton::toggled, this, &TSettings::updateEnables);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(sound);
    layout->addWidget(visual);
    layout->addWidget(outFields);
    layout->addStretch();
    return page;
}

QWidget *TSettings::buildPortPage()
{
    auto *page = named(new QWidget, QStringLiteral("TabSheetPort"));
    auto *port = group(QStringLiteral("PortGroup"), QStringLiteral("Параметры порта"), page);
    auto *form = new QFormLayout(port);
    ComComboBox1 = named(new QComboBox(port), QStringLiteral("ComComboBox1"));
    ComComboBox1->setMinimumContentsLength(16);
    form->addRow(QStringLiteral("Порт:"), ComComboBox1);
    GetPortCheck = check(QStringLiteral("GetPortCheck"), QStringLiteral("Автоматически определять порт"), port);
    form->addRow(GetPortCheck);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(port);
    layout->addStretch();
    return page;
}

// The call feed: the NCID-compatible server for other workstations and the webhooks.
QWidget *TSettings::buildNetworkPage()
{
    auto *page = named(new QWidget, QStringLiteral("TabSheetNetwork"));
    auto *feed = group(QStringLiteral("FeedGroup"), QStringLiteral(" Передача звонков в сеть "), page);
    auto *form = new QFormLayout(feed);
    FeedEnabledCheck = check(QStringLiteral("FeedEnabledCheck"),
                             QStringLiteral("Сообщать о звонках программам-клиентам (протокол NCID)"), feed);
    form->addRow(FeedEnabledCheck);
    FeedAddressEdit = edit(QStringLiteral("FeedAddressEdit"), feed);
    form->addRow(QStringLiteral("Адрес (127.0.0.1 - только этот компьютер):"), FeedAddressEdit);
    FeedPortSpin = named(new QSpinBox(feed), QStringLiteral("FeedPortSpin"));
    FeedPortSpin->setRange(1, 65535);
    form->addRow(QStringLiteral("Порт:"), FeedPortSpin);
    FeedAllowedEdit = edit(QStringLiteral("FeedAllowedEdit"), feed);
    form->addRow(QStringLiteral("Разрешенные адреса и сети:"), FeedAllowedEdit);
    FeedWebhooksEdit = edit(QStringLiteral("FeedWebhooksEdit"), feed);
    form->addRow(QStringLiteral("Веб-адреса для уведомлений:"), FeedWebhooksEdit);
    FeedSecretEdit = edit(QStringLiteral("FeedSecretEdit"), feed);
    FeedSecretEdit->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Ключ подписи:"), FeedSecretEdit);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(feed);
    layout->addStretch();
    return page;
}

QWidget *TSettings::buildFieldsPage(bool In)
{
    auto *page = named(new QWidget, In ? QStringLiteral("TabSheetInFields") : QStringLiteral("TabSheetOutFields"));
    const QString side = In ? QStringLiteral("In") : QStringLiteral("Out");
    QGroupBox *show = group(QStringLiteral("Show%1FieldRadioGroup").arg(side), QStringLiteral(" Отображать поля "),
                            page);
    QButtonGroup *g = radioGroup(
        show, {QStringLiteral("Всегда"), QStringLiteral("Непустые значения"), QStringLiteral("Никогда")});
    (In ? ShowInFieldRadioGroup : ShowOutFieldRadioGroup) = show;
    (In ? FShowInGroup : FShowOutGroup) = g;

    auto *names = group(QStringLiteral("%1FieldNamesGroup").arg(side), QStringLiteral("Названия информационных полей"),
                        page);
    auto *grid = new QGridLayout(names);
    auto &boxes = In ? CheckBoxIn : CheckBoxOut;
    auto &edits = In ? InFieldNameEdit : OutFieldNameEdit;
    for (int n = 1; n <= 8; ++n) {
        boxes[n] = check(QStringLiteral("CheckBox%1%2").arg(n).arg(side), QStringLiteral("Поле %1").arg(n), names);
        edits[n] = edit(QStringLiteral("%1Field%2NameEdit").arg(side).arg(n), names);
        grid->addWidget(boxes[n], n - 1, 0);
        grid->addWidget(edits[n], n - 1, 1);
        if (n == 8) {
            boxes[n]->hide();
            edits[n]->hide();
        }
        connect(boxes[n], &QCheckBox::toggled, this, &TSettings::updateEnables);
    }
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(show, 0, Qt::AlignTop);
    layout->addWidget(names, 1);
    return page;
}

QWidget *TSettings::buildViewPage()
{
    auto *page = named(new QWidget, QStringLiteral("TabSheetView"));
    PageControlInOutFields = named(new QTabWidget(page), QStringLiteral("PageControlInOutFields"));
    PageControlInOutFields->setDocumentMode(true);
    PageControlInOutFields->addTab(buildFieldsPage(true), QStringLiteral("Входящие"));
    PageControlInOutFields->addTab(buildFieldsPage(false), QStringLiteral("Исходящие"));
    (new QVBoxLayout(page))->addWidget(PageControlInOutFields);
    return page;
}

QWidget *TSettings::buildDataPage()
{
    auto *page = named(new QWidget, QStringLiteral("TabSheetData"));
    auto *outlook = group(QStringLiteral("OutlookGroup"),
                          QStringLiteral("Параметры импорта адресной книги Microsoft Outlook"), page);
    auto *form = new QFormLayout(outlook);
    AddOutlPhonePostfixCheck = check(QStringLiteral("AddOutlPhonePostfixCheck"),
                                     QStringLiteral("Добавлять обозначение типа номера телефона"), outlook);
    form->addRow(AddOutlPhonePostfixCheck);
    OutlHomeEdit = edit(QStringLiteral("OutlHomeEdit"), outlook);
    OutlWorkEdit = edit(QStringLiteral("OutlWorkEdit"), outlook);
    OutlMobileEdit = edit(QStringLiteral("OutlMobileEdit"), outlook);
    OutlOtherEdit = edit(QStringLiteral("OutlOtherEdit"), outlook);
    form->addRow(QStringLiteral("Домашний:"), OutlHomeEdit);
    form->addRow(QStringLiteral("Рабочий:"), OutlWorkEdit);
    form->addRow(QStringLiteral("Мобильный:"), OutlMobileEdit);
    form->addRow(QStringLiteral("Другой:"), OutlOtherEdit);
    connect(AddOutlPhonePostfixCheck, &QCheckBox::toggled, this, &TSettings::updateEnables);

    auto *access = group(QStringLiteral("AccessGroup"), QStringLiteral("Внешние базы данных в формате MS Access"), page);
    AccessDBList = named(new QListWidget(access), QStringLiteral("AccessDBList"));
    AccessDBList->setSortingEnabled(true);
    AddDBBtn = named(new QPushButton(QStringLiteral("Подключить базу "), access), QStringLiteral("AddDBBtn"));
    RemoveDBBtn = named(new QPushButton(QStringLiteral("Отключить базу"), access), QStringLiteral("RemoveDBBtn"));
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(AddDBBtn);
    buttons->addWidget(RemoveDBBtn);
    buttons->addStretch();
    auto *row = new QHBoxLayout(access);
    row->addWidget(AccessDBList, 1);
    row->addLayout(buttons);
    connect(AddDBBtn, &QPushButton::clicked, this, &TSettings::addDatabaseClicked);
    connect(RemoveDBBtn, &QPushButton::clicked, this, &TSettings::removeDatabaseClicked);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(outlook);
    layout->addWidget(access, 1);
    return page;
}

// Every setting control marks the dialog changed when it changes outside
// the filling; the deletion lock, the password and the page tabs do not.
void TSettings::watchChanges()
{
    const auto mark = [this] { markChanged(); };
    for (QLineEdit *e : {FeedAddressEdit, FeedAllowedEdit, FeedWebhooksEdit, FeedSecretEdit})
        connect(e, &QLineEdit::textChanged, this, mark);
    connect(FeedPortSpin, qOverload<int>(&QSpinBox::valueChanged), this, mark);
    connect(RulesPage, &TRulesPage::Changed, this, mark);
    connect(OfficePage, &TOfficePage::Changed, this, mark);
    for (QCheckBox *c : {MuteOnCallCheck, AskRecordsCheck, StartMinimizedCheck, AutostartCheck, FeedEnabledCheck,
                         AdjustSoundCheck, RecordInCheck,
                         RecordOutCheck, CreschendoCheck, PlaySoundCheck, NoMessageOnStartTalkCheck,
                         DisplayMessageCheck, NoAlertOnStartTalkCheck, CheckBoxOutForm, GetPortCheck,
                         AddOutlPhonePostfixCheck})
        connect(c, &QCheckBox::toggled, this, mark);
    for (int n = 1; n <= 7; ++n) {
        connect(CheckBoxIn[n], &QCheckBox::toggled, this, mark);
        connect(CheckBoxOut[n], &QCheckBox::toggled, this, mark);
        connect(InFieldNameEdit[n], &QLineEdit::textChanged, this, mark);
        connect(OutFieldNameEdit[n], &QLineEdit::textChanged, this, mark);
    }
    for (QLineEdit *e : {SoundFileEdit, OutlHomeEdit, OutlWorkEdit, OutlMobileEdit, OutlOtherEdit, RecordsDirEdit})
        connect(e, &QLineEdit::textChanged, this, mark);
    for (QButtonGroup *g : {FChannelGroup, FShowInGroup, FShowOutGroup})
        connect(g, &QButtonGroup::idToggled, this, mark);
    connect(ShowFormRadio, &QRadioButton::toggled, this, mark);
    connect(NumLength, &QSpinBox::valueChanged, this, mark);
    connect(PrefixCombo, &QComboBox::currentIndexChanged, this, mark);
    connect(ComComboBox1, &QComboBox::currentIndexChanged, this, mark);
    connect(DayVolumeTrack, &QSlider::valueChanged, this, mark);
    connect(NightVolumeTrack, &QSlider::valueChanged, this, mark);
    connect(StartNightEdit, &QTimeEdit::timeChanged, this, mark);
    connect(EndNightEdit, &QTimeEdit::timeChanged, this, mark);
}

void TSettings::markChanged()
{
    if (FFilling)
        return;
    FChanged = true;
    ApplyBtn->setEnabled(true);
}

void TSettings::SetApplyEnabled(bool enabled)
{
    ApplyBtn->setEnabled(enabled);
}

void TSettings::updateEnables()
{
    const bool play = PlaySoundCheck->isChecked();
    SoundFileEdit->setEnabled(play);
    BrowseBtn->setEnabled(play);
    PlayBtn->setEnabled(play || PreviewPlaying());

    const bool display = DisplayMessageCheck->isChecked();
    ShowMessageRadio->setEnabled(display);
    ShowFormRadio->setEnabled(display);
    NoAlertOnStartTalkCheck->setEnabled(display && ShowMessageRadio->isChecked());

    for (int n = 1; n <= 8; ++n) {
        InFieldNameEdit[n]->setEnabled(CheckBoxIn[n]->isChecked());
        OutFieldNameEdit[n]->setEnabled(CheckBoxOut[n]->isChecked());
    }
    const bool words = AddOutlPhonePostfixCheck->isChecked();
    for (QLineEdit *e : {OutlHomeEdit, OutlWorkEdit, OutlMobileEdit, OutlOtherEdit})
        e->setEnabled(words);
    RG_Channel->setEnabled(FMobileChannel);
}

void TSettings::SetMobileChannel(bool Present)
{
    FMobileChannel = Present;
    RG_Channel->setEnabled(Present);
}

// ---------------------------------------------------------------- values

void TSettings::SetValues(const TSettingsDialogValues &v)
{
    FFilling = true;
    FFilled = v;
    const int page = v.ActiveSetting >= 0 && v.ActiveSetting < VisiblePages ? v.ActiveSetting : pgPort;
    FRecordingPage = false;
    PageControl1->setCurrentIndex(page);
    FRecordingPage = true;

    NumLength->setValue(v.NumLength);
    const int prefix = PrefixCombo->findText(v.PrefixText.trimmed());
    PrefixCombo->setCurrentIndex(prefix >= 0 ? prefix : 8);
    MuteOnCallCheck->setChecked(v.MuteOnCall);
    AskRecordsCheck->setChecked(v.AskRecords);
    StartMinimizedCheck->setChecked(v.StartMinimized);
    AutostartCheck->setChecked(v.Autostart);
    FeedEnabledCheck->setChecked(v.Feed.Enabled);
    FeedAddressEdit->setText(v.Feed.ListenAddress);
    FeedPortSpin->setValue(v.Feed.Port);
    FeedAllowedEdit->setText(v.Feed.AllowedClients);
    FeedWebhooksEdit->setText(v.Feed.Webhooks);
    FeedSecretEdit->setText(v.Feed.WebhookSecret);
    RulesPage->SetRules(v.Rules);
    OfficePage->SetSettings(v.Office);
    AdjustSoundCheck->setChecked(v.AdjustSound);
    {
        const QSignalBlocker block(RestrictDeletionCheck);
        RestrictDeletionCheck->setChecked(v.RestrictDeletion);
    }
    checkId(FChannelGroup, v.ChannelType);

    RecordInCheck->setChecked(v.RecordIn);
    RecordOutCheck->setChecked(v.RecordOut);
    RecordsDirEdit->setText(v.RecordsDir);

    DayVolumeTrack->setValue(v.DayVolume);
    DayVolumeEdit->setText(QString::number(DayVolumeTrack->value()));
    NightVolumeTrack->setValue(v.NightVolume);
    NightVolumeEdit->setText(QString::number(NightVolumeTrack->value()));
    StartNightEdit->setTime(v.StartNight.time());
    EndNightEdit->setTime(v.EndNight.time());
    CreschendoCheck->setChecked(v.Creschendo);
    PlaySoundCheck->setChecked(v.PlaySound);
    SoundFileEdit->setText(v.SoundFile);
    NoMessageOnStartTalkCheck->setChecked(v.NoMessageOnStartTalk);
    DisplayMessageCheck->setChecked(v.DisplayMessage);
    NoAlertOnStartTalkCheck->setChecked(v.NoAlertOnStartTalk);
    (v.ShowForm ? ShowFormRadio : ShowMessageRadio)->setChecked(true);
    CheckBoxOutForm->setChecked(v.OutForm);

    ComComboBox1->clear();
    ComComboBox1->addItems(v.PortList);
    ComComboBox1->setCurrentIndex(ComComboBox1->findText(v.Port));
    GetPortCheck->setChecked(v.GetPort);

    checkId(FShowInGroup, v.ShowInFieldKind);
    checkId(FShowOutGroup, v.ShowOutFieldKind);
    for (int n = 1; n <= 7; ++n) {
        InFieldNameEdit[n]->setText(v.InFieldName[n]);
        CheckBoxIn[n]->setChecked(v.InFieldYes[n]);
        OutFieldNameEdit[n]->setText(v.OutFieldName[n]);
        CheckBoxOut[n]->setChecked(v.OutFieldYes[n]);
    }

    AddOutlPhonePostfixCheck->setChecked(v.AddOutlPostfix);
    OutlHomeEdit->setText(v.OutlHome);
    OutlWorkEdit->setText(v.OutlWork);
    OutlMobileEdit->setText(v.OutlMobile);
    OutlOtherEdit->setText(v.OutlOther);

    FChanged = false;
    ApplyBtn->setEnabled(false);
    updateEnables();
    updatePasswordCaption();
    FFilling = false;
}

TSettingsDialogValues TSettings::Values() const
{
    TSettingsDialogValues v = FFilled;
    v.ActiveSetting = FConfig.ActiveSetting;
    v.NumLength = NumLength->value();
    v.PrefixText = PrefixCombo->currentText();
    v.MuteOnCall = MuteOnCallCheck->isChecked();
    v.AskRecords = AskRecordsCheck->isChecked();
    v.StartMinimized = StartMinimizedCheck->isChecked();
    v.Autostart = AutostartCheck->isChecked();
    v.Feed.Enabled = FeedEnabledCheck->isChecked();
    v.Feed.ListenAddress = FeedAddressEdit->text().trimmed();
    v.Feed.Port = FeedPortSpin->value();
    v.Feed.AllowedClients = FeedAllowedEdit->text().trimmed();
    v.Feed.Webhooks = FeedWebhooksEdit->text().trimmed();
    v.Feed.WebhookSecret = FeedSecretEdit->text();
    v.Rules = RulesPage->Rules();
    v.Office = OfficePage->Settings();
    v.AdjustSound = AdjustSoundCheck->isChecked();
    v.RestrictDeletion = RestrictDeletionCheck->isChecked();
    v.PasswordSet = !FConfig.ypw.isEmpty();
    v.ChannelType = std::max(0, FChannelGroup->checkedId());

    v.RecordIn = RecordInCheck->isChecked();
    v.RecordOut = RecordOutCheck->isChecked();
    v.RecordsDir = RecordsDirEdit->text();

    v.DayVolume = DayVolumeTrack->value();
    v.NightVolume = NightVolumeTrack->value();
    // The time edits hold the time of day only: a stored value keeps its own
    // form unless the time was changed.
    if (StartNightEdit->time() != FFilled.StartNight.time())
        v.StartNight = TDateTime::fromTime(StartNightEdit->time());
    if (EndNightEdit->time() != FFilled.EndNight.time())
        v.EndNight = TDateTime::fromTime(EndNightEdit->time());
    v.Creschendo = CreschendoCheck->isChecked();
    v.PlaySound = PlaySoundCheck->isChecked();
    v.SoundFile = SoundFileEdit->text();
    v.NoMessageOnStartTalk = NoMessageOnStartTalkCheck->isChecked();
    v.DisplayMessage = DisplayMessageCheck->isChecked();
    v.NoAlertOnStartTalk = NoAlertOnStartTalkCheck->isChecked();
    v.ShowForm = ShowFormRadio->isChecked();
    v.OutForm = CheckBoxOutForm->isChecked();

    v.Port = ComComboBox1->currentText();
    v.GetPort = GetPortCheck->isChecked();

    v.ShowInFieldKind = std::max(0, FShowInGroup->checkedId());
    v.ShowOutFieldKind = std::max(0, FShowOutGroup->checkedId());
    for (int n = 1; n <= 7; ++n) {
        v.InFieldName[n] = InFieldNameEdit[n]->text();
        v.InFieldYes[n] = CheckBoxIn[n]->isChecked();
        v.OutFieldName[n] = OutFieldNameEdit[n]->text();
        v.OutFieldYes[n] = CheckBoxOut[n]->isChecked();
    }

    v.AddOutlPostfix = AddOutlPhonePostfixCheck->isChecked();
    v.OutlHome = OutlHomeEdit->text();
    v.OutlWork = OutlWorkEdit->text();
    v.OutlMobile = OutlMobileEdit->text();
    v.OutlOther = OutlOtherEdit->text();
    return v;
}

void TSettings::SetRecordsDir(const QString &folder)
{
    const bool filling = FFilling;
    FFilling = true;
    RecordsDirEdit->setText(folder);
    FFilling = filling;
}

// ---------------------------------------------------------------- running

int TSettings::Execute(int Page)
{
    FConfig.FillDialog();
    if (Page >= 0 && Page < PageControl1->count()) {
        FRecordingPage = false;
        PageControl1->setCurrentIndex(Page);
        FRecordingPage = true;
    }
    return exec();
}

void TSettings::accept()
{
    FConfig.Apply();
    QDialog::accept();
}

void TSettings::reject()
{
    // Every unsaved edit is thrown away.
    FConfig.FillDialog();
    QDialog::reject();
}

void TSettings::hideEvent(QHideEvent *event)
{
    stopPreview();
    QDialog::hideEvent(event);
}

bool TSettings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == RecordsDirEdit && event->type() == QEvent::MouseButtonPress)
        markChanged();
    return QDialog::eventFilter(watched, event);
}

void TSettings::pageChanged(int Index)
{
    // The page the user switches to is shown first next time (written with the next save).
    if (FRecordingPage && !FFilling && Index >= 0 && Index < VisiblePages)
        FConfig.ActiveSetting = Index;
}

void TSettings::volumeTyped(QLineEdit *Edit, QSlider *Track)
{
    const QString digits = digitsOnly(Edit->text());
    if (digits != Edit->text())
        Edit->setText(digits);
    if (!digits.isEmpty())
        Track->setValue(std::min(digits.toInt(), Track->maximum()));
}

void TSettings::showMessage(const QString &Text)
{
    QMessageBox::warning(this, QApplication::applicationDisplayName(), Text);
}

// ---------------------------------------------------------------- deletion lock

void TSettings::restrictDeletionClicked(bool Checked)
{
    if (FFilling)
        return;
    const auto putBack = [this] {
        const QSignalBlocker block(RestrictDeletionCheck);
        RestrictDeletionCheck->setChecked(FConfig.yrd);
    };
    if (FConfig.ypw.isEmpty()) {
        FConfig.SetRestriction(QString(), Checked);
        return;
    }
    if (!FPasswordDlg->Execute(false)) {
        putBack();
        return;
    }
    if (FPasswordDlg->Password() != FConfig.ypw) {
        putBack();
        showMessage(WrongPassword);
        return;
    }
    FConfig.SetRestriction(FConfig.ypw, Checked);
}

void TSettings::changePasswordClicked()
{
    if (!FConfig.ypw.isEmpty()) {
        if (FPasswordDlg->Execute(false) && FPasswordDlg->Password() == FConfig.ypw
            && FPasswordDlg->Execute(true))
            FConfig.SetRestriction(FPasswordDlg->Password(), RestrictDeletionCheck->isChecked());
    } else if (FPasswordDlg->Execute(true)) {
        // Setting a password also switches the lock on.
        {
            const QSignalBlocker block(RestrictDeletionCheck);
            RestrictDeletionCheck->setChecked(true);
        }
        FConfig.SetRestriction(FPasswordDlg->Password(), true);
    }
    updatePasswordCaption();
}

void TSettings::updatePasswordCaption()
{
    ChangePasswordBitBtn->setText(FConfig.ypw.isEmpty() ? QStringLiteral("Установить пароль")
                                                        : QStringLiteral("Изменить пароль"));
}

// ---------------------------------------------------------------- sounds and folders

void TSettings::noMessageOnStartTalkClicked(bool Checked)
{
    if (!Checked && !FConfig.CanPlayWhileRecording)
        QMessageBox::information(this, QApplication::applicationDisplayName(), DuplexWarning);
}

void TSettings::browseDirClicked()
{
    const QString folder = ChooseRecordsFolder ? ChooseRecordsFolder() : QString();
    if (folder.isEmpty())
        return;
    RecordsDirEdit->setText(QDir::toNativeSeparators(folder));
    markChanged();
}

void TSettings::browseSoundClicked()
{
    const QString file = ChooseSoundFile ? ChooseSoundFile() : QString();
    if (file.isEmpty())
        return;
    SoundFileEdit->setText(QDir::toNativeSeparators(file));
    SoundFileEdit->setCursorPosition(SoundFileEdit->text().size());
}

bool TSettings::PreviewPlaying() const
{
    return FPreview && FPreview->Mode() == mpPlaying;
}

void TSettings::playClicked()
{
    if (PreviewPlaying()) {
        stopPreview();
        return;
    }
    const QString file = SoundFileEdit->text();
    if (file.isEmpty())
        return;
    if (FMainPlayer && FMainPlayer->Mode() != mpNotReady) {
        try {
            FMainPlayer->Close();
        } catch (...) {
        }
    }
    if (!FPreview) {
        FPreview = std::make_unique<TMediaPlayer>();
        connect(FPreview.get(), &TMediaPlayer::Notified, this, &TSettings::stopPreview);
    }
    FPreview->Close();
    FPreview->SetFileName(file);
    if (!FPreview->Open() || !FPreview->Play()) {
        FPreview->Close();
        return;
    }
    PlayBtn->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
}

void TSettings::stopPreview()
{
    if (FPreview && FPreview->Mode() != mpNotReady) {
        FPreview->Stop();
        FPreview->Close();
    }
    PlayBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    PlayBtn->setEnabled(PlaySoundCheck->isChecked());
}

// ---------------------------------------------------------------- Access list

void TSettings::addDatabaseClicked()
{
    const QString file = ChooseDatabase ? ChooseDatabase() : QString();
    if (file.isEmpty())
        return;
    const QString path = QDir::toNativeSeparators(file);
    if (AccessDBList->findItems(path, Qt::MatchExactly).isEmpty())
        AccessDBList->addItem(path);
    markChanged();
}

void TSettings::removeDatabaseClicked()
{
    QListWidgetItem *item = AccessDBList->currentItem();
    if (!item || !item->isSelected())
        return;
    delete item;
    markChanged();
}

QStringList TSettings::AccessDatabases() const
{
    QStringList list;
    for (int i = 0; i < AccessDBList->count(); ++i)
        list << AccessDBList->item(i)->text();
    return list;
}

#include "TNewPerson.h"
#include <algorithm>
#include "audio/TMediaPlayer.h"
#include "config/TConfig.h"
#include "phone/TPhoneNumber.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

const QString TNewPerson::BusyQuestion =
    QStringLiteral("Кнопка быстрого вызова использована для другого абонента. Заменить?");
const QString TNewPerson::BusyCaption = QStringLiteral("Кнопка занята");

namespace {
// The characters a number may be typed with (upper case).
bool numberChar(QChar c)
{
    static const QString allowed = QStringLiteral("#()*0123456789EFGJLPTП");
    return allowed.contains(c);
}

bool enterKey(const QKeyEvent *e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}
}

TNewPerson::TNewPerson(const TConfig *Config, const THotButtonFile *HotButtons, TMediaPlayer *MainPlayer,
                       QWidget *parent)
    : QDialog(parent), FConfig(Config), FHotButtons(HotButtons), FMainPlayer(MainPlayer)
{
    setObjectName(QStringLiteral("NewPerson"));
    setWindowTitle(QStringLiteral("Абонент"));
    setModal(true);
    ConfirmReplaceButton = [this] {
        return QMessageBox::question(this, BusyCaption, BusyQuestion, QMessageBox::Ok | QMessageBox::Cancel,
                                     QMessageBox::Cancel)
            == QMessageBox::Ok;
    };
    ChooseSoundFile = [this] {
        return QFileDialog::getOpenFileName(this, QString(), RingFileEdit->text(),
                                            QStringLiteral("Звуковые файлы (*.wav *.mid)"));
    };
    buildLayout();
    resize(427, 517);
    ClearSubscriber();
}

TNewPerson::~TNewPerson()
{
    stopPlayer();
}

void TNewPerson::buildLayout()
{
    auto *root = new QVBoxLayout(this);

    auto *info = new QGroupBox(QStringLiteral("Информация об абоненте"), this);
    auto *infoGrid = new QGridLayout(info);
    infoGrid->addWidget(new QLabel(QStringLiteral("Телефон:"), info), 0, 0);
    PhoneEdit = new QLineEdit(info);
    PhoneEdit->setObjectName(QStringLiteral("PhoneEdit"));
    PhoneEdit->installEventFilter(this);
    UndefBtn = new QPushButton(QStringLiteral("?"), info);
    UndefBtn->setObjectName(QStringLiteral("UndefBtn"));
    UndefBtn->setFixedWidth(28);
    UndefBtn->setAutoDefault(false);
    auto *phoneRow = new QHBoxLayout;
    phoneRow->addWidget(PhoneEdit, 1);
    phoneRow->addWidget(UndefBtn);
    infoGrid->addLayout(phoneRow, 0, 1);
    infoGrid->addWidget(new QLabel(QStringLiteral("Имя:"), info), 1, 0);
    NameEdit = new QLineEdit(info);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    infoGrid->addWidget(NameEdit, 1, 1);
    infoGrid->addWidget(new QLabel(QStringLiteral("Адрес:"), info), 2, 0);
    AddressEdit = new QLineEdit(info);
    AddressEdit->setObjectName(QStringLiteral("AddressEdit"));
    infoGrid->addWidget(AddressEdit, 2, 1);
    root->addWidget(info);

    auto check = [](QWidget *parent, const char *name, const QString &text) {
        auto *c = new QCheckBox(text, parent);
        c->setObjectName(QLatin1String(name));
        return c;
    };
    auto *rules = new QHBoxLayout;
    auto *record = new QGroupBox(QStringLiteral("Запись разговора"), this);
    auto *recordBox = new QVBoxLayout(record);
    RecCheck = check(record, "RecCheck", QStringLiteral("Записывать всегда"));
    NoRecCheck = check(record, "NoRecCheck", QStringLiteral("Не записывать  никогда"));
    recordBox->addWidget(RecCheck);
    recordBox->addWidget(NoRecCheck);
    recordBox->addStretch(1);
    rules->addWidget(record);
    auto *alert = new QGroupBox(QStringLiteral("Оповещение о звонке"), this);
    auto *alertBox = new QVBoxLayout(alert);
    DispCheck = check(alert, "DispCheck", QStringLiteral("Всегда выводить сообщение"));
    NoDispCheck = check(alert, "NoDispCheck", QStringLiteral("Никогда не выводить сообщение"));
    ForceRingCheck = check(alert, "ForceRingCheck", QStringLiteral("Всегда проигрывать сигнал"));
    NoRingCheck = check(alert, "NoRingCheck", QStringLiteral("Не проигрывать сигнал"));
    HangUpCheck = check(alert, "HangUpCheck", QStringLiteral("Сбрасывать звонок"));
    for (QCheckBox *c : {DispCheck, NoDispCheck, ForceRingCheck, NoRingCheck, HangUpCheck})
        alertBox->addWidget(c);
    rules->addWidget(alert, 1);
    root->addLayout(rules);
    pair(RecCheck, NoRecCheck);
    pair(DispCheck, NoDispCheck);
    pair(NoRingCheck, ForceRingCheck);

    auto *sound = new QGroupBox(QStringLiteral("Файл сигнала"), this);
    auto *soundGrid = new QGridLayout(sound);
    PlayBtn = new QToolButton(sound);
    PlayBtn->setObjectName(QStringLiteral("PlayBtn"));
    PlayBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    RingFileEdit = new QLineEdit(sound);
    RingFileEdit->setObjectName(QStringLiteral("RingFileEdit"));
    BrowseForFileBtn = new QPushButton(QStringLiteral("Обзор"), sound);
    BrowseForFileBtn->setObjectName(QStringLiteral("BrowseForFileBtn"));
    BrowseForFileBtn->setAutoDefault(false);
    soundGrid->addWidget(PlayBtn, 0, 0);
    soundGrid->addWidget(RingFileEdit, 0, 1, 1, 2);
    soundGrid->addWidget(BrowseForFileBtn, 0, 3);
    VolumeCheck = check(sound, "VolumeCheck", QStringLiteral("Персональная громкость"));
    VolumeTrack = new QSlider(Qt::Horizontal, sound);
    VolumeTrack->setObjectName(QStringLiteral("VolumeTrack"));
    VolumeTrack->setRange(0, 100);
    VolumeTrack->setPageStep(5);
    VolumeEdit = new QSpinBox(sound);
    VolumeEdit->setObjectName(QStringLiteral("VolumeEdit"));
    VolumeEdit->setRange(0, 100);
    VolumeEdit->setSingleStep(5);
    VolumeEdit->installEventFilter(this);
    soundGrid->addWidget(VolumeCheck, 1, 0, 1, 2);
    soundGrid->addWidget(VolumeTrack, 1, 2);
    soundGrid->addWidget(VolumeEdit, 1, 3);
    CreschendoCheck = check(sound, "CreschendoCheck", QStringLiteral("Крещендо"));
    soundGrid->addWidget(CreschendoCheck, 2, 0, 1, 4);
    soundGrid->setColumnStretch(2, 1);
    root->addWidget(sound);

    auto *fast = new QGroupBox(QStringLiteral("Быстрый вызов"), this);
    auto *fastBox = new QHBoxLayout(fast);
    FastCallCheck = check(fast, "FastCallCheck", QStringLiteral("Активизировать быстрый вызов"));
    BtnNumEdit = new QSpinBox(fast);
    BtnNumEdit->setObjectName(QStringLiteral("BtnNumEdit"));
    BtnNumEdit->setRange(1, THotButtonFile::Count);
    BtnNumEdit->installEventFilter(this);
    fastBox->addWidget(FastCallCheck, 1);
    fastBox->addWidget(new QLabel(QStringLiteral("Кнопка №"), fast));
    fastBox->addWidget(BtnNumEdit);
    root->addWidget(fast);

    auto *notes = new QGroupBox(QStringLiteral("Заметки"), this);
    auto *notesBox = new QVBoxLayout(notes);
    NotesEdit = new QPlainTextEdit(notes);
    NotesEdit->setObjectName(QStringLiteral("NotesEdit"));
    notesBox->addWidget(NotesEdit);
    root->addWidget(notes, 1);

    auto *buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton(QStringLiteral("&OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("&Отмена"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    root->addLayout(buttons);

    connect(PhoneEdit, &QLineEdit::textChanged, this, &TNewPerson::phoneChanged);
    connect(UndefBtn, &QPushButton::clicked, this, [this] { PhoneEdit->setText(UndefinedNumber()); });
    connect(VolumeCheck, &QCheckBox::toggled, this, &TNewPerson::setVolumeControls);
    connect(VolumeTrack, &QSlider::valueChanged, VolumeEdit, &QSpinBox::setValue);
    connect(VolumeEdit, &QSpinBox::valueChanged, VolumeTrack, &QSlider::setValue);
    connect(FastCallCheck, &QCheckBox::toggled, BtnNumEdit, &QWidget::setEnabled);
    connect(BtnNumEdit, &QSpinBox::valueChanged, this, [this] { FButtonChanged = true; });
    connect(BrowseForFileBtn, &QPushButton::clicked, this, [this] {
        const QString file = ChooseSoundFile ? ChooseSoundFile() : QString();
        if (!file.isEmpty())
            RingFileEdit->setText(file);
    });
    connect(PlayBtn, &QToolButton::clicked, this, &TNewPerson::PlayBtnClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TNewPerson::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TNewPerson::pair(QCheckBox *A, QCheckBox *B)
{
    connect(A, &QCheckBox::toggled, B, [B](bool on) {
        if (on)
            B->setChecked(false);
    });
    connect(B, &QCheckBox::toggled, A, [A](bool on) {
        if (on)
            A->setChecked(false);
    });
}

void TNewPerson::setVolumeControls(bool On)
{
    VolumeEdit->setEnabled(On);
    VolumeTrack->setEnabled(On);
}

QString TNewPerson::UndefinedNumber() const
{
    return QString(FConfig ? FConfig->RegionalNumberLength : 7, QLatin1Char('?'));
}

bool TNewPerson::NumberValid() const
{
    const QString text = PhoneEdit->text();
    return !TextToPhoneNumber(text).isEmpty() || text == UndefinedNumber();
}

void TNewPerson::phoneChanged()
{
    const QString upper = PhoneEdit->text().toUpper();
    if (upper != PhoneEdit->text()) {
        const int caret = PhoneEdit->cursorPosition();
        const QSignalBlocker block(PhoneEdit);
        PhoneEdit->setText(upper);
        PhoneEdit->setCursorPosition(caret);
    }
    BitBtn1->setEnabled(NumberValid());
}

bool TNewPerson::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == PhoneEdit && event->type() == QEvent::KeyPress) {
        auto *e = static_cast<QKeyEvent *>(event);
        if (enterKey(e))
            return true;
        const QString text = e->text().toUpper();
        // Only typed characters are filtered: keys without one or with a control
        // character (caret moves, Tab, Esc, Delete, Backspace) are left to the
        // field and the dialog.
        const bool control = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return !c.isPrint(); });
        if (text.isEmpty() || control || (e->modifiers() & Qt::ControlModifier))
            return false;
        if (text.size() != 1 || !numberChar(text.at(0)))
            return true;
        if (text != e->text()) {
            PhoneEdit->insert(text);
            return true;
        }
        return false;
    }
    if ((watched == VolumeEdit || watched == BtnNumEdit) && event->type() == QEvent::KeyPress
        && enterKey(static_cast<QKeyEvent *>(event))) {
        return true;   // OK comes with the release
    }
    if ((watched == VolumeEdit || watched == BtnNumEdit) && event->type() == QEvent::KeyRelease
        && enterKey(static_cast<QKeyEvent *>(event))) {
        // The shortcut obeys the OK button: an invalid number is never accepted.
        if (BitBtn1->isEnabled())
            BitBtn1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TNewPerson::ClearSubscriber()
{
    for (QLineEdit *e : {PhoneEdit, NameEdit, AddressEdit, RingFileEdit})
        e->clear();
    NotesEdit->clear();
    for (QCheckBox *c : {RecCheck, NoRecCheck, DispCheck, NoDispCheck, ForceRingCheck, NoRingCheck, HangUpCheck})
        c->setChecked(false);
    VolumeCheck->setChecked(false);
    VolumeEdit->setValue(75);
    setVolumeControls(false);
    CreschendoCheck->setChecked(false);
    FastCallCheck->setChecked(false);
    BtnNumEdit->setEnabled(false);
    BtnNumEdit->setValue(FHotButtons ? FHotButtons->firstFreeHotButton() : 1);
    // A new subscriber's button is a new choice: a bound one is asked about.
    FButtonChanged = true;
    phoneChanged();
}

void TNewPerson::SetSubscriber(const TSubscriber &Values)
{
    PhoneEdit->setText(Values.Phone);
    NameEdit->setText(Values.Name);
    AddressEdit->setText(Values.Address);
    NotesEdit->setPlainText(Values.Notes);
    RingFileEdit->setText(Values.SoundFile);
    const struct {
        QCheckBox *Box;
        int Bit;
    } boxes[] = {{NoRingCheck, TPersonAttributes::NeverRing},     {NoDispCheck, TPersonAttributes::NeverShow},
                 {DispCheck, TPersonAttributes::AlwaysShow},      {RecCheck, TPersonAttributes::AlwaysRecord},
                 {NoRecCheck, TPersonAttributes::NeverRecord},    {ForceRingCheck, TPersonAttributes::AlwaysRing},
                 {HangUpCheck, TPersonAttributes::HangUpCall}};
    for (const auto &b : boxes)
        if (Values.Attributes & b.Bit)
            b.Box->setChecked(true);
    if (Values.HotButton < 1) {
        FastCallCheck->setChecked(false);
        BtnNumEdit->setEnabled(false);
        BtnNumEdit->setValue(FHotButtons ? FHotButtons->firstFreeHotButton() : 1);
    } else {
        FastCallCheck->setChecked(true);
        BtnNumEdit->setEnabled(true);
        BtnNumEdit->setValue(Values.HotButton);
    }
    FButtonChanged = false;
    if (Values.Volume < 0) {
        VolumeEdit->setValue(75);
        VolumeCheck->setChecked(false);
        setVolumeControls(false);
    } else {
        VolumeEdit->setValue(Values.Volume);
        VolumeCheck->setChecked(true);
    }
    CreschendoCheck->setChecked(Values.Creschendo);
}

void TNewPerson::SetPhone(const QString &Phone)
{
    PhoneEdit->setText(Phone);
}

TSubscriber TNewPerson::GetSubscriber() const
{
    TSubscriber s;
    s.Phone = PhoneEdit->text();
    s.Name = NameEdit->text();
    s.Address = AddressEdit->text();
    s.Notes = NotesEdit->toPlainText();
    s.SoundFile = RingFileEdit->text();
    s.Creschendo = CreschendoCheck->isChecked();
    s.Volume = VolumeCheck->isChecked() ? VolumeEdit->value() : -1;
    s.HotButton = FastCallCheck->isChecked() ? BtnNumEdit->value() : 0;
    using namespace TPersonAttributes;
    s.Attributes = (NoRingCheck->isChecked() ? NeverRing : 0) | (NoDispCheck->isChecked() ? NeverShow : 0)
        | (DispCheck->isChecked() ? AlwaysShow : 0) | (RecCheck->isChecked() ? AlwaysRecord : 0)
        | (NoRecCheck->isChecked() ? NeverRecord : 0) | (ForceRingCheck->isChecked() ? AlwaysRing : 0)
        | (HangUpCheck->isChecked() ? HangUpCall : 0);
    return s;
}

void TNewPerson::BitBtn1Click()
{
    if (FastCallCheck->isChecked() && FButtonChanged && FHotButtons
        && FHotButtons->hotButtonUsed(BtnNumEdit->value())) {
        if (!ConfirmReplaceButton || !ConfirmReplaceButton())
            return;
    }
    accept();
}

bool TNewPerson::Playing() const
{
    return Player && Player->Mode() == mpPlaying;
}

void TNewPerson::stopPlayer()
{
    if (!Player)
        return;
    Player->Stop();
    Player->Close();
    Player.reset();
    PlayBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
}

void TNewPerson::PlayBtnClick()
{
    if (Playing()) {
        stopPlayer();
        return;
    }
    stopPlayer();
    const QString file = RingFileEdit->text().trimmed();
    if (file.isEmpty())
        return;
    if (FMainPlayer && FMainPlayer->Mode() != mpNotReady)
        FMainPlayer->Close();
    Player = std::make_unique<TMediaPlayer>();
    // The end of the preview gives the play picture back and lets the file go.
    TMediaPlayer *preview = Player.get();
    connect(preview, &TMediaPlayer::Notified, this, [this, preview] {
        QMetaObject::invokeMethod(
            this,
            [this, preview] {
                if (Player.get() == preview)
                    stopPlayer();
            },
            Qt::QueuedConnection);
    });
    Player->SetFileName(file);
    if (Player->Open() && Player->Play())
        PlayBtn->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    else
        stopPlayer();
}

void TNewPerson::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        stopPlayer();
}

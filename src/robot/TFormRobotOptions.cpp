#include "TFormRobotOptions.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTime>
#include <QVBoxLayout>

namespace {

const int SpeakerCodes[4] = {4, 2, 0, 1};

// Raises the value to the next multiple of 10 when the field loses the focus.
class TRoundUpSpin : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    void focusOutEvent(QFocusEvent *e) override
    {
        interpretText();
        setValue(RoundUpToTen(value()));
        QSpinBox::focusOutEvent(e);
    }
};

QSpinBox *spin(QWidget *parent, const QString &name, int min, int max, int step = 1, bool roundUp = false)
{
    QSpinBox *s = roundUp ? new TRoundUpSpin(parent) : new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setSingleStep(step);
    return s;
}

QCheckBox *check(QWidget *parent, const QString &name, const QString &text)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(name);
    return c;
}

QTime parseHm(const QString &text)
{
    return QTime::fromString(text.trimmed(), QStringLiteral("H:mm"));
}

} // namespace

int TFormRobotOptions::SpeakerItem(int Code)
{
    switch (Code) {
    case 0: return 2;
    case 1: return 3;
    case 2: return 1;
    default: return 0;
    }
}

int TFormRobotOptions::SpeakerCode(int Item)
{
    return SpeakerCodes[std::clamp(Item, 0, 3)];
}

QGroupBox *TFormRobotOptions::radioGroup(const QString &name, const QString &title, const QStringList &items,
                                         QButtonGroup *&group)
{
    auto *box = new QGroupBox(title, this);
    box->setObjectName(name);
    group = new QButtonGroup(box);
    auto *l = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], box);
        b->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        group->addButton(b, i);
        l->addWidget(b);
    }
    return box;
}

void TFormRobotOptions::guardTime(QLineEdit *edit)
{
    // Hour (one or two digits), a colon and two-digit minutes. A text of that
    // shape that is no time is at once replaced by the last valid text; a
    // shorter text is still being typed and is judged when the edit is left.
    static const QRegularExpression shape(QStringLiteral("^\\d{0,2}(:\\d{0,2})?$"));
    static const QRegularExpression complete(QStringLiteral("^\\d{1,2}:\\d{2}$"));
    edit->setValidator(new QRegularExpressionValidator(shape, edit));
    edit->setMaxLength(5);
    edit->setProperty("lastValid", QStringLiteral("09:00"));
    connect(edit, &QLineEdit::textEdited, this, [edit](const QString &text) {
        if (!complete.match(text).hasMatch())
            return;
        if (parseHm(text).isValid())
            edit->setProperty("lastValid", text);
        else
            edit->setText(edit->property("lastValid").toString());
    });
    connect(edit, &QLineEdit::editingFinished, this, [edit] {
        if (!parseHm(edit->text()).isValid())
            edit->setText(edit->property("lastValid").toString());
    });
}

TFormRobotOptions::TFormRobotOptions(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormRobotOptions"));
    setWindowTitle(QStringLiteral("Настройки телефонного робота"));

    auto *passes = new QGroupBox(QStringLiteral("Проходы"), this);
    SpinEditCount = spin(passes, QStringLiteral("SpinEditCount"), 0, 1000);
    CheckBoxFlagReset = check(passes, QStringLiteral("CheckBoxFlagReset"), QStringLiteral("Сброс флагов после каждого прохода"));
    auto *pl = new QFormLayout(passes);
    pl->addRow(QStringLiteral("Количество проходов"), SpinEditCount);
    pl->addRow(CheckBoxFlagReset);

    RG_Channel = radioGroup(QStringLiteral("RG_Channel"), QStringLiteral(" Канал связи "),
                            {QStringLiteral("Проводная линия"), QStringLiteral("Мобильный канал")}, FChannel);
    RG_Criterion = radioGroup(QStringLiteral("RG_Criterion"), QStringLiteral(" Критерий дозванивания по линии "),
                              {QStringLiteral("Отсутствие коротких гудков"), QStringLiteral("Появление длинного гудка"),
                               QStringLiteral("Прекращение длинных гудков"), QStringLiteral("Снятие трубки оператором")},
                              FCriterion);
    RG_Speaker = radioGroup(QStringLiteral("RG_Speaker"), QStringLiteral(" Громкоговоритель VRXа "),
                            {QStringLiteral("Всегда выключен"), QStringLiteral("Включается после обнаружения длинных гудков"),
                             QStringLiteral("Включается сразу после набора номера"), QStringLiteral("Всегда включен")},
                            FSpeaker);
    RG_Registration = radioGroup(QStringLiteral("RG_Registration"),
                                 QStringLiteral(" Регистрация дозвонов в памяти исходящих "),
                                 {QStringLiteral("Все успешные дозвоны"), QStringLiteral("Дозвоны, на которые получен ответ"),
                                  QStringLiteral("Не регистрировать")},
                                 FRegistration);
    CheckBoxWaitForBeeps = check(this, QStringLiteral("CheckBoxWaitForBeeps"), QStringLiteral("Ждать гудки после набора номера"));
    SpinEditWaitForHangUp = spin(this, QStringLiteral("SpinEditWaitForHangUp"), 10, 150, 10, true);

    auto *messages = new QGroupBox(QStringLiteral("Трансляция сообщений "), this);
    LabelMessageCount = new QLabel(QStringLiteral("Количество трансляций :"), messages);
    SpinEditMessageCount = spin(messages, QStringLiteral("SpinEditMessageCount"), 0, 15);
    CheckBoxGetAnswer = check(messages, QStringLiteral("CheckBoxGetAnswer"), QStringLiteral("Записывать ответы абонентов"));
    LabelTimeOut = new QLabel(QStringLiteral("Время записи ответа (в сек.) :"), messages);
    SpinEditTimeOut = spin(messages, QStringLiteral("SpinEditTimeOut"), 10, 2560, 10, true);
    auto *ml = new QGridLayout(messages);
    ml->addWidget(LabelMessageCount, 0, 0);
    ml->addWidget(SpinEditMessageCount, 0, 1);
    ml->addWidget(CheckBoxGetAnswer, 1, 0, 1, 2);
    ml->addWidget(LabelTimeOut, 2, 0);
    ml->addWidget(SpinEditTimeOut, 2, 1);

    auto *task = new QGroupBox(QStringLiteral(" Работа по времени "), this);
    CheckBoxActiveTask = check(task, QStringLiteral("CheckBoxActiveTask"), QStringLiteral("Активизировать"));
    MaskEditStart = new QLineEdit(task);
    MaskEditStart->setObjectName(QStringLiteral("MaskEditStart"));
    MaskEditEnd = new QLineEdit(task);
    MaskEditEnd->setObjectName(QStringLiteral("MaskEditEnd"));
    guardTime(MaskEditStart);
    guardTime(MaskEditEnd);
    CheckBoxWeeks = check(task, QStringLiteral("CheckBoxWeeks"), QStringLiteral("Дни недели"));
    const QStringList days{QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"), QStringLiteral("Чт"),
                           QStringLiteral("Пт"), QStringLiteral("Сб"), QStringLiteral("Вс")};
    auto *tl = new QGridLayout(task);
    tl->addWidget(CheckBoxActiveTask, 0, 0, 1, 4);
    tl->addWidget(new QLabel(QStringLiteral("Начало"), task), 1, 0);
    tl->addWidget(MaskEditStart, 1, 1);
    tl->addWidget(new QLabel(QStringLiteral("Окончание"), task), 1, 2);
    tl->addWidget(MaskEditEnd, 1, 3);
    tl->addWidget(CheckBoxWeeks, 2, 0, 1, 4);
    auto *week = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        CheckBoxWeek[i] = check(task, QStringLiteral("CheckBoxWeek%1").arg(i + 1), days[i]);
        week->addWidget(CheckBoxWeek[i]);
    }
    tl->addLayout(week, 3, 0, 1, 4);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto *hang = new QFormLayout;
    hang->addRow(QStringLiteral("Время ожидания снятия трубки (в сек.) :"), SpinEditWaitForHangUp);
    auto *left = new QVBoxLayout;
    left->addWidget(passes);
    left->addWidget(RG_Channel);
    left->addWidget(RG_Criterion);
    left->addWidget(RG_Speaker);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(RG_Registration);
    right->addWidget(CheckBoxWaitForBeeps);
    right->addLayout(hang);
    right->addWidget(messages);
    right->addWidget(task);
    right->addStretch();
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    connect(FCriterion, &QButtonGroup::idClicked, this, &TFormRobotOptions::UpdateControls);
    connect(FRegistration, &QButtonGroup::idClicked, this, &TFormRobotOptions::UpdateControls);
    connect(CheckBoxGetAnswer, &QCheckBox::clicked, this, &TFormRobotOptions::UpdateControls);
    connect(CheckBoxWeeks, &QCheckBox::clicked, this, &TFormRobotOptions::UpdateControls);
}

void TFormRobotOptions::Load(const TRobotConfig &c, const TRobotSchedule &s, bool MobileChannel)
{
    SpinEditCount->setValue(c.Passes);
    CheckBoxFlagReset->setChecked(c.ResetFlags);
    FChannel->button(c.Channel ? 1 : 0)->setChecked(true);
    RG_Channel->setEnabled(MobileChannel);
    FCriterion->button(std::min<int>(c.Criterion, 3))->setChecked(true);
    FSpeaker->button(SpeakerItem(c.Speaker))->setChecked(true);
    FRegistration->button(std::min<int>(c.LogBook, 2))->setChecked(true);
    CheckBoxWaitForBeeps->setChecked(c.WaitForBeeps);
    SpinEditWaitForHangUp->setValue(c.TimeOutHangUp);
    SpinEditMessageCount->setValue(c.MessageNumber);
    CheckBoxGetAnswer->setChecked(c.NeedToRecord);
    SpinEditTimeOut->setValue(c.TimeOutRecord);
    CheckBoxActiveTask->setChecked(s.Activated);
    for (auto [edit, time] : {std::pair{MaskEditStart, s.StartTime}, std::pair{MaskEditEnd, s.EndTime}}) {
        const QString text = time.toString(QStringLiteral("hh:mm"));
        edit->setText(text);
        edit->setProperty("lastValid", text);
    }
    CheckBoxWeeks->setChecked(s.WeekFlags & 1);
    for (int i = 0; i < 7; ++i)
        CheckBoxWeek[i]->setChecked(s.WeekFlags & (1 << (i + 1)));
    UpdateControls();
}

void TFormRobotOptions::Store(TRobotConfig &c, TRobotSchedule &s) const
{
    c.Passes = SpinEditCount->value();
    c.ResetFlags = CheckBoxFlagReset->isChecked();
    c.Channel = uint8_t(std::max(0, FChannel->checkedId()));
    c.Criterion = uint8_t(std::max(0, FCriterion->checkedId()));
    c.Speaker = uint8_t(SpeakerCode(FSpeaker->checkedId()));
    c.LogBook = uint8_t(std::max(0, FRegistration->checkedId()));
    c.WaitForBeeps = CheckBoxWaitForBeeps->isChecked();
    c.TimeOutHangUp = RoundUpToTen(SpinEditWaitForHangUp->value());
    c.MessageNumber = SpinEditMessageCount->value();
    c.NeedToRecord = CheckBoxGetAnswer->isChecked();
    c.TimeOutRecord = RoundUpToTen(SpinEditTimeOut->value());
    s.Activated = CheckBoxActiveTask->isChecked();
    const QTime start = parseHm(MaskEditStart->property("lastValid").toString());
    const QTime end = parseHm(MaskEditEnd->property("lastValid").toString());
    if (start.isValid())
        s.StartTime = start;
    if (end.isValid())
        s.EndTime = end;
    uint8_t flags = CheckBoxWeeks->isChecked() ? 1 : 0;
    for (int i = 0; i < 7; ++i)
        if (CheckBoxWeek[i]->isChecked())
            flags |= uint8_t(1 << (i + 1));
    s.WeekFlags = flags;
}

void TFormRobotOptions::UpdateControls()
{
    const bool messages = FCriterion->checkedId() != 3;
    LabelMessageCount->setEnabled(messages);
    SpinEditMessageCount->setEnabled(messages);
    CheckBoxGetAnswer->setEnabled(FRegistration->checkedId() != 2);
    const bool answer = CheckBoxGetAnswer->isEnabled() && CheckBoxGetAnswer->isChecked();
    LabelTimeOut->setEnabled(answer);
    SpinEditTimeOut->setEnabled(answer);
    for (QCheckBox *b : CheckBoxWeek)
        b->setEnabled(CheckBoxWeeks->isChecked());
}

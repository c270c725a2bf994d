#include "TFormDateInterval.h"
#include <QButtonGroup>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QDateTime toQ(TDateTime t)
{
    return t.toQDateTime();
}
}

TFormDateInterval::TFormDateInterval(QWidget *parent, std::function<QDateTime()> Clock)
    : QDialog(parent), FChooser(std::move(Clock))
{
    setObjectName(QStringLiteral("FormDateInterval"));
    setWindowTitle(QStringLiteral("Настройка периода"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    FLabel = new QLabel(this);
    FLabel->setObjectName(QStringLiteral("LabelPeriod"));
    QFont bold = FLabel->font();
    bold.setBold(true);
    FLabel->setFont(bold);
    layout->addWidget(FLabel);
    FPages = new QTabWidget(this);
    FPages->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(FPages);

    // Page "Интервал".
    auto *interval = new QWidget;
    interval->setObjectName(QStringLiteral("TabSheetInterval"));
    auto *il = new QHBoxLayout(interval);
    const QStringList startTexts{QStringLiteral("Без ограничения"), QStringLiteral("Начало года"),
                                 QStringLiteral("Начало квартала"), QStringLiteral("Начало месяца"),
                                 QStringLiteral("Начало недели"), QStringLiteral("Начало дня"), QString()};
    const QStringList endTexts{QStringLiteral("Без ограничения"), QStringLiteral("Конец года"),
                               QStringLiteral("Конец квартала"), QStringLiteral("Конец месяца"),
                               QStringLiteral("Конец недели"), QStringLiteral("Конец дня"), QString()};
    auto makeGroup = [&](const QString &title, const QStringList &texts, QRadioButton **buttons,
                         QDateTimeEdit *&picker, const QString &pickerName, const QString &prefix) {
        auto *g = new QGroupBox(title, interval);
        auto *gl = new QVBoxLayout(g);
        auto *group = new QButtonGroup(g);
        for (int i = 0; i < 7; ++i) {
            buttons[i] = new QRadioButton(texts[i], g);
            buttons[i]->setObjectName(prefix + QString::number(i));
            group->addButton(buttons[i], i);
            if (i < 6) {
                gl->addWidget(buttons[i]);
            } else {
                auto *row = new QHBoxLayout;
                row->addWidget(buttons[i]);
                picker = new QDateTimeEdit(g);
                picker->setObjectName(pickerName);
                picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy H:mm:ss"));
                picker->setCalendarPopup(true);
                picker->setMinimumDateTime(QDateTime(QDate(1900, 1, 1), QTime(0, 0)));
                row->addWidget(picker, 1);
                gl->addLayout(row);
            }
            connect(buttons[i], &QRadioButton::clicked, this, [this] { readControls(); });
        }
        connect(picker, &QDateTimeEdit::dateTimeChanged, this, [this] { readControls(); });
        il->addWidget(g);
    };
    makeGroup(QStringLiteral(" Начало интервала "), startTexts, FStart, DateTimePicker1,
              QStringLiteral("DateTimePicker1"), QStringLiteral("StartRadio"));
    makeGroup(QStringLiteral("Конец интервала "), endTexts, FEnd, DateTimePicker2, QStringLiteral("DateTimePicker2"),
              QStringLiteral("EndRadio"));
    FPages->addTab(interval, QStringLiteral("Интервал"));

    // Page "Период".
    auto *period = new QWidget;
    period->setObjectName(QStringLiteral("TabSheetPeriod"));
    auto *pl = new QGridLayout(period);
    const QStringList choiceTexts{QStringLiteral("Год"), QStringLiteral("Квартал"), QStringLiteral("Месяц"),
                                  QStringLiteral("День")};
    const QStringList choiceNames{QStringLiteral("RadioYear"), QStringLiteral("RadioQuarter"),
                                  QStringLiteral("RadioMonth"), QStringLiteral("RadioDay")};
    auto *choices = new QButtonGroup(period);
    auto box = [period](const QString &name) {
        auto *e = new QLineEdit(period);
        e->setObjectName(name);
        e->setReadOnly(true);
        return e;
    };
    EditYear = box(QStringLiteral("EditYear"));
    EditQuarter = box(QStringLiteral("EditQuarter"));
    EditMonth = box(QStringLiteral("EditMonth"));
    DatePicker = new QDateEdit(period);
    DatePicker->setObjectName(QStringLiteral("DatePicker"));
    DatePicker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DatePicker->setCalendarPopup(true);
    DatePicker->setMinimumDate(QDate(1900, 1, 1));
    QWidget *fields[4] = {EditYear, EditQuarter, EditMonth, DatePicker};
    const QStringList upDownNames{QStringLiteral("UpDownYear"), QStringLiteral("UpDownQuarter"),
                                  QStringLiteral("UpDownMonth"), QStringLiteral("UpDownDay")};
    for (int i = 0; i < 4; ++i) {
        FChoice[i] = new QRadioButton(choiceTexts[i], period);
        FChoice[i]->setObjectName(choiceNames[i]);
        choices->addButton(FChoice[i], i);
        connect(FChoice[i], &QRadioButton::clicked, this, [this] { readControls(); });
        pl->addWidget(FChoice[i], i, 0);
        pl->addWidget(fields[i], i, 1);
        auto *ud = new QWidget(period);
        ud->setObjectName(upDownNames[i]);
        auto *udl = new QVBoxLayout(ud);
        udl->setContentsMargins(0, 0, 0, 0);
        udl->setSpacing(0);
        FUp[i] = new QToolButton(ud);
        FUp[i]->setObjectName(upDownNames[i] + QStringLiteral("Up"));
        FUp[i]->setArrowType(Qt::UpArrow);
        FDown[i] = new QToolButton(ud);
        FDown[i]->setObjectName(upDownNames[i] + QStringLiteral("Down"));
        FDown[i]->setArrowType(Qt::DownArrow);
        for (QToolButton *b : {FUp[i], FDown[i]}) {
            b->setFixedSize(18, 11);
            udl->addWidget(b);
        }
        pl->addWidget(ud, i, 2);
        const auto step = [this, i](int delta) {
            switch (i) {
            case 0: FChooser.StepYear(delta); break;
            case 1: FChooser.StepQuarter(delta); break;
            case 2: FChooser.StepMonth(delta); break;
            default: FChooser.StepDay(delta); break;
            }
            ShowChooser();
        };
        connect(FUp[i], &QToolButton::clicked, this, [step] { step(1); });
        connect(FDown[i], &QToolButton::clicked, this, [step] { step(-1); });
    }
    connect(DatePicker, &QDateEdit::dateChanged, this, [this] { readControls(); });
    pl->setColumnStretch(1, 1);
    pl->setRowStretch(4, 1);
    FPages->addTab(period, QStringLiteral("Период"));
    connect(FPages, &QTabWidget::currentChanged, this, [this] { readControls(); });

    FButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    FButtons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    FButtons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
    FButtons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    FButtons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    connect(FButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(FButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(FButtons);
    ShowChooser();
}

QPushButton *TFormDateInterval::OkButton() const
{
    return FButtons->button(QDialogButtonBox::Ok);
}

void TFormDateInterval::LoadPeriod(const TPeriod &Period)
{
    FChooser.LoadPeriod(Period);
    ShowChooser();
}

// Controls -> chooser (every click, picker change and page change).
void TFormDateInterval::readControls()
{
    if (FShowing)
        return;
    FShowing = true;
    FChooser.SetPage(FPages->currentIndex() == 0 ? ppInterval : ppPeriod);
    for (int i = 0; i < 7; ++i) {
        if (FStart[i]->isChecked())
            FChooser.SetStartChoice(TBoundChoice(i));
        if (FEnd[i]->isChecked())
            FChooser.SetEndChoice(TBoundChoice(i));
    }
    FChooser.SetStartDate(TDateTime::fromQDateTime(DateTimePicker1->dateTime()));
    FChooser.SetEndDate(TDateTime::fromQDateTime(DateTimePicker2->dateTime()));
    for (int i = 0; i < 4; ++i)
        if (FChoice[i]->isChecked())
            FChooser.SetPeriodChoice(TPeriodChoice(i));
    FChooser.SetDay(DatePicker->date());
    FShowing = false;
    ShowChooser();
}

// Chooser -> controls: choices, pickers, boxes, enables, description, OK.
void TFormDateInterval::ShowChooser()
{
    const bool was = FShowing;
    FShowing = true;
    FChooser.ComputePeriod();
    FPages->setCurrentIndex(FChooser.Page() == ppInterval ? 0 : 1);
    FStart[FChooser.StartChoice()]->setChecked(true);
    FEnd[FChooser.EndChoice()]->setChecked(true);
    DateTimePicker1->setDateTime(toQ(FChooser.StartDate()));
    DateTimePicker2->setDateTime(toQ(FChooser.EndDate()));
    DateTimePicker1->setEnabled(FChooser.StartChoice() == bcDate);
    DateTimePicker2->setEnabled(FChooser.EndChoice() == bcDate);
    FChoice[FChooser.PeriodChoice()]->setChecked(true);
    EditYear->setText(FChooser.YearText());
    EditQuarter->setText(FChooser.QuarterText());
    EditMonth->setText(FChooser.MonthText());
    DatePicker->setDate(FChooser.Day());
    const TPeriodChoice c = FChooser.PeriodChoice();
    const bool yearOn = c != pcDay;
    EditYear->setEnabled(yearOn);
    FUp[0]->parentWidget()->setEnabled(yearOn);
    EditQuarter->setEnabled(c == pcQuarter);
    FUp[1]->parentWidget()->setEnabled(c == pcQuarter);
    EditMonth->setEnabled(c == pcMonth);
    FUp[2]->parentWidget()->setEnabled(c == pcMonth);
    DatePicker->setEnabled(c == pcDay);
    FUp[3]->parentWidget()->setEnabled(c == pcDay);
    FLabel->setText(FChooser.Description());
    OkButton()->setEnabled(FChooser.OkEnabled());
    FShowing = was;
}

#include "TStatsConfig.h"
#include "TFormDateInterval.h"
#include "config/TConfig.h"
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TStatsConfig::TStatsConfig(TConfig &Config, TFormDateInterval *Chooser, QWidget *parent)
    : QDialog(parent), FConfig(Config), FChooser(Chooser)
{
    setObjectName(QStringLiteral("StatsConfig"));
    setWindowTitle(QStringLiteral("Параметры статистики"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    for (int side = 0; side < 2; ++side) {
        const bool in = side == 0;
        const QString x = in ? QStringLiteral("In") : QStringLiteral("Out");
        auto *page = new QWidget;
        page->setObjectName(in ? QStringLiteral("TabSheetIn") : QStringLiteral("TabSheetOut"));
        auto *pl = new QVBoxLayout(page);
        auto *group = new QGroupBox(QStringLiteral("Группировать по полям"), page);
        auto *gl = new QVBoxLayout(group);
        QCheckBox **boxes = in ? FIn : FOut;
        for (int i = 0; i < 8; ++i) {
            const QString text = i == 0 ? QStringLiteral("Телефон") : (in ? Config.InField : Config.OutField)[size_t(i)];
            boxes[i] = new QCheckBox(text, group);
            boxes[i]->setObjectName(i == 0 ? x + QStringLiteral("PhoneCheck")
                                           : x + QStringLiteral("Field%1Check").arg(i));
            gl->addWidget(boxes[i]);
            connect(boxes[i], &QCheckBox::clicked, this, [this] { FApply->setEnabled(true); });
        }
        pl->addWidget(group);
        auto *row = new QHBoxLayout;
        FLabel[side] = new QLabel(page);
        FLabel[side]->setObjectName(QStringLiteral("LabelIntervals"));
        auto *intervalBtn = new QPushButton(QStringLiteral("Определить интервал"), page);
        intervalBtn->setObjectName(QStringLiteral("IntervalBtn"));
        intervalBtn->setAutoDefault(false);
        connect(intervalBtn, &QPushButton::clicked, this, &TStatsConfig::IntervalClick);
        row->addWidget(FLabel[side], 1);
        row->addWidget(intervalBtn);
        pl->addLayout(row);
        pages->addTab(page, in ? QStringLiteral("Входящие") : QStringLiteral("Исходящие"));
    }
    layout->addWidget(pages);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    FApply = buttons->addButton(QStringLiteral("&Применить"), QDialogButtonBox::ApplyRole);
    FApply->setObjectName(QStringLiteral("ApplyBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        store();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(FApply, &QPushButton::clicked, this, &TStatsConfig::ApplyClick);
    layout->addWidget(buttons);
    Prepare();
}

void TStatsConfig::SetPeriod(const TPeriod &Period)
{
    FPeriod = Period;
    for (QLabel *l : FLabel)
        l->setText(DescribePeriod(FPeriod));
}

void TStatsConfig::Prepare()
{
    FIn[0]->setChecked(FConfig.InPhone);
    FOut[0]->setChecked(FConfig.OutPhone);
    for (int i = 1; i <= 7; ++i) {
        FIn[i]->setChecked(FConfig.InF[size_t(i)]);
        FOut[i]->setChecked(FConfig.OutF[size_t(i)]);
    }
    SetPeriod(FPeriod);
    FApply->setEnabled(false);
}

void TStatsConfig::showEvent(QShowEvent *event)
{
    Prepare();
    QDialog::showEvent(event);
}

void TStatsConfig::store()
{
    FConfig.InPhone = FIn[0]->isChecked();
    FConfig.OutPhone = FOut[0]->isChecked();
    for (int i = 1; i <= 7; ++i) {
        FConfig.InF[size_t(i)] = FIn[i]->isChecked();
        FConfig.OutF[size_t(i)] = FOut[i]->isChecked();
    }
    FConfig.Save();
    emit Applied();
}

void TStatsConfig::ApplyClick()
{
    if (!FApply->isEnabled())
        return;
    store();
    FApply->setEnabled(false);
}

void TStatsConfig::IntervalClick()
{
    if (FChooser) {
        FChooser->LoadPeriod(FPeriod);
        if (FChooser->exec() == QDialog::Accepted) {
            FPeriod = FChooser->Period();
            FApply->setEnabled(true);
        }
    }
    SetPeriod(FPeriod);
}

#include "TStatsChart.h"
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {
QChartView *makeView(QWidget *parent, const QString &name)
{
    auto *v = new QChartView(new QChart, parent);
    v->setObjectName(name);
    v->setRenderHint(QPainter::Antialiasing);
    v->chart()->legend()->setAlignment(Qt::AlignBottom);
    v->setMinimumHeight(180);
    return v;
}

// A new chart for the view each time, so that no axis of the last data stays.
QChart *freshChart(QChartView *view)
{
    QChart *old = view->chart();
    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    view->setChart(chart);
    delete old;
    return chart;
}

void setAxes(QChart *chart, QAbstractSeries *series, const QStringList &categories, qint64 max)
{
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    x->setLabelsAngle(categories.size() > 31 ? -90 : 0);
    auto *y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%d"));
    // Whole numbers only: a small maximum gets one tick per call.
    const qint64 top = std::max<qint64>(max, 1);
    y->setRange(0, double(top));
    if (top <= 10)
        y->setTickCount(int(top) + 1);
    else
        y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}
}

TStatsChart::TStatsChart(const QString &Title, QWidget *parent)
    : QWidget(parent), FTitle(Title)
{
    auto *l = new QVBoxLayout(this);
    FDays = makeView(this, QStringLiteral("ChartDays"));
    FHours = makeView(this, QStringLiteral("ChartHours"));
    FNote = new QLabel(this);
    FNote->setObjectName(QStringLiteral("ChartNote"));
    FNote->setWordWrap(true);
    FNote->hide();
    l->addWidget(FNote);
    l->addWidget(FDays, 3);
    l->addWidget(FHours, 2);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    FSave = new QPushButton(QStringLiteral("Сохранить как PNG"), this);
    FSave->setObjectName(QStringLiteral("SaveChartBtn"));
    row->addWidget(FSave);
    l->addLayout(row);
    connect(FSave, &QPushButton::clicked, this, &TStatsChart::saveClick);
    ShowData({});
}

void TStatsChart::ShowData(const TCallChartData &Data)
{
    FData = Data;
    QChart *days = freshChart(FDays);
    auto *answered = new QBarSet(QStringLiteral("Состоявшиеся"));
    auto *missed = new QBarSet(QStringLiteral("Без разговора"));
    QStringList labels;
    qint64 max = 0;
    // Many days: every label would overlap, so only every n-th is written.
    const qsizetype step = std::max<qsizetype>(1, Data.Buckets.size() / 31 + 1);
    qsizetype index = 0;
    for (const TCallBucket &b : Data.Buckets) {
        *answered << double(b.Answered);
        *missed << double(b.Unanswered);
        const QString label = b.Start.toString(Data.Monthly ? QStringLiteral("MM.yyyy") : QStringLiteral("dd.MM"));
        // Categories must differ: the skipped ones are padded with invisible blanks.
        labels << (index++ % step == 0 ? label : QString(int(index), QChar(0x200B)));
        max = std::max(max, b.Answered + b.Unanswered);
    }
    auto *stacked = new QStackedBarSeries;
    stacked->append(answered);
    stacked->append(missed);
    days->addSeries(stacked);
    setAxes(days, stacked, labels, max);
    FNote->setVisible(Data.Clipped);
    if (Data.Clipped)
        FNote->setText(QStringLiteral("График показывает звонки с %1 по %2. Звонков с датой вне этого срока "
                                      "(вероятно, повреждённой): %3.")
                           .arg(Data.ChartFrom.toString(QStringLiteral("dd.MM.yyyy")),
                                Data.ChartTo.toString(QStringLiteral("dd.MM.yyyy")))
                           .arg(Data.LeftOut));
    days->setTitle(FTitle + (Data.Monthly ? QStringLiteral(": звонки по месяцам") : QStringLiteral(": звонки по дням"))
                   + QStringLiteral(" (всего %1)").arg(Data.Total));

    QChart *hours = freshChart(FHours);
    auto *byHour = new QBarSet(QStringLiteral("Звонки"));
    QStringList hourLabels;
    qint64 hourMax = 0;
    for (int h = 0; h < 24; ++h) {
        *byHour << double(Data.ByHour[size_t(h)]);
        hourLabels << QString::number(h);
        hourMax = std::max(hourMax, Data.ByHour[size_t(h)]);
    }
    auto *bars = new QBarSeries;
    bars->append(byHour);
    hours->addSeries(bars);
    setAxes(hours, bars, hourLabels, hourMax);
    hours->setTitle(QStringLiteral("Звонки по часам суток"));
    hours->legend()->setVisible(false);
}

qint64 TStatsChart::BarTotal() const
{
    qint64 total = 0;
    for (QAbstractSeries *s : FDays->chart()->series())
        for (QBarSet *set : static_cast<QAbstractBarSeries *>(s)->barSets())
            for (int i = 0; i < set->count(); ++i)
                total += qint64(set->at(i));
    return total;
}

bool TStatsChart::SavePng(const QString &FileName)
{
    return grab().save(FileName, "PNG");
}

void TStatsChart::saveClick()
{
    QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить график"), FTitle + QStringLiteral(".png"),
                                                QStringLiteral("Рисунки PNG (*.png)"));
    if (file.isEmpty())
        return;
    if (!file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        file += QStringLiteral(".png");
    if (!SavePng(file))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Не удалось записать файл ") + file);
}

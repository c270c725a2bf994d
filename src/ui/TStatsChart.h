#pragma once
// The statistics window's "График" tab: a journal's calls per day (per month
// for periods past 92 days), answered and unanswered stacked, and by hour of day.
#include "search/TCallStatistics.h"
#include <QWidget>

class QChartView;
class QLabel;
class QPushButton;

class TStatsChart : public QWidget {
    Q_OBJECT
public:
    explicit TStatsChart(const QString &Title, QWidget *parent = nullptr);

    void ShowData(const TCallChartData &Data);
    const TCallChartData &Data() const { return FData; }
    // The sum of the stacked bars' values (what the chart shows, for checks).
    qint64 BarTotal() const;
    bool SavePng(const QString &FileName);
    QChartView *DaysView() const { return FDays; }
    QChartView *HoursView() const { return FHours; }
    // Says which range a clipped chart covers and how many calls it leaves out.
    QLabel *Note() const { return FNote; }

private:
    void saveClick();

    QString FTitle;
    TCallChartData FData;
    QChartView *FDays = nullptr;
    QChartView *FHours = nullptr;
    QLabel *FNote = nullptr;
    QPushButton *FSave = nullptr;
};

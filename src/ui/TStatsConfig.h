#pragma once
// "Параметры статистики": which of the sixteen groupings are made, and the
// statistics period (owned here, chosen in the period chooser).
#include "search/TPeriod.h"
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class TConfig;
class TFormDateInterval;

class TStatsConfig : public QDialog {
    Q_OBJECT
public:
    TStatsConfig(TConfig &Config, TFormDateInterval *Chooser, QWidget *parent = nullptr);

    TPeriod Period() const { return FPeriod; }
    void SetPeriod(const TPeriod &Period);
    // Check boxes from the switches, the period's description, "&Применить" off (FormShow).
    void Prepare();
    // OK and "&Применить": the switches into the settings, saved; the statistics recomputed.
    void ApplyClick();
    void IntervalClick();

    QCheckBox *InCheck(int Index) const { return FIn[Index]; }    // 0 "Телефон", 1..7 the fields
    QCheckBox *OutCheck(int Index) const { return FOut[Index]; }
    QPushButton *ApplyButton() const { return FApply; }

signals:
    // The switches or the period were taken: the statistics are to be recomputed.
    void Applied();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void store();

    TConfig &FConfig;
    TFormDateInterval *FChooser;
    TPeriod FPeriod;
    QCheckBox *FIn[8] = {};
    QCheckBox *FOut[8] = {};
    QLabel *FLabel[2] = {};
    QPushButton *FApply = nullptr;
};

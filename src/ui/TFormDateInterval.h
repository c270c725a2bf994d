#pragma once
// The period chooser "Настройка периода": the pages "Интервал" and "Период"
// over a TPeriodChooser, which computes the period from the controls.
#include "search/TPeriodChooser.h"
#include <QDialog>

class QDateEdit;
class QDateTimeEdit;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QToolButton;

class TFormDateInterval : public QDialog {
    Q_OBJECT
public:
    explicit TFormDateInterval(QWidget *parent = nullptr, std::function<QDateTime()> Clock = {});

    TPeriodChooser &Chooser() { return FChooser; }
    TPeriod Period() const { return FChooser.Period(); }
    void LoadPeriod(const TPeriod &Period);
    static QString DescribePeriod(const TPeriod &Period) { return ::DescribePeriod(Period); }

    QTabWidget *Pages() const { return FPages; }
    QLabel *LabelPeriod() const { return FLabel; }
    QPushButton *OkButton() const;

    // The controls read back after a change (also for tests that drive the widgets).
    void ShowChooser();

private:
    void readControls();
    QToolButton *upDown(QWidget *parent, const QString &name, QToolButton **down);

    TPeriodChooser FChooser;
    bool FShowing = false;
    QTabWidget *FPages = nullptr;
    QLabel *FLabel = nullptr;
    QRadioButton *FStart[7] = {};
    QRadioButton *FEnd[7] = {};
    QDateTimeEdit *DateTimePicker1 = nullptr;
    QDateTimeEdit *DateTimePicker2 = nullptr;
    QRadioButton *FChoice[4] = {};
    QLineEdit *EditYear = nullptr;
    QLineEdit *EditQuarter = nullptr;
    QLineEdit *EditMonth = nullptr;
    QDateEdit *DatePicker = nullptr;
    QToolButton *FUp[4] = {};     // year, quarter, month, day
    QToolButton *FDown[4] = {};
    QDialogButtonBox *FButtons = nullptr;
};

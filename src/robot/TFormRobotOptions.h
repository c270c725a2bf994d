#pragma once
// "Настройки телефонного робота": the robot's options and its timed-work schedule.
#include "TRobotConfig.h"
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TFormRobotOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFormRobotOptions(QWidget *parent = nullptr);

    // Loads every control from the fields; MobileChannel enables the channel choice.
    void Load(const TRobotConfig &Config, const TRobotSchedule &Schedule, bool MobileChannel);
    // Takes the fields from the controls (what "OK" stores).
    void Store(TRobotConfig &Config, TRobotSchedule &Schedule) const;
    void UpdateControls();

    // Speaker codes 4, 2, 0, 1 for the items; codes back to items.
    static int SpeakerItem(int Code);
    static int SpeakerCode(int Item);

    QSpinBox *SpinEditCount;
    QCheckBox *CheckBoxFlagReset;
    QGroupBox *RG_Channel;
    QButtonGroup *FChannel;
    QGroupBox *RG_Criterion;
    QButtonGroup *FCriterion;
    QGroupBox *RG_Speaker;
    QButtonGroup *FSpeaker;
    QGroupBox *RG_Registration;
    QButtonGroup *FRegistration;
    QCheckBox *CheckBoxWaitForBeeps;
    QSpinBox *SpinEditWaitForHangUp;
    QLabel *LabelMessageCount;
    QSpinBox *SpinEditMessageCount;
    QCheckBox *CheckBoxGetAnswer;
    QLabel *LabelTimeOut;
    QSpinBox *SpinEditTimeOut;
    QCheckBox *CheckBoxActiveTask;
    QLineEdit *MaskEditStart;
    QLineEdit *MaskEditEnd;
    QCheckBox *CheckBoxWeeks;
    QCheckBox *CheckBoxWeek[7];
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

private:
    QGroupBox *radioGroup(const QString &name, const QString &title, const QStringList &items, QButtonGroup *&group);
    void guardTime(QLineEdit *edit);
};

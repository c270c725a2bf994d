#pragma once
// "Правила" of the settings dialog: the ordered list of number rules with a
// pattern box, the action, and the buttons that add, remove and move rules.
// The list it edits is a TNumberRules; Changed fires on every edit.
#include "TNumberRules.h"
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TRulesPage : public QWidget {
    Q_OBJECT
public:
    explicit TRulesPage(QWidget *parent = nullptr);

    void SetRules(const TNumberRules &Rules);
    const TNumberRules &Rules() const { return FRules; }

    // "Добавить": the pattern box's text with the chosen action; a bad pattern
    // leaves the list as it is and shows why under the list.
    void AddClick();
    void RemoveClick();
    void MoveClick(int Delta);

    QListWidget *RulesList;
    QLineEdit *RulePatternEdit;
    QComboBox *RuleActionCombo;
    QPushButton *AddRuleBtn;
    QPushButton *RemoveRuleBtn;
    QPushButton *RuleUpBtn;
    QPushButton *RuleDownBtn;
    QLabel *RuleErrorLabel;

signals:
    void Changed();

private:
    void fill(int current);
    void updateButtons();

    TNumberRules FRules;
};

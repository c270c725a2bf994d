#include "TRulesPage.h"
#include "TConfigError.h"
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
template <typename T>
T *named(T *w, const QString &name)
{
    w->setObjectName(name);
    return w;
}

QString actionText(bool Block)
{
    return Block ? QStringLiteral("Сбрасывать") : QStringLiteral("Пропускать");
}
}

TRulesPage::TRulesPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheetRules"));
    auto *box = named(new QGroupBox(QStringLiteral(" Сброс нежелательных звонков "), this),
                      QStringLiteral("RulesGroup"));
    auto *hint = new QLabel(QStringLiteral("Правила проверяются по порядку, решает первое подходящее. "
                                           "* - любые цифры, ? - одна цифра, шаблон ? - звонок без номера. "
                                           "Абонент из адресной книги пропускается всегда, если для него "
                                           "не отмечено \"Сбрасывать звонок\"."),
                            box);
    hint->setWordWrap(true);
    RulesList = named(new QListWidget(box), QStringLiteral("RulesList"));
    RulePatternEdit = named(new QLineEdit(box), QStringLiteral("RulePatternEdit"));
    RulePatternEdit->setPlaceholderText(QStringLiteral("8800*"));
    RuleActionCombo = named(new QComboBox(box), QStringLiteral("RuleActionCombo"));
    RuleActionCombo->addItems({actionText(true), actionText(false)});
    AddRuleBtn = named(new QPushButton(QStringLiteral("Добавить"), box), QStringLiteral("AddRuleBtn"));
    RemoveRuleBtn = named(new QPushButton(QStringLiteral("Удалить"), box), QStringLiteral("RemoveRuleBtn"));
    RuleUpBtn = named(new QPushButton(QStringLiteral("Выше"), box), QStringLiteral("RuleUpBtn"));
    RuleDownBtn = named(new QPushButton(QStringLiteral("Ниже"), box), QStringLiteral("RuleDownBtn"));
    RuleErrorLabel = named(new QLabel(box), QStringLiteral("RuleErrorLabel"));
    RuleErrorLabel->setStyleSheet(QStringLiteral("color: #c01c28"));

    auto *entry = new QHBoxLayout;
    entry->addWidget(new QLabel(QStringLiteral("Шаблон:"), box));
    entry->addWidget(RulePatternEdit, 1);
    entry->addWidget(RuleActionCombo);
    entry->addWidget(AddRuleBtn);
    auto *moves = new QHBoxLayout;
    moves->addWidget(RuleUpBtn);
    moves->addWidget(RuleDownBtn);
    moves->addStretch();
    moves->addWidget(RemoveRuleBtn);
    auto *inner = new QVBoxLayout(box);
    inner->addWidget(hint);
    inner->addWidget(RulesList, 1);
    inner->addLayout(moves);
    inner->addLayout(entry);
    inner->addWidget(RuleErrorLabel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(box);

    connect(AddRuleBtn, &QPushButton::clicked, this, &TRulesPage::AddClick);
    connect(RulePatternEdit, &QLineEdit::returnPressed, this, &TRulesPage::AddClick);
    connect(RemoveRuleBtn, &QPushButton::clicked, this, &TRulesPage::RemoveClick);
    connect(RuleUpBtn, &QPushButton::clicked, this, [this] { MoveClick(-1); });
    connect(RuleDownBtn, &QPushButton::clicked, this, [this] { MoveClick(1); });
    connect(RulesList, &QListWidget::currentRowChanged, this, &TRulesPage::updateButtons);
    updateButtons();
}

void TRulesPage::SetRules(const TNumberRules &Rules)
{
    FRules = Rules;
    RuleErrorLabel->clear();
    fill(0);
}

void TRulesPage::fill(int current)
{
    RulesList->clear();
    for (int i = 0; i < FRules.Rules.size(); ++i) {
        const TNumberRule &r = FRules.Rules.at(i);
        RulesList->addItem(QStringLiteral("%1. %2  %3").arg(i + 1).arg(actionText(r.Block), r.Pattern));
    }
    if (!FRules.Rules.isEmpty())
        RulesList->setCurrentRow(qBound(0, current, int(FRules.Rules.size()) - 1));
    updateButtons();
}

void TRulesPage::updateButtons()
{
    const int row = RulesList->currentRow();
    RemoveRuleBtn->setEnabled(row >= 0);
    RuleUpBtn->setEnabled(row > 0);
    RuleDownBtn->setEnabled(row >= 0 && row + 1 < RulesList->count());
}

void TRulesPage::AddClick()
{
    try {
        FRules.Add(RulePatternEdit->text(), RuleActionCombo->currentIndex() == 0);
    } catch (const TConfigError &e) {
        RuleErrorLabel->setText(e.Message());
        return;
    }
    RuleErrorLabel->clear();
    RulePatternEdit->clear();
    fill(int(FRules.Rules.size()) - 1);
    emit Changed();
}

void TRulesPage::RemoveClick()
{
    const int row = RulesList->currentRow();
    if (row < 0 || row >= FRules.Rules.size())
        return;
    FRules.Rules.removeAt(row);
    fill(row);
    emit Changed();
}

void TRulesPage::MoveClick(int Delta)
{
    const int row = RulesList->currentRow();
    if (!FRules.Move(row, Delta))
        return;
    fill(row + Delta);
    emit Changed();
}

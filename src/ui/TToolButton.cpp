#include "TToolButton.h"

TToolButton::TToolButton(QWidget *parent, const QString &Name, const QString &Text, const QString &Hint)
    : QToolButton(parent)
{
    setObjectName(Name);
    setText(Text);
    setToolTip(Hint);
    setToolTipDuration(10000);
}

#pragma once
// A tool button with its object name, caption and a hint that stays 10 s.
#include <QToolButton>

class TToolButton : public QToolButton {
public:
    TToolButton(QWidget *parent, const QString &Name, const QString &Text, const QString &Hint);
};

#pragma once
// The office link's panel of the status bar: "Офис: подключено" or
// "Офис: нет связи, в очереди N", with the last error as its tool tip.
#include "TOfficeLink.h"
#include <QLabel>

class TOfficeStatusLabel : public QLabel {
    Q_OBJECT
public:
    TOfficeStatusLabel(TOfficeLink *Link, QWidget *parent = nullptr);
    void Refresh();

private:
    TOfficeLink *FLink;
};

#pragma once
// "Офис" of the settings dialog: the office server's connection string and
// this workstation's name. Changed fires on every edit.
#include "config/TOfficeSettings.h"
#include <QWidget>

class QLineEdit;

class TOfficePage : public QWidget {
    Q_OBJECT
public:
    explicit TOfficePage(QWidget *parent = nullptr);

    void SetSettings(const TOfficeSettings &Settings);
    TOfficeSettings Settings() const;

    QLineEdit *OfficeDatabaseEdit;
    QLineEdit *OfficeWorkstationEdit;

signals:
    void Changed();
};

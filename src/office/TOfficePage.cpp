#include "TOfficePage.h"
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSysInfo>

TOfficePage::TOfficePage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("OfficePage"));
    auto *form = new QFormLayout(this);
    OfficeDatabaseEdit = new QLineEdit(this);
    OfficeDatabaseEdit->setObjectName(QStringLiteral("OfficeDatabaseEdit"));
    OfficeDatabaseEdit->setPlaceholderText(QStringLiteral("host=сервер dbname=konvelo user=konvelo sslmode=verify-full"));
    form->addRow(QStringLiteral("Сервер офиса (строка подключения):"), OfficeDatabaseEdit);
    OfficeWorkstationEdit = new QLineEdit(this);
    OfficeWorkstationEdit->setObjectName(QStringLiteral("OfficeWorkstationEdit"));
    OfficeWorkstationEdit->setPlaceholderText(QSysInfo::machineHostName());
    form->addRow(QStringLiteral("Рабочее место:"), OfficeWorkstationEdit);
    auto *hint = new QLabel(QStringLiteral("Пустая строка подключения - без офиса. Пароль можно хранить в ~/.pgpass."), this);
    hint->setWordWrap(true);
    form->addRow(hint);
    for (QLineEdit *e : {OfficeDatabaseEdit, OfficeWorkstationEdit})
        connect(e, &QLineEdit::textEdited, this, &TOfficePage::Changed);
}

void TOfficePage::SetSettings(const TOfficeSettings &Settings)
{
    OfficeDatabaseEdit->setText(Settings.Database);
    OfficeWorkstationEdit->setText(Settings.Workstation);
}

TOfficeSettings TOfficePage::Settings() const
{
    TOfficeSettings s;
    s.Database = OfficeDatabaseEdit->text().trimmed();
    s.Workstation = OfficeWorkstationEdit->text().trimmed();
    return s;
}

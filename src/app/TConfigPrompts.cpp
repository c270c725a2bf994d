#include "TConfigPrompts.h"
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {
QString lines(const QString &text)
{
    return QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}
}

bool TConfigPrompts::Confirm(const QString &text)
{
    return QMessageBox::question(FParent, QApplication::applicationName(), lines(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

QString TConfigPrompts::ChooseFolder(const QString &title)
{
    return QFileDialog::getExistingDirectory(FParent, title);
}

void TConfigPrompts::ShowError(const QString &text)
{
    QMessageBox::critical(FParent, QApplication::applicationName(), lines(text));
}

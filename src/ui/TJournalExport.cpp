#include "TJournalExport.h"
#include "records/TCallBook.h"
#include "records/TJournalTextExport.h"
#include "records/TTableError.h"
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>

const QString TJournalExport::DialogTitle = QStringLiteral("Экспорт списка звонков");

TJournalExport::TJournalExport(TCallBook &Book, QWidget *Parent) : FBook(Book), FParent(Parent)
{
    AskFileName = [this](const QString &) {
        std::unique_ptr<QFileDialog> dialog(CreateDialog());
        return dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty() ? dialog->selectedFiles().first()
                                                                                         : QString();
    };
    ConfirmOverwrite = [this](const QString &question) {
        return QMessageBox::question(FParent, QStringLiteral("Подтверждение"), question,
                                     QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
               == QMessageBox::Ok;
    };
    ShowError = [this](const QString &text) { QMessageBox::warning(FParent, DialogTitle, text); };
}

QString TJournalExport::ProposedName(const QDate &Today) const
{
    const bool incoming = FBook.schema().TableName == QLatin1String("InCalls");
    return (incoming ? QStringLiteral("Входящие ") : QStringLiteral("Исходящие "))
           + Today.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(".txt");
}

QFileDialog *TJournalExport::CreateDialog() const
{
    auto *dialog = new QFileDialog(FParent, DialogTitle);
    dialog->setObjectName(QStringLiteral("ExportFileDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("Текстовые файлы (*.txt)"));
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    // The overwrite question is the command's own.
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(ProposedName(QDate::currentDate()));
    return dialog;
}

bool TJournalExport::Run()
{
    QString file = AskFileName ? AskFileName(ProposedName(QDate::currentDate())) : QString();
    if (file.isEmpty())
        return false;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".txt");
    if (QFileInfo::exists(file) && ConfirmOverwrite
        && !ConfirmOverwrite(QStringLiteral("Файл ") + QDir::toNativeSeparators(file)
                             + QStringLiteral(" существует. Перезаписать его?")))
        return false;

    // Written beside and put in place at the end: a failed export leaves the old file.
    QSaveFile out(file);
    QString error;
    bool ok = out.open(QIODevice::WriteOnly);
    if (!ok)
        error = out.errorString();
    int shown = -1;
    try {
        ok = ok && TJournalTextExport::Write(FBook, out, [&](qint64 done, qint64 total) {
            const int percent = total > 0 ? int(done * 100 / total) : 100;
            if (ShowProgress && percent / 5 != shown / 5) {
                shown = percent;
                ShowProgress(QStringLiteral("Экспорт: %1%").arg(percent));
            }
        }, &error);
    } catch (const TTableError &e) {
        ok = false;
        error = e.message();
    }
    ok = ok && out.commit();
    if (!ok && error.isEmpty())
        error = out.errorString();
    if (ShowProgress)
        ShowProgress(QString());
    if (!ok) {
        out.cancelWriting();
        if (ShowError)
            ShowError(QStringLiteral("Не удалось записать файл ") + QDir::toNativeSeparators(file) + QStringLiteral("\n")
                      + error);
        return false;
    }
    return true;
}

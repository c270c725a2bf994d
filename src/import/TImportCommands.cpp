#include "TImportCommands.h"
#include "TOutlookPump.h"
#include "config/TConfig.h"
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>

const QString TImportCommands::ContactsFilter =
    QStringLiteral("Контакты (*.csv *.vcf);;Текстовые файлы с разделителям (*.csv);;Визитные карточки vCard (*.vcf);;"
                   "Все файлы (*)");
const QString TImportCommands::CsvFilter = QStringLiteral("Текстовые файлы с разделителям (*.csv)");

TImportCommands::TImportCommands(TAddressBook &Book, const TConfig &Config, QWidget *Parent)
    : QObject(Parent), FBook(Book), FConfig(Config), FParent(Parent)
{
    ChooseFile = [this](const QString &filter) {
        QFileDialog dlg(FParent, QString(), QString(), filter);
        dlg.setObjectName(QStringLiteral("TmpOpenDialog"));
        dlg.setFileMode(QFileDialog::ExistingFile);
        return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().first()
                                                                                  : QString();
    };
    ShowResult = [this](const TImportResult &r) {
        QMessageBox box(QMessageBox::Information, r.Caption, r.Message, QMessageBox::Ok, FParent);
        box.setObjectName(QStringLiteral("ImportResultBox"));
        box.exec();
    };
}

void TImportCommands::ImportContactsClick()
{
    const QString file = ChooseFile(ContactsFilter);
    if (!file.isEmpty())
        ImportFile(file, false);
}

void TImportCommands::ImportCsvFileClick()
{
    const QString file = ChooseFile(CsvFilter);
    if (!file.isEmpty())
        ImportFile(file, true);
}

TImportResult TImportCommands::ImportFile(const QString &FileName, bool CsvOnly)
{
    QProgressDialog progress(QStringLiteral("Импорт контактов..."), QStringLiteral("Отмена"), 0, 1000, FParent);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    progress.setWindowTitle(QStringLiteral("Импорт контактов"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    TAddressImport import(FBook, TImportWords::From(FConfig));
    import.Progress = [&progress](qint64 done, qint64 total) {
        progress.setValue(total > 0 ? int(qMin<qint64>(1000, done * 1000 / total)) : 0);
        QApplication::processEvents();
        return !progress.wasCanceled();
    };
    const TImportResult r = CsvOnly ? import.ImportCsvFile(FileName) : import.ImportFile(FileName);
    progress.close();
    if (r.Added > 0)
        emit Imported(r.Added);
    ShowResult(r);
    return r;
}

void TImportCommands::ImportOutlookClick()
{
    TImportResult r;
    try {
        TOutlookPump pump;
        pump.OpenOutlook();
        if (!pump.Connected())
            return;
        r.Added = pump.ImportContacts(FBook, TImportWords::From(FConfig));
        pump.CloseOutlook();
        r.Ok = true;
        r.Caption = TAddressImport::SuccessCaption;
        r.Message = TAddressImport::Summary(r.Added);
    } catch (...) {
        r.Ok = false;
        r.Caption = TAddressImport::ErrorCaption;
        r.Message = TOutlookPump::ImportFailed;
    }
    if (r.Added > 0)
        emit Imported(r.Added);
    ShowResult(r);
}

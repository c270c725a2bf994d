#pragma once
// The address-import commands of the main window and the address-book page:
// the open dialogs, the import with its progress window (which can cancel
// it), and the summary or the reason in a message box.
#include "TAddressImport.h"
#include <QObject>
#include <functional>

class QWidget;
class TAddressBook;
class TConfig;

class TImportCommands : public QObject {
    Q_OBJECT
public:
    TImportCommands(TAddressBook &Book, const TConfig &Config, QWidget *Parent);

    // "Импорт контактов…": a .csv or .vcf file, told apart by its content.
    void ImportContactsClick();
    // "Им&порт из файла с разделителям Outlook Express".
    void ImportCsvFileClick();
    // "&Импорт адресов из Outlook".
    void ImportOutlookClick();

    // Imports a file with the progress window; the result is shown and returned.
    TImportResult ImportFile(const QString &FileName, bool CsvOnly);

    // The open dialog (title, filter); empty when cancelled. Tests replace it.
    std::function<QString(const QString &Filter)> ChooseFile;
    // The message box of a result; tests replace it.
    std::function<void(const TImportResult &Result)> ShowResult;

    static const QString ContactsFilter;
    static const QString CsvFilter;

signals:
    // Rows were added to the address book.
    void Imported(int Added);

private:
    TAddressBook &FBook;
    const TConfig &FConfig;
    QWidget *FParent;
};

#pragma once
// "Экспортировать журнал записей в текстовый файл": asks for the file
// ("Экспорт списка звонков"), asks before overwriting one, and writes the
// journal's rows as its grid shows them (see TJournalTextExport). The
// journal's current row stays where it was.
#include <QDate>
#include <QString>
#include <functional>

class QFileDialog;
class QWidget;
class TCallBook;

class TJournalExport {
public:
    static const QString DialogTitle;   // "Экспорт списка звонков"

    TJournalExport(TCallBook &Book, QWidget *Parent);

    // The save dialog ExportFileDialog, set up with its title, filter, default
    // extension and the proposed name; the caller owns it.
    QFileDialog *CreateDialog() const;
    // "Входящие " or "Исходящие " with the date and ".txt".
    QString ProposedName(const QDate &Today) const;

    // Runs the command: true when the file was written.
    bool Run();

    // The file the user chose (empty: cancelled); by default CreateDialog run modally.
    std::function<QString(const QString &Proposed)> AskFileName;
    // "Файл ... существует. Перезаписать его?"; by default an OK/Cancel box.
    std::function<bool(const QString &Question)> ConfirmOverwrite;
    // Progress texts while writing and the error of a failed write; by default
    // nothing and a warning box.
    std::function<void(const QString &Text)> ShowProgress;
    std::function<void(const QString &Text)> ShowError;

private:
    TCallBook &FBook;
    QWidget *FParent;
};

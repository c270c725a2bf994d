#pragma once
// Brings the numbers of outside contacts into the address book: each number
// becomes its own row named by the naming rule, a number the book already
// holds (as exact text) is skipped, and one import is one transaction, so a
// failure or a cancel leaves the book as it was.
#include "TContact.h"
#include <QString>
#include <functional>

class TAddressBook;
class TConfig;
class TSettingsStore;

// The kind words of the names and whether they are added.
struct TImportWords {
    bool AddPostfix = true;
    QString Home = QStringLiteral("Домашний");
    QString Work = QStringLiteral("Рабочий");
    QString Mobile = QStringLiteral("Мобильный");
    QString Other = QStringLiteral("Другой");

    static TImportWords From(const TConfig &Config);
    // The stored words without loading (or writing) the whole settings: a
    // value that is missing or unreadable keeps its default.
    static TImportWords Stored(const TSettingsStore &Store);
    QString Word(TNumberKind Kind) const;
    // The contact's name, " - " and the kind word; only the word without a name.
    QString Name(const QString &ContactName, TNumberKind Kind) const;
};

struct TImportResult {
    bool Ok = false;
    int Added = 0;
    QString Caption;     // "Успешно" or "Ошибка"
    QString Message;     // the summary or the reason
};

class TAddressImport {
public:
    TAddressImport(TAddressBook &Book, const TImportWords &Words);

    // Told the bytes read so far and the file's size; false cancels the import.
    std::function<bool(qint64 Done, qint64 Total)> Progress;

    // The Outlook Express export (semicolon-separated text).
    TImportResult ImportCsvFile(const QString &FileName);
    TImportResult ImportVCardFile(const QString &FileName);
    // A vCard when its first non-blank line opens one, else the CSV form.
    TImportResult ImportFile(const QString &FileName);

    // Contacts handed over by a source that calls Add for each (the Outlook
    // pump); Add returns false once the source should stop. With KeepOnError
    // the rows added before an exception of the source stay.
    int ImportContacts(const std::function<void(const std::function<bool(const TContact &)> &Add)> &Source,
                       bool KeepOnError);

    static QString Summary(int Added);
    static const QString SuccessCaption;   // "Успешно"
    static const QString ErrorCaption;     // "Ошибка"
    static const QString WrongFileName;    // "Неверно указано имя файла."
    static const QString NoData;           // "Файл не содержит данных."
    static const QString Cancelled;

private:
    enum TFormat { fmCsv, fmVCard, fmDetect };
    TImportResult importFile(const QString &FileName, TFormat Format);

    TAddressBook &FBook;
    TImportWords FWords;
};

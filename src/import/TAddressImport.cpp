#include "TAddressImport.h"
#include "TCsvContactReader.h"
#include "common/TTextLineReader.h"
#include "TVCardReader.h"
#include "config/TConfig.h"
#include "config/TSettingsStore.h"
#include "records/TAddressBook.h"
#include "records/TTableError.h"
#include <QFile>
#include <QFileInfo>

const QString TAddressImport::SuccessCaption = QStringLiteral("Успешно");
const QString TAddressImport::ErrorCaption = QStringLiteral("Ошибка");
const QString TAddressImport::WrongFileName = QStringLiteral("Неверно указано имя файла.");
const QString TAddressImport::NoData = QStringLiteral("Файл не содержит данных.");
const QString TAddressImport::Cancelled = QStringLiteral("Импорт прерван, записная книжка не изменена.");

namespace {
// Progress is reported about every this many bytes.
constexpr qint64 ProgressStep = 256 * 1024;

struct TCancelled {};
struct TTooLong {
    QString Message;
};
// The width of the address book's Phone field.
constexpr qsizetype PhoneWidth = 200;
struct TReadFailed {
    QString Message;
};
}

TImportWords TImportWords::From(const TConfig &Config)
{
    TImportWords w;
    w.AddPostfix = Config.AddOutlNamePostfix;
    w.Home = Config.OutlHomeName;
    w.Work = Config.OutlWorkName;
    w.Mobile = Config.OutlMobileName;
    w.Other = Config.OutlOtherName;
    return w;
}

TImportWords TImportWords::Stored(const TSettingsStore &Store)
{
    TImportWords w;
    const QString key = QStringLiteral("ExternalData/Outlook");
    const auto read = [&](const char *name, auto &field) {
        try {
            if (!Store.ValueExists(key, QLatin1String(name)))
                return;
            if constexpr (std::is_same_v<std::decay_t<decltype(field)>, bool>)
                field = Store.ReadBool(key, QLatin1String(name));
            else
                field = Store.ReadString(key, QLatin1String(name));
        } catch (...) {
        }
    };
    read("AddOutlNamePostfix", w.AddPostfix);
    read("OutlHomeName", w.Home);
    read("OutlWorkName", w.Work);
    read("OutlMobileName", w.Mobile);
    read("OutlOtherName", w.Other);
    return w;
}

QString TImportWords::Word(TNumberKind Kind) const
{
    switch (Kind) {
    case nkHome: return Home;
    case nkWork: return Work;
    case nkMobile: return Mobile;
    case nkOther: break;
    }
    return Other;
}

QString TImportWords::Name(const QString &ContactName, TNumberKind Kind) const
{
    if (!AddPostfix)
        return ContactName;
    if (ContactName.isEmpty())
        return Word(Kind);
    return ContactName + QStringLiteral(" - ") + Word(Kind);
}

TAddressImport::TAddressImport(TAddressBook &Book, const TImportWords &Words) : FBook(Book), FWords(Words) {}

QString TAddressImport::Summary(int Added)
{
    return Added > 0 ? QStringLiteral("Всего внесено номеров: ") + QString::number(Added)
                     : QStringLiteral("В списке контактов Outlook не найдены новые телефонные номера");
}

int TAddressImport::ImportContacts(
    const std::function<void(const std::function<bool(const TContact &)> &Add)> &Source, bool KeepOnError)
{
    TAddressBook::TBatch batch(FBook);
    int added = 0;
    const auto add = [&](const TContact &contact) {
        for (const TContactNumber &n : contact.Numbers) {
            if (n.Number.size() > PhoneWidth)
                throw TTooLong{(contact.Line > 0 ? QStringLiteral("Строка %1").arg(contact.Line)
                                                 : QStringLiteral("Контакт \u00AB%1\u00BB").arg(contact.Name.left(80)))
                               + QStringLiteral(": номер длиннее %1 знаков.").arg(PhoneWidth)};
            if (n.Number.isEmpty() || batch.HasPhone(n.Number))
                continue;
            batch.AddPerson(n.Number, FWords.Name(contact.Name, n.Kind), 0, n.Address, contact.Notes, QString(),
                            100, false);
            ++added;
        }
        return true;
    };
    try {
        Source(add);
    } catch (...) {
        if (KeepOnError)
            batch.Commit();
        throw;
    }
    batch.Commit();
    return added;
}

TImportResult TAddressImport::ImportCsvFile(const QString &FileName)
{
    return importFile(FileName, fmCsv);
}

TImportResult TAddressImport::ImportVCardFile(const QString &FileName)
{
    return importFile(FileName, fmVCard);
}

TImportResult TAddressImport::ImportFile(const QString &FileName)
{
    return importFile(FileName, fmDetect);
}

TImportResult TAddressImport::importFile(const QString &FileName, TFormat Format)
{
    TImportResult r;
    r.Caption = ErrorCaption;
    const QFileInfo info(FileName);
    if (FileName.isEmpty() || !info.exists() || info.isDir()) {
        r.Message = WrongFileName;
        return r;
    }
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        r.Message = QStringLiteral("Невозможно открыть файл ") + QLatin1Char('"') + FileName + QLatin1Char('"')
            + QStringLiteral(": ") + file.errorString();
        return r;
    }
    TTextLineReader reader(file);
    QByteArray first;
    if (!reader.ReadLine(first)) {
        r.Message = reader.Failed() ? QStringLiteral("Ошибка чтения файла: ") + file.errorString() : NoData;
        return r;
    }
    bool vcard = Format == fmVCard;
    if (Format == fmDetect) {
        // The first non-blank line decides. A blank first line is a CSV
        // header that names no column.
        QByteArray probe = first;
        while (probe.trimmed().isEmpty() && reader.ReadLine(probe)) {
        }
        vcard = TVCardReader::IsVCardStart(probe);
        if (vcard)
            first = probe;
    }
    reader.PushBack(first);

    qint64 reported = 0;
    bool cancelled = false;
    const auto progress = [&] {
        if (!Progress || reader.Position() - reported < ProgressStep)
            return true;
        reported = reader.Position();
        if (!Progress(reported, reader.Size()))
            cancelled = true;
        return !cancelled;
    };

    try {
        r.Added = ImportContacts(
            [&](const std::function<bool(const TContact &)> &add) {
                const auto each = [&](const TContact &c) { return add(c) && progress(); };
                if (vcard)
                    TVCardReader::Read(reader, each);
                else
                    TCsvContactReader::Read(reader, each);
                if (cancelled)
                    throw TCancelled();
                if (reader.Failed())
                    throw TReadFailed{QStringLiteral("Ошибка чтения файла: ") + file.errorString()};
            },
            false);
    } catch (const TCancelled &) {
        r.Message = Cancelled;
        return r;
    } catch (const TTooLong &e) {
        r.Message = e.Message + QStringLiteral(" Импорт прерван, записная книжка не изменена.");
        return r;
    } catch (const TReadFailed &e) {
        r.Message = e.Message;
        return r;
    } catch (const TTableError &e) {
        r.Message = e.message();
        return r;
    }
    if (Progress)
        Progress(reader.Size(), reader.Size());
    r.Ok = true;
    r.Caption = SuccessCaption;
    r.Message = Summary(r.Added);
    return r;
}

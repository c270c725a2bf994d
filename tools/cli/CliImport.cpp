// book import FILE: the address import without a display. Progress goes to
// standard error, the count added to standard output as JSON.
#include "CliImport.h"
#include "common/BaseFolder.h"
#include "common/JsonLine.h"
#include "config/TSettingsStore.h"
#include "import/TAddressImport.h"
#include "records/TAddressBook.h"
#include "records/TTableError.h"
#include <QDir>
#include <memory>

int cliBookImport(const CliArgs &a)
{
    if (a.words.size() != 3) {
        cliErr(QStringLiteral("usage: book import FILE"));
        return CliUsage;
    }
    const QString file = a.words.at(2);
    try {
        TAddressBook book(BaseFolder::dataPath() + QStringLiteral("/AddressBook"));
        if (!book.openMessage().isEmpty())
            cliErr(book.openMessage());
        const auto store = TSettingsStore::Open();
        TAddressImport import(book, store ? TImportWords::Stored(*store) : TImportWords());
        int shown = -1;
        import.Progress = [&shown](qint64 done, qint64 total) {
            const int percent = total > 0 ? int(qMin<qint64>(100, done * 100 / total)) : 0;
            if (percent / 10 != shown / 10) {
                shown = percent;
                cliErr(QStringLiteral("import: %1%").arg(percent));
            }
            return true;
        };
        const TImportResult r = import.ImportFile(file);
        if (!r.Ok) {
            cliErr(r.Message);
            return CliNotFound;
        }
        cliErr(r.Message);
        cliOut(JsonLine().add(QStringLiteral("added"), r.Added).add(QStringLiteral("file"),
                                                                   QDir::toNativeSeparators(file)).toString());
        return CliOk;
    } catch (const TTableError &e) {
        cliErr(e.message());
        return CliNotFound;
    }
}

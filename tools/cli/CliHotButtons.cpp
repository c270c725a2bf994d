// hotbuttons show|assign|free: the 18 quick-dial bindings of Data/HotBtns.cfg.
#include "CliCommand.h"
#include "common/BaseFolder.h"
#include "common/JsonLine.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include "records/TTableError.h"

namespace {
bool loadFile(THotButtonFile &file)
{
    switch (file.load()) {
    case THotButtonFile::lrLoaded:
        break;
    case THotButtonFile::lrCreated:
        cliErr(QStringLiteral("%1 was missing or unreadable: 18 free buttons").arg(file.path()));
        break;
    case THotButtonFile::lrRepaired:
        cliErr(QStringLiteral("%1 was repaired: missing or bad entries became -1").arg(file.path()));
        break;
    }
    if (!file.errorString().isEmpty()) {
        cliErr(file.errorString());
        return false;
    }
    return true;
}

int buttonNumber(const QString &word)
{
    bool ok = false;
    const int n = word.toInt(&ok);
    return ok && n >= 1 && n <= THotButtonFile::Count ? n : -1;
}

int hotbuttons(const CliArgs &a)
{
    const QString action = a.words.value(1);
    THotButtonFile file(BaseFolder::dataPath() + QStringLiteral("/HotBtns.cfg"));
    try {
        if (action == QLatin1String("show") && a.words.size() == 2) {
            const bool ok = loadFile(file);
            TAddressBook book(BaseFolder::dataPath() + QStringLiteral("/AddressBook"));
            for (int i = 0; i < THotButtonFile::Count; ++i) {
                const qint64 id = file.entry(i);
                JsonLine line;
                line.add(QStringLiteral("Button"), i + 1).add(QStringLiteral("Person_ID"), id);
                const QVariantList row = id >= 0 ? book.rowByKey(id) : QVariantList();
                if (row.isEmpty())
                    line.addNull(QStringLiteral("Phone")).addNull(QStringLiteral("Name"));
                else
                    line.add(QStringLiteral("Phone"), row.at(1).toString())
                        .add(QStringLiteral("Name"), row.at(2).isNull() ? QJsonValue() : QJsonValue(row.at(2).toString()));
                cliOut(line.toString());
            }
            return ok ? CliOk : CliNotFound;
        }
        if (action == QLatin1String("assign") && a.words.size() == 4) {
            const int button = buttonNumber(a.words.at(2));
            bool ok = false;
            const qint64 person = a.words.at(3).toLongLong(&ok);
            if (button < 0 || !ok || person <= 0) {
                cliErr(QStringLiteral("usage: hotbuttons assign BUTTON(1..18) PERSON_ID"));
                return CliUsage;
            }
            TAddressBook book(BaseFolder::dataPath() + QStringLiteral("/AddressBook"));
            if (!book.hasKey(person)) {
                cliErr(QStringLiteral("no subscriber with Person_ID %1").arg(person));
                return CliNotFound;
            }
            if (!loadFile(file) || !file.assign(button, person)) {
                cliErr(file.errorString());
                return CliNotFound;
            }
            return CliOk;
        }
        if (action == QLatin1String("free") && a.words.size() == 3) {
            const int button = buttonNumber(a.words.at(2));
            if (button < 0) {
                cliErr(QStringLiteral("usage: hotbuttons free BUTTON(1..18)"));
                return CliUsage;
            }
            if (!loadFile(file) || !file.free(button - 1)) {
                cliErr(file.errorString());
                return CliNotFound;
            }
            return CliOk;
        }
    } catch (const TTableError &e) {
        cliErr(e.message());
        return CliNotFound;
    }
    cliErr(QStringLiteral("usage: hotbuttons show | assign BUTTON PERSON_ID | free BUTTON"));
    return CliUsage;
}

const CliRegistration hotbuttonsCommand({QStringLiteral("hotbuttons"),
                                         QStringLiteral("hotbuttons show | assign BUTTON PERSON_ID | free BUTTON"),
                                         {}, {}, hotbuttons});
}

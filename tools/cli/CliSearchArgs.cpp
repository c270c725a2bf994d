#include "CliSearchArgs.h"
#include "common/BaseFolder.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QDateTime>

std::unique_ptr<TRecordTable> cliOpenTable(const QString &Which, bool Book)
{
    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    std::unique_ptr<TRecordTable> t;
    if (Which == QLatin1String("in"))
        t = std::make_unique<TIncomingCallBook>(data + QStringLiteral("InCalls"));
    else if (Which == QLatin1String("out"))
        t = std::make_unique<TOutgoingCallBook>(data + QStringLiteral("OutCalls"));
    else if (Book && Which == QLatin1String("book"))
        t = std::make_unique<TAddressBook>(data + QStringLiteral("AddressBook"));
    else {
        cliErr(QStringLiteral("expected in, out%1, not: ").arg(Book ? QStringLiteral(" or book") : QString()) + Which);
        return nullptr;
    }
    if (!t->openMessage().isEmpty())
        cliErr(t->openMessage().replace(QStringLiteral("\n\r"), QStringLiteral("\n")));
    return t;
}

namespace {
bool parseMoment(const QString &Text, bool End, TDateTime &Out)
{
    const QString t = Text.trimmed();
    for (const char *f : {"dd.MM.yyyy H:mm:ss", "yyyy-MM-dd H:mm:ss", "yyyy-MM-ddTH:mm:ss", "dd.MM.yyyy H:mm",
                          "yyyy-MM-dd H:mm"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(f));
        if (dt.isValid()) {
            Out = TDateTime::fromQDateTime(dt);
            return true;
        }
    }
    for (const char *f : {"dd.MM.yyyy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(t, QString::fromLatin1(f));
        if (d.isValid()) {
            Out = End ? EndOfDay(d) : TDateTime::fromDate(d);
            return true;
        }
    }
    return false;
}
}

bool cliPeriod(const CliArgs &Args, TPeriod &Period)
{
    Period = TPeriod();
    const bool from = Args.options.contains(QStringLiteral("from"));
    const bool to = Args.options.contains(QStringLiteral("to"));
    if (!from && !to)
        return true;
    if (from && !parseMoment(Args.option(QStringLiteral("from")), false, Period.Start)) {
        cliErr(QStringLiteral("--from needs a date, dd.MM.yyyy or yyyy-MM-dd: ") + Args.option(QStringLiteral("from")));
        return false;
    }
    if (to && !parseMoment(Args.option(QStringLiteral("to")), true, Period.End)) {
        cliErr(QStringLiteral("--to needs a date, dd.MM.yyyy or yyyy-MM-dd: ") + Args.option(QStringLiteral("to")));
        return false;
    }
    if (Period.End < Period.Start) {
        cliErr(QStringLiteral("--from is after --to"));
        return false;
    }
    Period.Kind = pkInterval;
    return true;
}

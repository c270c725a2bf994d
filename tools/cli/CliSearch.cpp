// search in|out|book: the search window's criteria from the command line; the
// matching rows as JSON lines in the table's stored order, written as they are read.
#include "CliCommand.h"
#include "CliSearchArgs.h"
#include "CliStream.h"
#include "common/JsonLine.h"
#include "common/SignalQuit.h"
#include <QCoreApplication>
#include "records/TAddressBook.h"
#include "records/TFilterExpression.h"
#include "records/TRecordTable.h"
#include "records/TTableError.h"
#include "search/TCallSearch.h"
#include "search/TSearchHits.h"
#include <QTime>

namespace {
bool lengthSeconds(const QString &Text, int &Seconds)
{
    for (const char *f : {"H:mm:ss", "m:ss"}) {
        const QTime t = QTime::fromString(Text.trimmed(), QString::fromLatin1(f));
        if (t.isValid()) {
            Seconds = t.msecsSinceStartOfDay() / 1000;
            return true;
        }
    }
    return false;
}

int search(const CliArgs &a)
{
    if (a.words.size() != 2) {
        cliErr(QStringLiteral("usage: search in|out|book [criteria]"));
        return CliUsage;
    }
    const QString which = a.words.at(1);
    std::unique_ptr<TRecordTable> table = cliOpenTable(which, true);
    if (!table)
        return CliUsage;
    std::unique_ptr<TSearchHits> hits;
    qint64 found = 0;
    try {
        if (which == QLatin1String("book")) {
            TAddressCriteria c{a.option(QStringLiteral("phone")), a.option(QStringLiteral("name")),
                               a.option(QStringLiteral("address")), a.option(QStringLiteral("notes"))};
            hits = std::make_unique<TSearchHits>(*static_cast<TAddressBook *>(table.get()), c);
        } else {
            TCallCriteria c;
            c.Kind = which == QLatin1String("in") ? ckIncoming : ckOutgoing;
            c.NumberOn = a.options.contains(QStringLiteral("number"));
            c.Number = a.option(QStringLiteral("number")).toUpper();
            if (a.options.contains(QStringLiteral("category"))) {
                bool ok = false;
                c.Category = a.option(QStringLiteral("category")).toInt(&ok);
                if (!ok || c.Category < 0 || c.Category > 9) {
                    cliErr(QStringLiteral("--category needs a digit 0..9"));
                    return CliUsage;
                }
                c.CategoryOn = true;
            }
            for (const QString &name : {QStringLiteral("longer"), QStringLiteral("shorter")}) {
                if (!a.options.contains(name))
                    continue;
                if (c.LengthOn || !lengthSeconds(a.option(name), c.LengthSeconds)) {
                    cliErr(QStringLiteral("one of --longer or --shorter, with a length H:mm:ss"));
                    return CliUsage;
                }
                c.LengthOn = true;
                c.LengthLess = name == QLatin1String("shorter");
            }
            c.Record = a.flags.contains(QStringLiteral("record"));
            c.Message = a.flags.contains(QStringLiteral("message"));
            c.AutoAnswer = a.flags.contains(QStringLiteral("auto-answer"));
            if (a.options.contains(QStringLiteral("place"))) {
                const QString place = a.option(QStringLiteral("place"));
                if (place != QLatin1String("vrx") && place != QLatin1String("parallel")) {
                    cliErr(QStringLiteral("--place vrx or --place parallel"));
                    return CliUsage;
                }
                c.PlaceOn = true;
                c.PlaceParallel = place == QLatin1String("parallel");
            }
            if (!cliPeriod(a, c.Period))
                return CliUsage;
            cliErr(QStringLiteral("searching %1 rows").arg(table->totalCount()));
            hits = std::make_unique<TSearchHits>(*table, c);
        }
        CliStream out;
        while (hits->next()) {
            QByteArray &line = out.line();
            line += "{\"id\":";
            CliStream::appendNumber(line, hits->id());
            line += ",\"text\":";
            const QByteArray text = hits->textUtf8();
            CliStream::appendQuoted(line, text.constData(), text.size());
            line += '}';
            out.endLine();
            // SIGTERM or SIGINT ends a long listing after the rows written so far.
            if ((++found & 0xFFF) == 0 && (QCoreApplication::processEvents(), SignalQuit::received()))
                break;
        }
        if (!out.flush()) {
            cliErr(QStringLiteral("cannot write the output"));
            return CliNotFound;
        }
    } catch (const TFilterError &e) {
        cliErr(e.message());
        return CliUsage;
    } catch (const TTableError &e) {
        cliErr(e.message());
        return CliNotFound;
    }
    cliErr(QStringLiteral("found %1").arg(found));
    return CliOk;
}

const CliRegistration searchCommand(
    {QStringLiteral("search"),
     QStringLiteral("search in|out [--number N[*]] [--category D] [--longer|--shorter H:mm:ss] [--record] [--message] "
                    "[--auto-answer] [--place vrx|parallel] [--from DATE] [--to DATE] | "
                    "search book [--phone N] [--name WORDS] [--address WORDS] [--notes WORDS]"),
     {QStringLiteral("number"), QStringLiteral("category"), QStringLiteral("longer"), QStringLiteral("shorter"),
      QStringLiteral("place"), QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("phone"),
      QStringLiteral("name"), QStringLiteral("address"), QStringLiteral("notes")},
     {QStringLiteral("record"), QStringLiteral("message"), QStringLiteral("auto-answer")},
     search});
}

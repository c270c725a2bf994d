// stats in|out: the statistics groupings of a journal as JSON lines, one per
// key (largest count first) and one total per grouping.
#include "CliCommand.h"
#include "CliSearchArgs.h"
#include "CliStream.h"
#include "common/JsonLine.h"
#include "records/TRecordTable.h"
#include "records/TTableError.h"
#include "search/TCallStatistics.h"
#include "search/TStatsList.h"
#include <cmath>

namespace {
int stats(const CliArgs &a)
{
    if (a.words.size() != 2) {
        cliErr(QStringLiteral("usage: stats in|out [--from DATE] [--to DATE] [--group phone|field1..field7]"));
        return CliUsage;
    }
    QStringList groups{QStringLiteral("phone")};
    for (int i = 1; i <= 7; ++i)
        groups << QStringLiteral("field%1").arg(i);
    QStringList wanted = groups;
    if (a.options.contains(QStringLiteral("group"))) {
        const QString g = a.option(QStringLiteral("group")).toLower();
        if (!groups.contains(g)) {
            cliErr(QStringLiteral("--group phone or field1..field7, not: ") + g);
            return CliUsage;
        }
        wanted = {g};
    }
    TPeriod period;
    if (!cliPeriod(a, period))
        return CliUsage;
    std::unique_ptr<TRecordTable> table = cliOpenTable(a.words.at(1), false);
    if (!table)
        return CliUsage;
    try {
        // Every grouping in one pass over the rows, as the statistics window makes them.
        QStringList fields;
        for (const QString &g : wanted)
            fields << (g == QLatin1String("phone") ? QStringLiteral("Phone") : QStringLiteral("Field_") + g.mid(5));
        cliErr(QStringLiteral("grouping by %1").arg(fields.join(QStringLiteral(", "))));
        const QList<TStatResults> results = TCallStatistics::CollectAll(*table, fields, period);
        CliStream out;
        const auto quoted = [](QByteArray &line, const QString &text) {
            const QByteArray utf8 = text.toUtf8();
            CliStream::appendQuoted(line, utf8.constData(), utf8.size());
        };
        for (qsizetype i = 0; i < wanted.size(); ++i) {
            const QString &g = wanted.at(i);
            TStatsList list;
            list.Fill(results.at(i), fields.at(i), g == QLatin1String("phone"));
            for (const TStatRow &r : list.Rows()) {
                QByteArray &line = out.line();
                line += "{\"group\":";
                quoted(line, g);
                line += ",\"key\":";
                quoted(line, r.Key);
                line += ",\"count\":";
                CliStream::appendNumber(line, r.Count);
                line += ",\"seconds\":";
                CliStream::appendNumber(line, qint64(std::llround(r.Length * 86400.0)));
                line += '}';
                out.endLine();
            }
            out.line() += JsonLine()
                              .add(QStringLiteral("group"), g)
                              .add(QStringLiteral("total_count"), list.TotalCount())
                              .add(QStringLiteral("total_seconds"), qint64(std::llround(list.TotalLength() * 86400.0)))
                              .add(QStringLiteral("keys"), qint64(list.Rows().size()))
                              .toString()
                              .toUtf8();
            out.endLine();
        }
    } catch (const TTableError &e) {
        cliErr(e.message());
        return CliNotFound;
    }
    return CliOk;
}

const CliRegistration statsCommand({QStringLiteral("stats"),
                                    QStringLiteral("stats in|out [--from DATE] [--to DATE] [--group phone|field1..field7]"),
                                    {QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("group")},
                                    {},
                                    stats});
}

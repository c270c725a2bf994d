// The listing subcommands write what they wrote before they streamed: the
// output for a fixture journal is compared byte for byte with the output kept
// beside this file, in two time zones.
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
const QString Listing = QStringLiteral(KONVELO_SOURCE_DIR "/tests/search/listing/");

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void load(TRecordTable &table, const QString &script)
{
    const QByteArray sql = readFile(Listing + script);
    ASSERT_FALSE(sql.isEmpty()) << script.toStdString();
    char *error = nullptr;
    ASSERT_EQ(sqlite3_exec(table.connection(), sql.constData(), nullptr, nullptr, &error), SQLITE_OK) << error;
}

QByteArray run(const QString &home, const QStringList &args, const char *zone)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QString::fromLatin1(zone));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli"), QStringList{"--home", home} + args);
    p.waitForFinished(120000);
    EXPECT_EQ(p.exitCode(), 0) << args.join(' ').toStdString();
    return p.readAllStandardOutput();
}
}

TEST(CliListing, StreamedListingsMatchTheEarlierOutput)
{
    QTemporaryDir home;
    {
        TIncomingCallBook in(home.filePath("Data/InCalls"));
        TOutgoingCallBook out(home.filePath("Data/OutCalls"));
        TAddressBook book(home.filePath("Data/AddressBook"));
        load(in, QStringLiteral("InCalls.sql"));
        load(out, QStringLiteral("OutCalls.sql"));
        load(book, QStringLiteral("AddressBook.sql"));
    }
    const struct {
        const char *Expected;
        QStringList Args;
    } cases[] = {
        {"list-in", {"journal", "list", "in"}},
        {"list-out", {"journal", "list", "out"}},
        {"list-book", {"journal", "list", "book"}},
        {"list-in-phone", {"journal", "list", "in", "--sort", "Phone", "--limit", "300"}},
        {"list-in-filter", {"journal", "list", "in", "--filter", "Category = 3 and Phone = '4950*'"}},
        {"search-in", {"search", "in"}},
        {"search-in-prefix", {"search", "in", "--number", "495000*", "--longer", "0:10:00"}},
        {"search-out-place", {"search", "out", "--place", "vrx", "--from", "2025-10-10"}},
        {"search-book", {"search", "book", "--name", "иван"}},
        {"stats-in", {"stats", "in"}},
        {"stats-out", {"stats", "out", "--from", "2025-10-01", "--to", "2025-10-04"}},
        {"export-text", {"journal", "export", "out", "--format", "text"}},
    };
    // The fixture's times include both summer-time change days of Europe.
    for (const char *zone : {"UTC", "Europe/Berlin"}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(zone) + " " + c.Expected);
            const QByteArray expected = readFile(Listing + QString::fromLatin1(c.Expected) + QStringLiteral(".out"));
            ASSERT_FALSE(expected.isEmpty());
            EXPECT_EQ(run(home.path(), c.Args, zone), expected);
        }
    }
    // The JSON export writes the same lines as the list, into a file too.
    const QString file = home.filePath("in.jsonl");
    run(home.path(), {"journal", "export", "in", "--format", "json", "--output", file}, "UTC");
    EXPECT_EQ(readFile(file), readFile(Listing + QStringLiteral("list-in.out")));
}

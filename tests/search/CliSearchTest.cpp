#include "records/TIncomingCallBook.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct CliRun {
    int status = -1;
    QList<QJsonObject> lines;
};

CliRun cli(const QString &home, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli"), QStringList{"--home", home} + args);
    p.waitForFinished(60000);
    CliRun r;
    r.status = p.exitCode();
    for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            r.lines << QJsonDocument::fromJson(line).object();
    return r;
}

void addIn(TIncomingCallBook &in, const QString &phone, const QDate &day, int seconds, const QString &field1)
{
    TInCall c;
    c.Phone = phone;
    c.Time = TDateTime::fromDate(day) + 0.5;
    c.Length = TDateTime(seconds / 86400.0);
    c.Field_1 = field1;
    in.AddCall(c);
}
}

TEST(CliSearch, SearchAndStatsAsJsonLines)
{
    QTemporaryDir home;
    {
        TIncomingCallBook in(home.filePath("Data/InCalls"));
        addIn(in, "1' OR '1'='1", QDate(2008, 5, 1), 60, "Иванов");
        addIn(in, "555", QDate(2008, 5, 2), 30, "ИВАНОВ");
        addIn(in, "555", QDate(2008, 6, 2), 30, "");
    }
    CliRun r = cli(home.path(), {"search", "in", "--number", "1' OR '1'='1"});
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_EQ(r.lines[0]["text"].toString(), QStringLiteral("1' OR '1'='1 - 01.05.2008 12:00:00"));

    r = cli(home.path(), {"search", "in", "--from", "2008-05-02", "--to", "02.06.2008"});
    EXPECT_EQ(r.lines.size(), 2);

    r = cli(home.path(), {"stats", "in", "--group", "field1", "--to", "31.05.2008"});
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_EQ(r.lines[0]["key"].toString(), QStringLiteral("Иванов"));
    EXPECT_EQ(r.lines[0]["count"].toInt(), 2);
    EXPECT_EQ(r.lines[0]["seconds"].toInt(), 90);
    EXPECT_EQ(r.lines[1]["total_count"].toInt(), 2);

    EXPECT_EQ(cli(home.path(), {"stats", "in", "--group", "field9"}).status, 2);
    EXPECT_EQ(cli(home.path(), {"search", "in", "--from", "2008-05-02", "--to", "2008-05-01"}).status, 2);
}

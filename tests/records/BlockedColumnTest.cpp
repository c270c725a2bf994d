// The incoming journal's Blocked column: files written before it get it when
// they are opened, with every row kept, and the week's hung-up calls are counted.
#include "records/TCallBacklog.h"
#include "records/TIncomingCallBook.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// An InCalls file as the program wrote it before the column existed.
void writeOldJournal(const QString &file, int rows)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    const char *schema =
        "PRAGMA journal_mode=WAL;"
        "CREATE TABLE \"InCalls\" (\"Call_ID\" INTEGER PRIMARY KEY AUTOINCREMENT, \"Phone\" TEXT, \"Category\" INTEGER,"
        " \"Time\" REAL, \"Length\" REAL, \"AutoAnswer\" INTEGER, \"FileName\" TEXT, \"MessageFileName\" TEXT,"
        " \"Field_1\" TEXT, \"Field_2\" TEXT, \"Field_3\" TEXT, \"Field_4\" TEXT, \"Field_5\" TEXT, \"Field_6\" TEXT,"
        " \"Field_7\" TEXT, \"Field_8\" REAL);"
        "CREATE INDEX \"InCalls_Time\" ON \"InCalls\" (\"Time\");";
    ASSERT_EQ(sqlite3_exec(db, schema, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < rows; ++i) {
        const QByteArray sql = QStringLiteral("INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer, FileName, "
                                              "Field_2) VALUES ('555%1', 1, %2, 0.001, 0, '/r/In_%1.wav', 'note %1')")
                                   .arg(i).arg(46000 + i * 0.01).toUtf8();
        ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

TInCall call(const QString &phone, const QDateTime &time, bool blocked)
{
    TInCall c;
    c.Phone = phone;
    c.Time = TDateTime::fromQDateTime(time);
    c.Blocked = blocked;
    return c;
}

} // namespace

TEST(BlockedColumn, OldJournalIsUpgradedOnOpenWithEveryRowKept)
{
    QTemporaryDir tmp;
    const QString base = tmp.filePath(QStringLiteral("Data/InCalls"));
    writeOldJournal(base + QStringLiteral(".cds"), 500);
    qint64 added = 0;
    {
        TIncomingCallBook in(base);
        EXPECT_TRUE(in.openMessage().isEmpty()) << in.openMessage().toStdString();
        EXPECT_TRUE(in.backupFileName().isEmpty());
        ASSERT_EQ(in.totalCount(), 500);
        const QVariantList first = in.rowByKey(1);
        const TTableSchema &s = in.schema();
        EXPECT_EQ(first.at(s.fieldIndex(QStringLiteral("Phone"))).toString(), QStringLiteral("5550"));
        EXPECT_EQ(first.at(s.fieldIndex(QStringLiteral("Field_2"))).toString(), QStringLiteral("note 0"));
        EXPECT_EQ(first.at(s.fieldIndex(QStringLiteral("Blocked"))).toInt(), 0);
        // New rows go on after the old keys, marked or not.
        added = in.AddCall(call(QStringLiteral("88001234567"), QDateTime::currentDateTime(), true));
        EXPECT_EQ(added, 501);
    }
    // Opened again: no second upgrade, nothing lost, the mark kept.
    TIncomingCallBook in(base);
    EXPECT_TRUE(in.openMessage().isEmpty());
    EXPECT_EQ(in.totalCount(), 501);
    EXPECT_EQ(in.rowByKey(added).at(in.schema().fieldIndex(QStringLiteral("Blocked"))).toInt(), 1);
    EXPECT_TRUE(QDir(tmp.filePath(QStringLiteral("Data"))).entryList({QStringLiteral("*.bad-*")}).isEmpty());

    // A file with columns of its own that are not the journal's is still refused and kept aside.
    const QString strange = tmp.filePath(QStringLiteral("Other/InCalls"));
    QDir().mkpath(tmp.filePath(QStringLiteral("Other")));
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open((strange + QStringLiteral(".cds")).toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE InCalls (Call_ID INTEGER PRIMARY KEY, Phone TEXT, Colour TEXT)", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
    TIncomingCallBook other(strange);
    EXPECT_FALSE(other.backupFileName().isEmpty());
    EXPECT_EQ(other.totalCount(), 0);
}

TEST(BlockedColumn, WeeksHungUpCallsAreCountedAndOldBacklogRowsStillGoIn)
{
    QTemporaryDir tmp;
    const QString base = tmp.filePath(QStringLiteral("Data/InCalls"));
    TIncomingCallBook in(base);
    const QDateTime monday(QDate(2026, 12, 7), QTime(0, 0));
    in.AddCall(call(QStringLiteral("1"), monday.addSecs(-1), true));    // last week
    in.AddCall(call(QStringLiteral("2"), monday, true));
    in.AddCall(call(QStringLiteral("3"), monday.addDays(2), false));
    in.AddCall(call(QStringLiteral("4"), monday.addDays(3), true));
    EXPECT_EQ(in.BlockedSince(TDateTime::fromQDateTime(monday)), 2);

    // A row kept by an earlier version (one value fewer) goes in unmarked.
    {
        QFile f(base + QStringLiteral(".cds.pending"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"table\":\"InCalls\",\"rows\":[[\"555\",1,46000.5,0.001,0,null,null,null,null,null,null,null,null,"
                "null,null]]}");
    }
    TCallBacklog backlog(in);
    EXPECT_TRUE(backlog.LoadMessage().isEmpty()) << backlog.LoadMessage().toStdString();
    EXPECT_EQ(backlog.Flush(), 1);
    EXPECT_EQ(in.totalCount(), 5);
    EXPECT_EQ(in.BlockedSince(TDateTime(0.0)), 3);
}

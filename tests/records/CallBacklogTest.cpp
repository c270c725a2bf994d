// Rows a journal refuses wait in TCallBacklog and its file; whatever that file
// holds, opening it never loses the journal or crashes.
#include "records/TCallBacklog.h"
#include "records/TOutgoingCallBook.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

TOutCall call(const QString &phone, double time)
{
    TOutCall c;
    c.Phone = phone;
    c.Time = TDateTime(time);
    c.Length = TDateTime(65 / 86400.0);
    c.Attributes = 1;
    c.Field_3 = QStringLiteral("заметка");
    return c;
}

class CallBacklogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }
    QString base() const { return FDir.filePath(QStringLiteral("Data/OutCalls")); }
    void writePending(const QByteArray &text)
    {
        QDir().mkpath(FDir.filePath(QStringLiteral("Data")));
        QFile f(base() + QStringLiteral(".cds.pending"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QTemporaryDir FDir;
};

TEST_F(CallBacklogTest, LockedJournalKeepsTheRowsInTheirFileAndOrder)
{
    TOutgoingCallBook book(base());
    // Another program holds the file locked for writing.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(book.fileName().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(book.connection(), 50);
    {
        TCallBacklog backlog(book);
        QString error;
        EXPECT_EQ(backlog.Add(TOutgoingCallBook::values(call("111", 46000.25)), &error), 0);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(backlog.Add(TOutgoingCallBook::values(call("222", 46000.5))), 0);
        EXPECT_EQ(backlog.Count(), 2);
        EXPECT_TRUE(QFile::exists(backlog.FileName()));
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    // A later run takes the rows over and writes them exactly as they were.
    TCallBacklog next(book);
    EXPECT_TRUE(next.LoadMessage().isEmpty());
    ASSERT_EQ(next.Count(), 2);
    EXPECT_EQ(next.Flush(), 2);
    EXPECT_FALSE(QFile::exists(next.FileName()));
    ASSERT_EQ(book.recordCount(), 2);
    book.first();
    EXPECT_EQ(book.fieldValue(QStringLiteral("Phone")).toString(), QStringLiteral("111"));
    EXPECT_DOUBLE_EQ(book.fieldValue(QStringLiteral("Time")).toDouble(), 46000.25);
    EXPECT_EQ(book.fieldValue(QStringLiteral("Attributes")).toInt(), 1);
    EXPECT_EQ(book.fieldValue(QStringLiteral("Field_3")).toString(), QStringLiteral("заметка"));
    EXPECT_TRUE(book.fieldValue(QStringLiteral("FileName")).isNull());
    book.next();
    EXPECT_EQ(book.fieldValue(QStringLiteral("Phone")).toString(), QStringLiteral("222"));
    // Written at once when the journal takes it.
    EXPECT_GT(next.Add(TOutgoingCallBook::values(call("333", 46001))), 0);
}

TEST_F(CallBacklogTest, BrokenFileIsKeptAsideAndItsGoodRowsGoIn)
{
    writePending("{\"table\":\"OutCalls\",\"rows\":[[\"555\",46000.5,0.001,1,null,null,null,null,null,null,null,null,null],"
                 "[1,2],\"x\",[{\"a\":1},1,1,1,1,1,1,1,1,1,1,1,1]]}");
    TOutgoingCallBook book(base());
    TCallBacklog backlog(book);
    EXPECT_FALSE(backlog.LoadMessage().isEmpty());
    EXPECT_EQ(backlog.Count(), 1);
    EXPECT_EQ(backlog.Flush(), 1);
    EXPECT_EQ(book.recordCount(), 1);
    const QStringList kept = QDir(FDir.filePath(QStringLiteral("Data")))
                                 .entryList({QStringLiteral("OutCalls.cds.pending.bad-*")});
    EXPECT_EQ(kept.size(), 1);

    for (const QByteArray &text : {QByteArray("not json at all"), QByteArray("{\"table\":\"InCalls\",\"rows\":[]}"),
                                   QByteArray(""), QByteArray("[]"), QByteArray("\xff\xfe\x00")}) {
        writePending(text);
        TCallBacklog other(book);
        EXPECT_EQ(other.Count(), 0) << text.constData();
        EXPECT_EQ(other.Flush(), 0);
    }
    EXPECT_EQ(book.recordCount(), 1);
}

} // namespace

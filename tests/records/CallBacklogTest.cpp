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

namespace {

// A backlog file as this program writes it: one row a line under its key.
QByteArray pendingLines(int count, int from = 0)
{
    QByteArray text;
    for (int i = from; i < from + count; ++i)
        text += QStringLiteral("{\"key\":\"k%1\",\"row\":[\"%2\",%3,0.001,1,null,null,null,null,null,null,null,null,"
                               "null],\"table\":\"OutCalls\"}\n")
                    .arg(i)
                    .arg(5550000 + i)
                    .arg(46000 + i / 1000.0, 0, 'f', 6)
                    .toUtf8();
    return text;
}

QStringList phones(TOutgoingCallBook &book)
{
    QStringList r;
    for (book.first(); !book.eof(); book.next())
        r << book.fieldValue(QStringLiteral("Phone")).toString();
    std::sort(r.begin(), r.end());
    return r;
}

} // namespace

TEST_F(CallBacklogTest, DamagedFileKeepsEveryReadableRowAndSaysWhereTheDamagedOneIs)
{
    TOutgoingCallBook book(base());
    // A torn last line: only that row is gone.
    QByteArray text = pendingLines(3);
    text.chop(40);
    writePending(text);
    {
        TCallBacklog backlog(book);
        EXPECT_EQ(backlog.Count(), 2);
        EXPECT_EQ(backlog.Recovered(), 2);
        ASSERT_FALSE(backlog.DamagedCopy().isEmpty());
        QFile copy(backlog.DamagedCopy());
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), text);
        EXPECT_TRUE(backlog.LoadMessage().contains(QStringLiteral("Восстановлено звонков: 2")))
            << backlog.LoadMessage().toStdString();
        EXPECT_TRUE(backlog.LoadMessage().contains(QDir::toNativeSeparators(backlog.DamagedCopy())));
    }
    // The file was rewritten with the rows kept: the next run finds it whole.
    TCallBacklog again(book);
    EXPECT_TRUE(again.LoadMessage().isEmpty()) << again.LoadMessage().toStdString();
    EXPECT_EQ(again.Flush(), 2);
    EXPECT_EQ(phones(book), QStringList({"5550000", "5550001"}));

    // Past any size a reader would take whole (more than 16 MB, a 17 MB line in
    // the middle, CR LF line ends): the rows around the long line still go in.
    QByteArray big = pendingLines(2, 10);
    big.replace("\n", "\r\n");
    big += "{\"key\":\"long\",\"row\":[\"" + QByteArray(17 << 20, '9') + "\"]}\n";
    big += pendingLines(2, 12);
    writePending(big);
    TCallBacklog large(book);
    EXPECT_EQ(large.Count(), 4);
    EXPECT_FALSE(large.DamagedCopy().isEmpty());
    EXPECT_EQ(large.Flush(), 4);
    EXPECT_EQ(book.recordCount(), 6);

    // A whole-file backlog of an earlier version, torn: the rows before the tear.
    writePending("{\"rows\":[[\"777\",46000.5,0.001,1,null,null,null,null,null,null,null,null,null],"
                 "[\"778\",46000.6,0.001,1,null,null,null,null,null,null,null,null,null],[\"77");
    TCallBacklog old(book);
    EXPECT_EQ(old.Count(), 2);
    EXPECT_TRUE(old.LoadMessage().contains(QStringLiteral("Восстановлено звонков: 2")));
}

TEST_F(CallBacklogTest, RowsOfferedAgainAfterACrashAreWrittenOnce)
{
    TOutgoingCallBook book(base());
    // The run died after the journal took row k1, before the file lost it.
    const QVariantList k1 = TOutgoingCallBook::values(call("5550001", 46000.001));
    ASSERT_EQ(book.AddKeyedValues({{QStringLiteral("k1"), k1}}).size(), 1);
    EXPECT_EQ(book.AddKeyedValues({{QStringLiteral("k1"), k1}}), QList<qint64>({0}));
    writePending(pendingLines(3));
    TCallBacklog replay(book);
    EXPECT_EQ(replay.Count(), 3);
    EXPECT_EQ(replay.Flush(), 2);
    EXPECT_EQ(replay.Count(), 0);
    EXPECT_FALSE(QFile::exists(replay.FileName()));
    EXPECT_EQ(phones(book), QStringList({"5550000", "5550001", "5550002"}));
}

TEST_F(CallBacklogTest, FileThatCannotBeWrittenIsToldAndTriedAgain)
{
    TOutgoingCallBook book(base());
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(book.fileName().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(book.connection(), 50);
    // A folder where the file would go: no file can be written there.
    const QString file = base() + QStringLiteral(".cds.pending");
    ASSERT_TRUE(QDir().mkpath(file));
    TCallBacklog backlog(book);
    QString key;
    EXPECT_EQ(backlog.Add(TOutgoingCallBook::values(call("111", 46000.25)), nullptr, &key), 0);
    EXPECT_FALSE(backlog.Saved());
    EXPECT_FALSE(backlog.SaveError().isEmpty());
    // Notes for the waiting row stay with it.
    EXPECT_TRUE(backlog.SetFields(key, QString(), {{2, QStringLiteral("перезвонить")}}, TDateTime(46010.0)));
    EXPECT_FALSE(backlog.SetFields(QStringLiteral("no such key"), QString(), {{2, QStringLiteral("x")}}, {}));

    // The next try writes the file once it can.
    ASSERT_TRUE(QDir().rmdir(file));
    EXPECT_EQ(backlog.Flush(), 0);
    EXPECT_TRUE(backlog.Saved());
    EXPECT_TRUE(QFile::exists(file));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_EQ(backlog.Flush(), 1);
    EXPECT_GT(backlog.WrittenAs(key), 0);
    book.first();
    EXPECT_EQ(book.fieldValue(QStringLiteral("Field_2")).toString(), QStringLiteral("перезвонить"));
    EXPECT_DOUBLE_EQ(book.fieldValue(QStringLiteral("Field_8")).toDouble(), 46010.0);
}

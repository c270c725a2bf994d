#include "records/THotButtonFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray lines(std::initializer_list<const char *> values)
{
    QByteArray text;
    for (const char *v : values)
        text += QByteArray(v) + "\r\n";
    return text;
}

QList<qint64> withBound(std::initializer_list<std::pair<int, qint64>> bound)
{
    QList<qint64> e(THotButtonFile::Count, -1);
    for (auto [index, id] : bound)
        e[index] = id;
    return e;
}

const QByteArray AllUnbound = QByteArray("-1\r\n").repeated(18);

class HotButtonFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(FDir.path()).mkpath(QStringLiteral("Data"))); }

    QTemporaryDir FDir;
    QString path() const { return FDir.filePath(QStringLiteral("Data/HotBtns.cfg")); }
};

TEST_F(HotButtonFileTest, MissingFileGivesEighteenUnboundEntriesAndANewFile)
{
    ASSERT_TRUE(QDir(FDir.filePath(QStringLiteral("Data"))).removeRecursively());
    THotButtonFile file(path());
    EXPECT_EQ(file.load(), THotButtonFile::lrCreated);
    EXPECT_EQ(file.entries(), QList<qint64>(18, -1));
    EXPECT_EQ(readAll(path()), AllUnbound);
    EXPECT_EQ(file.firstFreeHotButton(), 1);
    EXPECT_EQ(THotButtonFile(path()).load(), THotButtonFile::lrLoaded);
}

TEST_F(HotButtonFileTest, BindingsAreWrittenAtOnceAndSurviveARestart)
{
    THotButtonFile file(path());
    file.load();
    EXPECT_TRUE(file.assign(1, 12));
    EXPECT_TRUE(file.assign(3, 7));
    EXPECT_EQ(readAll(path()), lines({"12", "-1", "7"}) + QByteArray("-1\r\n").repeated(15));

    THotButtonFile again(path());
    EXPECT_EQ(again.load(), THotButtonFile::lrLoaded);
    EXPECT_EQ(again.entries(), withBound({{0, 12}, {2, 7}}));
    EXPECT_EQ(again.hotButtonOf(7), 2);
    EXPECT_EQ(again.hotButtonOf(8), -1);
    EXPECT_EQ(again.hotButtonOf(-1), -1);   // an unbound entry is no subscriber's
    EXPECT_TRUE(again.hotButtonUsed(3));
    EXPECT_FALSE(again.hotButtonUsed(2));
    EXPECT_FALSE(again.hotButtonUsed(0));
    EXPECT_FALSE(again.hotButtonUsed(19));
    EXPECT_EQ(again.firstFreeHotButton(), 2);

    // Out-of-range numbers change nothing.
    EXPECT_FALSE(again.assign(0, 5));
    EXPECT_FALSE(again.assign(19, 5));
    EXPECT_FALSE(again.free(18));
    EXPECT_FALSE(again.free(-1));
    EXPECT_EQ(again.entries(), withBound({{0, 12}, {2, 7}}));

    EXPECT_TRUE(again.free(2));
    EXPECT_TRUE(again.assign(18, 12));
    EXPECT_EQ(again.hotButtonOf(12), 0);   // first match
    THotButtonFile third(path());
    third.load();
    EXPECT_EQ(third.entries(), withBound({{0, 12}, {17, 12}}));
    EXPECT_TRUE(third.hotButtonUsed(18));

    for (int b = 1; b <= 18; ++b)
        third.assign(b, 100 + b);
    EXPECT_EQ(third.firstFreeHotButton(), -1);
    EXPECT_TRUE(third.freeAll());
    EXPECT_EQ(readAll(path()), AllUnbound);
}

TEST_F(HotButtonFileTest, BrokenFilesAreRepairedAndWrittenBack)
{
    struct Case {
        const char *what;
        QByteArray content;
        QList<qint64> expected;
    };
    const QByteArray nineteen = lines({"5"}) + QByteArray("-1\r\n").repeated(16) + lines({"9", "3"});
    const Case cases[] = {
        {"short", lines({"12", "5"}), withBound({{0, 12}, {1, 5}})},
        {"empty", QByteArray(), withBound({})},
        {"bad lines", lines({"12", "abc", "7x", "", " 9 ", "-5", "99999999999999999999", "+4"}),
         withBound({{0, 12}, {4, 9}, {7, 4}})},
        {"LF endings", QByteArray("1\n2\n3"), withBound({{0, 1}, {1, 2}, {2, 3}})},
        {"CR endings", QByteArray("1\r2\r3\r"), withBound({{0, 1}, {1, 2}, {2, 3}})},
        {"byte-order mark", QByteArray("\xEF\xBB\xBF") + lines({"8"}), withBound({{0, 8}})},
        {"too many lines", nineteen, withBound({{0, 5}, {17, 9}})},
        {"binary", QByteArray("\x00\xFF\r\n42\r\n\x00", 9), withBound({{1, 42}})},
        {"huge", QByteArray("1\r\n") + QByteArray(1024 * 1024, '7'), withBound({{0, 1}})},
    };
    for (const Case &c : cases) {
        writeAll(path(), c.content);
        THotButtonFile file(path());
        EXPECT_EQ(file.load(), THotButtonFile::lrRepaired) << c.what;
        EXPECT_EQ(file.entries(), c.expected) << c.what;
        EXPECT_EQ(readAll(path()), file.toText()) << c.what;
        EXPECT_EQ(THotButtonFile(path()).load(), THotButtonFile::lrLoaded) << c.what;
    }
}

TEST_F(HotButtonFileTest, AnUnwritablePlaceIsReportedNotFatal)
{
    ASSERT_TRUE(QDir().mkpath(path()));   // a folder where the file should be
    THotButtonFile file(path());
    EXPECT_EQ(file.load(), THotButtonFile::lrCreated);
    EXPECT_EQ(file.entries(), QList<qint64>(18, -1));
    EXPECT_FALSE(file.errorString().isEmpty());
    EXPECT_FALSE(file.assign(1, 3));
    EXPECT_EQ(file.entry(0), 3);   // kept in memory for the run
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

} // namespace

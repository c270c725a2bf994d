// A process killed with SIGKILL in the middle of appending loses no append that
// had returned, and leaves a sound file; commits are synced to disk.
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

namespace {

QString integrity(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    QString result = sqlite3_step(st) == SQLITE_ROW
        ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))) : QStringLiteral("no answer");
    sqlite3_finalize(st);
    return result;
}

QSet<qint64> keys(sqlite3 *db)
{
    QSet<qint64> k;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT Call_ID FROM InCalls", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        k.insert(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    return k;
}

} // namespace

TEST(TableCrash, JournalCommitsAreSyncedToDisk)
{
    QTemporaryDir tmp;
    TIncomingCallBook journal(QDir(tmp.path()).filePath(QStringLiteral("Data/InCalls")));
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(journal.connection(), "PRAGMA synchronous", -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 2);   // FULL: the log is synced at every commit
    sqlite3_finalize(st);
}

#ifdef RECORDS_APPEND_LOOP
TEST(TableCrash, EveryReturnedAppendSurvivesSigkill)
{
    QTemporaryDir tmp;
    const QString file = QDir(tmp.path()).filePath(QStringLiteral("Data/InCalls.cds"));
    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(seed);
    QRandomGenerator random(seed);
    QList<qint64> returned;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        QProcess child;
        child.start(QStringLiteral(RECORDS_APPEND_LOOP), {tmp.path()});
        ASSERT_TRUE(child.waitForStarted());
        QByteArray pending;
        const auto take = [&] {
            pending += child.readAllStandardOutput();
            int nl;
            while ((nl = pending.indexOf('\n')) >= 0) {
                returned << pending.left(nl).toLongLong();
                pending.remove(0, nl + 1);
            }
        };
        // Killed at a random moment once it appends: right away or up to 300 ms on.
        ASSERT_TRUE(child.waitForReadyRead(30000)) << "the helper does not append";
        take();
        QElapsedTimer t;
        t.start();
        const int wait = int(random.bounded(300));
        while (t.elapsed() < wait) {
            child.waitForReadyRead(qMax<qint64>(1, wait - t.elapsed()));
            take();
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        // Lines written before the kill landed are returned appends too; a line
        // cut by the kill is not.
        pending += child.readAllStandardOutput();
        QList<QByteArray> lines = pending.split('\n');
        lines.removeLast();
        for (const QByteArray &line : lines)
            returned << line.toLongLong();

        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(integrity(db), QStringLiteral("ok"));
        const QSet<qint64> present = keys(db);
        sqlite3_close(db);
        int missing = 0;
        for (qint64 key : returned)
            if (!present.contains(key))
                ++missing;
        ASSERT_EQ(missing, 0) << "of " << returned.size();
    }

    TIncomingCallBook journal(QDir(tmp.path()).filePath(QStringLiteral("Data/InCalls")));
    EXPECT_TRUE(journal.openMessage().isEmpty());
    EXPECT_GE(journal.recordCount(), returned.size());
    // Keys keep growing after the crashes.
    TInCall c;
    c.Phone = QStringLiteral("1");
    EXPECT_GT(journal.AddCall(c), returned.last());
}
#endif

#ifdef RECORDS_BACKLOG_REPLAY
namespace {

QStringList column(sqlite3 *db, const char *sql)
{
    QStringList r;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        r << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return r;
}

// The numbers of the rows a backlog file still offers.
QStringList pendingPhones(const QString &file)
{
    QStringList r;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (!line.isEmpty())
            r << QJsonDocument::fromJson(line).object().value(QStringLiteral("row")).toArray().at(0).toString();
    return r;
}

} // namespace

TEST(TableCrash, BacklogReplayKilledAtRandomWritesEveryRowOnce)
{
    QTemporaryDir tmp;
    const QString base = QDir(tmp.path()).filePath(QStringLiteral("Data/OutCalls"));
    const QString pending = base + QStringLiteral(".cds.pending");
    { TOutgoingCallBook create(base); }
    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(seed);
    QRandomGenerator random(seed);
    QSet<QString> expected;
    int next = 0;
    const auto offer = [&](int count) {
        QFile f(pending);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < count; ++i, ++next) {
            const QString phone = QString::number(7000000 + next);
            expected.insert(phone);
            f.write(QStringLiteral("{\"key\":\"r%1\",\"row\":[\"%2\",%3,0.0004,1,null,null,null,null,null,null,"
                                   "null,null,null],\"table\":\"OutCalls\"}\n")
                        .arg(next)
                        .arg(phone)
                        .arg(46000 + next / 10000.0, 0, 'f', 6)
                        .toUtf8());
        }
    };
    offer(3000);
    int killed = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        if (!QFile::exists(pending))
            offer(3000);   // the last replay finished: a new backlog
        QProcess child;
        child.start(QStringLiteral(RECORDS_BACKLOG_REPLAY), {tmp.path()});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(child.waitForReadyRead(30000)) << "the helper does not open the journal";
        QThread::msleep(random.bounded(400));
        killed += child.state() == QProcess::Running;
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();

        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open_v2((base + QStringLiteral(".cds")).toUtf8().constData(), &db, SQLITE_OPEN_READWRITE,
                                  nullptr), SQLITE_OK);
        EXPECT_EQ(integrity(db), QStringLiteral("ok"));
        const QStringList twice = column(db, "SELECT Phone FROM OutCalls GROUP BY Phone HAVING COUNT(*) > 1");
        const QStringList written = column(db, "SELECT Phone FROM OutCalls");
        sqlite3_close(db);
        ASSERT_TRUE(twice.isEmpty()) << twice.size() << " rows twice, e.g. " << twice.first().toStdString();
        QSet<QString> kept(written.begin(), written.end());
        for (const QString &p : pendingPhones(pending))
            kept.insert(p);
        ASSERT_EQ(kept, expected) << "rows lost: " << (expected - kept).size();
    }
    EXPECT_GT(killed, 0) << "no kill landed during a replay";

    // A last start writes what is left, each row once.
    QProcess last;
    last.start(QStringLiteral(RECORDS_BACKLOG_REPLAY), {tmp.path()});
    ASSERT_TRUE(last.waitForFinished(60000));
    EXPECT_EQ(last.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(pending));
    TOutgoingCallBook journal(base);
    EXPECT_EQ(journal.totalCount(), expected.size());
}
#endif

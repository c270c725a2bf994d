// A process killed with SIGKILL in the middle of appending loses no append that
// had returned, and leaves a sound file; commits are synced to disk.
#include "records/TIncomingCallBook.h"
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
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

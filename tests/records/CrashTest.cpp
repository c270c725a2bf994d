// A process killed with SIGKILL in the middle of appending loses no append that
// had returned, and leaves a sound file.
#include "records/TIncomingCallBook.h"
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#ifdef RECORDS_APPEND_LOOP
TEST(TableCrash, EveryReturnedAppendSurvivesSigkill)
{
    QTemporaryDir tmp;
    QList<qint64> returned;
    // Several rounds on the same file, killed at different moments.
    for (int round = 0; round < 3; ++round) {
        QProcess child;
        child.start(QStringLiteral(RECORDS_APPEND_LOOP), {tmp.path()});
        ASSERT_TRUE(child.waitForStarted());
        const int wanted = 150 + round * 170;
        QByteArray pending;
        int seen = 0;
        while (seen < wanted) {
            ASSERT_TRUE(child.waitForReadyRead(30000)) << "the helper stopped appending";
            pending += child.readAllStandardOutput();
            int nl;
            while ((nl = pending.indexOf('\n')) >= 0) {
                returned << pending.left(nl).toLongLong();
                pending.remove(0, nl + 1);
                ++seen;
            }
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        // Lines printed before the kill landed are returned appends too.
        pending += child.readAllStandardOutput();
        QList<QByteArray> lines = pending.split('\n');
        lines.removeLast();   // empty, or a line cut by the kill
        for (const QByteArray &line : lines)
            returned << line.toLongLong();
    }

    const QString file = QDir(tmp.path()).filePath(QStringLiteral("Data/InCalls.cds"));
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
    sqlite3_close(db);

    TIncomingCallBook journal(QDir(tmp.path()).filePath(QStringLiteral("Data/InCalls")));
    EXPECT_TRUE(journal.openMessage().isEmpty());
    int missing = 0;
    for (qint64 key : returned)
        if (!journal.hasKey(key))
            ++missing;
    EXPECT_EQ(missing, 0) << "of " << returned.size();
    EXPECT_GE(journal.recordCount(), returned.size());
    // Keys keep growing after the crashes.
    TInCall c;
    c.Phone = QStringLiteral("1");
    EXPECT_GT(journal.AddCall(c), returned.last());
}
#endif

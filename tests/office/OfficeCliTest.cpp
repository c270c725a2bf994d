// konvelo-cli office: a sync killed in the middle of a few thousand entries
// and run again stores each exactly once; calls as JSON lines; the password
// masked in the settings it prints.
#include "OfficeTestUtil.h"
#include "PgTestServer.h"
#include "office/TOfficeOutbox.h"
#include "office/TOfficeSync.h"
#include "records/TSqliteDatabase.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

namespace {
const QString Cli = QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli");

struct TRun {
    int Code = -1;
    QString Out, Err;
};

TRun cli(const QString &home, const QStringList &args)
{
    QProcess p;
    p.start(Cli, QStringList{QStringLiteral("--home"), home} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
}

TEST(OfficeCli, SyncKilledMidwayAndRunAgainStoresEveryEntryOnce)
{
    PgTestServer &pg = PgTestServer::instance();
    ASSERT_TRUE(pg.ok()) << pg.error().toStdString();
    ASSERT_TRUE(pg.start());
    const QString conn = pg.newDatabase(QStringLiteral("cli_kill"));
    TWorkstationFiles a;
    const QString home = a.Base.path();
    ASSERT_EQ(cli(home, {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Office/Database"), conn}).Code, 0);
    ASSERT_EQ(cli(home, {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Office/Workstation"),
                         QStringLiteral("Линия 1")}).Code, 0);
    TOfficeSync::Install(a.Data);
    const int total = 3000;
    {
        TSqliteDatabase db;
        db.open(a.Data + QStringLiteral("/InCalls.cds"), false);
        TSqliteDatabase::Transaction tr(db);
        TSqliteStatement ins = db.prepare(QStringLiteral(
            "INSERT INTO \"InCalls\" (\"Phone\", \"Category\", \"Time\", \"Length\", \"AutoAnswer\") VALUES (?, 0, ?, 0, 0)"));
        for (int i = 0; i < total; ++i) {
            ins.reset();
            ins.bind(1, QStringLiteral("7%1").arg(i % 50)).bind(2, 46000.0 + i / 1000.0);
            ins.exec();
        }
        tr.commit();
    }
    // Killed at several moments of its work; each run sends what it can.
    for (int delay : {150, 400}) {
        QProcess p;
        p.start(Cli, {QStringLiteral("--home"), home, QStringLiteral("office"), QStringLiteral("sync")});
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(delay);
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished();
    }
    const TRun last = cli(home, {QStringLiteral("office"), QStringLiteral("sync")});
    ASSERT_EQ(last.Code, 0) << last.Err.toStdString();
    EXPECT_EQ(pg.query(QStringLiteral("cli_kill"), QStringLiteral("SELECT count(*), count(DISTINCT call_id) FROM konvelo_calls")),
              QStringList{QString::number(total)});
    EXPECT_EQ(pg.query(QStringLiteral("cli_kill"), QStringLiteral("SELECT count(DISTINCT call_id) FROM konvelo_calls")),
              QStringList{QString::number(total)});
    EXPECT_EQ(TOfficeOutbox::Count(a.In->connection()), 0);

    const TRun calls = cli(home, {QStringLiteral("office"), QStringLiteral("calls"), QStringLiteral("--number"),
                                  QStringLiteral("71"), QStringLiteral("--workstation"), QStringLiteral("Линия 1")});
    ASSERT_EQ(calls.Code, 0) << calls.Err.toStdString();
    const QStringList lines = calls.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), total / 50);
    const QJsonObject first = QJsonDocument::fromJson(lines.first().toUtf8()).object();
    EXPECT_EQ(first.value(QStringLiteral("workstation")).toString(), QStringLiteral("Линия 1"));
    EXPECT_EQ(first.value(QStringLiteral("journal")).toString(), QStringLiteral("in"));
    EXPECT_EQ(first.value(QStringLiteral("Phone")).toString(), QStringLiteral("71"));
    EXPECT_TRUE(first.contains(QStringLiteral("Field_1")));
    EXPECT_EQ(cli(home, {QStringLiteral("office"), QStringLiteral("calls"), QStringLiteral("--from"),
                         QStringLiteral("31.02.2026")}).Code, 2);
}

TEST(OfficeCli, StatusAndSettingsNeverPrintThePassword)
{
    PgTestServer &pg = PgTestServer::instance();
    ASSERT_TRUE(pg.ok());
    ASSERT_TRUE(pg.start());
    TWorkstationFiles a;
    const QString home = a.Base.path();
    const QString conn = pg.newDatabase(QStringLiteral("cli_status")) + QStringLiteral(" password=TopSecret1");
    ASSERT_EQ(cli(home, {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Office/Database"), conn}).Code, 0);
    const TRun init = cli(home, {QStringLiteral("office"), QStringLiteral("init")});
    EXPECT_EQ(init.Code, 0) << init.Err.toStdString();
    EXPECT_EQ(init.Out.trimmed(), QStringLiteral("{\"version\":1}"));
    const TRun status = cli(home, {QStringLiteral("office"), QStringLiteral("status")});
    EXPECT_EQ(status.Code, 0) << status.Err.toStdString();
    const QJsonObject s = QJsonDocument::fromJson(status.Out.toUtf8()).object();
    EXPECT_TRUE(s.value(QStringLiteral("connected")).toBool());
    for (const QStringList &args : {QStringList{QStringLiteral("config"), QStringLiteral("dump")},
                                    QStringList{QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("Office/Database")},
                                    QStringList{QStringLiteral("office"), QStringLiteral("status")}}) {
        const TRun r = cli(home, args);
        EXPECT_FALSE(r.Out.contains(QStringLiteral("TopSecret1"))) << r.Out.toStdString();
        EXPECT_TRUE(r.Out.contains(QStringLiteral("password=****"))) << r.Out.toStdString();
    }
    // The server gone: status says so, with a non-zero status.
    ASSERT_TRUE(pg.stop(true));
    const TRun down = cli(home, {QStringLiteral("office"), QStringLiteral("status")});
    pg.start();
    EXPECT_NE(down.Code, 0);
    EXPECT_FALSE(QJsonDocument::fromJson(down.Out.toUtf8()).object().value(QStringLiteral("connected")).toBool());
}

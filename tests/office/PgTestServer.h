#pragma once
// A real PostgreSQL server for the office tests: initdb into a temporary
// folder, started by pg_ctl as an unprivileged user (nobody when the tests
// run as root) on a Unix socket in that folder, stopped at the end.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class PgTestServer {
public:
    // The server shared by the tests of this process; started on first use.
    static PgTestServer &instance();
    static void shutdown();

    bool ok() const { return FOk; }
    QString error() const { return FError; }
    bool start();
    bool stop(bool immediate = false);
    // A database of its own for one test; its connection string.
    QString newDatabase(const QString &name);
    QString conninfo(const QString &db) const;
    // Runs SQL on a database; the first column of each row.
    QStringList query(const QString &db, const QString &sql);
    QString socketDir() const { return FDir ? FDir->path() : QString(); }

private:
    PgTestServer() = default;
    bool init();
    int runAs(const QStringList &command);

    std::unique_ptr<QTemporaryDir> FDir;
    QString FBin;
    bool FOk = false;
    bool FRunning = false;
    QString FError;
};

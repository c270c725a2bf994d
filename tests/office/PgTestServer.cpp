#include "PgTestServer.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

namespace {
PgTestServer *Shared = nullptr;
}

PgTestServer &PgTestServer::instance()
{
    if (!Shared) {
        Shared = new PgTestServer;
        Shared->FOk = Shared->init() && Shared->start();
    }
    return *Shared;
}

void PgTestServer::shutdown()
{
    if (Shared) {
        Shared->stop(true);
        delete Shared;
        Shared = nullptr;
    }
}

int PgTestServer::runAs(const QStringList &command)
{
    QProcess p;
    QStringList args = command;
    QString program = args.takeFirst();
    if (geteuid() == 0) {
        // The server refuses to run as root.
        args = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), program} + args;
        program = QStringLiteral("runuser");
    }
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        FError = program + QStringLiteral(": ") + p.errorString();
        return -1;
    }
    if (p.exitCode() != 0)
        FError = QString::fromLocal8Bit(p.readAll());
    return p.exitCode();
}

bool PgTestServer::init()
{
    for (const QString &v : QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                                                 QDir::Name | QDir::Reversed)) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
        if (QFile::exists(bin + QStringLiteral("/initdb"))) {
            FBin = bin;
            break;
        }
    }
    if (FBin.isEmpty()) {
        FError = QStringLiteral("no PostgreSQL server under /usr/lib/postgresql (scripts/setup.sh installs it)");
        return false;
    }
    FDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/konvelo-pg-XXXXXX"));
    if (!FDir->isValid())
        return false;
    if (geteuid() == 0) {
        const passwd *pw = getpwnam("nobody");
        if (!pw || chown(QFile::encodeName(FDir->path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            FError = QStringLiteral("cannot give the server's folder to nobody");
            return false;
        }
    }
    return runAs({FBin + QStringLiteral("/initdb"), QStringLiteral("-D"), FDir->path() + QStringLiteral("/data"),
                  QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("konvelo"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-sync")})
           == 0;
}

bool PgTestServer::start()
{
    if (FRunning)
        return true;
    const QString opts = QStringLiteral("-c listen_addresses='' -k %1 -c fsync=off -c max_connections=60").arg(FDir->path());
    FRunning = runAs({FBin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), FDir->path() + QStringLiteral("/data"),
                      QStringLiteral("-o"), opts, QStringLiteral("-l"), FDir->path() + QStringLiteral("/log"),
                      QStringLiteral("-w"), QStringLiteral("start")})
               == 0;
    return FRunning;
}

bool PgTestServer::stop(bool immediate)
{
    if (!FRunning)
        return true;
    FRunning = false;
    return runAs({FBin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), FDir->path() + QStringLiteral("/data"),
                  QStringLiteral("-m"), immediate ? QStringLiteral("immediate") : QStringLiteral("fast"),
                  QStringLiteral("-w"), QStringLiteral("stop")})
           == 0;
}

QString PgTestServer::conninfo(const QString &db) const
{
    return QStringLiteral("host=%1 dbname=%2 user=konvelo").arg(FDir->path(), db);
}

QStringList PgTestServer::query(const QString &db, const QString &sql)
{
    QStringList out;
    PGconn *c = PQconnectdb(conninfo(db).toUtf8().constData());
    if (PQstatus(c) != CONNECTION_OK) {
        FError = QString::fromUtf8(PQerrorMessage(c));
        PQfinish(c);
        return {QStringLiteral("ERROR: ") + FError};
    }
    PGresult *r = PQexec(c, sql.toUtf8().constData());
    if (PQresultStatus(r) == PGRES_TUPLES_OK)
        for (int i = 0; i < PQntuples(r); ++i)
            out << QString::fromUtf8(PQgetvalue(r, i, 0));
    else if (PQresultStatus(r) != PGRES_COMMAND_OK)
        out << QStringLiteral("ERROR: ") + QString::fromUtf8(PQresultErrorMessage(r));
    PQclear(r);
    PQfinish(c);
    return out;
}

QString PgTestServer::newDatabase(const QString &name)
{
    query(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
    query(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(name));
    return conninfo(name);
}

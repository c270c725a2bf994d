#include "TSqliteDatabase.h"
#include "TTableError.h"
#include <sqlite3.h>

TSqliteDatabase::~TSqliteDatabase()
{
    close();
}

void TSqliteDatabase::open(const QString &path, bool create)
{
    close();
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const QByteArray name = path.toUtf8();
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString err = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw TTableError(err, rc);
    }
    FDb = db;
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_busy_timeout(FDb, 5000);
}

void TSqliteDatabase::close()
{
    if (FDb) {
        sqlite3_close_v2(FDb);
        FDb = nullptr;
    }
}

void TSqliteDatabase::exec(const QString &sql)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(FDb, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : errorMessage();
        sqlite3_free(err);
        throw TTableError(msg, sqlite3_extended_errcode(FDb));
    }
}

TSqliteStatement TSqliteDatabase::prepare(const QString &sql) const
{
    return TSqliteStatement(FDb, sql);
}

qint64 TSqliteDatabase::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(FDb);
}

QString TSqliteDatabase::errorMessage() const
{
    return FDb ? QString::fromUtf8(sqlite3_errmsg(FDb)) : QString();
}

TSqliteDatabase::Transaction::Transaction(TSqliteDatabase &db) : FDb(db)
{
    FDb.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

TSqliteDatabase::Transaction::~Transaction()
{
    if (!FDone)
        sqlite3_exec(FDb.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TSqliteDatabase::Transaction::commit()
{
    FDb.exec(QStringLiteral("COMMIT"));
    FDone = true;
}

#include "TOfficeOutbox.h"
#include "records/TSqliteDatabase.h"
#include "records/TTableError.h"
#include <sqlite3.h>

namespace {
const char *const PersonFields = "\"Phone\", \"Name\", \"Attributes\", \"Address\", \"Notes\"";

void exec(sqlite3 *db, const QString &sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_free(err);
        throw TTableError(msg, sqlite3_extended_errcode(db));
    }
}

bool hasColumn(sqlite3 *db, const QString &table, const QString &column)
{
    TSqliteStatement st(db, QStringLiteral("SELECT 1 FROM pragma_table_info(?) WHERE name = ?"));
    st.bind(1, table).bind(2, column);
    return st.step();
}

QString trigger(const QString &table, const QString &what)
{
    return QStringLiteral("\"Office_%1_%2\"").arg(table, what);
}
}

QString TOfficeOutbox::UuidSql()
{
    return QStringLiteral(
        "(lower(hex(randomblob(4))) || '-' || lower(hex(randomblob(2))) || '-4' || substr(lower(hex(randomblob(2))), 2)"
        " || '-' || substr('89ab', 1 + (abs(random()) % 4), 1) || substr(lower(hex(randomblob(2))), 2) || '-'"
        " || lower(hex(randomblob(6))))");
}

bool TOfficeOutbox::Installed(sqlite3 *db, const QString &table)
{
    TSqliteStatement st(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'trigger' AND name = ?"));
    st.bind(1, QStringLiteral("Office_%1_Insert").arg(table));
    return st.step();
}

void TOfficeOutbox::Install(sqlite3 *db, const QString &table)
{
    if (Installed(db, table))
        return;
    exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS \"OfficeOutbox\" (\"Seq\" INTEGER PRIMARY KEY AUTOINCREMENT,"
                                " \"Kind\" TEXT NOT NULL, \"RowKey\" INTEGER NOT NULL, \"Guid\" TEXT)"));
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS \"OfficeState\" (\"Name\" TEXT PRIMARY KEY, \"Value\")"));
        const QString t = QLatin1Char('"') + table + QLatin1Char('"');
        if (table == QLatin1String("AddressBook")) {
            if (!hasColumn(db, table, QStringLiteral("Guid")))
                exec(db, QStringLiteral("ALTER TABLE %1 ADD COLUMN \"Guid\" TEXT").arg(t));
            exec(db, QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS \"AddressBook_Guid\" ON %1 (\"Guid\")").arg(t));
            exec(db, QStringLiteral("UPDATE %1 SET \"Guid\" = %2 WHERE \"Guid\" IS NULL").arg(t, UuidSql()));
            // The book as it was before joining: merged by number into the office's.
            exec(db, QStringLiteral("INSERT INTO \"OfficeOutbox\" (\"Kind\", \"RowKey\", \"Guid\")"
                                    " SELECT 'J', \"Person_ID\", \"Guid\" FROM %1 ORDER BY \"Person_ID\"").arg(t));
            exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 BEGIN"
                                    " UPDATE %2 SET \"Guid\" = %3 WHERE \"Person_ID\" = NEW.\"Person_ID\" AND NEW.\"Guid\" IS NULL;"
                                    " INSERT INTO \"OfficeOutbox\" (\"Kind\", \"RowKey\", \"Guid\") SELECT 'U', \"Person_ID\", \"Guid\""
                                    " FROM %2 WHERE \"Person_ID\" = NEW.\"Person_ID\"; END")
                     .arg(trigger(table, QStringLiteral("Insert")), t, UuidSql()));
            exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF %2 ON %3 BEGIN"
                                    " INSERT INTO \"OfficeOutbox\" (\"Kind\", \"RowKey\", \"Guid\")"
                                    " VALUES ('U', NEW.\"Person_ID\", NEW.\"Guid\"); END")
                     .arg(trigger(table, QStringLiteral("Update")), QString::fromLatin1(PersonFields), t));
            exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 WHEN OLD.\"Guid\" IS NOT NULL BEGIN"
                                    " INSERT INTO \"OfficeOutbox\" (\"Kind\", \"RowKey\", \"Guid\")"
                                    " VALUES ('D', OLD.\"Person_ID\", OLD.\"Guid\"); END")
                     .arg(trigger(table, QStringLiteral("Delete")), t));
        } else {
            exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 BEGIN"
                                    " INSERT INTO \"OfficeOutbox\" (\"Kind\", \"RowKey\") VALUES ('C', NEW.\"Call_ID\"); END")
                     .arg(trigger(table, QStringLiteral("Insert")), t));
            exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF \"Field_1\", \"Field_2\", \"Field_3\", \"Field_4\","
                                    " \"Field_5\", \"Field_6\", \"Field_7\", \"Field_8\" ON %2 BEGIN"
                                    " INSERT INTO \"OfficeOutbox\" (\"Kind\", \"RowKey\") VALUES ('C', NEW.\"Call_ID\"); END")
                     .arg(trigger(table, QStringLiteral("Update")), t));
            // A row given new file names moves to a new Call_ID: the office drops the old one.
            exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 BEGIN"
                                    " INSERT INTO \"OfficeOutbox\" (\"Kind\", \"RowKey\") VALUES ('X', OLD.\"Call_ID\"); END")
                     .arg(trigger(table, QStringLiteral("Delete")), t));
        }
        exec(db, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void TOfficeOutbox::Uninstall(sqlite3 *db, const QString &table)
{
    for (const char *what : {"Insert", "Update", "Delete"})
        exec(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger(table, QString::fromLatin1(what))));
}

qint64 TOfficeOutbox::Count(sqlite3 *db)
{
    try {
        TSqliteStatement st(db, QStringLiteral("SELECT count(*) FROM \"OfficeOutbox\""));
        return st.step() ? st.int64(0) : 0;
    } catch (const TTableError &) {
        return 0;   // no outbox yet
    }
}

QList<TOfficeOutbox::TEntry> TOfficeOutbox::Peek(sqlite3 *db, int limit)
{
    QList<TEntry> list;
    TSqliteStatement st(db, QStringLiteral("SELECT \"Seq\", \"Kind\", \"RowKey\", \"Guid\" FROM \"OfficeOutbox\""
                                           " ORDER BY \"Seq\" LIMIT ?"));
    st.bindInt64(1, limit);
    while (st.step()) {
        TEntry e;
        e.Seq = st.int64(0);
        const QString kind = st.value(1).toString();
        e.Kind = kind.isEmpty() ? 0 : char(kind.at(0).toLatin1());
        e.Key = st.int64(2);
        e.Guid = st.isNull(3) ? QString() : st.value(3).toString();
        list << e;
    }
    return list;
}

void TOfficeOutbox::Remove(sqlite3 *db, qint64 seq)
{
    TSqliteStatement st(db, QStringLiteral("DELETE FROM \"OfficeOutbox\" WHERE \"Seq\" <= ?"));
    st.bindInt64(1, seq);
    st.exec();
}

qint64 TOfficeOutbox::LastSeq(sqlite3 *db)
{
    TSqliteStatement st(db, QStringLiteral("SELECT coalesce(max(\"Seq\"), 0) FROM \"OfficeOutbox\""));
    return st.step() ? st.int64(0) : 0;
}

void TOfficeOutbox::DropAbove(sqlite3 *db, qint64 seq)
{
    TSqliteStatement st(db, QStringLiteral("DELETE FROM \"OfficeOutbox\" WHERE \"Seq\" > ?"));
    st.bindInt64(1, seq);
    st.exec();
}

#pragma once
// The office link's outbox inside a table file: triggers record every change the
// office must hear of in the same transaction as the change itself, whoever
// writes the file (the program, konvelo-cli, a bulk import). Address-book rows
// carry a global id in the added Guid column.
#include <QList>
#include <QString>
#include <QVariantList>

struct sqlite3;

class TOfficeOutbox {
public:
    enum TKind { okCall = 'C', okCallDeleted = 'X', okPerson = 'U', okJoin = 'J', okDelete = 'D' };
    struct TEntry {
        qint64 Seq = 0;
        char Kind = 0;
        qint64 Key = 0;     // Call_ID or Person_ID
        QString Guid;       // subscribers only
    };

    // Creates the outbox, its triggers and (address book) the Guid column, an
    // index on it and a Guid for every row; rows already in the book are queued
    // once to be merged into the office's book. Idempotent. Throws TTableError.
    static void Install(sqlite3 *db, const QString &table);
    // Drops the triggers (the office is off); queued entries are kept.
    static void Uninstall(sqlite3 *db, const QString &table);
    static bool Installed(sqlite3 *db, const QString &table);

    static qint64 Count(sqlite3 *db);
    static QList<TEntry> Peek(sqlite3 *db, int limit);
    static void Remove(sqlite3 *db, qint64 seq);
    static qint64 LastSeq(sqlite3 *db);
    // Drops the entries above seq (the echo of a change that came from the office).
    static void DropAbove(sqlite3 *db, qint64 seq);

    // The SQL expression of a random version-4 UUID.
    static QString UuidSql();
};

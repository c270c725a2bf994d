#pragma once
// One open SQLite connection with the pragmas every table file uses.
#include "TSqliteStatement.h"
#include <QString>

class TSqliteDatabase {
public:
    TSqliteDatabase() = default;
    ~TSqliteDatabase();
    TSqliteDatabase(const TSqliteDatabase &) = delete;
    TSqliteDatabase &operator=(const TSqliteDatabase &) = delete;

    // Opens an existing file (create = false) or creates it. Throws TTableError.
    void open(const QString &path, bool create);
    void close();
    bool isOpen() const { return FDb != nullptr; }
    sqlite3 *handle() const { return FDb; }

    void exec(const QString &sql);   // one or more statements without results
    TSqliteStatement prepare(const QString &sql) const;
    qint64 lastInsertRowId() const;
    QString errorMessage() const;

    // BEGIN IMMEDIATE ... COMMIT; rolled back when the scope is left by an exception.
    class Transaction {
    public:
        explicit Transaction(TSqliteDatabase &db);
        ~Transaction();
        void commit();

    private:
        TSqliteDatabase &FDb;
        bool FDone = false;
    };

private:
    sqlite3 *FDb = nullptr;
};

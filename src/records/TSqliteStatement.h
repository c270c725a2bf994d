#pragma once
// A prepared statement; values are bound and read as QVariant.
#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

class TSqliteStatement {
public:
    TSqliteStatement() = default;
    TSqliteStatement(sqlite3 *db, const QString &sql);   // throws TTableError
    ~TSqliteStatement();
    TSqliteStatement(TSqliteStatement &&o) noexcept;
    TSqliteStatement &operator=(TSqliteStatement &&o) noexcept;
    TSqliteStatement(const TSqliteStatement &) = delete;
    TSqliteStatement &operator=(const TSqliteStatement &) = delete;

    bool isValid() const { return FStmt != nullptr; }
    // For readers that take columns as raw text without a QVariant per value.
    sqlite3_stmt *handle() const { return FStmt; }
    // Binds 1-based; a null QVariant binds NULL.
    TSqliteStatement &bind(int index, const QVariant &value);
    TSqliteStatement &bindAll(const QVariantList &values, int first = 1);
    TSqliteStatement &bindInt64(int index, qint64 value);
    // True while a row is available; throws on an error.
    bool step();
    void reset();   // also clears the bindings
    void exec();    // step to the end

    int columnCount() const;
    QVariant value(int column) const;
    qint64 int64(int column) const;
    bool isNull(int column) const;
    QVariantList row() const;

private:
    sqlite3_stmt *FStmt = nullptr;
    sqlite3 *FDb = nullptr;
};

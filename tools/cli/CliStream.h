#pragma once
// Standard output for long listings: JSON lines built as bytes and written in
// blocks as the rows are read, never the whole listing in memory. Values are
// written as QJsonDocument writes them, so the lines stay as they were.
#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <cstdio>

struct sqlite3_stmt;
class TRecordTable;
class TSqliteStatement;

class CliStream {
public:
    explicit CliStream(FILE *Out = stdout) : FOut(Out) { FBuffer.reserve(BlockSize + 4096); }
    ~CliStream() { flush(); }
    CliStream(const CliStream &) = delete;
    CliStream &operator=(const CliStream &) = delete;

    // The line being built; endLine() ends it and writes a full block.
    QByteArray &line() { return FBuffer; }
    bool endLine();
    bool flush();
    bool failed() const { return FFailed; }

    static void appendQuoted(QByteArray &Out, const char *Utf8, qsizetype Bytes);
    static void appendQuoted(QByteArray &Out, const QString &Text);
    static void appendNumber(QByteArray &Out, qint64 Value);
    // One row of a table as journal list prints it: every field by name with its
    // value (columns in the schema's order, key first).
    static void appendRow(QByteArray &Out, const TRecordTable &Table, const TSqliteStatement &Row);
    // "SELECT <every field> ... WHERE <the view's filter> ORDER BY <the view's order>"
    // with its parameters: the view's rows, read in its order.
    static QString viewSql(const TRecordTable &Table, QVariantList &Params, qint64 Limit = -1);

    static constexpr qsizetype BlockSize = 1 << 16;

private:
    FILE *FOut;
    QByteArray FBuffer;
    bool FFailed = false;
};

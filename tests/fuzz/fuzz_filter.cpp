// Any text as a filter: either an expression whose SQL runs, or a TFilterError.
#include "records/TFilterExpression.h"
#include <sqlite3.h>
#include <cstdlib>

namespace {

const QList<TFieldInfo> &fields()
{
    static const QList<TFieldInfo> list = {
        {QStringLiteral("Call_ID"), TFieldType::ftAutoInc},
        {QStringLiteral("Phone"), TFieldType::ftString, 200, true},
        {QStringLiteral("Category"), TFieldType::ftChars, 20, true},
        {QStringLiteral("Time"), TFieldType::ftDateTime},
        {QStringLiteral("Length"), TFieldType::ftTime},
        {QStringLiteral("AutoAnswer"), TFieldType::ftBoolean},
        {QStringLiteral("FileName"), TFieldType::ftMemo},
        {QStringLiteral("Volume"), TFieldType::ftInteger},
    };
    return list;
}

sqlite3 *database()
{
    static sqlite3 *db = [] {
        sqlite3 *d = nullptr;
        if (sqlite3_open(":memory:", &d) != SQLITE_OK)
            abort();
        TFilterExpression::registerFunctions(d);
        const char *setup =
            "CREATE TABLE T (\"Call_ID\" INTEGER PRIMARY KEY, \"Phone\" TEXT, \"Category\" TEXT,"
            " \"Time\" REAL, \"Length\" REAL, \"AutoAnswer\" INTEGER, \"FileName\" TEXT,"
            " \"Volume\" INTEGER);"
            "INSERT INTO T VALUES (1, '1234567', '1', 46000.5, 0.003, 0, 'a.wav', -1);"
            "INSERT INTO T VALUES (2, 'Ёлкин', '17', 46001.25, 0.5, 1, '', 40);"
            "INSERT INTO T VALUES (3, NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
            "INSERT INTO T VALUES (4, '?', 'x', -3.5, 2.0, 7, '+', 0);";
        if (sqlite3_exec(d, setup, nullptr, nullptr, nullptr) != SQLITE_OK)
            abort();
        return d;
    }();
    return db;
}

// Rows passing the condition; aborts when SQLite refuses what the parser accepted.
int countRows(const QString &condition, const QVariantList &params)
{
    const QByteArray sql = (QStringLiteral("SELECT count(*) FROM T WHERE ") + condition).toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(database(), sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        abort();
    if (sqlite3_bind_parameter_count(st) != params.size()
        || TFilterExpression::bindParams(st, params) != SQLITE_OK || sqlite3_step(st) != SQLITE_ROW)
        abort();
    const int n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const TFilterExpression e = TFilterExpression::parse(text, fields());
        QVariantList params;
        const QString condition = e.toSql(params);
        // Every condition is two-valued: it and its negation split the rows.
        const int passing = countRows(condition, params);
        const int failing = countRows(QStringLiteral("NOT (") + condition + QLatin1Char(')'), params);
        if (passing + failing != 4)
            abort();
    } catch (const TFilterError &err) {
        if (err.message().isEmpty() || err.position() < 1 || err.position() > text.size() + 1)
            abort();
    }
    return 0;
}

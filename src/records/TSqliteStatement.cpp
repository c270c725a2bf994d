#include "TSqliteStatement.h"
#include "TTableError.h"
#include <sqlite3.h>

TSqliteStatement::TSqliteStatement(sqlite3 *db, const QString &sql) : FDb(db)
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &FStmt, nullptr) != SQLITE_OK) {
        const QString err = QString::fromUtf8(sqlite3_errmsg(db));
        const int code = sqlite3_extended_errcode(db);
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        throw TTableError(err, code);
    }
}

TSqliteStatement::~TSqliteStatement()
{
    sqlite3_finalize(FStmt);
}

TSqliteStatement::TSqliteStatement(TSqliteStatement &&o) noexcept : FStmt(o.FStmt), FDb(o.FDb)
{
    o.FStmt = nullptr;
}

TSqliteStatement &TSqliteStatement::operator=(TSqliteStatement &&o) noexcept
{
    if (this != &o) {
        sqlite3_finalize(FStmt);
        FStmt = o.FStmt;
        FDb = o.FDb;
        o.FStmt = nullptr;
    }
    return *this;
}

TSqliteStatement &TSqliteStatement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(FStmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(FStmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::UChar:
        case QMetaType::SChar:
        case QMetaType::Long:
        case QMetaType::ULong:
            rc = sqlite3_bind_int64(FStmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(FStmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = value.toByteArray();
            rc = sqlite3_bind_blob(FStmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray b = value.toString().toUtf8();
            rc = sqlite3_bind_text(FStmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throw TTableError(QString::fromUtf8(sqlite3_errmsg(FDb)));
    return *this;
}

TSqliteStatement &TSqliteStatement::bindAll(const QVariantList &values, int first)
{
    for (int i = 0; i < values.size(); ++i)
        bind(first + i, values.at(i));
    return *this;
}

TSqliteStatement &TSqliteStatement::bindInt64(int index, qint64 value)
{
    if (sqlite3_bind_int64(FStmt, index, value) != SQLITE_OK)
        throw TTableError(QString::fromUtf8(sqlite3_errmsg(FDb)));
    return *this;
}

bool TSqliteStatement::step()
{
    const int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString err = QString::fromUtf8(sqlite3_errmsg(FDb));
    sqlite3_reset(FStmt);
    throw TTableError(err, rc);
}

void TSqliteStatement::reset()
{
    sqlite3_reset(FStmt);
    sqlite3_clear_bindings(FStmt);
}

void TSqliteStatement::exec()
{
    while (step()) {
    }
}

int TSqliteStatement::columnCount() const
{
    return sqlite3_column_count(FStmt);
}

bool TSqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(FStmt, column) == SQLITE_NULL;
}

qint64 TSqliteStatement::int64(int column) const
{
    return sqlite3_column_int64(FStmt, column);
}

QVariant TSqliteStatement::value(int column) const
{
    switch (sqlite3_column_type(FStmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(FStmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(FStmt, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(FStmt, column)),
                                          sqlite3_column_bytes(FStmt, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(FStmt, column)),
                                   sqlite3_column_bytes(FStmt, column)));
    default:
        return QVariant();
    }
}

QVariantList TSqliteStatement::row() const
{
    QVariantList r;
    const int n = columnCount();
    r.reserve(n);
    for (int i = 0; i < n; ++i)
        r << value(i);
    return r;
}

#include "CliStream.h"
#include "common/JsonLine.h"
#include "common/TDateTimeText.h"
#include "records/TFilterExpression.h"
#include "records/TRecordTable.h"
#include "records/TSqliteStatement.h"
#include "records/TTableSchema.h"
#include "records/TViewQuery.h"
#include <sqlite3.h>

bool CliStream::endLine()
{
    FBuffer += '\n';
    return FBuffer.size() < BlockSize || flush();
}

bool CliStream::flush()
{
    if (!FBuffer.isEmpty()) {
        if (std::fwrite(FBuffer.constData(), 1, size_t(FBuffer.size()), FOut) != size_t(FBuffer.size()))
            FFailed = true;
        FBuffer.clear();
    }
    if (std::fflush(FOut) != 0)
        FFailed = true;
    return !FFailed;
}

void CliStream::appendQuoted(QByteArray &Out, const char *Utf8, qsizetype Bytes)
{
    // Plain ASCII is copied as it is; anything else goes through QString, which
    // replaces broken UTF-8 as the JSON writer's own input does.
    Out += '"';
    static const char hex[] = "0123456789abcdef";
    for (qsizetype i = 0; i < Bytes; ++i) {
        const unsigned char c = static_cast<unsigned char>(Utf8[i]);
        if (c >= 0x80) {
            Out.chop(1);
            appendQuoted(Out, QString::fromUtf8(Utf8, Bytes));
            return;
        }
    }
    for (qsizetype i = 0; i < Bytes; ++i) {
        const char c = Utf8[i];
        switch (c) {
        case '"': Out += "\\\""; break;
        case '\\': Out += "\\\\"; break;
        case '\b': Out += "\\b"; break;
        case '\f': Out += "\\f"; break;
        case '\n': Out += "\\n"; break;
        case '\r': Out += "\\r"; break;
        case '\t': Out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                Out += "\\u00";
                Out += hex[(c >> 4) & 0xF];
                Out += hex[c & 0xF];
            } else {
                Out += c;
            }
        }
    }
    Out += '"';
}

void CliStream::appendQuoted(QByteArray &Out, const QString &Text)
{
    Out += JsonLine::quote(Text).toUtf8();
}

void CliStream::appendNumber(QByteArray &Out, qint64 Value)
{
    // Beyond 2^53 the JSON writer writes the double it holds.
    if (Value > (qint64(1) << 53) || Value < -(qint64(1) << 53))
        Out += JsonLine::encode(QJsonValue(Value)).toUtf8();
    else
        Out += QByteArray::number(Value);
}

QString CliStream::viewSql(const TRecordTable &Table, QVariantList &Params, qint64 Limit)
{
    QString sql = TViewQuery::SelectSql(Table, Table.schema().fieldNames(), Params);
    if (Limit >= 0)
        sql += QStringLiteral(" LIMIT %1").arg(Limit);
    return sql;
}

void CliStream::appendRow(QByteArray &Out, const TRecordTable &Table, const TSqliteStatement &Row)
{
    const TTableSchema &s = Table.schema();
    sqlite3_stmt *st = Row.handle();
    Out += '{';
    for (int i = 0; i < s.Fields.size(); ++i) {
        const TFieldInfo &f = s.Fields.at(i);
        if (i)
            Out += ',';
        appendQuoted(Out, f.Name.toUtf8().constData(), f.Name.toUtf8().size());
        Out += ':';
        const int type = sqlite3_column_type(st, i);
        if (type == SQLITE_NULL) {
            Out += "null";
            continue;
        }
        const bool number = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
        switch (f.Type) {
        case TFieldType::ftAutoInc:
        case TFieldType::ftChars:
        case TFieldType::ftInteger:
            if (type == SQLITE_INTEGER)
                appendNumber(Out, sqlite3_column_int64(st, i));
            else
                appendNumber(Out, Row.value(i).toLongLong());
            break;
        case TFieldType::ftBoolean:
            Out += (type == SQLITE_INTEGER ? sqlite3_column_int64(st, i) : Row.value(i).toLongLong()) != 0 ? "true" : "false";
            break;
        case TFieldType::ftDateTime:
        case TFieldType::ftTime: {
            const TDateTime t(number ? sqlite3_column_double(st, i) : Row.value(i).toDouble());
            if (f.Type == TFieldType::ftDateTime) {
                char buf[TDateTimeText::MaxLength];
                Out += '"';
                Out.append(buf, TDateTimeText::Write(buf, t, TDateTimeText::tfIso));
                Out += '"';
            } else {
                // Hours of a length of a day or more wrap, as the grid shows them.
                const int sec = t.secondsOfDay();
                char buf[12];
                const int n = std::snprintf(buf, sizeof buf, "\"%02d:%02d:%02d\"", sec / 3600, sec / 60 % 60, sec % 60);
                Out.append(buf, n);
            }
            break;
        }
        case TFieldType::ftString:
        case TFieldType::ftMemo:
            if (type == SQLITE_TEXT)
                appendQuoted(Out, reinterpret_cast<const char *>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i));
            else
                appendQuoted(Out, Row.value(i).toString());
            break;
        }
    }
    Out += '}';
}

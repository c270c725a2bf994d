#include "TJournalTextExport.h"
#include "common/Cp1251.h"
#include "TCallBook.h"
#include "TSqliteStatement.h"
#include "TViewQuery.h"
#include "common/TDateTimeText.h"
#include <sqlite3.h>
#include <QBuffer>
#include <QDate>
#include <QIODevice>
#include <cmath>

const QString TJournalTextExport::InTitle = QStringLiteral("Список входящих звонков, ");
const QString TJournalTextExport::OutTitle = QStringLiteral("Список исходящих звонков, ");
const QString TJournalTextExport::Heading = QStringLiteral("Номер \tВремя \t\tДлительность ");

namespace {

void appendText(QByteArray &out, double value, TDateTimeText::TForm form)
{
    char buf[TDateTimeText::MaxLength];
    out.append(buf, TDateTimeText::Write(buf, TDateTime(value), form));
}

// A column's UTF-8 text in Windows-1251; plain ASCII as it is.
void appendCp1251(QByteArray &out, sqlite3_stmt *st, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
    const int bytes = text ? sqlite3_column_bytes(st, column) : 0;
    for (int i = 0; i < bytes; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            out += TJournalTextExport::ToCp1251(QString::fromUtf8(text, bytes));
            return;
        }
    out.append(text, bytes);
}

}

QByteArray TJournalTextExport::ToCp1251(const QString &Text)
{
    QByteArray out(Text.size(), Qt::Uninitialized);
    char *p = out.data();
    for (QChar c : Text)
        *p++ = Cp1251::EncodeChar(c.unicode());
    return out;
}

bool TJournalTextExport::Write(const TCallBook &Book, QIODevice &Out, const TProgress &Progress, QString *Error)
{
    const bool incoming = Book.schema().TableName == QLatin1String("InCalls");
    const qint64 total = Book.recordCount();
    QByteArray chunk = ToCp1251((incoming ? InTitle : OutTitle) + QString::number(total)) + "\r\n"
                       + ToCp1251(Heading) + "\r\n";
    const auto flush = [&]() {
        if (Out.write(chunk) != chunk.size()) {
            if (Error)
                *Error = Out.errorString();
            return false;
        }
        chunk.clear();
        return true;
    };

    // The view's rows straight from the file in the view's order.
    QVariantList params;
    TSqliteStatement query(Book.connection(), TViewQuery::SelectSql(Book, {QStringLiteral("Phone"), QStringLiteral("Time"),
                                                                          QStringLiteral("Length")}, params));
    query.bindAll(params);
    sqlite3_stmt *st = query.handle();
    qint64 done = 0;
    while (query.step()) {
        appendCp1251(chunk, st, 0);
        chunk += '\t';
        appendText(chunk, sqlite3_column_double(st, 1), TDateTimeText::tfDateTime);
        chunk += '\t';
        appendText(chunk, sqlite3_column_double(st, 2), TDateTimeText::tfLongTime);
        chunk += "\r\n";
        if ((++done & 0xFFF) == 0) {
            if (chunk.size() > (1 << 20) && !flush())
                return false;
            if (Progress)
                Progress(done, total);
        }
    }
    if (Progress)
        Progress(done, total);
    return flush();
}

QByteArray TJournalTextExport::Text(const TCallBook &Book)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    Write(Book, buffer);
    return text;
}

#include "TJournalTextExport.h"
#include "common/Cp1251.h"
#include "TCallBook.h"
#include "TSqliteStatement.h"
#include <QBuffer>
#include <QDate>
#include <QIODevice>
#include <cmath>
#include <unordered_map>
#include <vector>

const QString TJournalTextExport::InTitle = QStringLiteral("Список входящих звонков, ");
const QString TJournalTextExport::OutTitle = QStringLiteral("Список исходящих звонков, ");
const QString TJournalTextExport::Heading = QStringLiteral("Номер \tВремя \t\tДлительность ");

namespace {

constexpr int Page = 500;
constexpr qint64 MsPerDay = 86400000;

void twoDigits(QByteArray &out, int v)
{
    out += char('0' + v / 10 % 10);
    out += char('0' + v % 10);
}

// The wall-clock text of a day count with its fraction, as the grid shows it:
// "dd.MM.yyyy H:mm:ss" (WithDate) or "H:mm:ss", the fraction rounded to the
// millisecond. Plain arithmetic: a million rows cannot afford a QDateTime each.
void appendDateTime(QByteArray &out, double value, bool WithDate)
{
    qint64 days = qint64(std::trunc(value));
    qint64 ms = std::llround(std::fabs(value - double(days)) * double(MsPerDay));
    if (ms >= MsPerDay) {
        ++days;
        ms -= MsPerDay;
    }
    if (WithDate) {
        const QDate d = QDate(1899, 12, 30).addDays(days);
        twoDigits(out, d.day());
        out += '.';
        twoDigits(out, d.month());
        out += '.';
        out += QByteArray::number(d.year());
        out += ' ';
    }
    const qint64 s = ms / 1000;
    out += QByteArray::number(s / 3600);
    out += ':';
    twoDigits(out, int(s / 60 % 60));
    out += ':';
    twoDigits(out, int(s % 60));
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

    // The view's keys a page at a time, their rows by one lookup per page.
    QStringList marks;
    for (int i = 0; i < Page; ++i)
        marks << QStringLiteral("?");
    const QString sql = QStringLiteral("SELECT \"Call_ID\", \"Phone\", \"Time\", \"Length\" FROM %1 WHERE \"Call_ID\" IN (%2)")
                            .arg(TTableSchema::quoted(Book.schema().TableName));
    TSqliteStatement full(Book.connection(), sql.arg(marks.join(QLatin1Char(','))));
    std::vector<qint64> keys;
    std::unordered_map<qint64, QByteArray> lines;
    lines.reserve(Page);
    for (qint64 first = 0; first < total; first += Page) {
        const int n = int(std::min<qint64>(Page, total - first));
        keys.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            keys[size_t(i)] = Book.keyAt(int(first + i));
        TSqliteStatement partial;
        TSqliteStatement *q = &full;
        if (n < Page) {
            partial = TSqliteStatement(Book.connection(), sql.arg(marks.mid(0, n).join(QLatin1Char(','))));
            q = &partial;
        }
        q->reset();
        for (int i = 0; i < n; ++i)
            q->bindInt64(i + 1, keys[size_t(i)]);
        lines.clear();
        while (q->step()) {
            QByteArray line = ToCp1251(q->value(1).toString());
            line += '\t';
            appendDateTime(line, q->value(2).toDouble(), true);
            line += '\t';
            appendDateTime(line, q->value(3).toDouble(), false);
            lines.emplace(q->int64(0), std::move(line));
        }
        q->reset();
        for (qint64 k : keys) {
            auto it = lines.find(k);
            if (it == lines.end())
                continue;
            chunk += it->second;
            chunk += "\r\n";
        }
        if (chunk.size() > (1 << 20) && !flush())
            return false;
        if (Progress)
            Progress(first + n, total);
    }
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

// journal list|export|add|delete|clear and book find-phone: the three tables for
// scripts and administrators.
#include "CliCommand.h"
#include "common/BaseFolder.h"
#include "CliImport.h"
#include "CliStream.h"
#include "common/JsonLine.h"
#include "common/SignalQuit.h"
#include <QCoreApplication>
#include "config/TSettingsStore.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TJournalTextExport.h"
#include "records/TOutgoingCallBook.h"
#include "records/TSqliteStatement.h"
#include "records/TTableError.h"
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
struct Tables {
    std::unique_ptr<TRecordTable> table;
    TAddressBook *book = nullptr;
    TIncomingCallBook *in = nullptr;
    TOutgoingCallBook *out = nullptr;
};

QString storedText(const QString &key, const QString &name, const QString &def)
{
    const auto store = TSettingsStore::Open();
    if (!store || !store->ValueExists(key, name))
        return def;
    const TSettingsStore::TValue v = store->Read(key, name);
    return v.Type == TSettingsStore::vtString ? v.Text : def;
}

int storedRegionalNumberLength()
{
    const auto store = TSettingsStore::Open();
    qint32 n = 7;
    if (store && store->ValueExists(QStringLiteral("Config"), QStringLiteral("RegionalNumberLength")))
        TSettingsStore::ToInteger(store->Read(QStringLiteral("Config"), QStringLiteral("RegionalNumberLength")), n);
    return n;
}

// Opens the table a word names ("in", "out", "book") with its stored order.
bool openTable(const QString &which, Tables &t)
{
    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    QString sort;
    if (which == QLatin1String("in")) {
        t.in = new TIncomingCallBook(data + QStringLiteral("InCalls"));
        t.table.reset(t.in);
        sort = storedText(QStringLiteral("Data"), QStringLiteral("IncomingSort"), QStringLiteral("Time"));
    } else if (which == QLatin1String("out")) {
        t.out = new TOutgoingCallBook(data + QStringLiteral("OutCalls"));
        t.table.reset(t.out);
        sort = storedText(QStringLiteral("Data"), QStringLiteral("OutgoingSort"), QStringLiteral("Time"));
    } else if (which == QLatin1String("book")) {
        t.book = new TAddressBook(data + QStringLiteral("AddressBook"));
        t.book->setRegionalNumberLength(storedRegionalNumberLength());
        t.table.reset(t.book);
        sort = storedText(QStringLiteral("Data"), QStringLiteral("AddressSort"), QStringLiteral("Name"));
    } else {
        cliErr(QStringLiteral("expected in, out or book, not: ") + which);
        return false;
    }
    if (!t.table->openMessage().isEmpty())
        cliErr(t.table->openMessage().replace(QStringLiteral("\n\r"), QStringLiteral("\n")));
    t.table->SortBy(sort);
    return true;
}

QString lengthText(const QVariant &v)
{
    const int s = TDateTime(v.toDouble()).secondsOfDay();
    return QStringLiteral("%1:%2:%3").arg(s / 3600, 2, 10, QLatin1Char('0')).arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

// A value as list and export write it; null stays null.
QJsonValue jsonValue(const TFieldInfo &f, const QVariant &v)
{
    if (v.isNull())
        return QJsonValue(QJsonValue::Null);
    switch (f.Type) {
    case TFieldType::ftAutoInc:
    case TFieldType::ftChars:
    case TFieldType::ftInteger:
        return QJsonValue(v.toLongLong());
    case TFieldType::ftBoolean:
        return QJsonValue(v.toLongLong() != 0);
    case TFieldType::ftDateTime:
        return QJsonValue(TDateTime(v.toDouble()).toIsoString());
    case TFieldType::ftTime:
        return QJsonValue(lengthText(v));
    case TFieldType::ftString:
    case TFieldType::ftMemo:
        break;
    }
    return QJsonValue(v.toString());
}

QString rowJson(const TTableSchema &s, const QVariantList &row)
{
    JsonLine line;
    for (int i = 0; i < s.Fields.size() && i < row.size(); ++i)
        line.add(s.Fields.at(i).Name, jsonValue(s.Fields.at(i), row.at(i)));
    return line.toString();
}

QString csvField(const QJsonValue &v)
{
    QString text;
    if (v.isBool())
        text = v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    else if (v.isDouble())
        text = QString::number(qint64(v.toDouble()));
    else if (!v.isNull())
        text = v.toString();
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

bool applyViewOptions(const CliArgs &a, TRecordTable &t)
{
    if (a.options.contains(QStringLiteral("sort"))) {
        const QString sort = a.option(QStringLiteral("sort"));
        if (t.schema().fieldIndex(sort) < 0) {
            cliErr(QStringLiteral("no such field: ") + sort);
            return false;
        }
        t.SortBy(sort);   // names the table does not sort on keep the order
    }
    if (a.options.contains(QStringLiteral("filter"))) {
        try {
            t.setFilter(a.option(QStringLiteral("filter")));
            t.setFiltered(true);
        } catch (const TFilterError &e) {
            cliErr(e.message());
            return false;
        }
    }
    return true;
}

// Calls fn for every row of the view in its order, a page of keys at a time.
template <typename Fn>
bool eachRow(TRecordTable &t, qint64 limit, Fn fn)
{
    const qint64 total = limit >= 0 ? std::min<qint64>(limit, t.recordCount()) : t.recordCount();
    constexpr int Page = 256;
    std::vector<qint64> keys(Page);
    for (qint64 first = 0; first < total; first += Page) {
        const int n = int(std::min<qint64>(Page, total - first));
        for (int i = 0; i < n; ++i)
            keys[size_t(i)] = t.keyAt(int(first + i));
        for (const QVariantList &row : t.rowsByKeys(keys.data(), n))
            if (!row.isEmpty() && !fn(row))
                return false;
    }
    return true;
}

// The view's rows as JSON lines, each written as it is read. Every 2^18 rows the
// count goes to standard error.
bool streamRows(TRecordTable &t, qint64 limit, FILE *to)
{
    QVariantList params;
    TSqliteStatement st(t.connection(), CliStream::viewSql(t, params, limit));
    st.bindAll(params);
    CliStream out(to);
    qint64 n = 0;
    while (st.step()) {
        CliStream::appendRow(out.line(), t, st);
        if (!out.endLine())
            return false;
        if ((++n & 0x3FFFF) == 0)
            cliErr(QStringLiteral("%1 rows").arg(n));
        // SIGTERM or SIGINT ends a long listing after the rows written so far.
        if ((n & 0xFFF) == 0 && (QCoreApplication::processEvents(), SignalQuit::received()))
            return out.flush() && false;
    }
    return out.flush();
}

int listRows(const CliArgs &a, TRecordTable &t)
{
    qint64 limit = -1;
    if (a.options.contains(QStringLiteral("limit"))) {
        bool ok = false;
        limit = a.option(QStringLiteral("limit")).toLongLong(&ok);
        if (!ok || limit < 0) {
            cliErr(QStringLiteral("--limit needs a whole number of rows"));
            return CliUsage;
        }
    }
    if (!streamRows(t, limit, stdout)) {
        cliErr(SignalQuit::received() ? QStringLiteral("stopped") : QStringLiteral("cannot write the output"));
        return CliNotFound;
    }
    return CliOk;
}

int exportRows(const CliArgs &a, TRecordTable &t)
{
    const QString format = a.option(QStringLiteral("format"));
    if (format != QLatin1String("csv") && format != QLatin1String("json") && format != QLatin1String("text")) {
        cliErr(QStringLiteral("--format csv, --format json or --format text"));
        return CliUsage;
    }
    auto *calls = dynamic_cast<TCallBook *>(&t);
    if (format == QLatin1String("text") && !calls) {
        cliErr(QStringLiteral("--format text exports the journals in and out"));
        return CliUsage;
    }
    QFile file;
    if (a.options.contains(QStringLiteral("output"))) {
        file.setFileName(a.option(QStringLiteral("output")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            cliErr(QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
            return CliUsage;
        }
    } else if (!file.open(stdout, QIODevice::WriteOnly)) {
        return CliUsage;
    }
    const TTableSchema &s = t.schema();
    bool ok = true;
    if (format == QLatin1String("csv")) {
        // A byte-order mark so that spreadsheet programs read the Cyrillic; CRLF rows.
        ok = file.write("\xEF\xBB\xBF") == 3 && file.write(s.fieldNames().join(QLatin1Char(',')).toUtf8() + "\r\n") > 0;
        ok = ok && eachRow(t, -1, [&](const QVariantList &row) {
            QStringList cells;
            for (int i = 0; i < s.Fields.size(); ++i)
                cells << csvField(jsonValue(s.Fields.at(i), row.value(i)));
            return file.write(cells.join(QLatin1Char(',')).toUtf8() + "\r\n") > 0;
        });
    } else if (format == QLatin1String("text")) {
        // The program's own export: Windows-1251, tab-separated, CR LF.
        int shown = -1;
        ok = TJournalTextExport::Write(*calls, file, [&](qint64 done, qint64 total) {
            const int percent = total > 0 ? int(done * 100 / total) : 100;
            if (percent / 10 != shown / 10) {
                shown = percent;
                cliErr(QStringLiteral("export: %1%").arg(percent));
            }
        });
    } else {
        file.close();
        FILE *to = a.options.contains(QStringLiteral("output"))
                       ? std::fopen(QFile::encodeName(a.option(QStringLiteral("output"))).constData(), "wb")
                       : stdout;
        ok = to && streamRows(t, -1, to);
        if (to && to != stdout)
            ok = std::fclose(to) == 0 && ok;
        if (!ok) {
            cliErr(QStringLiteral("cannot write %1").arg(a.option(QStringLiteral("output"), QStringLiteral("the output"))));
            return CliNotFound;
        }
        return CliOk;
    }
    ok = file.flush() && ok;
    if (!ok) {
        cliErr(QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
        return CliNotFound;
    }
    return CliOk;
}

// Reads a value written as list prints it; false when it has the wrong type.
bool readJsonValue(const TFieldInfo &f, const QJsonValue &v, QVariant &out)
{
    if (v.isNull() || v.isUndefined()) {
        out = QVariant();
        return true;
    }
    switch (f.Type) {
    case TFieldType::ftAutoInc:
    case TFieldType::ftChars:
    case TFieldType::ftInteger: {
        if (v.isDouble() && v.toDouble() == double(qint64(v.toDouble()))) {
            out = qint64(v.toDouble());
            return true;
        }
        bool ok = false;
        const qint64 n = v.toString().toLongLong(&ok);
        out = n;
        return v.isString() && ok;
    }
    case TFieldType::ftBoolean:
        if (!v.isBool())
            return false;
        out = v.toBool();
        return true;
    case TFieldType::ftDateTime: {
        QDateTime dt = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
        if (!v.isString() || !dt.isValid())
            return false;
        out = TDateTime::fromQDateTime(dt).value();
        return true;
    }
    case TFieldType::ftTime: {
        QTime t = QTime::fromString(v.toString(), QStringLiteral("HH:mm:ss"));
        if (!t.isValid())
            t = QTime::fromString(v.toString(), QStringLiteral("H:mm:ss"));
        if (!v.isString() || !t.isValid())
            return false;
        out = TDateTime::fromTime(t).value();
        return true;
    }
    case TFieldType::ftString:
    case TFieldType::ftMemo:
        if (!v.isString())
            return false;
        out = v.toString();
        return true;
    }
    return false;
}

int addRow(const QString &json, Tables &t)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8(), &err);
    if (!doc.isObject()) {
        cliErr(QStringLiteral("not a JSON object: ") + err.errorString());
        return CliUsage;
    }
    const TTableSchema &s = t.table->schema();
    const QJsonObject o = doc.object();
    QVariantList v(s.Fields.size());
    for (auto it = o.begin(); it != o.end(); ++it) {
        const int i = s.fieldIndex(it.key());
        if (i < 0) {
            cliErr(QStringLiteral("no such field: ") + it.key());
            return CliUsage;
        }
        if (!readJsonValue(s.Fields.at(i), it.value(), v[i])) {
            cliErr(QStringLiteral("wrong value for %1").arg(it.key()));
            return CliUsage;
        }
    }
    auto text = [&](const char *name) { return v.at(s.fieldIndex(QLatin1String(name))).toString(); };
    auto number = [&](const char *name, qint64 def) {
        const QVariant x = v.at(s.fieldIndex(QLatin1String(name)));
        return x.isNull() ? def : x.toLongLong();
    };
    auto date = [&](const char *name) { return TDateTime(v.at(s.fieldIndex(QLatin1String(name))).toDouble()); };
    auto flag = [&](const char *name) { return v.at(s.fieldIndex(QLatin1String(name))).toBool(); };
    qint64 key = 0;
    if (t.book) {
        const qint64 attributes = number("Attributes", 0);
        if (attributes < 0 || attributes > 255) {
            cliErr(QStringLiteral("wrong value for Attributes"));
            return CliUsage;
        }
        key = t.book->AddPerson(text("Phone"), text("Name"), uint8_t(attributes), text("Address"), text("Notes"),
                                text("SoundFile"), int(number("Volume", -1)), flag("Creschendo"));
    } else if (t.in) {
        TInCall c;
        c.Phone = text("Phone");
        const qint64 category = number("Category", 0);
        if (category < 0 || category > 255) {
            cliErr(QStringLiteral("wrong value for Category"));
            return CliUsage;
        }
        c.Category = uint8_t(category);
        c.Time = date("Time");
        c.Length = date("Length");
        c.AutoAnswer = flag("AutoAnswer");
        c.FileName = text("FileName");
        c.MessageFileName = text("MessageFileName");
        QString *fields[] = {&c.Field_1, &c.Field_2, &c.Field_3, &c.Field_4, &c.Field_5, &c.Field_6, &c.Field_7};
        for (int i = 0; i < 7; ++i)
            *fields[i] = text(qPrintable(QStringLiteral("Field_%1").arg(i + 1)));
        c.Field_8 = date("Field_8");
        key = t.in->AddCall(c);
    } else {
        TOutCall c;
        c.Phone = text("Phone");
        const qint64 attributes = number("Attributes", 0);
        if (attributes < 0 || attributes > 255) {
            cliErr(QStringLiteral("wrong value for Attributes"));
            return CliUsage;
        }
        c.Attributes = uint8_t(attributes);
        c.Time = date("Time");
        c.Length = date("Length");
        c.FileName = text("FileName");
        QString *fields[] = {&c.Field_1, &c.Field_2, &c.Field_3, &c.Field_4, &c.Field_5, &c.Field_6, &c.Field_7};
        for (int i = 0; i < 7; ++i)
            *fields[i] = text(qPrintable(QStringLiteral("Field_%1").arg(i + 1)));
        c.Field_8 = date("Field_8");
        key = t.out->AddCall(c);
    }
    cliOut(QString::number(key));
    return CliOk;
}

int journal(const CliArgs &a)
{
    const QString action = a.words.value(1);
    static const QStringList actions{QStringLiteral("list"), QStringLiteral("export"), QStringLiteral("add"),
                                     QStringLiteral("delete"), QStringLiteral("clear")};
    if (!actions.contains(action) || a.words.size() < 3) {
        cliErr(QStringLiteral("usage: journal list|export|add|delete|clear in|out|book ..."));
        return CliUsage;
    }
    Tables t;
    try {
        if (!openTable(a.words.at(2), t))
            return CliUsage;
        if (action == QLatin1String("list") || action == QLatin1String("export")) {
            if (!applyViewOptions(a, *t.table))
                return CliUsage;
            return action == QLatin1String("list") ? listRows(a, *t.table) : exportRows(a, *t.table);
        }
        if (action == QLatin1String("add")) {
            if (a.words.size() != 4) {
                cliErr(QStringLiteral("usage: journal add in|out|book JSON"));
                return CliUsage;
            }
            return addRow(a.words.at(3), t);
        }
        if (action == QLatin1String("delete")) {
            bool ok = false;
            const qint64 key = a.words.value(3).toLongLong(&ok);
            if (a.words.size() != 4 || !ok) {
                cliErr(QStringLiteral("usage: journal delete in|out|book KEY [--files]"));
                return CliUsage;
            }
            t.table->SortBy(t.table->schema().keyName());
            if (!t.table->locate(key)) {
                cliErr(QStringLiteral("no row with key %1").arg(key));
                return CliNotFound;
            }
            if (t.book)
                t.book->DeleteCurrent();
            else
                static_cast<TCallBook *>(t.table.get())->DeleteCurrent(a.flags.contains(QStringLiteral("files")));
            return CliOk;
        }
        // clear
        if (a.options.contains(QStringLiteral("filter")) && !applyViewOptions(a, *t.table))
            return CliUsage;
        const int deleted = t.book ? t.table->clear() : static_cast<TCallBook *>(t.table.get())->ClearCalls();
        cliOut(JsonLine().add(QStringLiteral("deleted"), deleted).toString());
        return CliOk;
    } catch (const TTableError &e) {
        cliErr(e.message());
        return CliNotFound;
    }
}

int book(const CliArgs &a)
{
    if (a.words.value(1) == QLatin1String("import"))
        return cliBookImport(a);
    if (a.words.value(1) != QLatin1String("find-phone") || a.words.size() > 3) {
        cliErr(QStringLiteral("usage: book find-phone NUMBER | book import FILE"));
        return CliUsage;
    }
    Tables t;
    try {
        openTable(QStringLiteral("book"), t);
        if (!t.book->FindPhone(a.words.value(2)))
            return CliNotFound;
        cliOut(rowJson(t.book->schema(), t.book->currentRow()));
        return CliOk;
    } catch (const TTableError &e) {
        cliErr(e.message());
        return CliNotFound;
    }
}

const CliRegistration journalCommand({QStringLiteral("journal"),
                                      QStringLiteral("journal list|export|add|delete|clear in|out|book [--filter EXPR] "
                                                     "[--sort FIELD] [--limit N] [--format csv|json|text] [--output FILE] "
                                                     "[JSON|KEY [--files]]"),
                                      {QStringLiteral("filter"), QStringLiteral("sort"), QStringLiteral("limit"),
                                       QStringLiteral("format"), QStringLiteral("output")},
                                      {QStringLiteral("files")},
                                      journal});
const CliRegistration bookCommand({QStringLiteral("book"), QStringLiteral("book find-phone NUMBER | book import FILE"),
                                   {}, {}, book});
}

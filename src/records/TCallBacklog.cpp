#include "TCallBacklog.h"
#include "TCallBook.h"
#include "TTableError.h"
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

TCallBacklog::TCallBacklog(TCallBook &Book)
    : FBook(Book), FFileName(Book.fileName() + QStringLiteral(".pending"))
{
    load();
}

qint64 TCallBacklog::Add(const QVariantList &Values, QString *Error)
{
    FRows << Values;
    qint64 key = 0;
    Flush(Error, &key);
    return FRows.isEmpty() ? key : 0;
}

int TCallBacklog::Flush(QString *Error, qint64 *LastKey)
{
    int written = 0;
    while (!FRows.isEmpty()) {
        try {
            const qint64 key = FBook.AddValues(FRows.first());
            if (LastKey)
                *LastKey = key;
        } catch (const TTableError &e) {
            if (Error)
                *Error = e.message();
            break;
        }
        FRows.removeFirst();
        ++written;
    }
    if (written > 0 || !FRows.isEmpty())
        save();
    return written;
}

void TCallBacklog::save()
{
    if (FRows.isEmpty()) {
        QFile::remove(FFileName);
        return;
    }
    QJsonArray rows;
    for (const QVariantList &r : FRows)
        rows.append(QJsonArray::fromVariantList(r));
    QJsonObject doc;
    doc.insert(QStringLiteral("table"), FBook.schema().TableName);
    doc.insert(QStringLiteral("rows"), rows);
    // Best effort: on a full disk the rows still wait in memory.
    QSaveFile f(FFileName);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QJsonDocument(doc).toJson(QJsonDocument::Compact));
        f.commit();
    }
}

void TCallBacklog::load()
{
    QFile f(FFileName);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray text = f.read(16 << 20);
    f.close();
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    const QJsonObject o = doc.object();
    const int width = int(FBook.schema().Fields.size()) - 1;
    bool whole = err.error == QJsonParseError::NoError && doc.isObject()
        && o.value(QStringLiteral("table")).toString() == FBook.schema().TableName
        && o.value(QStringLiteral("rows")).isArray();
    if (whole) {
        for (const QJsonValue &v : o.value(QStringLiteral("rows")).toArray()) {
            const QJsonArray a = v.toArray();
            // Rows kept before fields were added lack them at their end: 0 there.
            const int missing = int(width - a.size());
            bool ok = v.isArray() && missing >= 0 && missing <= FBook.schema().AddedLater.size();
            for (const QJsonValue &cell : a)
                ok = ok && (cell.isNull() || cell.isString() || cell.isDouble() || cell.isBool());
            if (ok) {
                QVariantList row = a.toVariantList();
                for (int i = 0; i < missing; ++i)
                    row << QVariant(qint64(0));
                FRows << row;
            }
            else
                whole = false;
        }
    }
    if (!whole) {
        // Kept for a person to look at; the rows that could be read still go in.
        const QString bad = FFileName + QStringLiteral(".bad-")
                            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QFile::copy(FFileName, bad);
        FLoadMessage = QStringLiteral("Файл %1 прочитан не полностью и сохранён как %2").arg(FFileName, bad);
        save();
    }
}

#include "TCallBacklog.h"
#include "TCallBook.h"
#include "TTableError.h"
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <QUuid>

namespace {

// Rows a journal transaction takes at most while the backlog is written.
constexpr int Batch = 200;
// Cuts tried when an old whole-file backlog ends torn.
constexpr int MaxCuts = 64;

const QString TableKey = QStringLiteral("table");
const QString KeyKey = QStringLiteral("key");
const QString RowKey = QStringLiteral("row");
const QString RowsKey = QStringLiteral("rows");

} // namespace

TCallBacklog::TCallBacklog(TCallBook &Book)
    : FBook(Book), FFileName(Book.fileName() + QStringLiteral(".pending"))
{
    load();
}

QString TCallBacklog::newKey() const
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

qint64 TCallBacklog::Add(const QVariantList &Values, QString *Error, QString *Key)
{
    if (FRows.isEmpty()) {
        // Nothing waits: the row goes in as any other, without a key.
        try {
            const qint64 id = FBook.AddValues(Values);
            if (!FSaved)
                save();   // a file that could not be removed before
            return id;
        } catch (const TTableError &e) {
            if (Error)
                *Error = e.message();
        }
        FRows << TRow{newKey(), Values};
        if (Key)
            *Key = FRows.last().Key;
        FSaved = false;
        save();
        return 0;
    }
    const QString key = newKey();
    FRows << TRow{key, Values};
    FSaved = false;
    Flush(Error);
    if (Key)
        *Key = key;
    return FWritten.value(key);
}

int TCallBacklog::Flush(QString *Error, qint64 *LastKey)
{
    int written = 0;
    bool changed = false;
    while (!FRows.isEmpty()) {
        QList<QPair<QString, QVariantList>> batch;
        for (int i = 0; i < FRows.size() && i < Batch; ++i)
            batch << qMakePair(FRows.at(i).Key, FRows.at(i).Values);
        QList<qint64> ids;
        try {
            ids = FBook.AddKeyedValues(batch);
        } catch (const TTableError &e) {
            if (Error)
                *Error = e.message();
            break;
        }
        for (const qint64 id : std::as_const(ids)) {
            const QString key = FRows.first().Key;
            if (id > 0) {
                ++written;
                FWritten.insert(key, id);
                if (LastKey)
                    *LastKey = id;
            }
            FForget << key;
            FRows.removeFirst();
        }
        changed = true;
    }
    if (changed || !FSaved)
        save();
    return written;
}

bool TCallBacklog::SetFields(const QString &Key, const QString &Phone, const QList<TFieldEntry> &Entries,
                             TDateTime Reminder)
{
    for (TRow &row : FRows) {
        if (row.Key != Key)
            continue;
        const TTableSchema &s = FBook.schema();
        // Values start after the key: field index - 1.
        const int field1 = s.fieldIndex(QStringLiteral("Field_1")) - 1;
        const int field8 = s.fieldIndex(QStringLiteral("Field_8")) - 1;
        const int phone = s.fieldIndex(QStringLiteral("Phone")) - 1;
        bool any = false;
        for (int i = 0; i < Entries.size() && i < 7; ++i) {
            const TFieldEntry &e = Entries.at(i);
            if (e.Tag < 1 || e.Tag > 7 || field1 + e.Tag - 1 >= row.Values.size())
                continue;
            row.Values[field1 + e.Tag - 1] = e.Text.isEmpty() ? QVariant() : QVariant(e.Text);
            any = true;
        }
        if (any && field8 >= 0 && field8 < row.Values.size())
            row.Values[field8] = Reminder.isZero() ? QVariant() : QVariant(Reminder.value());
        if (!Phone.isEmpty() && phone >= 0 && phone < row.Values.size())
            row.Values[phone] = Phone;
        FSaved = false;
        save();
        return true;
    }
    return false;
}

void TCallBacklog::save()
{
    if (FRows.isEmpty()) {
        QFile f(FFileName);
        if (f.exists() && !f.remove()) {
            FSaved = false;
            FSaveError = f.errorString();
            return;
        }
    } else {
        QByteArray text;
        for (const TRow &r : std::as_const(FRows)) {
            QJsonObject line;
            line.insert(TableKey, FBook.schema().TableName);
            line.insert(KeyKey, r.Key);
            line.insert(RowKey, QJsonArray::fromVariantList(r.Values));
            text += QJsonDocument(line).toJson(QJsonDocument::Compact);
            text += '\n';
        }
        QSaveFile f(FFileName);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit()) {
            FSaved = false;
            FSaveError = f.errorString();
            return;
        }
    }
    FSaved = true;
    FSaveError.clear();
    // The file no longer offers these rows: the journal may drop their keys.
    try {
        FBook.ForgetKeys(FForget);
        FForget.clear();
    } catch (const TTableError &) {
    }
}

bool TCallBacklog::takeRow(const QJsonArray &Cells, const QString &Key)
{
    const int width = int(FBook.schema().Fields.size()) - 1;
    // Rows kept before fields were added lack them at their end: 0 there.
    const int missing = int(width - Cells.size());
    if (missing < 0 || missing > FBook.schema().AddedLater.size())
        return false;
    for (const QJsonValue &cell : Cells)
        if (!(cell.isNull() || cell.isString() || cell.isDouble() || cell.isBool()))
            return false;
    QVariantList row = Cells.toVariantList();
    for (int i = 0; i < missing; ++i)
        row << QVariant(qint64(0));
    if (FLoadedKeys.contains(Key))
        return true;   // the same row twice in the file
    FLoadedKeys.insert(Key);
    FRows << TRow{Key, row};
    return true;
}

bool TCallBacklog::readOldFormat(const QByteArray &Text)
{
    // One JSON object {"table": ..., "rows": [[...], ...]} written whole by
    // earlier versions. Its rows get keys made from their place and contents,
    // the same in every run until the file is rewritten.
    const auto takeAll = [this](const QJsonArray &rows) {
        bool whole = true;
        int index = 0;
        for (const QJsonValue &v : rows) {
            const QByteArray cells = QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact);
            const QString key = QStringLiteral("old-%1-").arg(index++)
                                + QString::fromLatin1(QCryptographicHash::hash(cells, QCryptographicHash::Sha1).toHex());
            whole = v.isArray() && takeRow(v.toArray(), key) && whole;
        }
        return whole;
    };
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(Text, &err);
    if (err.error == QJsonParseError::NoError) {
        const QJsonObject o = doc.object();
        if (!doc.isObject() || o.value(TableKey).toString() != FBook.schema().TableName
            || !o.value(RowsKey).isArray())
            return false;
        return takeAll(o.value(RowsKey).toArray());
    }
    // Torn: the rows before the tear are whole. Cut after the last row that
    // closes and close the list and the object.
    const int rowsAt = int(Text.indexOf("\"rows\""));
    int at = int(Text.size());
    for (int tries = 0; tries < MaxCuts && rowsAt >= 0; ++tries) {
        at = int(Text.lastIndexOf(']', at - 1));
        if (at <= rowsAt)
            break;
        const QJsonDocument cut = QJsonDocument::fromJson(Text.left(at + 1) + "]}", &err);
        if (err.error == QJsonParseError::NoError && cut.object().value(RowsKey).isArray()) {
            takeAll(cut.object().value(RowsKey).toArray());
            break;
        }
    }
    return false;
}

void TCallBacklog::load()
{
    QFile f(FFileName);
    if (!f.exists())
        return;
    if (!f.open(QIODevice::ReadOnly)) {
        FLoadMessage = QStringLiteral("Файл отложенных звонков %1 не удалось прочитать: %2")
                           .arg(QDir::toNativeSeparators(FFileName), f.errorString());
        return;
    }
    bool whole = true;
    bool rewrite = false;
    if (f.peek(64).contains("\"rows\"")) {
        whole = readOldFormat(f.readAll());
        rewrite = true;   // the rows go to the file under their keys
    } else {
        while (!f.atEnd()) {
            QByteArray line = f.readLine(MaxLine);
            if (!line.endsWith('\n') && !f.atEnd()) {
                // Past the longest row there is: skip to the next line.
                whole = false;
                while (!f.atEnd() && !f.readLine(MaxLine).endsWith('\n')) {
                }
                continue;
            }
            line = line.trimmed();
            if (line.isEmpty())
                continue;
            QJsonParseError err;
            const QJsonObject o = QJsonDocument::fromJson(line, &err).object();
            const QString key = o.value(KeyKey).toString();
            const bool ok = err.error == QJsonParseError::NoError
                && o.value(TableKey).toString() == FBook.schema().TableName && !key.isEmpty()
                && o.value(RowKey).isArray() && takeRow(o.value(RowKey).toArray(), key);
            whole = whole && ok;
        }
    }
    f.close();
    FLoadedKeys.clear();
    if (!whole) {
        FRecovered = Count();
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString bad = FFileName + QStringLiteral(".bad-") + stamp;
        for (int n = 1; QFile::exists(bad); ++n)
            bad = FFileName + QStringLiteral(".bad-") + stamp + QStringLiteral("-%1").arg(n);
        QFile damaged(FFileName);
        FLoadMessage = QStringLiteral("Файл отложенных звонков %1 повреждён. Восстановлено звонков: %2.")
                           .arg(QDir::toNativeSeparators(FFileName))
                           .arg(FRecovered);
        if (damaged.copy(bad)) {
            FDamagedCopy = bad;
            FLoadMessage += QStringLiteral(" Повреждённый файл сохранён как %1.").arg(QDir::toNativeSeparators(bad));
        } else {
            FLoadMessage += QStringLiteral(" Копию повреждённого файла сохранить не удалось (%1).")
                                .arg(damaged.errorString());
        }
        rewrite = true;
    }
    if (rewrite) {
        FSaved = false;
        save();
    }
}

#include "TRecordTable.h"
#include "TTableError.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

TRecordTable::TRecordTable(const TTableSchema &schema, const QString &basePath, QObject *owner)
    : QObject(owner), FSchema(schema), FBasePath(basePath)
{
}

TRecordTable::~TRecordTable()
{
    FByKey.reset();
    FCompare.reset();
    FDb.close();
}

// ---- opening -------------------------------------------------------------------

void TRecordTable::createFile(TSqliteDatabase &db, const TTableSchema &schema)
{
    TSqliteDatabase::Transaction tr(db);
    db.exec(schema.createSql());
    for (const QString &sql : schema.indexSql())
        db.exec(sql);
    tr.commit();
}

QString TRecordTable::freeBackupName(const QString &file)
{
    const QString stem = file + QStringLiteral(".bad-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stem;
    for (int n = 1; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-wal")); ++n)
        name = stem + QLatin1Char('-') + QString::number(n);
    return name;
}

namespace {

// Errors that say the file is out of reach (locked by another program, not
// readable or writable, a folder in its place, the disk full), not that its
// content is bad: such a file is left alone and the table does not open.
bool outOfReach(int code)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_NOMEM:
    case SQLITE_FULL:
    case SQLITE_AUTH:
        return true;
    default:
        return false;
    }
}

TTableError openFailure(const QString &file, const TTableError &e)
{
    return TTableError(QStringLiteral("Не удалось открыть файл ") + QDir::toNativeSeparators(file)
                           + QStringLiteral("\n\r") + e.message(),
                       e.code());
}

}

void TRecordTable::configureConnection()
{
    TFilterExpression::registerFunctions(FDb.handle());
    // WAL with synchronous FULL: the log is synced to disk at every commit, so a
    // call that was written survives a crash and a power cut alike.
    TSqliteStatement wal = FDb.prepare(QStringLiteral("PRAGMA journal_mode=WAL"));
    if (!wal.step() || wal.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        throw TTableError(QStringLiteral("journal mode"));
    FDb.exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

bool TRecordTable::validLayout()
{
    TSqliteStatement info = FDb.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(TTableSchema::quoted(FSchema.TableName)));
    QStringList columns;
    while (info.step())
        columns << info.value(1).toString();
    info = TSqliteStatement();
    for (const QString &hidden : FSchema.Hidden)
        columns.removeAll(hidden);
    const QStringList names = FSchema.fieldNames();
    if (columns == names)
        return true;
    // A file written before the fields added later: it lacks some of them at
    // its end and gets them in one transaction, every row kept.
    const qsizetype have = columns.size();
    if (have == 0 || have >= names.size() || columns != names.mid(0, have))
        return false;
    for (qsizetype i = have; i < names.size(); ++i)
        if (!FSchema.AddedLater.contains(names.at(i)))
            return false;
    TSqliteDatabase::Transaction tr(FDb);
    for (qsizetype i = have; i < names.size(); ++i)
        FDb.exec(FSchema.addColumnSql(names.at(i)));
    tr.commit();
    return true;
}

void TRecordTable::appendOpenMessage(const QString &text)
{
    if (!FOpenMessage.isEmpty())
        FOpenMessage += QStringLiteral("\n\r");
    FOpenMessage += text;
}

void TRecordTable::openTable(const TOpenTexts &texts)
{
    const QString file = fileName();
    QDir().mkpath(QFileInfo(file).absolutePath());
    bool opened = false;
    if (QFileInfo::exists(file)) {
        try {
            FDb.open(file, false);
            configureConnection();
            if (!validLayout())
                throw TTableError(QStringLiteral("layout"));
            // Files made before an index was added get it now.
            for (const QString &sql : FSchema.indexSql())
                FDb.exec(sql);
            opened = true;
        } catch (const TTableError &e) {
            FDb.close();
            if (outOfReach(e.code()))
                throw openFailure(file, e);
            // Keep the unreadable file (and its log) instead of overwriting it.
            const QString backup = freeBackupName(file);
            bool kept = QFile::rename(file, backup);
            if (kept && QFileInfo::exists(file + QStringLiteral("-wal")))
                kept = QFile::rename(file + QStringLiteral("-wal"), backup + QStringLiteral("-wal"));
            QFile::remove(file + QStringLiteral("-shm"));
            if (!kept)
                throw TTableError(texts.Invalid + FBasePath + QStringLiteral("\n\r")
                                  + QStringLiteral("Файл не удалось сохранить как ") + backup);
            FBackupFileName = backup;
            appendOpenMessage(texts.Invalid + FBasePath + QStringLiteral("\n\r") + texts.Recreate
                              + QStringLiteral("\n\r") + QStringLiteral("Прежний файл сохранён как ")
                              + QDir::toNativeSeparators(backup));
        }
    }
    if (!opened) {
        try {
            FDb.open(file, true);
            configureConnection();
            createFile(FDb, FSchema);
        } catch (const TTableError &e) {
            FDb.close();
            throw openFailure(file, e);
        }
    }
    reloadKeys();
    moveTo(0, false);
}

// ---- order and filter ------------------------------------------------------------

bool TRecordTable::isSortableField(const QString &fieldName) const
{
    return FSchema.fieldIndex(fieldName) >= 0 && !FSchema.NotSorted.contains(fieldName);
}

bool TRecordTable::SortBy(const QString &fieldName)
{
    if (FSchema.NotSorted.contains(fieldName))
        return false;
    if (!fieldName.isEmpty() && FSchema.fieldIndex(fieldName) < 0)
        return false;
    QString field = fieldName;
    if (field == FSchema.keyName())
        field.clear();   // the key order is the stored order
    if (!field.isEmpty() && !FSchema.Indexed.contains(field))
        FDb.exec(TTableSchema::indexSql(FSchema.TableName, field));
    FSortField = field;
    FDescending = FSchema.Descending.contains(field);
    FCompare.reset();
    reloadKeys();
    const int pos = positionOf(FCurrentKey);
    moveTo(pos >= 0 ? pos : 0, false);
    notifyChanged();
    return true;
}

void TRecordTable::setFilter(const QString &text)
{
    FFilter = TFilterExpression::parse(text, FSchema.Fields);
    FFilterText = text;
    if (FFiltered) {
        reloadKeys();
        const int pos = positionOf(FCurrentKey);
        moveTo(pos >= 0 ? pos : 0);
        notifyChanged();
    }
}

void TRecordTable::setFiltered(bool on)
{
    if (on == FFiltered)
        return;
    FFiltered = on;
    reloadKeys();
    const int pos = positionOf(FCurrentKey);
    moveTo(pos >= 0 ? pos : 0);
    notifyChanged();
}

QString TRecordTable::filterSql(QVariantList &params) const
{
    if (!FFiltered || FFilter.isEmpty())
        return QStringLiteral("1");
    return FFilter.toSql(params);
}

QString TRecordTable::orderSql() const
{
    const QString key = TTableSchema::quoted(FSchema.keyName());
    if (FSortField.isEmpty())
        return key;
    return TTableSchema::quoted(FSortField) + QStringLiteral(", ") + key;
}

void TRecordTable::reloadKeys()
{
    QVariantList params;
    const QString where = filterSql(params);
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4")
                                          .arg(TTableSchema::quoted(FSchema.keyName()),
                                               TTableSchema::quoted(FSchema.TableName), where, orderSql()));
    st.bindAll(params);
    std::vector<qint64> keys;
    keys.reserve(FKeys.size() + 64);
    while (st.step())
        keys.push_back(st.int64(0));
    FKeys = std::move(keys);
    FKeys.shrink_to_fit();
    FRowCacheKey = 0;
}

bool TRecordTable::passesFilter(qint64 key)
{
    QVariantList params;
    const QString where = filterSql(params);
    if (where == QLatin1String("1"))
        return true;
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? AND (%3)")
                                          .arg(TTableSchema::quoted(FSchema.TableName),
                                               TTableSchema::quoted(FSchema.keyName()), where));
    st.bindInt64(1, key);
    st.bindAll(params, 2);
    return st.step();
}

// Negative when row a comes before row b in the ascending storage order, using the
// database's own comparison of the sort column (then the key).
int TRecordTable::compareRows(qint64 a, qint64 b)
{
    if (FSortField.isEmpty())
        return a < b ? -1 : (a > b ? 1 : 0);
    if (!FCompare || FCompareField != FSortField) {
        const QString col = TTableSchema::quoted(FSortField);
        const QString tab = TTableSchema::quoted(FSchema.TableName);
        const QString key = TTableSchema::quoted(FSchema.keyName());
        FCompare = std::make_unique<TSqliteStatement>(FDb.prepare(
            QStringLiteral("SELECT CASE WHEN x IS y THEN 0 WHEN x IS NULL THEN -1 WHEN y IS NULL THEN 1 "
                           "WHEN x < y THEN -1 ELSE 1 END FROM "
                           "(SELECT (SELECT %1 FROM %2 WHERE %3 = ?1) AS x, (SELECT %1 FROM %2 WHERE %3 = ?2) AS y)")
                .arg(col, tab, key)));
        FCompareField = FSortField;
    }
    FCompare->reset();
    FCompare->bindInt64(1, a).bindInt64(2, b);
    int c = 0;
    if (FCompare->step())
        c = int(FCompare->int64(0));
    FCompare->reset();
    if (c != 0)
        return c;
    return a < b ? -1 : (a > b ? 1 : 0);
}

void TRecordTable::placeKey(qint64 key)
{
    if (!passesFilter(key))
        return;
    if (FSortField.isEmpty() && (FKeys.empty() || FKeys.back() < key)) {
        FKeys.push_back(key);
        return;
    }
    // Binary search over the stored keys; appends in the sort order end at the back.
    size_t lo = 0, hi = FKeys.size();
    if (hi > 0 && compareRows(FKeys.back(), key) < 0) {
        lo = hi;
    }
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (compareRows(FKeys[mid], key) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    FKeys.insert(FKeys.begin() + std::ptrdiff_t(lo), key);
}

bool TRecordTable::removeKey(qint64 key)
{
    auto it = std::find(FKeys.begin(), FKeys.end(), key);
    if (it == FKeys.end())
        return false;
    FKeys.erase(it);
    return true;
}

size_t TRecordTable::storageIndex(int position) const
{
    return FDescending ? FKeys.size() - 1 - size_t(position) : size_t(position);
}

int TRecordTable::positionOfIndex(size_t index) const
{
    return FDescending ? int(FKeys.size() - 1 - index) : int(index);
}

qint64 TRecordTable::keyAt(int position) const
{
    if (position < 0 || size_t(position) >= FKeys.size())
        return 0;
    return FKeys[storageIndex(position)];
}

int TRecordTable::positionOf(qint64 key) const
{
    if (key == 0)
        return -1;
    if (FSortField.isEmpty()) {
        auto it = std::lower_bound(FKeys.begin(), FKeys.end(), key);
        if (it == FKeys.end() || *it != key)
            return -1;
        return positionOfIndex(size_t(it - FKeys.begin()));
    }
    auto it = std::find(FKeys.begin(), FKeys.end(), key);
    return it == FKeys.end() ? -1 : positionOfIndex(size_t(it - FKeys.begin()));
}

qint64 TRecordTable::totalCount() const
{
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(TTableSchema::quoted(FSchema.TableName)));
    return st.step() ? st.int64(0) : 0;
}

// ---- navigation ----------------------------------------------------------------

void TRecordTable::moveTo(int position, bool notify)
{
    const qint64 before = FCurrentKey;
    if (FKeys.empty()) {
        FCurrentKey = 0;
        FCurrentPos = -1;
        FEof = FBof = true;
    } else {
        position = std::clamp(position, 0, int(FKeys.size()) - 1);
        FCurrentPos = position;
        FCurrentKey = keyAt(position);
    }
    if (notify && before != FCurrentKey)
        notifyCurrent();
}

bool TRecordTable::setRecNo(int position)
{
    if (position < 0 || size_t(position) >= FKeys.size())
        return false;
    FEof = FBof = false;
    moveTo(position);
    return true;
}

void TRecordTable::first()
{
    moveTo(0);
    FBof = true;
    FEof = FKeys.empty();
}

void TRecordTable::last()
{
    moveTo(int(FKeys.size()) - 1);
    FEof = true;
    FBof = FKeys.empty();
}

void TRecordTable::next()
{
    FBof = false;
    if (FCurrentPos + 1 >= int(FKeys.size())) {
        FEof = true;
        return;
    }
    FEof = false;
    moveTo(FCurrentPos + 1);
}

void TRecordTable::prior()
{
    FEof = false;
    if (FCurrentPos <= 0) {
        FBof = true;
        return;
    }
    FBof = false;
    moveTo(FCurrentPos - 1);
}

bool TRecordTable::locate(qint64 key)
{
    const int pos = positionOf(key);
    if (pos < 0)
        return false;
    FEof = FBof = false;
    moveTo(pos);
    return true;
}

// ---- notifications -------------------------------------------------------------

void TRecordTable::disableControls()
{
    ++FDisableCount;
}

void TRecordTable::enableControls()
{
    if (FDisableCount == 0 || --FDisableCount > 0)
        return;
    if (FPendingChanged) {
        FPendingChanged = false;
        emit changed();
    }
    if (FPendingCurrent) {
        FPendingCurrent = false;
        emit currentChanged();
    }
}

void TRecordTable::notifyChanged()
{
    if (FDisableCount > 0)
        FPendingChanged = true;
    else
        emit changed();
}

void TRecordTable::notifyCurrent()
{
    if (FDisableCount > 0)
        FPendingCurrent = true;
    else
        emit currentChanged();
}

// ---- reading -------------------------------------------------------------------

QVariantList TRecordTable::rowByKey(qint64 key) const
{
    if (key == 0)
        return {};
    if (key == FRowCacheKey)
        return FRowCache;
    if (!FByKey) {
        QStringList cols;
        for (const QString &n : FSchema.fieldNames())
            cols << TTableSchema::quoted(n);
        FByKey = std::make_unique<TSqliteStatement>(FDb.prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                .arg(cols.join(QLatin1Char(',')), TTableSchema::quoted(FSchema.TableName),
                     TTableSchema::quoted(FSchema.keyName()))));
    }
    FByKey->reset();
    FByKey->bindInt64(1, key);
    QVariantList row;
    if (FByKey->step())
        row = FByKey->row();
    FByKey->reset();
    FRowCacheKey = key;
    FRowCache = row;
    return row;
}

bool TRecordTable::hasKey(qint64 key) const
{
    return !rowByKey(key).isEmpty();
}

QList<QVariantList> TRecordTable::rowsByKeys(const qint64 *keys, int count) const
{
    QList<QVariantList> rows(count);
    if (count <= 0)
        return rows;
    QStringList cols;
    for (const QString &n : FSchema.fieldNames())
        cols << TTableSchema::quoted(n);
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4)")
                                          .arg(cols.join(QLatin1Char(',')), TTableSchema::quoted(FSchema.TableName),
                                               TTableSchema::quoted(FSchema.keyName()), marks.join(QLatin1Char(','))));
    for (int i = 0; i < count; ++i)
        st.bindInt64(i + 1, keys[i]);
    while (st.step()) {
        const qint64 k = st.int64(0);
        for (int i = 0; i < count; ++i)
            if (keys[i] == k)
                rows[i] = st.row();
    }
    return rows;
}

QVariant TRecordTable::fieldValue(const QString &name) const
{
    const int i = FSchema.fieldIndex(name);
    const QVariantList row = rowByKey(FCurrentKey);
    if (i < 0 || row.isEmpty())
        return QVariant();
    return row.at(i);
}

QVariantList TRecordTable::currentRow() const
{
    return rowByKey(FCurrentKey);
}

// ---- writing -------------------------------------------------------------------

qint64 TRecordTable::insertRow(const QVariantList &values)
{
    QStringList cols, marks;
    for (int i = 1; i < FSchema.Fields.size(); ++i) {
        cols << TTableSchema::quoted(FSchema.Fields.at(i).Name);
        marks << QStringLiteral("?");
    }
    TSqliteStatement st = FDb.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(TTableSchema::quoted(FSchema.TableName),
                                               cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    st.bindAll(values);
    st.exec();   // autocommit: committed when it returns
    const qint64 key = FDb.lastInsertRowId();
    FRowCacheKey = 0;
    placeKey(key);
    notifyChanged();
    const int pos = positionOf(key);
    if (pos >= 0) {
        FEof = FBof = false;
        moveTo(pos);
    }
    return key;
}

void TRecordTable::reloadView()
{
    FRowCacheKey = 0;
    reloadKeys();
    const int keep = positionOf(FCurrentKey);
    FEof = FBof = FKeys.empty();
    moveTo(keep >= 0 ? keep : 0);
    notifyChanged();
}

bool TRecordTable::updateRow(qint64 key, const QList<QPair<int, QVariant>> &columns)
{
    if (!hasKey(key))
        return false;
    if (columns.isEmpty())
        return true;
    QStringList sets;
    QVariantList values;
    for (const auto &c : columns) {
        sets << TTableSchema::quoted(FSchema.Fields.at(c.first).Name) + QStringLiteral(" = ?");
        values << c.second;
    }
    TSqliteStatement st = FDb.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                          .arg(TTableSchema::quoted(FSchema.TableName), sets.join(QLatin1Char(',')),
                                               TTableSchema::quoted(FSchema.keyName())));
    st.bindAll(values);
    st.bindInt64(values.size() + 1, key);
    st.exec();
    FRowCacheKey = 0;
    // The row may have moved in the order or left or joined the filtered view.
    const int oldPos = positionOf(key);
    removeKey(key);
    placeKey(key);
    const int keep = positionOf(FCurrentKey);
    if (keep >= 0)
        FCurrentPos = keep;
    else
        moveTo(key == FCurrentKey && oldPos >= 0 ? oldPos : FCurrentPos);
    notifyChanged();
    return true;
}

bool TRecordTable::deleteRow(qint64 key)
{
    TSqliteStatement st = FDb.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                                          .arg(TTableSchema::quoted(FSchema.TableName), TTableSchema::quoted(FSchema.keyName())));
    st.bindInt64(1, key);
    st.exec();
    FRowCacheKey = 0;
    const int pos = positionOf(key);
    removeKey(key);
    if (key == FCurrentKey) {
        moveTo(pos);
    } else {
        const int keep = positionOf(FCurrentKey);
        moveTo(keep >= 0 ? keep : FCurrentPos, false);
    }
    notifyChanged();
    return true;
}

qint64 TRecordTable::replaceRow(qint64 oldKey, const QVariantList &values)
{
    QStringList cols, marks;
    for (int i = 1; i < FSchema.Fields.size(); ++i) {
        cols << TTableSchema::quoted(FSchema.Fields.at(i).Name);
        marks << QStringLiteral("?");
    }
    qint64 key = 0;
    {
        TSqliteDatabase::Transaction tr(FDb);
        TSqliteStatement del = FDb.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                                               .arg(TTableSchema::quoted(FSchema.TableName), TTableSchema::quoted(FSchema.keyName())));
        del.bindInt64(1, oldKey);
        del.exec();
        TSqliteStatement ins = FDb.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                               .arg(TTableSchema::quoted(FSchema.TableName),
                                                    cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        ins.bindAll(values);
        ins.exec();
        key = FDb.lastInsertRowId();
        tr.commit();
    }
    FRowCacheKey = 0;
    removeKey(oldKey);
    placeKey(key);
    const int pos = positionOf(key);
    if (pos >= 0) {
        FEof = FBof = false;
        moveTo(pos);
    } else {
        const int keep = positionOf(FCurrentKey);
        moveTo(keep >= 0 ? keep : FCurrentPos);
    }
    notifyChanged();
    return key;
}

QStringList TRecordTable::filesOfRow(const QVariantList &) const
{
    return {};
}

void TRecordTable::removeFiles(const QStringList &files)
{
    for (const QString &f : files) {
        if (f.isEmpty())
            continue;
        const QFileInfo info(f);
        if (info.exists() && info.isFile())
            QFile::remove(f);
    }
}

int TRecordTable::clear()
{
    return clearRows(false);
}

int TRecordTable::clearRows(bool deleteFiles)
{
    QVariantList params;
    const QString where = filterSql(params);
    const QString tab = TTableSchema::quoted(FSchema.TableName);
    QStringList files;
    int count = 0;
    {
        TSqliteDatabase::Transaction tr(FDb);
        if (deleteFiles) {
            QStringList cols;
            for (const QString &n : FSchema.fieldNames())
                cols << TTableSchema::quoted(n);
            TSqliteStatement sel = FDb.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                                   .arg(cols.join(QLatin1Char(',')), tab, where));
            sel.bindAll(params);
            while (sel.step())
                files << filesOfRow(sel.row());
        }
        TSqliteStatement del = FDb.prepare(QStringLiteral("DELETE FROM %1 WHERE %2").arg(tab, where));
        del.bindAll(params);
        del.exec();
        count = sqlite3_changes(FDb.handle());
        tr.commit();
    }
    // The rows are gone for good before their files are removed.
    removeFiles(files);
    FRowCacheKey = 0;
    reloadKeys();
    const int keep = positionOf(FCurrentKey);
    moveTo(keep >= 0 ? keep : 0);
    notifyChanged();
    return count;
}

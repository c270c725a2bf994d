#pragma once
// One table file as the program's dataset: a current row shared by every view (held
// by key), the current order and filter as a list of keys, navigation, bookmarks,
// suspended display updates and a change notification. Rows stay in the file; only
// the keys of the current order are kept in memory.
#include "TFilterExpression.h"
#include "TSqliteDatabase.h"
#include "TTableSchema.h"
#include <QObject>
#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

class TRecordTable : public QObject {
    Q_OBJECT
public:
    using TBookmark = qint64;   // a row's key; 0 is no row

    ~TRecordTable() override;

    const TTableSchema &schema() const { return FSchema; }
    QString basePath() const { return FBasePath; }
    QString fileName() const { return FBasePath + QStringLiteral(".cds"); }
    // Non-empty when the file could not be opened at construction: the text the
    // program shows. backupFileName() names where the unreadable file was kept.
    QString openMessage() const { return FOpenMessage; }
    QString backupFileName() const { return FBackupFileName; }

    // Sets the order by a field; names the table does not sort on and names that
    // are no field are ignored (false, order kept). An empty name on a table that
    // does not ignore it restores the stored order.
    bool SortBy(const QString &fieldName);
    QString sortField() const { return FSortField; }
    bool sortDescending() const { return FDescending; }
    bool isSortableField(const QString &fieldName) const;

    // Filter text in the filter language; setFilter throws TFilterError and keeps
    // the previous filter when the text does not parse.
    void setFilter(const QString &text);
    QString filter() const { return FFilterText; }
    void setFiltered(bool on);
    bool filtered() const { return FFiltered; }

    // Rows of the current view (order and filter).
    int recordCount() const { return int(FKeys.size()); }
    bool isEmpty() const { return FKeys.empty(); }
    qint64 totalCount() const;   // every row of the file
    qint64 keyAt(int position) const;
    int positionOf(qint64 key) const;   // -1 when the key is not in the view

    // The current row. recNo() is its 0-based position, -1 when the view is empty.
    qint64 currentKey() const { return FCurrentKey; }
    int recNo() const { return FCurrentPos; }
    bool setRecNo(int position);
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return FEof; }
    bool bof() const { return FBof; }
    // Makes the row with this key current when it is in the view.
    bool locate(qint64 key);

    TBookmark bookmark() const { return FCurrentKey; }
    bool gotoBookmark(TBookmark mark) { return locate(mark); }
    bool bookmarkValid(TBookmark mark) const { return mark != 0 && positionOf(mark) >= 0; }

    // While disabled (nesting), changed() and currentChanged() are held back and
    // sent once when the last enableControls() comes.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return FDisableCount > 0; }

    // Values of the current row; a null QVariant when there is no current row.
    QVariant fieldValue(const QString &name) const;
    QVariantList currentRow() const;
    // A row by key, whatever the filter; empty when there is none.
    QVariantList rowByKey(qint64 key) const;
    bool hasKey(qint64 key) const;
    // Rows for a run of keys, in the order given (missing keys give empty rows).
    QList<QVariantList> rowsByKeys(const qint64 *keys, int count) const;

    // Deletes every row of the view (with a filter on, only the rows that pass
    // it) in one transaction. Returns the number of rows deleted.
    int clear();

    // The connection, for the few readers that query the file directly.
    sqlite3 *connection() const { return FDb.handle(); }
    // Rows were written to the file by another connection: the view reads its
    // keys again, keeps its current row and notifies once.
    void refreshView() { reloadView(); }

signals:
    // Rows were added, deleted or changed, or the order or the filter changed.
    void changed();
    // The current row moved to another row.
    void currentChanged();

protected:
    struct TOpenTexts {
        QString Invalid;   // "Неверный формат файла ...: "
        QString Recreate;  // "Файл ... будет создан автоматически"
    };

    TRecordTable(const TTableSchema &schema, const QString &basePath, QObject *owner);
    // Opens fileName(), creating it when missing; an unreadable file is kept as
    // <file>.bad-<yyyyMMdd-HHmmss> and replaced by an empty table. A file out of
    // reach (locked by another program, a folder in its place) or one that
    // cannot be created or kept raises TTableError naming the file.
    void openTable(const TOpenTexts &texts);
    void appendOpenMessage(const QString &text);

    // Appends a row (values for every field after the key), commits, makes it current.
    qint64 insertRow(const QVariantList &values);
    // Writes the given columns (field index -> value) of the row with this key.
    bool updateRow(qint64 key, const QList<QPair<int, QVariant>> &columns);
    // Deletes the row with this key (the current row moves to its neighbour).
    bool deleteRow(qint64 key);
    // After rows were written to the file directly (a bulk append): the view
    // reads its keys again, keeps its current row and notifies once.
    void reloadView();
    // Deletes one row and appends another in one transaction; the new row is current.
    qint64 replaceRow(qint64 oldKey, const QVariantList &values);
    // Files named by a row that deleting it with its files removes.
    virtual QStringList filesOfRow(const QVariantList &row) const;
    static void removeFiles(const QStringList &files);
    // Deletes the rows of the view; deleteFiles also removes each row's files.
    int clearRows(bool deleteFiles);

    // Creates an empty table file (used also for the one-time conversion).
    static void createFile(TSqliteDatabase &db, const TTableSchema &schema);
    static QString freeBackupName(const QString &file);

    TSqliteDatabase FDb;

private:
    void configureConnection();
    bool validLayout();
    QString orderSql() const;          // ascending storage order of FKeys
    QString filterSql(QVariantList &params) const;
    void reloadKeys();
    void placeKey(qint64 key);         // inserts a key where the view's order puts it
    bool removeKey(qint64 key);        // false when it was not in the view
    bool passesFilter(qint64 key);
    int compareRows(qint64 a, qint64 b);
    size_t storageIndex(int position) const;
    int positionOfIndex(size_t index) const;
    void moveTo(int position, bool notify = true);
    void notifyChanged();
    void notifyCurrent();

    const TTableSchema &FSchema;
    QString FBasePath;
    QString FOpenMessage;
    QString FBackupFileName;

    QString FSortField;
    bool FDescending = false;
    QString FFilterText;
    TFilterExpression FFilter;
    bool FFiltered = false;

    // Keys of the view in ascending order of the sort key; a descending view reads
    // them from the back, so that the newest call is appended at the end.
    std::vector<qint64> FKeys;
    qint64 FCurrentKey = 0;
    int FCurrentPos = -1;
    bool FEof = true;
    bool FBof = true;

    int FDisableCount = 0;
    bool FPendingChanged = false;
    bool FPendingCurrent = false;

    mutable qint64 FRowCacheKey = 0;
    mutable QVariantList FRowCache;
    mutable std::unique_ptr<TSqliteStatement> FByKey;
    std::unique_ptr<TSqliteStatement> FCompare;
    QString FCompareField;
};

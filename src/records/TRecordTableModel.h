#pragma once
// A table's current view for the grids: rows are fetched by key a page at a time
// and kept in a small page cache, so a view over 10^6 rows holds only its keys.
#include <QAbstractTableModel>
#include <QList>
#include <QVariantList>

class TRecordTable;

class TRecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageRows = 64;
    static constexpr int CachedPages = 8;
    // The row's key for any column of it.
    static constexpr int KeyRole = Qt::UserRole + 1;

    explicit TRecordTableModel(TRecordTable *table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    // DisplayRole: text (date-times "dd.MM.yyyy H:mm:ss", times "H:mm:ss");
    // EditRole: the stored value; KeyRole: the row's key.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The model row of the table's current row (-1 when none).
    int currentRow() const;
    int cachedPageCount() const { return int(FPages.size()); }

    static QString displayText(const QVariant &value, int fieldType);

private:
    void reload();
    const QVariantList *rowAt(int row) const;

    TRecordTable *FTable;
    int FRowCount = 0;
    struct Page {
        int Index;
        QList<QVariantList> Rows;
    };
    mutable QList<Page> FPages;   // most recently used first
};

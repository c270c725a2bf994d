#include "TRecordTableModel.h"
#include "TRecordTable.h"
#include "common/TDateTime.h"
#include <vector>

TRecordTableModel::TRecordTableModel(TRecordTable *table, QObject *parent)
    : QAbstractTableModel(parent), FTable(table), FRowCount(table->recordCount())
{
    connect(table, &TRecordTable::changed, this, &TRecordTableModel::reload);
    connect(table, &QObject::destroyed, this, [this] {
        beginResetModel();
        FTable = nullptr;
        FRowCount = 0;
        FPages.clear();
        endResetModel();
    });
}

void TRecordTableModel::reload()
{
    beginResetModel();
    FPages.clear();
    FRowCount = FTable ? FTable->recordCount() : 0;
    endResetModel();
}

int TRecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FRowCount;
}

int TRecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !FTable ? 0 : int(FTable->schema().Fields.size());
}

int TRecordTableModel::currentRow() const
{
    return FTable ? FTable->recNo() : -1;
}

const QVariantList *TRecordTableModel::rowAt(int row) const
{
    if (!FTable || row < 0 || row >= FRowCount || row >= FTable->recordCount())
        return nullptr;
    const int index = row / PageRows;
    for (int i = 0; i < FPages.size(); ++i) {
        if (FPages.at(i).Index == index) {
            if (i > 0)
                FPages.move(i, 0);
            const Page &p = FPages.first();
            const int r = row - index * PageRows;
            return r < p.Rows.size() ? &p.Rows.at(r) : nullptr;
        }
    }
    const int first = index * PageRows;
    const int count = std::min(PageRows, FTable->recordCount() - first);
    std::vector<qint64> keys(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        keys[size_t(i)] = FTable->keyAt(first + i);
    Page page{index, FTable->rowsByKeys(keys.data(), count)};
    FPages.prepend(std::move(page));
    while (FPages.size() > CachedPages)
        FPages.removeLast();
    const int r = row - first;
    return r < FPages.first().Rows.size() ? &FPages.first().Rows.at(r) : nullptr;
}

QString TRecordTableModel::displayText(const QVariant &value, int fieldType)
{
    if (value.isNull())
        return QString();
    switch (TFieldType(fieldType)) {
    case TFieldType::ftDateTime: {
        const TDateTime t(value.toDouble());
        return t.toShortDateString() + QLatin1Char(' ') + t.toLongTimeString();
    }
    case TFieldType::ftTime:
        return TDateTime(value.toDouble()).toLongTimeString();
    default:
        return value.toString();
    }
}

QVariant TRecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !FTable)
        return QVariant();
    const QVariantList *row = rowAt(index.row());
    if (!row || row->isEmpty() || index.column() >= row->size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return displayText(row->at(index.column()), int(FTable->schema().Fields.at(index.column()).Type));
    case Qt::EditRole:
        return row->at(index.column());
    case KeyRole:
        return row->at(0);
    default:
        return QVariant();
    }
}

QVariant TRecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !FTable)
        return QVariant();
    if (orientation == Qt::Horizontal && section >= 0 && section < FTable->schema().Fields.size())
        return FTable->schema().Fields.at(section).Name;
    if (orientation == Qt::Vertical)
        return section + 1;
    return QVariant();
}

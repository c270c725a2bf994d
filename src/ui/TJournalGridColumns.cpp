#include "TJournalGridColumns.h"
#include "records/TRecordTableModel.h"
#include "records/TTableSchema.h"
#include <QFont>

TJournalGridColumns::TJournalGridColumns(TRecordTableModel *source, const TTableSchema &schema,
                                         const QList<QPair<QString, QString>> &shown, const QString &extraCaption,
                                         QObject *parent)
    : QAbstractTableModel(parent), FSource(source)
{
    QList<int> used;
    for (const auto &c : shown) {
        const int i = schema.fieldIndex(c.first);
        FColumns << i;
        FFields << c.first;
        FCaptions << c.second;
        used << i;
    }
    if (!extraCaption.isEmpty()) {
        FColumns << -1;
        FFields << QString();
        FCaptions << extraCaption;
    }
    FShownCount = int(FColumns.size());
    for (int i = 0; i < schema.Fields.size(); ++i)
        if (!used.contains(i)) {
            FColumns << i;
            FFields << schema.Fields.at(i).Name;
            FCaptions << schema.Fields.at(i).Name;
        }
    auto reset = [this] {
        beginResetModel();
        endResetModel();
    };
    connect(source, &QAbstractItemModel::modelReset, this, reset);
    connect(source, &QAbstractItemModel::layoutChanged, this, reset);
    connect(source, &QAbstractItemModel::rowsInserted, this, reset);
    connect(source, &QAbstractItemModel::rowsRemoved, this, reset);
    connect(source, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &a, const QModelIndex &b) {
        emit dataChanged(index(a.row(), 0), index(b.row(), columnCount() - 1));
    });
}

void TJournalGridColumns::setBoldField(const QString &field)
{
    FBoldField = field;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int TJournalGridColumns::columnOf(const QString &field) const
{
    return field.isEmpty() ? -1 : int(FFields.indexOf(field));
}

int TJournalGridColumns::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FSource->rowCount();
}

int TJournalGridColumns::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FColumns.size());
}

QVariant TJournalGridColumns::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return FRightAligned.contains(fieldOf(index.column())) ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                                                : QVariant();
    const int c = FColumns.value(index.column(), -1);
    if (c < 0)
        return role == TRecordTableModel::KeyRole ? FSource->data(FSource->index(index.row(), 0), role)
                                                  : QVariant();
    return FSource->data(FSource->index(index.row(), c), role);
}

QVariant TJournalGridColumns::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return FCaptions.value(section);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (orientation == Qt::Horizontal && role == Qt::FontRole && section < FShownCount && !FBoldField.isEmpty()
        && fieldOf(section) == FBoldField) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    // The indicator column carries no row numbers: 10^6 of them would not fit.
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return {};
    return QAbstractTableModel::headerData(section, orientation, role);
}

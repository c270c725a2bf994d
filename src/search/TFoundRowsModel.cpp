#include "TFoundRowsModel.h"
#include <algorithm>

TFoundRowsModel::TFoundRowsModel(QObject *Parent, int PageSize, int KeptPages)
    : QAbstractListModel(Parent), FPageSize(std::max(1, PageSize)), FKeptPages(std::max(1, KeptPages))
{
}

void TFoundRowsModel::Reset(TLoader Loader)
{
    beginResetModel();
    FIds.clear();
    FIds.shrink_to_fit();
    FPages.clear();
    FRecent.clear();
    FLoader = std::move(Loader);
    endResetModel();
}

void TFoundRowsModel::Append(const qint64 *Ids, int Count)
{
    if (Count <= 0)
        return;
    const int first = this->Count();
    // The last page read may have been short: it is read again with the new rows.
    const int lastPage = (first - 1) / FPageSize;
    if (first > 0 && first % FPageSize != 0 && FPages.remove(lastPage))
        FRecent.remove(lastPage);
    beginInsertRows(QModelIndex(), first, first + Count - 1);
    FIds.insert(FIds.end(), Ids, Ids + Count);
    endInsertRows();
}

int TFoundRowsModel::rowCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : Count();
}

const QStringList &TFoundRowsModel::page(int Index) const
{
    auto it = FPages.find(Index);
    if (it != FPages.end()) {
        if (FRecent.front() != Index) {
            FRecent.remove(Index);
            FRecent.push_front(Index);
        }
        return *it;
    }
    const int first = Index * FPageSize;
    const int n = std::min(FPageSize, Count() - first);
    QStringList texts = FLoader ? FLoader(FIds.data() + first, n) : QStringList();
    texts.resize(n);
    ++FPagesRead;
    while (int(FRecent.size()) >= FKeptPages) {
        FPages.remove(FRecent.back());
        FRecent.pop_back();
    }
    FRecent.push_front(Index);
    return *FPages.insert(Index, std::move(texts));
}

QString TFoundRowsModel::Text(int Row) const
{
    if (Row < 0 || Row >= Count())
        return QString();
    return page(Row / FPageSize).at(Row % FPageSize);
}

QVariant TFoundRowsModel::data(const QModelIndex &Index, int Role) const
{
    if (!Index.isValid() || Index.row() >= Count())
        return QVariant();
    if (Role == Qt::DisplayRole)
        return Text(Index.row());
    if (Role == IdRole)
        return Id(Index.row());
    return QVariant();
}

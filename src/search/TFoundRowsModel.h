#pragma once
// The search window's result list as a model: the keys of the found rows in
// list order, their texts read a page at a time when the list first shows or
// copies a row, and a few recent pages kept.
#include <QAbstractListModel>
#include <QHash>
#include <QStringList>
#include <functional>
#include <list>
#include <vector>

class TFoundRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The texts of a run of keys, in the order given.
    using TLoader = std::function<QStringList(const qint64 *Ids, int Count)>;
    static constexpr int IdRole = Qt::UserRole;

    explicit TFoundRowsModel(QObject *Parent = nullptr, int PageSize = 256, int KeptPages = 64);

    // Empties the list; later rows take their texts from Loader.
    void Reset(TLoader Loader);
    void Clear() { Reset({}); }
    // Rows found after those listed.
    void Append(const qint64 *Ids, int Count);

    int rowCount(const QModelIndex &Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &Index, int Role = Qt::DisplayRole) const override;

    int Count() const { return int(FIds.size()); }
    qint64 Id(int Row) const { return Row >= 0 && Row < Count() ? FIds[size_t(Row)] : 0; }
    QString Text(int Row) const;
    const std::vector<qint64> &Ids() const { return FIds; }
    int PageSize() const { return FPageSize; }
    // Pages whose texts are in memory now, and how many were read in all.
    int CachedPages() const { return int(FPages.size()); }
    int PagesRead() const { return FPagesRead; }

private:
    const QStringList &page(int Index) const;

    std::vector<qint64> FIds;
    TLoader FLoader;
    const int FPageSize;
    const int FKeptPages;
    mutable QHash<int, QStringList> FPages;
    mutable std::list<int> FRecent;   // most recently used first
    mutable int FPagesRead = 0;
};

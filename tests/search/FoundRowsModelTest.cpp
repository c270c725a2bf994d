#include "search/TFoundRowsModel.h"
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <vector>

namespace {
// Texts "row <id>"; counts the pages asked for.
struct Loader {
    int Calls = 0;
    std::vector<int> Sizes;
    QStringList operator()(const qint64 *Ids, int Count)
    {
        ++Calls;
        Sizes.push_back(Count);
        QStringList t;
        for (int i = 0; i < Count; ++i)
            t << QStringLiteral("row %1").arg(Ids[i]);
        return t;
    }
};
}

TEST(FoundRowsModel, PagesKeepOrderAcrossBoundariesAndGrowingLists)
{
    TFoundRowsModel model(nullptr, 4, 2);
    auto loader = std::make_shared<Loader>();
    model.Reset([loader](const qint64 *Ids, int Count) { return (*loader)(Ids, Count); });
    // Keys in list order, not sorted: the list keeps the order it was given.
    const std::vector<qint64> first{50, 7, 31, 2, 99, 13};
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.Append(first.data(), int(first.size()));
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(inserted.count(), 1);
    // Nothing is read until a row is shown.
    EXPECT_EQ(loader->Calls, 0);
    EXPECT_EQ(model.data(model.index(5)).toString(), "row 13");
    EXPECT_EQ(model.data(model.index(3)).toString(), "row 2");
    EXPECT_EQ(model.data(model.index(4), TFoundRowsModel::IdRole).toLongLong(), 99);
    EXPECT_EQ(loader->Calls, 2);
    EXPECT_EQ(loader->Sizes, (std::vector<int>{2, 4}));   // the short last page, then the first

    // Rows found later fill the short page: it is read again with them.
    const std::vector<qint64> more{8, 1, 77};
    model.Append(more.data(), int(more.size()));
    QStringList all;
    for (int r = 0; r < model.rowCount(); ++r)
        all << model.Text(r);
    EXPECT_EQ(all, QStringList({"row 50", "row 7", "row 31", "row 2", "row 99", "row 13", "row 8", "row 1", "row 77"}));
    // Only two pages stay in memory, however far the list is read.
    EXPECT_LE(model.CachedPages(), 2);
    EXPECT_EQ(model.Text(9), QString());
    EXPECT_EQ(model.Id(-1), 0);

    // A missing text (a row gone since) leaves an empty item, not a shifted list.
    model.Reset([](const qint64 *, int Count) { return QStringList(Count - 1, QStringLiteral("x")); });
    model.Append(first.data(), 3);
    EXPECT_EQ(model.Text(1), "x");
    EXPECT_EQ(model.Text(2), "");
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
}

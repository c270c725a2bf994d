// The office's part of a number's history in a window: the other
// workstations' calls with their names and notes, or one line
// "Офис недоступен" when the server does not answer.
#include "OfficeTestUtil.h"
#include "PgTestServer.h"
#include "office/TOfficeHistoryList.h"
#include "office/TOfficeSync.h"
#include <QBoxLayout>
#include <gtest/gtest.h>

namespace {
bool publish(TWorkstationFiles &w, const QString &conn, const QString &ws)
{
    TOfficeSync::Install(w.Data);
    TOfficeSync s(w.Data, ws);
    TOfficeServer server;
    return s.Open() && server.Connect(conn, 3000) && server.InitSchema() > 0 && s.Publish(server);
}
}

TEST(OfficeHistoryList, ShowsOtherWorkstationsCallsWithTheirNotesAndNotOwnOnes)
{
    PgTestServer &pg = PgTestServer::instance();
    ASSERT_TRUE(pg.ok());
    ASSERT_TRUE(pg.start());
    const QString conn = pg.newDatabase(QStringLiteral("history_list"));
    TWorkstationFiles a, b;
    TOfficeSync::Install(a.Data);
    a.reopen();
    const qint64 call = a.addCall(QStringLiteral("4951112233"), 46000.25);
    a.addCall(QStringLiteral("4950000000"));
    ASSERT_TRUE(publish(a, conn, QStringLiteral("Склад")));
    b.addCall(QStringLiteral("4951112233"));
    ASSERT_TRUE(publish(b, conn, QStringLiteral("Приёмная")));

    TOfficeHistory history(conn, QStringLiteral("Приёмная"));
    TOfficeHistoryList list(&history);
    list.ShowNumber(QStringLiteral("4951112233"));
    ASSERT_TRUE(waitFor([&] { return list.topLevelItemCount() == 1; }, 3000));
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("Склад"));

    // Notes typed on A afterwards show the next time the number is shown.
    a.In->UpdateFields(call, QStringLiteral("4951112233"), {{1, QStringLiteral("просил перезвонить")}}, TDateTime());
    ASSERT_TRUE(publish(a, conn, QStringLiteral("Склад")));
    list.ShowNumber(QStringLiteral("4951112233"));
    EXPECT_TRUE(waitFor([&] {
        return list.topLevelItemCount() == 1 && list.topLevelItem(0)->text(3) == QStringLiteral("просил перезвонить");
    }, 3000));
}

TEST(OfficeHistoryList, UnreachableOfficeIsOneLineAfterItsTimeAndAnOldAnswerIsIgnored)
{
    QTemporaryDir nowhere;
    TOfficeHistory history(QStringLiteral("host=%1 dbname=x user=konvelo").arg(nowhere.path()), QStringLiteral("B"));
    TOfficeHistoryList list(&history);
    list.ShowNumber(QStringLiteral("111"));
    list.ShowNumber(QStringLiteral("222"));   // the answer for 111 must not fill 222's list
    ASSERT_TRUE(waitFor([&] { return list.topLevelItemCount() == 1; }, 3000));
    EXPECT_EQ(list.topLevelItem(0)->text(0), TOfficeHistoryList::UnavailableText());
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("Офис недоступен"));
    EXPECT_EQ(list.Number(), QStringLiteral("222"));
    TOfficeHistoryList none(nullptr);
    none.ShowNumber(QStringLiteral("333"));
    ASSERT_EQ(none.topLevelItemCount(), 1);
    EXPECT_EQ(none.topLevelItem(0)->text(0), QStringLiteral("Офис недоступен"));
}

TEST(OfficeHistoryList, IsPlacedRightBelowAWindowsLocalHistoryInNestedLayouts)
{
    QWidget window;
    auto *outer = new QHBoxLayout(&window);
    auto *right = new QVBoxLayout;
    auto *local = new QWidget;
    auto *below = new QWidget;
    right->addWidget(local);
    right->addWidget(below);
    outer->addWidget(new QWidget);
    outer->addLayout(right);
    TOfficeHistoryList *list = TOfficeHistoryList::InsertBelow(nullptr, local);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(right->indexOf(list), right->indexOf(local) + 1);
    EXPECT_EQ(right->indexOf(below), right->indexOf(list) + 1);
    EXPECT_EQ(list->parentWidget(), &window);
    list->ShowNumber(QStringLiteral("444"));
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Офис недоступен"));

    QWidget loose;
    auto *orphan = new QWidget(&loose);
    EXPECT_EQ(TOfficeHistoryList::InsertBelow(nullptr, orphan), nullptr);
}

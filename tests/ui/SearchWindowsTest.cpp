#include "WidgetTestApp.h"
#include "config/TConfig.h"
#include "config/TIniSettingsStore.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "search/TFoundRowsModel.h"
#include "ui/TFindCall.h"
#include "ui/TFormDateInterval.h"
#include "ui/TStats.h"
#include "ui/TStatsChart.h"
#include "ui/TStatsConfig.h"
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QClipboard>
#include <QListView>
#include <QTimer>
#include <sqlite3.h>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
struct AppFirst {
    AppFirst() { EnsureWidgetApp(); }
};

struct Parts {
    Parts()
    {
        config.InField[1] = QStringLiteral("Тема");
        for (int i = 1; i <= 7; ++i)
            config.InF[size_t(i)] = config.OutF[size_t(i)] = true;
    }
    void addIn(const QString &phone, int day, int seconds, const QString &field1 = QString())
    {
        TInCall c;
        c.Phone = phone;
        c.Time = TDateTime::fromDate(QDate(2008, 5, day)) + 0.5;
        c.Length = TDateTime(seconds / 86400.0);
        c.Field_1 = field1;
        in.AddCall(c);
    }
    AppFirst app;   // before any widget member
    QTemporaryDir tmp;
    TConfig config{nullptr, nullptr, std::make_unique<TIniSettingsStore>(tmp.filePath("Konvelo.ini"))};
    TIncomingCallBook in{tmp.filePath("InCalls")};
    TOutgoingCallBook out{tmp.filePath("OutCalls")};
    TAddressBook book{tmp.filePath("AddressBook")};
    TFormDateInterval chooser;
};
}

TEST(FindCallWindow, NumberBoxTakesOnlyItsCharactersAndNothingAfterAStar)
{
    Parts p;
    TFindCall find(&p.in, &p.out, &p.book, &p.chooser);
    find.Prepare(bkIncoming);
    QLineEdit *num = find.NumEdit();
    QTest::keyClicks(num, QStringLiteral("12ex-3"));
    EXPECT_EQ(num->text(), QStringLiteral("12E3"));
    QTest::keyClicks(num, QStringLiteral("*5"));
    EXPECT_EQ(num->text(), QStringLiteral("12E3*"));
    auto *phone = find.findChild<QLineEdit *>(QStringLiteral("PhoneEdit"));
    QTest::keyClicks(phone, QStringLiteral("7p*9"));
    EXPECT_EQ(phone->text(), QStringLiteral("7P*"));
}

TEST(FindCallWindow, CallKindSwitchesTheConditionsThatApply)
{
    Parts p;
    TFindCall find(&p.in, &p.out, &p.book, &p.chooser);
    auto *cat = find.findChild<QCheckBox *>(QStringLiteral("CatSearchCheck"));
    auto *place = find.findChild<QCheckBox *>(QStringLiteral("GotCallPlace"));
    auto *message = find.findChild<QCheckBox *>(QStringLiteral("GotMessage"));
    cat->setChecked(true);
    find.Prepare(bkOutgoing);
    EXPECT_FALSE(cat->isChecked());
    EXPECT_FALSE(cat->isEnabled());
    EXPECT_FALSE(message->isEnabled());
    EXPECT_TRUE(place->isEnabled());
    place->setChecked(true);
    EXPECT_TRUE(find.findChild<QRadioButton *>(QStringLiteral("CallFromPar"))->isEnabled());
    find.Prepare(bkIncoming);
    EXPECT_FALSE(place->isChecked());
    EXPECT_FALSE(place->isEnabled());
    EXPECT_TRUE(cat->isEnabled());
}

TEST(FindCallWindow, SearchListsIdsAndSetsTheJournalFilter)
{
    Parts p;
    p.addIn("123", 1, 10);
    p.addIn("124", 2, 10);
    p.addIn("999", 3, 10);
    TFindCall find(&p.in, &p.out, &p.book, &p.chooser);
    TBookKind wanted = bkAddress;
    bool filterSet = false;
    QObject::connect(&find, &TFindCall::PageWanted, [&](TBookKind k) { wanted = k; });
    QObject::connect(&find, &TFindCall::FilterSet, [&](TBookKind k) { filterSet = k == bkIncoming; });
    find.Prepare(bkIncoming);
    QTest::keyClicks(find.NumEdit(), QStringLiteral("12*"));
    QTest::keyClick(find.NumEdit(), Qt::Key_Return);   // Enter searches
    EXPECT_EQ(find.ResultIds().size(), 2);
    EXPECT_TRUE(find.FeedBtn()->isEnabled());
    EXPECT_FALSE(p.in.filtered());
    find.FeedBtnClick();
    EXPECT_TRUE(filterSet);
    EXPECT_TRUE(p.in.filtered());
    EXPECT_EQ(p.in.recordCount(), 2);
    EXPECT_EQ(wanted, bkIncoming);

    // Leaving for the address book clears the list and the filter button.
    find.Prepare(bkIncoming);
    find.SearchBtnClick();
    find.Pages()->setCurrentIndex(1);
    EXPECT_EQ(find.ResultModel()->Count(), 0);
    EXPECT_FALSE(find.FeedBtn()->isEnabled());
}

namespace {
// n incoming calls of the numbers 1000.. on consecutive minutes, in one transaction.
void fillIn(TIncomingCallBook &in, int n)
{
    sqlite3 *db = in.connection();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer) VALUES (?, 1, ?, 0, 0)", -1,
                       &st, nullptr);
    for (int i = 0; i < n; ++i) {
        const QByteArray phone = QByteArray::number(1000 + i % 300);
        sqlite3_bind_text(st, 1, phone.constData(), int(phone.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, 46110 + i / 1440.0);   // from 29.03.2026 0:00 on
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    in.SortBy(QStringLiteral("Time"));
}

QString rowText(TRecordTable &t, qint64 id)
{
    const QVariantList row = t.rowByKey(id);
    const TDateTime time(row.at(3).toDouble());
    return row.at(1).toString() + QStringLiteral(" - ") + time.toShortDateString() + QLatin1Char(' ')
           + time.toLongTimeString();
}

void selectRows(QListView *list, int top, int bottom, QItemSelectionModel::SelectionFlags how)
{
    const QModelIndex a = list->model()->index(top, 0), b = list->model()->index(bottom, 0);
    list->selectionModel()->select(QItemSelection(a, b), how);
}
}

// A list longer than many pages keeps the journal's order; a selection that
// crosses page boundaries and has a gap is copied and jumped to as selected.
TEST(FindCallWindow, LongListPagesKeepOrderSelectionAndCopy)
{
    Parts p;
    fillIn(p.in, 1500);
    TFindCall find(&p.in, &p.out, &p.book, &p.chooser);
    find.Prepare(bkIncoming);
    find.show();
    find.findChild<QCheckBox *>(QStringLiteral("NumSearchCheck"))->setChecked(false);
    QTest::mouseClick(find.findChild<QPushButton *>(QStringLiteral("SearchBtn")), Qt::LeftButton);
    ASSERT_EQ(find.ResultModel()->Count(), 1500);
    const QList<qint64> ids = find.ResultIds();
    for (int i = 0; i < 1500; ++i)
        ASSERT_EQ(ids[i], p.in.keyAt(i)) << i;   // newest first, as the journal shows them
    // Only the rows shown were read.
    EXPECT_LE(find.ResultModel()->PagesRead(), 2);

    const int page = find.ResultModel()->PageSize();
    QListView *list = find.ResultView();
    selectRows(list, 2 * page + 2, 2 * page + 4, QItemSelectionModel::ClearAndSelect);
    selectRows(list, page - 2, page + 1, QItemSelectionModel::Select);   // the earlier run, chosen second
    selectRows(list, 1499, 1499, QItemSelectionModel::Select);
    QApplication::clipboard()->clear();
    find.findChild<QAction *>(QStringLiteral("CopyItem"))->trigger();
    QString expected;
    for (int row : {page - 2, page - 1, page, page + 1, 2 * page + 2, 2 * page + 3, 2 * page + 4, 1499})
        expected += rowText(p.in, ids[row]) + QStringLiteral("\r\n");
    EXPECT_EQ(QApplication::clipboard()->text(), expected);

    // The jump takes the first selected row, whatever was chosen first.
    EXPECT_TRUE(find.JumpToSelected());
    EXPECT_EQ(p.in.currentKey(), ids[page - 2]);
    EXPECT_FALSE(find.isVisible());
}

// A long search lets "Остановить" end it; the rows found so far stay listed.
TEST(FindCallWindow, LongSearchCanBeStopped)
{
    Parts p;
    fillIn(p.in, 20000);
    TFindCall find(&p.in, &p.out, &p.book, &p.chooser);
    find.Prepare(bkIncoming);
    find.show();
    find.findChild<QCheckBox *>(QStringLiteral("NumSearchCheck"))->setChecked(false);
    bool searching = false;
    QTimer::singleShot(0, &find, [&] {
        searching = find.Searching();
        find.StopBtn()->click();
    });
    find.SearchBtnClick();
    EXPECT_TRUE(searching);
    EXPECT_FALSE(find.Searching());
    EXPECT_GT(find.ResultModel()->Count(), 0);
    EXPECT_LT(find.ResultModel()->Count(), 20000);
    EXPECT_EQ(find.ResultIds().first(), p.in.keyAt(0));
    // Escape during a search closes the window and ends the search.
    QTimer::singleShot(0, &find, [&] { QTest::keyClick(&find, Qt::Key_Escape); });
    find.SearchBtnClick();
    EXPECT_FALSE(find.isVisible());
    EXPECT_LT(find.ResultModel()->Count(), 20000);
}

// After a search the "Звонок" choice may change: the jump and the filter still
// act on the journal that was searched.
TEST(FindCallWindow, JumpAndFilterKeepToTheSearchedJournal)
{
    Parts p;
    p.addIn("123", 1, 10);
    p.addIn("555", 2, 10);
    TOutCall o;
    o.Time = TDateTime::fromDate(QDate(2008, 5, 3));
    for (const char *phone : {"777", "778"}) {
        o.Phone = QString::fromLatin1(phone);
        p.out.AddCall(o);   // Call_ID 1 and 2, as the incoming calls
    }
    p.out.last();
    const qint64 outBefore = p.out.currentKey();
    p.in.last();
    ASSERT_NE(p.in.currentKey(), 1);
    ASSERT_NE(p.out.currentKey(), 1);
    TFindCall find(&p.in, &p.out, &p.book, &p.chooser);
    TBookKind filterKind = bkAddress, pageKind = bkAddress;
    QObject::connect(&find, &TFindCall::FilterSet, [&](TBookKind k) { filterKind = k; });
    QObject::connect(&find, &TFindCall::PageWanted, [&](TBookKind k) { pageKind = k; });
    find.Prepare(bkIncoming);
    find.show();
    QTest::keyClicks(find.NumEdit(), QStringLiteral("123"));
    QTest::keyClick(find.NumEdit(), Qt::Key_Return);
    ASSERT_EQ(find.ResultIds(), QList<qint64>{1});
    QTest::mouseClick(find.findChild<QRadioButton *>(QStringLiteral("CallOutgoing")), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(find.findChild<QRadioButton *>(QStringLiteral("CallOutgoing"))->isChecked());
    QListView *list = find.ResultView();
    const QRect item = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(p.in.currentKey(), 1);
    EXPECT_EQ(p.out.currentKey(), outBefore);
    EXPECT_EQ(pageKind, bkIncoming);

    find.Prepare(bkIncoming);
    find.SearchBtnClick();
    QTest::mouseClick(find.findChild<QRadioButton *>(QStringLiteral("CallOutgoing")), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(find.FeedBtn(), Qt::LeftButton);
    EXPECT_EQ(filterKind, bkIncoming);
    EXPECT_TRUE(p.in.filtered());
    EXPECT_EQ(p.in.recordCount(), 1);
    EXPECT_FALSE(p.out.filtered());
}

TEST(PeriodWindow, UpDownsWrapAndFollowTheBoxes)
{
    EnsureWidgetApp();
    TFormDateInterval w(nullptr, [] { return QDateTime(QDate(2008, 3, 3), QTime(12, 0)); });
    EXPECT_EQ(w.Period().Kind, pkDay);
    QTest::mouseClick(w.findChild<QRadioButton *>(QStringLiteral("RadioQuarter")), Qt::LeftButton, {}, QPoint(5, 5));
    for (int i = 0; i < 4; ++i)
        w.findChild<QToolButton *>(QStringLiteral("UpDownQuarterUp"))->click();
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("EditQuarter"))->text(), QStringLiteral("1 квартал 2008"));
    EXPECT_EQ(w.LabelPeriod()->text(), QStringLiteral("Период - 1 квартал 2008 года"));
    EXPECT_FALSE(w.findChild<QLineEdit *>(QStringLiteral("EditMonth"))->isEnabled());
    w.Pages()->setCurrentIndex(0);
    EXPECT_EQ(w.Period().Kind, pkNone);
    EXPECT_TRUE(w.OkButton()->isEnabled());
}

TEST(StatsWindow, ListsChartsSwitchesAndExport)
{
    Parts p;
    p.addIn("12345", 1, 60, "Иванов");
    p.addIn("12345", 1, 60, "ИВАНОВ");
    p.addIn("777", 2, 0);
    TStatsConfig cfg(p.config, &p.chooser);
    TStats stats(&p.in, &p.out, p.config, &cfg);
    stats.SetMainCaption(QStringLiteral("Программа мониторинга телефонной линии"));
    stats.RefreshStats();
    EXPECT_EQ(stats.windowTitle(), QStringLiteral("Статистика. Интервал без ограничения"));
    EXPECT_EQ(stats.ListView(0, 1)->topLevelItemCount(), 1);
    EXPECT_EQ(stats.ListView(0, 0)->topLevelItem(0)->text(0), QStringLiteral("12345"));
    EXPECT_EQ(stats.Chart(0)->BarTotal(), stats.List(0, 0).TotalCount());

    // The number button waits for a receiver and shows on phone tabs only.
    EXPECT_FALSE(stats.InfoAction()->isEnabled());
    stats.SetNumberInfoReady(true);
    EXPECT_TRUE(stats.InfoAction()->isEnabled());
    stats.Tabs(0)->setCurrentIndex(1);
    EXPECT_FALSE(stats.InfoAction()->isVisible());

    // A switch turned off in the parameters hides its tab after OK/apply.
    cfg.Prepare();
    cfg.InCheck(1)->click();
    EXPECT_TRUE(cfg.ApplyButton()->isEnabled());
    cfg.ApplyClick();
    EXPECT_FALSE(p.config.InF[1]);
    EXPECT_FALSE(stats.Tabs(0)->isTabVisible(1));

    const QString file = p.tmp.filePath("stats.txt");
    ASSERT_TRUE(stats.ExportTo(file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    EXPECT_TRUE(bytes.startsWith("\xcf\xd0\xce\xc3\xd0\xc0\xcc\xcc\xc0"));   // "ПРОГРАММА" in Windows-1251
    EXPECT_TRUE(bytes.contains("12345      \t\t2  \t\t\t0:02:00\r\n"));
    EXPECT_FALSE(bytes.contains("\xc8\xe2\xe0\xed\xee\xe2"));   // the hidden field tab is left out

    // Over an existing file, Cancel writes nothing.
    QString asked;
    stats.ConfirmOverwrite = [&](const QString &q) {
        asked = q;
        return false;
    };
    QFile::resize(file, 3);
    EXPECT_FALSE(stats.ExportTo(file));
    EXPECT_EQ(asked, QStringLiteral("Файл ") + file + QStringLiteral(" существует. Перезаписать его?"));
    EXPECT_EQ(QFileInfo(file).size(), 3);
}

TEST(StatsWindow, ADamagedDateIsLeftOutOfTheChartAndTheWindowSaysSo)
{
    Parts p;
    p.addIn("12345", 1, 60);
    TInCall damaged;
    damaged.Phone = QStringLiteral("777");
    damaged.Time = TDateTime(1e9);
    p.in.AddCall(damaged);
    TStatsConfig cfg(p.config, &p.chooser);
    TStats stats(&p.in, &p.out, p.config, &cfg);
    stats.RefreshStats();
    TStatsChart *chart = stats.Chart(0);
    EXPECT_EQ(chart->BarTotal(), 1);
    EXPECT_FALSE(chart->Note()->isHidden());
    EXPECT_EQ(chart->Note()->text(), QStringLiteral("График показывает звонки с 02.05.1908 по 01.05.2008. Звонков с датой "
                                                    "вне этого срока (вероятно, повреждённой): 1."));

    p.in.ClearCalls();
    p.addIn("12345", 1, 60);
    stats.RefreshStats();
    EXPECT_TRUE(stats.Chart(0)->Note()->isHidden());
}

#include "WidgetTestApp.h"
#include "config/TConfig.h"
#include "config/TIniSettingsStore.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
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
#include <QListWidget>
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
    EXPECT_EQ(find.ResultView()->count(), 0);
    EXPECT_FALSE(find.FeedBtn()->isEnabled());
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

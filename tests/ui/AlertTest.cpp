#include "WidgetTestApp.h"
#include "config/TConfig.h"
#include "config/TIniSettingsStore.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "ui/TAlert.h"
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct AlertParts {
    AlertParts()
    {
        EnsureWidgetApp();
        config.InField[1] = QStringLiteral("Тема");
        config.InField[7] = QStringLiteral("Итог");
        config.OutField[1] = QStringLiteral("Исходящая тема");
    }
    QTemporaryDir tmp;
    TConfig config{nullptr, nullptr, std::make_unique<TIniSettingsStore>(tmp.filePath("Konvelo.ini"))};
    TIncomingCallBook in{tmp.filePath("InCalls")};
    TOutgoingCallBook out{tmp.filePath("OutCalls")};
};

class Alert : public ::testing::Test {
protected:
    qint64 addIn(const QString &phone, double time, const QString &field1 = QString(), const QString &file = QString())
    {
        TInCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Length = TDateTime(75.0 / 86400);
        c.Category = 3;
        c.Field_1 = field1;
        c.Field_7 = field1.isEmpty() ? QString() : field1 + QStringLiteral("!");
        c.FileName = file;
        return p.in.AddCall(c);
    }
    qint64 addOut(const QString &phone, double time, const QString &field1 = QString())
    {
        TOutCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Length = TDateTime(10.0 / 86400);
        c.Attributes = 1;
        c.Field_1 = field1;
        return p.out.AddCall(c);
    }
    QTableView *history() { return alert.findChild<QTableView *>(QStringLiteral("SGNumbersInfo")); }
    QModelIndex at(int row, int column) { return history()->model()->index(row, column); }
    void select(int row) { history()->setCurrentIndex(at(row, TAlert::hcTime)); }
    QTableWidget *fields() { return alert.findChild<QTableWidget *>(QStringLiteral("SGFields")); }
    QString labelPhone() { return alert.findChild<QLabel *>(QStringLiteral("LabelPhone"))->text(); }
    QString cell(int row, int column) { return at(row, column).data().toString(); }
    QVariant value(int row, int column) { return at(row, column).data(TAlert::ValueRole); }
    qint64 callId(int row) { return value(row, TAlert::hcIndex).toLongLong(); }
    QColor color(const char *name) { return alert.findChild<QWidget *>(QLatin1String(name))->palette().color(QPalette::Window); }

    AlertParts p;
    TAlert alert{&p.in, &p.out, &p.config};
};
}

TEST_F(Alert, HistoryOfBothJournalsNewestFirstWithTheNewestCallsFields)
{
    const QString number = QStringLiteral("5551234");
    const double day = 46000;
    const qint64 in1 = addIn(number, day + 0.30, QStringLiteral("первый"));
    addIn(QStringLiteral("5551235"), day + 5);
    const qint64 in2 = addIn(number, day + 2.10, QStringLiteral("утро"), QStringLiteral("/r/a.wav"));
    const qint64 out1 = addOut(number, day + 2.60, QStringLiteral("вечер"));
    const qint64 in3 = addIn(number, day + 1.50);
    const qint64 out2 = addOut(number, day + 0.90);
    addOut(QStringLiteral("55512345"), day + 9);

    alert.ShowCaller(number, QStringLiteral("Иванов"), QStringLiteral("заметка"), QStringLiteral("Москва"));
    EXPECT_EQ(alert.windowTitle(), QStringLiteral("Внимание! Входящий звонок"));
    EXPECT_TRUE(alert.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(labelPhone(), QStringLiteral("Номер  5551234"));
    EXPECT_EQ(alert.PanelInfoCaption(), QString());
    EXPECT_EQ(alert.findChild<QLabel *>(QStringLiteral("LabelName"))->text(), QStringLiteral("Иванов"));
    EXPECT_EQ(alert.findChild<QLabel *>(QStringLiteral("LabelAddress"))->text(), QStringLiteral("Москва"));

    ASSERT_EQ(alert.HistoryRowCount(), 5);
    // Two calls on day + 2 are ordered by their time of day.
    EXPECT_EQ((QList<qint64>{callId(0), callId(1), callId(2), callId(3), callId(4)}),
              (QList<qint64>{out1, in2, in3, out2, in1}));
    EXPECT_EQ((QStringList{cell(0, 3), cell(1, 3), cell(2, 3), cell(3, 3), cell(4, 3)}),
              (QStringList{"out", "in", "in", "out", "in"}));
    EXPECT_EQ(cell(1, TAlert::hcTime), TDateTime(day + 2.10).toShortDateString() + " " + TDateTime(day + 2.10).toLongTimeString());
    EXPECT_EQ(cell(1, TAlert::hcLength), QStringLiteral("0:01:15"));
    EXPECT_EQ(cell(1, TAlert::hcFileName), QStringLiteral("/r/a.wav"));
    EXPECT_EQ(value(1, TAlert::hcTime).toInt(), int(day + 2));
    EXPECT_EQ(value(1, TAlert::hcLength).toLongLong(), 100000);
    EXPECT_EQ(value(1, TAlert::hcAttributes).toInt(), 3);   // Category
    EXPECT_EQ(value(0, TAlert::hcAttributes).toInt(), 1);   // Attributes
    EXPECT_EQ(cell(0, TAlert::hcIndex), QStringLiteral("1"));
    EXPECT_EQ(cell(4, TAlert::hcIndex), QStringLiteral("5"));

    // The first row is selected: the outgoing captions and its fields.
    EXPECT_EQ(history()->currentIndex().row(), 0);
    EXPECT_EQ(fields()->rowCount(), 7);
    EXPECT_EQ(fields()->item(0, 0)->text(), QStringLiteral("Исходящая тема"));
    EXPECT_EQ(fields()->item(0, 1)->text(), QStringLiteral("вечер"));
    EXPECT_FALSE(fields()->isEnabled());

    // Another row brings its own journal's captions and fields.
    select(1);
    EXPECT_EQ(fields()->item(0, 0)->text(), QStringLiteral("Тема"));
    EXPECT_EQ(fields()->item(0, 1)->text(), QStringLiteral("утро"));
    EXPECT_EQ(fields()->item(6, 1)->text(), QStringLiteral("утро!"));
}

TEST_F(Alert, FiltersHideNothingAndTheJournalsStayAsTheyWere)
{
    const QString number = QStringLiteral("7770001");
    addIn(number, 46000.5, QStringLiteral("скрытый"));
    addIn(QStringLiteral("1110000"), 46001.5);
    const qint64 current = addIn(QStringLiteral("1110001"), 46002.5);
    addOut(number, 46003.5);
    p.in.setFilter(QStringLiteral("Phone = '111*'"));
    p.in.setFiltered(true);
    p.in.locate(current);
    p.out.setFilter(QStringLiteral("Phone = '9*'"));
    p.out.setFiltered(true);

    alert.ShowCaller(number, QString(), QString(), QString());
    EXPECT_EQ(alert.HistoryRowCount(), 2);
    EXPECT_EQ(cell(1, TAlert::hcDirection), QStringLiteral("in"));
    select(1);
    EXPECT_EQ(fields()->item(0, 1)->text(), QStringLiteral("скрытый"));

    EXPECT_TRUE(p.in.filtered());
    EXPECT_EQ(p.in.recordCount(), 2);
    EXPECT_EQ(p.in.currentKey(), current);
    EXPECT_TRUE(p.out.filtered());
    EXPECT_EQ(p.out.recordCount(), 0);
}

TEST_F(Alert, CallerWithoutEarlierCallsShowsOneEmptyRow)
{
    addIn(QStringLiteral("1"), 46000.5, QStringLiteral("чужой"));
    alert.ShowCaller(QStringLiteral("2"), QString(), QString(), QString());
    ASSERT_EQ(alert.HistoryRowCount(), 1);
    EXPECT_EQ(cell(0, TAlert::hcTime), QString());
    EXPECT_EQ(fields()->item(0, 0)->text(), QStringLiteral("Тема"));
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(fields()->item(r, 1)->text(), QString());
}

TEST_F(Alert, TheSameNumberKeepsTheContentsUntilTheWindowCloses)
{
    const QString number = QStringLiteral("3330000");
    addIn(number, 46000.5);
    alert.ShowCaller(number, QStringLiteral("Первый"), QString(), QString());
    alert.show();
    addIn(number, 46001.5);
    alert.ShowCaller(number, QStringLiteral("Второй"), QString(), QString());
    EXPECT_EQ(alert.HistoryRowCount(), 1);
    EXPECT_EQ(alert.Name(), QStringLiteral("Первый"));

    alert.close();
    EXPECT_EQ(alert.Number(), QString());
    alert.ShowCaller(number, QStringLiteral("Второй"), QString(), QString());
    EXPECT_EQ(alert.HistoryRowCount(), 2);
    EXPECT_EQ(alert.Name(), QStringLiteral("Второй"));
}

TEST_F(Alert, NumberNotYetKnownThenKnownOrNotKnownAfterTheTimeout)
{
    alert.ShowCaller(TAlert::NotYetKnown, QString(), QString(), QString());
    alert.show();
    EXPECT_EQ(labelPhone(), QStringLiteral("Номер пока не определен"));
    EXPECT_EQ(alert.PanelInfoCaption(), QStringLiteral("Входящий звонок"));
    EXPECT_FALSE(history()->isVisible());
    EXPECT_FALSE(alert.findChild<QWidget *>(QStringLiteral("PanelNames"))->isVisible());

    // The number arrives: its history replaces the placeholder.
    addIn(QStringLiteral("4440000"), 46000.5);
    alert.ShowCaller(QStringLiteral("4440000"), QString(), QString(), QString());
    EXPECT_TRUE(history()->isVisible());
    EXPECT_EQ(alert.HistoryRowCount(), 1);
    EXPECT_EQ(callId(0), 1);
    EXPECT_EQ(labelPhone(), QStringLiteral("Номер  4440000"));
    alert.close();

    // No number: a second after the talk starts it reads "не определен".
    alert.ShowCaller(TAlert::NotYetKnown, QString(), QString(), QString());
    alert.show();
    alert.StartNumberTimeout();
    EXPECT_TRUE(alert.NumTimer()->isActive());
    EXPECT_EQ(alert.NumTimer()->interval(), 1000);
    alert.NumTimerTimer();
    EXPECT_FALSE(alert.NumTimer()->isActive());
    EXPECT_EQ(labelPhone(), QStringLiteral("Номер не определен"));
    EXPECT_EQ(alert.PanelInfoCaption(), QStringLiteral("Входящий звонок"));

    // With the number known the timer changes nothing.
    alert.close();
    alert.ShowCaller(QStringLiteral("4440000"), QString(), QString(), QString());
    alert.StartNumberTimeout();
    alert.NumTimerTimer();
    EXPECT_EQ(labelPhone(), QStringLiteral("Номер  4440000"));
}

TEST_F(Alert, FlashesForFiveSecondsAfterShowing)
{
    alert.ShowCaller(QStringLiteral("1"), QString(), QString(), QString());
    alert.show();
    EXPECT_TRUE(alert.FlashTimer()->isActive());
    EXPECT_TRUE(alert.StopTimer()->isActive());
    EXPECT_EQ(alert.FlashTimer()->interval(), 1000);
    EXPECT_EQ(alert.StopTimer()->interval(), 5000);
    alert.FlashTimerTimer();
    for (const char *name : {"GroupBox1", "GroupBox2", "Panel1", "Panel2"})
        EXPECT_EQ(color(name), QColor(Qt::blue)) << name;
    alert.FlashTimerTimer();
    EXPECT_EQ(color("GroupBox1"), QColor(Qt::white));
    alert.FlashTimerTimer();
    alert.StopTimerTimer();
    EXPECT_FALSE(alert.FlashTimer()->isActive());
    EXPECT_FALSE(alert.StopTimer()->isActive());
    for (const char *name : {"GroupBox1", "GroupBox2", "Panel1", "Panel2"})
        EXPECT_EQ(color(name), QColor(Qt::white)) << name;
}

TEST_F(Alert, ButtonsAndEscape)
{
    int rings = 0;
    QStringList opened;
    alert.OnStopRing = [&] { ++rings; };
    // Without an information-fields editor "&Параметры" offers nothing.
    auto *parameters = alert.findChild<QPushButton *>(QStringLiteral("ShowInputFormBtn"));
    EXPECT_FALSE(parameters->isEnabled());
    alert.SetShowInputForm([&](const QString &n) { opened << n; });
    EXPECT_TRUE(parameters->isEnabled());

    alert.ShowCaller(TAlert::NotYetKnown, QString(), QString(), QString());
    alert.show();
    alert.findChild<QPushButton *>(QStringLiteral("ShowInputFormBtn"))->click();
    alert.ShowCaller(QStringLiteral("5"), QString(), QString(), QString());
    alert.findChild<QPushButton *>(QStringLiteral("ShowInputFormBtn"))->click();
    EXPECT_EQ(opened, (QStringList{"?", "5"}));
    EXPECT_TRUE(alert.isVisible());

    // Escape closes without stopping the ring; OK stops it and closes.
    QTest::keyClick(alert.findChild<QPushButton *>(QStringLiteral("BitBtn1")), Qt::Key_Escape);
    EXPECT_FALSE(alert.isVisible());
    EXPECT_EQ(rings, 0);
    alert.ShowCaller(QStringLiteral("5"), QString(), QString(), QString());
    alert.show();
    alert.findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    EXPECT_FALSE(alert.isVisible());
    EXPECT_EQ(rings, 1);
    EXPECT_EQ(alert.Number(), QString());
}

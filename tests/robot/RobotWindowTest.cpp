// The robot's windows under the offscreen platform: the options dialog's
// controls, the editor's keys, the list window's commands and history.
#include "WidgetTestApp.h"
#include "phone/TPhone.h"
#include "phone/TQtPhoneClock.h"
#include "records/TOutgoingCallBook.h"
#include "robot/TFormPhoneRobot.h"
#include "robot/TFormRobotEditor.h"
#include "robot/TFormRobotOptions.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(RobotOptionsDialog, RoundsSpinsRevertsBadTimesAndEnablesByChoice)
{
    EnsureWidgetApp();
    TFormRobotOptions o;
    o.Load(TRobotConfig(), TRobotSchedule(), false);
    o.show();
    EXPECT_EQ(o.SpinEditCount->value(), 20);
    EXPECT_EQ(o.FSpeaker->checkedId(), 0);                 // code 4: "Всегда выключен"
    EXPECT_EQ(o.FCriterion->checkedId(), 2);
    EXPECT_FALSE(o.RG_Channel->isEnabled());
    EXPECT_FALSE(o.SpinEditTimeOut->isEnabled());          // answers not recorded
    EXPECT_FALSE(o.CheckBoxWeek[0]->isEnabled());
    EXPECT_TRUE(o.CheckBoxWeek[4]->isChecked());
    EXPECT_FALSE(o.CheckBoxWeek[5]->isChecked());

    for (auto [typed, left] : {std::pair{"25", 30}, {"150", 150}}) {
        o.SpinEditWaitForHangUp->setFocus();
        o.SpinEditWaitForHangUp->selectAll();
        QTest::keyClicks(o.SpinEditWaitForHangUp, QString::fromLatin1(typed));
        QFocusEvent focusOut(QEvent::FocusOut);
        QApplication::sendEvent(o.SpinEditWaitForHangUp, &focusOut);
        EXPECT_EQ(o.SpinEditWaitForHangUp->value(), left) << typed;
    }

    QLineEdit *start = o.MaskEditStart;
    start->setFocus();
    start->selectAll();
    QTest::keyClicks(start, QStringLiteral("22:00"));
    EXPECT_EQ(start->text(), QStringLiteral("22:00"));
    start->selectAll();
    QTest::keyClicks(start, QStringLiteral("25:00"));  // no such hour
    EXPECT_EQ(start->text(), QStringLiteral("22:00"));

    o.FCriterion->button(3)->click();
    EXPECT_FALSE(o.SpinEditMessageCount->isEnabled());
    o.CheckBoxGetAnswer->click();
    EXPECT_TRUE(o.SpinEditTimeOut->isEnabled());
    o.FRegistration->button(2)->click();
    EXPECT_FALSE(o.CheckBoxGetAnswer->isEnabled());
    EXPECT_FALSE(o.SpinEditTimeOut->isEnabled());
    o.CheckBoxWeeks->click();
    EXPECT_TRUE(o.CheckBoxWeek[6]->isEnabled());

    o.FSpeaker->button(2)->click();
    o.CheckBoxWeek[6]->click();
    TRobotConfig c;
    TRobotSchedule s;
    o.Store(c, s);
    EXPECT_EQ(c.Speaker, 0);
    EXPECT_EQ(c.Criterion, 3);
    EXPECT_EQ(c.LogBook, 2);
    EXPECT_EQ(c.TimeOutHangUp, 150);
    EXPECT_EQ(s.StartTime, QTime(22, 0));
    EXPECT_EQ(s.EndTime, QTime(21, 0));
    EXPECT_EQ(s.WeekFlags, 1 + 62 + 128);
    for (int code : {0, 1, 2, 4, 7})
        EXPECT_EQ(TFormRobotOptions::SpeakerCode(TFormRobotOptions::SpeakerItem(code)), code == 7 ? 4 : code);
}

TEST(RobotEditorDialog, EnterMovesAlongTheRowsAndAFreeRowIsAlwaysOffered)
{
    EnsureWidgetApp();
    TFormRobotEditor e;
    e.SetRows({{QStringLiteral("111"), QStringLiteral("a"), 4}, {}});
    e.show();
    QTableWidget *g = e.SGEditor;
    EXPECT_EQ(g->currentRow(), 0);
    EXPECT_EQ(g->currentColumn(), 1);
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(g->currentColumn(), 2);
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(g->currentRow(), 1);
    EXPECT_EQ(g->currentColumn(), 1);
    EXPECT_EQ(g->rowCount(), 3);                           // the last row was selected
    EXPECT_TRUE(e.isVisible());                            // Enter never closes the dialog
    g->setItem(1, 1, new QTableWidgetItem(QStringLiteral("0")));
    g->setItem(2, 1, new QTableWidgetItem(QStringLiteral("22")));
    e.SortGrid(1);
    const QList<TRobotEditorRow> rows = e.Rows();
    EXPECT_EQ(rows[0].Number, QStringLiteral("22"));
    EXPECT_EQ(rows[1].Number, QStringLiteral("111"));
    EXPECT_EQ(rows[1].Count, 4);                           // the hidden count moves with its row
    EXPECT_EQ(rows[2].Number, QStringLiteral("0"));
}

class RobotWindow : public ::testing::Test {
protected:
    RobotWindow()
        : out((EnsureWidgetApp(), dir.filePath(QStringLiteral("OutCalls")))),
          window(config, schedule, phone, *TQtPhoneClock::instance(), &out, nullptr,
                 dir.filePath(QStringLiteral("RobotConfig.ini")))
    {
        window.RunEditor = [this](TFormRobotEditor &e) {
            if (editorRows.isEmpty())
                return false;
            e.SetRows(editorRows);
            return true;
        };
        window.AskSave = [this] {
            ++asked;
            return answer;
        };
        window.ChooseSaveFile = [this](const QString &) { return saveAs; };
    }
    QTemporaryDir dir;
    TOutgoingCallBook out;
    TPhone phone;
    TRobotConfig config;
    TRobotSchedule schedule;
    TFormPhoneRobot window;
    QList<TRobotEditorRow> editorRows;
    int asked = 0;
    bool answer = true;
    QString saveAs;
};

TEST_F(RobotWindow, ClosingWithANewListAsksAndACancelledSaveStillCloses)
{
    editorRows = {{QStringLiteral("5551"), QStringLiteral("x"), 0}, {}};
    window.show();
    window.NewClick();
    EXPECT_EQ(window.List().State(), rlsNew);
    EXPECT_TRUE(window.PanelTitle->text().isEmpty());
    window.close();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.List().State(), rlsNew);          // nothing written
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("RobotConfig.ini"))));

    // Yes and a file chosen: written there, the title names it.
    saveAs = dir.filePath(QStringLiteral("new.txt"));
    window.show();
    window.close();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(window.List().State(), rlsSaved);
    EXPECT_TRUE(window.PanelTitle->text().startsWith(QStringLiteral(" Список: ")));
    EXPECT_TRUE(QFile::exists(saveAs));
}

TEST_F(RobotWindow, EditingClearsMarksAndHeaderClicksSortTheGrid)
{
    const QString file = dir.filePath(QStringLiteral("l.txt"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("30 + c |2\r\n4 = a |0\r\nx = b |1\r\n");
    f.close();
    window.show();
    window.OpenList(file);
    EXPECT_EQ(window.List().State(), rlsSaved);
    EXPECT_EQ(window.SGMain->item(0, 4)->text(), QStringLiteral("2"));
    EXPECT_EQ(window.SGMain->item(0, 3)->data(Qt::UserRole).toString(), QStringLiteral("+"));

    QTest::mouseClick(window.SGMain->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(window.SGMain->columnViewportPosition(1) + 5, 5));
    EXPECT_EQ(window.SGMain->item(0, 1)->text(), QStringLiteral("4"));
    EXPECT_EQ(window.SGMain->item(2, 1)->text(), QStringLiteral("x"));

    editorRows = window.List().EditorRows();
    window.EditClick();
    EXPECT_EQ(window.List().State(), rlsModified);
    EXPECT_TRUE(window.SGMain->item(1, 3)->data(Qt::UserRole).toString().isEmpty());
    EXPECT_EQ(window.SGMain->item(1, 4)->text(), QStringLiteral("2"));
    answer = false;
    window.close();
    EXPECT_EQ(asked, 1);
}

TEST_F(RobotWindow, HistoryHoldsOnlyTheRobotCallsOfTheSelectedNumber)
{
    const auto add = [&](const QString &phone, double time, uint8_t attributes, const QString &file) {
        TOutCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Attributes = attributes;
        c.FileName = file;
        out.AddCall(c);
    };
    add(QStringLiteral("5551"), 46000.5, 16, QStringLiteral("/r/a.wav"));
    add(QStringLiteral("5551"), 46001.5, 16 | 1, QString());
    add(QStringLiteral("5551"), 46002.5, 1, QString());          // not a robot call
    add(QStringLiteral("55510"), 46003.5, 16, QString());        // another number
    out.setFilter(QStringLiteral("Phone = '1'"));
    out.setFiltered(true);                                        // the journal's filter does not hide them
    editorRows = {{QStringLiteral("5551"), QString(), 0}, {QStringLiteral("777"), QString(), 0}, {}};
    window.show();
    window.NewClick();
    window.SGMain->setCurrentCell(0, 1);
    ASSERT_EQ(window.SGInfo->rowCount(), 2);
    EXPECT_EQ(window.SGInfo->item(0, 0)->text(),                 // newest first
              TDateTime(46001.5).toQDateTime().toString(QStringLiteral("dd.MM.yyyy H:mm:ss")));
    EXPECT_TRUE(window.SGInfo->item(1, 1)->toolTip().endsWith(QStringLiteral("a.wav")));
    window.SGMain->setCurrentCell(1, 1);
    EXPECT_EQ(window.SGInfo->rowCount(), 0);
    EXPECT_EQ(TFormPhoneRobot::RestTimeText(3725000), QStringLiteral("1:02:05"));
    answer = false;
}

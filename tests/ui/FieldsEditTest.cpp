#include "WidgetTestApp.h"
#include "audio/TTickTimer.h"
#include "config/TConfig.h"
#include "config/TIniSettingsStore.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "ui/TFormFieldsEdit.h"
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {
// TimerWaitBeforClose fired by the test instead of after 60 s.
class HandTimer : public TTickTimer {
public:
    void Start(int intervalMs) override { Interval = intervalMs; Running = true; }
    void Stop() override { Running = false; }
    bool Active() const override { return Running; }
    void Fire() { if (Running && OnTimer) OnTimer(); }
    int Interval = 0;
    bool Running = false;
};

class FieldsEdit : public ::testing::Test {
protected:
    FieldsEdit()
    {
        config.InFieldYes.fill(false);
        config.OutFieldYes.fill(false);
        config.InField[3] = QStringLiteral("Тема");
        config.InField[5] = QStringLiteral("Итог");
        config.InFieldYes[3] = config.InFieldYes[5] = true;
        config.OutFieldYes[1] = true;
        auto t = std::make_unique<HandTimer>();
        timer = t.get();
        editor = std::make_unique<TFormFieldsEdit>(&in, &out, &book, &config, nullptr, std::move(t));
        editor->SetMainWindow(&main);
    }
    ~FieldsEdit() override { editor.reset(); }

    qint64 addIn(const QString &phone, double time, const QString &field3 = QString(), double reminder = 0)
    {
        TInCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Length = TDateTime(30.0 / 86400);
        c.Field_3 = field3;
        c.Field_8 = TDateTime(reminder);
        return in.AddCall(c);
    }
    qint64 addOut(const QString &phone, double time)
    {
        TOutCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Length = TDateTime(5.0 / 86400);
        c.Field_1 = QStringLiteral("исходящий");
        return out.AddCall(c);
    }
    QVariant inField(qint64 id, const char *name)
    {
        return in.rowByKey(id).value(in.schema().fieldIndex(QLatin1String(name)));
    }
    template <class W> W *find(const char *name) { return editor->findChild<W *>(QLatin1String(name)); }
    QTableView *history() { return find<QTableView>("SGNumbersInfo"); }
    QVariant cell(int row, int column, int role = Qt::DisplayRole)
    {
        return history()->model()->index(row, column).data(role);
    }
    void select(int row) { history()->setCurrentIndex(history()->model()->index(row, TFormFieldsEdit::hcTime)); }
    void type(const char *edit, const QString &text) { QTest::keyClicks(find<QLineEdit>(edit), text); }

    bool app = (EnsureWidgetApp(), true);
    QTemporaryDir tmp;
    TConfig config{nullptr, nullptr, std::make_unique<TIniSettingsStore>(tmp.filePath("Konvelo.ini"))};
    TIncomingCallBook in{tmp.filePath("InCalls")};
    TOutgoingCallBook out{tmp.filePath("OutCalls")};
    TAddressBook book{tmp.filePath("AddressBook")};
    QWidget main;
    HandTimer *timer = nullptr;
    std::unique_ptr<TFormFieldsEdit> editor;
};
}

TEST_F(FieldsEdit, EnabledFieldsOnlyAndTheNumbersHistoryNewestFirst)
{
    const QString number = QStringLiteral("5551234");
    book.AddPerson(number, QStringLiteral("Иванов"), 0, QStringLiteral("Тверская, 1"), QStringLiteral("друг"),
                   QString(), -1, false);
    const qint64 old = addIn(number, 46000.25, QStringLiteral("старый"), 46010);
    addIn(QStringLiteral("5559999"), 46003.0);
    const qint64 same = addIn(number, 46002.75);
    addOut(number, 46002.5);
    // The journals' filter and current row are not the history's business.
    in.setFilter(QStringLiteral("Phone = '5559999'"));
    in.setFiltered(true);

    editor->LoadCall(number, ckIncoming);
    auto *grid = find<QTableWidget>("StringGridFields");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("Тема"));
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("Итог"));
    EXPECT_EQ(find<QLabel>("NameLabel")->text(), QStringLiteral("Иванов"));
    EXPECT_EQ(find<QPlainTextEdit>("NotesMemo")->toPlainText(), QStringLiteral("друг"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор информационных полей входящего звонка"));

    ASSERT_EQ(editor->HistoryRowCount(), 3);
    const auto id = [&](int r) { return cell(r, TFormFieldsEdit::hcIndex, TFormFieldsEdit::ValueRole).toLongLong(); };
    EXPECT_EQ(id(0), same);
    EXPECT_EQ(cell(1, TFormFieldsEdit::hcDirection).toString(), QStringLiteral("out"));
    EXPECT_EQ(id(2), old);
    EXPECT_EQ(in.recordCount(), 1);   // still filtered

    // The oldest row: its fields and its reminder.
    select(2);
    auto *fields = find<QTableWidget>("SGFields");
    ASSERT_EQ(fields->rowCount(), 7);
    EXPECT_EQ(fields->item(2, 1)->text(), QStringLiteral("старый"));
    EXPECT_FALSE(find<QGroupBox>("PanelReminder")->isHidden());
    EXPECT_EQ(find<QLabel>("LabelDate")->text(), TDateTime(46010).toShortDateString());
    select(1);
    EXPECT_EQ(fields->item(0, 1)->text(), QStringLiteral("исходящий"));
    EXPECT_TRUE(find<QGroupBox>("PanelReminder")->isHidden());

    // Outgoing: one enabled field, the number as a label; a stranger has no name.
    editor->LoadCall(QStringLiteral("5550000"), ckOutgoing);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_TRUE(find<QLineEdit>("EditNumber")->isHidden());
    EXPECT_TRUE(find<QLabel>("NameLabel")->text().isEmpty());
    EXPECT_EQ(editor->HistoryRowCount(), 1);
    EXPECT_TRUE(cell(0, TFormFieldsEdit::hcTime).toString().isEmpty());
}

TEST_F(FieldsEdit, OkBeforeTheRowExistsLeavesTheValuesPendingAndAfterItWritesTheRow)
{
    editor->LoadCall(QString(), ckIncoming);
    EXPECT_EQ(find<QLineEdit>("EditNumber")->text(), QStringLiteral("?"));
    editor->ShowInFront();
    EXPECT_FALSE(main.isEnabled());
    EXPECT_FALSE(editor->Edited());

    // The undetermined number corrected, two fields typed, a reminder ticked.
    find<QLineEdit>("EditNumber")->selectAll();
    type("EditNumber", QStringLiteral("5557777"));
    type("Field5Edit", QStringLiteral("call back"));
    type("Field3Edit", QStringLiteral("invoice"));
    find<QCheckBox>("CheckBoxReminder")->click();
    EXPECT_EQ(find<QDateEdit>("DatePicker")->date(), QDate::currentDate().addDays(1));
    editor->PressOK();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(editor->Edited());
    EXPECT_EQ(editor->EditNumber(), QStringLiteral("5557777"));
    const QList<TFieldEntry> values = editor->FieldValues();
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values.at(0).Tag, 3);
    EXPECT_EQ(values.at(0).Text, QStringLiteral("invoice"));
    EXPECT_EQ(values.at(1).Tag, 5);
    EXPECT_TRUE(editor->ReminderChecked());

    // Opened again for the same call (the talk starts): the pending values stay.
    editor->LoadCall(QStringLiteral("?"), ckIncoming);
    editor->ShowInFront();
    EXPECT_TRUE(editor->Edited());
    EXPECT_EQ(find<QLineEdit>("Field3Edit")->text(), QStringLiteral("invoice"));
    EXPECT_EQ(editor->EditNumber(), QStringLiteral("5557777"));

    // The call ended while it shows: OK writes into that row.
    const qint64 row = addIn(QStringLiteral("?"), 46100);
    editor->SetCallId(row);
    editor->PressOK();
    EXPECT_FALSE(editor->Edited());
    EXPECT_EQ(inField(row, "Phone").toString(), QStringLiteral("5557777"));
    EXPECT_EQ(inField(row, "Field_3").toString(), QStringLiteral("invoice"));
    EXPECT_EQ(inField(row, "Field_5").toString(), QStringLiteral("call back"));
    EXPECT_DOUBLE_EQ(inField(row, "Field_8").toDouble(), TDateTime::fromDate(QDate::currentDate().addDays(1)).value());

    // Cancel empties the values; an emptied number box keeps the row's number.
    editor->LoadCall(QStringLiteral("5557777"), ckIncoming);
    editor->ShowInFront();
    type("Field3Edit", QStringLiteral("x"));
    editor->CancelBtnClick();
    EXPECT_FALSE(editor->Edited());
    EXPECT_TRUE(editor->FieldValues().at(0).Text.isEmpty());
    editor->ShowInFront();
    find<QLineEdit>("EditNumber")->clear();
    editor->SetCallId(row);
    editor->PressOK();
    EXPECT_EQ(inField(row, "Phone").toString(), QStringLiteral("5557777"));
}

TEST_F(FieldsEdit, AnUntouchedEditorClosesAMinuteAfterTheCallAndATouchedOneStays)
{
    editor->LoadCall(QStringLiteral("5551234"), ckIncoming);
    editor->RestartCloseTimer();   // hidden: nothing to close
    EXPECT_FALSE(timer->Running);
    editor->ShowInFront();
    editor->RestartCloseTimer();
    ASSERT_TRUE(timer->Running);
    EXPECT_EQ(timer->Interval, 60000);
    timer->Fire();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(timer->Running);

    // A key in a field during the wait: the window stays and keeps the text.
    editor->LoadCall(QStringLiteral("5551234"), ckIncoming);
    editor->ShowInFront();
    editor->RestartCloseTimer();
    timer->Interval = 0;
    type("Field3Edit", QStringLiteral("a"));
    EXPECT_EQ(timer->Interval, 60000);   // restarted by the key
    timer->Fire();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->Edited());
    editor->RestartCloseTimer();   // touched: no new wait
    EXPECT_FALSE(timer->Running);

    // The wait of one call does not close the window of the next.
    editor->CancelBtnClick();
    editor->ShowInFront();
    editor->RestartCloseTimer();
    editor->Close();
    editor->ShowInFront();
    timer->Fire();
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(FieldsEdit, PendingValuesStayWithTheirCallAndAReminderIsWrittenWithoutAnyField)
{
    // OK before the row exists, then prepared again for the same call: the values stay.
    editor->SetOwnerCall(7);
    editor->LoadCall(QStringLiteral("5551234"), ckIncoming);
    editor->ShowInFront();
    type("Field3Edit", QStringLiteral("invoice"));
    find<QCheckBox>("CheckBoxReminder")->click();
    editor->PressOK();
    ASSERT_TRUE(editor->Edited());
    editor->SetOwnerCall(7);
    editor->LoadCall(QStringLiteral("5551234"), ckIncoming);
    EXPECT_EQ(find<QLineEdit>("Field3Edit")->text(), QStringLiteral("invoice"));
    EXPECT_TRUE(editor->ReminderChecked());

    // Another call: what was pending for the first goes, and nothing of it is shown.
    editor->SetOwnerCall(8);
    EXPECT_FALSE(editor->Edited());
    editor->LoadCall(QStringLiteral("5559999"), ckIncoming);
    EXPECT_TRUE(find<QLineEdit>("Field3Edit")->text().isEmpty());
    EXPECT_FALSE(editor->ReminderChecked());
    EXPECT_EQ(editor->EditNumber(), QStringLiteral("5559999"));

    // No field enabled: OK writes the ticked reminder alone, and a "?" in the
    // number box leaves the row's number as it is.
    config.InFieldYes.fill(false);
    const qint64 row = addIn(QStringLiteral("5557777"), 46100, QStringLiteral("старый"));
    editor->LoadCall(QStringLiteral("?"), ckIncoming);
    editor->ShowInFront();
    EXPECT_TRUE(editor->FieldValues().isEmpty());
    find<QCheckBox>("CheckBoxReminder")->click();
    find<QDateEdit>("DatePicker")->setDate(QDate(2030, 5, 6));
    editor->SetCallId(row);
    editor->PressOK();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_DOUBLE_EQ(inField(row, "Field_8").toDouble(), TDateTime::fromDate(QDate(2030, 5, 6)).value());
    EXPECT_EQ(inField(row, "Field_3").toString(), QStringLiteral("старый"));
    EXPECT_EQ(inField(row, "Phone").toString(), QStringLiteral("5557777"));

    // Unticked and confirmed again: the reminder is gone.
    editor->ShowInFront();
    find<QCheckBox>("CheckBoxReminder")->click();
    editor->SetCallId(row);
    editor->PressOK();
    EXPECT_DOUBLE_EQ(inField(row, "Field_8").toDouble(), 0.0);
}

TEST_F(FieldsEdit, TitleBarCloseAltF4AndEscLeaveNoValuesPending)
{
    const auto typedThenClosed = [&](const std::function<void()> &closeIt) {
        editor->LoadCall(QStringLiteral("5551234"), ckIncoming);
        editor->ShowInFront();
        type("Field3Edit", QStringLiteral("draft"));
        find<QCheckBox>("CheckBoxReminder")->click();
        ASSERT_TRUE(editor->Edited());
        closeIt();
        EXPECT_FALSE(editor->isVisible());
        EXPECT_TRUE(main.isEnabled());
        EXPECT_FALSE(editor->Edited());
        EXPECT_TRUE(editor->FieldValues().at(0).Text.isEmpty());
        EXPECT_FALSE(editor->ReminderChecked());
    };
    typedThenClosed([&] { EXPECT_TRUE(editor->close()); });
    typedThenClosed([&] { QTest::keyClick(find<QLineEdit>("Field3Edit"), Qt::Key_F4, Qt::AltModifier); });
    typedThenClosed([&] { QTest::keyClick(find<QLineEdit>("Field3Edit"), Qt::Key_Escape); });
}

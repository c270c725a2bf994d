// The reminder list and the number information window inside the running
// program: built at start-up, rebuilt when a call's fields change, opened from
// the dial box, going to a call's page.
#include "MainTestSupport.h"
#include "app/TMain.h"
#include "app/TPhoneSession.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "tools/PhoneSimProcess.h"
#include "ui/TFormFieldsEdit.h"
#include "ui/TFormNumberInfo.h"
#include "ui/TJournalPage.h"
#include "ui/TReminderPanel.h"
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace MainTestSupport;

TEST(CallDetailsMain, RemindersAndTheNumberWindowFollowTheJournals)
{
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.path();
    const double today = TDateTime::now().days();
    qint64 outId = 0;
    {
        TIncomingCallBook in(QDir(base).filePath(QStringLiteral("Data/InCalls")));
        TOutgoingCallBook out(QDir(base).filePath(QStringLiteral("Data/OutCalls")));
        TInCall c;
        c.Phone = QStringLiteral("5551234");
        c.Time = TDateTime(today - 2);
        c.Length = TDateTime(60.0 / 86400);
        c.Field_8 = TDateTime(today + 1);
        in.AddCall(c);
        TOutCall o;
        o.Phone = QStringLiteral("5551234");
        o.Time = TDateTime(today - 1);
        o.Length = TDateTime(30.0 / 86400);
        o.Attributes = 1;
        outId = out.AddCall(o);
    }
    PhoneSimProcess sim(QDir(base).filePath(QStringLiteral("sim.log")),
                        {QStringLiteral("--keepalive"), QStringLiteral("1000")});
    QString error;
    ASSERT_TRUE(sim.start(&error)) << error.toStdString();
    ASSERT_TRUE(WriteSettings(base, QDir(base).filePath(QStringLiteral("Records")), sim.device()));
    BaseFolder::set(base);
    auto main = std::make_unique<TMain>();
    main->ConfirmExit = [] { return true; };
    ASSERT_TRUE(SpinUntil([&] { return !main->Session()->Flags().StartingUp && main->isVisible(); }));

    // Start-up lists the reminder; writing one on the other call lists it too.
    ASSERT_NE(main->Reminders(), nullptr);
    EXPECT_EQ(main->Reminders()->Count(), 1);
    main->OutCalls()->UpdateFields(outId, {{1, QStringLiteral("call back")}}, TDateTime(today + 2));
    EXPECT_EQ(main->Reminders()->Count(), 2);

    // "Информация" beside the dial box opens the window for the box's number.
    main->findChild<QLineEdit *>(QStringLiteral("phNumber"))->setText(QStringLiteral("5551234"));
    main->findChild<QToolButton *>(QStringLiteral("SpeedButtonNumberInfo"))->click();
    TFormNumberInfo *info = main->NumberInfo();
    ASSERT_TRUE(info->isVisible());
    EXPECT_EQ(info->Number(), QStringLiteral("5551234"));
    EXPECT_EQ(info->HistoryRowCount(), 2);
    EXPECT_EQ(info->ReturnForm(), main.get());

    // Going to the outgoing call shows the outgoing page on that row.
    ASSERT_FALSE(info->CurrentCall()->Incoming);
    main->Pages()->setCurrentIndex(0);
    info->SpeedButtonGotoCellClick();
    EXPECT_FALSE(info->isVisible());
    EXPECT_EQ(main->Pages()->currentIndex(), 1);
    EXPECT_EQ(main->OutCalls()->currentKey(), outId);

    // The reminder list's information command opens the window on its call.
    main->Reminders()->Grid()->selectRow(1);
    main->Reminders()->InfoButton()->click();
    ASSERT_TRUE(info->isVisible());
    ASSERT_NE(info->CurrentCall(), nullptr);
    EXPECT_FALSE(info->CurrentCall()->Incoming);
    EXPECT_EQ(info->CurrentCall()->CallId, outId);
    main->CloseWithoutAsking();
}

TEST(CallDetailsMain, TheFieldsPanelShowsWhatTheNumberWindowAndTheEditorWrote)
{
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.path();
    qint64 id = 0;
    {
        TIncomingCallBook in(QDir(base).filePath(QStringLiteral("Data/InCalls")));
        TInCall c;
        c.Phone = QStringLiteral("5551234");
        c.Time = TDateTime(TDateTime::now().days() - 1);
        c.Length = TDateTime(60.0 / 86400);
        c.Field_1 = QStringLiteral("старое");
        id = in.AddCall(c);
    }
    PhoneSimProcess sim(QDir(base).filePath(QStringLiteral("sim.log")),
                        {QStringLiteral("--keepalive"), QStringLiteral("1000")});
    QString error;
    ASSERT_TRUE(sim.start(&error)) << error.toStdString();
    ASSERT_TRUE(WriteSettings(base, QDir(base).filePath(QStringLiteral("Records")), sim.device(), [](TConfig &c) {
        c.InFieldYes.fill(false);
        c.InFieldYes[1] = true;
        c.ShowInFieldKind = 0;
    }));
    BaseFolder::set(base);
    auto main = std::make_unique<TMain>();
    main->ConfirmExit = [] { return true; };
    ASSERT_TRUE(SpinUntil([&] { return !main->Session()->Flags().StartingUp && main->isVisible(); }));
    main->Pages()->setCurrentIndex(0);
    QTableWidget *panel = main->InPage()->FieldsGrid();
    const auto shown = [&] { return panel->item(0, 1) ? panel->item(0, 1)->text() : QString(); };
    ASSERT_TRUE(SpinUntil([&] { return shown() == QStringLiteral("старое"); }, 5000)) << shown().toStdString();

    // Apply in the number window.
    TFormNumberInfo *info = main->NumberInfo();
    info->ShowNumber(QStringLiteral("5551234"), id, main.get(), 0);
    ASSERT_NE(info->Fields()->item(0, 1), nullptr);
    info->Fields()->item(0, 1)->setText(QStringLiteral("из окна номера"));
    info->ApplyBtnClick();
    EXPECT_EQ(shown(), QStringLiteral("из окна номера"));
    info->BitBtnCancelClick();

    // OK in the information-fields editor.
    TFormFieldsEdit *editor = main->FieldsEditor();
    editor->LoadCall(QStringLiteral("5551234"), ckIncoming);
    editor->ShowInFront();
    editor->SetCallId(id);
    QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("Field1Edit")), QStringLiteral("from the editor"));
    QTest::keyClick(editor->findChild<QLineEdit *>(QStringLiteral("Field1Edit")), Qt::Key_Tab);
    editor->PressOK();
    EXPECT_EQ(shown(), QStringLiteral("from the editor"));
    main->CloseWithoutAsking();
}

// The number information window, the reminder list and the journal export as
// the user drives them: real journal files, real windows under offscreen.
#include "WidgetTestApp.h"
#include "audio/AudioTestUtil.h"
#include "audio/TMediaPlayer.h"
#include "audio/TPulseMixer.h"
#include "audio/TQtTickTimer.h"
#include "audio/TSoundControl.h"
#include "audio/TVolumeSettings.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TJournalTextExport.h"
#include "records/TOutgoingCallBook.h"
#include "ui/IPageHost.h"
#include "ui/TFormMessage.h"
#include "ui/TFormNumberInfo.h"
#include "ui/TJournalExport.h"
#include "ui/TJournalPage.h"
#include "ui/TReminderPanel.h"
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr double Today = 46365;   // 09.12.2026

class QuietVolume : public TVolumeSettings {
public:
    int CurrentVolume() const override { return 40; }
    void SetCurrentVolume(int) override {}
    bool Creschendo() const override { return false; }
    QString SoundFileName() const override { return {}; }
    bool AdjustSoundSettings() const override { return false; }
    void SetCanPlayWhileRecording(bool) override {}
};

class Host : public IPageHost {
public:
    QString StatusText() const override { return {}; }
    void ShowStatusNow(const QString &Text) override { Shown << Text; }
    void RefreshLineStatus() override {}
    bool ConfirmDelete(const QString &) override { return true; }
    QStringList Shown;
};

TInCall inCall(const QString &phone, double time, double reminder = 0)
{
    TInCall c;
    c.Phone = phone;
    c.Time = TDateTime(time);
    c.Length = TDateTime(42.0 / 86400);
    c.Field_8 = TDateTime(reminder);
    return c;
}

TOutCall outCall(const QString &phone, double time, double reminder = 0)
{
    TOutCall c;
    c.Phone = phone;
    c.Time = TDateTime(time);
    c.Length = TDateTime(42.0 / 86400);
    c.Attributes = 1;
    c.Field_8 = TDateTime(reminder);
    return c;
}

class CallDetailsUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        BaseFolder::set(FDir.path());
        FConfig = std::make_unique<TConfig>(nullptr);
        FIn = std::make_unique<TIncomingCallBook>(FDir.filePath(QStringLiteral("Data/InCalls")));
        FOut = std::make_unique<TOutgoingCallBook>(FDir.filePath(QStringLiteral("Data/OutCalls")));
        FBook = std::make_unique<TAddressBook>(FDir.filePath(QStringLiteral("Data/AddressBook")));
    }
    std::unique_ptr<TFormNumberInfo> numberInfo()
    {
        return std::make_unique<TFormNumberInfo>(FIn.get(), FOut.get(), FBook.get(), FConfig.get(), FPlayer, FSound);
    }

    const bool FApp = (EnsureWidgetApp(), true);
    QTemporaryDir FDir;
    std::unique_ptr<TConfig> FConfig;
    std::unique_ptr<TIncomingCallBook> FIn;
    std::unique_ptr<TOutgoingCallBook> FOut;
    std::unique_ptr<TAddressBook> FBook;
    TPulseMixer FMixer;
    TMediaPlayer FPlayer;
    QuietVolume FVolume;
    TQtTickTimer FTimer;
    TSoundControl FSound{FMixer, FPlayer, FVolume, FTimer};
};
}

TEST_F(CallDetailsUi, NumberWindowPreselectsTheCallOfTheGivenDirection)
{
    FBook->AddPerson(QStringLiteral("0000"), QStringLiteral("Другой"), 0, {}, {}, {}, -1, false);
    FBook->AddPerson(QStringLiteral("555"), QStringLiteral("Петров"), 0, QStringLiteral("Тверская, 1"),
                     QStringLiteral("Звонить после обеда"), {}, -1, false);
    FBook->first();
    const qint64 bookRow = FBook->currentKey();
    const qint64 inId = FIn->AddCall(inCall(QStringLiteral("555"), Today - 1));
    FIn->AddCall(inCall(QStringLiteral("777"), Today));
    TOutCall o = outCall(QStringLiteral("555"), Today - 2);
    o.Field_2 = QStringLiteral("договор");
    const qint64 outId = FOut->AddCall(o);
    ASSERT_EQ(inId, outId);

    auto w = numberInfo();
    w->ShowNumber(QStringLiteral("555"), outId, nullptr, 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->HistoryRowCount(), 2);
    EXPECT_EQ(w->CurrentRow(), 1);   // the older, outgoing call, not the incoming one with its Call_ID
    ASSERT_NE(w->CurrentCall(), nullptr);
    EXPECT_FALSE(w->CurrentCall()->Incoming);
    EXPECT_EQ(w->Fields()->item(1, 1)->text(), QStringLiteral("договор"));
    EXPECT_EQ(w->NameLabel()->text(), QStringLiteral("Петров"));
    EXPECT_EQ(w->AddressLabel()->text(), QStringLiteral("Тверская, 1"));
    EXPECT_EQ(w->Notes()->toPlainText(), QStringLiteral("Звонить после обеда"));
    EXPECT_EQ(FBook->currentKey(), bookRow);   // the address book's row stays
    EXPECT_FALSE(w->ApplyButton()->isEnabled());

    w->ShowNumber(QStringLiteral("555"), inId, nullptr, 0);
    EXPECT_EQ(w->CurrentRow(), 0);
    EXPECT_TRUE(w->CurrentCall()->Incoming);

    // A number without calls: one empty row, no reminder to set, nothing to apply.
    w->ShowNumber(QString(), -1, nullptr, 0);
    EXPECT_EQ(w->PhoneLabel()->text(), QStringLiteral("?"));
    EXPECT_EQ(w->HistoryRowCount(), 0);
    EXPECT_EQ(w->History()->model()->rowCount(), 1);
    EXPECT_TRUE(w->ReminderBox()->isHidden());
    EXPECT_TRUE(w->NameLabel()->text().isEmpty());
    w->Fields()->item(0, 1)->setText(QStringLiteral("x"));
    EXPECT_FALSE(w->ApplyButton()->isEnabled());
}

TEST_F(CallDetailsUi, UnappliedChangesLockTheSelectionAndApplySavesAFilteredCall)
{
    const qint64 older = FIn->AddCall(inCall(QStringLiteral("555"), Today - 2, Today + 3));
    const qint64 newer = FIn->AddCall(inCall(QStringLiteral("555"), Today - 1));
    // The main window's filter hides both calls of the number.
    FIn->setFilter(QStringLiteral("Phone = '9*'"));
    FIn->setFiltered(true);
    auto w = numberInfo();
    QSignalSpy applied(w.get(), &TFormNumberInfo::Applied);
    w->ShowNumber(QStringLiteral("555"), older, nullptr, 0);
    ASSERT_EQ(w->CurrentRow(), 1);
    EXPECT_TRUE(w->ReminderBox()->isChecked());
    EXPECT_EQ(w->ReminderDate()->date(), TDateTime(Today + 3).date());

    w->Fields()->item(0, 1)->setText(QStringLiteral("перезвонить"));
    EXPECT_TRUE(w->ApplyButton()->isEnabled());
    // Neither a program's selection nor a click moves to the other call now.
    EXPECT_FALSE(w->SGNumbersInfoSelectCell(0));
    QTableView *history = w->History();
    QTest::mouseClick(history->viewport(), Qt::LeftButton, {}, history->visualRect(history->model()->index(0, 1)).center());
    EXPECT_EQ(w->CurrentRow(), 1);

    // Unticking the reminder and applying stores no reminder.
    w->ReminderBox()->click();
    EXPECT_TRUE(w->ReminderDate()->isHidden());
    w->ApplyButton()->click();
    EXPECT_FALSE(w->ApplyButton()->isEnabled());
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied.at(0).at(0).toInt(), 0);
    const QVariantList row = FIn->rowByKey(older);
    EXPECT_EQ(row.at(8).toString(), QStringLiteral("перезвонить"));
    EXPECT_TRUE(row.at(15).isNull());
    EXPECT_TRUE(FIn->filtered());
    EXPECT_EQ(FIn->rowByKey(newer).at(8).toString(), QString());

    // Unlocked: the other call can be chosen; a reminder set on it is stored as its date.
    EXPECT_TRUE(w->SGNumbersInfoSelectCell(0));
    EXPECT_FALSE(w->ReminderBox()->isChecked());
    w->ReminderBox()->click();
    w->ReminderDate()->setDate(TDateTime(Today + 10).date());
    w->OKBtnClick();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(FIn->rowByKey(newer).at(15).toDouble(), Today + 10);
}

TEST_F(CallDetailsUi, LosingTheFocusClosesTheWindowAndDropsChanges)
{
    const qint64 id = FOut->AddCall(outCall(QStringLiteral("555"), Today - 1));
    auto w = numberInfo();
    QWidget other;
    other.resize(100, 100);
    other.show();
    w->ShowNumber(QStringLiteral("555"), id, &other, 1);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->Fields()->item(3, 1)->setText(QStringLiteral("не сохранять"));
    EXPECT_TRUE(w->ApplyButton()->isEnabled());
    other.activateWindow();
    QTRY_VERIFY(!w->isVisible());
    EXPECT_FALSE(w->ApplyButton()->isEnabled());
    EXPECT_TRUE(FOut->rowByKey(id).at(9).isNull());

    // Going to the call makes it the journal's current row and names its page.
    FOut->AddCall(outCall(QStringLiteral("1"), Today));
    ASSERT_NE(FOut->currentKey(), id);
    QSignalSpy pages(w.get(), &TFormNumberInfo::GotoPageRequested);
    QSignalSpy dials(w.get(), &TFormNumberInfo::DialRequested);
    w->ShowNumber(QStringLiteral("555"), id, &other, 1);
    w->SpeedButtonGotoCellClick();
    EXPECT_EQ(FOut->currentKey(), id);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages.at(0).at(0).toInt(), 1);
    EXPECT_FALSE(w->isVisible());
    w->ShowNumber(QStringLiteral("555"), id, &other, 1);
    w->SpeedButtonDialClick();
    ASSERT_EQ(dials.size(), 1);
    EXPECT_EQ(dials.at(0).at(0).toString(), QStringLiteral("555"));
    EXPECT_FALSE(w->isVisible());
}

TEST_F(CallDetailsUi, ReminderListFollowsTheDayAndItsCommands)
{
    TReminderPanel panel(FIn.get(), FOut.get());
    TDateTime now(Today + 86399.0 / 86400);   // 23:59:59
    panel.SetClock([&] { return now; });
    panel.resize(193, 200);
    panel.show();
    panel.RebuildReminders();
    EXPECT_TRUE(panel.Grid()->isHidden());
    EXPECT_FALSE(panel.InfoButton()->isEnabled());
    EXPECT_FALSE(panel.CallButton()->isEnabled());
    EXPECT_EQ(panel.Grid()->rowCount(), 1);

    FIn->AddCall(inCall(QStringLiteral("today"), Today - 5, Today));
    const qint64 outId = FOut->AddCall(outCall(QStringLiteral("week"), Today - 1, Today + 7));
    FIn->AddCall(inCall(QStringLiteral("yesterday"), Today - 9, Today - 1));
    panel.RebuildReminders();
    EXPECT_FALSE(panel.Grid()->isHidden());
    EXPECT_TRUE(panel.InfoButton()->isEnabled());
    ASSERT_EQ(panel.Count(), 2);
    EXPECT_EQ(panel.Grid()->item(0, 0)->text(), QStringLiteral("today"));
    EXPECT_EQ(panel.Grid()->item(0, 1)->text(), QStringLiteral("09.12.2026"));
    EXPECT_EQ(panel.Grid()->item(1, 2)->text(), QStringLiteral("out"));
    EXPECT_NEAR(panel.Timer()->interval(), 1000, 1);
    EXPECT_TRUE(panel.Timer()->isActive());

    // With "all" down yesterday's reminder comes back.
    panel.AllButton()->click();
    EXPECT_EQ(panel.Count(), 3);
    EXPECT_EQ(panel.Grid()->item(0, 0)->text(), QStringLiteral("yesterday"));
    panel.AllButton()->click();

    // Midnight: today's reminder becomes yesterday's and goes; the timer waits a full day.
    now = TDateTime(Today + 1);
    panel.TimerReminderTimer();
    ASSERT_EQ(panel.Count(), 1);
    EXPECT_EQ(panel.Grid()->item(0, 0)->text(), QStringLiteral("week"));
    EXPECT_EQ(panel.Timer()->interval(), 86400000);

    // A right-button press selects the row under the pointer; the commands act on it.
    now = TDateTime(Today);
    panel.RebuildReminders();
    QTableWidget *grid = panel.Grid();
    const QPoint second = grid->visualItemRect(grid->item(1, 0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, second, grid->viewport()->mapToGlobal(second), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &press);
    EXPECT_EQ(grid->currentRow(), 1);
    QSignalSpy infos(&panel, &TReminderPanel::ShowNumberRequested);
    QSignalSpy dials(&panel, &TReminderPanel::DialRequested);
    panel.InfoButton()->click();
    panel.CallButton()->click();
    ASSERT_EQ(infos.size(), 1);
    EXPECT_EQ(infos.at(0).at(0).toString(), QStringLiteral("week"));
    EXPECT_EQ(infos.at(0).at(1).toLongLong(), outId);
    EXPECT_EQ(infos.at(0).at(2).toInt(), 1);
    ASSERT_EQ(dials.size(), 1);
    EXPECT_EQ(dials.at(0).at(0).toString(), QStringLiteral("week"));

    // Removing the reminder of a call deleted meanwhile changes nothing.
    FOut->FindCall(outId);
    FOut->DeleteCurrent(false);
    panel.RemoveClick();
    EXPECT_EQ(panel.Count(), 2);
    EXPECT_EQ(FOut->totalCount(), 0);
    grid->selectRow(0);
    panel.RemoveClick();
    EXPECT_EQ(panel.Count(), 0);
    EXPECT_TRUE(panel.Grid()->isHidden());
}

TEST_F(CallDetailsUi, ReminderButtonsShowTheirWholeCaptionsInTheNarrowColumn)
{
    // The main window's left column is 193 px; its group box takes a few for its frame.
    QWidget column;
    column.setFixedWidth(193);
    auto *box = new QVBoxLayout(&column);
    TReminderPanel *panel = new TReminderPanel(FIn.get(), FOut.get(), &column);
    box->addWidget(panel);
    column.show();
    QApplication::processEvents();
    EXPECT_EQ(panel->AllButton()->text(), QStringLiteral("Все звонки с напоминанием"));
    for (QToolButton *b : {panel->InfoButton(), panel->CallButton(), panel->AllButton()}) {
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->objectName().toStdString();
        EXPECT_LE(b->mapTo(&column, QPoint(b->width(), 0)).x(), column.width()) << b->objectName().toStdString();
    }
}

TEST_F(CallDetailsUi, ExportAsksBeforeOverwritingAndKeepsTheCurrentRow)
{
    Host host;
    TFormMessage messages;
    TJournalPage page(bkIncoming, FIn.get(), *FConfig, host, &messages);
    FIn->SortBy(QStringLiteral("Time"));
    FIn->AddCall(inCall(QStringLiteral("1"), Today + 0.5));
    const qint64 middle = FIn->AddCall(inCall(QStringLiteral("2"), Today + 0.25));
    FIn->AddCall(inCall(QStringLiteral("3"), Today + 0.75));
    FIn->locate(middle);

    const QString file = FDir.filePath(QStringLiteral("Входящие.txt"));
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QStringList asked;
    bool overwrite = false;
    TJournalExport &ex = page.Export();
    ex.AskFileName = [&](const QString &proposed) {
        EXPECT_TRUE(proposed.startsWith(QStringLiteral("Входящие ")));
        EXPECT_TRUE(proposed.endsWith(QStringLiteral(".txt")));
        return file;
    };
    ex.ConfirmOverwrite = [&](const QString &q) {
        asked << q;
        return overwrite;
    };
    EXPECT_TRUE(page.ExportButton()->isEnabled());
    page.ExportButton()->click();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.at(0), QStringLiteral("Файл ") + file + QStringLiteral(" существует. Перезаписать его?"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    old.close();

    overwrite = true;
    page.ExportButton()->click();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), TJournalTextExport::Text(*FIn));
    EXPECT_EQ(FIn->currentKey(), middle);
    EXPECT_TRUE(host.Shown.contains(QStringLiteral("Экспорт: 100%")));

    // A cancelled dialog writes nothing.
    ex.AskFileName = [](const QString &) { return QString(); };
    EXPECT_FALSE(ex.Run());
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(ex.ProposedName(QDate(2026, 12, 9)), QStringLiteral("Входящие 09.12.2026.txt"));
}

TEST_F(CallDetailsUi, PlaybackCountsDownAndLetsGoOfThePlayer)
{
    TInCall c = inCall(QStringLiteral("555"), Today - 1);
    c.FileName = FDir.filePath(QStringLiteral("missing.wav"));
    const qint64 missing = FIn->AddCall(c);
    auto w = numberInfo();
    w->ShowNumber(QStringLiteral("555"), missing, nullptr, 0);
    // A name whose file is gone keeps the button but plays nothing.
    EXPECT_TRUE(w->PlayBtn()->isEnabled());
    w->PlayBtn()->click();
    EXPECT_FALSE(w->PlayerTimer()->isActive());
    EXPECT_FALSE(FSound.PlayerInUse());

    const QString why = audiotest::NoSoundServer();
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    c.FileName = FDir.filePath(QStringLiteral("talk.wav"));
    ASSERT_TRUE(audiotest::WriteToneFile(c.FileName, 440, 8000, 4.0, true));
    const qint64 talk = FIn->AddCall(c);
    w->ShowNumber(QStringLiteral("555"), talk, nullptr, 0);
    w->PlayBtn()->click();
    ASSERT_EQ(FPlayer.Mode(), mpPlaying);
    EXPECT_TRUE(FSound.PlayerInUse());   // the end of a call leaves this playback alone
    EXPECT_TRUE(w->PlayerTimer()->isActive());
    EXPECT_TRUE(w->RestTime()->text().startsWith(QStringLiteral("0:00:0"))) << w->RestTime()->text().toStdString();
    // Closing stops it, empties the time and frees the player.
    w->BitBtnCancelClick();
    EXPECT_NE(FPlayer.Mode(), mpPlaying);
    EXPECT_TRUE(w->RestTime()->text().isEmpty());
    EXPECT_FALSE(w->PlayerTimer()->isActive());
    EXPECT_FALSE(FSound.PlayerInUse());
}

// The journal and address-book pages on their own: real tables in a temporary
// base folder, the settings, and a page host that records what a page asks.
#include "WidgetTestApp.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "ui/IPageHost.h"
#include "ui/TAddressPage.h"
#include "ui/TFormMessage.h"
#include "ui/THotButtonsBox.h"
#include "ui/TJournalPage.h"
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

class RecordingHost : public IPageHost {
public:
    QString StatusText() const override { return Status; }
    void ShowStatusNow(const QString &Text) override
    {
        Status = Text;
        Shown << Text;
    }
    void RefreshLineStatus() override { ++LineRefreshes; }
    bool ConfirmDelete(const QString &Question) override
    {
        Questions << Question;
        return Answer;
    }

    QString Status = QStringLiteral("Линия свободна");
    QStringList Shown, Questions;
    int LineRefreshes = 0;
    bool Answer = true;
};

TInCall inCall(const QString &phone, int minute, const QString &talk = {}, const QString &message = {})
{
    TInCall c;
    c.Phone = phone;
    c.Time = TDateTime(46000.0 + minute / 1440.0);
    c.Length = TDateTime(30.0 / 86400.0);
    c.FileName = talk;
    c.MessageFileName = message;
    return c;
}

class JournalPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        ASSERT_TRUE(FDir.isValid());
        BaseFolder::set(FDir.path());
        FConfig = std::make_unique<TConfig>(nullptr);
        FConfig->RecordsDirectory = FDir.filePath(QStringLiteral("Records"));
        FIn = std::make_unique<TIncomingCallBook>(FDir.filePath(QStringLiteral("InCalls")));
        FBook = std::make_unique<TAddressBook>(FDir.filePath(QStringLiteral("AddressBook")));
    }

    TJournalPage &inPage()
    {
        FInPage = std::make_unique<TJournalPage>(bkIncoming, FIn.get(), *FConfig, FHost, &FMessages);
        FInPage->resize(700, 400);
        FInPage->show();
        QCoreApplication::processEvents();
        return *FInPage;
    }
    template <class T> T *child(QWidget &page, const char *name)
    {
        return page.findChild<T *>(QString::fromLatin1(name));
    }

    const bool FApp = (EnsureWidgetApp(), true);   // before the widgets below
    QTemporaryDir FDir;
    std::unique_ptr<TConfig> FConfig;
    std::unique_ptr<TIncomingCallBook> FIn;
    std::unique_ptr<TAddressBook> FBook;
    RecordingHost FHost;
    TFormMessage FMessages;
    std::unique_ptr<TJournalPage> FInPage;
};

TEST_F(JournalPageTest, IncomingPageFollowsTheCurrentRowAndDialsOnlyDigits)
{
    const QString talk = FDir.filePath(QStringLiteral("t.wav"));
    const qint64 recorded = FIn->AddCall(inCall(QStringLiteral("5551234"), 1, talk));
    const qint64 inPhone = FIn->AddCall(inCall(QStringLiteral("?"), 2, QStringLiteral("+")));
    TJournalPage &page = inPage();
    ASSERT_EQ(page.Grid()->model()->rowCount(), 2);
    QSignalSpy dial(&page, &TBookPage::DialRequested);

    ASSERT_TRUE(FIn->FindCall(recorded));
    page.RefreshCurrentRow();
    EXPECT_TRUE(page.SaveButton()->isEnabled());
    EXPECT_FALSE(child<QToolButton>(page, "ToolButtonGetTalk")->isEnabled());
    EXPECT_EQ(page.CurrentRecordingFile(), talk);
    QTest::keyClick(page.Grid(), Qt::Key_Return);
    ASSERT_EQ(dial.size(), 1);
    EXPECT_EQ(dial.at(0).at(0).toString(), QStringLiteral("5551234"));

    // A talk still in the phone can be fetched once there is a download window,
    // never played; "?" is not dialled.
    ASSERT_TRUE(FIn->FindCall(inPhone));
    page.RefreshCurrentRow();
    EXPECT_FALSE(page.SaveButton()->isEnabled());
    EXPECT_FALSE(child<QToolButton>(page, "ToolButtonGetTalk")->isEnabled());
    page.SetTalkDownloadReady(true);
    page.RefreshCurrentRow();
    EXPECT_TRUE(child<QToolButton>(page, "ToolButtonGetTalk")->isEnabled());
    page.SetTalkDownloadReady(false);
    EXPECT_FALSE(child<QToolButton>(page, "ToolButtonGetTalk")->isEnabled());
    page.RefreshCurrentRow();
    EXPECT_FALSE(child<QToolButton>(page, "ToolButtonGetTalk")->isEnabled());
    EXPECT_TRUE(page.CurrentRecordingFile().isEmpty());
    QTest::keyClick(page.Grid(), Qt::Key_Return);
    EXPECT_EQ(dial.size(), 1);

    // A relative file name lies in the records folder.
    FIn->AddCall(inCall(QStringLiteral("5550000"), 3, QStringLiteral("In_1.wav")));
    QCoreApplication::processEvents();
    page.RefreshCurrentRow();
    EXPECT_EQ(page.CurrentRecordingFile(), FDir.filePath(QStringLiteral("Records/In_1.wav")));
}

TEST_F(JournalPageTest, DeletingAsksAndRespectsTheLock)
{
    FIn->AddCall(inCall(QStringLiteral("1"), 1));
    FIn->AddCall(inCall(QStringLiteral("2"), 2));
    TJournalPage &page = inPage();

    FHost.Answer = false;
    QTest::keyClick(page.Grid(), Qt::Key_Delete);
    EXPECT_EQ(FIn->recordCount(), 2);
    ASSERT_EQ(FHost.Questions.size(), 1);
    EXPECT_EQ(FHost.Questions.first(), QStringLiteral("Вы действительно хотите удалить запись?"));

    FHost.Answer = true;
    QTest::keyClick(page.Grid(), Qt::Key_Delete);
    EXPECT_EQ(FIn->recordCount(), 1);

    // While deleting is locked nothing is asked and nothing goes.
    FConfig->yrd = true;
    page.DeleteCurrentRow();
    page.ClearTable();
    EXPECT_EQ(FIn->recordCount(), 1);
    EXPECT_EQ(FHost.Questions.size(), 2);
    EXPECT_TRUE(FMessages.isVisible());
    FMessages.hide();
}

TEST_F(JournalPageTest, ClearingShowsItsProgressThenTheLineStatus)
{
    FIn->AddCall(inCall(QStringLiteral("1"), 1));
    TJournalPage &page = inPage();
    QSignalSpy rows(&page, &TBookPage::CurrentRowChanged);
    page.ClearTable();
    EXPECT_TRUE(FIn->isEmpty());
    EXPECT_EQ(FHost.Shown.first(), QStringLiteral("Очистка памяти входящих звонков, подождите..."));
    EXPECT_EQ(FHost.LineRefreshes, 1);
    // The line's state had no text of its own: the text from before comes back.
    EXPECT_EQ(FHost.Status, QStringLiteral("Линия свободна"));
    EXPECT_GE(rows.size(), 1);
    page.UpdateDeleteCommand();
    EXPECT_FALSE(child<QToolButton>(page, "InDeleteBtn")->isEnabled());
}

TEST_F(JournalPageTest, FieldsPanelShowsTheRowsOwnValues)
{
    FConfig->ShowInFieldKind = 1;   // shown for rows with notes
    TInCall noted = inCall(QStringLiteral("1"), 1);
    noted.Field_1 = QStringLiteral("ООО Ромашка");
    const qint64 withNotes = FIn->AddCall(noted);
    const qint64 plain = FIn->AddCall(inCall(QStringLiteral("2"), 2));
    TJournalPage &page = inPage();

    ASSERT_TRUE(FIn->FindCall(withNotes));
    page.RefreshCurrentRow();
    EXPECT_TRUE(page.FieldsPanel()->isVisible());
    EXPECT_EQ(page.FieldsGrid()->item(0, 1)->text(), QStringLiteral("ООО Ромашка"));
    ASSERT_TRUE(FIn->FindCall(plain));
    page.RefreshCurrentRow();
    EXPECT_FALSE(page.FieldsPanel()->isVisible());
    EXPECT_FALSE(child<QToolButton>(page, "ShowFieldsInBtn")->isChecked());
}

TEST_F(JournalPageTest, TitleClickSortsAndIsRemembered)
{
    FIn->AddCall(inCall(QStringLiteral("3"), 1));
    FIn->AddCall(inCall(QStringLiteral("1"), 2));
    TJournalPage &page = inPage();
    auto *header = page.Grid()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    EXPECT_EQ(FIn->sortField(), QStringLiteral("Phone"));
    EXPECT_EQ(FConfig->IncomingSort, QStringLiteral("Phone"));
    EXPECT_EQ(page.Grid()->model()->index(0, 0).data().toString(), QStringLiteral("1"));
    // The talk column sorts nothing.
    const int talkColumn = 4;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(talkColumn) + 5, header->height() / 2));
    EXPECT_EQ(FIn->sortField(), QStringLiteral("Phone"));
}

TEST_F(JournalPageTest, AddressPageDeletesTheSubscriberWithHisHotButton)
{
    const qint64 anna = FBook->AddPerson(QStringLiteral("5557777"), QStringLiteral("Анна"), 0, {},
                                         QStringLiteral("звонить вечером"), {}, -1, false);
    THotButtonFile file(FDir.filePath(QStringLiteral("HotBtns.cfg")));
    file.load();
    THotButtonsBox hot(FBook.get(), &file, [](const QString &) {});
    ASSERT_TRUE(FBook->FindPerson(anna));
    hot.AssignHotButton(4);
    ASSERT_GE(hot.HotButtonOf(anna), 0);

    TAddressPage page(FBook.get(), *FConfig, FHost, &FMessages);
    page.SetHotButtons(&hot);
    page.resize(600, 400);
    page.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(child<QPlainTextEdit>(page, "Notes")->toPlainText(), QStringLiteral("звонить вечером"));
    QSignalSpy dial(&page, &TBookPage::DialRequested);
    QTest::keyClick(page.Grid(), Qt::Key_Return);
    ASSERT_EQ(dial.size(), 1);
    EXPECT_EQ(dial.at(0).at(0).toString(), QStringLiteral("5557777"));

    page.DeletePersonClick();
    EXPECT_EQ(FHost.Questions.last(), QStringLiteral("Вы действительно хотите удалить абонента Анна?"));
    EXPECT_TRUE(FBook->isEmpty());
    EXPECT_EQ(hot.HotButtonOf(anna), -1);
    EXPECT_FALSE(child<QToolButton>(page, "DeletePersonBtn")->isEnabled());
    QMetaObject::invokeMethod(page.Popup(), "aboutToShow");
    EXPECT_FALSE(page.Popup()->findChild<QAction *>(QStringLiteral("DialPersonItem"))->isVisible());
}

TEST_F(JournalPageTest, UndefinedNumberFollowsTheRegionalLengthOnceTheSettingsApply)
{
    FConfig->RegionalNumberLength = 5;
    const qint64 five = FBook->AddPerson(QStringLiteral("?????"), QStringLiteral("Неизвестный"), 0, {}, {}, {}, -1, false);
    TAddressPage page(FBook.get(), *FConfig, FHost, &FMessages);
    ASSERT_TRUE(FBook->FindPhone(QStringLiteral("?")));
    EXPECT_EQ(FBook->currentKey(), five);

    // The settings dialog's new length holds at once, without a restart.
    FConfig->RegionalNumberLength = 7;
    ASSERT_TRUE(FConfig->Save());
    EXPECT_FALSE(FBook->FindPhone(QString()));
    const qint64 seven = FBook->AddPerson(QStringLiteral("???????"), QStringLiteral("Скрытый"), 0, {}, {}, {}, -1, false);
    ASSERT_TRUE(FBook->FindPhone(QStringLiteral("??")));
    EXPECT_EQ(FBook->currentKey(), seven);
}

} // namespace

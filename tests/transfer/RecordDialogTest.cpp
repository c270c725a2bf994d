// The record dialog shows the download's states and forwards its buttons.
#include "WidgetTestApp.h"
#include "phone/TPhone.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "transfer/TFormRecordDialog.h"
#include "transfer/TTalkDownload.h"
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray entry(int cell, int talk, int message)
{
    QByteArray e;
    for (int v : {cell, talk * 4, message * 4})
        for (int s = 12; s >= 0; s -= 4)
            e.append(char((v >> s) & 15));
    return e;
}

class RecordDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureWidgetApp(); }
    void SetUp() override
    {
        mainWindow = std::make_unique<QWidget>();
        ASSERT_TRUE(dir.isValid());
        in = std::make_unique<TIncomingCallBook>(dir.filePath(QStringLiteral("InCalls")));
        out = std::make_unique<TOutgoingCallBook>(dir.filePath(QStringLiteral("OutCalls")));
        phone = std::make_unique<TPhone>(&host);
        phone->Receive(QByteArray(1, char(0xFF)));
        download = std::make_unique<TTalkDownload>(*phone, host, *in, *out);
        download->RecordsDirectory = [this] { return dir.path(); };
        download->StopRecordTalk = [this] { ++stops; };
        dialog = std::make_unique<TFormRecordDialog>(*download, mainWindow.get());
        for (int i = 0; i < 2; ++i) {
            TInCall c;
            c.Phone = QStringLiteral("12345%1").arg(i);
            c.Time = TDateTime::fromQDateTime(QDateTime(QDate(2026, 3, 2), QTime(10 + i, 0)));
            c.FileName = QStringLiteral("+");
            in->AddCall(c);
        }
    }

    QTemporaryDir dir;
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<TIncomingCallBook> in;
    std::unique_ptr<TOutgoingCallBook> out;
    TPhoneHost host;
    std::unique_ptr<TPhone> phone;
    std::unique_ptr<TTalkDownload> download;
    std::unique_ptr<TFormRecordDialog> dialog;
    int stops = 0;
};

TEST_F(RecordDialogTest, FollowsTheSearchTheConfirmationAndTheTransfer)
{
    download->StartAll();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(mainWindow->isEnabled());
    EXPECT_EQ(dialog->SText1->text(), QStringLiteral("Подготовка перезаписи"));
    EXPECT_FALSE(dialog->Animate1->isHidden());
    EXPECT_FALSE(dialog->BitBtnStart->isEnabled());
    EXPECT_TRUE(dialog->ProgressBar1->isHidden());

    download->TalkSearchReply(0x56, 1, entry(1, 20, 0));
    download->TalkSearchReply(0x56, 1, entry(2, 40, 0));
    EXPECT_EQ(dialog->SText1->text(), QStringLiteral("Подтвердите перезапись"));
    EXPECT_TRUE(dialog->Animate1->isHidden());
    EXPECT_TRUE(dialog->BitBtnStart->isEnabled());
    EXPECT_TRUE(dialog->BitBtnMinimize->isHidden());

    dialog->BitBtnStart->click();
    EXPECT_FALSE(dialog->BitBtnStart->isEnabled());
    EXPECT_FALSE(dialog->BitBtnMinimize->isHidden());
    download->StartSendTalk(tkInTalk, 20, 1);
    EXPECT_EQ(dialog->SText1->text(), QStringLiteral("ПЕРЕЗАПИСЬ"));
    EXPECT_EQ(dialog->Label1->text(), QStringLiteral("разговоры/сообщения 0 из 2"));
    EXPECT_EQ(dialog->Label2->text(),
              QStringLiteral("Разговор (входящий звонок) с номера 123450\nв 10:00:00 продолжительностью 20 сек."));
    EXPECT_EQ(dialog->Label3->text(), QStringLiteral("осталость 1 мин. 0 сек."));
    EXPECT_FALSE(dialog->ProgressBar1->isHidden());
    EXPECT_FALSE(dialog->ProgressBar2->isHidden());

    dialog->BitBtnCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(mainWindow->isEnabled());
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(download->Busy());
    // Nothing was recorded, so nothing is kept or reported.
    EXPECT_TRUE(download->PartialFiles().isEmpty());
}

TEST_F(RecordDialogTest, ASingleFoundCallKeepsTheConfirmationTextsWhileItIsCopied)
{
    download->StartAll();
    download->TalkSearchReply(0x56, 0, QByteArray());
    download->TalkSearchReply(0x56, 1, entry(2, 40, 0));
    const QString line1 = dialog->Label1->text(), line2 = dialog->Label2->text();
    EXPECT_EQ(line1, QStringLiteral(" Разговор (входящий звонок)"));
    EXPECT_TRUE(line2.startsWith(QStringLiteral("с номера 123451"))) << line2.toStdString();

    dialog->BitBtnStart->click();
    EXPECT_EQ(dialog->SText1->text(), QStringLiteral("ПЕРЕЗАПИСЬ"));
    EXPECT_EQ(dialog->Label1->text(), line1);
    EXPECT_EQ(dialog->Label2->text(), line2);
    download->StartSendTalk(tkInTalk, 40, 2);
    EXPECT_EQ(dialog->Label1->text(), line1);
    EXPECT_EQ(dialog->Label2->text(), line2);
    EXPECT_FALSE(dialog->ProgressBar1->isHidden());
    dialog->BitBtnCancel->click();
}

TEST_F(RecordDialogTest, NothingFoundStaysUntilCancel)
{
    in->ClearCalls();
    download->StartAll();
    EXPECT_EQ(dialog->SText1->text(), QStringLiteral("Ничего не найдено"));
    EXPECT_FALSE(dialog->BitBtnStart->isEnabled());
    EXPECT_TRUE(dialog->isVisible());
    dialog->BitBtnCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(mainWindow->isEnabled());
}

}

// The talk download in the running program: the journal pages' buttons follow
// the phone's firmware and the marked rows, and a download started there copies
// the phone's talk into its row through the recording control.
#include "MainTestSupport.h"
#include "app/TMain.h"
#include "app/TPhoneSession.h"
#include "audio/AudioTestUtil.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "phone/TPhoneCapabilities.h"
#include "records/TIncomingCallBook.h"
#include "tools/PhoneSimProcess.h"
#include "transfer/TFormRecordDialog.h"
#include "ui/TJournalPage.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
using namespace MainTestSupport;

class TalkDownloadMainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(dir.isValid());
        base = dir.path();
        QDir(base).mkpath(QStringLiteral("Data"));
        TIncomingCallBook in(QDir(base).filePath(QStringLiteral("Data/InCalls")));
        TInCall c;
        c.Phone = QStringLiteral("1234567");
        c.Time = TDateTime::fromQDateTime(QDateTime(QDate(QDate::currentDate().year(), 3, 2), QTime(10, 15)));
        c.FileName = QStringLiteral("+");
        c.Field_2 = QStringLiteral("важно");
        rowId = in.AddCall(c);
        QFile memory(QDir(base).filePath(QStringLiteral("memory.txt")));
        ASSERT_TRUE(memory.open(QIODevice::WriteOnly));
        memory.write("in 02.03 10:15 0:00:30 0 0 1234567 talk=2 tone=750\n");
    }

    std::unique_ptr<TMain> start(const QString &firmware)
    {
        sim = std::make_unique<PhoneSimProcess>(
            QDir(base).filePath(QStringLiteral("sim.log")),
            QStringList{QStringLiteral("--keepalive"), QStringLiteral("1000"), QStringLiteral("--firmware"), firmware,
                        QStringLiteral("--memory"), QDir(base).filePath(QStringLiteral("memory.txt"))});
        QString error;
        EXPECT_TRUE(sim->start(&error)) << error.toStdString();
        EXPECT_TRUE(WriteSettings(base, QDir(base).filePath(QStringLiteral("Records")), sim->device(),
                                  [](TConfig &c) { c.AskForCalls = false; }));
        BaseFolder::set(base);
        auto main = std::make_unique<TMain>();
        main->ConfirmExit = [] { return true; };
        EXPECT_TRUE(SpinUntil([&] { return TPhoneCapabilities::From(main->Session()->Flags().Identity, false).Known; },
                              15000));
        // A toolbar lays its buttons out (and shows them) only in a shown window wide enough.
        main->resize(1400, 800);
        main->show();
        Spin(300);
        return main;
    }

    QTemporaryDir dir;
    QString base;
    qint64 rowId = 0;
    std::unique_ptr<PhoneSimProcess> sim;
};

TEST_F(TalkDownloadMainTest, Firmware109HidesTheButtons)
{
    auto main = start(QStringLiteral("109"));
    for (TJournalPage *page : {main->InPage(), main->OutPage()})
        for (QToolButton *b : page->TalkDownloadButtons())
            EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();
    main->CloseWithoutAsking();
}

TEST_F(TalkDownloadMainTest, TheAllButtonCopiesTheMarkedTalkIntoItsRow)
{
    if (!audiotest::NoSoundServer().isEmpty())
        GTEST_SKIP() << audiotest::NoSoundServer().toStdString();
    auto main = start(QStringLiteral("112"));
    QToolButton *all = main->InPage()->TalkDownloadButtons().at(1);
    ASSERT_TRUE(all->isVisible());
    ASSERT_TRUE(SpinUntil([&] { return all->isEnabled(); }, 5000));
    // The single-talk button follows the current row, which is the marked one.
    EXPECT_TRUE(main->InPage()->TalkDownloadButtons().at(0)->isEnabled());

    all->click();
    TFormRecordDialog *dlg = main->RecordDialog();
    ASSERT_TRUE(SpinUntil([&] { return dlg->BitBtnStart->isEnabled(); }, 10000)) << dlg->SText1->text().toStdString();
    EXPECT_EQ(dlg->SText1->text(), QStringLiteral("Подтвердите перезапись"));
    EXPECT_EQ(dlg->Label1->text(), QStringLiteral(" Разговор (входящий звонок)"));
    EXPECT_FALSE(main->isEnabled());
    dlg->BitBtnStart->click();
    ASSERT_TRUE(SpinUntil([&] { return !dlg->isVisible(); }, 20000));
    EXPECT_TRUE(main->isEnabled());

    const QVariantList row = main->InCalls()->rowByKey(main->InCalls()->newestCall());
    const TTableSchema &s = main->InCalls()->schema();
    const QString file = row.at(s.fieldIndex(QStringLiteral("FileName"))).toString();
    EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
    EXPECT_EQ(row.at(s.fieldIndex(QStringLiteral("Field_2"))).toString(), QStringLiteral("важно"));
    EXPECT_FALSE(main->InCalls()->hasKey(rowId));
    std::vector<int16_t> samples;
    int rate = 0;
    ASSERT_TRUE(audiotest::Decode(file, samples, rate));
    EXPECT_NEAR(audiotest::DominantFrequency(samples, rate, 200, 2000), 750, 40);
    // Nothing is marked any more.
    EXPECT_TRUE(SpinUntil([&] { return !all->isEnabled(); }, 3000));
    main->CloseWithoutAsking();
}

}

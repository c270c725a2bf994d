#include "WidgetTestApp.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include "ui/THotButtonsBox.h"
#include "ui/THotCallBtn.h"
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
struct HotParts {
    HotParts() { EnsureWidgetApp(); }
    QTemporaryDir tmp;
    TAddressBook book{tmp.filePath("AddressBook")};
    QString cfg = tmp.filePath("HotBtns.cfg");
    QStringList dialled;
    std::unique_ptr<THotButtonFile> file;
    std::unique_ptr<THotButtonsBox> box;
    void open()
    {
        box.reset();
        file = std::make_unique<THotButtonFile>(cfg);
        file->load();
        box = std::make_unique<THotButtonsBox>(&book, file.get(), [this](const QString &n) { dialled << n; });
        box->resize(890, 130);
        box->show();   // a hidden widget gets its resize only when shown
    }
};
}

TEST(HotButtons, TextCutWithDots)
{
    EnsureWidgetApp();
    QFontMetrics fm(QApplication::font());
    EXPECT_EQ(THotCallBtn::CutCaption(fm, QStringLiteral("Иван"), 200), QStringLiteral("Иван"));
    const QString longName = QStringLiteral("Константин Константинопольский-Заозёрный");
    const QString cut = THotCallBtn::CutCaption(fm, longName, 80);
    ASSERT_TRUE(cut.endsWith(QStringLiteral("...")));
    const QString head = cut.chopped(3);
    EXPECT_FALSE(head.isEmpty());
    EXPECT_TRUE(longName.startsWith(head));
    EXPECT_LT(head.size(), longName.size());
}

TEST(HotButtons, LayoutDownTheColumnsAndDialling)
{
    HotParts p;
    p.book.AddPerson(QStringLiteral("5551234"), QStringLiteral("Пётр"), 0, {}, {}, {}, -1, false);
    p.open();
    // (890 - 100) / 6 = 131 wide, (130 - 44) / 3 = 28 high.
    THotCallBtn *b1 = p.box->Button(1), *b2 = p.box->Button(2), *b4 = p.box->Button(4);
    EXPECT_EQ(b1->geometry(), QRect(20, 20, 131, 28));
    EXPECT_EQ(b2->geometry(), QRect(20, 55, 131, 28));
    EXPECT_EQ(b4->geometry(), QRect(161, 20, 131, 28));
    EXPECT_EQ(p.box->findChild<THotCallBtn *>(QStringLiteral("HotBtn18"))->geometry().topLeft(), QPoint(725, 90));

    EXPECT_FALSE(b1->isEnabled());
    EXPECT_EQ(b1->FullCaption(), QStringLiteral("нет данных"));
    p.box->AssignHotButton(1);
    EXPECT_TRUE(b1->isEnabled());
    EXPECT_EQ(b1->FullCaption(), QStringLiteral("Пётр"));
    EXPECT_EQ(b1->toolTip(), QStringLiteral("5551234"));
    QTest::mouseClick(b1, Qt::LeftButton);
    EXPECT_EQ(p.dialled, QStringList{QStringLiteral("5551234")});
    p.box->AssignHotButton(0);    // out of range: ignored
    p.box->AssignHotButton(19);
    EXPECT_EQ(p.box->FirstFreeHotButton(), 2);
}

TEST(HotButtons, AllBoundGivesMinusOneAndRestartKeepsThem)
{
    HotParts p;
    p.book.AddPerson(QStringLiteral("111"), QString(), 0, {}, {}, {}, -1, false);
    const qint64 named = p.book.AddPerson(QStringLiteral("222"), QStringLiteral("Анна"), 0, {}, {}, {}, -1, false);
    p.open();
    for (int n = 1; n <= 18; ++n)
        p.box->AssignHotButton(n);   // the current row: Анна
    EXPECT_EQ(p.box->FirstFreeHotButton(), -1);
    EXPECT_TRUE(p.box->HotButtonUsed(18));
    EXPECT_FALSE(p.box->HotButtonUsed(19));
    EXPECT_EQ(p.box->HotButtonOf(named), 0);

    p.book.first();   // the subscriber without a name
    p.box->AssignHotButton(3);
    EXPECT_EQ(p.box->Button(3)->FullCaption(), QStringLiteral("Без имени"));
    p.box->FreeHotButton(17);
    EXPECT_EQ(p.box->FirstFreeHotButton(), 18);

    const qint64 before = p.book.currentKey();
    p.open();   // restart: the same file
    EXPECT_EQ(p.book.currentKey(), before);
    EXPECT_EQ(p.box->Button(1)->FullCaption(), QStringLiteral("Анна"));
    EXPECT_EQ(p.box->Button(3)->FullCaption(), QStringLiteral("без имени"));
    EXPECT_EQ(p.box->Button(3)->DialNumber, QStringLiteral("111"));
    EXPECT_FALSE(p.box->Button(18)->isEnabled());

    p.box->FreeAll();
    EXPECT_EQ(p.box->FirstFreeHotButton(), 1);
    for (int n = 1; n <= 18; ++n)
        EXPECT_EQ(p.box->Button(n)->FullCaption(), QStringLiteral("нет данных"));
    THotButtonFile reread(p.cfg);
    reread.load();
    EXPECT_EQ(reread.firstFreeHotButton(), 1);
}

TEST(HotButtons, FreeingRewritesTheFileAndAGoneSubscriberKeepsTheStartState)
{
    HotParts p;
    const qint64 kept = p.book.AddPerson(QStringLiteral("333"), QStringLiteral("Константин Константинопольский"), 0,
                                         {}, {}, {}, -1, false);
    p.open();
    p.box->AssignHotButton(1);
    p.box->AssignHotButton(3);
    QFile f(p.cfg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray expected = QByteArray::number(kept) + "\r\n-1\r\n" + QByteArray::number(kept) + "\r\n";
    for (int i = 3; i < 18; ++i)
        expected += "-1\r\n";
    EXPECT_EQ(f.readAll(), expected);
    f.close();

    // A long name on the button: its beginning and "...", the whole name kept.
    THotCallBtn *b1 = p.box->Button(1);
    EXPECT_TRUE(b1->ShownText().endsWith(QStringLiteral("...")));
    EXPECT_TRUE(b1->FullCaption().startsWith(b1->ShownText().chopped(3)));
    EXPECT_EQ(b1->FullCaption(), QStringLiteral("Константин Константинопольский"));

    p.box->FreeHotButton(0);
    p.box->FreeHotButton(18);   // out of range: ignored
    p.box->FreeHotButton(-1);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    expected.replace(0, QByteArray::number(kept).size(), "-1");
    EXPECT_EQ(f.readAll(), expected);
    f.close();
    EXPECT_FALSE(b1->isEnabled());
    EXPECT_EQ(b1->FullCaption(), QStringLiteral("нет данных"));
    EXPECT_EQ(p.box->HotButtonOf(kept), 2);

    // Bound to a subscriber that is no longer in the book: as at the start,
    // enabled with no text and no number; pressing it dials nothing.
    p.book.DeleteCurrent();
    p.open();
    THotCallBtn *b3 = p.box->Button(3);
    EXPECT_TRUE(b3->isEnabled());
    EXPECT_TRUE(b3->FullCaption().isEmpty());
    EXPECT_TRUE(b3->DialNumber.isEmpty());
    QTest::mouseClick(b3, Qt::LeftButton);
    EXPECT_TRUE(p.dialled.isEmpty());
    EXPECT_TRUE(p.box->HotButtonUsed(3));
}

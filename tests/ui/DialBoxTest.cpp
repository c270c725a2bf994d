#include "WidgetTestApp.h"
#include "ui/TDialBox.h"
#include <QApplication>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>

namespace {
void type(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

struct WidgetApp {
    WidgetApp() { EnsureWidgetApp(); }
};

class DialBox : public ::testing::Test {
protected:
    DialBox()
    {
        list.sort();
        box.SetCompletion([this](const QString &typed) {
            const auto it = std::lower_bound(list.cbegin(), list.cend(), typed);
            return it != list.cend() && it->startsWith(typed) ? *it : QString();
        });
    }

    WidgetApp app;
    QStringList list{"1299", "1255", "1234567", "5550000"};
    TDialBox box;
};
}

TEST_F(DialBox, AcceptsOnlyDialCharactersInUpperCase)
{
    EXPECT_EQ(box.objectName(), QStringLiteral("phNumber"));
    type(&box, QStringLiteral("a-e9(8)#*fgjlptп?x "));
    EXPECT_EQ(box.text(), QStringLiteral("E9(8)#*FGJLPTП"));
    // A number put in by the program is shown in upper case and not completed.
    box.SetNumber(QStringLiteral("12e"));
    EXPECT_EQ(box.text(), QStringLiteral("12E"));
    box.SetNumber(QStringLiteral("12"));
    EXPECT_EQ(box.text(), QStringLiteral("12"));
    box.setText(QStringLiteral("5l"));
    EXPECT_EQ(box.text(), QStringLiteral("5L"));
}

TEST_F(DialBox, CompletesToTheFirstSortedEntryWithTheCompletedPartSelected)
{
    type(&box, QStringLiteral("12"));
    EXPECT_EQ(box.text(), QStringLiteral("1234567"));
    EXPECT_EQ(box.selectionStart(), 2);
    EXPECT_EQ(box.selectedText(), QStringLiteral("34567"));
    // The next digit replaces the selection and is completed again.
    type(&box, QStringLiteral("5"));
    EXPECT_EQ(box.text(), QStringLiteral("1255"));
    EXPECT_EQ(box.selectedText(), QStringLiteral("5"));
    type(&box, QStringLiteral("8"));
    EXPECT_EQ(box.text(), QStringLiteral("1258"));
    EXPECT_FALSE(box.hasSelectedText());
}

TEST_F(DialBox, BackspaceTakesTheCompletionAndTheLastTypedCharacter)
{
    type(&box, QStringLiteral("125"));
    ASSERT_EQ(box.text(), QStringLiteral("1255"));
    QTest::keyClick(&box, Qt::Key_Backspace);
    // "12" is left of what was typed, and it is looked up again.
    EXPECT_EQ(box.text().left(box.selectionStart()), QStringLiteral("12"));
    EXPECT_EQ(box.text(), QStringLiteral("1234567"));

    box.clear();
    type(&box, QStringLiteral("77"));
    QTest::keyClick(&box, Qt::Key_Backspace);   // no selection: one character
    EXPECT_EQ(box.text(), QStringLiteral("7"));

    box.SetNumber(QStringLiteral("999"));
    box.selectAll();
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.text(), QString());
}

TEST_F(DialBox, EnterAndEscapeAreReportedAndSwallowed)
{
    QWidget parent;
    TDialBox *inner = new TDialBox(&parent);
    QSignalSpy enter(inner, &TDialBox::EnterPressed);
    QSignalSpy escape(inner, &TDialBox::EscapePressed);
    QSignalSpy returnPressed(inner, &QLineEdit::returnPressed);
    inner->SetNumber(QStringLiteral(" 12 "));
    QTest::keyClick(inner, Qt::Key_Return);
    QTest::keyClick(inner, Qt::Key_Enter);
    QTest::keyClick(inner, Qt::Key_Escape);
    ASSERT_EQ(enter.count(), 2);
    EXPECT_EQ(enter.at(0).at(0).toString(), QStringLiteral(" 12 "));
    EXPECT_EQ(escape.count(), 1);
    EXPECT_EQ(returnPressed.count(), 0);
    EXPECT_EQ(inner->text(), QStringLiteral(" 12 "));
}

TEST_F(DialBox, ClickingSelectsTheWholeText)
{
    box.SetNumber(QStringLiteral("5550000"));
    box.show();
    QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(5, box.height() / 2));
    EXPECT_EQ(box.selectedText(), QStringLiteral("5550000"));
}

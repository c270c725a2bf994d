#include "app/TDialControl.h"
#include "app/TDialList.h"
#include "config/TConfig.h"
#include "config/TIniSettingsStore.h"
#include "phone/PhoneTestSupport.h"
#include "phone/TManualClock.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "ui/TDialBox.h"
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
void ensureWidgetApp()
{
    static int argc = 1;
    static char name[] = "test_app";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

class DialListBuild : public ::testing::Test {
protected:
    qint64 addOut(const QString &phone)
    {
        TOutCall c;
        c.Phone = phone;
        c.Time = TDateTime(46000.0 + ++FSerial / 1000.0);
        return out.AddCall(c);
    }
    qint64 addIn(const QString &phone)
    {
        TInCall c;
        c.Phone = phone;
        c.Time = TDateTime(46000.0 + ++FSerial / 1000.0);
        return in.AddCall(c);
    }

    QTemporaryDir tmp;
    TIncomingCallBook in{tmp.filePath("InCalls")};
    TOutgoingCallBook out{tmp.filePath("OutCalls")};
    TDialList list;
    int FSerial = 0;
};
}

TEST_F(DialListBuild, EachJournalGivesItsShareLessOneInItsOrderAndKeepsItsCurrentRow)
{
    qint64 firstOut = 0;
    for (int i = 0; i < 10; ++i) {
        const qint64 id = addOut(QString::number(100 + i));
        if (i == 0)
            firstOut = id;
    }
    qint64 someIn = 0;
    for (int i = 0; i < 30; ++i) {
        const qint64 id = addIn(QString::number(200 + i));
        if (i == 4)
            someIn = id;
    }
    out.SortBy(QStringLiteral("Time"));   // newest first: 109 .. 100
    out.locate(firstOut);
    in.locate(someIn);

    list.Add(QStringLiteral("999"));   // the build starts from an empty list
    list.Build(out, in);
    // N = 40, share 1/4: 9 outgoing and 29 incoming numbers.
    EXPECT_EQ(list.Count(), 38);
    EXPECT_FALSE(list.Contains(QStringLiteral("999")));
    EXPECT_FALSE(list.Contains(QStringLiteral("100")));
    EXPECT_TRUE(list.Contains(QStringLiteral("101")));
    EXPECT_TRUE(list.Contains(QStringLiteral("109")));
    EXPECT_TRUE(list.Contains(QStringLiteral("228")));
    EXPECT_FALSE(list.Contains(QStringLiteral("229")));
    QStringList sorted = list.Items();
    sorted.sort();
    EXPECT_EQ(list.Items(), sorted);

    EXPECT_EQ(out.currentKey(), firstOut);
    EXPECT_EQ(in.currentKey(), someIn);
}

TEST_F(DialListBuild, DuplicatesAndNumbersWithOtherCharactersAreNotCounted)
{
    for (const char *n : {"5", "5", "?", "12*3", "6", "7"})
        addOut(QString::fromLatin1(n));
    for (const char *n : {"5", "8", "9"})
        addIn(QString::fromLatin1(n));
    // N = 9: at most 5 outgoing and 2 incoming numbers, duplicates not counted.
    list.Build(out, in);
    EXPECT_EQ(list.Items(), (QStringList{"5", "6", "7", "8", "9"}));

    // Afterwards duplicates and non-digit call numbers are ignored.
    EXPECT_FALSE(list.AddCallNumber(QStringLiteral("7")));
    EXPECT_FALSE(list.AddCallNumber(QStringLiteral("*77")));
    EXPECT_FALSE(list.AddCallNumber(QString()));
    EXPECT_TRUE(list.AddCallNumber(QStringLiteral("55")));
    EXPECT_EQ(list.Items(), (QStringList{"5", "55", "6", "7", "8", "9"}));
}

TEST_F(DialListBuild, AtMostThreeHundredNumbersAndNoneFromEmptyJournals)
{
    list.Build(out, in);
    EXPECT_EQ(list.Count(), 0);
    for (int i = 0; i < 400; ++i)
        addOut(QString::number(1000000 + i));
    for (int i = 0; i < 200; ++i)
        addIn(QString::number(2000000 + i));
    list.Build(out, in);
    // N = 300, share 2/3: 199 outgoing and 99 incoming numbers.
    EXPECT_EQ(list.Count(), 298);
    EXPECT_TRUE(list.Contains(QStringLiteral("1000198")));
    EXPECT_FALSE(list.Contains(QStringLiteral("1000199")));
    EXPECT_TRUE(list.Contains(QStringLiteral("2000098")));
    EXPECT_FALSE(list.Contains(QStringLiteral("2000099")));
}

TEST(DialList, CompletionIsTheFirstSortedEntryBeginningWithTheText)
{
    TDialList list;
    for (const char *n : {"1299", "1255", "1234567", "20"})
        EXPECT_TRUE(list.Add(QString::fromLatin1(n)));
    EXPECT_FALSE(list.Add(QStringLiteral("1255")));
    EXPECT_EQ(list.Complete(QStringLiteral("12")), QStringLiteral("1234567"));
    EXPECT_EQ(list.Complete(QStringLiteral("125")), QStringLiteral("1255"));
    EXPECT_EQ(list.Complete(QStringLiteral("1255")), QStringLiteral("1255"));
    EXPECT_EQ(list.Complete(QStringLiteral("13")), QString());
    EXPECT_EQ(list.Complete(QStringLiteral("2000")), QString());
    EXPECT_EQ(list.Complete(QString()), QString());
}

namespace {
class Dialling : public ::testing::Test {
protected:
    Dialling() : phone(nullptr, &clock)
    {
        ensureWidgetApp();
        phone.SetPort(pty.slavePath());
        EXPECT_TRUE(phone.Connect());
        EXPECT_EQ(phone.State(), psWaiting);
        pty.readAll();
    }
    QByteArray sent() { return pty.readAll(); }

    QTemporaryDir tmp;
    TConfig config{nullptr, nullptr, std::make_unique<TIniSettingsStore>(tmp.filePath("Konvelo.ini"))};
    Pty pty;
    TManualClock clock;
    TPhone phone;
    TDialControl control{phone, &config};
};
}

TEST_F(Dialling, CallButtonTrimsAndDialsWithTheChannelTypeOrRefusesAnInvalidNumber)
{
    QString number = QStringLiteral("  1234567 ");
    EXPECT_EQ(control.CallClick(number), TDialControl::daDialled);
    EXPECT_EQ(number, QStringLiteral("1234567"));
    EXPECT_EQ(sent(), bytes({0x90, 0x07, 1, 2, 3, 4, 5, 6, 7}));

    config.ChannelType = 1;
    number = QStringLiteral("1234567");
    control.CallClick(number);
    EXPECT_EQ(sent(), bytes({0x90, 0x09, 0x0F, 0x02, 1, 2, 3, 4, 5, 6, 7}));

    number = QStringLiteral("   ");
    EXPECT_EQ(control.CallClick(number), TDialControl::daNone);
    EXPECT_EQ(number, QString());

    // A subscriber's number with "?" from the address book.
    number = QStringLiteral("12?4");
    try {
        control.CallClick(number);
        ADD_FAILURE() << "no error";
    } catch (const EPhoneError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Hеверный номер"));
    }
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(Dialling, DuringACallTheButtonDropsItAndOfflineNothingGoesOut)
{
    phone.Receive(bytes({0x30}));   // ringing
    ASSERT_EQ(phone.State(), psIncomingCall);
    EXPECT_EQ(TDialControl::CaptionFor(phone.State()), QStringLiteral("Сброс"));
    QString number = QStringLiteral("555");
    QString caption = QStringLiteral("Сброс");
    EXPECT_EQ(control.CallClick(number, &caption), TDialControl::daHungUp);
    EXPECT_EQ(caption, QStringLiteral("Набрать номер"));
    EXPECT_EQ(sent(), bytes({0x80}));
    // Enter dials only while the line is free.
    EXPECT_EQ(control.EnterPressed(number), TDialControl::daNone);
    EXPECT_TRUE(sent().isEmpty());

    phone.GoOffline();
    EXPECT_FALSE(TDialControl::CallEnabled(phone.State()));
    EXPECT_EQ(control.CallClick(number), TDialControl::daNone);
    control.EscapePressed();
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(Dialling, DialBoxCompletesFromTheListAndItsKeysDialOrDrop)
{
    TDialList list;
    list.Add(QStringLiteral("1234567"));
    list.Add(QStringLiteral("1299"));
    TDialBox box;
    box.SetCompletion([&list](const QString &typed) { return list.Complete(typed); });
    QObject::connect(&box, &TDialBox::EnterPressed, [this](const QString &text) { control.EnterPressed(text); });
    QObject::connect(&box, &TDialBox::EscapePressed, [this] { control.EscapePressed(); });

    QTest::keyClicks(&box, QStringLiteral("12"));
    ASSERT_EQ(box.text(), QStringLiteral("1234567"));
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(sent(), bytes({0x90, 0x07, 1, 2, 3, 4, 5, 6, 7}));
    QTest::keyClick(&box, Qt::Key_Escape);   // also with the line free
    EXPECT_EQ(sent(), bytes({0x80}));
}

TEST_F(Dialling, AttachedButtonMenuItemsAndBoxShareOneAction)
{
    TDialBox box;
    QPushButton callBtn(TDialControl::HangUpCaption);
    QAction dialAction(QStringLiteral("&Набрать номер"));
    QAction hangUpAction(QStringLiteral("&Сброс"));
    QStringList errors;
    control.Attach(&box, &callBtn, &dialAction, &hangUpAction, [&](const QString &m) { errors << m; });

    box.SetNumber(QStringLiteral(" 555 "));
    callBtn.click();
    EXPECT_EQ(box.text(), QStringLiteral("555"));
    EXPECT_EQ(sent(), bytes({0x90, 0x03, 5, 5, 5}));
    dialAction.trigger();
    EXPECT_EQ(sent(), bytes({0x90, 0x03, 5, 5, 5}));

    // A subscriber's number that cannot be dialled: the error, nothing sent.
    control.DialNumber(QStringLiteral("55?"));
    EXPECT_EQ(errors, QStringList{QStringLiteral("Hеверный номер")});
    EXPECT_EQ(box.text(), QStringLiteral("55?"));
    EXPECT_TRUE(sent().isEmpty());
    box.SetNumber(QString());
    QTest::keyClick(&box, Qt::Key_Return);   // Enter does not trim: an empty text is refused too
    EXPECT_EQ(errors.size(), 2);

    phone.Receive(bytes({0x30}));
    hangUpAction.trigger();
    EXPECT_EQ(sent(), bytes({0x80}));
    EXPECT_EQ(callBtn.text(), QStringLiteral("Набрать номер"));
}

TEST_F(Dialling, AttachedCommandsFollowThePhoneState)
{
    QPushButton callBtn(TDialControl::DialCaption);
    QAction dialAction(QStringLiteral("&Набрать номер"));
    QAction hangUpAction(QStringLiteral("&Сброс"));
    control.Attach(nullptr, &callBtn, &dialAction, &hangUpAction);

    control.PhoneStateChanged(psIncomingCall);
    EXPECT_EQ(callBtn.text(), TDialControl::HangUpCaption);
    EXPECT_TRUE(callBtn.isEnabled());
    // Offline and in use: disabled, the caption left as it was.
    control.PhoneStateChanged(psOffline);
    EXPECT_FALSE(callBtn.isEnabled());
    EXPECT_FALSE(dialAction.isEnabled());
    EXPECT_FALSE(hangUpAction.isEnabled());
    EXPECT_EQ(callBtn.text(), TDialControl::HangUpCaption);
    control.PhoneStateChanged(psWaiting);
    EXPECT_EQ(callBtn.text(), TDialControl::DialCaption);
    EXPECT_TRUE(dialAction.isEnabled());
    EXPECT_TRUE(hangUpAction.isEnabled());
}

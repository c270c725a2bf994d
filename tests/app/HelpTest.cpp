// F1 and the help menu in the running program: every window opens its own
// section of the built guide, the main window and "Справка" the start page,
// "История версий" History.html, and "О программе" says where the data lives.
#include "MainTestSupport.h"
#include "app/TMain.h"
#include "app/TPhoneSession.h"
#include "common/BaseFolder.h"
#include "common/THelpTopics.h"
#include "tools/PhoneSimProcess.h"
#include "ui/TAlert.h"
#include "ui/THelp.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace MainTestSupport;

namespace {

const QString Guide = QStringLiteral(KONVELO_GUIDE_DIR);

QUrl topicUrl(const QString &Topic)
{
    QUrl url = QUrl::fromLocalFile(QDir(Guide).filePath(Topic.section(QLatin1Char('#'), 0, 0)));
    const QString anchor = Topic.section(QLatin1Char('#'), 1);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

class HelpInProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(FDir.isValid());
        FSim = std::make_unique<PhoneSimProcess>(QDir(FDir.path()).filePath(QStringLiteral("sim.log")),
                                                 QStringList{QStringLiteral("--keepalive"), QStringLiteral("1000")});
        QString error;
        ASSERT_TRUE(FSim->start(&error)) << error.toStdString();
        ASSERT_TRUE(WriteSettings(FDir.path(), QDir(FDir.path()).filePath(QStringLiteral("Records")), FSim->device()));
        BaseFolder::set(FDir.path());
        THelpTopics::SetFolder(Guide);
        THelp::SetOpener([this](const QUrl &Url) {
            Opened << Url;
            return true;
        });
        Main = std::make_unique<TMain>();
        Main->ConfirmExit = [] { return true; };
        ASSERT_TRUE(SpinUntil([&] { return !Main->Session()->Flags().StartingUp && Main->isVisible(); }));
    }

    void TearDown() override
    {
        Main.reset();
        THelp::ResetOpener();
        THelpTopics::SetFolder(QString());
    }

    QAction *action(const char *Name) { return Main->findChild<QAction *>(QString::fromLatin1(Name)); }

    // Triggers Item, whose window runs modally; inside its loop F1 is pressed
    // on the window's focused child (or the window), then Esc closes it.
    QUrl f1InModal(const char *Item)
    {
        const qsizetype before = Opened.size();
        QPointer<QWidget> seen;
        QTimer::singleShot(0, [&] {
            QWidget *dlg = QApplication::activeModalWidget();
            seen = dlg;
            if (!dlg)
                return;
            QWidget *target = dlg->focusWidget() ? dlg->focusWidget() : dlg;
            QTest::keyClick(target, Qt::Key_F1);
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        // Never hang the suite on a window that ignored Esc.
        QTimer::singleShot(5000, [] {
            if (QWidget *w = QApplication::activeModalWidget())
                w->close();
        });
        action(Item)->trigger();
        EXPECT_TRUE(seen) << Item << " ran no modal window";
        return Opened.size() > before ? Opened.last() : QUrl();
    }

    QTemporaryDir FDir;
    std::unique_ptr<PhoneSimProcess> FSim;
    std::unique_ptr<TMain> Main;
    QList<QUrl> Opened;
};

}

TEST_F(HelpInProgram, EveryWindowOpensItsOwnSectionOnF1)
{
    // The main window, and any of its children, opens the start page.
    QTest::keyClick(Main.get(), Qt::Key_F1);
    ASSERT_EQ(Opened.size(), 1);
    EXPECT_EQ(Opened.last(), topicUrl(QLatin1String(THelpTopics::StartPage)));
    QTest::keyClick(Main->findChild<QLineEdit *>(QStringLiteral("phNumber")), Qt::Key_F1);
    EXPECT_EQ(Opened.last(), topicUrl(QLatin1String(THelpTopics::StartPage)));

    // Every other window the program made: a section of its own, present in
    // the built guide, and F1 opens exactly that.
    QSet<QString> classes;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        const QString cls = QString::fromLatin1(w->metaObject()->className());
        if (w == Main.get() || !cls.startsWith(QLatin1Char('T')))
            continue;   // Qt's own menus and popups
        classes.insert(cls);
        const QString topic = THelp::TopicFor(w);
        ASSERT_FALSE(topic.isEmpty()) << cls.toStdString() << " names no section";
        EXPECT_TRUE(THelpTopics::HasTopic(topic, Guide)) << cls.toStdString() << ": " << topic.toStdString();
        if (cls != QLatin1String("TSplash")) {
            EXPECT_NE(topic, QLatin1String(THelpTopics::StartPage)) << cls.toStdString() << " has no section of its own";
        }
        const qsizetype before = Opened.size();
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_F1);
        ASSERT_EQ(Opened.size(), before + 1) << cls.toStdString();
        EXPECT_EQ(Opened.last(), topicUrl(topic)) << cls.toStdString();
    }
    for (const char *expected : {"TAlert", "TFormFieldsEdit", "TFormNumberInfo", "TNewPerson", "TSettings",
                                 "TPasswordDlg", "TFindCall", "TFormDateInterval", "TStats", "TStatsConfig",
                                 "TFormRecordDialog", "TFormMessage"})
        EXPECT_TRUE(classes.contains(QString::fromLatin1(expected))) << expected << " was not walked";

    // A message box of a window belongs to that window's section.
    QMessageBox box(QMessageBox::Information, QStringLiteral("x"), QStringLiteral("y"), QMessageBox::Ok,
                    Main->Alert());
    EXPECT_EQ(THelp::TopicFor(&box), QStringLiteral("alert.html#alert"));
    // A window naming its own section wins over the table.
    box.setProperty("helpTopic", QStringLiteral("rules.html#rules"));
    QTest::keyClick(&box, Qt::Key_F1);
    EXPECT_EQ(Opened.last(), topicUrl(QStringLiteral("rules.html#rules")));
    // F1 with a modifier is not help.
    const qsizetype before = Opened.size();
    QTest::keyClick(Main.get(), Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(Opened.size(), before);
}

TEST_F(HelpInProgram, F1InsideModalWindowsOpensTheirSections)
{
    EXPECT_EQ(f1InModal("FindItem"), topicUrl(QStringLiteral("search.html#search")));
    EXPECT_EQ(f1InModal("SettingsItem"), topicUrl(QStringLiteral("settings.html#settings")));
    EXPECT_FALSE(QApplication::activeModalWidget());
}

TEST_F(HelpInProgram, HelpMenuOpensTheGuideTheHistoryAndTheAboutBox)
{
    ASSERT_TRUE(action("HelpItem")->isEnabled());
    action("HelpItem")->trigger();
    ASSERT_FALSE(Opened.isEmpty());
    EXPECT_EQ(Opened.last(), topicUrl(QLatin1String(THelpTopics::StartPage)));

    ASSERT_TRUE(action("HistoryItem")->isEnabled());
    action("HistoryItem")->trigger();
    EXPECT_EQ(Opened.last(), topicUrl(QLatin1String(THelpTopics::HistoryPage)));

    action("AboutItem")->trigger();
    auto *about = Main->findChild<QMessageBox *>(QStringLiteral("AboutBox"));
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
    const QString text = about->text();
    EXPECT_TRUE(text.contains(QStringLiteral("Konvelo 0."))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("http"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("лицензи"))) << text.toStdString();
    const QString base = QDir::toNativeSeparators(FDir.path());
    EXPECT_TRUE(text.contains(base)) << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(QDir(FDir.path()).filePath(QStringLiteral("Data")))));
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(QDir(FDir.path()).filePath(QStringLiteral("Konvelo.ini")))));
    QTest::keyClick(about, Qt::Key_F1);
    EXPECT_EQ(Opened.last(), topicUrl(QLatin1String(THelpTopics::StartPage)));
    QPointer<QMessageBox> shown(about);
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_TRUE(SpinUntil([&] { return !shown || !shown->isVisible(); }, 3000));
}

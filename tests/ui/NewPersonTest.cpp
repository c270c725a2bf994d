#include "WidgetTestApp.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include "ui/IPageHost.h"
#include "ui/TAddressPage.h"
#include "ui/TFormMessage.h"
#include "ui/THotButtonsBox.h"
#include "ui/THotCallBtn.h"
#include "ui/TNewPerson.h"
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {
class Host : public IPageHost {
public:
    QString StatusText() const override { return {}; }
    void ShowStatusNow(const QString &) override {}
    void RefreshLineStatus() override {}
    bool ConfirmDelete(const QString &) override { return true; }
};

class NewPerson : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        BaseFolder::set(tmp.path());
        config = std::make_unique<TConfig>(nullptr);
        book = std::make_unique<TAddressBook>(tmp.filePath("AddressBook"));
        file = std::make_unique<THotButtonFile>(tmp.filePath("HotBtns.cfg"));
        file->load();
        hot = std::make_unique<THotButtonsBox>(book.get(), file.get(), [](const QString &) {});
        dialog = std::make_unique<TNewPerson>(config.get(), file.get(), nullptr);
        dialog->ConfirmReplaceButton = [this] {
            ++busyQuestions;
            return replace;
        };
        page = std::make_unique<TAddressPage>(book.get(), *config, host, &messages);
        page->SetHotButtons(hot.get());
        page->SetPersonDialog(dialog.get());
    }

    template <class W> W *find(const char *name) { return dialog->findChild<W *>(QLatin1String(name)); }
    QCheckBox *box(const char *name) { return find<QCheckBox>(name); }
    // Runs a page command whose modal dialog Fill fills; then OK is pressed.
    void withDialog(const std::function<void()> &Command, const std::function<void()> &Fill)
    {
        QTimer::singleShot(0, dialog.get(), [this, Fill] {
            Fill();
            if (dialog->isVisible())
                dialog->BitBtn1Click();
            // Cancelled by the busy question: the test's own Cancel.
            if (dialog->isVisible())
                dialog->reject();
        });
        Command();
    }
    qint64 add(const QString &phone, const QString &name, int button)
    {
        withDialog([this] { page->AddPersonClick(); }, [&] {
            find<QLineEdit>("PhoneEdit")->setText(phone);
            find<QLineEdit>("NameEdit")->setText(name);
            if (button > 0) {
                box("FastCallCheck")->setChecked(true);
                find<QSpinBox>("BtnNumEdit")->setValue(button);
            }
        });
        return book->currentKey();
    }

    bool app = (EnsureWidgetApp(), true);
    QTemporaryDir tmp;
    std::unique_ptr<TConfig> config;
    std::unique_ptr<TAddressBook> book;
    std::unique_ptr<THotButtonFile> file;
    std::unique_ptr<THotButtonsBox> hot;
    std::unique_ptr<TNewPerson> dialog;
    Host host;
    TFormMessage messages;
    std::unique_ptr<TAddressPage> page;
    int busyQuestions = 0;
    bool replace = true;
};
}

TEST_F(NewPerson, NumberEntryKeepsOnlyNumberCharactersAndTheUndeterminedForm)
{
    auto *phone = find<QLineEdit>("PhoneEdit");
    auto *ok = find<QPushButton>("BitBtn1");
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClicks(phone, QStringLiteral("*8(495)123-45-67"));
    EXPECT_EQ(phone->text(), QStringLiteral("*8(495)1234567"));
    phone->setText(QStringLiteral("*8(49)1234567"));
    EXPECT_TRUE(ok->isEnabled());
    phone->clear();
    QTest::keyClicks(phone, QStringLiteral("p12t3x"));
    QKeyEvent cyrillic(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("п"));
    QApplication::sendEvent(phone, &cyrillic);
    EXPECT_EQ(phone->text(), QStringLiteral("P12T3П"));

    // Letters only in the wrong place convert to nothing: OK stays off.
    phone->setText(QStringLiteral("5L"));
    EXPECT_FALSE(ok->isEnabled());
    config->RegionalNumberLength = 5;
    find<QPushButton>("UndefBtn")->click();
    EXPECT_EQ(phone->text(), QStringLiteral("?????"));
    EXPECT_TRUE(ok->isEnabled());
    phone->setText(QStringLiteral("???????"));
    EXPECT_FALSE(ok->isEnabled());
}

TEST_F(NewPerson, RuleBoxesInPairsAndTheValuesRoundTrip)
{
    TSubscriber s;
    s.Phone = QStringLiteral("5551234");
    s.Attributes = TPersonAttributes::AlwaysShow | TPersonAttributes::AlwaysRecord;
    s.Volume = 40;
    s.Creschendo = true;
    s.HotButton = 5;
    dialog->ClearSubscriber();
    dialog->SetSubscriber(s);
    EXPECT_TRUE(box("DispCheck")->isChecked());
    EXPECT_TRUE(box("RecCheck")->isChecked());
    EXPECT_FALSE(box("NoDispCheck")->isChecked() || box("NoRecCheck")->isChecked());
    EXPECT_EQ(dialog->GetSubscriber().Attributes, 12);

    const std::pair<const char *, const char *> pairs[] = {
        {"RecCheck", "NoRecCheck"}, {"DispCheck", "NoDispCheck"}, {"NoRingCheck", "ForceRingCheck"}};
    for (const auto &[a, b] : pairs) {
        box(a)->click();
        if (!box(a)->isChecked())
            box(a)->click();
        box(b)->click();
        EXPECT_TRUE(box(b)->isChecked()) << b;
        EXPECT_FALSE(box(a)->isChecked()) << a;
        box(a)->click();
        EXPECT_FALSE(box(b)->isChecked()) << b;
    }
    box("HangUpCheck")->click();
    EXPECT_EQ(dialog->GetSubscriber().Attributes,
              TPersonAttributes::AlwaysRecord | TPersonAttributes::AlwaysShow | TPersonAttributes::NeverRing
                  | TPersonAttributes::HangUpCall);

    TSubscriber back = dialog->GetSubscriber();
    EXPECT_EQ(back.Volume, 40);
    EXPECT_TRUE(back.Creschendo);
    EXPECT_EQ(back.HotButton, 5);
    box("VolumeCheck")->click();
    EXPECT_FALSE(find<QSpinBox>("VolumeEdit")->isEnabled());
    EXPECT_EQ(dialog->GetSubscriber().Volume, -1);

    // Cleared: nothing ticked, volume 75 and off, the first free button offered.
    file->assign(1, 77);
    dialog->ClearSubscriber();
    back = dialog->GetSubscriber();
    EXPECT_EQ(back.Attributes, 0);
    EXPECT_EQ(back.Volume, -1);
    EXPECT_EQ(back.HotButton, 0);
    EXPECT_EQ(find<QSpinBox>("VolumeEdit")->value(), 75);
    EXPECT_EQ(find<QSpinBox>("BtnNumEdit")->value(), 2);
}

TEST_F(NewPerson, AddEditAndCopyKeepTheHotButtonsInStep)
{
    const qint64 anna = add(QStringLiteral("5551111"), QStringLiteral("Анна"), 5);
    EXPECT_EQ(book->fieldValue("Name").toString(), QStringLiteral("Анна"));
    EXPECT_EQ(hot->HotButtonOf(anna), 4);
    EXPECT_EQ(busyQuestions, 0);

    // A new subscriber on Anna's button: asked, and the button moves.
    const qint64 boris = add(QStringLiteral("5552222"), QStringLiteral("Борис"), 5);
    EXPECT_EQ(busyQuestions, 1);
    EXPECT_EQ(hot->HotButtonOf(boris), 4);
    EXPECT_EQ(hot->HotButtonOf(anna), -1);

    // Cancel on the question keeps the dialog open: nothing is added.
    replace = false;
    const int rows = book->recordCount();
    add(QStringLiteral("5553333"), QStringLiteral("Вера"), 5);
    EXPECT_EQ(busyQuestions, 2);
    EXPECT_EQ(book->recordCount(), rows);
    replace = true;

    // Editing Boris without touching his button asks nothing and refreshes its caption.
    ASSERT_TRUE(book->FindPerson(boris));
    withDialog([this] { page->EditPersonClick(); },
               [this] { find<QLineEdit>("NameEdit")->setText(QStringLiteral("Борис Петрович")); });
    EXPECT_EQ(busyQuestions, 2);
    EXPECT_EQ(hot->HotButtonOf(boris), 4);
    EXPECT_EQ(hot->Button(5)->FullCaption(), QStringLiteral("Борис Петрович"));

    // Moved to button 7: the old one is free; then switched off.
    withDialog([this] { page->EditPersonClick(); }, [this] { find<QSpinBox>("BtnNumEdit")->setValue(7); });
    EXPECT_EQ(hot->HotButtonOf(boris), 6);
    EXPECT_FALSE(file->hotButtonUsed(5));
    withDialog([this] { page->EditPersonClick(); }, [this] { box("FastCallCheck")->setChecked(false); });
    EXPECT_EQ(hot->HotButtonOf(boris), -1);
    EXPECT_EQ(hot->Button(7)->FullCaption(), THotButtonsBox::NoData);

    // Copying a journal row's "?" number offers it in the dialog.
    QString offered;
    withDialog([this] { page->CopyToBook(QStringLiteral("?")); },
               [&] { offered = find<QLineEdit>("PhoneEdit")->text(); dialog->reject(); });
    EXPECT_EQ(offered, QStringLiteral("?"));

    // Locked editing changes nothing.
    config->yrd = true;
    const int before = book->recordCount();
    page->AddPersonClick();
    EXPECT_EQ(book->recordCount(), before);
    EXPECT_EQ(messages.FirstLine(), QStringLiteral("Операция запрещена"));
}

TEST_F(NewPerson, ThePhoneFieldLeavesTabEscapeAndDeleteToTheDialog)
{
    const qsizetype before = book->recordCount();
    bool ran = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        ran = true;
        auto *phone = find<QLineEdit>("PhoneEdit");
        QApplication::setActiveWindow(dialog.get());
        phone->setFocus();
        QTest::keyClicks(phone, QStringLiteral("81234"));
        QTest::keyClick(phone, Qt::Key_Home);
        QTest::keyClick(phone, Qt::Key_Delete);
        EXPECT_EQ(phone->text(), QStringLiteral("1234"));
        QTest::keyClick(phone, Qt::Key_End);
        QTest::keyClick(phone, Qt::Key_Backspace);
        EXPECT_EQ(phone->text(), QStringLiteral("123"));

        QTest::keyClick(phone, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), phone);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), phone);
        EXPECT_EQ(phone->text(), QStringLiteral("123"));

        QTest::keyClick(phone, Qt::Key_Escape);
        // Still open after Esc: close it so that the test cannot hang.
        if (dialog->isVisible()) {
            ADD_FAILURE() << "Esc did not close the dialog";
            dialog->reject();
        }
    });
    page->AddPersonClick();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(book->recordCount(), before);   // Esc is Cancel: nothing added
}

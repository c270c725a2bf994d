// The number rules: matching, the decision, their place in the settings store,
// the "Правила" page of the settings dialog and konvelo-cli rules.
#include "WidgetTestApp.h"
#include "ConfigFakes.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TConfigError.h"
#include "config/TIniSettingsStore.h"
#include "config/TRulesPage.h"
#include "config/TSettings.h"
#include "records/TAddressBook.h"
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TNumberRules rules(std::initializer_list<std::pair<const char *, bool>> list)
{
    TNumberRules r;
    for (const auto &[pattern, block] : list)
        r.Add(QString::fromLatin1(pattern), block);
    return r;
}

} // namespace

TEST(NumberRules, PatternsMatchWholeNumbersAndTheQuestionPatternOnlyTheMissingOne)
{
    EXPECT_TRUE(TNumberRules::Matches(QStringLiteral("8800*"), QStringLiteral("88001234567")));
    EXPECT_TRUE(TNumberRules::Matches(QStringLiteral("8800*"), QStringLiteral("8800")));
    EXPECT_FALSE(TNumberRules::Matches(QStringLiteral("8800*"), QStringLiteral("78800123")));
    EXPECT_TRUE(TNumberRules::Matches(QStringLiteral("495???????"), QStringLiteral("4951234567")));
    EXPECT_FALSE(TNumberRules::Matches(QStringLiteral("495???????"), QStringLiteral("495123456")));
    EXPECT_FALSE(TNumberRules::Matches(QStringLiteral("495???????"), QStringLiteral("49512345678")));
    EXPECT_TRUE(TNumberRules::Matches(QStringLiteral("*12*34"), QStringLiteral("9121234")));
    EXPECT_TRUE(TNumberRules::Matches(QStringLiteral("5*"), QStringLiteral("5?1")));   // an unread digit
    // "*" is every call, the one without a number too; "?" is that call alone.
    EXPECT_TRUE(TNumberRules::Matches(QStringLiteral("*"), QString()));
    EXPECT_TRUE(TNumberRules::Matches(QStringLiteral("?"), QString()));
    EXPECT_FALSE(TNumberRules::Matches(QStringLiteral("?"), QStringLiteral("5")));
    EXPECT_FALSE(TNumberRules::Matches(QStringLiteral("5*"), QString()));
    // Many stars against a long number that fails at its end stay quick.
    EXPECT_FALSE(TNumberRules::Matches(QStringLiteral("*1*1*1*1*1*1*1*1*2"), QString(200, u'1')));

    for (const char *bad : {"", "  ", "8-800*", "+7495*", "abc"})
        EXPECT_THROW(TNumberRules::CheckedPattern(QString::fromLatin1(bad)), TConfigError) << bad;
    EXPECT_THROW(TNumberRules::CheckedPattern(QString(201, u'1')), TConfigError);
    EXPECT_EQ(TNumberRules::CheckedPattern(QStringLiteral(" 8800* ")), QStringLiteral("8800*"));
}

TEST(NumberRules, SubscriberDecidesForHimselfOtherwiseTheFirstMatchingRule)
{
    const TNumberRules r = rules({{"8800555*", false}, {"8800*", true}, {"?", true}});
    EXPECT_FALSE(r.Decide(QStringLiteral("88005551234"), false, false).Block);
    TNumberRules::TVerdict v = r.Decide(QStringLiteral("88001112233"), false, false);
    EXPECT_TRUE(v.Block);
    EXPECT_EQ(v.Reason, TNumberRules::nrRule);
    EXPECT_EQ(v.Rule, 1);
    v = r.Decide(QStringLiteral("4951234567"), false, false);
    EXPECT_FALSE(v.Block);
    EXPECT_EQ(v.Reason, TNumberRules::nrNoRule);
    EXPECT_TRUE(r.Decide(QString(), false, false).Block);

    // A subscriber without the mark passes a catch-all block; one with it is
    // hung up even where a rule allows.
    const TNumberRules all = rules({{"*", true}});
    v = all.Decide(QStringLiteral("5553412"), true, false);
    EXPECT_FALSE(v.Block);
    EXPECT_EQ(v.Reason, TNumberRules::nrSubscriber);
    EXPECT_TRUE(all.Decide(QStringLiteral("5553413"), false, false).Block);
    EXPECT_TRUE(rules({{"*", false}}).Decide(QStringLiteral("5553412"), true, true).Block);
    EXPECT_TRUE(TNumberRules().Decide(QStringLiteral("5553412"), true, true).Block);
    EXPECT_FALSE(TNumberRules().Decide(QStringLiteral("5553412"), false, false).Block);
}

TEST(NumberRules, StoredTextSkipsWhatIsNoRuleAndKeepsTheOrder)
{
    int skipped = 0;
    const TNumberRules r = TNumberRules::FromText(
        QStringLiteral("block 8800*\r\nallow 8800555*\nblock\nhang 1*\nBLOCK ?\nallow 12a\n\n"), &skipped);
    EXPECT_EQ(skipped, 3);
    ASSERT_EQ(r.Rules.size(), 3);
    EXPECT_EQ(r.Rules.at(0), (TNumberRule{QStringLiteral("8800*"), true}));
    EXPECT_EQ(r.Rules.at(1), (TNumberRule{QStringLiteral("8800555*"), false}));
    EXPECT_EQ(r.Rules.at(2), (TNumberRule{QStringLiteral("?"), true}));

    QTemporaryDir dir;
    {
        TIniSettingsStore store(dir.filePath(QStringLiteral("Konvelo.ini")));
        r.Store(store);
        ASSERT_TRUE(store.Flush());
    }
    TIniSettingsStore again(dir.filePath(QStringLiteral("Konvelo.ini")));
    EXPECT_EQ(TNumberRules::Load(again), r);
    again.WriteInteger(TNumberRules::Key, TNumberRules::Name, 5);
    EXPECT_TRUE(TNumberRules::Load(again).Rules.isEmpty());

    TNumberRules m = r;
    EXPECT_TRUE(m.Move(2, -2));
    EXPECT_EQ(m.Rules.first().Pattern, QStringLiteral("?"));
    EXPECT_FALSE(m.Move(0, -1));
    EXPECT_THROW(m.Remove(3), TConfigError);
}

namespace {
struct RulesSettings : ::testing::Test {
    QTemporaryDir Dir;
    FakePhone Phone;
    FakePrompts Prompts;

    void SetUp() override
    {
        EnsureWidgetApp();
        BaseFolder::set(Dir.path());
    }
    QString Ini() const { return Dir.filePath(QStringLiteral("Konvelo.ini")); }
    static QString Cli() { return QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli"); }
    int Run(const QStringList &args, QString *out = nullptr)
    {
        QProcess p;
        p.start(Cli(), args + QStringList{QStringLiteral("--home"), Dir.path()});
        p.waitForFinished(30000);
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return p.exitCode();
    }
};
} // namespace

TEST_F(RulesSettings, PageEditsTheListAndApplyStoresIt)
{
    TConfig config(&Phone, &Prompts);
    TSettings dlg(config);
    config.FillDialog();
    dlg.show();
    QApplication::processEvents();
    TRulesPage *page = dlg.RulesPage;
    dlg.PageControl1->setCurrentIndex(TSettings::pgRules);
    EXPECT_EQ(dlg.PageControl1->tabText(TSettings::pgRules), QStringLiteral("Правила"));
    EXPECT_EQ(page->RulesList->count(), 0);

    page->RulePatternEdit->setText(QStringLiteral("8-800"));
    page->AddRuleBtn->click();
    EXPECT_EQ(page->RulesList->count(), 0);
    EXPECT_FALSE(page->RuleErrorLabel->text().isEmpty());
    EXPECT_EQ(page->RulePatternEdit->text(), QStringLiteral("8-800"));   // kept for mending

    page->RulePatternEdit->setText(QStringLiteral("8800*"));
    page->AddRuleBtn->click();
    page->RulePatternEdit->setText(QStringLiteral("8800555*"));
    page->RuleActionCombo->setCurrentIndex(1);
    page->AddRuleBtn->click();
    page->RulePatternEdit->setText(QStringLiteral("?"));
    page->RuleActionCombo->setCurrentIndex(0);
    page->AddRuleBtn->click();
    EXPECT_TRUE(page->RuleErrorLabel->text().isEmpty());
    // The allow rule goes first, the "?" rule goes.
    page->RulesList->setCurrentRow(1);
    page->RuleUpBtn->click();
    page->RulesList->setCurrentRow(2);
    page->RemoveRuleBtn->click();
    EXPECT_EQ(page->RulesList->item(0)->text(), QStringLiteral("1. Пропускать  8800555*"));
    ASSERT_TRUE(dlg.ApplyBtn->isEnabled());
    dlg.ApplyBtn->click();
    const TNumberRules expected = rules({{"8800555*", false}, {"8800*", true}});
    EXPECT_EQ(config.NumberRules, expected);
    EXPECT_EQ(TNumberRules::Load(TIniSettingsStore(Ini())), expected);
}

TEST_F(RulesSettings, CliEditsTheStoreAndTestsNumbersAgainstTheBook)
{
    if (!QFileInfo::exists(Cli()))
        GTEST_SKIP() << "konvelo-cli is not built";
    {
        TAddressBook book(Dir.filePath(QStringLiteral("Data/AddressBook")));
        book.AddPerson(QStringLiteral("88001234567"), QStringLiteral("Друг"), 0, QString(), QString(), QString(), -1,
                       false);
        book.AddPerson(QStringLiteral("5553412"), QStringLiteral("Спам"), TPersonAttributes::HangUpCall, QString(),
                       QString(), QString(), -1, false);
    }
    QString out;
    EXPECT_EQ(Run({QStringLiteral("rules"), QStringLiteral("add"), QStringLiteral("8800*"), QStringLiteral("block")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("{\"n\":1,\"action\":\"block\",\"pattern\":\"8800*\"}"));
    EXPECT_EQ(Run({QStringLiteral("rules"), QStringLiteral("add"), QStringLiteral("?"), QStringLiteral("allow")}), 0);
    EXPECT_EQ(Run({QStringLiteral("rules"), QStringLiteral("add"), QStringLiteral("8 800"), QStringLiteral("block")}), 2);
    EXPECT_EQ(Run({QStringLiteral("rules"), QStringLiteral("add"), QStringLiteral("1*"), QStringLiteral("drop")}), 2);
    EXPECT_EQ(Run({QStringLiteral("rules"), QStringLiteral("remove"), QStringLiteral("3")}), 2);

    EXPECT_EQ(Run({QStringLiteral("rules"), QStringLiteral("test"), QStringLiteral("88009998877")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("{\"number\":\"88009998877\",\"action\":\"block\",\"by\":\"rule\",\"n\":1,"
                                  "\"pattern\":\"8800*\"}"));
    Run({QStringLiteral("rules"), QStringLiteral("test"), QStringLiteral("88001234567")}, &out);
    EXPECT_EQ(out, QStringLiteral("{\"number\":\"88001234567\",\"action\":\"allow\",\"by\":\"subscriber\","
                                  "\"name\":\"Друг\"}"));
    Run({QStringLiteral("rules"), QStringLiteral("test"), QStringLiteral("5553412")}, &out);
    EXPECT_TRUE(out.contains(QStringLiteral("\"action\":\"block\",\"by\":\"subscriber\""))) << out.toStdString();
    Run({QStringLiteral("rules"), QStringLiteral("test"), QStringLiteral("?")}, &out);
    EXPECT_TRUE(out.contains(QStringLiteral("\"action\":\"allow\",\"by\":\"rule\",\"n\":2"))) << out.toStdString();

    EXPECT_EQ(Run({QStringLiteral("rules"), QStringLiteral("remove"), QStringLiteral("1")}), 0);
    Run({QStringLiteral("rules"), QStringLiteral("list")}, &out);
    EXPECT_EQ(out, QStringLiteral("{\"n\":1,\"action\":\"allow\",\"pattern\":\"?\"}"));

    // The program's first start keeps the rules written before it; a running
    // program that saves its settings without the dialog touching the rules
    // leaves what the CLI wrote meanwhile.
    TConfig config(&Phone, &Prompts);
    EXPECT_EQ(config.NumberRules, rules({{"?", false}}));
    Run({QStringLiteral("rules"), QStringLiteral("add"), QStringLiteral("7*"), QStringLiteral("block")});
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(TNumberRules::Load(TIniSettingsStore(Ini())).Rules.size(), 2);
}

// konvelo-cli rules: the numbers whose incoming calls are hung up at once.
#include "CliCommand.h"
#include "common/BaseFolder.h"
#include "common/JsonLine.h"
#include "config/TConfigError.h"
#include "config/TNumberRules.h"
#include "config/TSettingsStore.h"
#include "records/TAddressBook.h"
#include "records/TTableError.h"

namespace {

JsonLine ruleLine(int Index, const TNumberRule &Rule)
{
    JsonLine j;
    j.add(QStringLiteral("n"), Index + 1)
        .add(QStringLiteral("action"), TNumberRules::ActionWord(Rule.Block))
        .add(QStringLiteral("pattern"), Rule.Pattern);
    return j;
}

bool save(TSettingsStore &Store, const TNumberRules &Rules)
{
    Rules.Store(Store);
    if (Store.Flush())
        return true;
    cliErr(QStringLiteral("cannot write ") + Store.Location());
    return false;
}

int regionalNumberLength(const TSettingsStore &Store)
{
    qint32 n = 7;
    if (Store.ValueExists(QStringLiteral("Config"), QStringLiteral("RegionalNumberLength")))
        TSettingsStore::ToInteger(Store.Read(QStringLiteral("Config"), QStringLiteral("RegionalNumberLength")), n);
    return n;
}

int test(const TSettingsStore &Store, const TNumberRules &Rules, const QString &Given)
{
    // "?" (or nothing) stands for a call without a number, as in the journal.
    const QString number = Given == QLatin1String("?") ? QString() : Given.trimmed();
    bool found = false;
    bool hangUp = false;
    QString name;
    try {
        TAddressBook book(BaseFolder::dataPath() + QStringLiteral("/AddressBook"));
        book.setRegionalNumberLength(regionalNumberLength(Store));
        found = book.FindPhone(number);
        if (found) {
            hangUp = book.CurrentAttributes() & TPersonAttributes::HangUpCall;
            name = book.fieldValue(QStringLiteral("Name")).toString();
        }
    } catch (const TTableError &e) {
        cliErr(e.message());
        return CliNotFound;
    }
    const TNumberRules::TVerdict v = Rules.Decide(number, found, hangUp);
    JsonLine j;
    j.add(QStringLiteral("number"), number.isEmpty() ? QStringLiteral("?") : number)
        .add(QStringLiteral("action"), TNumberRules::ActionWord(v.Block));
    switch (v.Reason) {
    case TNumberRules::nrSubscriber:
        j.add(QStringLiteral("by"), QStringLiteral("subscriber")).add(QStringLiteral("name"), name);
        break;
    case TNumberRules::nrRule:
        j.add(QStringLiteral("by"), QStringLiteral("rule"))
            .add(QStringLiteral("n"), v.Rule + 1)
            .add(QStringLiteral("pattern"), Rules.Rules.at(v.Rule).Pattern);
        break;
    case TNumberRules::nrNoRule:
        j.add(QStringLiteral("by"), QStringLiteral("none"));
        break;
    }
    cliOut(j.toString());
    return CliOk;
}

int runRules(const CliArgs &a)
{
    const QString usage =
        QStringLiteral("usage: rules list | add PATTERN block|allow | remove N | test NUMBER");
    const QString verb = a.words.value(1);
    const int expected = verb == QLatin1String("list") ? 2 : verb == QLatin1String("add") ? 4 : 3;
    if (verb.isEmpty() || a.words.size() != expected) {
        cliErr(usage);
        return CliUsage;
    }
    const auto store = TSettingsStore::Open();
    TNumberRules rules = TNumberRules::Load(*store);
    try {
        if (verb == QLatin1String("list")) {
            for (int i = 0; i < rules.Rules.size(); ++i)
                cliOut(ruleLine(i, rules.Rules.at(i)).toString());
            return CliOk;
        }
        if (verb == QLatin1String("add")) {
            const QString action = a.words.at(3).toLower();
            if (action != QLatin1String("block") && action != QLatin1String("allow")) {
                cliErr(QStringLiteral("the action is block or allow, not: ") + a.words.at(3));
                return CliUsage;
            }
            rules.Add(a.words.at(2), action == QLatin1String("block"));
            if (!save(*store, rules))
                return CliNotFound;
            cliOut(ruleLine(int(rules.Rules.size()) - 1, rules.Rules.last()).toString());
            return CliOk;
        }
        if (verb == QLatin1String("remove")) {
            bool ok = false;
            const int n = a.words.at(2).toInt(&ok);
            if (!ok) {
                cliErr(QStringLiteral("remove takes the rule's number from rules list"));
                return CliUsage;
            }
            const TNumberRule gone = n >= 1 && n <= rules.Rules.size() ? rules.Rules.at(n - 1) : TNumberRule();
            rules.Remove(n - 1);
            if (!save(*store, rules))
                return CliNotFound;
            cliOut(ruleLine(n - 1, gone).add(QStringLiteral("removed"), true).toString());
            return CliOk;
        }
        if (verb == QLatin1String("test"))
            return test(*store, rules, a.words.at(2));
    } catch (const TConfigError &e) {
        cliErr(e.Message());
        return CliUsage;
    }
    cliErr(usage);
    return CliUsage;
}

CliRegistration regRules(CliCommand{
    QStringLiteral("rules"),
    QStringLiteral("rules list | add PATTERN block|allow | remove N | test NUMBER   the numbers hung up at once "
                   "(* any digits, ? one digit, the pattern ? a call without a number; first match decides; "
                   "the program takes changes at its next start)"),
    {},
    {},
    runRules});
}

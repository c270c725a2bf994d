#include "TNumberRules.h"
#include "TConfigError.h"
#include "TSettingsStore.h"
#include <QStringList>

const QString TNumberRules::Key = QStringLiteral("Rules");
const QString TNumberRules::Name = QStringLiteral("List");

namespace {
constexpr int MaxPattern = 200;
const QString NoNumber = QStringLiteral("?");

// Glob matching over QChar with "*" (any run) and "?" (any one character),
// iterative with one back-track point: linear in practice, never exponential.
bool glob(const QString &p, const QString &s)
{
    qsizetype pi = 0, si = 0, star = -1, mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && p.at(pi) == u'*') {
            star = pi++;
            mark = si;
        } else if (pi < p.size() && (p.at(pi) == u'?' || p.at(pi) == s.at(si))) {
            ++pi;
            ++si;
        } else if (star >= 0) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p.at(pi) == u'*')
        ++pi;
    return pi == p.size();
}
}

bool TNumberRules::Matches(const QString &Pattern, const QString &Number)
{
    // The pattern "?" is the call without a number, and only that call.
    if (Pattern == NoNumber)
        return Number.isEmpty();
    return glob(Pattern, Number);
}

QString TNumberRules::CheckedPattern(const QString &Pattern)
{
    const QString p = Pattern.trimmed();
    if (p.isEmpty())
        throw TConfigError(QStringLiteral("Шаблон номера пуст"));
    if (p.size() > MaxPattern)
        throw TConfigError(QStringLiteral("Шаблон номера длиннее %1 знаков").arg(MaxPattern));
    for (QChar c : p)
        if (!(c >= u'0' && c <= u'9') && c != u'*' && c != u'?')
            throw TConfigError(QStringLiteral("Неверный шаблон номера: ") + p
                               + QStringLiteral(" (допустимы цифры, * и ?)"));
    return p;
}

int TNumberRules::FirstMatch(const QString &Number) const
{
    for (int i = 0; i < Rules.size(); ++i)
        if (Matches(Rules.at(i).Pattern, Number))
            return i;
    return -1;
}

TNumberRules::TVerdict TNumberRules::Decide(const QString &Number, bool SubscriberFound, bool SubscriberHangsUp) const
{
    TVerdict v;
    if (SubscriberFound) {
        v.Block = SubscriberHangsUp;
        v.Reason = nrSubscriber;
        return v;
    }
    v.Rule = FirstMatch(Number);
    if (v.Rule >= 0) {
        v.Block = Rules.at(v.Rule).Block;
        v.Reason = nrRule;
    }
    return v;
}

void TNumberRules::Add(const QString &Pattern, bool Block)
{
    Rules.append({CheckedPattern(Pattern), Block});
}

void TNumberRules::Remove(int Index)
{
    if (Index < 0 || Index >= Rules.size())
        throw TConfigError(QStringLiteral("Нет правила с номером %1").arg(Index + 1));
    Rules.removeAt(Index);
}

bool TNumberRules::Move(int Index, int Delta)
{
    const int to = Index + Delta;
    if (Index < 0 || Index >= Rules.size() || to < 0 || to >= Rules.size())
        return false;
    Rules.move(Index, to);
    return true;
}

QString TNumberRules::ToText() const
{
    QStringList lines;
    for (const TNumberRule &r : Rules)
        lines << ActionWord(r.Block) + QLatin1Char(' ') + r.Pattern;
    return lines.join(QLatin1Char('\n'));
}

TNumberRules TNumberRules::FromText(const QString &Text, int *Skipped)
{
    TNumberRules rules;
    int skipped = 0;
    for (const QString &raw : Text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        const QString word = line.left(blank).toLower();
        if (blank < 0 || (word != QLatin1String("block") && word != QLatin1String("allow"))) {
            ++skipped;
            continue;
        }
        try {
            rules.Add(line.mid(blank + 1), word == QLatin1String("block"));
        } catch (const TConfigError &) {
            ++skipped;
        }
    }
    if (Skipped)
        *Skipped = skipped;
    return rules;
}

TNumberRules TNumberRules::Load(const TSettingsStore &Store)
{
    // A missing or unreadable value is no rule at all: every call goes through.
    const TSettingsStore::TValue v = Store.Read(Key, Name);
    return v.Type == TSettingsStore::vtString ? FromText(v.Text) : TNumberRules();
}

void TNumberRules::Store(TSettingsStore &Store) const
{
    Store.WriteString(Key, Name, ToText());
}

#pragma once
// The number rules: which incoming calls are hung up at once. An ordered list
// of patterns, each blocking or allowing; "*" stands for any run of
// characters, "?" for any one, and the pattern "?" alone for a call without a
// number. A subscriber of the address book decides for his own calls: hung up
// when marked so, let through otherwise. For other numbers the first matching
// rule decides; no match lets the call through. Kept in the Rules key.
#include <QList>
#include <QString>

class TSettingsStore;

struct TNumberRule {
    QString Pattern;
    bool Block = true;

    friend bool operator==(const TNumberRule &, const TNumberRule &) = default;
};

class TNumberRules {
public:
    // Why a call is let through or hung up.
    enum TReason { nrNoRule, nrRule, nrSubscriber };
    struct TVerdict {
        bool Block = false;
        TReason Reason = nrNoRule;
        int Rule = -1;   // 0-based index of the deciding rule (nrRule)
    };

    static const QString Key;      // "Rules"
    static const QString Name;     // "List": one rule a line, "block PATTERN" or "allow PATTERN"

    QList<TNumberRule> Rules;

    // Number is the caller's number as text, empty for a call without one.
    // SubscriberFound: the address book has the number (for an empty number its
    // undefined-number subscriber); SubscriberHangsUp: that subscriber is marked
    // to be hung up.
    TVerdict Decide(const QString &Number, bool SubscriberFound, bool SubscriberHangsUp) const;
    // The index of the first rule that matches, -1 when none does.
    int FirstMatch(const QString &Number) const;

    static bool Matches(const QString &Pattern, const QString &Number);
    // A pattern is digits, "*" and "?", at most 200 characters. Throws
    // TConfigError with the Russian message otherwise.
    static QString CheckedPattern(const QString &Pattern);

    // Appends a rule (the pattern checked first); removes the rule at a 0-based
    // index (TConfigError when there is none); moves a rule one place up or down.
    void Add(const QString &Pattern, bool Block);
    void Remove(int Index);
    bool Move(int Index, int Delta);

    // The stored text: one line a rule; lines that are no rule are skipped.
    QString ToText() const;
    static TNumberRules FromText(const QString &Text, int *Skipped = nullptr);
    static TNumberRules Load(const TSettingsStore &Store);
    void Store(TSettingsStore &Store) const;

    static QString ActionWord(bool Block) { return Block ? QStringLiteral("block") : QStringLiteral("allow"); }

    friend bool operator==(const TNumberRules &, const TNumberRules &) = default;
};

#pragma once
// The numbers offered by the dial box: a sorted list of number texts without
// duplicates, filled from the journals at start-up and extended after calls.
#include <QString>
#include <QStringList>

class TIncomingCallBook;
class TOutgoingCallBook;

class TDialList {
public:
    static constexpr int MaxBuildCount = 300;

    // Clears the list and fills it from both journals: at most 300 numbers in the
    // share of each journal's rows, each journal walked from its first row in its
    // current order. The journals' current rows do not move.
    void Build(const TOutgoingCallBook &Out, const TIncomingCallBook &In);

    // Adds a non-empty number; false when it is empty or already listed.
    bool Add(const QString &Number);
    // Adds the number of a finished call when it consists of digits only.
    bool AddCallNumber(const QString &Number);
    void Clear() { FItems.clear(); }

    // The first entry (in sorted order) that begins with Typed; empty when none
    // or when Typed is empty.
    QString Complete(const QString &Typed) const;

    bool Contains(const QString &Number) const;
    int Count() const { return int(FItems.size()); }
    const QStringList &Items() const { return FItems; }

    // True for a non-empty text of the digits 0..9 only.
    static bool IsDigitsOnly(const QString &Number);

private:
    QStringList FItems;   // sorted, unique
};

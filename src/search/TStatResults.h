#pragma once
// The result of one statistics grouping: distinct keys (letter case ignored,
// written as first met) with their call counts and summed lengths, and totals.
#include <QList>
#include <QString>

struct TStatKey {
    QString Key;
    qint64 Count = 0;
    double Length = 0.0;   // days
};

struct TStatResults {
    QList<TStatKey> Keys;   // sorted by key, ignoring case
    qint64 TotalCount = 0;
    double TotalLength = 0.0;
};

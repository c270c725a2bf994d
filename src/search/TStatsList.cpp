#include "TStatsList.h"
#include "TCallStatistics.h"
#include "common/TDateTime.h"
#include <algorithm>

namespace {
// What the length text reads back as: seconds below one day.
int secondsShown(double Days)
{
    return TDateTime(Days).secondsOfDay() % 86400;
}
}

QString TStatsList::TimeText(double Days)
{
    const int s = secondsShown(Days);
    return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString TStatRow::LengthText() const
{
    return TStatsList::TimeText(Length);
}

void TStatsList::Fill(const TStatResults &Results, const QString &FirstCaption, bool PhoneList)
{
    FPhoneList = PhoneList;
    FTotalCount = Results.TotalCount;
    FTotalLength = Results.TotalLength;
    FCaptions = {FirstCaption, QStringLiteral("Количество (всего %1)").arg(Results.TotalCount)};
    if (PhoneList)
        FCaptions << QStringLiteral("Длительность (всего ") + TimeText(Results.TotalLength) + QLatin1Char(')');
    FRows.clear();
    FRows.reserve(Results.Keys.size());
    for (const TStatKey &k : Results.Keys)
        FRows.append({TCallStatistics::OneLine(k.Key), k.Count, k.Length});
    FFlags = {true, true, true};
    std::stable_sort(FRows.begin(), FRows.end(), [](const TStatRow &a, const TStatRow &b) { return a.Count > b.Count; });
}

void TStatsList::SortByColumn(int Column)
{
    if (Column < 0 || Column >= FCaptions.size())
        return;
    const bool flag = FFlags[size_t(Column)];
    switch (Column) {
    case 0:
        std::stable_sort(FRows.begin(), FRows.end(), [flag](const TStatRow &a, const TStatRow &b) {
            const int c = a.Key.compare(b.Key, Qt::CaseInsensitive);
            return flag ? c > 0 : c < 0;
        });
        break;
    case 1:
        std::stable_sort(FRows.begin(), FRows.end(), [flag](const TStatRow &a, const TStatRow &b) {
            return flag ? a.Count < b.Count : a.Count > b.Count;
        });
        break;
    default:
        std::stable_sort(FRows.begin(), FRows.end(), [flag](const TStatRow &a, const TStatRow &b) {
            const int x = secondsShown(a.Length), y = secondsShown(b.Length);
            return flag ? x > y : x < y;
        });
        break;
    }
    FFlags[size_t(Column)] = !flag;
}

#include "TBlockedCallsLabel.h"
#include "records/TIncomingCallBook.h"
#include <exception>

TBlockedCallsLabel::TBlockedCallsLabel(TIncomingCallBook &InCalls, QWidget *parent)
    : QLabel(parent), FInCalls(InCalls)
{
    setObjectName(QStringLiteral("BlockedCallsLabel"));
    setToolTip(QStringLiteral("Звонки, сброшенные по правилам с понедельника"));
    setContentsMargins(8, 0, 8, 0);
    connect(&FInCalls, &TRecordTable::changed, this, &TBlockedCallsLabel::Refresh);
    Refresh();
}

TDateTime TBlockedCallsLabel::WeekStart(const QDate &Day)
{
    return TDateTime::fromQDateTime(Day.addDays(1 - Day.dayOfWeek()).startOfDay());
}

void TBlockedCallsLabel::Refresh()
{
    try {
        FCount = FInCalls.BlockedSince(WeekStart(Today()));
    } catch (const std::exception &) {
        FCount = 0;   // a journal out of reach shows no count rather than stopping the page
    }
    setText(QStringLiteral("Сброшено за неделю: %1").arg(FCount));
}

void TBlockedCallsLabel::showEvent(QShowEvent *event)
{
    // The week may have turned since the last change of the journal.
    Refresh();
    QLabel::showEvent(event);
}

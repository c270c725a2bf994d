#pragma once
// The address-book page's count of the calls the number rules hung up this
// week (since Monday 0:00), kept current as the incoming journal changes.
#include "common/TDateTime.h"
#include <QDate>
#include <QLabel>
#include <functional>

class TIncomingCallBook;

class TBlockedCallsLabel : public QLabel {
    Q_OBJECT
public:
    explicit TBlockedCallsLabel(TIncomingCallBook &InCalls, QWidget *parent = nullptr);

    // Counts again and shows "Сброшено за неделю: N".
    void Refresh();
    qint64 Count() const { return FCount; }
    // Monday 0:00 of the week that holds Day.
    static TDateTime WeekStart(const QDate &Day);

    std::function<QDate()> Today = [] { return QDate::currentDate(); };

protected:
    void showEvent(QShowEvent *event) override;

private:
    TIncomingCallBook &FInCalls;
    qint64 FCount = 0;
};

#pragma once
// "Напоминание о звонках ": the calls of both journals whose reminder is due
// today or later (or, with "Все звонки с напоминанием" down, every call with a
// reminder), ordered by the reminder's day and then the call's day. Its buttons
// and pop-up menu open the call's information, dial its number and remove the
// reminder; the list is rebuilt on request and at every midnight.
#include "common/TDateTime.h"
#include <QWidget>
#include <functional>

class QAction;
class QMenu;
class QTableWidget;
class QTimer;
class QToolButton;
class TIncomingCallBook;
class TOutgoingCallBook;

class TReminderPanel : public QWidget {
    Q_OBJECT
public:
    // Column 0 the number (Call_ID attached), 1 the reminder date (its whole
    // days), 2 hidden: "in" or "out" (the call's whole days).
    static constexpr int ValueRole = Qt::UserRole + 1;

    // The journals must outlive the panel; either may be null.
    TReminderPanel(TIncomingCallBook *In, TOutgoingCallBook *Out, QWidget *parent = nullptr);

    // The clock the list and the midnight timer read; the system clock by default.
    void SetClock(std::function<TDateTime()> Now) { FNow = std::move(Now); }

    QToolButton *InfoButton() const { return SB_ReminderInfo; }
    QToolButton *CallButton() const { return SB_ReminderCall; }
    QToolButton *AllButton() const { return SB_ReminderAll; }
    QTableWidget *Grid() const { return SGReminder; }
    QMenu *Popup() const { return PopupMenuReminder; }
    QTimer *Timer() const { return TimerReminder; }
    // Listed reminders (the grid keeps one empty row when there are none).
    int Count() const { return FCount; }

public slots:
    // Rebuilds the list and re-arms the midnight timer.
    void RebuildReminders();
    void TimerReminderTimer();
    // "Информация" / "Информация о звонке".
    void InfoClick();
    // "Звонить".
    void CallClick();
    // "Снять напоминание".
    void RemoveClick();

signals:
    // The number window for a call: Direction 0 incoming, 1 outgoing.
    void ShowNumberRequested(const QString &Number, qint64 CallId, int Direction);
    // The number to put into the dial box and dial.
    void DialRequested(const QString &Number);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool selected(QString &Number, qint64 &CallId, bool &Incoming) const;

    TIncomingCallBook *FIn;
    TOutgoingCallBook *FOut;
    std::function<TDateTime()> FNow;
    int FCount = 0;

    QToolButton *SB_ReminderInfo;
    QToolButton *SB_ReminderCall;
    QToolButton *SB_ReminderAll;
    QTableWidget *SGReminder;
    QMenu *PopupMenuReminder;
    QAction *FInfoItem;
    QAction *FCallItem;
    QAction *FRemoveItem;
    QTimer *TimerReminder;
};

#include "TReminderPanel.h"
#include "TToolButton.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TReminderList.h"
#include "records/TTableError.h"
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

TReminderPanel::TReminderPanel(TIncomingCallBook *In, TOutgoingCallBook *Out, QWidget *parent)
    : QWidget(parent), FIn(In), FOut(Out), FNow([] { return TDateTime::now(); })
{
    setObjectName(QStringLiteral("PanelCallReminder"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // "Информация" and "Звонить" side by side, the whole caption of the toggle
    // below them: the three do not fit one row of the 193 px column.
    auto *head = new QGridLayout;
    head->setSpacing(1);
    SB_ReminderInfo = new TToolButton(this, QStringLiteral("SB_ReminderInfo"), QStringLiteral("Информация"),
                                      QStringLiteral("Информация"));
    SB_ReminderCall = new TToolButton(this, QStringLiteral("SB_ReminderCall"), QStringLiteral("Звонить"),
                                      QStringLiteral("Звонить"));
    SB_ReminderAll = new TToolButton(this, QStringLiteral("SB_ReminderAll"), QStringLiteral("Все звонки с напоминанием"),
                                     QStringLiteral("Все звонки с напоминанием"));
    SB_ReminderAll->setCheckable(true);
    int column = 0;
    for (QToolButton *b : {SB_ReminderInfo, SB_ReminderCall, SB_ReminderAll}) {
        QFont small = b->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        b->setFont(small);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        if (b == SB_ReminderAll)
            head->addWidget(b, 1, 0, 1, 2);
        else
            head->addWidget(b, 0, column++);
    }
    SB_ReminderInfo->setEnabled(false);
    SB_ReminderCall->setEnabled(false);
    layout->addLayout(head);

    SGReminder = new QTableWidget(1, 3, this);
    SGReminder->setObjectName(QStringLiteral("SGReminder"));
    SGReminder->horizontalHeader()->hide();
    SGReminder->verticalHeader()->hide();
    SGReminder->setColumnHidden(2, true);
    SGReminder->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGReminder->setSelectionMode(QAbstractItemView::SingleSelection);
    SGReminder->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGReminder->verticalHeader()->setDefaultSectionSize(17);
    // The date whole, the number in the rest of the width.
    SGReminder->horizontalHeader()->setStretchLastSection(false);
    SGReminder->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    SGReminder->setColumnWidth(1, SGReminder->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 10);
    SGReminder->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SGReminder->setContextMenuPolicy(Qt::CustomContextMenu);
    SGReminder->viewport()->installEventFilter(this);
    SGReminder->hide();
    layout->addWidget(SGReminder, 1);
    layout->addStretch(0);   // keeps the buttons at the top while the list is hidden

    PopupMenuReminder = new QMenu(this);
    PopupMenuReminder->setObjectName(QStringLiteral("PopupMenuReminder"));
    FInfoItem = PopupMenuReminder->addAction(QStringLiteral("Информация о звонке"));
    FInfoItem->setObjectName(QStringLiteral("ReminderInfoItem"));
    FCallItem = PopupMenuReminder->addAction(QStringLiteral("Звонить"));
    FCallItem->setObjectName(QStringLiteral("ReminderCallItem"));
    FRemoveItem = PopupMenuReminder->addAction(QStringLiteral("Снять напоминание"));
    FRemoveItem->setObjectName(QStringLiteral("ReminderRemoveItem"));

    TimerReminder = new QTimer(this);
    TimerReminder->setObjectName(QStringLiteral("TimerReminder"));
    TimerReminder->setSingleShot(false);

    connect(SB_ReminderInfo, &QToolButton::clicked, this, &TReminderPanel::InfoClick);
    connect(SB_ReminderCall, &QToolButton::clicked, this, &TReminderPanel::CallClick);
    connect(SB_ReminderAll, &QToolButton::clicked, this, &TReminderPanel::RebuildReminders);
    connect(FInfoItem, &QAction::triggered, this, &TReminderPanel::InfoClick);
    connect(FCallItem, &QAction::triggered, this, &TReminderPanel::CallClick);
    connect(FRemoveItem, &QAction::triggered, this, &TReminderPanel::RemoveClick);
    connect(TimerReminder, &QTimer::timeout, this, &TReminderPanel::TimerReminderTimer);
    connect(SGReminder, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { PopupMenuReminder->popup(SGReminder->viewport()->mapToGlobal(p)); });
}

void TReminderPanel::RebuildReminders()
{
    const TDateTime now = FNow();
    std::vector<TReminder> list;
    try {
        list = TReminderList::Query(FIn, FOut, SB_ReminderAll->isChecked(), now);
    } catch (const TTableError &) {
        // A journal that cannot be read lists nothing.
    }
    FCount = int(list.size());
    SGReminder->clearContents();
    SGReminder->setRowCount(std::max(1, FCount));
    for (int r = 0; r < FCount; ++r) {
        const TReminder &m = list[size_t(r)];
        auto *phone = new QTableWidgetItem(m.Phone);
        phone->setData(ValueRole, m.CallId);
        auto *day = new QTableWidgetItem(m.Reminder.toShortDateString());
        day->setData(ValueRole, m.ReminderDays);
        auto *direction = new QTableWidgetItem(m.Incoming ? QStringLiteral("in") : QStringLiteral("out"));
        direction->setData(ValueRole, m.CallDays);
        SGReminder->setItem(r, 0, phone);
        SGReminder->setItem(r, 1, day);
        SGReminder->setItem(r, 2, direction);
    }
    const bool any = FCount > 0;
    SB_ReminderInfo->setEnabled(any);
    SB_ReminderCall->setEnabled(any);
    SGReminder->setVisible(any);
    if (any)
        SGReminder->selectRow(0);

    TimerReminder->stop();
    TimerReminder->setInterval(TReminderList::MsecsToMidnight(now));
    TimerReminder->start();
}

void TReminderPanel::TimerReminderTimer()
{
    RebuildReminders();
}

bool TReminderPanel::selected(QString &Number, qint64 &CallId, bool &Incoming) const
{
    const int row = SGReminder->currentRow();
    if (row < 0 || row >= FCount)
        return false;
    const QTableWidgetItem *phone = SGReminder->item(row, 0);
    const QTableWidgetItem *direction = SGReminder->item(row, 2);
    if (!phone || !direction)
        return false;
    Number = phone->text();
    CallId = phone->data(ValueRole).toLongLong();
    Incoming = direction->text() == QLatin1String("in");
    return true;
}

void TReminderPanel::InfoClick()
{
    QString number;
    qint64 callId = 0;
    bool incoming = true;
    if (selected(number, callId, incoming) && callId > 0)
        emit ShowNumberRequested(number, callId, incoming ? 0 : 1);
}

void TReminderPanel::CallClick()
{
    QString number;
    qint64 callId = 0;
    bool incoming = true;
    if (selected(number, callId, incoming))
        emit DialRequested(number);
}

void TReminderPanel::RemoveClick()
{
    QString number;
    qint64 callId = 0;
    bool incoming = true;
    if (!selected(number, callId, incoming))
        return;
    TCallBook *book = incoming ? static_cast<TCallBook *>(FIn) : static_cast<TCallBook *>(FOut);
    if (!book)
        return;
    bool removed = false;
    try {
        removed = TReminderList::Remove(*book, callId);
    } catch (const TTableError &) {
    }
    // A call deleted meanwhile changes nothing.
    if (removed)
        RebuildReminders();
}

bool TReminderPanel::eventFilter(QObject *watched, QEvent *event)
{
    // A right-button press selects the row under the pointer for the pop-up menu.
    if (watched == SGReminder->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::RightButton) {
            const int row = SGReminder->rowAt(e->position().toPoint().y());
            if (row >= 0)
                SGReminder->selectRow(row);
        }
    }
    return QWidget::eventFilter(watched, event);
}

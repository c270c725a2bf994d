#include "TOfficeHistoryList.h"
#include "common/TDateTime.h"
#include <QBoxLayout>
#include <QHeaderView>
#include <QTime>

namespace {

QBoxLayout *boxHolding(QLayout *Layout, QWidget *Widget)
{
    if (!Layout)
        return nullptr;
    if (auto *box = qobject_cast<QBoxLayout *>(Layout); box && box->indexOf(Widget) >= 0)
        return box;
    for (int i = 0; i < Layout->count(); ++i)
        if (QBoxLayout *box = boxHolding(Layout->itemAt(i)->layout(), Widget))
            return box;
    return nullptr;
}

} // namespace

TOfficeHistoryList *TOfficeHistoryList::InsertBelow(TOfficeHistory *History, QWidget *Anchor)
{
    QWidget *parent = Anchor ? Anchor->parentWidget() : nullptr;
    QBoxLayout *box = parent ? boxHolding(parent->layout(), Anchor) : nullptr;
    if (!box)
        return nullptr;
    auto *list = new TOfficeHistoryList(History, parent);
    list->setMaximumHeight(110);
    box->insertWidget(box->indexOf(Anchor) + 1, list);
    return list;
}

TOfficeHistoryList::TOfficeHistoryList(TOfficeHistory *History, QWidget *parent)
    : QTreeWidget(parent), FHistory(History)
{
    setObjectName(QStringLiteral("OfficeHistory"));
    setRootIsDecorated(false);
    setHeaderLabels({QStringLiteral("Рабочее место"), QStringLiteral("Время"), QStringLiteral("Длит."),
                     QStringLiteral("Примечание")});
    header()->setStretchLastSection(true);
    FTimeout.setSingleShot(true);
    FTimeout.setInterval(TOfficeHistory::TimeoutMs);
    connect(&FTimeout, &QTimer::timeout, this, &TOfficeHistoryList::unavailable);
    if (FHistory)
        connect(FHistory, &TOfficeHistory::arrived, this, &TOfficeHistoryList::arrived);
}

void TOfficeHistoryList::ShowNumber(const QString &Number)
{
    clear();
    FNumber = Number;
    FAnswered = false;
    if (!FHistory) {
        unavailable();
        return;
    }
    FRequest = FHistory->Request(Number);
    FTimeout.start();
}

void TOfficeHistoryList::unavailable()
{
    if (FAnswered)
        return;
    clear();
    auto *item = new QTreeWidgetItem(this);
    item->setText(0, UnavailableText());
    item->setFirstColumnSpanned(true);
}

void TOfficeHistoryList::arrived(int id, const QString &number, const QList<TOfficeServer::TCall> &calls, bool ok)
{
    if (id != FRequest || number != FNumber)
        return;   // an answer to an earlier number
    if (!ok) {
        FTimeout.stop();
        unavailable();
        return;
    }
    FAnswered = true;
    FTimeout.stop();
    clear();
    // Newest first, as the local history.
    for (auto it = calls.crbegin(); it != calls.crend(); ++it) {
        auto *item = new QTreeWidgetItem(this);
        item->setText(0, it->Workstation);
        item->setText(1, TDateTime(it->Time).toQDateTime().toString(QStringLiteral("dd.MM.yyyy H:mm:ss")));
        item->setText(2, QTime(0, 0).addSecs(qRound(it->Length * 86400.0)).toString(QStringLiteral("H:mm:ss")));
        QStringList notes;
        for (const QString &f : it->Fields)
            if (!f.isEmpty())
                notes << f;
        item->setText(3, notes.join(QStringLiteral("; ")));
    }
}

#include "TJournalGridDelegate.h"
#include "TJournalGridColumns.h"
#include "common/PhoneTypes.h"
#include "records/TAddressBook.h"
#include <QApplication>
#include <QPainter>

const QColor TJournalGridDelegate::NightColor = QColor(166, 202, 240);

namespace {
using namespace TPersonAttributes;

const TJournalGridColumns *columnsOf(const QModelIndex &index)
{
    return dynamic_cast<const TJournalGridColumns *>(index.model());
}

int attributeValue(const QVariant &v)
{
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : 0;
}
}

TJournalGridDelegate::TJournalGridDelegate(TGridKind Kind, std::function<bool(TDateTime)> IsNight, QObject *parent)
    : QStyledItemDelegate(parent), FKind(Kind), FIsNight(std::move(IsNight))
{
}

QIcon TJournalGridDelegate::GridIcon(int Index)
{
    // Made once: an icon made from its file renders the drawing anew each time.
    static const QList<QIcon> Icons = [] {
        QList<QIcon> list;
        for (int i = 0; i <= BlockedIcon; ++i)
            list << (i == 5 ? QIcon() : QIcon(QStringLiteral(":/icons/grid%1.svg").arg(i)));
        return list;
    }();
    return Index >= 0 && Index < Icons.size() ? Icons.at(Index) : QIcon();
}

QList<QIcon> TJournalGridDelegate::GridImages()
{
    QList<QIcon> list;
    for (int i = 0; i <= BlockedIcon; ++i)
        list << GridIcon(i);
    return list;
}

QVariant TJournalGridDelegate::value(const QModelIndex &index, const QString &field) const
{
    const TJournalGridColumns *m = columnsOf(index);
    if (!m)
        return {};
    const int c = m->columnOf(field);
    return c < 0 ? QVariant() : m->data(m->index(index.row(), c), Qt::EditRole);
}

bool TJournalGridDelegate::NightRow(const QModelIndex &index) const
{
    if (FKind != gkJournal || !FIsNight)
        return false;
    const QVariant t = value(index, QStringLiteral("Time"));
    return !t.isNull() && FIsNight(TDateTime(t.toDouble()));
}

bool TJournalGridDelegate::IconColumn(const QModelIndex &index) const
{
    const TJournalGridColumns *m = columnsOf(index);
    if (!m || index.column() >= m->shownCount())
        return false;
    const QString f = m->fieldOf(index.column());
    if (FKind == gkAddress)
        return f.isEmpty();
    return f == QLatin1String("FileName") || f == QLatin1String("MessageFileName")
        || f == QLatin1String("Attributes") || f == QLatin1String("AutoAnswer");
}

QList<TJournalGridDelegate::TCellIcon> TJournalGridDelegate::CellIcons(const QModelIndex &index,
                                                                       const QRect &cell) const
{
    QList<TCellIcon> icons;
    if (!IconColumn(index))
        return icons;
    const TJournalGridColumns *m = columnsOf(index);
    const QString f = m->fieldOf(index.column());
    const int w = IconSize;
    const int top = cell.top() + (cell.height() - w) / 2;
    auto centred = [&](int left, int y) { return QRect(left, y, w, w); };

    if (FKind == gkAddress) {
        const QVariant a = value(index, QStringLiteral("Attributes"));
        if (a.isNull())
            return icons;
        const int bits = attributeValue(a);
        const int left = cell.left() + (cell.width() - 3 * w - 3) / 2;
        auto slot = [&](int n, int icon) { icons << TCellIcon{icon, centred(left + n * (w + 2), top)}; };
        if (bits & AlwaysShow)
            slot(0, 6);
        else if (bits & NeverShow)
            slot(0, 7);
        if (bits & AlwaysRecord)
            slot(1, 0);
        else if (bits & NeverRecord)
            slot(1, 1);
        if (bits & NeverRing)
            slot(2, 9);
        else if (bits & AlwaysRing)
            slot(2, 8);
        if (bits & HangUpCall)
            slot(3, BlockedIcon);
        return icons;
    }

    const QVariant v = m->data(index, Qt::EditRole);
    const int middleLeft = cell.left() + (cell.width() - w) / 2;
    if (f == QLatin1String("FileName") && value(index, QStringLiteral("Blocked")).toInt() == 1) {
        // A call the number rules hung up has no talk: its place shows why.
        icons << TCellIcon{BlockedIcon, centred(middleLeft, top)};
    } else if (f == QLatin1String("FileName") || f == QLatin1String("MessageFileName")) {
        if (!v.isNull())
            icons << TCellIcon{v.toString() == QLatin1String("+") ? 1 : 0, centred(middleLeft, top)};
    } else if (f == QLatin1String("Attributes")) {
        if (v.isNull())
            return icons;
        const TCallAttributes bits = TCallAttributes::fromByte(uint8_t(attributeValue(v)));
        if (bits.has(caRobot)) {
            icons << TCellIcon{2, centred(middleLeft + w / 2, top - 2)};
            icons << TCellIcon{10, centred(middleLeft - w / 2, top)};
        } else if (bits.has(caVRX))
            icons << TCellIcon{2, centred(middleLeft, top - 2)};
        else if (bits.has(caParallel))
            icons << TCellIcon{3, centred(middleLeft, top - 2)};
    } else if (f == QLatin1String("AutoAnswer")) {
        if (v.toBool())
            icons << TCellIcon{4, centred(middleLeft, top)};
    }
    return icons;
}

void TJournalGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    if (!selected && NightRow(index))
        opt.backgroundBrush = NightColor;
    const bool icons = IconColumn(index);
    if (icons) {
        opt.text.clear();
        opt.icon = QIcon();
        opt.features &= ~QStyleOptionViewItem::HasDisplay;
    }
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (!icons)
        return;
    for (const TCellIcon &i : CellIcons(index, opt.rect))
        GridIcon(i.Index).paint(painter, i.Rect);
}

void TJournalGridDelegate::PaintCallPlace(QPainter *Painter, const QRect &Cell, int Bits, const QList<QIcon> &Grid)
{
    if (Grid.size() <= 10)
        return;
    if (Bits & 16) {
        Grid[2].paint(Painter, Cell);
        Grid[10].paint(Painter, Cell.translated(Cell.width(), 0));
    } else if (Bits & 1) {
        Grid[2].paint(Painter, Cell);
    } else if (Bits & 2) {
        Grid[3].paint(Painter, Cell);
    }
}

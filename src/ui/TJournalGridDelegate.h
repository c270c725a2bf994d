#pragma once
// Cell drawing of the journal grids and of the address book's "Параметры" column:
// night rows on sky blue, the recording, place, answering-machine, subscriber
// and hung-up icons of GridImageList by index. The grid's model is a TJournalGridColumns.
#include "common/TDateTime.h"
#include <QIcon>
#include <QList>
#include <QStyledItemDelegate>
#include <functional>

class TJournalGridDelegate : public QStyledItemDelegate {
public:
    enum TGridKind { gkJournal, gkAddress };
    static constexpr int IconSize = 16;
    // A call hung up by the number rules; a subscriber whose calls are.
    static constexpr int BlockedIcon = 11;
    static const QColor NightColor;   // sky blue, RGB 166, 202, 240

    struct TCellIcon {
        int Index;    // in GridImageList
        QRect Rect;
    };

    // IsNight decides the rows of the night by their Time (journals only).
    TJournalGridDelegate(TGridKind Kind, std::function<bool(TDateTime)> IsNight, QObject *parent = nullptr);

    // The icons drawn in a cell (none for a text column).
    QList<TCellIcon> CellIcons(const QModelIndex &index, const QRect &cell) const;
    // The row's time of day lies in the night interval.
    bool NightRow(const QModelIndex &index) const;
    // True for a column that shows icons instead of its text.
    bool IconColumn(const QModelIndex &index) const;

    // GridImageList: the picture of an index (a null icon for the unused ones).
    static QIcon GridIcon(int Index);
    static QList<QIcon> GridImages();
    // Where an outgoing call was made (its Attributes bits) as the history grids
    // draw it, from Cell's left edge: cellular (16, with its channel), parallel
    // phone (1) or the phone itself (2).
    static void PaintCallPlace(QPainter *Painter, const QRect &Cell, int Bits, const QList<QIcon> &Grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QVariant value(const QModelIndex &index, const QString &field) const;

    TGridKind FKind;
    std::function<bool(TDateTime)> FIsNight;
};

#include "TFieldGrid.h"
#include "config/TConfig.h"
#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>

void FillFieldGrid(QTableWidget *Grid, int Journal, bool AllFields, const TConfig *Config)
{
    Grid->clearContents();
    Grid->setRowCount(0);
    Grid->setColumnCount(2);
    Grid->setColumnWidth(0, 55);
    // Fields 1..7 in order: all, or the ones switched on for this journal.
    QList<int> fields;
    for (int n = 1; n <= 7; ++n) {
        const bool on = !Config || (Journal == 0 ? Config->InFieldYes : Config->OutFieldYes)[size_t(n)];
        if (AllFields || on)
            fields << n;
    }
    // No fields: a disabled grid with one empty row.
    if (fields.isEmpty()) {
        Grid->setEnabled(false);
        Grid->setRowCount(1);
    } else {
        Grid->setEnabled(true);
        Grid->setRowCount(int(fields.size()));
        const QFontMetrics fm(Grid->font());
        int width = 55;
        for (int r = 0; r < fields.size(); ++r) {
            const int n = fields.at(r);
            const QString name =
                Config ? (Journal == 0 ? Config->InField : Config->OutField)[size_t(n)] : QString();
            auto *caption = new QTableWidgetItem(name);
            caption->setFlags(caption->flags() & ~Qt::ItemIsEditable);
            Grid->setItem(r, 0, caption);
            auto *value = new QTableWidgetItem;
            value->setFlags(value->flags() & ~Qt::ItemIsEditable);
            value->setData(FieldNumberRole, n);
            Grid->setItem(r, 1, value);
            width = std::max(width, fm.horizontalAdvance(name) + 10);
        }
        Grid->setColumnWidth(0, width);
        Grid->setCurrentCell(0, 1);
    }
    // As high as its rows; the value column takes the rest of the width.
    const int rowHeight = Grid->verticalHeader()->defaultSectionSize();
    const int line = Grid->showGrid() ? 1 : 0;
    Grid->setFixedHeight((rowHeight + line) * Grid->rowCount() + 4);
    Grid->setColumnWidth(1, std::max(0, Grid->viewport()->width() - Grid->columnWidth(0)));
}

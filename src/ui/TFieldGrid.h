#pragma once
// The information-fields grid shared by the journal pages, the alert, the
// information-fields editor and the number information window: column 0 the
// field's configured name, column 1 its value, the field's number on the value cell.
#include <Qt>

class QTableWidget;
class TConfig;

// The role under which a value cell carries its field's number (1..7).
constexpr int FieldNumberRole = Qt::UserRole + 1;

// Rebuilds Grid for the incoming (Journal 0) or outgoing (1) journal: all seven
// fields when AllFields, else those enabled by InFieldYes/OutFieldYes. Without
// rows the grid is disabled with one empty row. Config may be null (no names,
// every field shown).
void FillFieldGrid(QTableWidget *Grid, int Journal, bool AllFields, const TConfig *Config);

#pragma once
// The two value tables of the panel (live values, one curve point): their
// look, the battery labels, and where each value goes.

#include <QString>
#include <cstddef>

class QTableWidget;

namespace kx::panel {

// Columns, rows, headers and look of a value table.
void SetupValueTable(QTableWidget* table);
// Sets the text of one cell, creating its item on first use.
void SetCell(QTableWidget* table, int row, int column, const QString& text);
// "电池1" … "电池31" down column 0, "电池32" … "电池40" down column 2.
void FillBatteryLabels(QTableWidget* table);

struct TableCell {
  int row;
  int column;
};
// Where value k of a reading is shown: cells 1..31 down column 1, then cells
// 32..40 and the quantities after them (total voltage first) down column 3.
TableCell ValueCell(size_t k);

}  // namespace kx::panel

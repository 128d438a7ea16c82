#include "panel/ValueTables.h"

#include <QHeaderView>
#include <QTableWidget>

#include "lang/Language.h"

namespace kx::panel {

namespace {
constexpr int kRows = 31;
}  // namespace

void SetupValueTable(QTableWidget* table) {
  table->setColumnCount(4);
  table->setRowCount(kRows);
  table->setHorizontalHeaderLabels({kx::QTr("CTesterDlg", "内容"), kx::QTr("CTesterDlg", "值"),
                                    kx::QTr("CTesterDlg", "内容"), kx::QTr("CTesterDlg", "值")});
  table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  table->horizontalHeader()->setHighlightSections(false);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(16);
  table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table->setShowGrid(false);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setWordWrap(false);
}

void SetCell(QTableWidget* table, int row, int column, const QString& text) {
  if (auto* item = table->item(row, column)) {
    item->setText(text);
    return;
  }
  table->setItem(row, column, new QTableWidgetItem(text));
}

void FillBatteryLabels(QTableWidget* table) {
  for (int r = 0; r < kRows; ++r) SetCell(table, r, 0, kx::QTr("CTesterDlg", "电池%1").arg(r + 1));
  for (int r = 0; r < 9; ++r) SetCell(table, r, 2, kx::QTr("CTesterDlg", "电池%1").arg(r + kRows + 1));
}

TableCell ValueCell(size_t k) {
  const int i = static_cast<int>(k);
  if (i < kRows) return {i, 1};
  return {i - kRows, 3};
}

}  // namespace kx::panel

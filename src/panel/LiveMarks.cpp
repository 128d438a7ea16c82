// What a good reading shows beyond its values: the highest and lowest cell, the
// cells not fitted, the values beyond the alarm thresholds, and the live trend.
// All of it is display only; nothing is sent.

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <cmath>
#include <optional>

#include "link/CellSummary.h"
#include "link/LiveReading.h"
#include "panel/ControlIds.h"
#include "panel/LiveTrendDlg.h"
#include "panel/TesterDlg.h"
#include "panel/ValueTables.h"
#include "texts/ChineseTexts.h"

using namespace kx::panel::ids;

namespace {

const QColor kHighest(200, 0, 0);
const QColor kLowest(0, 60, 220);
const QColor kNotFitted(160, 160, 160);
const QColor kBeyond(255, 191, 0);  // amber

QTableWidgetItem* ItemAt(QTableWidget* table, int row, int column) {
  if (!table->item(row, column)) table->setItem(row, column, new QTableWidgetItem);
  return table->item(row, column);
}

void SetMark(QTableWidgetItem* item, const QColor* color) {
  item->setData(Qt::ForegroundRole, color ? QVariant(*color) : QVariant());
  QFont font = item->font();
  font.setBold(color == &kHighest || color == &kLowest);
  item->setFont(font);
}

std::optional<double> Number(const QLineEdit* edit) {
  bool ok = false;
  const double v = edit ? edit->text().trimmed().toDouble(&ok) : 0;
  return ok ? std::optional<double>(v) : std::nullopt;
}

// Outside the band when beyond an edge that holds a number; at the edge is inside.
bool Beyond(double v, const QCheckBox* on, const QLineEdit* high, const QLineEdit* low) {
  if (!on || !on->isChecked()) return false;
  const auto hi = Number(high);
  const auto lo = Number(low);
  return (hi && v > *hi) || (lo && v < *lo);
}

}  // namespace

void CTesterDlg::ConnectLiveMarks() {
  connect(ControlAs<QPushButton>(kBtnLiveTrend), &QPushButton::clicked, this, [this] { ShowLiveTrend(); });
  // A switch or a limit changed: the last reading is judged again at once.
  for (QCheckBox* check : {m_checkAlarmVolt, m_checkAlarmCurrent, m_checkAlarmTemp1, m_checkAlarmTemp2, m_checkAlarmTemp3})
    connect(check, &QCheckBox::toggled, this, [this] { ShowThresholds(); });
  for (QLineEdit* edit : {m_editOverVolt, m_editUnderVolt, m_editOverCurrent, m_editTemp1High, m_editTemp1Low,
                          m_editTemp2High, m_editTemp2Low, m_editTemp3High, m_editTemp3Low})
    connect(edit, &QLineEdit::textChanged, this, [this] { ShowThresholds(); });
}

void CTesterDlg::ShowCellMarks(const kx::LiveReading& reading) {
  // Judged on the values as shown, so that a cell showing 0.000 is not fitted and
  // a value showing the limit is within it.
  m_lastReading = reading;
  const auto cells = reading.Cells();
  const kx::CellSummary summary = kx::SummariseCells(cells);

  for (size_t k = 0; k < cells.size(); ++k) {
    const kx::panel::TableCell at = kx::panel::ValueCell(k);
    const bool fitted = !kx::CellNotFitted(cells[k]);
    const QColor* mark = !fitted ? &kNotFitted : nullptr;
    if (summary.extremes && k + 1 == summary.extremes->minIndex) mark = &kLowest;
    if (summary.extremes && k + 1 == summary.extremes->maxIndex) mark = &kHighest;
    SetMark(ItemAt(m_listValues, at.row, at.column), mark);
    SetMark(ItemAt(m_listValues, at.row, at.column - 1), fitted ? nullptr : &kNotFitted);
  }
  if (auto* line = ControlAs<QLabel>(kStaticCellExtremes))
    line->setText(QString::fromStdString(kx::CellSummaryLine(summary)));
  ShowThresholds();
  LiveTrend().AddReading(static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0, reading);
}

void CTesterDlg::ShowThresholds() {
  if (!m_lastReading) return;
  const kx::LiveReading& r = *m_lastReading;
  const auto mark = [this](size_t k, bool beyond) {
    const kx::panel::TableCell at = kx::panel::ValueCell(k);
    ItemAt(m_listValues, at.row, at.column)->setData(Qt::BackgroundRole, beyond ? QVariant(kBeyond) : QVariant());
  };
  mark(kx::kLiveTotal, Beyond(r.Total(), m_checkAlarmVolt, m_editOverVolt, m_editUnderVolt));
  mark(kx::kLiveCurrent, Beyond(std::abs(r.Current()), m_checkAlarmCurrent, m_editOverCurrent, nullptr));
  const QCheckBox* on[] = {m_checkAlarmTemp1, m_checkAlarmTemp2, m_checkAlarmTemp3};
  const QLineEdit* high[] = {m_editTemp1High, m_editTemp2High, m_editTemp3High};
  const QLineEdit* low[] = {m_editTemp1Low, m_editTemp2Low, m_editTemp3Low};
  for (size_t t = 0; t < kx::kLiveTempCount; ++t)
    mark(kx::kLiveTemps + t, Beyond(r.Temps()[t], on[t], high[t], low[t]));
}

CLiveTrendDlg& CTesterDlg::LiveTrend() {
  if (!m_dlgLiveTrend) m_dlgLiveTrend = std::make_unique<CLiveTrendDlg>(this);
  return *m_dlgLiveTrend;
}

void CTesterDlg::ShowLiveTrend() {
  CLiveTrendDlg& trend = LiveTrend();
  trend.show();
  trend.raise();
  trend.activateWindow();
}

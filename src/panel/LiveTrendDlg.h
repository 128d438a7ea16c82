#pragma once
// "实时曲线": the live trend window. Readings are kept whether or not it is open;
// it repaints at most a few times a second, so acquisition keeps its pace.

#include <QDialog>
#include <QTimer>
#include <span>
#include <vector>

#include "panel/LiveTrend.h"

class QListWidget;

class CLiveTrendDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CLiveTrendDlg(QWidget* parent = nullptr);

  // One good reading, taken at time seconds since 1970.
  void AddReading(double time, const kx::LiveReading& reading);
  const kx::panel::TrendRing& Ring() const { return m_ring; }
  // The cells the operator ticked, 0-based.
  std::vector<int> PickedCells() const;
  void SetPicked(int cell, bool on);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Refresh();

  kx::panel::TrendRing m_ring;
  QListWidget* m_cells = nullptr;
  QWidget* m_view = nullptr;
  QTimer m_repaint;  // coalesces the readings between repaints
  bool m_dirty = false;
};

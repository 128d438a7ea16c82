#pragma once
// The chart control: owns the system's one curve group and paints it.

#include <QWidget>
#include <optional>

#include "chart/ChartOverlay.h"
#include "chart/ChartScale.h"
#include "curves/CurveGroup.h"

class CCurveChart : public QWidget {
  Q_OBJECT
 public:
  explicit CCurveChart(QWidget* parent = nullptr);
  ~CCurveChart() override;

  // The voltage axis the chart is drawn on: none for the fixed 0..15 V one;
  // fitted, it also reaches the overlay's end voltage.
  std::optional<kx::ValueAxis> Axis() const;

  CCurveGroup m_group;
  // The voltage axis fitted to the visible cells instead of the fixed 0..15 V.
  bool m_bAutoScale = false;
  // The discharge analysis over the curves, while its pane is open.
  std::optional<kx::AnalysisOverlay> m_overlay;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

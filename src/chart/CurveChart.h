#pragma once
// The chart control: owns the system's one curve group and paints it.

#include <QWidget>

#include "curves/CurveGroup.h"

class CCurveChart : public QWidget {
  Q_OBJECT
 public:
  explicit CCurveChart(QWidget* parent = nullptr);
  ~CCurveChart() override;

  CCurveGroup m_group;
  // The voltage axis fitted to the visible cells instead of the fixed 0..15 V.
  bool m_bAutoScale = false;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

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

 protected:
  void paintEvent(QPaintEvent* event) override;
};

#include "chart/CurveChart.h"

#include <QPainter>

#include "chart/ChartDraw.h"
#include "chart/QPainterCanvas.h"

CCurveChart::CCurveChart(QWidget* parent) : QWidget(parent) {
  m_group.m_colors = kx::BuildCurveColors();
  // The chart always covers 890 x 560 from its corner; a child widget cannot
  // paint outside itself, so it is that big (the parent clips it as a window would).
  setFixedSize(kx::kChartWidth, kx::kChartHeight);
  // Mouse moves belong to the viewer, which reads the time under the mouse.
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

CCurveChart::~CCurveChart() = default;

std::optional<kx::ValueAxis> CCurveChart::Axis() const {
  if (!m_bAutoScale) return std::nullopt;
  return kx::FitVisibleCells(m_group, m_overlay ? std::optional(m_overlay->endVoltage) : std::nullopt);
}

void CCurveChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  kx::QPainterCanvas canvas(painter);
  const auto axis = Axis();
  const kx::Rect area{0, 0, kx::kChartWidth, kx::kChartHeight};
  kx::Draw(m_group, canvas, area, false, axis ? &*axis : nullptr);
  if (m_overlay) kx::DrawOverlay(m_group, canvas, area, axis ? &*axis : nullptr, *m_overlay, false);
}

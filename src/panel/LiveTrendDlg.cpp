#include "panel/LiveTrendDlg.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>

#include "chart/QPainterCanvas.h"
#include "lang/Language.h"

namespace {

constexpr int kRepaintMs = 250;

class TrendView final : public QWidget {
 public:
  TrendView(const CLiveTrendDlg& owner, QWidget* parent) : QWidget(parent), m_owner(owner) {
    setMinimumSize(640, 420);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    kx::QPainterCanvas canvas(painter);
    const std::vector<int> picked = m_owner.PickedCells();
    kx::panel::DrawTrend(canvas, kx::Rect{0, 0, width(), height()}, m_owner.Ring(), picked);
  }

 private:
  const CLiveTrendDlg& m_owner;
};

}  // namespace

CLiveTrendDlg::CLiveTrendDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("liveTrend"));
  setWindowTitle(kx::QTr("CLiveTrendDlg", "实时曲线"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
  m_cells = new QListWidget(this);
  m_cells->setObjectName(QStringLiteral("trendCells"));
  m_cells->setToolTip(kx::QTr("CLiveTrendDlg", "勾选要单独显示的电池"));
  m_cells->setMaximumWidth(90);
  for (size_t c = 0; c < kx::panel::kTrendCells; ++c) {
    auto* item = new QListWidgetItem(kx::QTr("CLiveTrendDlg", "电池%1").arg(c + 1), m_cells);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  m_view = new TrendView(*this, this);
  m_view->setObjectName(QStringLiteral("trendPlot"));
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_cells);
  layout->addWidget(m_view, 1);
  resize(860, 520);

  m_repaint.setInterval(kRepaintMs);
  connect(&m_repaint, &QTimer::timeout, this, [this] { Refresh(); });
  connect(m_cells, &QListWidget::itemChanged, this, [this] { m_view->update(); });
}

void CLiveTrendDlg::AddReading(double time, const kx::LiveReading& reading) {
  m_ring.Push(time, reading);
  m_dirty = true;
}

std::vector<int> CLiveTrendDlg::PickedCells() const {
  std::vector<int> picked;
  for (int c = 0; c < m_cells->count(); ++c)
    if (m_cells->item(c)->checkState() == Qt::Checked) picked.push_back(c);
  return picked;
}

void CLiveTrendDlg::SetPicked(int cell, bool on) {
  if (auto* item = m_cells->item(cell)) item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void CLiveTrendDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  m_repaint.start();
}

void CLiveTrendDlg::hideEvent(QHideEvent* event) {
  m_repaint.stop();
  QDialog::hideEvent(event);
}

void CLiveTrendDlg::Refresh() {
  if (!m_dirty) return;
  m_dirty = false;
  m_view->update();
}

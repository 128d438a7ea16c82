#include "chart/CurveViewDlg.h"

#include <QBitmap>
#include <QCheckBox>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <cmath>

#include "analysis/AnalysisText.h"
#include "chart/CellStatistics.h"
#include "chart/ChartDraw.h"
#include "chart/ChartRender.h"
#include "chart/CurvePick.h"
#include "curves/CurveFile.h"
#include "lang/Language.h"
#include "ui/DialogUnits.h"
#include "ui/Prompts.h"
#include "ui/SongFont.h"

namespace {

// The analysis pane, right of the chart.
constexpr int kPaneWidth = 440;

template <typename W>
W* Place(W* widget, const char* id, QRect geometry) {
  if (id) widget->setObjectName(QString::fromLatin1(id));
  widget->setGeometry(geometry);
  return widget;
}

// Both list entries are the same 15 x 15 bitmap with black masked out; an item
// shows entry 1 normally and entry 0 when selected.
QIcon TreeIcon() {
  QPixmap bitmap(QStringLiteral(":/res/tree135.bmp"));
  if (bitmap.isNull()) return {};
  bitmap.setMask(bitmap.createMaskFromColor(Qt::black));
  const QPixmap entry0 = bitmap, entry1 = bitmap;
  QIcon icon;
  icon.addPixmap(entry1, QIcon::Normal);
  icon.addPixmap(entry0, QIcon::Selected);
  return icon;
}

}  // namespace

CCurveViewDlg::CCurveViewDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("131"));
  setWindowTitle(kx::QTr("CCurveViewDlg", "电池曲线图"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(QFont(QString::fromUtf8(kx::kSongFace), 9));
  setFixedSize(kx::DluToPixels(670), kx::DluToPixels(440));
  setMouseTracking(true);

  m_btnOk = Place(new QPushButton(QStringLiteral("OK"), this), "1", kx::DluRect(613, 419, 50, 14));
  m_btnOk->setDefault(true);
  connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);

  m_editTime = Place(new QLineEdit(this), "1050", kx::DluRect(255, 421, 40, 12));
  Place(new QLabel(kx::QTr("CCurveViewDlg", "时间："), this), nullptr, kx::DluRect(222, 424, 30, 9));
  Place(new QLabel(kx::QTr("CCurveViewDlg", "电池曲线图"), this), nullptr, kx::DluRect(277, 8, 46, 9));

  m_btnPrint = Place(new QPushButton(kx::QTr("CCurveViewDlg", "打印"), this), "1053", kx::DluRect(559, 419, 52, 14));
  m_btnPrint->setAutoDefault(false);
  connect(m_btnPrint, &QPushButton::clicked, this, &CCurveViewDlg::OnPrint);

  m_tree = Place(new QTreeWidget(this), "1058", kx::DluRect(0, 30, 72, 403));
  m_tree->setHeaderHidden(true);
  m_tree->setRootIsDecorated(true);
  m_tree->setIconSize(QSize(15, 15));
  // Narrow as the tree is, cell names scroll rather than being cut to "...".
  m_tree->setIndentation(6);
  m_tree->setTextElideMode(Qt::ElideNone);
  m_tree->header()->setStretchLastSection(false);
  m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_tree->viewport()->setMouseTracking(true);
  m_tree->viewport()->installEventFilter(this);
  connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { OnTreeDblClk(); });

  Place(new QLabel(kx::QTr("CCurveViewDlg", "电池体"), this), nullptr, kx::DluRect(3, 14, 25, 8));
  m_checkSelectAll = Place(new QCheckBox(kx::QTr("CCurveViewDlg", "全选"), this), "1059", kx::DluRect(31, 13, 32, 10));
  connect(m_checkSelectAll, &QCheckBox::clicked, this, &CCurveViewDlg::OnSelectAll);

  // A fitted axis, the curve under the mouse and the group's extremes, in the room
  // the template leaves free.
  m_checkAutoScale =
      Place(new QCheckBox(kx::QTr("CCurveViewDlg", "自动缩放"), this), "autoscale", kx::DluRect(600, 13, 60, 10));
  connect(m_checkAutoScale, &QCheckBox::clicked, this, &CCurveViewDlg::OnAutoScale);
  m_staticPicked = Place(new QLabel(this), "picked", kx::DluRect(300, 424, 200, 9));
  m_staticStatistics = Place(new QLabel(this), "statistics", kx::DluRect(82, 20, 510, 9));

  // The chart covers 890 x 560 from the anchor's corner, whatever the anchor's own size.
  m_chart.setParent(this);
  m_chart.setObjectName(QStringLiteral("1049"));
  m_chart.move(kx::DluToPixels(82), kx::DluToPixels(33));

  // The discharge analysis: closed, the window is the template's.
  m_btnAnalysis =
      Place(new QPushButton(kx::QTr("CCurveViewDlg", "放电分析"), this), "analysis", kx::DluRect(82, 419, 60, 14));
  m_btnAnalysis->setCheckable(true);
  m_btnAnalysis->setAutoDefault(false);
  connect(m_btnAnalysis, &QPushButton::clicked, this, &CCurveViewDlg::OnAnalysis);
  m_paneAnalysis = new CDischargePane(this);
  m_paneAnalysis->setGeometry(m_chart.geometry().right() + 1, 0, kPaneWidth, height());
  m_paneAnalysis->hide();
  m_paneAnalysis->SetSettings(m_analysisSettings);
  connect(m_paneAnalysis, &CDischargePane::ParametersChanged, this, &CCurveViewDlg::Reanalyse);
  connect(m_paneAnalysis, &CDischargePane::CellChosen, this, [this](int cell) {
    if (!m_chart.m_overlay) return;
    m_chart.m_overlay->highlightCell = cell;
    m_chart.update();
  });
}

CCurveViewDlg::~CCurveViewDlg() = default;

void CCurveViewDlg::UpdateData(bool saveAndValidate) {
  if (saveAndValidate) {
    m_strTime = m_editTime->text();
    m_bSelectAll = m_checkSelectAll->isChecked() ? 1 : 0;
  } else {
    m_editTime->setText(m_strTime);
    m_checkSelectAll->setChecked(m_bSelectAll != 0);
  }
}

void CCurveViewDlg::showEvent(QShowEvent* event) {
  // Each opening starts afresh, as a window made anew from its template would;
  // un-minimising (a spontaneous show) does not.
  if (!event->spontaneous()) OnInitDialog();
  QDialog::showEvent(event);
}

void CCurveViewDlg::OnInitDialog() {
  UpdateData(false);

  m_tree->clear();
  const QIcon icon = TreeIcon();
  m_hRoot = new QTreeWidgetItem(m_tree, QStringList(kx::QTr("CCurveViewDlg", "曲线组")));
  m_hRoot->setIcon(0, icon);
  m_hRoot->setFlags(m_hRoot->flags() | Qt::ItemIsUserCheckable);
  m_hRoot->setCheckState(0, Qt::Unchecked);
  for (int i = 1; i <= kx::kCellCount; ++i) {
    auto* cell = new QTreeWidgetItem(m_hRoot, QStringList(kx::QTr("CCurveViewDlg", "电池%1").arg(i)));
    cell->setIcon(0, icon);
    cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
    cell->setCheckState(0, Qt::Checked);
  }

  int all[kx::kCellCount];
  std::fill(std::begin(all), std::end(all), 1);
  PushVisibility(all);
  setWindowTitle(m_strTitle);
  Reanalyse();  // the group may be another one
}

void CCurveViewDlg::PushVisibility(const int (&flags)[kx::kCellCount]) {
  m_chart.m_group.SetVisibleCells(std::span<const int, kx::kCellCount>(flags));
  UpdateStatistics();
  m_chart.update();
}

void CCurveViewDlg::UpdateStatistics() {
  m_staticStatistics->setText(StatisticsText());
}

QString CCurveViewDlg::StatisticsText() const {
  return QString::fromStdString(kx::ExtremesText(kx::FindExtremes(m_chart.m_group)));
}

QString CCurveViewDlg::PickedText() const { return m_staticPicked->text(); }

void CCurveViewDlg::OnAutoScale() {
  m_chart.m_bAutoScale = m_checkAutoScale->isChecked();
  m_chart.update();
}

void CCurveViewDlg::OnTreeDblClk() {
  QTreeWidgetItem* item = m_tree->currentItem();
  if (!item || !m_hRoot || item == m_hRoot) return;
  item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  int flags[kx::kCellCount] = {};
  for (int k = 0; k < kx::kCellCount && k < m_hRoot->childCount(); ++k)
    flags[k] = m_hRoot->child(k)->checkState(0) == Qt::Checked ? 1 : 0;
  PushVisibility(flags);
}

void CCurveViewDlg::OnSelectAll() {
  UpdateData(true);
  if (m_hRoot) {
    for (int k = 0; k < m_hRoot->childCount(); ++k)
      m_hRoot->child(k)->setCheckState(0, m_bSelectAll ? Qt::Checked : Qt::Unchecked);
  }
  int flags[kx::kCellCount];
  std::fill(std::begin(flags), std::end(flags), m_bSelectAll ? 1 : 0);
  PushVisibility(flags);
}

void CCurveViewDlg::OnMouseMove(QPoint clientPoint) {
  const QPoint corner = m_chart.pos();
  const int u = clientPoint.x() - corner.x() - 50;
  const int v = clientPoint.y() - corner.y() - 30;
  if (u >= 0 && u <= 900 && v >= 0 && v <= 540) {
    const float pps = m_chart.m_group.m_fPixelsPerSecond;
    // No time span (or no drawing yet): everything is the start time.
    const int64_t seconds = (pps != 0.0f && std::isfinite(pps)) ? kx::Trunc(u / pps) : 0;
    const auto t = static_cast<kx::CurveTime>(m_chart.m_group.m_startTime + seconds);
    m_strTime = QString::fromStdString(kx::FormatClock(t));
  } else {
    m_strTime = QStringLiteral("0");
  }
  UpdateData(false);

  const QPoint inChart = clientPoint - m_chart.pos();
  const auto axis = m_chart.Axis();
  const auto pick = kx::PickCurve(m_chart.m_group, kx::Rect{0, 0, kx::kChartWidth, kx::kChartHeight},
                                  axis ? &*axis : nullptr, inChart.x(), inChart.y());
  m_staticPicked->setText(pick ? QString::fromStdString(kx::PickText(*pick)) : QString());
}

void CCurveViewDlg::mouseMoveEvent(QMouseEvent* event) {
  OnMouseMove(event->position().toPoint());
  QDialog::mouseMoveEvent(event);
}

bool CCurveViewDlg::eventFilter(QObject* watched, QEvent* event) {
  // The read-out follows the mouse over the tree too (it shows 0 there).
  if (watched == m_tree->viewport() && event->type() == QEvent::MouseMove) {
    const auto* move = static_cast<QMouseEvent*>(event);
    OnMouseMove(m_tree->viewport()->mapTo(this, move->position().toPoint()));
  }
  return QDialog::eventFilter(watched, event);
}

void CCurveViewDlg::OnPrint() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("SimplePrintDoc"));
  if (!kx::Prompts::Current().Print(this, printer)) return;
  // With the analysis open the page carries what the screen shows of it, and the verdict.
  std::optional<kx::AnalysisOverlay> overlay = m_analysis ? m_chart.m_overlay : std::nullopt;
  if (overlay) overlay->headline = kx::analysis::VerdictLine(*m_analysis);
  if (!PrintChart(m_chart.m_group, printer, m_chart.m_bAutoScale, overlay ? &*overlay : nullptr))
    kx::Prompts::Current().Message(this, kx::QTr("CCurveViewDlg", "无法开始打印，请检查打印机!"));
}

bool CCurveViewDlg::PrintChart(CCurveGroup& group, QPrinter& printer, bool autoScale,
                               const kx::AnalysisOverlay* overlay) {
  return kx::DrawChartPage(group, printer, autoScale, overlay);
}

bool CCurveViewDlg::AnalysisOpen() const { return m_btnAnalysis->isChecked(); }

void CCurveViewDlg::OnAnalysis() {
  const bool open = AnalysisOpen();
  m_paneAnalysis->setVisible(open);
  setFixedSize(open ? m_paneAnalysis->geometry().right() + 1 : kx::DluToPixels(670), kx::DluToPixels(440));
  // The end voltage is a line near the bottom of the fixed 0..15 V frame: fit the axis.
  if (open && !m_checkAutoScale->isChecked()) {
    m_checkAutoScale->setChecked(true);
    OnAutoScale();
  }
  Reanalyse();
}

void CCurveViewDlg::UseSettings(QSettings* store, bool readStored) {
  m_settings = store;
  if (!store || !readStored) return;
  m_analysisSettings = kx::ReadAnalysisSettings(*store);
  m_paneAnalysis->SetSettings(m_analysisSettings);
  LoadBaseline();
  Reanalyse();
}

void CCurveViewDlg::LoadBaseline() {
  m_baseline.reset();
  m_strBaselineProblem.clear();
  const QString& path = m_analysisSettings.baselinePath;
  if (path.isEmpty()) return;
  const kx::CurveFileRead read = kx::ReadCurveFile(QFile::encodeName(path).toStdString());
  if (!read.result.ok()) {
    m_strBaselineProblem = kx::QTr("CCurveViewDlg", "基准文件无法读取: ") +
                           QString::fromStdString(kx::CurveFileMessage(read.result.status));
    return;
  }
  m_baseline = std::make_unique<CCurveGroup>();
  m_baseline->LoadGroupImage(read.image);
}

kx::analysis::Result CCurveViewDlg::AnalyseGroup(const CCurveGroup& group, QString* note) const {
  kx::analysis::Result r = kx::analysis::Analyse(group, m_analysisSettings.parameters, m_baseline.get());
  QString why = m_strBaselineProblem;
  if (r.baseline && r.baseline->status != kx::analysis::Status::Ok)
    why = kx::QTr("CCurveViewDlg", "基准文件: ") + QString::fromStdString(kx::analysis::StatusText(r.baseline->status));
  if (note) *note = why;
  return r;
}

void CCurveViewDlg::Reanalyse() {
  m_analysis.reset();
  const int highlight = m_chart.m_overlay ? m_chart.m_overlay->highlightCell : -1;
  m_chart.m_overlay.reset();
  m_chart.update();
  if (!AnalysisOpen()) return;
  const auto parameters = m_paneAnalysis->ReadParameters();
  if (!parameters) return;  // the pane says which one is wrong
  const kx::AnalysisSettings settings{*parameters, m_paneAnalysis->BaselinePath()};
  if (settings != m_analysisSettings) {
    const bool newBaseline = settings.baselinePath != m_analysisSettings.baselinePath;
    m_analysisSettings = settings;
    if (newBaseline) LoadBaseline();
    if (m_settings) kx::WriteAnalysisSettings(*m_settings, m_analysisSettings);
  }
  QString note;
  kx::analysis::Result result = AnalyseGroup(m_chart.m_group, &note);
  if (result.status != kx::analysis::Status::Ok) {
    m_paneAnalysis->ShowProblem(QString::fromStdString(kx::analysis::StatusText(result.status)));
    return;
  }
  m_paneAnalysis->ShowResult(result, *parameters, note);
  m_chart.m_overlay = kx::OverlayOf(result);
  if (result.Cell(highlight)) m_chart.m_overlay->highlightCell = highlight;
  m_analysis = std::move(result);
}

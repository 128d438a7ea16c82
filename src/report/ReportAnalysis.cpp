#include "report/ReportAnalysis.h"

#include <QFont>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "analysis/AnalysisText.h"
#include "chart/QPainterCanvas.h"
#include "lang/Language.h"
#include "ui/SongFont.h"
#include "ui/Utf8.h"

namespace kx::report {

namespace {

constexpr double kDotsPerMm = 600 / 25.4;
const QColor kWeakFill(0xFA, 0xD4, 0xCF);
const QColor kDriftFill(0xFF, 0xEE, 0xC2);
const QColor kHeadFill(0xEE, 0xEE, 0xEE);
const QColor kWarning(0xB0, 0x00, 0x20);

// Text flowing down the page from a cursor.
class Flow {
 public:
  Flow(QPainter& p, double width) : p_(p), width_(width) {}

  double y = 0;

  void Font(double points, bool bold = false) {
    QFont font = TextFont(QString::fromUtf8(kSongFace));
    font.setPointSizeF(points);
    font.setBold(bold);
    p_.setFont(font);
  }
  // Wrapped over the width; the cursor goes below it.
  void Text(const QString& text, double points, bool bold = false, const QColor& color = Qt::black) {
    Font(points, bold);
    p_.setPen(color);
    const QRectF area(0, y, width_, 1e6);
    const QRectF used = p_.boundingRect(area, Qt::TextWordWrap, text);
    p_.drawText(area, Qt::TextWordWrap, text);
    y += used.height() + kDotsPerMm * 0.8;
  }
  void Heading(const QString& text) {
    y += kDotsPerMm * 3;
    Text(text, 12.5, true);
    p_.setPen(QPen(Qt::black, kDotsPerMm * 0.25));
    p_.drawLine(QPointF(0, y), QPointF(width_, y));
    y += kDotsPerMm * 1.5;
  }

 private:
  QPainter& p_;
  double width_;
};

void Cell(QPainter& p, const QRectF& box, const QString& text, const QColor& fill, Qt::Alignment align) {
  if (fill.isValid()) p.fillRect(box, fill);
  p.setPen(QPen(QColor(0x80, 0x80, 0x80), kDotsPerMm * 0.15));
  p.drawRect(box);
  p.setPen(Qt::black);
  DrawFittedText(p, box.adjusted(kDotsPerMm, 0, -kDotsPerMm, 0), static_cast<int>(align | Qt::AlignVCenter), text);
}

// One row per connected cell from the weakest; row height shrinks to fit the page.
void DrawTable(QPainter& p, Flow& flow, double width, double bottom, const analysis::Result& r) {
  using analysis::Fixed;
  const bool compared = r.baseline && r.baseline->status == analysis::Status::Ok;
  QStringList heads{QTr("Report", "排名"), QTr("Report", "电池"), QTr("Report", "到达时间(分)"),
                    QTr("Report", "电压(V)"), QTr("Report", "偏差(%)"), QTr("Report", "偏差(mV)"),
                    QTr("Report", "标记")};
  std::vector<double> weights{0.7, 1.0, 1.4, 1.0, 1.0, 1.0, 1.3};
  if (compared) {
    heads << QTr("Report", "基准排名") << QTr("Report", "基准偏差(%)") << QTr("Report", "漂移(点)");
    weights.insert(weights.end(), {1.0, 1.3, 1.0});
  }
  std::vector<double> left{0};
  double total = 0;
  for (double w : weights) total += w;
  for (double w : weights) left.push_back(left.back() + w / total * width);
  const auto box = [&left, &flow](int column, double height) {
    return QRectF(left[column], flow.y, left[column + 1] - left[column], height);
  };
  const auto order = r.ByRank();
  const double rowH = std::min(kDotsPerMm * 4.6, (bottom - flow.y) / static_cast<double>(order.size() + 1));
  flow.Font(rowH < kDotsPerMm * 4 ? 7.5 : 8.5);
  for (int c = 0; c < heads.size(); ++c) Cell(p, box(c, rowH), heads[c], kHeadFill, Qt::AlignCenter);
  flow.y += rowH;
  for (const analysis::CellResult* c : order) {
    const analysis::BaselineCell* b = compared ? r.BaselineOf(c->cell) : nullptr;
    QStringList marks;
    if (c->weak) marks << QTr("Report", "落后");
    if (b && b->drifted) marks << QTr("Report", "漂移");
    if (std::find(r.stuckCells.begin(), r.stuckCells.end(), c->cell) != r.stuckCells.end())
      marks << QTr("Report", "读数不变");
    QStringList texts{QString::number(c->rank), Utf8(analysis::CellText(c->cell)),
                      c->endMin ? Utf8(Fixed(*c->endMin, 1)) : QStringLiteral("-"), Utf8(Fixed(c->voltsAtRef, 3)),
                      Utf8(Fixed(c->deviationPercent, 2)), Utf8(Fixed(c->deviationMv, 0)), marks.join(QLatin1Char(' '))};
    if (b)
      texts << (b->rank ? QString::number(*b->rank) : QStringLiteral("-"))
            << (b->deviationPercent ? Utf8(Fixed(*b->deviationPercent, 2)) : QStringLiteral("-"))
            << (b->driftPoints ? Utf8(Fixed(*b->driftPoints, 2)) : QStringLiteral("-"));
    const QColor fill = c->weak ? kWeakFill : (b && b->drifted) ? kDriftFill : QColor();
    for (int col = 0; col < texts.size(); ++col)
      Cell(p, box(col, rowH), texts[col], fill, col == 1 || col == 6 ? Qt::AlignLeft : Qt::AlignRight);
    flow.y += rowH;
  }
}

}  // namespace

void DrawAnalysisPage(QPainter& p, double width, double height, const AnalysisPage& page) {
  const analysis::Result& r = page.result;
  Flow flow(p, width);
  flow.Text(QTr("Report", "放电分析"), 14, true);
  flow.Heading(QTr("Report", "参数"));
  if (r.status == analysis::Status::Ok) flow.Text(Utf8(analysis::ParameterLine(page.parameters, r)), 10);
  if (!page.baselineName.empty()) flow.Text(QTr("Report", "基准文件: ") + Utf8(page.baselineName), 10);
  flow.Text(QTr("Report", "容量 = 电池组平均电压降至终止电压所用时间 ÷ (额定时间 × 温度系数) × 100% (时间修正法)"), 8.5);

  flow.Heading(QTr("Report", "结论"));
  flow.Text(Utf8(analysis::VerdictLine(r)), 12, true);
  if (r.status != analysis::Status::Ok) return;
  for (const std::string& line : analysis::FindingLines(r, page.parameters))
    flow.Text(Utf8(line), 10, false, analysis::IsWarning(line) ? kWarning : QColor(Qt::black));
  if (!page.note.empty()) flow.Text(Utf8(page.note), 10, false, kWarning);

  flow.Heading(QTr("Report", "单体排名"));
  flow.Text(QTr("Report", "1 为最弱。电压与偏差取电池组到达终止电压之时, 未到达则取记录结束之时。"), 8.5);
  // The foot of the page keeps room for the page number.
  DrawTable(p, flow, width, height - kDotsPerMm * 8, r);
}

}  // namespace kx::report

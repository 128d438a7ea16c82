#include "report/ReportRender.h"

#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QTextLayout>
#include <cstdio>
#include <iterator>
#include <optional>
#include <vector>

#include "analysis/CurveStats.h"
#include "chart/CellStatistics.h"
#include "chart/ChartDraw.h"
#include "chart/ChartScale.h"
#include "chart/QPainterCanvas.h"
#include "link/Alarms.h"
#include "link/CellSummary.h"
#include "link/DeviceSettings.h"
#include "link/LiveValues.h"
#include "link/LocalTime.h"
#include "report/ReportAnalysis.h"
#include "texts/ChineseTexts.h"
#include "texts/Translate.h"
#include "lang/Language.h"
#include "ui/SongFont.h"
#include "ui/Utf8.h"
#include "version/Version.h"

namespace kx::report {

namespace {

// 600 dpi, as the chart's printer mode expects (its pens and offsets are in dots).
constexpr int kDpi = 600;
constexpr double kMarginMm = 15.0;
const QColor kHighFill(0xFA, 0xD4, 0xCF);
const QColor kLowFill(0xD2, 0xE2, 0xF7);
const QColor kHeadFill(0xEE, 0xEE, 0xEE);

// A page being filled from the top: a cursor and the drawing helpers the report needs.
class Sheet {
 public:
  Sheet(QPainter& painter, double width, double height) : p_(painter), width_(width), height_(height) {}

  static double Mm(double mm) { return mm * kDpi / 25.4; }
  double Width() const { return width_; }
  double Y() const { return y_; }
  void Skip(double mm) { y_ += Mm(mm); }
  void Top() { y_ = 0; }

  void SetFont(double points, bool bold = false) {
    QFont font = TextFont(Utf8(kSongFace));
    font.setPointSizeF(points);
    font.setBold(bold);
    p_.setFont(font);
  }
  // One line's height for the current font.
  double LineHeight() const { return p_.fontMetrics().height() * 1.25; }

  // Text in a box, the box's height the line's; returns its height.
  double Line(const QString& text, double points, bool bold = false, Qt::Alignment align = Qt::AlignLeft,
              double left = 0) {
    SetFont(points, bold);
    const double h = LineHeight();
    p_.drawText(QRectF(left, y_, width_ - left, h), static_cast<int>(align | Qt::AlignVCenter), text);
    y_ += h;
    return h;
  }
  // Wrapped text over the width from left; returns the height used.
  double Paragraph(const QString& text, double points, bool bold = false, double left = 0,
                   Qt::Alignment align = Qt::AlignLeft) {
    SetFont(points, bold);
    const QRectF area(left, y_, width_ - left, height_ - y_);
    const int flags = static_cast<int>(align) | Qt::TextWordWrap;
    const QRectF used = p_.boundingRect(area, flags, text);
    p_.drawText(area, flags, text);
    y_ += used.height();
    return used.height();
  }
  // "Key   value" rows: the key in a fixed column.
  void KeyValue(const QString& key, const QString& value, double keyMm = 28) {
    SetFont(10.5, true);
    const double h = LineHeight();
    p_.drawText(QRectF(0, y_, Mm(keyMm), h), Qt::AlignLeft | Qt::AlignVCenter, key);
    SetFont(10.5);
    p_.drawText(QRectF(Mm(keyMm), y_, width_ - Mm(keyMm), h), Qt::AlignLeft | Qt::AlignVCenter, value);
    y_ += h;
  }
  void Heading(const QString& text) {
    Skip(3);
    Line(text, 12.5, true);
    p_.setPen(QPen(Qt::black, Mm(0.25)));
    p_.drawLine(QPointF(0, y_), QPointF(width_, y_));
    Skip(1.5);
  }
  // A cell of a table: framed, optionally filled, text centred or right-aligned.
  void Cell(const QRectF& box, const QString& text, bool bold = false, const QColor& fill = QColor(),
            Qt::Alignment align = Qt::AlignCenter) {
    if (fill.isValid()) p_.fillRect(box, fill);
    p_.setPen(QPen(QColor(0x80, 0x80, 0x80), Mm(0.15)));
    p_.drawRect(box);
    p_.setPen(Qt::black);
    QFont font = p_.font();
    font.setBold(bold);
    p_.setFont(font);
    DrawFittedText(p_, box.adjusted(Mm(1.2), 0, -Mm(1.2), 0), static_cast<int>(align | Qt::AlignVCenter), text);
  }
  void Footer(int page, int pages) {
    SetFont(8);
    const double h = LineHeight();
    p_.setPen(Qt::black);
    p_.drawText(QRectF(0, height_ - h, width_, h), Qt::AlignCenter,
                QTr("Report", "第 %1 页  共 %2 页").arg(page).arg(pages));
    // Which build wrote the report, for a question about it later.
    p_.drawText(QRectF(0, height_ - h, width_, h), Qt::AlignRight | Qt::AlignVCenter,
                QStringLiteral("kx4200 ") + QString::fromUtf8(VersionText()));
  }
  QPainter& Painter() { return p_; }
  void SetY(double y) { y_ = y; }

 private:
  QPainter& p_;
  double width_, height_;
  double y_ = 0;
};

QString TitleOf(const ReportData& d) {
  return d.title == kDefaultTitle ? QTr("Report", kDefaultTitle) : Utf8(d.title);
}

QString VersionText(const ReportData& d) {
  return d.version.ok() ? Utf8(FormatVersion(*d.version.value)) : QTr("Report", "未读到 (") + Utf8(FailureText(d.version.failure)) + ")";
}

// The title wraps over at most three lines, the last cut with an ellipsis when
// more would follow: however long, it leaves the page to the unit's state (the
// whole title is the document's own, in its metadata).
void DrawTitle(Sheet& s, const QString& title) {
  constexpr qsizetype kMaxLines = 3;
  constexpr double kPoints = 18;
  s.SetFont(kPoints, true);
  QPainter& p = s.Painter();
  QString text = title;
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  QTextLayout layout(text, p.font(), p.device());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  std::vector<std::pair<int, int>> lines;  // start and length in text
  layout.beginLayout();
  while (static_cast<qsizetype>(lines.size()) <= kMaxLines) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(s.Width());
    lines.emplace_back(line.textStart(), line.textLength());
  }
  layout.endLayout();
  const bool cut = static_cast<qsizetype>(lines.size()) > kMaxLines;
  if (cut) lines.resize(kMaxLines);
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto [start, length] = lines[i];
    QString shown = text.mid(start, length);
    if (cut && i + 1 == lines.size()) {
      // The last line runs on into the rest and is cut at the width.
      shown = text.mid(start, 2 * length + 2).replace(QChar::LineSeparator, QLatin1Char(' '));
      shown = p.fontMetrics().elidedText(shown, Qt::ElideRight, static_cast<int>(s.Width()));
    }
    s.Line(shown.remove(QChar::LineSeparator).trimmed(), kPoints, true, Qt::AlignHCenter);
  }
}

void DrawHeader(Sheet& s, const ReportData& d) {
  DrawTitle(s, TitleOf(d));
  s.Skip(3);
  s.KeyValue(QTr("Report", "生成时间"), Utf8(FormatLocalTime(d.madeAt)));
  // A stable by-id name is long: the port has its own row.
  s.KeyValue(QTr("Report", "串口"), Utf8(d.port.empty() ? std::string("-") : d.port));
  s.KeyValue(QTr("Report", "地址"), QTr("Report", "%1        波特率 %2").arg(d.address).arg(d.baud));
}

// Page 1 when nothing came back: says so plainly, with each cause.
void DrawNoAnswer(Sheet& s, const ReportData& d) {
  s.Skip(6);
  const double top = s.Y();
  s.Skip(3);
  // A port that did not open is not a silent unit: nothing was asked.
  const bool portFailed = !d.portFailure.empty();
  s.Line(portFailed ? QTr("Report", "串口未能打开") : QTr("Report", "设备无应答"), 20, true, Qt::AlignHCenter);
  s.Skip(2);
  if (portFailed) {
    s.Line(QTr("Report", "原因: ") + Utf8(d.portFailure), 11, false, Qt::AlignHCenter);
    s.Line(QTr("Report", "未向设备发出任何请求, 本报告不含测量值。"), 11, false, Qt::AlignHCenter);
  } else {
    const std::pair<const char*, const Failure*> items[] = {{KX_NOOP("Report", "固件版本"), &d.version.failure},
                                                            {KX_NOOP("Report", "设备时钟"), &d.clock.failure},
                                                            {KX_NOOP("Report", "实时数据"), &d.live.failure},
                                                            {KX_NOOP("Report", "报警状态"), &d.alarmWord.failure}};
    for (const auto& [name, failure] : items)
      s.Line(QTr("Report", name) + QStringLiteral(": ") + Utf8(FailureText(*failure)), 11, false, Qt::AlignHCenter);
    s.Line(QTr("Report", "请检查接线、串口号、地址和波特率。本报告不含测量值。"), 11, false, Qt::AlignHCenter);
  }
  s.Skip(3);
  QPainter& p = s.Painter();
  p.setPen(QPen(Qt::black, Sheet::Mm(0.5)));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0, top, s.Width(), s.Y() - top));
}

void DrawClock(Sheet& s, const ReportData& d) {
  if (!d.clock.ok()) {
    s.KeyValue(QTr("Report", "设备时钟"), QTr("Report", "未读到 (") + Utf8(FailureText(d.clock.failure)) + ")");
    return;
  }
  const ClockReading& c = *d.clock.value;
  s.KeyValue(QTr("Report", "设备时钟"), Utf8(FormatClockReading(c.unit)));
  s.KeyValue(QTr("Report", "电脑时钟"), Utf8(FormatLocalTime(c.pc)));
  s.KeyValue(QTr("Report", "时钟差"),
             QTr("Report", "%1 秒 (%2)").arg(c.differenceS).arg(Utf8(ClockDifferenceText(c.differenceS))));
}

// The 40 cells in four column pairs of ten, the highest and lowest filled, bold and marked.
void DrawCells(Sheet& s, const LiveReading& reading) {
  const CellSummary summary = SummariseCells(reading.Cells());
  const std::optional<CellExtremes>& e = summary.extremes;

  s.SetFont(10);
  const double rowH = Sheet::Mm(6.2);
  const double groupW = s.Width() / 4;
  const double labelW = groupW * 0.42;
  const double top = s.Y();
  for (size_t k = 0; k < kLiveCells; ++k) {
    const double x = groupW * static_cast<double>(k / 10);
    const double y = top + rowH * static_cast<double>(k % 10);
    const bool high = e && e->maxIndex == k + 1;
    const bool low = e && e->minIndex == k + 1;
    const QColor fill = high ? kHighFill : low ? kLowFill : QColor();
    s.Cell(QRectF(x, y, labelW, rowH), Utf8(LiveFieldLabel(k)), high || low, fill.isValid() ? fill : kHeadFill,
           Qt::AlignLeft);
    const QString mark = high ? QStringLiteral("▲ ") : low ? QStringLiteral("▼ ") : QString();
    s.Cell(QRectF(x + labelW, y, groupW - labelW, rowH), mark + Utf8(reading.Text(k)), high || low, fill, Qt::AlignRight);
  }
  s.SetY(top + rowH * 10);
  s.Skip(1.5);
  s.Line(QTr("Report", "▲ 最高   ▼ 最低   (读数为 0.000 V 的通道未接电池, 不参与比较)"), 8.5);
  s.Skip(1);
  s.Line(Utf8(CellSummaryLine(summary)), 11, true);
}

// Total voltage, current, temperatures and analogue inputs: a header row and a value row.
void DrawOthers(Sheet& s, const LiveReading& reading) {
  static const char* const kUnits[] = {" V", " A", " °C", " °C", " °C", " V", " V"};
  constexpr size_t kOthers = kLiveValueCount - kLiveCells;
  static_assert(std::size(kUnits) == kOthers);
  s.SetFont(10);
  const double rowH = Sheet::Mm(6.2);
  const double w = s.Width() / kOthers;
  for (size_t i = 0; i < kOthers; ++i) {
    const size_t k = kLiveCells + i;
    s.Cell(QRectF(w * static_cast<double>(i), s.Y(), w, rowH), Utf8(LiveFieldLabel(k)), true, kHeadFill);
    s.Cell(QRectF(w * static_cast<double>(i), s.Y() + rowH, w, rowH), Utf8(reading.Text(k)) + Utf8(kUnits[i]));
  }
  s.SetY(s.Y() + 2 * rowH);
}

void DrawAlarms(Sheet& s, const ReportData& d) {
  if (!d.alarmWord.ok()) {
    s.Line(QTr("Report", "未读到 (") + Utf8(FailureText(d.alarmWord.failure)) + ")", 10.5);
    return;
  }
  const uint16_t word = *d.alarmWord.value;
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%04X", word);
  s.Line(QTr("Report", "报警字 ") + Utf8(hex), 10.5, true);
  QString text = Utf8(AlarmReport(word));
  while (text.endsWith('\n')) text.chop(1);
  s.Paragraph(text, 10.5, false, Sheet::Mm(4));
}

void DrawFirstPage(Sheet& s, const ReportData& d) {
  DrawHeader(s, d);
  if (!d.UnitAnswered()) {
    DrawNoAnswer(s, d);
    return;
  }
  s.KeyValue(QTr("Report", "固件版本"), VersionText(d));
  DrawClock(s, d);

  s.Heading(QTr("Report", "实时数据 (单体电压 V)"));
  if (!d.live.ok()) {
    s.Line(QTr("Report", "未读到实时数据 (") + Utf8(FailureText(d.live.failure)) + ")", 10.5);
  } else {
    DrawCells(s, *d.live.value);
    s.Heading(QTr("Report", "总电压、电流、温度与模拟量"));
    DrawOthers(s, *d.live.value);
  }
  s.Heading(QTr("Report", "报警状态"));
  DrawAlarms(s, d);
}

QString Volts(double v) { return QString::number(v, 'f', 3); }

// Page 2: the chart fitted to the data, then each cell's statistics in two tables of twenty.
void DrawGroupPage(Sheet& s, CCurveGroup& group) {
  s.Line(QTr("Report", "曲线组"), 14, true);
  s.Skip(1);
  s.KeyValue(QTr("Report", "记录点"), QTr("Report", "%1 个    %2 至 %3")
                                           .arg(group.PointCount())
                                           .arg(Utf8(FormatLocalTime(static_cast<std::time_t>(group.m_startTime))))
                                           .arg(Utf8(FormatLocalTime(static_cast<std::time_t>(group.m_endTime)))));
  const GroupExtremes extremes = FindExtremes(group, false);
  if (extremes.Valid()) s.Paragraph(Utf8(ExtremesText(extremes)), 9.5);
  s.Skip(2);

  // The printer mode's curve labels stand right of the plot and its first time
  // label reaches left of it: room is left for both inside the margins.
  const double chartH = Sheet::Mm(105);
  const Rect area{static_cast<int32_t>(Sheet::Mm(8)), static_cast<int32_t>(s.Y()),
                  static_cast<int32_t>(s.Width() - Sheet::Mm(10)), static_cast<int32_t>(s.Y() + chartH)};
  QPainter& p = s.Painter();
  p.save();
  QPainterCanvas canvas(p);
  const std::optional<ValueAxis> axis = FitVisibleCells(group);
  Draw(group, canvas, area, true, axis ? &*axis : nullptr);
  p.restore();
  s.SetY(area.bottom);

  s.Heading(QTr("Report", "单体统计 (V)"));
  static const char* const kColumns[] = {KX_NOOP("Report", "电池"), KX_NOOP("Report", "最低"),
                                         KX_NOOP("Report", "最高"), KX_NOOP("Report", "平均"),
                                         KX_NOOP("Report", "首值"), KX_NOOP("Report", "末值")};
  const std::vector<CellCurveStats> stats = CurveCellStats(group);
  s.SetFont(9);
  const double rowH = Sheet::Mm(4.6);
  const double gap = Sheet::Mm(4);
  const double tableW = (s.Width() - gap) / 2;
  const double colW = tableW / 6;
  const double top = s.Y();
  for (int t = 0; t < 2; ++t) {
    const double x0 = t * (tableW + gap);
    for (int c = 0; c < 6; ++c) s.Cell(QRectF(x0 + c * colW, top, colW, rowH), QTr("Report", kColumns[c]), true, kHeadFill);
    for (int r = 0; r < 20; ++r) {
      const size_t k = static_cast<size_t>(t * 20 + r);
      const double y = top + rowH * (r + 1);
      s.Cell(QRectF(x0, y, colW, rowH), QString::number(k + 1), false, kHeadFill);
      const bool has = k < stats.size() && stats[k].points > 0;
      const QString none = QStringLiteral("-");
      const QString texts[] = {has ? Volts(stats[k].lowest) : none, has ? Volts(stats[k].highest) : none,
                               has ? Volts(stats[k].mean) : none, has ? Volts(stats[k].first) : none,
                               has ? Volts(stats[k].last) : none};
      for (int c = 0; c < 5; ++c) s.Cell(QRectF(x0 + (c + 1) * colW, y, colW, rowH), texts[c], false, QColor(), Qt::AlignRight);
    }
  }
  s.SetY(top + rowH * 21);
}

}  // namespace

bool HasCurves(const CCurveGroup* group) { return group != nullptr && group->PointCount() > 0; }

QByteArray RenderReportPdf(const ReportData& data, CCurveGroup* group, const AnalysisPage* analysis) {
  InstallSongSubstitution();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(TitleOf(data));
    writer.setCreator(QStringLiteral("kx4200"));
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) return {};
    const bool second = HasCurves(group);
    const bool third = second && analysis != nullptr;
    const int pages = 1 + int{second} + int{third};
    Sheet sheet(painter, writer.width(), writer.height());
    DrawFirstPage(sheet, data);
    sheet.Footer(1, pages);
    if (second) {
      if (!writer.newPage()) return {};
      sheet.Top();
      DrawGroupPage(sheet, *group);
      sheet.Footer(2, pages);
    }
    if (third) {
      if (!writer.newPage()) return {};
      DrawAnalysisPage(painter, writer.width(), writer.height(), *analysis);
      sheet.Footer(3, pages);
    }
    if (!painter.end()) return {};
  }
  return bytes;
}

}  // namespace kx::report

#include "analysis/AnalysisText.h"

#include <cmath>
#include <cstdio>

namespace kx::analysis {

namespace {

std::string Minutes(double m) { return Fixed(m, 1) + " 分钟"; }

// Thresholds as typed: "3", "2.5".
std::string Plain(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string CellList(const std::vector<int>& cells) {
  if (cells.empty()) return "无";
  std::string text;
  for (int c : cells) text += (text.empty() ? "" : ", ") + CellText(c);
  return text;
}

std::string Capacity(double percent, bool lowerBound) {
  return (lowerBound ? "≥ " : "") + Fixed(percent, 1) + "%";
}

}  // namespace

double Rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  const double r = std::round(value * scale) / scale;
  return r == 0.0 ? 0.0 : r;  // no negative zero
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, Rounded(value, decimals));
  return text;
}

std::string CellText(int cell) { return "电池" + std::to_string(cell + 1); }

std::string StatusText(Status status) {
  switch (status) {
    case Status::Ok: return {};
    case Status::NoPoints: return "曲线组没有记录点, 无法分析";
    case Status::NoConnectedCells: return "所有电池读数均为 0, 没有可分析的电池";
  }
  return {};
}

std::string VerdictLine(const Result& r) {
  if (r.status != Status::Ok) return StatusText(r.status);
  std::string line;
  if (r.capacityPercent) {
    line = "容量 " + Capacity(*r.capacityPercent, r.capacityLowerBound) + "  " +
           (!r.pass ? "未定" : *r.pass ? "合格" : "不合格");
  } else if (r.stringEndMin) {
    line = "放电时间 " + Minutes(*r.stringEndMin);
  } else {
    line = "未放电至终止电压";
  }
  if (r.limitingCell)
    line += "  最先到达终止电压: " + CellText(*r.limitingCell) + " " + Minutes(*r.Cell(*r.limitingCell)->endMin);
  else
    line += "  无电池到达终止电压";
  return line;
}

std::vector<std::string> FindingLines(const Result& r, const Parameters& p) {
  std::vector<std::string> lines;
  if (r.status != Status::Ok) return lines;
  lines.push_back("终止电压 " + Fixed(r.endVoltage, 3) + " V/单体" +
                  (r.endVoltageAssumed ? " (按首点中位数推定, 标称 " + Plain(r.nominalV) + " V)" : std::string()) +
                  ", 电池 " + std::to_string(r.connectedCells) + " 节");
  if (r.stringEndMin)
    lines.push_back("电池组平均电压到达终止电压: " + Minutes(*r.stringEndMin));
  else
    lines.push_back("电池组平均电压未到达终止电压, 以记录结束 " + Minutes(r.refMin) + " 为准");
  if (r.capacityPercent && !r.pass)
    lines.push_back("放电未至终止电压即结束, 容量只知下限, 不足以判定");
  lines.push_back("落后电池 (低于平均 " + Plain(p.weakPercent) + "% 以上): " + CellList(r.weakCells));
  if (r.baseline && r.baseline->status == Status::Ok) {
    const Baseline& b = *r.baseline;
    const auto end = [](const std::optional<double>& m) { return m ? Minutes(*m) : std::string("未到达"); };
    std::string compare = "与基准比较: 放电时间 " + end(b.stringEndMin) + " → " + end(r.stringEndMin);
    if (b.capacityPercent && r.capacityPercent)
      compare += ", 容量 " + Capacity(*b.capacityPercent, b.capacityLowerBound) + " → " +
                 Capacity(*r.capacityPercent, r.capacityLowerBound);
    lines.push_back(compare);
    lines.push_back("漂移电池 (偏差下降 " + Plain(p.driftPercent) + " 个百分点以上): " + CellList(b.driftedCells));
  }
  for (int c : r.stuckCells) lines.push_back("警告: " + CellText(c) + " 读数始终不变, 采样线可能松动");
  if (r.sumCheck.pointsOver > 0)
    lines.push_back("警告: " + std::to_string(r.sumCheck.pointsOver) + " 个记录点的单体电压之和与总电压相差超过 2% (最大 " +
                    Fixed(r.sumCheck.maxDifferenceV, 3) + " V)");
  return lines;
}

std::string ParameterLine(const Parameters& p, const Result& r) {
  std::string line = "终止电压 " + Fixed(r.endVoltage, 3) + " V" + (r.endVoltageAssumed ? " (推定)" : "");
  line += "  额定时间 " + (p.ratedMinutes ? Plain(*p.ratedMinutes) + " 分钟" : std::string("未给定"));
  line += "  温度系数 " + Fixed(p.kFactor, 3);
  line += "  合格线 " + Plain(p.passPercent) + "%  落后 " + Plain(p.weakPercent) + "%  漂移 " + Plain(p.driftPercent) + "%";
  return line;
}

std::string AnalysisCsv(const Result& r) {
  const bool compared = r.baseline && r.baseline->status == Status::Ok;
  std::string csv = "rank,cell,end_min,voltage_at_ref_V,deviation_percent,deviation_mV,weak";
  csv += compared ? ",baseline_rank,baseline_deviation_percent,drift_points,drifted\n" : "\n";
  for (const CellResult* c : r.ByRank()) {
    csv += std::to_string(c->rank) + "," + std::to_string(c->cell + 1) + "," + (c->endMin ? Fixed(*c->endMin, 1) : "") +
           "," + Fixed(c->voltsAtRef, 3) + "," + Fixed(c->deviationPercent, 2) + "," + Fixed(c->deviationMv, 0) + "," +
           (c->weak ? "1" : "0");
    if (compared) {
      const BaselineCell* b = r.BaselineOf(c->cell);
      csv += "," + (b->rank ? std::to_string(*b->rank) : "") + "," +
             (b->deviationPercent ? Fixed(*b->deviationPercent, 2) : "") + "," +
             (b->driftPoints ? Fixed(*b->driftPoints, 2) : "") + "," + (b->drifted ? "1" : "0");
    }
    csv += "\n";
  }
  return csv;
}

}  // namespace kx::analysis

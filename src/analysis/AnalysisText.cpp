#include "analysis/AnalysisText.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "texts/Translate.h"

namespace kx::analysis {

namespace {

std::string Minutes(const std::string& number) { return Format(Tr("Analysis", "%s 分钟"), number.c_str()); }
std::string Minutes(double m) { return Minutes(Fixed(m, 1)); }

// Thresholds as typed: "3", "2.5".
std::string Plain(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string CellList(const std::vector<int>& cells) {
  if (cells.empty()) return Tr("Analysis", "无");
  std::string text;
  for (int c : cells) text += (text.empty() ? "" : ", ") + CellText(c);
  return text;
}

std::string Capacity(double percent, bool lowerBound) {
  return (lowerBound ? "≥ " : "") + Fixed(percent, 1) + "%";
}

const char* const kWarning = KX_NOOP("Analysis", "警告: ");

std::string Warning(const std::string& text) { return Tr("Analysis", kWarning) + text; }

}  // namespace

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (n > 0) {
    text.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(n));
  }
  va_end(again);
  return text;
}

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

std::string CellText(int cell) { return Format(Tr("Analysis", "电池%d"), cell + 1); }

std::string StatusText(Status status) {
  switch (status) {
    case Status::Ok: return {};
    case Status::NoPoints: return Tr("Analysis", "曲线组没有记录点, 无法分析");
    case Status::NoConnectedCells: return Tr("Analysis", "所有电池读数均为 0, 没有可分析的电池");
  }
  return {};
}

std::string VerdictLine(const Result& r) {
  if (r.status != Status::Ok) return StatusText(r.status);
  std::string line;
  if (r.capacityPercent) {
    const char* verdict = !r.pass ? Tr("Analysis", "未定") : *r.pass ? Tr("Analysis", "合格") : Tr("Analysis", "不合格");
    line = Format(Tr("Analysis", "容量 %s  %s"), Capacity(*r.capacityPercent, r.capacityLowerBound).c_str(), verdict);
  } else if (r.stringEndMin) {
    line = Format(Tr("Analysis", "放电时间 %s"), Minutes(*r.stringEndMin).c_str());
  } else {
    line = Tr("Analysis", "未放电至终止电压");
  }
  if (r.limitingCell)
    line += Format(Tr("Analysis", "  最先到达终止电压: %s %s"), CellText(*r.limitingCell).c_str(),
                   Minutes(*r.Cell(*r.limitingCell)->endMin).c_str());
  else
    line += Tr("Analysis", "  无电池到达终止电压");
  return line;
}

bool IsWarning(const std::string& line) { return line.starts_with(Tr("Analysis", kWarning)); }

std::vector<std::string> FindingLines(const Result& r, const Parameters& p) {
  std::vector<std::string> lines;
  if (r.status != Status::Ok) return lines;
  const std::string assumed =
      r.endVoltageAssumed ? Format(Tr("Analysis", " (按首点中位数推定, 标称 %s V)"), Plain(r.nominalV).c_str()) : "";
  lines.push_back(Format(Tr("Analysis", "终止电压 %s V/单体%s, 电池 %d 节"), Fixed(r.endVoltage, 3).c_str(),
                         assumed.c_str(), r.connectedCells));
  if (r.stringEndMin)
    lines.push_back(Format(Tr("Analysis", "电池组平均电压到达终止电压: %s"), Minutes(*r.stringEndMin).c_str()));
  else
    lines.push_back(Format(Tr("Analysis", "电池组平均电压未到达终止电压, 以记录结束 %s 为准"), Minutes(r.refMin).c_str()));
  if (r.capacityPercent && !r.pass)
    lines.push_back(Tr("Analysis", "放电未至终止电压即结束, 容量只知下限, 不足以判定"));
  lines.push_back(Format(Tr("Analysis", "落后电池 (低于平均 %s%% 以上): %s"), Plain(p.weakPercent).c_str(),
                         CellList(r.weakCells).c_str()));
  if (r.baseline && r.baseline->status == Status::Ok) {
    const Baseline& b = *r.baseline;
    const auto end = [](const std::optional<double>& m) { return m ? Minutes(*m) : std::string(Tr("Analysis", "未到达")); };
    std::string compare =
        Format(Tr("Analysis", "与基准比较: 放电时间 %s → %s"), end(b.stringEndMin).c_str(), end(r.stringEndMin).c_str());
    if (b.capacityPercent && r.capacityPercent)
      compare += Format(Tr("Analysis", ", 容量 %s → %s"), Capacity(*b.capacityPercent, b.capacityLowerBound).c_str(),
                        Capacity(*r.capacityPercent, r.capacityLowerBound).c_str());
    lines.push_back(compare);
    lines.push_back(Format(Tr("Analysis", "漂移电池 (偏差下降 %s 个百分点以上): %s"), Plain(p.driftPercent).c_str(),
                           CellList(b.driftedCells).c_str()));
  }
  for (int c : r.stuckCells)
    lines.push_back(Warning(Format(Tr("Analysis", "%s 读数始终不变, 采样线可能松动"), CellText(c).c_str())));
  if (r.sumCheck.pointsOver > 0)
    lines.push_back(Warning(Format(Tr("Analysis", "%d 个记录点的单体电压之和与总电压相差超过 2%% (最大 %s V)"),
                                   r.sumCheck.pointsOver, Fixed(r.sumCheck.maxDifferenceV, 3).c_str())));
  return lines;
}

std::string ParameterLine(const Parameters& p, const Result& r) {
  std::string line = Format(Tr("Analysis", "终止电压 %s V%s"), Fixed(r.endVoltage, 3).c_str(),
                            r.endVoltageAssumed ? Tr("Analysis", " (推定)") : "");
  line += Format(Tr("Analysis", "  额定时间 %s"),
                 p.ratedMinutes ? Minutes(Plain(*p.ratedMinutes)).c_str() : Tr("Analysis", "未给定"));
  line += Format(Tr("Analysis", "  温度系数 %s"), Fixed(p.kFactor, 3).c_str());
  line += Format(Tr("Analysis", "  合格线 %s%%  落后 %s%%  漂移 %s%%"), Plain(p.passPercent).c_str(),
                 Plain(p.weakPercent).c_str(), Plain(p.driftPercent).c_str());
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

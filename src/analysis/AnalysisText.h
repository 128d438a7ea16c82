#pragma once
// The analysis in the viewer's and the report's words (UTF-8, in the current
// language: the Chinese shown below, or its translation in context "Analysis"),
// and the number formats every front end shares: minutes 1 decimal, volts 3,
// capacity 1, deviation 2, millivolts whole.

#include <string>
#include <vector>

#include "analysis/Discharge.h"

namespace kx::analysis {

// printf into a string of any length (for translated formats, which have no fixed size).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// value rounded to decimals, as printed ("-0.00" never: a zero has no sign).
double Rounded(double value, int decimals);
std::string Fixed(double value, int decimals);

// "电池17" for channel 16.
std::string CellText(int cell);

// What a group that cannot be analysed is told: "曲线组没有记录点" and the like.
std::string StatusText(Status status);

// One line: "容量 92.5%  合格  最先到达终止电压: 电池17 212.4 分钟".
std::string VerdictLine(const Result& result);

// The rest of the verdict, a line each: the end voltage, the string's end time,
// the weak cells, the comparison and the drifted cells (with a baseline), then
// the wiring warnings, each starting "警告: ".
std::vector<std::string> FindingLines(const Result& result, const Parameters& parameters);
// A line of FindingLines that is a wiring warning (in either language).
bool IsWarning(const std::string& line);

// "终止电压 1.750 V (推定)  额定时间 180 分钟  温度系数 1.000  合格线 80%  落后 3%  漂移 2%".
std::string ParameterLine(const Parameters& parameters, const Result& result);

// The per-cell table as CSV, in rank order:
// rank,cell,end_min,voltage_at_ref_V,deviation_percent,deviation_mV,weak and, with
// a baseline, baseline_rank,baseline_deviation_percent,drift_points,drifted.
// A cell that never reached the end voltage has an empty end_min.
std::string AnalysisCsv(const Result& result);

}  // namespace kx::analysis

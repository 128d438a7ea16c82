// analyze: what a discharge test's curve file says, as text, JSON and a CSV table.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "analysis/AnalysisText.h"
#include "cli/Commands.h"
#include "ui/Utf8.h"

namespace kx::cli {

namespace {

using analysis::Fixed;
using analysis::Rounded;

std::string Iso(CurveTime t) {
  const std::time_t when = static_cast<std::time_t>(t);
  std::tm local{};
  char text[32];
  if (!localtime_r(&when, &local) || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0) return {};
  return text;
}

QJsonValue Number(const std::optional<double>& v, int decimals) {
  return v ? QJsonValue(Rounded(*v, decimals)) : QJsonValue();
}

QJsonArray CellNumbers(const std::vector<int>& cells) {
  QJsonArray a;
  for (int c : cells) a.append(c + 1);
  return a;
}

std::string Cells(const std::vector<int>& cells) {
  if (cells.empty()) return "none";
  std::string text;
  for (int c : cells) text += (text.empty() ? "" : ", ") + std::to_string(c + 1);
  return text;
}

std::string Min(double m) { return Fixed(m, 1) + " min"; }
std::string Capacity(double percent, bool lowerBound) { return (lowerBound ? ">= " : "") + Fixed(percent, 1) + " %"; }

QJsonObject Json(const analysis::Result& r) {
  QJsonArray cells;
  for (const analysis::CellResult& c : r.cells)
    cells.append(QJsonObject{{"cell", c.cell + 1},
                             {"end_min", Number(c.endMin, 1)},
                             {"voltage_at_ref_V", Rounded(c.voltsAtRef, 3)},
                             {"deviation_percent", Rounded(c.deviationPercent, 2)},
                             {"deviation_mV", static_cast<qint64>(Rounded(c.deviationMv, 0))},
                             {"rank", c.rank},
                             {"weak", c.weak}});
  QJsonObject o{{"points", r.points},
                {"start", Utf8(Iso(r.start))},
                {"end", Utf8(Iso(r.end))},
                {"duration_min", Rounded(r.durationMin, 1)},
                {"connected_cells", r.connectedCells},
                {"nominal_V", r.nominalV},
                {"end_voltage_V", Rounded(r.endVoltage, 3)},
                {"end_voltage_assumed", r.endVoltageAssumed},
                {"string_end_min", Number(r.stringEndMin, 1)},
                {"limiting_cell", r.limitingCell ? QJsonValue(*r.limitingCell + 1) : QJsonValue()},
                {"rated_min", Number(r.ratedMin, 1)},
                {"k_factor", Rounded(r.kFactor, 3)},
                {"capacity_percent", Number(r.capacityPercent, 1)},
                {"capacity_is_lower_bound", r.capacityLowerBound},
                {"pass", r.pass ? QJsonValue(*r.pass) : QJsonValue()},
                {"weak_cells", CellNumbers(r.weakCells)},
                {"cells", cells},
                {"sum_check", QJsonObject{{"points_checked", r.sumCheck.pointsChecked},
                                          {"max_difference_V", Rounded(r.sumCheck.maxDifferenceV, 3)},
                                          {"points_over_2_percent", r.sumCheck.pointsOver}}},
                {"stuck_cells", CellNumbers(r.stuckCells)}};
  if (r.baseline) {
    const analysis::Baseline& b = *r.baseline;
    QJsonArray old;
    for (const analysis::BaselineCell& c : b.cells)
      old.append(QJsonObject{{"cell", c.cell + 1},
                             {"rank", c.rank ? QJsonValue(*c.rank) : QJsonValue()},
                             {"deviation_percent", Number(c.deviationPercent, 2)},
                             {"drift_points", Number(c.driftPoints, 2)},
                             {"drifted", c.drifted}});
    o.insert("baseline", QJsonObject{{"string_end_min", Number(b.stringEndMin, 1)},
                                     {"capacity_percent", Number(b.capacityPercent, 1)},
                                     {"cells", old},
                                     {"drifted_cells", CellNumbers(b.driftedCells)}});
  }
  return o;
}

void PrintText(Output& out, const analysis::Result& r, const AnalyzeOptions& o) {
  out.OutLine(o.bin + ": " + std::to_string(r.points) + " points, " + FormatLocalTime(r.start) + " to " +
              FormatLocalTime(r.end) + " (" + Min(r.durationMin) + "), " + std::to_string(r.connectedCells) +
              " connected cells");
  char nominal[32];
  std::snprintf(nominal, sizeof nominal, "%g", r.nominalV);
  out.OutLine("end voltage: " + Fixed(r.endVoltage, 3) + " V per cell" +
              (r.endVoltageAssumed ? std::string(" (assumed: ") + nominal + " V cells by the first point's median)"
                                   : std::string()));
  out.OutLine("string end: " + (r.stringEndMin ? Min(*r.stringEndMin)
                                               : "not reached; the recording ends at " + Min(r.refMin)));
  out.OutLine("limiting cell: " + (r.limitingCell ? std::to_string(*r.limitingCell + 1) + " at " +
                                                        Min(*r.Cell(*r.limitingCell)->endMin)
                                                  : std::string("none reached the end voltage")));
  if (r.capacityPercent) {
    char rated[96];
    std::snprintf(rated, sizeof rated, " of %g min x K %.3f: ", *r.ratedMin, r.kFactor);
    out.OutLine("capacity: " + Capacity(*r.capacityPercent, r.capacityLowerBound) + rated +
                (!r.pass   ? "not determined (the recording ended before the end voltage)"
                 : *r.pass ? "pass"
                           : "fail"));
  }
  char threshold[32];
  std::snprintf(threshold, sizeof threshold, "%g", o.parameters.weakPercent);
  out.OutLine(std::string("weak cells (below -") + threshold + " % of the mean): " + Cells(r.weakCells));
  if (r.baseline) {
    const analysis::Baseline& b = *r.baseline;
    const auto end = [](const std::optional<double>& m) { return m ? Min(*m) : std::string("not reached"); };
    std::string line = "baseline " + o.baseline + ": string end " + end(b.stringEndMin) + " -> " + end(r.stringEndMin);
    if (b.capacityPercent && r.capacityPercent)
      line += ", capacity " + Capacity(*b.capacityPercent, b.capacityLowerBound) + " -> " +
              Capacity(*r.capacityPercent, r.capacityLowerBound);
    out.OutLine(line);
    std::snprintf(threshold, sizeof threshold, "%g", o.parameters.driftPercent);
    out.OutLine(std::string("drifted cells (deviation down by more than ") + threshold +
                " points): " + Cells(b.driftedCells));
  }
  const analysis::SumCheck& sum = r.sumCheck;
  if (sum.pointsChecked == 0)
    out.OutLine("sum check: skipped, the total voltage reads 0 throughout");
  else
    out.OutLine("sum check: " + std::to_string(sum.pointsChecked) + " points, largest difference " +
                Fixed(sum.maxDifferenceV, 3) + " V, " + std::to_string(sum.pointsOver) + " over 2 % of the total");
  for (int c : r.stuckCells)
    out.OutLine("warning: cell " + std::to_string(c + 1) +
                " reads the same throughout while the others change: a loose sense wire?");
  if (sum.pointsOver > 0)
    out.OutLine("warning: at " + std::to_string(sum.pointsOver) +
                " points the cells' sum differs from the total voltage by more than 2 %");

  out.OutLine("");
  const char* const columns = "%4s  %4s  %7s  %8s  %7s  %6s";
  const char* const oldColumns = "  %8s  %9s  %5s";
  char line[160];
  std::snprintf(line, sizeof line, columns, "rank", "cell", "end_min", "V_at_ref", "dev_%", "dev_mV");
  std::string head = line;
  if (r.baseline) {
    std::snprintf(line, sizeof line, oldColumns, "old_rank", "old_dev_%", "drift");
    head += line;
  }
  out.OutLine(head);
  for (const analysis::CellResult* c : r.ByRank()) {
    std::snprintf(line, sizeof line, columns, std::to_string(c->rank).c_str(), std::to_string(c->cell + 1).c_str(),
                  c->endMin ? Fixed(*c->endMin, 1).c_str() : "-", Fixed(c->voltsAtRef, 3).c_str(),
                  Fixed(c->deviationPercent, 2).c_str(), Fixed(c->deviationMv, 0).c_str());
    std::string text = line;
    if (const analysis::BaselineCell* b = r.BaselineOf(c->cell)) {
      std::snprintf(line, sizeof line, oldColumns, b->rank ? std::to_string(*b->rank).c_str() : "-",
                    b->deviationPercent ? Fixed(*b->deviationPercent, 2).c_str() : "-",
                    b->driftPoints ? Fixed(*b->driftPoints, 2).c_str() : "-");
      text += line;
      if (b->drifted) text += "  drifted";
    }
    if (c->weak) text += "  weak";
    if (std::find(r.stuckCells.begin(), r.stuckCells.end(), c->cell) != r.stuckCells.end()) text += "  stuck";
    out.OutLine(text);
  }
}

}  // namespace

bool LoadGroupFile(Env& env, const std::string& path, CCurveGroup& group) {
  const std::optional<std::vector<uint8_t>> image = ReadGroupFile(env, path);
  if (image) group.LoadGroupImage(*image);
  return image.has_value();
}

std::optional<analysis::Result> AnalyseGroups(Env& env, const CCurveGroup& group, const std::string& groupName,
                                              const CCurveGroup* baseline, const std::string& baselineName,
                                              const analysis::Parameters& parameters) {
  analysis::Result r = analysis::Analyse(group, parameters, baseline);
  const auto refuse = [&env](const std::string& name, analysis::Status status) {
    env.Fail(name + ": nothing to analyse: " +
             (status == analysis::Status::NoPoints ? "no record points" : "every cell reads 0 V throughout"));
    return std::nullopt;
  };
  if (r.status != analysis::Status::Ok) return refuse(groupName, r.status);
  if (r.baseline && r.baseline->status != analysis::Status::Ok) return refuse(baselineName, r.baseline->status);
  return r;
}

int Analyze(Env& env, const AnalyzeOptions& options) {
  std::vector<std::string> inputs{options.bin};
  if (!options.baseline.empty()) inputs.push_back(options.baseline);
  std::vector<std::string> outputs;
  if (!options.csv.empty()) outputs.push_back(options.csv);
  if (!CheckFiles(env, inputs, outputs)) return kExitUsage;

  CCurveGroup group, baseline;
  if (!LoadGroupFile(env, options.bin, group)) return kExitUsage;
  if (!options.baseline.empty() && !LoadGroupFile(env, options.baseline, baseline)) return kExitUsage;
  const auto result = AnalyseGroups(env, group, options.bin, options.baseline.empty() ? nullptr : &baseline,
                                    options.baseline, options.parameters);
  if (!result) return kExitUsage;

  if (env.global.json)
    PrintJson(env.out, Json(*result));
  else
    PrintText(env.out, *result, options);
  if (!options.csv.empty() && !WriteOutput(env, options.csv, analysis::AnalysisCsv(*result))) return kExitUsage;
  return kExitOk;
}

}  // namespace kx::cli

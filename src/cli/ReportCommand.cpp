// The test report: what the unit says now, and a curve file's chart and analysis, as one A4 PDF.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>

#include "analysis/AnalysisText.h"
#include "chart/ChartDraw.h"
#include "cli/Commands.h"
#include "cli/DeviceSupport.h"
#include "curves/CurveGroup.h"
#include "files/SafeFile.h"
#include "report/ReportAnalysis.h"
#include "report/ReportRender.h"
#include "texts/ChineseTexts.h"
#include "texts/EnglishTexts.h"

namespace kx::cli {

namespace {

std::time_t PcNow(const Env& env) {
  if (!env.now) return std::time(nullptr);
  std::tm local = env.now();
  return std::mktime(&local);
}

}  // namespace

int Report(Env& env, const ReportOptions& options) {
  std::vector<std::string> inputs, outputs{options.output};
  for (const std::string* in : {&options.group, &options.baseline})
    if (!in->empty()) inputs.push_back(*in);
  if (!options.csv.empty()) outputs.push_back(options.csv);
  if (!CheckFiles(env, inputs, outputs)) return kExitUsage;

  // The files are read and analysed before the unit is asked anything: a bad file costs no exchange.
  CCurveGroup group, baseline;
  if (!options.group.empty() && !LoadGroupFile(env, options.group, group)) return kExitUsage;
  if (!options.baseline.empty() && !LoadGroupFile(env, options.baseline, baseline)) return kExitUsage;
  group.m_colors = BuildCurveColors();
  const bool second = report::HasCurves(options.group.empty() ? nullptr : &group);
  std::optional<report::AnalysisPage> analysisPage;
  if (second) {
    const CCurveGroup* old = options.baseline.empty() ? nullptr : &baseline;
    // Asked for a comparison or a table, the files must hold something to analyse, as
    // analyze wants them; otherwise a group with nothing to analyse keeps its chart and
    // its analysis page says so.
    if ((old || !options.csv.empty()) &&
        !AnalyseGroups(env, group, options.group, old, options.baseline, options.parameters))
      return kExitUsage;
    analysisPage = report::AnalysisPage{options.parameters, analysis::Analyse(group, options.parameters, old),
                                        options.baseline, {}};
  } else if (!options.csv.empty() || !options.baseline.empty()) {
    env.Fail(options.group + ": nothing to analyse: no record points");
    return kExitUsage;
  }

  report::ReportData data;
  data.title = options.title;
  data.madeAt = PcNow(env);
  data.port = env.ports->Name();
  data.address = env.global.address;
  data.baud = env.global.baud;

  int status = kExitOk;
  LinkError openError = LinkError::None;
  auto port = env.ports->Open(env.global.baud, openError);
  if (!port) {
    // The report still goes out and says why it holds no values.
    env.Fail(env.ports->Explain(openError));
    data.portFailure = OpenFailureCause(data.port, openError);
    status = kExitPort;
  } else {
    report::GatherOptions gather;
    gather.address = env.global.address;
    gather.cellFullScale = kCellFullScaleV;
    gather.currentRange = static_cast<uint32_t>(options.currentRange);
    gather.now = [&env] { return PcNow(env); };
    report::GatherReport(*port, gather, data);
    port.reset();
  }

  const std::pair<const char*, const report::Failure*> items[] = {
      {"firmware version", data.version.ok() ? nullptr : &data.version.failure},
      {"clock", data.clock.ok() ? nullptr : &data.clock.failure},
      {"live reading", data.live.ok() ? nullptr : &data.live.failure},
      {"alarm word", data.alarmWord.ok() ? nullptr : &data.alarmWord.failure}};
  QJsonArray failed;
  if (status == kExitOk) {
    for (const auto& [name, failure] : items) {
      if (!failure) continue;
      const std::string cause = failure->invalidDate ? "the unit's clock holds an invalid date"
                                                     : DescribeOutcome(failure->outcome, failure->cause, failure->count);
      env.out.ErrLine(std::string("kx4200-cli: ") + name + ": " + cause);
      failed.append(QJsonObject{{"item", name}, {"cause", QString::fromStdString(cause)}});
      status = kExitDevice;
    }
  }

  const QByteArray pdf =
      report::RenderReportPdf(data, second ? &group : nullptr, analysisPage ? &*analysisPage : nullptr);
  if (pdf.isEmpty()) {
    env.Fail("cannot draw the report for " + options.output);
    return kExitUsage;
  }
  const files::FileResult w = files::WriteFile(
      options.output, std::span(reinterpret_cast<const uint8_t*>(pdf.constData()), static_cast<size_t>(pdf.size())));
  if (!w.ok()) {
    env.Fail(files::Describe(w));
    return kExitUsage;
  }
  if (!options.csv.empty() && !WriteOutput(env, options.csv, analysis::AnalysisCsv(analysisPage->result)))
    return kExitUsage;
  const int pages = second ? 3 : 1;
  if (env.global.json) {
    PrintJson(env.out, QJsonObject{{"ok", status == kExitOk},
                                   {"file", QString::fromStdString(options.output)},
                                   {"pages", pages},
                                   {"answered", data.UnitAnswered()},
                                   {"failed", failed}});
  } else {
    env.out.ErrLine("wrote " + options.output + " (" + std::to_string(pages) + (pages == 1 ? " page" : " pages") +
                    (data.UnitAnswered()             ? ""
                     : data.portFailure.empty() ? "; the unit did not answer"
                                                : "; the port did not open") +
                    ")");
  }
  return status;
}

}  // namespace kx::cli

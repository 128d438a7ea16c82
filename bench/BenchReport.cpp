// Reads the JSON figures of the benchmark programs and prints one Markdown table:
// figure, measured value, target and headroom (how many times the target is
// beaten; 1.00 or more means met). Exits 1 when a target is missed or a figure is
// absent. With the files of several runs, each figure is the median over the runs.
//
//   kx4200-bench-report FILE.json...

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// Every run of each benchmark, by name (several files: repeated runs).
QMap<QString, QList<QJsonObject>> g_figures;

// The median over the runs of a benchmark's counter; NaN when it did not run or failed.
double Get(const char* benchmark, const char* counter) {
  const auto it = g_figures.find(QString::fromLatin1(benchmark));
  if (it == g_figures.end()) return NAN;
  std::vector<double> values;
  for (const QJsonObject& run : *it) {
    if (run.contains(QStringLiteral("error_occurred"))) return NAN;
    const QJsonValue v = run.value(QString::fromLatin1(counter));
    if (!v.isDouble()) return NAN;
    values.push_back(v.toDouble());
  }
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

bool g_missed = false;

enum class Goal { AtMost, AtLeast };

// One row; headroom = target / measured for "at most", measured / target for "at least".
void Row(const char* figure, double measured, const char* unit, Goal goal, double target, const char* note = "") {
  double headroom = NAN;
  if (!std::isnan(measured) && measured > 0) {
    headroom = goal == Goal::AtMost ? target / measured : measured / target;
  } else if (!std::isnan(measured) && goal == Goal::AtMost) {
    headroom = INFINITY;
  }
  const bool met = !std::isnan(headroom) && headroom >= 1.0;
  if (!met) g_missed = true;
  char targetText[64];
  std::snprintf(targetText, sizeof targetText, "%s %.4g %s", goal == Goal::AtMost ? "≤" : "≥", target, unit);
  std::printf("| %s | %.4g %s | %s | %.2f | %s%s%s |\n", figure, measured, unit, targetText, headroom,
              met ? "met" : "**MISSED**", *note ? "; " : "", note);
}

void Info(const char* figure, double measured, const char* unit, const char* note) {
  std::printf("| %s | %.4g %s | (baseline) | | %s |\n", figure, measured, unit, note);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    QFile file(QString::fromLocal8Bit(argv[i]));
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 2;
    }
    const QJsonArray list = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("benchmarks")).toArray();
    for (const QJsonValue& b : list) {
      const QJsonObject o = b.toObject();
      g_figures[o.value(QStringLiteral("name")).toString()].append(o);
    }
  }

  std::printf("| Figure | Measured | Target | Headroom (×) | Result |\n");
  std::printf("|---|---|---|---|---|\n");

  const double ours = Get("BM_ReplyNoticed/ours/iterations:400/real_time", "median_ms");
  const double ref = Get("BM_ReplyNoticed/reference2ms/iterations:400/real_time", "median_ms");
  char note[320];
  std::snprintf(note, sizeof note, "p90 %.3g ms", Get("BM_ReplyNoticed/ours/iterations:400/real_time", "p90_ms"));
  Row("1. Reply noticed, median", ours, "ms", Goal::AtMost, 0.2, note);
  Info("1. Reply noticed, 2 ms polling reference, median", ref, "ms", "same run, same procedure");
  Row("1. Reply noticed, speed-up over the reference", ref / ours, "×", Goal::AtLeast, 5.0);

  const double idle = Get("BM_IdleWait/ours/iterations:5/real_time", "cpu_ms");
  std::snprintf(note, sizeof note, "%.0f wake-ups",
                Get("BM_IdleWait/ours/iterations:5/real_time", "wakeups"));
  Row("2. Idle wait of 1000 ms, CPU", idle, "ms", Goal::AtMost, 5.0, note);
  std::snprintf(note, sizeof note, "%.0f wake-ups",
                Get("BM_IdleWait/reference2ms/iterations:5/real_time", "wakeups"));
  Info("2. Idle wait, 2 ms polling reference, CPU", Get("BM_IdleWait/reference2ms/iterations:5/real_time", "cpu_ms"),
       "ms", note);

  Row("3. Group download (250 points, 25 packets), unpaced",
      Get("BM_GroupDownload/baud:0/iterations:20/real_time", "median_ms"), "ms", Goal::AtMost, 100.0);
  for (const auto& [baud, name] : {std::pair{38400, "BM_GroupDownload/baud:38400/iterations:3/real_time"},
                                   std::pair{9600, "BM_GroupDownload/baud:9600/iterations:1/real_time"}}) {
    const double t = Get(name, "median_ms");
    const double wire = Get(name, "wire_ms");
    char figure[96];
    std::snprintf(figure, sizeof figure, "3. Group download paced at %d baud, × wire time", baud);
    std::snprintf(note, sizeof note, "%.0f ms against %.0f ms on the wire (replies alone %.0f ms)", t, wire,
                  Get(name, "reply_wire_ms"));
    Row(figure, t / wire, "×", Goal::AtMost, 1.05, note);
  }

  const double live = Get("BM_LiveReadings/baud:0/iterations:3/real_time", "per_s");
  std::snprintf(note, sizeof note, "%.0f failed", Get("BM_LiveReadings/baud:0/iterations:3/real_time", "failed"));
  Row("4. Live readings, unpaced", live, "/s", Goal::AtLeast, 500.0, note);
  const char* paced = "BM_LiveReadings/baud:38400/iterations:3/real_time";
  const double limit = Get(paced, "wire_limit_per_s");
  std::snprintf(note, sizeof note, "wire limit %.1f/s, %.0f failed", limit, Get(paced, "failed"));
  Row("4. Live readings paced at 38400 baud", Get(paced, "per_s"), "/s", Goal::AtLeast, 0.9 * limit, note);

  const std::pair<const char*, const char*> stalls[] = {
      {"BM_GuiStall/op:0/iterations:1/real_time", "13. Largest GUI stall, group download paced at 9600 baud"},
      {"BM_GuiStall/op:1/iterations:1/real_time", "13. Largest GUI stall, calibration, silent unit, full 5 s wait"},
      {"BM_GuiStall/op:2/iterations:1/real_time", "13. Largest GUI stall, 10 s continuous acquisition at 9600"}};
  for (const auto& [name, figure] : stalls) {
    std::snprintf(note, sizeof note, "operation took %.0f ms", Get(name, "operation_ms"));
    Row(figure, Get(name, "stall_ms"), "ms", Goal::AtMost, 50.0, note);
  }

  std::snprintf(note, sizeof note, "p90 %.3g ms; CPU time median %.3g ms",
                Get("BM_ChartDraw/iterations:200/real_time", "p90_ms"),
                Get("BM_ChartDraw/iterations:200/real_time", "cpu_median_ms"));
  Row("5. Chart Draw, 255 points × 40 curves, 890 × 560, median",
      Get("BM_ChartDraw/iterations:200/real_time", "median_ms"), "ms", Goal::AtMost, 5.0, note);

  std::snprintf(note, sizeof note, "median of %.0f runs, slowest %.0f ms", Get("Startup", "runs"),
                Get("Startup", "max_ms"));
  Row("6. Start-up to the panel shown (whole process)", Get("Startup", "median_ms"), "ms", Goal::AtMost, 500.0,
      note);
  Row("6. Start-up peak resident memory", Get("Startup", "rss_mb"), "MB", Goal::AtMost, 60.0);

  const double cycle = Get("MonitorCycle", "median_ms");
  const double cycleWire = Get("MonitorCycle", "wire_ms");
  std::snprintf(note, sizeof note, "%.0f ms against %.0f ms on the wire (replies alone %.0f ms); slowest %.0f ms, %.0f failed",
                cycle, cycleWire, Get("MonitorCycle", "reply_wire_ms"), Get("MonitorCycle", "max_ms"),
                Get("MonitorCycle", "failed"));
  Row("9. Monitor, 32 units paced at 38400 baud, period 0, cycle × wire time", cycle / cycleWire, "×", Goal::AtMost,
      1.05, note);
  std::snprintf(note, sizeof note, "p90 %.3g ms, %.0f readings", Get("MonitorPublish", "p90_ms"),
                Get("MonitorPublish", "samples"));
  Row("10. Monitor, reading to state message at a subscriber, median", Get("MonitorPublish", "median_ms"), "ms",
      Goal::AtMost, 5.0, note);
  std::snprintf(note, sizeof note, "%.0f ms CPU over %.0f periods; whole run with start-up %.2f %%",
                Get("MonitorCpu", "cpu_ms"), Get("MonitorCpu", "periods"), Get("MonitorCpu", "whole_run_percent"));
  Row("11. Monitor CPU, 32 units, period 5 s", Get("MonitorCpu", "percent"), "%", Goal::AtMost, 2.0, note);
  const double early = Get("MonitorSoak", "early_mb");
  const double late = Get("MonitorSoak", "late_mb");
  std::snprintf(note, sizeof note, "%.0f s at 20 ms, 32 units: RSS %.2f MB early, %.2f MB at the end, peak %.2f MB",
                Get("MonitorSoak", "seconds"), early, late, Get("MonitorSoak", "peak_mb"));
  Row("12. Monitor soak, resident memory late ÷ early", late / early, "×", Goal::AtMost, 1.05, note);

  // The tracer's own cost per exchange, taken where nothing hides it (in memory),
  // against the fastest real exchange (the pseudo-terminal).
  const char* inMemory = "BM_TraceCost/memory/iterations:15/real_time";
  const char* onPty = "BM_TraceCost/pty/iterations:15/real_time";
  const double added = Get(inMemory, "added_cpu_us");
  const double ptyExchange = Get(onPty, "us_without");
  std::snprintf(note, sizeof note,
                "%.3g µs CPU added per reading (%.3g µs in memory without), %.3g µs per reading on the pseudo-terminal; "
                "there %.0f/s without, %.0f/s with",
                added, Get(inMemory, "us_without"), ptyExchange, Get(onPty, "per_s_without"), Get(onPty, "per_s_with"));
  Row("14. Protocol monitor open, cost per live reading on the pseudo-terminal", 100.0 * added / ptyExchange, "%",
      Goal::AtMost, 1.0, note);
  const char* analysis = "BM_Analysis/iterations:200/real_time";
  std::snprintf(note, sizeof note, "p90 %.3g ms; CPU time median %.3g ms", Get(analysis, "p90_ms"),
                Get(analysis, "cpu_median_ms"));
  Row("15. Discharge analysis, 255 points × 40 cells with a baseline, median", Get(analysis, "median_ms"), "ms",
      Goal::AtMost, 5.0, note);
  return g_missed ? 1 : 0;
}

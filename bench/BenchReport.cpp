// Reads the JSON figures of the benchmark programs and prints one Markdown table:
// figure, measured value, target and headroom (how many times the target is
// beaten; 1.00 or more means met). Exits 1 when a target is missed or a benchmark
// failed, 2 when a figure asked for is not in the files (a renamed benchmark or
// counter), naming each one. With the files of several runs, each figure is the
// median over the runs.
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
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every run of each benchmark, by name (several files: repeated runs).
QMap<QString, QList<QJsonObject>> g_figures;

// Figures asked for and not found, and benchmarks that reported an error.
std::set<std::string> g_absent;
std::set<std::string> g_failed;

// The median over the runs of a benchmark's counter. A name or counter that is not
// in the files is recorded (the report then fails, naming it) and gives NaN, as
// does a benchmark that reported an error.
double Get(const char* benchmark, const char* counter) {
  const auto it = g_figures.find(QString::fromLatin1(benchmark));
  if (it == g_figures.end()) {
    g_absent.insert(benchmark);
    return NAN;
  }
  std::vector<double> values;
  for (const QJsonObject& run : *it) {
    if (run.contains(QStringLiteral("error_occurred"))) {
      g_failed.insert(std::string(benchmark) + ": " +
                      run.value(QStringLiteral("error_message")).toString(QStringLiteral("failed")).toStdString());
      return NAN;
    }
    const QJsonValue v = run.value(QString::fromLatin1(counter));
    if (!v.isDouble()) {
      g_absent.insert(std::string(benchmark) + " (counter " + counter + ")");
      return NAN;
    }
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

void Info(const char* figure, double measured, const char* unit, const char* note, const char* target = "(baseline)") {
  std::printf("| %s | %.4g %s | %s | | %s |\n", figure, measured, unit, target, note);
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

  const char* unpaced = "BM_LiveReadings/baud:0/trend:0/iterations:3/real_time";
  const double live = Get(unpaced, "per_s");
  std::snprintf(note, sizeof note, "%.0f failed", Get(unpaced, "failed"));
  Row("4. Live readings, unpaced", live, "/s", Goal::AtLeast, 500.0, note);
  const char* paced = "BM_LiveReadings/baud:38400/trend:0/iterations:3/real_time";
  const double limit = Get(paced, "wire_limit_per_s");
  std::snprintf(note, sizeof note, "wire limit %.1f/s, %.0f failed", limit, Get(paced, "failed"));
  Row("4. Live readings paced at 38400 baud", Get(paced, "per_s"), "/s", Goal::AtLeast, 0.9 * limit, note);

  std::snprintf(note, sizeof note, "median of 20, %.0f readings of history",
                Get("BM_LiveTrendPerReading/iterations:20/real_time", "history"));
  Row("7. Live trend, GUI-thread CPU per reading, 10 min of history at 30/s",
      Get("BM_LiveTrendPerReading/iterations:20/real_time", "cpu_per_reading_ms"), "ms", Goal::AtMost, 2.0, note);
  const double withTrend = Get("BM_LiveReadings/baud:0/trend:1/iterations:3/real_time", "per_s");
  std::snprintf(note, sizeof note, "%.0f/s with, %.0f/s without", withTrend, live);
  Row("8. Live readings at period 0 with the trend open, share of the rate without", 100.0 * withTrend / live, "%",
      Goal::AtLeast, 90.0, note);

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
  Row("14. Protocol view open, cost per live reading on the pseudo-terminal", 100.0 * added / ptyExchange, "%",
      Goal::AtMost, 1.0, note);

  // A live reading on a paced line: the exchanging thread's CPU and wake-ups.
  for (const auto& [baud, name] : {std::pair{38400, "BM_LivePaced/baud:38400/readings:200/iterations:1/real_time"},
                                   std::pair{9600, "BM_LivePaced/baud:9600/readings:50/iterations:1/real_time"}}) {
    char figure[128];
    std::snprintf(figure, sizeof figure, "15. Live reading paced at %d baud, CPU per reading, median", baud);
    std::snprintf(note, sizeof note, "mean %.3g ms, %.0f readings", Get(name, "cpu_mean_ms"), Get(name, "samples"));
    Row(figure, Get(name, "cpu_ms"), "ms", Goal::AtMost, 0.3, note);
    std::snprintf(figure, sizeof figure, "15. Live reading paced at %d baud, wake-ups (poll returns) per reply, median",
                  baud);
    std::snprintf(note, sizeof note, "most %.0f; %.0f read calls, %.0f voluntary context switches",
                  Get(name, "poll_returns_max"), Get(name, "reads"), Get(name, "sleeps"));
    Row(figure, Get(name, "poll_returns"), "", Goal::AtMost, 5.0, note);
    std::snprintf(figure, sizeof figure, "15. Live reading paced at %d baud, reply noticed after its last byte, median",
                  baud);
    std::snprintf(note, sizeof note, "p90 %.3g ms", Get(name, "noticed_p90_ms"));
    Row(figure, Get(name, "noticed_ms"), "ms", Goal::AtMost, 0.2, note);
    std::snprintf(figure, sizeof figure, "15. Live reading paced at %d baud, × wire time", baud);
    std::snprintf(note, sizeof note, "%.2f ms against %.2f ms on the wire", Get(name, "reading_ms"),
                  Get(name, "wire_ms"));
    Row(figure, Get(name, "reading_ms") / Get(name, "wire_ms"), "×", Goal::AtMost, 1.05, note);
  }

  // Behind a serial server.
  const char* netDownload = "BM_NetGroupDownload/iterations:1/real_time";
  std::snprintf(note, sizeof note, "%.0f ms against %.0f ms on the wire (replies alone %.0f ms)",
                Get(netDownload, "median_ms"), Get(netDownload, "wire_ms"), Get(netDownload, "reply_wire_ms"));
  Row("19. Group download over RFC 2217 through ser2net, paced at 9600 baud, × wire time",
      Get(netDownload, "median_ms") / Get(netDownload, "wire_ms"), "×", Goal::AtMost, 1.05, note);
  const char* netLive = "BM_NetLiveOverhead/iterations:10/real_time";
  std::snprintf(note, sizeof note, "%.3g ms a reading over raw TCP, %.3g ms on the pseudo-terminal (%.2f×)",
                Get(netLive, "tcp_ms"), Get(netLive, "pty_ms"), Get(netLive, "ratio"));
  Info("20. Live reading over raw TCP, unpaced, added to the pseudo-terminal's, median", Get(netLive, "added_ms"), "ms",
       note);

  // The monitor against a minimal Python poller, one after the other on the same line and broker.
  const char* versus = "MonitorVersusPython";
  std::snprintf(note, sizeof note, "%.0f ms CPU over %.0f readings", Get(versus, "monitor_cpu_ms"),
                Get(versus, "monitor_readings"));
  Info("16. kx4200-cli monitor, 32 units paced at 38400, CPU per reading", Get(versus, "monitor_cpu_per_reading_ms"),
       "ms", note, "(compared)");
  std::snprintf(note, sizeof note, "%.0f ms CPU over %.0f readings", Get(versus, "python_cpu_ms"),
                Get(versus, "python_readings"));
  Info("16. Python poller (pyserial, paho-mqtt), same line, CPU per reading",
       Get(versus, "python_cpu_per_reading_ms"), "ms", note);
  Row("16. Python poller's CPU per reading ÷ the monitor's", Get(versus, "ratio"), "×", Goal::AtLeast, 8.0,
      "same run, same line and broker");

  std::snprintf(note, sizeof note, "p90 %.3g ms; %.0f bytes; process CPU %.3g ms a scrape", Get("MonitorMetrics", "p90_ms"),
                Get("MonitorMetrics", "bytes"), Get("MonitorMetrics", "cpu_per_scrape_ms"));
  Row("18. /metrics of 32 units, time per scrape, median", Get("MonitorMetrics", "median_ms"), "ms", Goal::AtMost, 5.0,
      note);
  Row("18. /metrics of 32 units scraped every 5 s, share of a core", Get("MonitorMetrics", "percent"), "%",
      Goal::AtMost, 0.5, "a scrape and 32 readings' updates a period");

  const char* analysis = "BM_Analysis/iterations:200/real_time";
  std::snprintf(note, sizeof note, "p90 %.3g ms; CPU time median %.3g ms", Get(analysis, "p90_ms"),
                Get(analysis, "cpu_median_ms"));
  Row("17. Discharge analysis, 255 points × 40 cells with a baseline, median", Get(analysis, "median_ms"), "ms",
      Goal::AtMost, 5.0, note);

  for (const std::string& failed : g_failed) std::fprintf(stderr, "kx4200-bench-report: %s\n", failed.c_str());
  if (!g_absent.empty()) {
    for (const std::string& name : g_absent)
      std::fprintf(stderr, "kx4200-bench-report: no figure %s in the results\n", name.c_str());
    return 2;
  }
  return g_missed ? 1 : 0;
}

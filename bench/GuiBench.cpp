// The panel's continuous acquisition (a reading per tick of a period-0 timer,
// each rewriting the 47 cells of the live table) and the chart drawing, on Qt's
// offscreen platform.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "BenchSupport.h"
#include "chart/ChartDraw.h"
#include "chart/QPainterCanvas.h"
#include "curves/CurveGroup.h"
#include "link/CommandTable.h"
#include "link/Frame.h"
#include "link/LiveValues.h"
#include "panel/ControlIds.h"
#include "panel/LiveTrendDlg.h"
#include "panel/TesterDlg.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"
#include "ui/SongFont.h"

using namespace kxbench;
using namespace kx::panel::ids;

namespace {

// The panel shown offscreen with port 1 on the simulated unit and period 0.
struct ShownPanel {
  ShownPanel(kx::VirtualDevice& device, benchmark::State& state) : host(device) {
    if (!host.Start()) {
      state.SkipWithError("no pseudo-terminal");
      return;
    }
    kx::PortNaming naming("/nonexistent/sys/class/tty", "/nonexistent/dev");
    naming.Map(1, host.Path());
    panel = std::make_unique<CTesterDlg>(naming);
    panel->show();
    QApplication::processEvents();
    panel->ControlAs<QLineEdit>(kEditPeriod)->setText(QStringLiteral("0"));
  }
  kx::SimHost host;
  std::unique_ptr<CTesterDlg> panel;
};

constexpr int kRunMs = 3000;  // one continuous run per iteration

// Readings per second of continuous acquisition at period 0. baud 0: unpaced;
// otherwise the unit paces its replies at that rate.
// trend 1: with the live trend window open.
void BM_LiveReadings(benchmark::State& state) {
  const int baud = static_cast<int>(state.range(0));
  const bool trend = state.range(1) != 0;
  kx::VirtualDevice device;
  device.SetBaud(baud == 0 ? 9600 : baud);
  device.SetPacing(baud != 0);
  ShownPanel shown(device, state);
  if (!shown.panel) return;
  CTesterDlg& panel = *shown.panel;
  auto* baudList = panel.ControlAs<QComboBox>(kComboBaud);
  auto* continuous = panel.ControlAs<QPushButton>(kBtnContinuous);
  const int item = baudList->findText(QString::number(baud == 0 ? 9600 : baud));
  if (item < 0) {
    state.SkipWithError("baud rate not offered by the panel");
    return;
  }
  baudList->setCurrentIndex(item);
  if (trend) panel.ShowLiveTrend();

  std::vector<double> rates;
  int failed = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    continuous->click();
    if (!panel.IsAcquiring()) {
      state.SkipWithError("continuous acquisition did not start");
      return;
    }
    QEventLoop loop;
    QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
    loop.exec();
    continuous->click();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    // The counters as the panel shows them after the run.
    rates.push_back(panel.ControlAs<QLineEdit>(kEditSuccessCount)->text().toInt() / seconds);
    failed += panel.ControlAs<QLineEdit>(kEditFailCount)->text().toInt();
  }
  SetFigure(state, "per_s", Median(rates));
  SetFigure(state, "failed", failed);
  if (baud != 0) {
    // Request and reply on the wire, 10 bits a byte.
    const double bytes = static_cast<double>(kx::kFrameOverhead + kx::Info(kx::Command::Acquire).replyLength);
    SetFigure(state, "wire_limit_per_s", baud / 10.0 / bytes);
  }
}
BENCHMARK(BM_LiveReadings)->ArgNames({"baud", "trend"})->Args({0, 0})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LiveReadings)->ArgNames({"baud", "trend"})->Args({0, 1})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LiveReadings)->ArgNames({"baud", "trend"})->Args({38400, 0})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// GUI-thread CPU time of the live trend per reading: ten minutes of history at 30
// readings a second, one second of readings per iteration, repainted as its timer
// does (every 250 ms, so every 7.5 readings).
void BM_LiveTrendPerReading(benchmark::State& state) {
  CLiveTrendDlg trend;
  trend.show();
  QApplication::processEvents();
  auto* plot = trend.findChild<QWidget*>(QStringLiteral("trendPlot"));
  kx::LiveReading values;
  values.shown.fill(3.35);
  values.shown[kx::kLiveTotal] = 54.0;
  values.shown[kx::kLiveCurrent] = -12.5;
  double t = 1700000000;
  int n = 0;
  auto add = [&] {
    values.shown[n % kx::kLiveCells] = 3.30 + (n % 17) * 0.005;  // keeps the extremes moving
    trend.AddReading(t, values);
    t += 1.0 / 30;
    ++n;
  };
  while (trend.Ring().Size() < kx::panel::kTrendCapacity) add();
  std::vector<double> perReading;
  for (auto _ : state) {
    const double cpu0 = ThreadCpuMs();
    for (int k = 0; k < 30; ++k) {
      add();
      if (k % 8 == 7 || k == 29) plot->repaint();
    }
    perReading.push_back((ThreadCpuMs() - cpu0) / 30);
  }
  SetFigure(state, "cpu_per_reading_ms", Median(perReading));
  SetFigure(state, "history", static_cast<double>(trend.Ring().Size()));
}
BENCHMARK(BM_LiveTrendPerReading)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

// The largest gap between two ticks of a 10 ms heartbeat timer in the GUI thread
// while the panel, paced at 9600 baud, (0) downloads the 250-point group, (1)
// calibrates the temperature against a silent unit for its full 5 s wait, (2)
// runs 10 s of continuous acquisition at period 0. A gap is how long the window
// could not have painted.
void BM_GuiStall(benchmark::State& state) {
  const int operation = static_cast<int>(state.range(0));
  kx::VirtualDevice device;
  device.SetBaud(9600);
  device.SetPacing(true);
  device.SetGroups(kx::VirtualDevice::DefaultGroups(1700000000));
  if (operation == 1) device.SetFault(kx::Fault::Silence);
  ShownPanel shown(device, state);
  if (!shown.panel) return;
  CTesterDlg& panel = *shown.panel;
  panel.ControlAs<QLineEdit>(kEditGroupNo)->setText(QStringLiteral("1"));
  panel.ControlAs<QComboBox>(kComboCalTemp)->setCurrentIndex(0);

  double stall = 0, took = 0;
  for (auto _ : state) {
    QElapsedTimer sinceLast, clock;
    qint64 largest = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { largest = std::max(largest, sinceLast.restart()); });
    sinceLast.start();
    clock.start();
    heartbeat.start(10);
    // The calibration's outcome comes in a message box: dismissed at once.
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [] {
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    dismiss.start(50);
    switch (operation) {
      case 0:
        panel.ControlAs<QPushButton>(kBtnReadGroup)->click();
        break;
      case 1:
        panel.OnCalibrate(kBtnCalTemp);
        break;
      default: {
        auto* continuous = panel.ControlAs<QPushButton>(kBtnContinuous);
        continuous->click();
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        continuous->click();
      }
    }
    dismiss.stop();
    largest = std::max(largest, sinceLast.elapsed());
    stall = static_cast<double>(largest);
    took = static_cast<double>(clock.elapsed());
  }
  SetFigure(state, "stall_ms", stall);
  SetFigure(state, "operation_ms", took);
}
BENCHMARK(BM_GuiStall)->ArgName("op")->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Draw of a full group (255 points, all 40 cells) into the viewer's 890 x 560 image.
void BM_ChartDraw(benchmark::State& state) {
  CCurveGroup group;
  const time_t start = 1700000000;
  group.LoadGroupImage(kx::VirtualDevice::MakeGroup(start, 255, 7).image);
  group.m_colors = kx::BuildCurveColors();
  group.m_visible.fill(1);
  if (group.PointCount() != 255) {
    state.SkipWithError("the group did not load");
    return;
  }
  QImage image(kx::kChartWidth, kx::kChartHeight, QImage::Format_RGB32);
  std::vector<double> times, cpu;
  for (auto _ : state) {
    const double cpu0 = ThreadCpuMs();
    const Clock::time_point t0 = Clock::now();
    image.fill(Qt::white);
    QPainter painter(&image);
    kx::QPainterCanvas canvas(painter);
    kx::Draw(group, canvas, kx::Rect{0, 0, kx::kChartWidth, kx::kChartHeight}, false);
    painter.end();
    times.push_back(Ms(Clock::now() - t0));
    cpu.push_back(ThreadCpuMs() - cpu0);
  }
  SetFigure(state, "median_ms", Median(times));
  SetFigure(state, "p90_ms", Percentile(times, 0.9));
  // CPU time does not grow when other programs take the processor away.
  SetFigure(state, "cpu_median_ms", Median(cpu));
}
BENCHMARK(BM_ChartDraw)->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // The figures are for the offscreen platform, whatever the session has.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  kx::InstallSongSubstitution();
  QApplication::setFont(QFont(QString::fromUtf8(kx::kSongFace), 9));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

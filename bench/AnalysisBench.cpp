// The discharge analysis of a full group (255 points, 40 cells) against a
// baseline of the same size: what the viewer's pane, analyze and the report pay
// each time the parameters change.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "analysis/Discharge.h"
#include "sim/VirtualDevice.h"

namespace {

using namespace kxbench;

void BM_Analysis(benchmark::State& state) {
  CCurveGroup group, baseline;
  const time_t start = 1700000000;
  group.LoadGroupImage(kx::VirtualDevice::MakeGroup(start, 255, 7).image);
  baseline.LoadGroupImage(kx::VirtualDevice::MakeGroup(start - 86400 * 180, 255, 8).image);
  kx::analysis::Parameters parameters;
  parameters.ratedMinutes = 240;
  if (group.PointCount() != 255 || kx::analysis::Analyse(group, parameters, &baseline).connectedCells != 40) {
    state.SkipWithError("the groups did not load");
    return;
  }
  std::vector<double> times, cpu;
  for (auto _ : state) {
    const double cpu0 = ThreadCpuMs();
    const Clock::time_point t0 = Clock::now();
    const kx::analysis::Result result = kx::analysis::Analyse(group, parameters, &baseline);
    benchmark::DoNotOptimize(result.cells.data());
    times.push_back(Ms(Clock::now() - t0));
    cpu.push_back(ThreadCpuMs() - cpu0);
  }
  SetFigure(state, "median_ms", Median(times));
  SetFigure(state, "p90_ms", Percentile(times, 0.9));
  SetFigure(state, "cpu_median_ms", Median(cpu));
}
BENCHMARK(BM_Analysis)->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

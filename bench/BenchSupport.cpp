#include "BenchSupport.h"

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cmath>

namespace kxbench {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

long ThreadSleeps() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

double Percentile(std::vector<double> samples, double p) {
  if (samples.empty()) return NAN;
  std::sort(samples.begin(), samples.end());
  const double pos = p * static_cast<double>(samples.size() - 1);
  const size_t lo = static_cast<size_t>(std::floor(pos));
  const size_t hi = std::min(lo + 1, samples.size() - 1);
  return samples[lo] + (samples[hi] - samples[lo]) * (pos - static_cast<double>(lo));
}

double Median(std::vector<double> samples) { return Percentile(std::move(samples), 0.5); }

void SetFigure(benchmark::State& state, const char* name, double value) {
  state.counters[name] = benchmark::Counter(value);
}

}  // namespace kxbench

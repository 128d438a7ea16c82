#pragma once
// Small helpers shared by the benchmarks: clocks, medians and a simulated unit
// served on a pseudo-terminal with the real SerialPort opened on it.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace kxbench {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC, as the simulator stamps it

double Ms(Clock::duration d);
// CPU time of the calling thread, in milliseconds.
double ThreadCpuMs();
// Voluntary context switches of the calling thread: how often it went to sleep.
long ThreadSleeps();

double Median(std::vector<double> samples);
double Percentile(std::vector<double> samples, double p);

// Sets a plain counter (reported as is, not averaged over iterations).
void SetFigure(benchmark::State& state, const char* name, double value);

}  // namespace kxbench

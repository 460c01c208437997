// Benchmarks of the whole report run over generated machines. Prints the
// time per pin and per range, and the heap blocks the walk asked for (the
// driver answer buffers, which are its only heap use).
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "runner/sim_run.h"
#include "bench/bench_machines.h"

namespace ksr {
namespace {

void RunScaled(benchmark::State& state, BenchPin kind) {
  int scale = static_cast<int>(state.range(0));
  SimMachine machine = BenchMachine(scale, kind);
  double pins = kBenchPinsPerScale * scale;
  uint64_t answerBuffers = 0;
  for (auto _ : state) {
    SimRunResult run = SimRunReport(machine, "C:/bench", false);
    benchmark::DoNotOptimize(run.report.data());
    answerBuffers = SimHeap().allocations;
    if (!run.misuse.empty()) state.SkipWithError(run.misuse.front().c_str());
  }
  using benchmark::Counter;
  state.counters["per_pin"] = Counter(pins, Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["per_range"] =
      Counter(pins * kBenchRangesPerPin, Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["heap_blocks"] = static_cast<double>(answerBuffers);
  state.counters["heap_per_pin"] = static_cast<double>(answerBuffers) / pins;
}

void Normal(benchmark::State& state) { RunScaled(state, BenchPin::kNormal); }
void ZeroStepHugeCount(benchmark::State& state) { RunScaled(state, BenchPin::kZeroStepHugeCount); }
void FourByteStepHugeCount(benchmark::State& state) { RunScaled(state, BenchPin::kFourByteStepHugeCount); }
void OverReported(benchmark::State& state) { RunScaled(state, BenchPin::kOverReported); }

BENCHMARK(Normal)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(ZeroStepHugeCount)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FourByteStepHugeCount)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(OverReported)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ksr

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // The simulated machine copies whole machines per run; without a fixed
  // threshold glibc moves those copies between mmap and its heap as it
  // learns, and the first benchmarks pay for page faults the later don't.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

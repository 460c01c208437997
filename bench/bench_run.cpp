// One report run over the generated machine of a scale, for instruction
// counting: ksreport-bench-run SCALE [normal|zero-step|four-step|over-reported]
#include <cstdlib>
#include <cstring>

#include "runner/sim_run.h"
#include "bench/bench_machines.h"

int main(int argc, char** argv) {
  int scale = argc > 1 ? std::atoi(argv[1]) : 1;
  ksr::BenchPin kind = ksr::BenchPin::kNormal;
  if (argc > 2 && std::strcmp(argv[2], "zero-step") == 0) kind = ksr::BenchPin::kZeroStepHugeCount;
  if (argc > 2 && std::strcmp(argv[2], "four-step") == 0) kind = ksr::BenchPin::kFourByteStepHugeCount;
  if (argc > 2 && std::strcmp(argv[2], "over-reported") == 0) kind = ksr::BenchPin::kOverReported;
  ksr::SimMachine machine = ksr::BenchMachine(scale, kind);
  ksr::SimRunResult run = ksr::SimRunReport(machine, "C:/bench", false);
  return run.misuse.empty() ? 0 : 1;
}

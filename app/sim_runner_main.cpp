// ksreport-sim MACHINE.json OUTDIR: plays a machine file through one report
// run. Exit status: 0 clean, 1 misuse (listed on stderr), 2 unreadable
// machine (named on stderr; nothing run, no report).
#include <cstdio>
#include <filesystem>

#include "app/sim_run.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ksreport-sim MACHINE.json OUTDIR\n");
    return 2;
  }
  ksr::SimMachine machine;
  std::string error;
  if (!ksr::SimLoadMachineFile(argv[1], &machine, &error)) {
    std::fprintf(stderr, "ksreport-sim: %s\n", error.c_str());
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(argv[2], ec);
  ksr::SimRunResult result = ksr::SimRunReport(machine, argv[2], true);
  for (const std::string& line : result.misuse) std::fprintf(stderr, "misuse: %s\n", line.c_str());
  return result.misuse.empty() ? 0 : 1;
}

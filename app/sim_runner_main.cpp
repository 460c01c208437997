// ksreport-sim MACHINE.json OUTDIR: plays a machine file through one report
// run. Exit status: 0 clean, 1 misuse (listed on stderr), 2 unreadable
// machine (named on stderr; nothing run, no report), 3 the machine is a
// capture that was cut: the run is clean, but its report need not be the
// captured machine's (the reasons on stderr).
#include <cstdio>

#include "app/sim_command_line.h"
#include "app/sim_run.h"

int main(int argc, char** argv) {
  ksr::SimMachine machine;
  if (!ksr::SimCommandLine(argc, argv, "ksreport-sim", &machine)) return 2;
  ksr::SimRunResult result = ksr::SimRunReport(machine, argv[2], true);
  for (const std::string& line : result.misuse) std::fprintf(stderr, "misuse: %s\n", line.c_str());
  if (!result.misuse.empty()) return 1;
  if (machine.capture && !machine.capture->truncated.empty()) {
    std::fprintf(stderr, "ksreport-sim: %s is a capture that was cut, so its report need not be the "
                 "captured machine's:\n", argv[1]);
    for (const std::string& why : machine.capture->truncated) std::fprintf(stderr, "  %s\n", why.c_str());
    return 3;
  }
  return 0;
}

// One report run over a simulated machine, as the runner and the tests use it.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace ksr {

struct SimRunResult {
  std::string report;                // bytes of OUTDIR/ksreport.txt, empty if none
  bool reportWritten = false;        // that file was created
  std::vector<std::string> misuse;   // what the simulated platform saw
};

// Plays machine as the platform, runs the report once and ends the run.
SimRunResult SimRunReport(const SimMachine& machine, const std::string& outDir, bool writeFiles);

}  // namespace ksr

// One report run over a simulated machine, as the runner and the tests use it.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace ksr {

struct SimRunResult {
  std::string report;                // bytes of the report beside the program, empty if none
  bool reportWritten = false;        // that file was created
  std::vector<std::string> misuse;   // what the simulated platform saw
  std::string outputError;           // a file OUTDIR could not take (SimOutputError)
};

// Plays machine as the platform, runs the report once and ends the run.
// The program file is outDir/programName and its report is named after it.
// afterRun, when given, runs after the report run, before the run ends: the
// capture program writes its machine file there.
SimRunResult SimRunReport(const SimMachine& machine, const std::string& outDir, bool writeFiles,
                          const std::string& programName = "ksreport.exe", void (*afterRun)() = nullptr);

// The runner's exit status after a run over machine, with what it says on
// stderr: 1 when the platform saw misuse (each line of it), else 3 when the
// machine is a capture that was cut (that its output, what, need not be the
// captured machine's, and why), else 0. name stands for the machine file.
int SimRunExitStatus(const char* program, const std::string& name, const SimMachine& machine,
                     const std::vector<std::string>& misuse, const char* what);

// The runners' exit status when OUTDIR could not take what they write.
constexpr int kSimRunOutputLost = 4;

// True when the run's files all reached OUTDIR; otherwise says which could
// not be written, and why, on stderr.
bool SimRunOutputWritten(const char* program, const SimRunResult& result);

}  // namespace ksr

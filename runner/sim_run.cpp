#include "runner/sim_run.h"

#include <cstdio>

#include "app/run.h"
#include "kstream/kstream.h"
#include "report/writer.h"
#include "store/arena.h"

namespace ksr {

SimRunResult SimRunReport(const SimMachine& machine, const std::string& outDir, bool writeFiles,
                          const std::string& programName, void (*afterRun)()) {
  ReportWriterReset();
  KsRequestReset();
  SimStart(machine, outDir, writeFiles, programName);
  // Anything the platform writes into the store must stay inside it.
  SimGuardRegion(ArenaStoreStart(), ArenaStoreEnd());
  RunReport();
  if (afterRun != nullptr) afterRun();
  SimFinish();
  SimRunResult result;
  const std::string stem = programName.substr(0, programName.rfind('.'));
  std::optional<std::string> report = SimFileBytes(outDir + "/" + stem + ".txt");
  result.reportWritten = report.has_value();
  if (report) result.report = *report;
  result.misuse = SimMisuse();
  result.outputError = SimOutputError();
  return result;
}

bool SimRunOutputWritten(const char* program, const SimRunResult& result) {
  if (result.outputError.empty()) return true;
  std::fprintf(stderr, "%s: the output folder could not take a file: %s\n", program, result.outputError.c_str());
  return false;
}

int SimRunExitStatus(const char* program, const std::string& name, const SimMachine& machine,
                     const std::vector<std::string>& misuse, const char* what) {
  for (const std::string& line : misuse) std::fprintf(stderr, "misuse: %s\n", line.c_str());
  if (!misuse.empty()) return 1;
  if (machine.capture && !machine.capture->truncated.empty()) {
    std::fprintf(stderr, "%s: %s is a capture that was cut, so its %s need not be the captured machine's:\n",
                 program, name.c_str(), what);
    for (const std::string& why : machine.capture->truncated) std::fprintf(stderr, "  %s\n", why.c_str());
    return 3;
  }
  return 0;
}

}  // namespace ksr

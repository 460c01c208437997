#include "app/sim_run.h"

#include <cstdio>
#include <filesystem>

#include "app/run.h"
#include "report/report.h"
#include "store/arena.h"

namespace ksr {

SimRunResult SimRunReport(const SimMachine& machine, const std::string& outDir, bool writeFiles) {
  ReportWriterReset();
  SimStart(machine, outDir, writeFiles);
  // Anything the platform writes into the store must stay inside it.
  SimGuardRegion(ArenaStoreStart(), ArenaStoreEnd());
  RunReport();
  SimFinish();
  SimRunResult result;
  std::optional<std::string> report = SimFileBytes(outDir + "/ksreport.txt");
  result.reportWritten = report.has_value();
  if (report) result.report = *report;
  result.misuse = SimMisuse();
  return result;
}

int SimRunnerMain(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ksreport-sim MACHINE.json OUTDIR\n");
    return 2;
  }
  SimMachine machine;
  std::string error;
  if (!SimLoadMachineFile(argv[1], &machine, &error)) {
    std::fprintf(stderr, "ksreport-sim: %s\n", error.c_str());
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(argv[2], ec);
  SimRunResult result = SimRunReport(machine, argv[2], true);
  for (const std::string& line : result.misuse) std::fprintf(stderr, "misuse: %s\n", line.c_str());
  return result.misuse.empty() ? 0 : 1;
}

}  // namespace ksr

#include "app/sim_run.h"

#include "app/run.h"
#include "report/writer.h"
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

}  // namespace ksr

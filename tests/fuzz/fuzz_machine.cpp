// Fuzz target: any bytes become a whole hostile machine, played through one
// report run. Misuse seen by the simulated platform, a report without its
// footer, or anything the sanitizers catch is a finding.
#include <cstdio>
#include <cstdlib>

#include "runner/sim_run.h"
#include "report/layout.h"
#include "tests/fuzz/machine_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ksr::SimMachine machine = ksr::FuzzDecodeMachine(data, size);
  ksr::SimRunResult run = ksr::SimRunReport(machine, "C:/fuzz", false);
  for (const std::string& m : run.misuse) std::fprintf(stderr, "misuse: %s\n", m.c_str());
  std::string closing = std::string(ksr::kClosingPrefix) + ksr::ReportFeedbackAddress() + "!\r\n";
  bool footer = run.report.size() >= closing.size() &&
                run.report.compare(run.report.size() - closing.size(), closing.size(), closing) == 0;
  if (!run.misuse.empty() || !footer) std::abort();
  return 0;
}

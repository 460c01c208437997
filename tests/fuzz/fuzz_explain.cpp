// Fuzz target: any bytes become a whole hostile machine, played through one
// report run and explained. A note that finds no item, an explanation that
// lists other pins or ranges than the report of the same run, a line of
// text over 100 columns, JSON that does not parse, or anything the
// sanitizers catch is a finding.
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

#include "explain/explain_run.h"
#include "explain/explain_view.h"
#include "tests/explain_listing.h"
#include "tests/fuzz/machine_codec.h"

namespace {

void Finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ksr::SimMachine machine = ksr::FuzzDecodeMachine(data, size);
  ksr::ExplainRun explained = ksr::ExplainMachine(machine);
  if (explained.tree.strayNotes != 0) Finding("a note found no item");
  if (ksr::ExplainListing(explained.tree) != ksr::ReportListing(explained.run.report)) {
    Finding("the explanation lists otherwise than the report");
  }
  std::istringstream text(ksr::ExplainText("fuzz", explained.tree, true));
  for (std::string line; std::getline(text, line);) {
    if (ksr::ExplainColumns(line) > ksr::kExplainColumns) Finding("a line over 100 columns");
  }
  if (nlohmann::json::parse(ksr::ExplainJson("fuzz", explained.tree), nullptr, false).is_discarded()) {
    Finding("JSON that does not parse");
  }
  return 0;
}

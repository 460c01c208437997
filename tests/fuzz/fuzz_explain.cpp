// Fuzz target: any bytes become a whole hostile machine, played through one
// report run and explained. A note that finds no item, an explanation that
// lists other interfaces, pins or ranges than the report of the same run (or
// a report that does not parse, where no string of the machine makes lines
// of its own), a summary that leaves out other items than the report, a
// line of the default or the full text over 100 columns, JSON that does not
// parse, or anything the sanitizers catch is a finding
// (tests/explain_listing.h). The first byte picks answers to make cut, as a
// capture keeps those over its bound by their length only.
#include <cstdio>
#include <cstdlib>

#include "tests/explain_listing.h"
#include "tests/fuzz/machine_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ksr::SimMachine machine = ksr::FuzzDecodeMachine(data, size);
  if (size > 0) ksr::ExplainCutAnswers(&machine, data[0] & 0x80 ? 0x01010101u * data[0] : 0);
  nlohmann::json json;
  std::vector<std::string> faults = ksr::ExplainFaults("fuzz", machine, ksr::ExplainMachine(machine), &json);
  if (faults.empty()) return 0;
  for (const std::string& fault : faults) std::fprintf(stderr, "finding: %s\n", fault.c_str());
  std::abort();
}

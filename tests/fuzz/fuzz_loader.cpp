// Fuzz target: the machine-file loader over arbitrary text. Machine files
// come from customers' machines by mail (captures), so loading one must
// never crash or hang, and a file it refuses must be refused with a reason
// that names where ("KEY: what is wrong").
#include <cstdlib>
#include <string>

#include "platform/sim/sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  ksr::SimMachine machine;
  std::string error;
  if (ksr::SimLoadMachineText(text, &machine, &error)) {
    if (!error.empty()) std::abort();
    return 0;
  }
  size_t colon = error.find(": ");
  if (colon == std::string::npos || colon == 0 || colon + 2 == error.size()) std::abort();
  return 0;
}

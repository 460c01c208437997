// The tool on a system without the Windows platform: plays the built-in
// default machine and leaves ksreport.txt beside the program, printing
// nothing, as the Windows program does.
#include <filesystem>
#include <string>

#include "runner/sim_run.h"

namespace ksr {
extern const unsigned char kDefaultMachineJson[];
}

int main(int argc, char** argv) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argc > 0 ? argv[0] : "ksreport", ec);
  ksr::SimMachine machine;
  std::string error;
  if (!ksr::SimLoadMachineText(reinterpret_cast<const char*>(ksr::kDefaultMachineJson), &machine, &error)) return 2;
  ksr::SimRunResult result = ksr::SimRunReport(machine, self.parent_path().string(), true);
  return result.misuse.empty() ? 0 : 1;
}

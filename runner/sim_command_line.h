// The command line the simulated-machine runners share: PROGRAM MACHINE.json
// OUTDIR. Header only: each runner links its own simulated platform.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/sim/sim.h"

namespace ksr {

// Reads the machine and makes OUTDIR. False, with the reason on stderr (the
// runner then exits 2), when the arguments or the machine file are not right.
inline bool SimCommandLine(int argc, char** argv, const char* program, SimMachine* machine) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s MACHINE.json OUTDIR\n", program);
    return false;
  }
  std::string error;
  if (!SimLoadMachineFile(argv[1], machine, &error)) {
    std::fprintf(stderr, "%s: %s\n", program, error.c_str());
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(argv[2], ec);
  return true;
}

}  // namespace ksr

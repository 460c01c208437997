// Writes a machine file in the fuzzer's byte form: ksreport-fuzz-seed MACHINE.json OUT
#include <cstdio>
#include <fstream>

#include "tests/fuzz/machine_codec.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  ksr::SimMachine machine;
  std::string error;
  if (!ksr::SimLoadMachineFile(argv[1], &machine, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  std::vector<uint8_t> bytes = ksr::FuzzEncodeMachine(machine);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 2;
}

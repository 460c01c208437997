#include "tests/fuzz/machine_codec.h"

#include <gtest/gtest.h>

#include "machine_list.h"
#include "tests/test.h"

namespace ksr {
namespace {

TEST(FuzzCodec, EncodingIsStableForEveryMachineFile) {
  for (const char* name : kMachineFiles) {
    std::vector<uint8_t> bytes = FuzzEncodeMachine(LoadMachine(name));
    SimMachine decoded = FuzzDecodeMachine(bytes.data(), bytes.size());
    EXPECT_EQ(FuzzEncodeMachine(decoded), bytes) << name;
  }
}

TEST(FuzzCodec, MachinesWithinTheBoundsGiveTheSameReportAfterARoundTrip) {
  for (const char* name : {"examples/typical-machine.json", "examples/no-devices.json",
                           "tests/machines/pending-everywhere.json",
                           "tests/machines/report-create-failure.json"}) {
    SimMachine machine = LoadMachine(name);
    std::vector<uint8_t> bytes = FuzzEncodeMachine(machine);
    std::string expected = RunMachine(machine).report;
    EXPECT_EQ(RunMachine(FuzzDecodeMachine(bytes.data(), bytes.size())).report, expected) << name;
  }
}

TEST(FuzzCodec, FailingCallsSurviveARoundTripAndTheReportRunGoesOn) {
  SimMachine machine = LoadMachine("examples/typical-machine.json");
  machine.failCalls = {{"DeviceIoControl", 7, ERROR_GEN_FAILURE},
                       {"WriteFile", 2, ERROR_DISK_FULL},  // not for fuzzing: dropped
                       {"HeapAlloc", 2, ERROR_NOT_ENOUGH_MEMORY}};
  std::vector<uint8_t> bytes = FuzzEncodeMachine(machine);
  SimMachine decoded = FuzzDecodeMachine(bytes.data(), bytes.size());
  ASSERT_EQ(decoded.failCalls.size(), 2u);
  EXPECT_EQ(decoded.failCalls[0].op, "DeviceIoControl");
  EXPECT_EQ(decoded.failCalls[0].nth, 7u);
  EXPECT_EQ(decoded.failCalls[1].op, "HeapAlloc");
  EXPECT_EQ(decoded.failCalls[1].error, ERROR_NOT_ENOUGH_MEMORY);
  SimRunResult run = RunMachine(decoded);
  EXPECT_TRUE(run.misuse.empty());
  EXPECT_NE(run.report, RunMachine(LoadMachine("examples/typical-machine.json")).report)
      << "a failing request or buffer changes what is listed";
}

TEST(FuzzCodec, AnyBytesDecodeWithinTheBounds) {
  std::vector<uint8_t> noise(5000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 131 + 7);
  for (size_t cut : {size_t{0}, size_t{1}, size_t{17}, size_t{900}, noise.size()}) {
    SimMachine m = FuzzDecodeMachine(noise.data(), cut);
    EXPECT_LE(m.devices.size(), kFuzzMaxDevices);
    for (const SimDevice& d : m.devices) {
      EXPECT_LE(d.interfaces.size(), kFuzzMaxInterfaces);
      for (const SimInterface& i : d.interfaces) EXPECT_LE(i.pins.size(), kFuzzMaxPins);
    }
    SimRunResult run = RunMachine(m);
    EXPECT_TRUE(run.misuse.empty()) << run.misuse.front();
  }
}

}  // namespace
}  // namespace ksr

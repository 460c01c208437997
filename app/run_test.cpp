#include "app/run.h"

#include <gtest/gtest.h>

#include "report/layout.h"
#include "store/arena.h"
#include "store/records.h"
#include "tests/test.h"

namespace ksr {
namespace {

TEST(RunReport, TheDefaultMachineGivesItsExactReport) {
  SimRunResult run = RunMachine(LoadMachine("examples/typical-machine.json"));
  EXPECT_TRUE(run.misuse.empty());
  std::string banner = std::string(ReportBannerText()) + "\r\n";
  ASSERT_EQ(run.report.compare(0, banner.size(), banner), 0);
  EXPECT_EQ(run.report.substr(banner.size()), ExpectedReportOf("examples/typical-machine.json"));
}

TEST(RunReport, AnEmptyMachineIsTheFrameAlone) {
  SimRunResult run = RunMachine(SimMachine());
  EXPECT_TRUE(run.misuse.empty());
  EXPECT_EQ(run.report, EmptyReport());
}

TEST(RunReport, NoDeviceSetGivesTheFrameAloneAndDestroysNothing) {
  SimMachine machine;
  machine.deviceSet = false;
  machine.devices.push_back(TestDevice({SimPcmPin(2, 16, 44100, 44100)}));
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  EXPECT_EQ(run.report, EmptyReport());
  EXPECT_EQ(CallCount("SetupDiDestroyDeviceInfoList"), 0);
}

TEST(RunReport, EveryLineEndsInCrLf) {
  SimRunResult run = RunMachine(LoadMachine("examples/typical-machine.json"));
  ASSERT_FALSE(run.report.empty());
  EXPECT_EQ(run.report.substr(run.report.size() - 2), "\r\n");
  for (size_t i = 0; i < run.report.size(); ++i) {
    if (run.report[i] == '\n') {
      ASSERT_TRUE(i > 0 && run.report[i - 1] == '\r') << "at " << i;
    }
    if (run.report[i] == '\r') {
      ASSERT_EQ(run.report[i + 1], '\n') << "at " << i;
    }
  }
}

TEST(RunReport, AFullStoreEndsThePinsButNotTheReport) {
  const int kPins = 1200;  // more than 1 MiB of pin records
  std::vector<SimPin> pins(kPins, SimPcmPin(2, 16, 48000, 48000));
  SimMachine machine;
  machine.devices.push_back(TestDevice(pins));
  machine.devices[0].interfaces.push_back(TestInterface({SimPcmPin(2, 16, 8000, 8000)}));
  machine.devices.push_back(TestDevice({SimPcmPin(2, 16, 8000, 8000)}));
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty()) << run.misuse.front();
  std::string body = ReportBody(run.report);

  int listed = CountOf(body, "+Pin ");
  EXPECT_GT(listed, 1000);
  EXPECT_LT(listed, kPins);
  // Every listed pin got its whole range; no pin was asked past the last.
  EXPECT_EQ(CountOf(body, "MaxSampleRt: "), listed);
  uint32_t highest = 0;
  for (const SimCall& call : IoctlCalls()) {
    if (call.a != KSPROPERTY_PIN_CTYPES && call.b > highest) highest = call.b;
  }
  EXPECT_EQ(highest, static_cast<uint32_t>(listed - 1));
  // No room is left for the next device's record and strings: the walk
  // ends as if the enumeration had, and the footer still follows
  // (ReportBody checks it). With the 32-bit records the device's second
  // interface still finds room for its record and strings, but none for a
  // pin; with the 64-bit ones it finds none.
  EXPECT_EQ(CountOf(body, "Device Path: "), 1);
  const bool secondFits = sizeof(void*) == 4;
  EXPECT_EQ(CountOf(body, "\n   +"), secondFits ? 2 : 1);
  if (secondFits) {
    size_t second = body.find("\n   +", body.find("\n   +") + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(body.substr(second), "\n   +Speakers\r\n    NumPins: 00000001\r\n");
  }
  EXPECT_LE(ArenaTop(), ArenaStoreEnd());
  auto* first = reinterpret_cast<DeviceRecord*>(ArenaStoreStart());
  ASSERT_NE(first->FirstChild, nullptr);
  int kept = 0;
  for (PinRecord* pin = first->FirstChild->FirstChild; pin != nullptr; pin = pin->Next) ++kept;
  EXPECT_EQ(kept, listed);
}

// The program keeps its state in statics (the store, the writer, the
// request slots): runs of other machines before this one, one that
// abandons requests and one whose report could not be made at first,
// leave nothing behind that changes its report.
TEST(RunReport, EarlierRunsOfOtherMachinesChangeNothing) {
  SimMachine machine = LoadMachine("examples/typical-machine.json");
  SimRunResult first = RunMachine(machine);
  for (const char* other : {"tests/machines/hostile-driver.json", "tests/machines/held-requests.json",
                            "tests/machines/report-create-failure.json", "examples/typical-machine.json"}) {
    SimRunResult earlier = RunMachine(LoadMachine(other));
    EXPECT_FALSE(earlier.report.empty()) << other;
    SimRunResult again = RunMachine(machine);
    EXPECT_EQ(again.report, first.report) << "after " << other;
    EXPECT_EQ(again.misuse, first.misuse) << "after " << other;
  }
  EXPECT_TRUE(first.misuse.empty());
}

}  // namespace
}  // namespace ksr

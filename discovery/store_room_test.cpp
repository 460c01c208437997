// A store filled so that its top lands between a record and the room its
// strings need: the walk must stop there, as if the enumeration had ended,
// rather than write the item's lines with strings it could not read.
#include <gtest/gtest.h>

#include "store/arena.h"
#include "store/records.h"
#include "tests/test.h"

namespace ksr {
namespace {

TEST(StoreRoom, ADeviceWhoseStringsDoNotFitEndsTheWalk) {
  // The next device's record fits (with up to 8 bytes of alignment), the
  // four 260-byte string buffers after it do not.
  const uint32_t strings = 4 * (260 + 4);
  SimDevice filler = TestFillerLeaving(kDeviceRecordSize + 8 + 4, kDeviceRecordSize + strings);
  SimMachine machine;
  machine.devices = {filler, TestDevice({SimPcmPin(2, 16, 8000, 8000)})};
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  std::string body = ReportBody(run.report);
  EXPECT_EQ(body.find("Device Path: "), body.rfind("Device Path: ")) << "one device block only";
  EXPECT_EQ(CallCount("SetupDiEnumDeviceInfo"), 2) << "the second device was enumerated";
  EXPECT_EQ(CallCount("SetupDiDestroyDeviceInfoList"), 1);
}

TEST(StoreRoom, ADeviceWhoseStringsJustFitIsListedWhole) {
  // Room for the record and exactly its four string buffers, short of a
  // fifth: the device is read and listed as it would be alone.
  const uint32_t strings = 4 * (260 + 4);
  SimDevice filler = TestFillerLeaving(kDeviceRecordSize + 8 + strings, kDeviceRecordSize + strings + 260 + 4);
  SimDevice last = TestDevice({SimPcmPin(2, 16, 8000, 8000)});
  SimMachine alone;
  alone.devices = {last};
  const std::string lastBlock = ReportBody(RunMachine(alone).report);
  SimMachine machine;
  machine.devices = {filler, last};
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  std::string body = ReportBody(run.report);
  ASSERT_GE(body.size(), lastBlock.size());
  EXPECT_NE(body.find("Device Path: "), body.rfind("Device Path: ")) << "two device blocks";
  EXPECT_EQ(body.substr(body.size() - lastBlock.size()), lastBlock);
  EXPECT_EQ(CallCount("SetupDiEnumDeviceInfo"), 3) << "the walk ran to the end of the set";
}

TEST(StoreRoom, AnInterfaceWhoseStringsDoNotFitEndsTheDevicesInterfaces) {
  // Room for the second interface's record and its detail block, not for
  // its friendly name as well: without the check its Interface line would
  // stand with an empty name.
  SimInterface second = TestInterface({SimPcmPin(2, 16, 8000, 8000)});
  const uint32_t detail = (4 + static_cast<uint32_t>(second.path->size()) + 1 + 3) & ~3u;
  const uint32_t lo = kInterfaceRecordSize + 8 + 265 + 1;
  SimDevice filler = TestFillerLeaving(lo, kInterfaceRecordSize + detail + 264);
  filler.interfaces.push_back(second);
  SimMachine machine;
  machine.devices = {filler};
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  std::string body = ReportBody(run.report);
  EXPECT_EQ(body.find("\n   +"), body.rfind("\n   +")) << "one Interface line only";
  EXPECT_EQ(CallCount("SetupDiEnumDeviceInterfaces"), 2) << "the second one was enumerated";
  EXPECT_EQ(CallCount("CreateFileA"), 1) << "the first filter, nothing more";
}

}  // namespace
}  // namespace ksr

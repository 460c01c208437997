// A store filled so that its top lands between a record and the room its
// strings need: the walk must stop there, as if the enumeration had ended,
// rather than write the item's lines with strings it could not read.
#include <gtest/gtest.h>

#include <algorithm>

#include "store/arena.h"
#include "store/records.h"
#include "tests/test.h"

namespace ksr {
namespace {

// A first device that keeps `pins` pins under its one interface; `pad`
// characters (a multiple of 4) spread over its four strings move the top
// by exactly that many bytes.
SimDevice Filler(uint32_t pins, uint32_t pad) {
  SimDevice device = TestDevice(std::vector<SimPin>(pins, SimPcmPin(2, 16, 48000, 48000)));
  auto take = [&pad]() {
    uint32_t n = std::min<uint32_t>(pad, 256);
    pad -= n;
    return SimString(std::string(n, 'p'));
  };
  device.description = take();
  device.manufacturer = take();
  device.service = take();
  device.interfaces[0].friendlyName = take();
  return device;
}

// The room left in the store once the filler device is done.
uint32_t RoomAfter(const SimDevice& filler) {
  SimMachine machine;
  machine.devices = {filler};
  EXPECT_TRUE(RunMachine(machine).misuse.empty());
  return static_cast<uint32_t>(ArenaStoreEnd() - ArenaTop());
}

// A filler that leaves a room in [lo, hi): pins by the hundred, then pad.
SimDevice FillerLeaving(uint32_t lo, uint32_t hi) {
  uint32_t one = RoomAfter(Filler(1, 0));
  uint32_t perPin = one - RoomAfter(Filler(2, 0));
  uint32_t pins = 1 + (one - lo) / perPin;  // the most pins that leave at least lo
  uint32_t room = RoomAfter(Filler(pins, 0));
  uint32_t pad = room >= hi ? (room - hi + 4) & ~3u : 0;
  SimDevice filler = Filler(pins, pad);
  room = RoomAfter(filler);
  EXPECT_TRUE(room >= lo && room < hi) << "room " << room << " not in [" << lo << ", " << hi << ")";
  return filler;
}

TEST(StoreRoom, ADeviceWhoseStringsDoNotFitEndsTheWalk) {
  // The next device's record fits (with up to 8 bytes of alignment), the
  // four 260-byte string buffers after it do not.
  const uint32_t strings = 4 * (260 + 4);
  SimDevice filler = FillerLeaving(kDeviceRecordSize + 8 + 4, kDeviceRecordSize + strings);
  SimMachine machine;
  machine.devices = {filler, TestDevice({SimPcmPin(2, 16, 8000, 8000)})};
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  std::string body = ReportBody(run.report);
  EXPECT_EQ(body.find("Device Path: "), body.rfind("Device Path: ")) << "one device block only";
  EXPECT_EQ(CallCount("SetupDiEnumDeviceInfo"), 2) << "the second device was enumerated";
  EXPECT_EQ(CallCount("SetupDiDestroyDeviceInfoList"), 1);
}

TEST(StoreRoom, AnInterfaceWhoseStringsDoNotFitEndsTheDevicesInterfaces) {
  // Room for the second interface's record and its detail block, not for
  // its friendly name as well: without the check its Interface line would
  // stand with an empty name.
  SimInterface second = TestInterface({SimPcmPin(2, 16, 8000, 8000)});
  const uint32_t detail = (4 + static_cast<uint32_t>(second.path->size()) + 1 + 3) & ~3u;
  const uint32_t lo = kInterfaceRecordSize + 8 + 265 + 1;
  SimDevice filler = FillerLeaving(lo, kInterfaceRecordSize + detail + 264);
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

// The simulated machine must catch the misuse it promises to catch, or the
// clean runs of every other test prove nothing.
#include "platform/sim/sim.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "tests/test.h"

namespace ksr {
namespace {

class SimMisuseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SimMachine machine;
    machine.devices.push_back(TestDevice({SimDefaultPin()}));
    machine.devices[0].interfaces[0].pins[0].dataflow = SimPending();
    path_ = *machine.devices[0].interfaces[0].path;
    SimStart(machine, kTestOutDir, false);
  }
  HANDLE OpenFilter() {
    return CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
  }
  // Flags seen, after the end of the run.
  std::string Seen() {
    SimFinish();
    std::string all;
    for (const std::string& m : SimMisuse()) all += m + "\n";
    return all;
  }
  std::string path_;
};

TEST_F(SimMisuseTest, HandlesClosedTwiceOrNever) {
  HANDLE filter = OpenFilter();
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CloseHandle(filter);
  CloseHandle(filter);
  std::string seen = Seen();
  EXPECT_NE(seen.find("closed twice"), std::string::npos) << seen;
  EXPECT_NE(seen.find("event"), std::string::npos) << seen;
  (void)event;
}

TEST_F(SimMisuseTest, DeviceSetAndKeysMustBeReleasedBeforeTheNextInterface) {
  HDEVINFO set = SetupDiGetClassDevsA(&KSCATEGORY_AUDIO, nullptr, nullptr, 0x12);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));
  SP_DEVICE_INTERFACE_DATA iface = {};
  iface.cbSize = sizeof iface;
  ASSERT_TRUE(SetupDiEnumDeviceInterfaces(set, &device, &KSCATEGORY_AUDIO, 0, &iface));
  HKEY key = SetupDiOpenDeviceInterfaceRegKey(set, &iface, 0, KEY_READ);
  ASSERT_NE(key, INVALID_HANDLE_VALUE);
  SetupDiEnumDeviceInterfaces(set, &device, &KSCATEGORY_AUDIO, 1, &iface);
  std::string seen = Seen();
  EXPECT_NE(seen.find("still open when the next item is enumerated"), std::string::npos) << seen;
  EXPECT_NE(seen.find("device set"), std::string::npos) << seen;
  EXPECT_NE(seen.find("registry key"), std::string::npos) << seen;
}

TEST_F(SimMisuseTest, WrongCbSizeFailsAsWindowsDoes) {
  HDEVINFO set = SetupDiGetClassDevsA(&KSCATEGORY_AUDIO, nullptr, nullptr, 0x12);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device - 4;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_USER_BUFFER);
  SetupDiDestroyDeviceInfoList(set);
  EXPECT_NE(Seen().find("wrong cbSize"), std::string::npos);
}

TEST_F(SimMisuseTest, PlatformWritesPastAGuardedRegionAreFlagged) {
  uint8_t memory[300] = {};
  SimGuardRegion(memory, memory + 200);
  HDEVINFO set = SetupDiGetClassDevsA(&KSCATEGORY_AUDIO, nullptr, nullptr, 0x12);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  SetupDiEnumDeviceInfo(set, 0, &device);
  SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_MFG, nullptr, memory + 100, 200, nullptr);
  SetupDiDestroyDeviceInfoList(set);
  EXPECT_NE(Seen().find("runs past the end of its memory"), std::string::npos);
}

TEST_F(SimMisuseTest, HeapBlocksMustBeFreedOnce) {
  void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 16);
  void* leaked = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 8);
  HeapFree(GetProcessHeap(), 0, block);
  HeapFree(GetProcessHeap(), 0, block);
  std::string seen = Seen();
  EXPECT_NE(seen.find("block that is not allocated"), std::string::npos) << seen;
  EXPECT_NE(seen.find("8 bytes not freed"), std::string::npos) << seen;
  (void)leaked;
}

}  // namespace
}  // namespace ksr

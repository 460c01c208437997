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
  uint8_t block_[32] = {};
  void PinGet(uint32_t property) {
    GuidToBytes(KSPROPSETID_Pin, block_);
    block_[16] = static_cast<uint8_t>(property);
    block_[20] = 1;
  }
  // Sends the data-flow GET of pin 0 on filter with event in its OVERLAPPED.
  BOOL SendDataflow(HANDLE filter, OVERLAPPED* ov, HANDLE event, uintptr_t tag) {
    *ov = OVERLAPPED();
    ov->hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(event) | tag);
    PinGet(KSPROPERTY_PIN_DATAFLOW);
    return DeviceIoControl(filter, IOCTL_KS_PROPERTY, block_, 32, out_, 4, &count_, ov);
  }
  uint8_t out_[4] = {};
  DWORD count_ = 0;
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

TEST_F(SimMisuseTest, RequestsThatAreNotPinPropertyGets) {
  HANDLE filter = OpenFilter();
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  OVERLAPPED ov = {};
  ov.hEvent = event;
  DWORD count = 0;
  PinGet(KSPROPERTY_PIN_CTYPES);
  block_[20] = 2;  // SET
  EXPECT_FALSE(DeviceIoControl(filter, IOCTL_KS_PROPERTY, block_, 32, nullptr, 0, &count, &ov));
  PinGet(KSPROPERTY_PIN_CTYPES);
  EXPECT_FALSE(DeviceIoControl(filter, IOCTL_KS_PROPERTY, block_, 24, nullptr, 0, &count, &ov));
  CloseHandle(event);
  CloseHandle(filter);
  std::string seen = Seen();
  EXPECT_NE(seen.find("not a 32-byte pin-property GET"), std::string::npos) << seen;
}

TEST_F(SimMisuseTest, APendingRequestMustEndBeforeItsPartsAreGivenUp) {
  HANDLE filter = OpenFilter();
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  OVERLAPPED ov;
  EXPECT_FALSE(SendDataflow(filter, &ov, event, 1));
  EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_FAILED) << "nothing would ever signal it";
  CloseHandle(event);
  CloseHandle(filter);
  std::string seen = Seen();
  EXPECT_NE(seen.find("closed while its request is outstanding"), std::string::npos) << seen;
  EXPECT_NE(seen.find("waits forever"), std::string::npos) << seen;
  EXPECT_NE(seen.find("still outstanding"), std::string::npos) << seen;
}

TEST_F(SimMisuseTest, CancellingEndsAPendingRequestAndSignalsItsEvent) {
  HANDLE filter = OpenFilter();
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  OVERLAPPED ov;
  EXPECT_FALSE(SendDataflow(filter, &ov, event, 0));
  EXPECT_TRUE(CancelIoEx(filter, &ov));
  EXPECT_EQ(ov.Internal, 0xC0000120u);
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  EXPECT_FALSE(CancelIoEx(filter, &ov)) << "nothing left to cancel";
  CloseHandle(event);
  CloseHandle(filter);
  EXPECT_EQ(Seen(), "");
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

TEST(SimDelivery, SizeQueriesAndShortBuffersYieldTheNeededSize) {
  SimMachine machine;
  SimPin pin = SimDefaultPin();
  pin.interfaces.sizeQuery = 7;
  machine.devices.push_back(TestDevice({pin}));
  SimStart(machine, kTestOutDir, false);
  HANDLE filter = CreateFileA(machine.devices[0].interfaces[0].path->c_str(), 0, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  uint8_t block[32] = {};
  GuidToBytes(KSPROPSETID_Pin, block);
  block[16] = KSPROPERTY_PIN_INTERFACES;
  block[20] = 1;
  OVERLAPPED ov = {};
  ov.hEvent = event;
  DWORD count = 0;
  uint8_t out[40];
  std::memset(out, 0xEE, sizeof out);
  EXPECT_FALSE(DeviceIoControl(filter, IOCTL_KS_PROPERTY, block, 32, nullptr, 0, &count, &ov));
  EXPECT_EQ(count, 7u);
  EXPECT_FALSE(DeviceIoControl(filter, IOCTL_KS_PROPERTY, block, 32, out, 31, &count, &ov));
  EXPECT_EQ(count, 32u);
  EXPECT_EQ(out[0], 0xEE) << "a refused request writes nothing";
  EXPECT_TRUE(DeviceIoControl(filter, IOCTL_KS_PROPERTY, block, 32, out, 40, &count, &ov));
  EXPECT_EQ(count, 32u);
  EXPECT_EQ(out[32], 0xEE);
  CloseHandle(event);
  CloseHandle(filter);
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty());
}

}  // namespace
}  // namespace ksr

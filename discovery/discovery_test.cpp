#include "discovery/discovery.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "store/arena.h"
#include "tests/test.h"

namespace ksr {
namespace {

std::string Block(const std::string& hardwareId, const std::string& bus, const std::string& line,
                  const std::string& instance) {
  return "\r\n---------------------- 8< ----------------------\r\nDevice Path: " + hardwareId +
         "\r\nDevice BUS NUMBER = " + bus + "\r\n" + line + "\r\nInstance ID: " + instance + "\r\n";
}

const char kTestBlockLine[] = "Test Audio / Generic / testaud.sys";

std::string TestBlock() { return Block("TEST\\AUDIO_01", "00000001", kTestBlockLine, "00000042"); }

// A device whose one interface passes every gate and has no pins.
SimMachine OneInterface(const SimInterface& iface) {
  SimMachine machine;
  SimDevice device = TestDevice({});
  device.interfaces = {iface};
  machine.devices.push_back(device);
  return machine;
}

std::string BodyOf(const SimMachine& machine) {
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty()) << run.misuse.front();
  return ReportBody(run.report);
}


TEST(DeviceWalk, WritesOneBlockPerDeviceInEnumerationOrder) {
  SimMachine machine;
  SimDevice a = TestDevice({});
  a.hardwareIds = SimMulti({"PCI\\VEN_1&DEV_2", "PCI\\VEN_1"});
  a.busNumber = SimU32Bytes(3);
  SimDevice b = TestDevice({});
  b.devInst = 0xABCDEF01;
  b.description = SimString("Second");
  b.interfaces.clear();
  machine.devices = {a, b};
  EXPECT_EQ(BodyOf(machine),
            Block("PCI\\VEN_1&DEV_2", "00000003", kTestBlockLine, "00000042") +
                "   +Speakers\r\n    NumPins: 00000000\r\n" +
                Block("TEST\\AUDIO_01", "00000001", "Second / Generic / testaud.sys", "ABCDEF01"));
  EXPECT_EQ(CallCount("SetupDiDestroyDeviceInfoList"), 1);
}

TEST(DeviceWalk, EveryPropertyReadFailing) {
  SimMachine machine;
  SimDevice device;
  device.devInst = 7;
  machine.devices = {device};
  EXPECT_EQ(BodyOf(machine), Block("", "00000000", " /  / .sys", "00000007"));
}

TEST(DeviceWalk, ReadsTheFivePropertiesInOrderWith260ByteBuffers) {
  SimMachine machine;
  machine.devices = {TestDevice({})};
  RunMachine(machine);
  std::vector<std::pair<uint32_t, uint32_t>> reads;
  for (const SimCall& call : SimCalls()) {
    if (call.op == "SetupDiGetDeviceRegistryPropertyA") reads.emplace_back(call.a, call.b);
  }
  std::vector<std::pair<uint32_t, uint32_t>> expected = {
      {SPDRP_DEVICEDESC, 260}, {SPDRP_HARDWAREID, 260}, {SPDRP_BUSNUMBER, 4}, {SPDRP_MFG, 260},
      {SPDRP_SERVICE, 260}};
  EXPECT_EQ(reads, expected);
}

TEST(DeviceWalk, AValueOf260BytesFitsAndOneOf261IsEmpty) {
  SimMachine machine;
  SimDevice device = TestDevice({});
  device.interfaces.clear();
  device.description = SimString(std::string(259, 'd'));
  device.manufacturer = SimString(std::string(260, 'm'));
  device.hardwareIds = SimMulti({std::string(258, 'h')});  // 258 + NUL + NUL
  machine.devices = {device};
  EXPECT_EQ(BodyOf(machine), Block(std::string(258, 'h'), "00000001",
                                   std::string(259, 'd') + " /  / testaud.sys", "00000042"));
}

TEST(DeviceWalk, StringsWithoutANulNeverShowStaleBytes) {
  SimMachine machine;
  SimDevice device = TestDevice({});
  device.interfaces.clear();
  // The manufacturer is read where the longer hardware IDs were.
  device.hardwareIds = SimMulti({"HWID_THAT_IS_LONG"});
  device.manufacturer = SimBytes{'M', 'M'};
  device.service = SimBytes(260, 's');  // fills the buffer, no NUL
  machine.devices = {device};
  EXPECT_EQ(BodyOf(machine), Block("HWID_THAT_IS_LONG", "00000001",
                                   "Test Audio / MM / " + std::string(259, 's') + ".sys",
                                   "00000042"));
}

TEST(DeviceWalk, AShortBusNumberLeavesTheRestZero) {
  SimMachine machine;
  SimDevice device = TestDevice({});
  device.interfaces.clear();
  device.busNumber = SimBytes{0x05};
  SimDevice tooLong = device;
  tooLong.busNumber = SimBytes{1, 2, 3, 4, 5};
  machine.devices = {device, tooLong};
  EXPECT_EQ(BodyOf(machine), Block("TEST\\AUDIO_01", "00000005", kTestBlockLine, "00000042") +
                                 Block("TEST\\AUDIO_01", "00000000", kTestBlockLine, "00000042"));
}

TEST(DeviceWalk, TheSecondOfThreeDevicesKeepsNothing) {
  SimMachine machine;
  SimDevice kept = TestDevice({SimPcmPin(2, 16, 44100, 44100)});
  SimDevice dropped = TestDevice({SimDefaultPin()});
  machine.devices = {kept, dropped, kept};
  RunMachine(machine);
  auto* first = reinterpret_cast<DeviceRecord*>(ArenaStoreStart());
  ASSERT_NE(first->Next, nullptr);
  DeviceRecord* third = first->Next;
  EXPECT_EQ(third->Prev, first);
  EXPECT_EQ(third->Next, nullptr);
  EXPECT_EQ(third->DeviceInfoData.Reserved, 3u) << "the third device's record";
  EXPECT_STREQ(third->Description, "Test Audio");
  ASSERT_NE(third->FirstChild, nullptr);
  EXPECT_EQ(third->FirstChild->DeviceHandle, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(third->FirstChild->FriendlyName, "Speakers");
}

TEST(DeviceWalk, AFailedEnumerationEndsTheWalkAndTheSetIsStillDestroyed) {
  SimMachine machine;
  machine.devices = {TestDevice({}), TestDevice({}), TestDevice({})};
  machine.failCalls.push_back({"SetupDiEnumDeviceInfo", 2, ERROR_INVALID_DATA});
  EXPECT_EQ(BodyOf(machine), TestBlock() + "   +Speakers\r\n" + NumPins("00000000"))
      << "the failing index ends the walk";
  EXPECT_EQ(CallCount("SetupDiEnumDeviceInfo"), 2) << "later indexes are not tried";
  EXPECT_EQ(CallCount("SetupDiDestroyDeviceInfoList"), 1);
}

TEST(DeviceWalk, AWalkThatKeepsNothingEmptiesTheStore) {
  SimMachine machine;
  machine.devices = {TestDevice({SimDefaultPin()}), TestDevice({})};
  RunMachine(machine);
  EXPECT_EQ(ArenaTop(), ArenaStoreStart());
}

TEST(InterfaceGates, FlagsMustBeNonZeroAndNotRemoved) {
  for (DWORD flags : std::initializer_list<DWORD>{SPINT_DEFAULT, SPINT_ACTIVE | SPINT_REMOVED, 0, SPINT_REMOVED}) {
    SimInterface iface = TestInterface({});
    iface.flags = flags;
    std::string shown = flags == SPINT_DEFAULT ? "   +Speakers\r\n    NumPins: 00000000\r\n" : "";
    EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock() + shown) << "flags " << flags;
  }
}

TEST(InterfaceGates, DevicePathsOf260And261Characters) {
  SimInterface iface = TestInterface({});
  iface.path = std::string(260, 'p');
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock() + "   +Speakers\r\n    NumPins: 00000000\r\n");
  iface.path = std::string(261, 'p');
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock());
  iface.path.reset();
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock());
}

TEST(InterfaceGates, RenderAliasFirstThenCapture) {
  struct Case {
    std::optional<uint32_t> render, capture;
    bool shown;
    int aliasCalls;
  } cases[] = {
      {std::nullopt, SPINT_ACTIVE, true, 2},         // capture alias only
      {SPINT_ACTIVE, std::nullopt, true, 1},         // capture never asked
      {SPINT_REMOVED, SPINT_ACTIVE, true, 2},        // render removed, capture usable
      {0u, SPINT_ACTIVE | SPINT_REMOVED, false, 2},  // neither usable
      {std::nullopt, std::nullopt, false, 2},
  };
  for (const Case& c : cases) {
    SimInterface iface = TestInterface({});
    iface.renderAlias = c.render;
    iface.captureAlias = c.capture;
    std::string shown = c.shown ? "   +Speakers\r\n    NumPins: 00000000\r\n" : "";
    EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock() + shown);
    EXPECT_EQ(CallCount("SetupDiGetDeviceInterfaceAlias"), c.aliasCalls);
  }
}

TEST(InterfaceGates, AFilterThatCannotBeOpenedIsNotClosed) {
  SimInterface iface = TestInterface({});
  iface.opens = false;
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock());
  EXPECT_EQ(CallCount("CloseHandle"), 0);
  EXPECT_EQ(CallCount("SetupDiOpenDeviceInterfaceRegKey"), 0);
}

TEST(InterfaceGates, AKeyThatCannotBeOpenedClosesTheFilterOnce) {
  SimInterface iface = TestInterface({});
  iface.registryKey = false;
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock());
  EXPECT_EQ(CallCount("CloseHandle"), 1);
  EXPECT_EQ(CallCount("DeviceIoControl"), 0);
}

TEST(InterfaceGates, FriendlyNames) {
  SimInterface iface = TestInterface({});
  iface.friendlyName.reset();
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock() + "   +\r\n    NumPins: 00000000\r\n");
  iface.friendlyName = SimString(std::string(263, 'n'));
  EXPECT_EQ(BodyOf(OneInterface(iface)),
            TestBlock() + "   +" + std::string(263, 'n') + "\r\n    NumPins: 00000000\r\n");
  // Too long: the registry leaves the buffer as it was, and the name is
  // what the buffer held before the read.
  iface.friendlyName = SimString(std::string(264, 'n'));
  iface.friendlyNameFill = false;
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock() + "   +\r\n    NumPins: 00000000\r\n");
  for (const SimCall& call : SimCalls()) {
    if (call.op != "RegQueryValueExA") continue;
    EXPECT_EQ(call.error, ERROR_MORE_DATA);
    EXPECT_EQ(std::count(call.out.begin(), call.out.end(), 'n') + std::count(call.out.begin(), call.out.end(), 'A'), 0);
  }
  // A careless stack fills the buffer without a NUL; the name is cut inside
  // the buffer.
  iface.friendlyNameFill = true;
  EXPECT_EQ(BodyOf(OneInterface(iface)),
            TestBlock() + "   +" + std::string(263, 'A') + "\r\n    NumPins: 00000000\r\n");
  // A name that fits is delivered whatever the stack does with long ones.
  iface.friendlyName = SimString(std::string(263, 'n'));
  EXPECT_EQ(BodyOf(OneInterface(iface)),
            TestBlock() + "   +" + std::string(263, 'n') + "\r\n    NumPins: 00000000\r\n");
  iface.friendlyName = SimBytes{'N', 'o', 'N', 'u', 'l'};
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock() + "   +NoNul\r\n    NumPins: 00000000\r\n");
}

TEST(InterfaceGates, ASkippedInterfaceUsesUpItsIndex) {
  SimMachine machine = OneInterface(TestInterface({}));
  SimInterface skipped = TestInterface({});
  skipped.flags = 0;
  SimInterface second = TestInterface({});
  second.friendlyName = SimString("Second");
  machine.devices[0].interfaces = {skipped, second};
  EXPECT_EQ(BodyOf(machine), TestBlock() + "   +Second\r\n    NumPins: 00000000\r\n");
  std::vector<uint32_t> indexes;
  for (const SimCall& call : SimCalls()) {
    if (call.op == "SetupDiEnumDeviceInterfaces") indexes.push_back(call.a);
  }
  EXPECT_EQ(indexes, (std::vector<uint32_t>{0, 1, 2}));
}

TEST(InterfaceGates, OpensTheFilterForOverlappedReadWrite) {
  RunMachine(OneInterface(TestInterface({})));
  int opens = 0;
  for (const SimCall& call : SimCalls()) {
    if (call.op != "CreateFileA" || call.c != OPEN_EXISTING) continue;
    ++opens;
    EXPECT_EQ(call.a, GENERIC_READ | GENERIC_WRITE);
    EXPECT_EQ(call.b, 0u);
    EXPECT_EQ(call.d, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED);
  }
  EXPECT_EQ(opens, 1);
}

TEST(InterfaceGates, APinCountThatCannotBeReadReleasesTheInterfaceAndDevice) {
  SimInterface iface = TestInterface({SimPcmPin(2, 16, 48000, 48000)});
  iface.pinTypes = SimAbsent();
  EXPECT_EQ(BodyOf(OneInterface(iface)), TestBlock() + "   +Speakers\r\n");
  EXPECT_EQ(ArenaTop(), ArenaStoreStart());
}

}  // namespace
}  // namespace ksr

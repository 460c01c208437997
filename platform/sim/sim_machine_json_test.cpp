#include <gtest/gtest.h>

#include <map>

#include "machine_list.h"
#include "platform/machine_keys.h"
#include "platform/sim/sim.h"
#include "tests/test.h"

namespace ksr {
namespace {

std::string LoadError(const std::string& text) {
  SimMachine machine;
  std::string error;
  EXPECT_FALSE(SimLoadMachineText(text, &machine, &error)) << text;
  return error;
}

SimMachine Load(const std::string& text) {
  SimMachine machine;
  std::string error;
  EXPECT_TRUE(SimLoadMachineText(text, &machine, &error)) << error;
  return machine;
}

TEST(MachineFile, ErrorsNameTheKey) {
  EXPECT_EQ(LoadError(R"({"devics": []})"), "machine.devics: unknown key");
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"pins": [{"dataflw": 1}]}]}]})"),
            "devices[0].interfaces[0].pins[0].dataflw: unknown key");
  EXPECT_EQ(LoadError(R"({"devices": [{"busNumber": -1}]})"), "devices[0].busNumber: negative number");
  EXPECT_EQ(LoadError(R"({"devices": [{"devInst": 4294967296}]})"),
            "devices[0].devInst: number above 2^32-1");
  EXPECT_EQ(LoadError(R"({"devices": [{"description": {"hex": "4"}}]})"),
            "devices[0].description.hex: expected an even number of hex digits");
  EXPECT_EQ(LoadError(R"({"deviceSet": 1})"), "deviceSet: expected true or false");
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"pins": [{"dataRanges": [{"major": "NOPE"}]}]}]}]})"),
            "devices[0].interfaces[0].pins[0].dataRanges[0].major: not a GUID: NOPE");
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"pins": [{"mediums": "later"}]}]}]})"),
            "devices[0].interfaces[0].pins[0].mediums: expected \"pending\"");
  EXPECT_EQ(LoadError("{"), "machine: not valid JSON");
  EXPECT_EQ(LoadError("[]"), "machine: expected an object");
}

// Of two bad answers of a pin, the single answers are read first.
TEST(MachineFile, APinsSingleAnswersAreCheckedBeforeItsLists) {
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"pins": [{"mediums": "later", "dataflow": "later"}]}]}]})"),
            "devices[0].interfaces[0].pins[0].dataflow: expected a number in 0..2^32-1 or a \"0x...\" string");
}

// Every device property and pin property the file names has its place in
// the simulated machine.
TEST(MachineFile, EveryPropertyKeyHasAField) {
  for (const MachineKey& k : kMachineDeviceKeys) {
    EXPECT_NE(SimDevicePropertyField(k.Property), nullptr) << k.Key;
  }
  for (const MachineKey& k : kMachinePinKeys) EXPECT_NE(SimPinPropertyField(k.Property), nullptr) << k.Key;
}

TEST(MachineFile, NumbersStringsAndAnswers) {
  SimMachine m = Load(R"({"devices": [{"devInst": "0xBEEF", "description": {"hex": "414243"},
      "hardwareIds": ["A", "B"], "busNumber": {"hex": "05"},
      "interfaces": [{"pinTypes": {"hex": "0200", "reported": 4},
        "pins": [{"communication": null, "globalInstances": [1, 0], "dataflow": "pending"}]}]}]})");
  const SimDevice& d = m.devices[0];
  EXPECT_EQ(d.devInst, 0xBEEFu);
  EXPECT_EQ(*d.description, (SimBytes{'A', 'B', 'C'}));
  EXPECT_EQ(*d.hardwareIds, (SimBytes{'A', 0, 'B', 0, 0}));
  EXPECT_EQ(*d.busNumber, (SimBytes{5}));
  EXPECT_FALSE(d.manufacturer.has_value());
  const SimInterface& i = d.interfaces[0];
  EXPECT_EQ(i.flags, 1u);
  EXPECT_EQ(i.pinTypes->bytes, (SimBytes{2, 0}));
  EXPECT_EQ(*i.pinTypes->reported, 4u);
  const SimPin& p = i.pins[0];
  EXPECT_EQ(p.communication.kind, SimAnswer::kAbsent);
  EXPECT_EQ(p.globalInstances.bytes, (SimBytes{1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(p.dataflow.kind, SimAnswer::kPending);
  EXPECT_EQ(p.mediums.bytes, SimDefaultPin().mediums.bytes) << "defaults stand";
}

TEST(MachineFile, ListsAndDataRanges) {
  SimMachine m = Load(R"({"devices": [{"interfaces": [{"pins": [{
      "interfaces": {"items": [["KSINTERFACESETID_Standard", 0, 0]], "count": 3, "size": 1, "sizeQuery": 9},
      "mediums": [["4747b320-62ce-11cf-a5d6-28db04c10000", 2, "0x10"]],
      "dataRanges": [{"formatSize": 40, "maxChannels": 2}, {"formatSize": 2000}, {"hex": "AB"}]}]}]}]})");
  const SimPin& p = m.devices[0].interfaces[0].pins[0];
  ASSERT_EQ(p.interfaces.bytes.size(), 32u);
  EXPECT_EQ(p.interfaces.bytes[0], 1) << "size replaced";
  EXPECT_EQ(p.interfaces.bytes[4], 3) << "count replaced";
  EXPECT_EQ(*p.interfaces.sizeQuery, 9u);
  EXPECT_EQ(p.mediums.bytes, SimList({SimIdentifier(KSMEDIUMSETID_Standard, 2, 16)}).bytes);
  // 40 bytes cut, 84 bytes unpadded for a size above 1024, then one raw byte.
  ASSERT_EQ(p.dataRanges.bytes.size(), 8u + 40 + 84 + 1);
  EXPECT_EQ(p.dataRanges.bytes[8 + 40], 0xD0);
  EXPECT_EQ(p.dataRanges.bytes[8 + 40 + 1], 0x07) << "2000 stands in the field";
  EXPECT_EQ(p.dataRanges.bytes.back(), 0xAB);
}

// The optional keys a capture writes: values and answers it saw refused for
// size (unread), errors, pending requests and how they ended, data queries
// that did not follow the delivery rule, paths as bytes, provenance.
TEST(MachineFile, CaptureKeys) {
  SimMachine m = Load(R"({"capture": {"program": "ksreport-capture", "version": "0.1.0", "arch": "x86",
        "truncated": ["an answer over 1 MiB"]},
      "devices": [{"hardwareIds": {"unread": 300},
        "interfaces": [{"pathUnread": 270, "friendlyName": {"hex": "41"}, "friendlyNameError": 234,
          "pinTypes": {"error": 87},
          "pins": [{"communication": {"unread": 8},
                    "dataflow": {"pending": {"status": "0xC0000120", "count": 0}},
                    "mediums": {"hex": "", "sizeQuery": 32, "dataQuery": null},
                    "dataRanges": {"items": [{}], "dataQuery": {"pending": {"status": 0, "count": 96}}}}]},
          {"pathHex": "5c5cff00"}]}]})");
  ASSERT_TRUE(m.capture.has_value());
  EXPECT_EQ(m.capture->arch, "x86");
  EXPECT_EQ(m.capture->truncated, std::vector<std::string>{"an answer over 1 MiB"});
  const SimDevice& d = m.devices[0];
  EXPECT_EQ(*d.hardwareIds, SimBytes(300, 0)) << "an unread value plays as zeros";
  const SimInterface& i = d.interfaces[0];
  EXPECT_FALSE(i.path.has_value());
  EXPECT_EQ(*i.pathUnread, 270u);
  EXPECT_EQ(*i.friendlyNameError, 234u);
  EXPECT_EQ(i.pinTypes->kind, SimAnswer::kAbsent);
  EXPECT_EQ(i.pinTypes->error, ERROR_INVALID_PARAMETER);
  const SimPin& p = i.pins[0];
  EXPECT_EQ(p.communication.Length(), 8u);
  EXPECT_TRUE(p.communication.bytes.empty());
  EXPECT_EQ(p.dataflow.kind, SimAnswer::kPending);
  EXPECT_EQ(p.dataflow.ended->status, STATUS_CANCELLED);
  EXPECT_EQ(*p.mediums.sizeQuery, 32u);
  EXPECT_FALSE(p.mediums.dataQuery->pending);
  EXPECT_EQ(p.mediums.dataQuery->error, ERROR_NOT_FOUND);
  EXPECT_TRUE(p.dataRanges.dataQuery->pending);
  EXPECT_EQ(p.dataRanges.dataQuery->ended->count, 96u);
  EXPECT_EQ(p.dataRanges.Length(), 8u + 88);
  EXPECT_EQ(*d.interfaces[1].path, std::string({'\\', '\\', '\xFF', '\0'}));

  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"path": "a", "pathUnread": 3}]}]})"),
            "devices[0].interfaces[0].path: path, pathHex and pathUnread exclude each other");
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"pinTypes": {"error": 1, "reported": 4}}]}]})"),
            "devices[0].interfaces[0].pinTypes: error and pending stand alone");
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"pinTypes": {"hex": "", "unread": 4}}]}]})"),
            "devices[0].interfaces[0].pinTypes: expected one of hex, unread, error or pending");
  EXPECT_EQ(LoadError(R"({"devices": [{"description": {"unread": 16777217}}]})"),
            "devices[0].description.unread: more than 16 MiB");
  EXPECT_EQ(LoadError(R"({"capture": {"truncated": "yes"}})"), "capture.truncated: expected an array of strings");
}

// What the simulated platform does with them.
TEST(MachineFile, CaptureKeysPlay) {
  SimMachine m = Load(R"({"devices": [{"devInst": 1, "hardwareIds": {"unread": 300},
      "interfaces": [{"path": "\\\\?\\a", "renderAlias": 1, "friendlyName": {"hex": "4142"},
        "friendlyNameError": 234,
        "pins": [{"communication": {"unread": 4}},
                 {"dataRanges": {"unread": 96, "dataQuery": {"error": 31}}}]},
        {"pathUnread": 300, "renderAlias": 1}]}]})");
  SimRunResult run = RunMachine(m);
  EXPECT_TRUE(run.misuse.empty());
  // Hardware IDs refused for size, the name delivered with its error, a
  // communication value of 4 unread bytes (zeros: no connection), ranges
  // whose data query fails, the second interface's path refused for size.
  EXPECT_EQ(ReportBody(run.report),
            "\r\n---------------------- 8< ----------------------\r\nDevice Path: \r\n"
            "Device BUS NUMBER = 00000000\r\n /  / .sys\r\nInstance ID: 00000001\r\n"
            "   +AB\r\n" + NumPins("00000002") + PinLine("00000001", "00000001"));
  std::vector<SimCall> ranges = PinRequests(1);
  ASSERT_EQ(ranges.size(), 9u);
  EXPECT_EQ(ranges[7].d, 0u) << "size query";
  EXPECT_EQ(ranges[8].d, 96u) << "data query, which fails";
  EXPECT_EQ(CallCount("CreateFileA"), 1) << "the first filter";
}

TEST(MachineFile, TheWindowsWaysAndTheirOptionalForms) {
  SimMachine m = Load(R"({"devices": [{"interfaces": [{},
      {"renderAliasError": 259, "captureAliasError": "0x1F", "friendlyNameOverflow": "fill", "shortBuffers": "ks"},
      {"friendlyNameOverflow": "untouched", "shortBuffers": "refused"}]}]})");
  const std::vector<SimInterface>& i = m.devices[0].interfaces;
  EXPECT_EQ(i[0].renderAliasError, ERROR_NO_SUCH_INTERFACE_DEVICE) << "Windows' answer by default";
  EXPECT_EQ(i[0].captureAliasError, ERROR_NO_SUCH_INTERFACE_DEVICE);
  EXPECT_TRUE(i[0].friendlyNameFill) << "the machine file's long-standing default";
  EXPECT_FALSE(i[0].ksShortBuffers);
  EXPECT_EQ(i[1].renderAliasError, ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(i[1].captureAliasError, ERROR_GEN_FAILURE);
  EXPECT_TRUE(i[1].friendlyNameFill);
  EXPECT_TRUE(i[1].ksShortBuffers);
  EXPECT_FALSE(i[2].friendlyNameFill);
  EXPECT_FALSE(i[2].ksShortBuffers);
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"friendlyNameOverflow": "zero"}]}]})"),
            "devices[0].interfaces[0].friendlyNameOverflow: expected \"untouched\" or \"fill\"");
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"shortBuffers": true}]}]})"),
            "devices[0].interfaces[0].shortBuffers: expected \"refused\" or \"ks\"");
  EXPECT_EQ(LoadError(R"({"devices": [{"interfaces": [{"captureAlias": 1, "captureAliasError": 259}]}]})"),
            "devices[0].interfaces[0].captureAliasError: captureAlias and captureAliasError exclude each other");
}

// A missing alias answers as Windows does, or as a capture recorded it.
TEST(MachineFile, AMissingAliasFailsWithItsError) {
  SimMachine m = Load(R"({"devices": [{"interfaces": [{"path": "p"}, {"path": "q", "captureAliasError": 259}]}]})");
  RunMachine(m);
  std::vector<uint32_t> errors;
  for (const SimCall& call : SimCalls()) {
    if (call.op == "SetupDiGetDeviceInterfaceAlias") errors.push_back(call.failed ? call.error : 0);
  }
  EXPECT_EQ(errors, (std::vector<uint32_t>{ERROR_NO_SUCH_INTERFACE_DEVICE, ERROR_NO_SUCH_INTERFACE_DEVICE,
                                           ERROR_NO_SUCH_INTERFACE_DEVICE, ERROR_NO_MORE_ITEMS}));
}

TEST(MachineFile, FailCallsNameAnOperationThatCanFail) {
  SimMachine m = Load(R"({"failCalls": [{"call": "WriteFile", "nth": 3, "error": 112},
                                         {"call": "HeapAlloc"}]})");
  ASSERT_EQ(m.failCalls.size(), 2u);
  EXPECT_EQ(m.failCalls[0].op, "WriteFile");
  EXPECT_EQ(m.failCalls[0].nth, 3u);
  EXPECT_EQ(m.failCalls[0].error, ERROR_DISK_FULL);
  EXPECT_EQ(m.failCalls[1].nth, 1u) << "the first call by default";
  EXPECT_EQ(m.failCalls[1].error, ERROR_GEN_FAILURE);
  EXPECT_EQ(LoadError(R"({"failCalls": [{"call": "lstrlen"}]})"),
            "failCalls[0].call: not an operation that can fail: lstrlen");
  EXPECT_EQ(LoadError(R"({"failCalls": [{"call": "WriteFile", "nth": 0}]})"),
            "failCalls[0].nth: calls are counted from 1");
  EXPECT_EQ(LoadError(R"({"failCalls": [{"nth": 2}]})"),
            "failCalls[0].call: expected the name of a platform operation");
  EXPECT_EQ(LoadError(R"({"failCalls": [{"call": "WriteFile", "when": 2}]})"),
            "failCalls[0].when: unknown key");
}

TEST(MachineFile, EveryExampleAndTestMachineLoadsAndRunsClean) {
  for (const char* name : kMachineFiles) {
    SimRunResult run = RunMachine(LoadMachine(name));
    EXPECT_TRUE(run.misuse.empty()) << name << ": " << (run.misuse.empty() ? "" : run.misuse[0]);
  }
  EXPECT_GE(sizeof kMachineFiles / sizeof kMachineFiles[0], 2u);
}

// At most eight requests in the gates and two for the ranges, per pin,
// whatever the machine.
TEST(MachineFile, NoPinIsAskedMoreThanItsBudget) {
  for (const char* name : kMachineFiles) {
    RunMachine(LoadMachine(name));
    std::map<std::pair<uintptr_t, uint32_t>, std::pair<int, int>> perPin;
    for (const SimCall& call : IoctlCalls()) {
      if (call.a == KSPROPERTY_PIN_CTYPES) continue;
      auto& counts = perPin[{call.handle, call.b}];
      (call.a == KSPROPERTY_PIN_DATARANGES ? counts.second : counts.first)++;
    }
    for (const auto& pin : perPin) {
      EXPECT_LE(pin.second.first, 8) << name << " pin " << pin.first.second;
      EXPECT_LE(pin.second.second, 2) << name << " pin " << pin.first.second;
    }
  }
}

}  // namespace
}  // namespace ksr

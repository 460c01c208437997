#include <gtest/gtest.h>

#include <map>

#include "machine_list.h"
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

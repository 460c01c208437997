// One small machine for each gate and each reason a gate fails: the
// explanation names exactly that gate, that reason and those words.
#include <gtest/gtest.h>

#include <functional>

#include "explain/explain_reasons.h"
#include "explain/explain_run.h"
#include "explain/explain_json.h"
#include "explain/explain_text.h"
#include "explain/explain_words.h"
#include "store/records.h"
#include "tests/test.h"

namespace ksr {
namespace {

SimPin GoodPin() { return SimPcmPin(2, 16, 44100, 48000); }

// A machine of one device with one interface holding one pin, changed.
SimMachine With(const std::function<void(SimInterface*, SimPin*)>& change) {
  SimInterface iface = TestInterface({GoodPin()});
  change(&iface, &iface.pins[0]);
  SimMachine machine;
  machine.devices = {TestDevice({})};
  machine.devices[0].interfaces = {iface};
  return machine;
}

ExplainTree Explained(const SimMachine& machine) {
  ExplainRun explained = ExplainMachine(machine);
  EXPECT_TRUE(explained.run.misuse.empty());
  EXPECT_EQ(explained.tree.strayNotes, 0u);
  return explained.tree;
}

struct GateCase {
  const char* name;
  std::function<void(SimInterface*, SimPin*)> change;
  const char* gate;    // the gate that stopped the item
  const char* reason;  // its key
  const char* words;
};

// The interface stops at a gate, so nothing below it is examined.
const GateCase kInterfaceCases[] = {
    {"flags 0", [](SimInterface* i, SimPin*) { i->flags = 0; }, "flags", "flags-unusable", "flags 0 not usable"},
    {"flags removed", [](SimInterface* i, SimPin*) { i->flags = SPINT_ACTIVE | SPINT_REMOVED; }, "flags",
     "flags-unusable", "flags SPINT_ACTIVE|SPINT_REMOVED not usable"},
    {"no path", [](SimInterface* i, SimPin*) { i->path.reset(); }, "detail", "no-path",
     "device path not delivered (1168 ERROR_NOT_FOUND)"},
    {"a path of 261 characters", [](SimInterface* i, SimPin*) { i->path = std::string(261, 'p'); }, "detail",
     "no-path", "device path not delivered (122 ERROR_INSUFFICIENT_BUFFER)"},
    {"no alias", [](SimInterface* i, SimPin*) { i->renderAlias.reset(); }, "capture-alias", "no-capture-alias",
     "no capture alias (0xE0000225 ERROR_NO_SUCH_INTERFACE_DEVICE)"},
    {"a capture alias of flags 0", [](SimInterface* i, SimPin*) { i->renderAlias.reset(); i->captureAlias = 0; },
     "capture-alias", "capture-alias-unusable", "capture alias flags 0 not usable"},
    {"no filter", [](SimInterface* i, SimPin*) { i->opens = false; }, "open", "filter-not-opened",
     "filter can't be opened (3 ERROR_PATH_NOT_FOUND)"},
    {"no key", [](SimInterface* i, SimPin*) { i->registryKey = false; }, "key", "key-not-opened",
     "registry key can't be opened (2 ERROR_FILE_NOT_FOUND)"},
};

TEST(ExplainGates, EachInterfaceGateStopsTheInterfaceForItsReason) {
  for (const GateCase& c : kInterfaceCases) {
    ExplainTree tree = Explained(With(c.change));
    ASSERT_EQ(tree.devices.size(), 1u) << c.name;
    const ExplainInterface& iface = tree.devices[0].interfaces.at(0);
    EXPECT_FALSE(iface.listed) << c.name;
    EXPECT_TRUE(iface.pins.empty()) << c.name;
    EXPECT_EQ(iface.record, ExplainRecord::kReleased) << c.name;
    const ExplainStep& last = iface.gates.back();
    EXPECT_EQ(ExplainGateKey(last.gate), std::string(c.gate)) << c.name;
    EXPECT_FALSE(last.passed) << c.name;
    ExplainWhyText why = ExplainStepWhy(last);
    EXPECT_EQ(why.key, c.reason) << c.name;
    EXPECT_EQ(why.words, c.words) << c.name;
    // Every gate before it passed, in the walk's order.
    for (size_t g = 0; g + 1 < iface.gates.size(); ++g) {
      const ExplainStep& step = iface.gates[g];
      EXPECT_TRUE(step.passed || step.gate == ExplainGate::kRenderAlias) << c.name << ": " << ExplainGateKey(step.gate);
      if (g > 0) {
        EXPECT_LT(iface.gates[g - 1].gate, step.gate) << c.name;
      }
    }
  }
}

TEST(ExplainGates, AnUnusableRenderAliasIsSaidSoAndTheCaptureAliasTried) {
  ExplainTree tree = Explained(With([](SimInterface* i, SimPin*) {
    i->renderAlias = SPINT_REMOVED;
    i->captureAlias = SPINT_DEFAULT;
  }));
  const ExplainInterface& iface = tree.devices[0].interfaces[0];
  EXPECT_TRUE(iface.listed);
  const ExplainStep& render = iface.gates.at(2);
  EXPECT_EQ(ExplainGateKey(render.gate), std::string("render-alias"));
  ExplainWhyText why = ExplainStepWhy(render);
  EXPECT_EQ(why.key, "render-alias-unusable");
  EXPECT_EQ(why.words, "render alias flags SPINT_REMOVED not usable");
  EXPECT_EQ(ExplainGateKey(iface.gates.at(3).gate), std::string("capture-alias"));
  EXPECT_TRUE(iface.gates.at(3).passed);
}

TEST(ExplainGates, ANameThatCanNotBeReadLeavesTheInterfaceListed) {
  ExplainTree tree = Explained(With([](SimInterface* i, SimPin*) { i->friendlyName.reset(); }));
  const ExplainInterface& iface = tree.devices[0].interfaces[0];
  EXPECT_TRUE(iface.listed);
  const ExplainStep& name = iface.gates.at(5);
  EXPECT_EQ(ExplainGateKey(name.gate), std::string("friendly-name"));
  EXPECT_EQ(ExplainGateKey(iface.gates.at(6).gate), std::string("pin-count"));
  ASSERT_EQ(name.calls.size(), 1u);
  EXPECT_TRUE(name.calls[0].failed);
  EXPECT_EQ(name.calls[0].error, ERROR_FILE_NOT_FOUND);
}

// The interface is listed, but its pin count fails: no pin is examined.
const GateCase kPinCountCases[] = {
    {"absent", [](SimInterface* i, SimPin*) { i->pinTypes = SimAbsent(); }, "pin-count", "answer-absent",
     "answer absent (1168 ERROR_NOT_FOUND)"},
    {"pending", [](SimInterface* i, SimPin*) { i->pinTypes = SimPending(); }, "pin-count", "answer-pending",
     "answer pending, cancelled"},
    {"8 bytes", [](SimInterface* i, SimPin*) { i->pinTypes = SimU32s({1, 1}); }, "pin-count", "answer-length",
     "answered 8 bytes, not 4"},
};

TEST(ExplainGates, APinCountThatCanNotBeReadEndsTheInterface) {
  for (const GateCase& c : kPinCountCases) {
    ExplainTree tree = Explained(With(c.change));
    const ExplainInterface& iface = tree.devices[0].interfaces.at(0);
    EXPECT_TRUE(iface.listed) << c.name;
    EXPECT_FALSE(iface.pinCount) << c.name;
    EXPECT_TRUE(iface.pins.empty()) << c.name;
    const ExplainStep& count = iface.gates.back();
    EXPECT_EQ(ExplainGateKey(count.gate), std::string(c.gate)) << c.name;
    EXPECT_FALSE(count.passed) << c.name;
    ExplainWhyText why = ExplainStepWhy(count);
    EXPECT_EQ(why.key, c.reason) << c.name;
    EXPECT_EQ(why.words, c.words) << c.name;
  }
}

SimAnswer Identifiers(const GUID& set, uint32_t id) { return SimList({SimIdentifier(set, id, 0)}); }

// The pin stops at a gate and is not listed.
const GateCase kPinCases[] = {
    {"communication none", [](SimInterface*, SimPin* p) { p->communication = SimU32(0); }, "communication",
     "no-connection", "communication is none"},
    {"communication source", [](SimInterface*, SimPin* p) { p->communication = SimU32(2); }, "communication",
     "no-connection", "communication is source"},
    {"communication bridge", [](SimInterface*, SimPin* p) { p->communication = SimU32(4); }, "communication",
     "no-connection", "communication is bridge"},
    {"communication absent", [](SimInterface*, SimPin* p) { p->communication = SimAbsent(); }, "communication",
     "answer-absent", "answer absent (1168 ERROR_NOT_FOUND)"},
    {"communication pending", [](SimInterface*, SimPin* p) { p->communication = SimPending(); }, "communication",
     "answer-pending", "answer pending, cancelled"},
    {"communication of 2 bytes", [](SimInterface*, SimPin* p) { p->communication = SimAnswerBytes({1, 0}); },
     "communication", "answer-length", "answered 2 bytes, not 4"},
    {"no instance counts",
     [](SimInterface*, SimPin* p) {
       p->globalInstances = SimAbsent();
       p->instances = SimPending();
     },
     "instances", "answer-pending", "neither instance count answered 8 bytes: answer pending, cancelled"},
    {"no standard interface",
     [](SimInterface*, SimPin* p) { p->interfaces = Identifiers(KSMEDIUMSETID_Standard, 0); }, "interfaces",
     "no-standard-interface", "interfaces list holds no standard streaming interface"},
    {"the standard interface with Id 1",
     [](SimInterface*, SimPin* p) { p->interfaces = Identifiers(KSINTERFACESETID_Standard, 1); }, "interfaces",
     "no-standard-interface", "interfaces list holds no standard streaming interface"},
    {"no interfaces list", [](SimInterface*, SimPin* p) { p->interfaces = SimAbsent(); }, "interfaces",
     "size-query-empty", "interfaces list: size query gave nothing (answer absent (1168 ERROR_NOT_FOUND))"},
    {"an interfaces list of Count 0", [](SimInterface*, SimPin* p) { p->interfaces = SimList({}); }, "interfaces",
     "count-zero", "interfaces list: Count is 0"},
    {"an interfaces list shorter than its header",
     [](SimInterface*, SimPin* p) { p->interfaces = SimAnswerBytes({24, 0, 0, 0}); }, "interfaces",
     "header-past-answer", "interfaces list: answer shorter than its 8-byte header"},
    {"an interfaces list whose data query fails",
     [](SimInterface*, SimPin* p) {
       p->interfaces.dataQuery = SimDataQuery();
       p->interfaces.dataQuery->error = ERROR_GEN_FAILURE;
     },
     "interfaces", "data-query-empty", "interfaces list: data query gave nothing (answer absent (31 ERROR_GEN_FAILURE))"},
    {"an interfaces list too large for the heap",
     [](SimInterface*, SimPin* p) { p->interfaces.sizeQuery = 0x7FFFFFFF; }, "interfaces", "no-buffer",
     "interfaces list: no buffer of 2147483647 bytes could be had"},
    {"no standard medium", [](SimInterface*, SimPin* p) { p->mediums = Identifiers(KSINTERFACESETID_Standard, 0); },
     "mediums", "no-standard-medium", "mediums list holds no standard medium"},
    {"data flow 0", [](SimInterface*, SimPin* p) { p->dataflow = SimU32(0); }, "dataflow", "no-dataflow",
     "data flow 0x00000000 is neither in nor out"},
    {"data flow 4", [](SimInterface*, SimPin* p) { p->dataflow = SimU32(4); }, "dataflow", "no-dataflow",
     "data flow 0x00000004 is neither in nor out"},
    {"data flow absent", [](SimInterface*, SimPin* p) { p->dataflow = SimAbsent(); }, "dataflow", "answer-absent",
     "answer absent (1168 ERROR_NOT_FOUND)"},
};

TEST(ExplainGates, EachPinGateStopsThePinForItsReason) {
  for (const GateCase& c : kPinCases) {
    ExplainTree tree = Explained(With(c.change));
    const ExplainPin& pin = tree.devices[0].interfaces.at(0).pins.at(0);
    EXPECT_FALSE(pin.listed) << c.name;
    EXPECT_EQ(pin.record, ExplainRecord::kReleased) << c.name;
    EXPECT_TRUE(pin.ranges.empty() && pin.rangeRequests.empty()) << c.name;
    const ExplainStep& last = pin.gates.back();
    EXPECT_EQ(ExplainGateKey(last.gate), std::string(c.gate)) << c.name;
    EXPECT_FALSE(last.passed) << c.name;
    ExplainWhyText why = ExplainStepWhy(last);
    EXPECT_EQ(why.key, c.reason) << c.name;
    EXPECT_EQ(why.words, c.words) << c.name;
    for (size_t g = 0; g + 1 < pin.gates.size(); ++g) EXPECT_TRUE(pin.gates[g].passed) << c.name;
  }
}

TEST(ExplainGates, ARequestWithoutItsEventIsNotSent) {
  // The write lock takes the first event, the pin count's request the
  // second; the third is the communication request's.
  SimMachine machine = With([](SimInterface*, SimPin*) {});
  machine.failCalls = {{"CreateEventA", 3, ERROR_NOT_ENOUGH_MEMORY}};
  ExplainTree tree = Explained(machine);
  const ExplainStep& communication = tree.devices[0].interfaces[0].pins.at(0).gates.at(0);
  ExplainWhyText why = ExplainStepWhy(communication);
  EXPECT_EQ(why.key, "request-not-sent");
  EXPECT_EQ(why.words, "request not sent: no completion event (8 ERROR_NOT_ENOUGH_MEMORY)");
  ASSERT_EQ(communication.requests.size(), 1u);
  EXPECT_EQ(ExplainRequestOutcome(communication.requests[0]), std::string("not-sent"));
}

TEST(ExplainGates, APinThatPassesEveryGateIsListedWithItsRequestsInOrder) {
  ExplainTree tree = Explained(With([](SimInterface*, SimPin* p) {
    p->globalInstances = SimAbsent();
    p->instances = SimU32s({1, 0});
    p->dataflow = SimU32(2);
  }));
  const ExplainPin& pin = tree.devices[0].interfaces[0].pins.at(0);
  EXPECT_TRUE(pin.listed);
  EXPECT_EQ(pin.dataflow, 2u);
  std::vector<std::string> requests;
  for (const ExplainStep& step : pin.gates) {
    EXPECT_TRUE(step.passed) << ExplainGateKey(step.gate);
    for (const ExplainRequest& r : step.requests) requests.push_back(ExplainRequestWords(r));
  }
  std::vector<std::string> expected = {
      "KSPROPERTY_PIN_COMMUNICATION, out 4: 4 bytes: 0x00000001 (1) KSPIN_COMMUNICATION_SINK",
      "KSPROPERTY_PIN_GLOBALCINSTANCES, out 8: failed (1168 ERROR_NOT_FOUND), count 0",
      "KSPROPERTY_PIN_CINSTANCES, out 8: 8 bytes: possible 1, current 0",
      "KSPROPERTY_PIN_INTERFACES, out 0: refused for size, needs 32 bytes",
      "KSPROPERTY_PIN_INTERFACES, out 32: 32 bytes: Count 1: KSINTERFACESETID_Standard Id 0",
      "KSPROPERTY_PIN_MEDIUMS, out 0: refused for size, needs 32 bytes",
      "KSPROPERTY_PIN_MEDIUMS, out 32: 32 bytes: Count 1: KSMEDIUMSETID_Standard Id 0",
      "KSPROPERTY_PIN_DATAFLOW, out 4: 4 bytes: 0x00000002 (2) KSPIN_DATAFLOW_OUT",
  };
  EXPECT_EQ(requests, expected);
}

TEST(ExplainGates, AStoreThatRunsOutIsSaidWhereItRanOut) {
  // Pins kept by the thousand fill the 1 MiB store before the last of them.
  SimMachine machine;
  machine.devices = {TestDevice(std::vector<SimPin>(1500, GoodPin()))};
  ExplainTree tree = Explained(machine);
  EXPECT_TRUE(tree.storeExhausted);
  const ExplainInterface& iface = tree.devices[0].interfaces.at(0);
  EXPECT_EQ(iface.storeWanted, kPinRecordSize);
  EXPECT_LT(iface.pins.size(), 1500u);
  EXPECT_EQ(iface.pins.back().record, ExplainRecord::kKept);
}

// Each store check notes the room it asked for: a device's four 260-byte
// string buffers, an interface's detail block and friendly name. The
// explanation gives those numbers, and where, exactly.
TEST(ExplainGates, AStoreThatRunsOutSaysTheRoomTheItemWanted) {
  auto explained = [](const SimMachine& machine) { return ExplainMachine(machine).run; };
  const uint32_t deviceStrings = 4 * (260 + 4);
  SimMachine devices;
  devices.devices = {TestFillerLeaving(kDeviceRecordSize + 8 + 4, kDeviceRecordSize + deviceStrings, explained),
                     TestDevice({GoodPin()})};
  ExplainTree tree = Explained(devices);
  EXPECT_TRUE(tree.storeExhausted);
  ASSERT_EQ(tree.devices.size(), 2u);
  EXPECT_EQ(tree.devices[1].storeWanted, deviceStrings);
  std::string text = ExplainText("m", tree, false, true);
  EXPECT_NE(text.find("\n  the store ran out: no room for 1056 bytes\n"), std::string::npos) << text;

  const uint32_t interfaceStrings = (265 + 4) + (264 + 4);
  SimInterface second = TestInterface({GoodPin()});
  SimDevice filler = TestFillerLeaving(kInterfaceRecordSize + 8 + 4, kInterfaceRecordSize + interfaceStrings, explained);
  filler.interfaces.push_back(second);
  SimMachine interfaces;
  interfaces.devices = {filler};
  tree = Explained(interfaces);
  ASSERT_EQ(tree.devices.size(), 1u);
  ASSERT_EQ(tree.devices[0].interfaces.size(), 2u);
  EXPECT_EQ(tree.devices[0].interfaces[0].storeWanted, 0u);
  EXPECT_EQ(tree.devices[0].interfaces[1].storeWanted, interfaceStrings);
  text = ExplainText("m", tree, false, true);
  EXPECT_NE(text.find("\n    the store ran out: no room for 537 bytes\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace ksr

#include <gtest/gtest.h>

#include "tests/test.h"

namespace ksr {
namespace {

const std::string kPin0In = PinLine("00000000", "00000001");

TEST(PinCount, ZeroPinTypesGiveNumPinsAlone) {
  SimInterface iface = TestInterface({});
  EXPECT_EQ(PinLines(iface), NumPins("00000000"));
}

TEST(PinCount, AnUnreadablePinCountGivesNoNumPinsLine) {
  for (const SimAnswer& answer : {SimAbsent(), SimAnswerBytes({1, 0, 0}),
                                  SimAnswerBytes({1, 0, 0, 0, 0}), SimPending()}) {
    SimInterface iface = TestInterface({SimPcmPin(2, 16, 44100, 44100)});
    iface.pinTypes = answer;
    EXPECT_EQ(PinLines(iface), "");
    EXPECT_EQ(IoctlCalls().size(), 1u);
  }
}

TEST(PinCount, PinsPastTheDriversListAreAskedAndDropped) {
  SimInterface iface = TestInterface({SimDefaultPin()});
  iface.pinTypes = SimU32(3);
  EXPECT_EQ(PinLines(iface), NumPins("00000003") + kPin0In);
  EXPECT_EQ(PinRequests(2).size(), 1u) << "the first gate ends an unknown pin";
}

TEST(PinCount, PinsPastTheCountAreNeverAsked) {
  SimInterface iface = TestInterface({SimPcmPin(2, 16, 8000, 8000), SimPcmPin(2, 16, 8000, 8000)});
  iface.pinTypes = SimU32(1);
  EXPECT_EQ(PinLines(iface), NumPins("00000001") + PinLine("00000000", "00000001") +
                                 RangeLines("00000002", "00000010", "00001F40", "00001F40"));
  EXPECT_TRUE(PinRequests(1).empty());
}

TEST(PinGates, CommunicationMustAcceptConnections) {
  struct Case {
    uint32_t communication;
    bool listed;
  } cases[] = {{0, false}, {1, true}, {2, false}, {3, true}, {4, false}, {5, true}};
  for (const Case& c : cases) {
    SimPin pin = SimDefaultPin();
    pin.communication = SimU32(c.communication);
    EXPECT_EQ(PinLines({pin}), NumPins("00000001") + (c.listed ? kPin0In : ""))
        << "communication " << c.communication;
    if (!c.listed) {
      EXPECT_EQ(PinRequests(0).size(), 1u) << "no request after the failing gate";
    }
  }
}

TEST(PinGates, InstanceCountsFallBackToTheLocalCount) {
  SimPin pin = SimDefaultPin();
  pin.globalInstances = SimAbsent();
  pin.instances = SimU32s({1, 1});
  EXPECT_EQ(PinLines({pin}), NumPins("00000001") + kPin0In);
  size_t gateRequests = 0;
  for (const SimCall& call : PinRequests(0)) gateRequests += call.a != KSPROPERTY_PIN_DATARANGES;
  EXPECT_EQ(gateRequests, 8u) << "the most a pin asks in the gates";

  pin.globalInstances = SimU32(1);  // 4 bytes: not a KSPIN_CINSTANCES
  EXPECT_EQ(PinLines({pin}), NumPins("00000001") + kPin0In);

  pin.instances = SimAbsent();
  EXPECT_EQ(PinLines({pin}), NumPins("00000001"));
  EXPECT_EQ(PinRequests(0).size(), 3u);

  pin.globalInstances = SimU32s({0, 0});  // the counts themselves decide nothing
  EXPECT_EQ(PinLines({pin}), NumPins("00000001") + kPin0In);
}

TEST(PinGates, TheStandardInterfaceAndMediumMustBeListedWithId0) {
  const SimBytes standard = SimIdentifier(KSINTERFACESETID_Standard, 0, 0);
  const SimBytes other = SimIdentifier(KSMEDIUMSETID_Standard, 0, 0);
  struct Case {
    const char* what;
    SimAnswer list;
    bool listed;
  } cases[] = {
      {"only Id 1", SimList({SimIdentifier(KSINTERFACESETID_Standard, 1, 0)}), false},
      {"match last", SimList({other, SimIdentifier(KSINTERFACESETID_Standard, 1, 0), standard}), true},
      {"Count 0 with an entry", SimList({standard}, 0u), false},
      {"Count past the answer", SimList({other, standard}, 9u), true},
      {"Count past the answer, no match", SimList({other}, 9u), false},
      {"the match lies past Count", SimList({other, standard}, 1u), false},
      {"entry cut short", [&] {
         SimAnswer a = SimList({standard});
         a.bytes.resize(8 + 20);
         return a;
       }(), false},
      {"absent", SimAbsent(), false},
      {"pending", SimPending(), false},
  };
  for (Case& c : cases) {
    SimPin pin = SimDefaultPin();
    pin.interfaces = c.list;
    EXPECT_EQ(PinLines({pin}), NumPins("00000001") + (c.listed ? kPin0In : "")) << c.what;
  }
  SimPin pin = SimDefaultPin();
  pin.mediums = SimList({SimIdentifier(KSMEDIUMSETID_Standard, 2, 0)});
  EXPECT_EQ(PinLines({pin}), NumPins("00000001"));
  EXPECT_EQ(PinRequests(0).size(), 6u);
}

TEST(PinGates, DataFlowNeedsBit0Or1AndIsShownWhole) {
  struct Case {
    SimAnswer flow;
    std::string shown;
  } cases[] = {{SimU32(1), "00000001"}, {SimU32(2), "00000002"}, {SimU32(3), "00000003"},
               {SimU32(4), ""},          {SimU32(0), ""},          {SimU32(0xFFFFFFFD), "FFFFFFFD"},
               {SimAnswerBytes({1, 0}), ""}, {SimPending(), ""}};
  for (const Case& c : cases) {
    SimPin pin = SimDefaultPin();
    pin.dataflow = c.flow;
    std::string expected = NumPins("00000001") + (c.shown.empty() ? "" : PinLine("00000000", c.shown));
    EXPECT_EQ(PinLines({pin}), expected);
  }
}

TEST(PinGates, APendingAnswerAtEveryGateEndsThePinCleanly) {
  SimAnswer SimPin::*gates[] = {&SimPin::communication, &SimPin::globalInstances,
                                &SimPin::interfaces,    &SimPin::mediums,
                                &SimPin::dataflow,      &SimPin::dataRanges};
  for (size_t g = 0; g < 6; ++g) {
    SimPin pin = SimPcmPin(2, 16, 44100, 44100);
    pin.*gates[g] = SimPending();
    pin.instances = SimPending();
    std::string expected = NumPins("00000001") + (g == 5 ? kPin0In : "");
    EXPECT_EQ(PinLines({pin}), expected) << "gate " << g;
  }
}

TEST(PinGates, PinLinesInIncreasingIdWithFailedPinsLeftOut) {
  SimPin bridge = SimDefaultPin();
  bridge.communication = SimU32(4);
  SimPin out = SimPcmPin(2, 16, 44100, 44100);
  out.dataflow = SimU32(2);
  EXPECT_EQ(PinLines({SimDefaultPin(), bridge, out}),
            NumPins("00000003") + kPin0In + PinLine("00000002", "00000002") +
                RangeLines("00000002", "00000010", "0000AC44", "0000AC44"));
}

TEST(PinGates, ARangedPinAsksAtMostTenRequests) {
  SimPin pin = SimPcmPin(2, 16, 44100, 44100);
  pin.globalInstances = SimAbsent();
  pin.instances = SimU32s({1, 0});
  PinLines({pin});
  std::vector<SimCall> calls = PinRequests(0);
  std::vector<uint32_t> properties;
  for (const SimCall& call : calls) properties.push_back(call.a);
  std::vector<uint32_t> expected = {
      KSPROPERTY_PIN_COMMUNICATION, KSPROPERTY_PIN_GLOBALCINSTANCES, KSPROPERTY_PIN_CINSTANCES,
      KSPROPERTY_PIN_INTERFACES,    KSPROPERTY_PIN_INTERFACES,       KSPROPERTY_PIN_MEDIUMS,
      KSPROPERTY_PIN_MEDIUMS,       KSPROPERTY_PIN_DATAFLOW,         KSPROPERTY_PIN_DATARANGES,
      KSPROPERTY_PIN_DATARANGES};
  EXPECT_EQ(properties, expected);
  for (const SimCall& call : IoctlCalls()) EXPECT_EQ(call.c, 32u);
}

}  // namespace
}  // namespace ksr

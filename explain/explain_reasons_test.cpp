// The words for answers the walk read: exact at the bounds of what they
// show (eight identifiers, 16 bytes, an 8-byte instance answer).
#include "explain/explain_reasons.h"

#include <gtest/gtest.h>

#include "platform/sim/sim.h"

namespace ksr {
namespace {

// A delivered answer of these bytes to property.
std::string Words(uint32_t property, const SimBytes& bytes) {
  ExplainRequest request;
  request.property = property;
  request.outputLength = static_cast<uint32_t>(bytes.size());
  request.count = static_cast<uint32_t>(bytes.size());
  request.bytes = bytes;
  return ExplainRequestWords(request);
}

// An identifier list of n whole entries claiming count.
SimBytes Identifiers(uint32_t n, uint32_t count) {
  SimBytes bytes;
  SimAppendU32(&bytes, 8 + 24 * n);
  SimAppendU32(&bytes, count);
  for (uint32_t i = 0; i < n; ++i) {
    SimBytes one = SimIdentifier(KSMEDIUMSETID_Standard, i, 0);
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  return bytes;
}

TEST(ExplainReasons, IdentifierListsShowEightEntriesAndSayWhenTheyAreCut) {
  std::string eight = Words(KSPROPERTY_PIN_MEDIUMS, Identifiers(8, 8));
  EXPECT_NE(eight.find("Id 7"), std::string::npos) << eight;
  EXPECT_EQ(eight.find("..."), std::string::npos) << eight;
  std::string nine = Words(KSPROPERTY_PIN_MEDIUMS, Identifiers(9, 9));
  EXPECT_EQ(nine.find("Id 8"), std::string::npos) << nine;
  EXPECT_NE(nine.find("Id 7, ..."), std::string::npos) << nine;
  std::string cut = Words(KSPROPERTY_PIN_INTERFACES, Identifiers(2, 5));
  EXPECT_NE(cut.find("Count 5: "), std::string::npos) << cut;
  EXPECT_NE(cut.find(" (2 whole in the answer)"), std::string::npos) << cut;
}

TEST(ExplainReasons, BytesShowSixteenAndSayWhenThereAreMore) {
  SimBytes sixteen(16, 0xAB);
  std::string words = Words(KSPROPERTY_PIN_DATAFLOW, sixteen);
  std::string hex;
  for (int i = 0; i < 16; ++i) hex += "AB";
  EXPECT_EQ(words.substr(words.size() - 32 - 6), "bytes " + hex) << words;
  EXPECT_EQ(words.find("..."), std::string::npos) << words;
  SimBytes seventeen(17, 0xAB);
  words = Words(KSPROPERTY_PIN_DATAFLOW, seventeen);
  EXPECT_EQ(words.substr(words.size() - 3), "...") << words;
}

TEST(ExplainReasons, OnlyAnEightByteInstanceAnswerReadsAsItsCounts) {
  EXPECT_NE(Words(KSPROPERTY_PIN_CINSTANCES, SimBytes{4, 0, 0, 0, 1, 0, 0, 0}).find("possible 4, current 1"),
            std::string::npos);
  std::string twelve = Words(KSPROPERTY_PIN_CINSTANCES, SimBytes{4, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0});
  EXPECT_EQ(twelve.find("possible"), std::string::npos) << twelve;
}

TEST(ExplainReasons, DeviceValuesBusNumbersAndEmptyLists) {
  SimCall bus;
  bus.op = "SetupDiGetDeviceRegistryPropertyA";
  bus.a = SPDRP_BUSNUMBER;
  bus.out = {1, 0};
  EXPECT_EQ(ExplainPropertyWords(bus), " bytes 0100");
  SimCall ids;
  ids.a = SPDRP_HARDWAREID;
  ids.out = {0, 0};
  EXPECT_EQ(ExplainPropertyWords(ids), " \"\"");
}

TEST(ExplainReasons, ABusNumberOfZeroIsDeliveredAnEmptyStringIsNot) {
  SimCall bus;
  bus.a = SPDRP_BUSNUMBER;
  bus.out = {0, 0, 0, 0};
  EXPECT_STREQ(ExplainPropertyOutcome(bus), "delivered");
  bus.out.clear();
  EXPECT_STREQ(ExplainPropertyOutcome(bus), "empty");
  SimCall text;
  text.a = SPDRP_DEVICEDESC;
  text.out = {0, 'A'};
  EXPECT_STREQ(ExplainPropertyOutcome(text), "empty");
  text.out = {'A', 0};
  EXPECT_STREQ(ExplainPropertyOutcome(text), "delivered");
  text.failed = true;
  EXPECT_STREQ(ExplainPropertyOutcome(text), "refused");
}

TEST(ExplainReasons, ARangeIsReadToItsLastByteAndNoFurther) {
  // An audio range of 84 bytes at offset 8 of the answer: its last field,
  // the highest rate, ends exactly at the answer's end.
  SimBytes answer(8 + 84, 0);
  answer[8 + 80] = 0x80;
  answer[8 + 81] = 0xBB;
  ExplainRangeFields whole = ExplainReadRange(answer, 8);
  ASSERT_TRUE(whole.maxRate.has_value());
  EXPECT_EQ(*whole.maxRate, 48000u);
  ASSERT_TRUE(whole.minRate.has_value());
  answer.pop_back();
  ExplainRangeFields cut = ExplainReadRange(answer, 8);
  EXPECT_FALSE(cut.maxRate.has_value());
  EXPECT_TRUE(cut.minRate.has_value());
  EXPECT_TRUE(ExplainReadRange(answer, 87).formatSize.has_value());
  EXPECT_FALSE(ExplainReadRange(answer, 88).formatSize.has_value());
}

TEST(ExplainReasons, AnAnswerCountedPastItsBytesSaysHowManyWereReadable) {
  ExplainRequest request;
  request.property = KSPROPERTY_PIN_DATAFLOW;
  request.outputLength = 4;
  request.bytes = {1, 0, 0, 0};
  request.count = 4;
  EXPECT_EQ(ExplainRequestWords(request).find("readable"), std::string::npos);
  request.count = 12;
  std::string words = ExplainRequestWords(request);
  EXPECT_NE(words.find("12 bytes: "), std::string::npos) << words;
  EXPECT_NE(words.find(" (4 readable)"), std::string::npos) << words;
}

TEST(ExplainReasons, AFailedListFetchNamesTheListOfItsGate) {
  for (ExplainGate gate : {ExplainGate::kInterfaces, ExplainGate::kMediums}) {
    ExplainStep step;
    step.gate = gate;
    step.reason = ExplainReason::kCountZero;
    std::string why = ExplainStepWhy(step).words;
    EXPECT_EQ(why, gate == ExplainGate::kMediums ? "mediums list: Count is 0" : "interfaces list: Count is 0");
  }
}

}  // namespace
}  // namespace ksr

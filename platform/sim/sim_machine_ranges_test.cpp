// The range items of machine files against byte tables written out here
// by hand, field by field, as a driver's answer lies in memory.
#include <gtest/gtest.h>

#include <string>

#include "platform/guid_names.h"
#include "platform/sim/sim.h"
#include "tests/test.h"

namespace ksr {
namespace {

SimBytes Bytes(std::string hex) {
  std::string digits;
  for (char c : hex) {
    if (c != ' ') digits += c;
  }
  SimBytes out;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

// The data-range answer of a machine whose one pin has LIST as dataRanges.
SimBytes RangeAnswer(const std::string& list) {
  SimMachine machine;
  std::string error;
  std::string text = R"({"devices": [{"interfaces": [{"pins": [{"dataRanges": )" + list + "}]}]}]}";
  EXPECT_TRUE(SimLoadMachineText(text, &machine, &error)) << error;
  if (machine.devices.empty()) return {};
  return machine.devices[0].interfaces[0].pins[0].dataRanges.bytes;
}

std::string RangeError(const std::string& list) {
  SimMachine machine;
  std::string error;
  std::string text = R"({"devices": [{"interfaces": [{"pins": [{"dataRanges": )" + list + "}]}]}]}";
  EXPECT_FALSE(SimLoadMachineText(text, &machine, &error)) << text;
  const std::string prefix = "devices[0].interfaces[0].pins[0].dataRanges";
  return error.compare(0, prefix.size(), prefix) == 0 ? error.substr(prefix.size()) : error;
}

const char kTypeAudio[] = "61756473 0000 1000 800000AA00389B71";
const char kSubPcm[] = "01000000 0000 1000 800000AA00389B71";
const char kSpecWaveFormatEx[] = "819F5805 56C3 CE11 BF0100AA0055595A";

TEST(MachineRanges, AudioRangeWithFlagsSampleSizeAndReserved) {
  SimBytes answer = RangeAnswer(R"([{"flags": 2, "sampleSize": 4, "reserved": "0x55",
      "sub": "KSDATAFORMAT_SUBTYPE_IEC61937_DOLBY_DIGITAL", "specifier": "KSDATAFORMAT_SPECIFIER_DSOUND",
      "maxChannels": 2, "minBits": 16, "maxBits": 16, "minRate": 44100, "maxRate": 48000}])");
  SimBytes want = Bytes(std::string("60000000 01000000") +  // Size 96, Count 1
                        "58000000 02000000 04000000 55000000" + kTypeAudio +
                        "92000000 0000 1000 800000AA00389B71"    // IEC 61937 Dolby Digital
                        "A2908551 84A1 D011 852200C04FD9BAF3"    // DSOUND
                        "02000000 10000000 10000000 44AC0000 80BB0000 00000000");
  EXPECT_EQ(answer, want);
}

TEST(MachineRanges, WithoutTheNewKeysARangeIsAsBefore) {
  SimBytes answer = RangeAnswer(R"([{"maxChannels": 6, "minBits": 8, "maxBits": 24, "minRate": 8000,
      "maxRate": 192000}])");
  SimBytes want = Bytes(std::string("60000000 01000000 58000000 00000000 00000000 00000000") + kTypeAudio +
                        kSubPcm + kSpecWaveFormatEx + "06000000 08000000 18000000 401F0000 00EE0200 00000000");
  EXPECT_EQ(answer, want);
}

TEST(MachineRanges, MusicRangeDefaultsAndFields) {
  SimBytes answer = RangeAnswer(R"([{"range": "music", "channels": 16, "notes": 128, "channelMask": "0xFFFF"}])");
  SimBytes want = Bytes(
      "68000000 01000000"  // Size 104, Count 1
      "60000000 00000000 00000000 00000000"
      "60D325E7 CC62 CF11 A5D628DB04C10000"   // KSDATAFORMAT_TYPE_MUSIC
      "6027261D 57E9 CF11 A5D628DB04C10000"   // KSDATAFORMAT_SUBTYPE_MIDI
      "D617640F 18C3 D011 A43F00A0C9223196"   // KSDATAFORMAT_SPECIFIER_NONE
      "602EC986 E862 CF11 A5D628DB04C10000"   // KSMUSIC_TECHNOLOGY_PORT
      "10000000 80000000 FFFF0000 00000000");
  EXPECT_EQ(answer, want);
  SimBytes synth = RangeAnswer(R"([{"range": "music", "sub": "KSDATAFORMAT_SUBTYPE_DIRECTMUSIC",
      "technology": "KSMUSIC_TECHNOLOGY_SWSYNTH", "formatSize": 2000}])");
  ASSERT_EQ(synth.size(), 8u + 92) << "a size above 1024 stands in the field only";
  EXPECT_EQ(SimBytes(synth.begin() + 8, synth.begin() + 12), Bytes("D0070000"));
  EXPECT_EQ(SimBytes(synth.begin() + 40, synth.begin() + 56), Bytes("BCF8821A 8B3F D211 B774 0060083316C1"));
  EXPECT_EQ(SimBytes(synth.begin() + 72, synth.begin() + 88), Bytes("36774037 2036 D111 85D30000F8754380"));
}

TEST(MachineRanges, PlainRangeIsTheHeaderAlone) {
  SimBytes answer = RangeAnswer(R"([{"range": "plain", "sub": "KSDATAFORMAT_SUBTYPE_WAVEFORMATEX",
      "specifier": "KSDATAFORMAT_SPECIFIER_NONE", "sampleSize": 1}])");
  SimBytes want = Bytes(std::string("48000000 01000000 40000000 00000000 01000000 00000000") + kTypeAudio +
                        "00000000 0000 1000 800000AA00389B71" + "D617640F 18C3 D011 A43F00A0C9223196");
  EXPECT_EQ(answer, want);
}

TEST(MachineRanges, AttributeListAfterAFlaggedRange) {
  SimBytes answer = RangeAnswer(R"([{"flags": 2, "formatSize": 64, "range": "plain"},
      {"attributes": [["KSATTRIBUTEID_AUDIOSIGNALPROCESSING_MODE", 0, "AUDIO_SIGNALPROCESSINGMODE_RAW"],
                      ["GUID_NULL", 1]]}])");
  SimBytes want = Bytes(std::string("90000000 02000000") +  // Size 8 + 64 + 72, Count 2: the list counts
                        "40000000 02000000 00000000 00000000" + kTypeAudio + kSubPcm + kSpecWaveFormatEx +
                        "48000000 02000000"                      // Size 72, two attributes
                        "28000000 00000000 B59EF8E1 465F 9B41 967BFF6770B98401"
                        "20EA909E 93B4 D14F A1A87E1361A956CF"    // AUDIO_SIGNALPROCESSINGMODE_RAW
                        "18000000 01000000 00000000 0000 0000 0000000000000000");
  EXPECT_EQ(answer, want);
}

// Items of a length that is not a multiple of 8: back to back by default,
// on 8-byte boundaries with the padding in Size under "align": 8.
TEST(MachineRanges, AlignmentPadsEachItem) {
  const std::string items = R"([{"formatSize": 84, "maxChannels": 2}, {"range": "plain", "formatSize": 60}])";
  SimBytes packed = RangeAnswer(R"({"items": )" + items + "}");
  ASSERT_EQ(packed.size(), 8u + 84 + 60);
  EXPECT_EQ(SimBytes(packed.begin(), packed.begin() + 8), Bytes("98000000 02000000"));
  EXPECT_EQ(SimBytes(packed.begin() + 92, packed.begin() + 96), Bytes("3C000000"));
  SimBytes aligned = RangeAnswer(R"({"align": 8, "items": )" + items + "}");
  ASSERT_EQ(aligned.size(), 8u + 88 + 64);
  EXPECT_EQ(SimBytes(aligned.begin(), aligned.begin() + 8), Bytes("A0000000 02000000"));
  EXPECT_EQ(SimBytes(aligned.begin() + 92, aligned.begin() + 96), Bytes("00000000")) << "padding";
  EXPECT_EQ(SimBytes(aligned.begin() + 96, aligned.begin() + 100), Bytes("3C000000"));
  EXPECT_EQ(SimBytes(aligned.end() - 4, aligned.end()), Bytes("00000000"));
  SimBytes sized = RangeAnswer(R"({"align": 8, "size": 7, "items": )" + items + "}");
  EXPECT_EQ(SimBytes(sized.begin(), sized.begin() + 4), Bytes("07000000")) << "an explicit size stands";
}

TEST(MachineRanges, BadItemsNameTheirKey) {
  EXPECT_EQ(RangeError(R"([{"range": "midi"}])"), "[0].range: expected \"audio\", \"music\" or \"plain\"");
  EXPECT_EQ(RangeError(R"([{"range": "plain", "maxChannels": 2}])"), "[0].maxChannels: unknown key");
  EXPECT_EQ(RangeError(R"([{"range": "music", "minRate": 2}])"), "[0].minRate: unknown key");
  EXPECT_EQ(RangeError(R"([{"technology": "KSMUSIC_TECHNOLOGY_PORT"}])"), "[0].technology: unknown key");
  EXPECT_EQ(RangeError(R"([{"flags": -2}])"), "[0].flags: negative number");
  EXPECT_EQ(RangeError(R"([{"attributes": [["GUID_NULL"]]}])"),
            "[0].attributes[0]: expected [ATTRIBUTE, FLAGS] or [ATTRIBUTE, FLAGS, VALUE]");
  EXPECT_EQ(RangeError(R"([{"attributes": [["GUID_NULL", 0, "MODE_RAW"]]}])"),
            "[0].attributes[0][2]: not a GUID: MODE_RAW");
  EXPECT_EQ(RangeError(R"([{"attributes": [], "flags": 0}])"), "[0].flags: unknown key");
  EXPECT_EQ(RangeError(R"({"align": 4, "items": []})"), ".align: expected 1 or 8");
  EXPECT_EQ(RangeError(R"({"align": 8, "hex": "00"})"),
            ": hex, unread, error and pending stand for the whole answer; no items, count, size or align beside them");
}

// The loader's fuzzer starts from the dictionary; what it does not know it
// rarely finds.
TEST(MachineRanges, FuzzDictionaryKnowsTheRangeKeysAndGuidNames) {
  std::string dict = SourceText("tests/fuzz/machine.dict");
  ASSERT_FALSE(dict.empty()) << "tests/fuzz/machine.dict";
  auto entry = [](const std::string& word) { return "\"\\\"" + word + "\\\"\"\n"; };
  for (const char* key : {"range", "music", "plain", "flags", "sampleSize", "reserved", "technology",
                          "channels", "notes", "channelMask", "attributes", "align"}) {
    EXPECT_NE(dict.find(entry(key)), std::string::npos) << key;
  }
  size_t count = 0;
  const GuidName* table = GuidNameTable(&count);
  for (size_t i = 0; i < count; ++i) {
    EXPECT_NE(dict.find(entry(table[i].Name)), std::string::npos) << table[i].Name;
  }
}

}  // namespace
}  // namespace ksr

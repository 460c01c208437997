#include "reader/reader_diff.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "machine_list.h"
#include "reader/reader_intake.h"
#include "tests/test.h"

namespace ksr {
namespace {

ParsedReport Parsed(const std::string& bytes) {
  ParsedReport r;
  std::string error;
  EXPECT_TRUE(ReaderParse(bytes, &r, &error)) << error;
  return r;
}

std::string Diff(const ParsedReport& a, const ParsedReport& b, bool* same, const ReadOptions& options = {}) {
  return ReaderDiff({"before.txt", &a}, {"after.txt", &b}, options, same);
}

const char kHead[] = "before: before.txt\nafter:  after.txt\n";

TEST(ReaderDiff, IdenticalReportsHaveNoDifferences) {
  ParsedReport r = Parsed(TypicalReport());
  bool same = false;
  EXPECT_EQ(Diff(r, r, &same), std::string(kHead) + "no differences\n");
  EXPECT_TRUE(same);
}

// A driver update: every value of a device the report shows is compared.
TEST(ReaderDiff, DriverMakerBusAndPinTypesShowAsChanges) {
  ParsedReport before = Parsed(TypicalReport());
  std::string text = ReplacedOnce(TypicalReport(), "hdaudio.sys", "IntcAudioBus.sys");
  text = ReplacedOnce(text, "(Generic USB Audio)", "Generic USB Audio");
  text = ReplacedOnce(text, "Device BUS NUMBER = 00000003", "Device BUS NUMBER = 00000004");
  text = ReplacedOnce(text, "NumPins: 00000003", "NumPins: 00000004");
  bool same = true;
  EXPECT_EQ(Diff(before, Parsed(text), &same),
            std::string(kHead) +
                "~ device \"High Definition Audio Device\" (HDAUDIO\\FUNC_01&VEN_1234&DEV_5678&SUBSYS_12345678&REV_1001)\n"
                "    ~ driver: \"hdaudio.sys\" -> \"IntcAudioBus.sys\"\n"
                "~ device \"USB Audio Device\" (USB\\VID_1234&PID_ABCD&REV_0100&MI_00)\n"
                "    ~ maker: \"(Generic USB Audio)\" -> \"Generic USB Audio\"\n"
                "    ~ bus number: 3 -> 4\n"
                "    ~ interface \"USB Audio Interface\": pin types: 3 -> 4\n");
  EXPECT_FALSE(same);
}

TEST(ReaderDiff, RenamedItemsAreOneItemThatChanged) {
  ParsedReport before = Parsed(TypicalReport());
  std::string text = ReplacedOnce(TypicalReport(), "High Definition Audio Device", "HD Audio");
  text = ReplacedOnce(text, "+Microphone", "+Mic");
  text = ReplacedOnce(text, "ROOT\\LINECONV", "ROOT\\LINECONV2");
  bool same = true;
  EXPECT_EQ(Diff(before, Parsed(text), &same),
            std::string(kHead) +
                "~ device \"High Definition Audio Device\" (HDAUDIO\\FUNC_01&VEN_1234&DEV_5678&SUBSYS_12345678&REV_1001)\n"
                "    ~ description: \"High Definition Audio Device\" -> \"HD Audio\"\n"
                "    ~ interface \"Microphone\": name: \"Microphone\" -> \"Mic\"\n"
                "~ device \"Line Converter\" (ROOT\\LINECONV)\n"
                "    ~ hardware ID: \"ROOT\\LINECONV\" -> \"ROOT\\LINECONV2\"\n");
}

TEST(ReaderDiff, RemovedAndAddedItemsShowTheirValues) {
  ParsedReport before = Parsed(TypicalReport());
  SimMachine machine = LoadMachine("examples/typical-machine.json");
  machine.devices.erase(machine.devices.begin() + 2);                   // the line converter goes
  machine.devices[1].interfaces[0].pins[1].dataRanges =
      SimList({SimPcmRange(2, 16, 48000, 48000)});                     // a narrower range
  machine.devices[1].interfaces[0].pins[2].communication = SimU32(1);   // a new pin
  ParsedReport after = Parsed(RunMachine(machine).report);
  const std::string usb = "~ device \"USB Audio Device\" (USB\\VID_1234&PID_ABCD&REV_0100&MI_00)\n";
  bool same = true;
  EXPECT_EQ(Diff(before, after, &same),
            std::string(kHead) + usb +
                "    ~ interface \"USB Audio Interface\", pin 1: max channels: 8 -> 2\n"
                "    ~ interface \"USB Audio Interface\", pin 1: max bits: 24 -> 16\n"
                "    ~ interface \"USB Audio Interface\", pin 1: min sample rate: 44100 -> 48000\n"
                "    ~ interface \"USB Audio Interface\", pin 1: max sample rate: 192000 -> 48000\n"
                "    + interface \"USB Audio Interface\", pin 2: pin 2, in: no usable PCM range\n"
                "- device \"Line Converter\" (ROOT\\LINECONV)\n"
                "    maker Generic, driver lineconv.sys\n"
                "    hardware ID ROOT\\LINECONV\n"
                "    bus 0, instance 0x00000003\n"
                "    interface \"Line Bridge\": 1 pin type(s), 0 a host can connect to\n");
  ReadOptions colour;
  colour.colour = true;
  std::string painted = Diff(after, before, &same, colour);
  EXPECT_NE(painted.find("\033[31m    - interface \"USB Audio Interface\", pin 2: pin 2, in: no usable PCM range\033[0m\n"),
            std::string::npos) << painted;
  EXPECT_NE(painted.find("\033[32m+ device \"Line Converter\" (ROOT\\LINECONV)\033[0m\n"), std::string::npos) << painted;
}

TEST(ReaderDiff, DataFlowRangePresenceAndFlagsAreCompared) {
  ParsedReport before = Parsed(TypicalReport());
  ParsedReport after = before;
  ParsedPin& pin = after.Devices[0].Interfaces[0].Pins[0];
  pin.Dataflow = 2;
  pin.Range.reset();
  ParsedPin& other = after.Devices[1].Interfaces[0].Pins[0];
  other.Range->MaxChannels = 65;
  bool same = true;
  std::string diff = Diff(before, after, &same);
  EXPECT_NE(diff.find("    ~ interface \"Speakers\", pin 0: data flow: in -> out\n"
                      "    ~ interface \"Speakers\", pin 0: range: 2 channels, 24 bits, 8000-96000 Hz (8-96 kHz) -> "
                      "no usable PCM range\n"), std::string::npos) << diff;
  EXPECT_NE(diff.find("pin 0: max channels: 8 -> 65\n"
                      "    ~ interface \"USB Audio Interface\", pin 0: flags: none -> [! more than 64 channels]\n"),
            std::string::npos) << diff;
}

// Every machine's report, with one value changed in a copy: the diff
// names exactly that change, and the JSON says the same.
TEST(ReaderDiff, EveryMachineShowsEachKindOfChangeAsExactlyThat) {
  size_t checked = 0;
  for (const char* name : kMachineFiles) {
    std::vector<ParsedReport> read;
    std::string error;
    if (!ReaderRead(RunMachine(LoadMachine(name)).report, false, &read, &error)) continue;
    const ParsedReport& before = read[0];
    for (size_t d = 0; d < before.Devices.size(); ++d) {
      struct Edit {
        const char* field;
        void (*apply)(ParsedDevice*);
      };
      const Edit edits[] = {
          {"driver", [](ParsedDevice* x) { x->Service += "2"; }},
          {"maker", [](ParsedDevice* x) { x->Manufacturer += " Inc"; }},
          {"bus number", [](ParsedDevice* x) { x->BusNumber ^= 1; }},
      };
      for (const Edit& edit : edits) {
        ParsedReport after = before;
        edit.apply(&after.Devices[d]);
        bool same = true;
        std::string json = ReaderDiffJson({"a", &before}, {"b", &after}, &same);
        nlohmann::json j = nlohmann::json::parse(json);
        ASSERT_EQ(j["changes"].size(), 1u) << name << " " << edit.field << json;
        EXPECT_EQ(j["changes"][0]["field"], edit.field) << name;
        EXPECT_EQ(j["format"], "ksreport-diff/1");
        EXPECT_FALSE(same);
        std::string text = ReaderDiff({"a", &before}, {"b", &after}, ReadOptions(), &same);
        EXPECT_EQ(CountOf(text, "\n    ~ "), 1) << text;
        ++checked;
      }
      for (size_t i = 0; i < before.Devices[d].Interfaces.size(); ++i) {
        ParsedReport after = before;
        ParsedInterface& iface = after.Devices[d].Interfaces[i];
        iface.PinTypes = iface.PinTypes ? *iface.PinTypes + 1 : 7;
        bool same = true;
        nlohmann::json j = nlohmann::json::parse(ReaderDiffJson({"a", &before}, {"b", &after}, &same));
        ASSERT_EQ(j["changes"].size(), 1u) << name;
        EXPECT_EQ(j["changes"][0]["field"], "pin types") << name;
        for (size_t p = 0; p < iface.Pins.size(); ++p) {
          ParsedReport flow = before;
          flow.Devices[d].Interfaces[i].Pins[p].Dataflow ^= 3;
          j = nlohmann::json::parse(ReaderDiffJson({"a", &before}, {"b", &flow}, &same));
          ASSERT_GE(j["changes"].size(), 1u) << name;
          EXPECT_EQ(j["changes"][0]["field"], "data flow") << name;
          if (!iface.Pins[p].Range) continue;
          ParsedReport range = before;
          range.Devices[d].Interfaces[i].Pins[p].Range->MaxBits += 8;
          j = nlohmann::json::parse(ReaderDiffJson({"a", &before}, {"b", &range}, &same));
          ASSERT_GE(j["changes"].size(), 1u) << name;
          EXPECT_EQ(j["changes"][0]["field"], "max bits") << name;
          EXPECT_EQ(j["changes"][0]["after"], j["changes"][0]["before"].get<uint32_t>() + 8) << name;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 30u);
}

TEST(ReaderDiff, JsonNamesBothFilesAndGivesRemovedItemsWhole) {
  ParsedReport before = Parsed(TypicalReport());
  ParsedReport after = before;
  after.Devices.pop_back();
  bool same = true;
  nlohmann::json j = nlohmann::json::parse(ReaderDiffJson({"old.txt", &before}, {"new.txt", &after}, &same));
  EXPECT_EQ(j["before"], "old.txt");
  EXPECT_EQ(j["after"], "new.txt");
  EXPECT_EQ(j["same"], false);
  ASSERT_EQ(j["changes"].size(), 1u);
  EXPECT_EQ(j["changes"][0]["change"], "removed");
  EXPECT_EQ(j["changes"][0]["device"]["hardwareId"], "ROOT\\VIRTUALCABLE");
  EXPECT_EQ(j["changes"][0]["before"]["instanceId"], 4);
  EXPECT_TRUE(j["changes"][0]["after"].is_null());
  j = nlohmann::json::parse(ReaderDiffJson({"a", &before}, {"a", &before}, &same));
  EXPECT_TRUE(same);
  EXPECT_TRUE(j["changes"].empty());
}

// Code page and UTF-8 forms of one name are one name.
TEST(ReaderDiff, CodePageTextMatchesItsUtf8Form) {
  ParsedReport cp = Parsed(ReplacedOnce(ReplacedOnce(TypicalReport(), "+Speakers", "+Entr\xE9" "e"),
                                        "High Definition", "Caf\xE9"));
  ParsedReport utf8 = Parsed(ReplacedOnce(ReplacedOnce(TypicalReport(), "+Speakers", "+Entr\xC3\xA9" "e"),
                                          "High Definition", "Caf\xC3\xA9"));
  bool same = false;
  Diff(cp, utf8, &same);
  EXPECT_TRUE(same);
}

}  // namespace
}  // namespace ksr

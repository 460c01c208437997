// The text and the JSON of an explanation as a whole, byte for byte, and
// what they must hold to: lines of at most 100 columns however long the
// platform's strings, colour only when asked, strings shown safely, and a
// JSON document that keeps to its schema.
#include <gtest/gtest.h>

#include <sstream>

#include "explain/explain_run.h"
#include "explain/explain_json.h"
#include "explain/explain_text.h"
#include "tests/json_schema.h"
#include "tests/test.h"

namespace ksr {
namespace {

constexpr GUID kOtherGuid = {0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};

// One device with one interface of two pins: one listed, with a range
// folded and one passed over; one stopped at the mediums gate.
SimMachine SmallMachine() {
  SimDataRange other;
  other.major = kOtherGuid;
  other.maxChannels = 8;
  SimPin listed = SimDefaultPin();
  listed.dataRanges = SimList({SimPcmRange(2, 16, 44100, 48000), SimDataRangeBytes(other)});
  SimPin stopped = SimDefaultPin();
  stopped.mediums = SimList({SimIdentifier(KSINTERFACESETID_Standard, 0, 0)});
  SimMachine machine;
  machine.devices = {TestDevice({listed, stopped})};
  machine.devices[0].interfaces[0].path = "\\\\?\\test#audio#0";
  return machine;
}

std::string StripColour(std::string text) {
  for (size_t at = text.find('\033'); at != std::string::npos; at = text.find('\033', at)) {
    text.erase(at, text.find('m', at) - at + 1);
  }
  return text;
}

TEST(ExplainText, ASmallMachineExplainsExactlySo) {
  ExplainRun explained = ExplainMachine(SmallMachine());
  EXPECT_EQ(ExplainText("small", explained.tree, false, true), SourceText("tests/expected/explain-small.txt"));
  EXPECT_EQ(ExplainText("small", explained.tree, false), SourceText("tests/expected/explain-small-default.txt"));
}

TEST(ExplainText, ColourOnlyWhenAskedAndOtherwiseTheSameText) {
  ExplainRun explained = ExplainMachine(SmallMachine());
  std::string plain = ExplainText("small", explained.tree, false, true);
  std::string colour = ExplainText("small", explained.tree, true, true);
  EXPECT_EQ(plain.find('\033'), std::string::npos);
  EXPECT_NE(colour.find("\033[32mfolded in the PCM pass"), std::string::npos);
  EXPECT_NE(colour.find("\033[31mpassed over: not audio\033[0m"), std::string::npos);
  EXPECT_EQ(StripColour(colour), plain);
}

// The full heading line of the device is "Device 1 \"NAME\": DevInst
// 0x00000042 (66); record released": 53 columns besides the name.
std::string DeviceHeading(const std::string& description) {
  SimMachine machine;
  machine.devices = {TestDevice({})};
  machine.devices[0].description = SimString(description);
  std::istringstream text(ExplainText("m", ExplainMachine(machine).tree, false, true));
  std::string line, heading;
  while (std::getline(text, line)) {
    if (line.compare(0, 9, "Device 1 ") == 0) {
      heading = line;
      std::getline(text, line);
      if (line.compare(0, 2, "  ") == 0 && line.compare(0, 6, "  SPDR") != 0) heading += "|" + line;
      break;
    }
  }
  return heading;
}

TEST(ExplainText, ALineOf100ColumnsStandsAndOneOf101Wraps) {
  std::string fits = DeviceHeading(std::string(47, 'x'));
  EXPECT_EQ(fits.size(), 100u) << fits;
  EXPECT_EQ(fits.find('|'), std::string::npos);
  std::string wraps = DeviceHeading(std::string(48, 'x'));
  EXPECT_EQ(wraps, "Device 1 \"" + std::string(48, 'x') + "\": DevInst 0x00000042 (66); record|  released");
}

TEST(ExplainText, LongStringsWithoutSpacesAreBrokenAndControlCharactersShown) {
  SimMachine machine;
  machine.devices = {TestDevice({})};
  machine.devices[0].hardwareIds = SimMulti({std::string(250, 'H')});
  machine.devices[0].manufacturer = SimString("Tab\there\x1b[31m");
  std::string text = ExplainText("m", ExplainMachine(machine).tree, false, true);
  std::istringstream lines(text);
  std::string line, joined;
  while (std::getline(lines, line)) {
    EXPECT_LE(ExplainColumns(line), kExplainColumns) << line;
    for (char c : line) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << line;
    if (line.find('H') != std::string::npos) joined += line.substr(line.find_first_not_of(' '));
  }
  EXPECT_NE(joined.find("\"" + std::string(250, 'H') + "\""), std::string::npos);
  EXPECT_NE(text.find("SPDRP_MFG          delivered \"Tab\\x09here\\x1B[31m\""), std::string::npos);
}

TEST(ExplainText, TheMachineFileNameIsShownAsTheReaderShowsOne) {
  SimMachine machine;
  std::string text = ExplainText("tab\there\x1b[31m caf\xE9.json", ExplainMachine(machine).tree, false);
  EXPECT_EQ(text.substr(0, text.find('\n')), "Explanation of tab\\x09here\\x1B[31m caf\xC3\xA9.json");
  EXPECT_EQ(text.find('\x1b'), std::string::npos);
}

TEST(ExplainText, AMachineIsToldFromAReportByItsFirstCharacter) {
  EXPECT_TRUE(ExplainLooksLikeMachine("{\"devices\": []}"));
  EXPECT_TRUE(ExplainLooksLikeMachine(" \r\n\t{"));
  EXPECT_TRUE(ExplainLooksLikeMachine("\xEF\xBB\xBF{}"));
  EXPECT_FALSE(ExplainLooksLikeMachine("ksreport 0.1.0 - WDM kernel-streaming audio report\r\n"));
  EXPECT_FALSE(ExplainLooksLikeMachine("\xFF\xFEk\0s"));
  EXPECT_FALSE(ExplainLooksLikeMachine("[1]"));
  EXPECT_FALSE(ExplainLooksLikeMachine(""));
}

TEST(ExplainJson, AMachineWithoutADeviceSetIsExactlySo) {
  SimMachine machine;
  machine.deviceSet = false;
  EXPECT_EQ(ExplainJson("none", ExplainMachine(machine).tree),
            "{\n"
            "  \"format\": \"ksreport-explain/1\",\n"
            "  \"machine\": \"none\",\n"
            "  \"summary\": {\n"
            "    \"devices\": 0,\n"
            "    \"interfacesListed\": 0,\n"
            "    \"pinsListed\": 0,\n"
            "    \"devicesKept\": 0,\n"
            "    \"interfacesKept\": 0,\n"
            "    \"pinsKept\": 0,\n"
            "    \"storeExhausted\": false,\n"
            "    \"misuse\": 0\n"
            "  },\n"
            "  \"deviceSet\": {\n"
            "    \"made\": false,\n"
            "    \"error\": 87\n"
            "  },\n"
            "  \"devices\": [],\n"
            "  \"devicesEnd\": null,\n"
            "  \"storeWanted\": null,\n"
            "  \"misuse\": [],\n"
            "  \"leftOut\": []\n"
            "}\n");
}

TEST(ExplainJson, TheSmallMachineKeepsToTheSchemaAndSaysWhy) {
  nlohmann::json json = nlohmann::json::parse(ExplainJson("small", ExplainMachine(SmallMachine()).tree));
  EXPECT_EQ(JsonSchemaCheck(JsonSchemaFile("docs/explain.schema.json"), json), std::vector<std::string>());
  const nlohmann::json& pins = json["devices"][0]["interfaces"][0]["pins"];
  EXPECT_EQ(pins[0]["best"], nlohmann::json::parse(
                                 R"({"maxChannels": 2, "maxBits": 16, "minSampleRate": 44100, "maxSampleRate": 48000})"));
  EXPECT_EQ(pins[0]["ranges"][1]["reason"], "not-audio");
  EXPECT_EQ(pins[0]["ranges"][1]["fields"]["major"], "{00112233-4455-6677-8899-AABBCCDDEEFF}");
  EXPECT_EQ(pins[1]["stoppedAt"], "mediums");
  EXPECT_EQ(pins[1]["reason"], "no-standard-medium");
  EXPECT_EQ(pins[1]["why"], "mediums list holds no standard medium");
}

TEST(ExplainJson, ARequestNeverSentNamesNoPropertyAndGivesTheEventsError) {
  // The third event is the first pin request's: it is never sent.
  SimMachine machine = LoadMachine("examples/typical-machine.json");
  machine.failCalls = {{"CreateEventA", 3, ERROR_NOT_ENOUGH_MEMORY}};
  ExplainTree tree = ExplainMachine(machine).tree;
  nlohmann::json json = nlohmann::json::parse(ExplainJson("typical", tree));
  EXPECT_EQ(JsonSchemaCheck(JsonSchemaFile("docs/explain.schema.json"), json), std::vector<std::string>());
  const nlohmann::json& request = json["devices"][0]["interfaces"][0]["pins"][0]["gates"][0]["requests"][0];
  EXPECT_EQ(request["outcome"], "not-sent");
  EXPECT_EQ(request["property"], nullptr);
  EXPECT_EQ(request["propertyId"], nullptr);
  EXPECT_EQ(request["pin"], nullptr);
  EXPECT_EQ(request["outputLength"], nullptr);
  EXPECT_EQ(request["error"], ERROR_NOT_ENOUGH_MEMORY);
  // The text says the same of it.
  const std::string words = "not sent: no completion event (8 ERROR_NOT_ENOUGH_MEMORY)";
  EXPECT_EQ(request["answer"], words);
  EXPECT_NE(ExplainText("typical", tree, false).find(words), std::string::npos);
}

TEST(ExplainJson, TheSchemaCheckFindsWhatBreaksIt) {
  nlohmann::json schema = JsonSchemaFile("docs/explain.schema.json");
  nlohmann::json good = nlohmann::json::parse(ExplainJson("small", ExplainMachine(SmallMachine()).tree));
  nlohmann::json missing = good;
  missing.erase("format");
  EXPECT_EQ(JsonSchemaCheck(schema, missing), std::vector<std::string>{"/: missing format"});
  nlohmann::json extra = good;
  extra["devices"][0]["interfaces"][0]["colour"] = "red";
  EXPECT_EQ(JsonSchemaCheck(schema, extra),
            std::vector<std::string>{"/devices/0/interfaces/0/colour: not in the schema"});
  nlohmann::json reason = good;
  reason["devices"][0]["interfaces"][0]["pins"][0]["ranges"][0]["verdict"] = "kept";
  EXPECT_EQ(JsonSchemaCheck(schema, reason),
            std::vector<std::string>{"/devices/0/interfaces/0/pins/0/ranges/0/verdict: not in enum: \"kept\""});
  nlohmann::json type = good;
  type["summary"]["pinsListed"] = -1;
  EXPECT_EQ(JsonSchemaCheck(schema, type), std::vector<std::string>{"/summary/pinsListed: below minimum"});
  nlohmann::json unknown = nlohmann::json::parse(R"({"type": "object", "pattern": "x"})");
  EXPECT_EQ(JsonSchemaCheck(unknown, good), std::vector<std::string>{"/: schema keyword not checked: pattern"});
}

}  // namespace
}  // namespace ksr

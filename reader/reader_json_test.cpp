#include "reader/reader_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "reader/reader_encoded_test.h"
#include "reader/reader_intake.h"
#include "tests/test.h"

namespace ksr {
namespace {

TEST(ReaderJson, HoldsOnlyValidUtf8) {
  std::string json = ReaderJson({{"a.txt", EncodedReport("Caf\xE9\x81", "Mic\x01"), {}}});
  EXPECT_NE(json.find("\"description\": \"Caf\xC3\xA9\xC2\x81\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"manufacturer\": \"Soci\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"name\": \"Mic\\u0001\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"transport\": []"), std::string::npos) << json;
  EXPECT_EQ(json.find("\xEF\xBF\xBD"), std::string::npos) << "nothing replaced: " << json;
}

TEST(ReaderJson, HoldsEveryPinAndRangeAsPlainIntegers) {
  ParsedReport r;
  std::string error;
  ASSERT_TRUE(ReaderParse(TypicalReport(), &r, &error));
  r.Devices[0].BusNumber = 0xFFFFFFFFu;
  nlohmann::json j = nlohmann::json::parse(ReaderJson({{"typical.txt", r, {}}}));
  EXPECT_EQ(j["format"], "ksreport-read/1");
  const nlohmann::json& report = j["reports"][0];
  EXPECT_EQ(report["complete"], true);
  EXPECT_TRUE(report["stopped"].is_null());
  EXPECT_EQ(report["devices"][0]["busNumber"].get<uint64_t>(), 4294967295u);
  EXPECT_EQ(report["devices"][0]["warnings"], nlohmann::json::array({"bus number 0xFFFFFFFF"}));
  EXPECT_EQ(report["devices"][1]["interfaces"][0]["pins"][0]["range"]["maxSampleRate"], 192000);
  size_t pins = 0;
  for (const auto& d : report["devices"]) {
    for (const auto& i : d["interfaces"]) pins += i["pins"].size();
  }
  EXPECT_EQ(pins, 4u);
}

// A file without a report is an entry that says why; an incomplete report
// says where it stopped, and keeps what came before.
TEST(ReaderJson, ErrorsAndIncompleteReportsAreEntries) {
  std::vector<ParsedReport> cut;
  std::string error;
  std::string text = TypicalReport();
  ASSERT_TRUE(ReaderRead(text.substr(0, text.find("Device Path: ROOT\\VIRTUALCABLE")), false, &cut, &error));
  nlohmann::json j = nlohmann::json::parse(
      ReaderJson({{"bad.txt", std::nullopt, ReaderStopOf("line 3: expected a rule line, found \"x\"")},
                  {"cut.txt", cut[0], {}},
                  {"gone.txt", std::nullopt, ReaderStop{0, "cannot be opened: No such file or directory"}}}));
  ASSERT_EQ(j["reports"].size(), 3u);
  EXPECT_EQ(j["reports"][0], nlohmann::json::parse(R"({"file": "bad.txt", "error": {"line": 3,
      "message": "expected a rule line, found \"x\""}})"));
  EXPECT_EQ(j["reports"][1]["complete"], false);
  EXPECT_EQ(j["reports"][1]["stopped"]["line"], 54);
  ASSERT_EQ(j["reports"][1]["devices"].size(), 4u);
  EXPECT_EQ(j["reports"][1]["devices"][2]["complete"], true);
  EXPECT_EQ(j["reports"][1]["devices"][3]["complete"], false);
  EXPECT_TRUE(j["reports"][2]["error"]["line"].is_null());
}

}  // namespace
}  // namespace ksr

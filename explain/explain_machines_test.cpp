// Every machine of the tree, and hostile machines made from random bytes,
// explain without a fault: each note finds its item, the pins the
// explanation lists with their best ranges are the report's of the same
// run, no line of text is longer than 100 columns, and the JSON keeps to
// its schema.
#include <gtest/gtest.h>

#include "explain/explain_run.h"
#include "explain/explain_json.h"
#include "explain/explain_text.h"
#include "machine_list.h"
#include "tests/fuzz/machine_codec.h"
#include "tests/explain_listing.h"
#include "tests/json_schema.h"
#include "tests/test.h"

namespace ksr {
namespace {

// Everything an explanation of any machine must hold to, its JSON's schema
// included.
void ExpectSound(const std::string& name, const SimMachine& machine, const ExplainRun& explained) {
  static const nlohmann::json schema = JsonSchemaFile("docs/explain.schema.json");
  nlohmann::json json;
  for (const std::string& fault : ExplainFaults(name, machine, explained, &json)) ADD_FAILURE() << name << ": " << fault;
  ASSERT_FALSE(json.is_discarded()) << name << ": not JSON";
  for (const std::string& fault : JsonSchemaCheck(schema, json)) ADD_FAILURE() << name << ": " << fault;
}

TEST(ExplainMachines, EveryMachineFileExplainsAsItsReportLists) {
  ASSERT_FALSE(JsonSchemaFile("docs/explain.schema.json").is_discarded()) << "the schema is not JSON";
  for (const char* file : kMachineFiles) {
    SimMachine machine = LoadMachine(file);
    ExpectSound(file, machine, ExplainMachine(machine));
  }
}

TEST(ExplainMachines, TheDefaultTextIsAtMostHalfTheFullOne) {
  for (const char* file : kMachineFiles) {
    ExplainTree tree = ExplainMachine(LoadMachine(file)).tree;
    std::string brief = ExplainText(file, tree, false), full = ExplainText(file, tree, false, true);
    EXPECT_LE(2 * brief.size(), full.size()) << file << ":\n" << brief;
    // Words of the implementation stay in the full text. (A cut capture's
    // bytes that were "never recorded" are the customer's, not ours.)
    EXPECT_EQ(brief.find("record kept"), std::string::npos) << file;
    EXPECT_EQ(brief.find("record released"), std::string::npos) << file;
    std::printf("%s: default %zu bytes, full %zu\n", file, brief.size(), full.size());
  }
}

TEST(ExplainMachines, StringsThatLookLikeReportLinesAreNotTakenForThem) {
  // A description begins its line of the report; one with line ends of its
  // own makes lines of the report the writer did not, which is no fault of
  // the explanation.
  for (const char* description : {"   +Speakers", "       +Pin 00000000 Dataflow: 00000001",
                                  "          MaxChannels: 00000002", "Speakers\r\n   +Headphones"}) {
    SimMachine machine;
    machine.devices = {TestDevice({SimDefaultPin()})};
    machine.devices[0].description = SimString(description);
    ExpectSound(description, machine, ExplainMachine(machine));
  }
}

TEST(ExplainMachines, AReportThatDoesNotParseIsAFaultUnlessAStringBrokeItsLines) {
  SimMachine machine;
  machine.devices = {TestDevice({SimDefaultPin()})};
  ExplainRun explained = ExplainMachine(machine);
  nlohmann::json json;
  EXPECT_EQ(ExplainFaults("whole", machine, explained, &json), std::vector<std::string>());
  explained.run.report.resize(explained.run.report.size() - 4);
  std::vector<std::string> faults = ExplainFaults("cut", machine, explained, &json);
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].rfind("the report does not parse: ", 0), 0u) << faults[0];
  machine.devices[0].manufacturer = SimString("Generic\n");
  EXPECT_EQ(ExplainFaults("cut", machine, explained, &json), std::vector<std::string>());
}

TEST(ExplainMachines, AReportThatLostItsFirstPiecesIsListedUnderTheWritersHeader) {
  ExplainRun explained = ExplainMachine(LoadMachine("tests/machines/report-create-failure.json"));
  ASSERT_NE(explained.run.report.compare(0, 8, "ksreport"), 0) << "the banner was not lost";
  std::vector<std::string> listing;
  std::string error;
  EXPECT_TRUE(ReportListing(explained.run.report, &listing, &error)) << error;
  EXPECT_EQ(listing, std::vector<std::string>{"device"});
  EXPECT_EQ(listing, ExplainListing(explained.tree));
}

TEST(ExplainMachines, TheSummaryCheckCatchesAPinLeftOutOfTheSummary) {
  // A pin listed without a range (Count 0): the summary must name it,
  // whether or not the walk left it a best range.
  SimPin pin = SimDefaultPin();
  pin.dataRanges = SimList({});
  SimMachine machine;
  machine.devices = {TestDevice({pin})};
  ExplainRun explained = ExplainMachine(machine);
  std::vector<std::string> report;
  std::string error;
  ASSERT_TRUE(ReportListing(explained.run.report, &report, &error)) << error;
  std::vector<ExplainLeftOut> items = ExplainLeftOuts(explained.tree);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(SummaryListing(explained.tree, items), report);
  ExplainTree tree = explained.tree;
  for (bool best : {true, false}) {
    if (!best) tree.devices.at(0).interfaces.at(0).pins.at(0).best.reset();
    EXPECT_NE(SummaryListing(tree, {}), report) << (best ? "with" : "without") << " a best range";
    EXPECT_EQ(SummaryListing(tree, ExplainLeftOuts(tree)), report) << (best ? "with" : "without") << " a best range";
  }
}

TEST(ExplainMachines, TheExplainedRunWritesTheSameReportAsAPlainRun) {
  for (const char* file : kMachineFiles) {
    SimMachine machine = LoadMachine(file);
    SimRunResult plain = SimRunReport(machine, "C:/explain", false);
    ExplainRun explained = ExplainMachine(machine);
    EXPECT_EQ(explained.run.report, plain.report) << file;
    EXPECT_EQ(explained.run.misuse, plain.misuse) << file;
    // The observer goes with the explained run: later runs make no notes.
    EXPECT_EQ(NoteObserve(nullptr), nullptr) << file;
  }
}

TEST(ExplainMachines, HostileMachinesMadeFromTheSeedsExplainSoundly) {
  // A fixed stream of pseudo-random machines, so that a failure repeats.
  uint32_t state = 0x2545F491u;
  auto next = [&state]() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  // Mutants of the machine files, as a fuzzer makes them: a few bytes of a
  // seed changed.
  std::vector<std::vector<uint8_t>> seeds;
  for (const char* file : kMachineFiles) seeds.push_back(FuzzEncodeMachine(LoadMachine(file)));
  size_t pins = 0, listed = 0, ranges = 0, cut = 0;
  for (int i = 0; i < 400; ++i) {
    std::vector<uint8_t> bytes = seeds[next() % seeds.size()];
    for (uint32_t n = 1 + next() % 8; n > 0 && !bytes.empty(); --n) {
      bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
    }
    SimMachine machine = FuzzDecodeMachine(bytes.data(), bytes.size());
    // Half of them with some answers cut, as a capture cuts those over its
    // bound.
    if (i % 2 == 1) ExplainCutAnswers(&machine, next());
    ExplainRun explained = ExplainMachine(machine);
    ExpectSound("mutant machine " + std::to_string(i), machine, explained);
    for (const ExplainDevice& device : explained.tree.devices) {
      for (const ExplainInterface& iface : device.interfaces) {
        for (const ExplainPin& pin : iface.pins) {
          ++pins;
          listed += pin.listed;
          ranges += pin.ranges.size();
          for (const ExplainStep& step : pin.gates) {
            for (const ExplainRequest& request : step.requests) cut += request.cut;
          }
          for (const ExplainRequest& request : pin.rangeRequests) cut += request.cut;
        }
      }
    }
  }
  // The stream reaches deep enough to test something.
  EXPECT_GT(pins, 100u);
  EXPECT_GT(listed, 0u);
  EXPECT_GT(ranges, 0u);
  EXPECT_GT(cut, 0u);
  std::printf("mutant machines: %zu pins, %zu listed, %zu ranges looked at, %zu cut answers\n", pins, listed,
              ranges, cut);
}

TEST(ExplainMachines, MachineFilesReencodedForTheFuzzerExplainAsTheirFiles) {
  for (const char* file : kMachineFiles) {
    std::vector<uint8_t> seed = FuzzEncodeMachine(LoadMachine(file));
    SimMachine machine = FuzzDecodeMachine(seed.data(), seed.size());
    ExpectSound(std::string(file) + " as a fuzz seed", machine, ExplainMachine(machine));
  }
}

}  // namespace
}  // namespace ksr

#include "reader/reader_parse.h"

#include <gtest/gtest.h>

#include "machine_list.h"
#include "tests/test.h"

namespace ksr {
namespace {

std::string ParseError(const std::string& bytes) {
  ParsedReport report;
  std::string error;
  EXPECT_FALSE(ReaderParse(bytes, &report, &error));
  return error;
}

// Lines one slip away from their kind: the strict grammar names each.
TEST(ReaderParse, LinesOneSlipAwayFromTheirKindAreRefused) {
  const std::string report = TypicalReport();
  EXPECT_NE(ParseError(ReplacedOnce(report, "Instance ID: 00000001", "Instance ID: 0000000a"))
                .find("eight upper-case hex digits"),
            std::string::npos);
  EXPECT_NE(ParseError(ReplacedOnce(report, "Generic Audio Maker / ", "")).find("the description line"),
            std::string::npos)
      << "one separator";
  EXPECT_NE(ParseError(ReplacedOnce(report, " Dataflow: ", " Dataflaw: ")).find("a Pin line"), std::string::npos);
}

// An error quotes a line whole up to 120 characters, then its ends.
TEST(ReaderParse, PartialErrorsQuoteLinesOf120CharactersWhole) {
  for (size_t length : {120u, 121u}) {
    std::vector<ReaderLine> lines = {{std::string(length, 'x'), 1}};
    ParsedReport r = ReaderParsePartial(lines, ReaderStart::kBanner);
    ASSERT_TRUE(r.Stopped.has_value());
    EXPECT_EQ(r.Stopped->Line, 1);
    bool whole = r.Stopped->Message.find(std::string(length, 'x')) != std::string::npos;
    EXPECT_EQ(whole, length == 120) << r.Stopped->Message;
    EXPECT_EQ(r.Stopped->Message.compare(0, 9, "expected "), 0) << "the message without its place";
  }
}

// After a bad line a partial read goes on at the next cut line; a stray
// rule inside the device is no footer.
TEST(ReaderParse, APartialReadResumesAtTheNextCutLineNotAnyRule) {
  const std::string report = TypicalReport();
  std::string damaged = ReplacedOnce(report, "Instance ID: 00000001\r\n",
                                     "Instance ID: 0000000x\r\n============================\r\n");
  std::vector<ReaderLine> lines;
  int number = 0;
  for (size_t at = 0; at < damaged.size();) {
    size_t end = damaged.find("\r\n", at);
    lines.push_back({damaged.substr(at, end - at), ++number});
    at = end + 2;
  }
  ParsedReport r = ReaderParsePartial(lines, ReaderStart::kBanner);
  EXPECT_FALSE(r.Stopped.has_value()) << r.Stopped->Message;
  ASSERT_EQ(r.Devices.size(), 4u);
  EXPECT_TRUE(r.Devices[0].Stopped.has_value());
  EXPECT_FALSE(r.Devices[1].Stopped.has_value());
}

TEST(ReaderParse, ReadsEveryLineKind) {
  ParsedReport r;
  std::string error;
  ASSERT_TRUE(ReaderParse(TypicalReport(), &r, &error)) << error;
  ASSERT_EQ(r.Devices.size(), 4u);
  const ParsedDevice& hd = r.Devices[0];
  EXPECT_EQ(hd.HardwareId, "HDAUDIO\\FUNC_01&VEN_1234&DEV_5678&SUBSYS_12345678&REV_1001");
  EXPECT_EQ(hd.Manufacturer, "Generic Audio Maker");
  EXPECT_EQ(hd.Service, "hdaudio");
  EXPECT_EQ(hd.InstanceId, 1u);
  ASSERT_EQ(hd.Interfaces.size(), 2u);
  EXPECT_EQ(hd.Interfaces[1].Name, "Microphone");
  ASSERT_EQ(hd.Interfaces[1].Pins.size(), 1u);
  EXPECT_EQ(hd.Interfaces[1].Pins[0].Id, 1u);
  EXPECT_EQ(hd.Interfaces[1].Pins[0].Range->MaxSampleRate, 48000u);
  EXPECT_EQ(r.Devices[1].BusNumber, 3u);
  EXPECT_FALSE(r.Devices[2].Interfaces[0].Pins.size());
  EXPECT_EQ(r.Feedback, "support@example.invalid");
}

TEST(ReaderParse, BadInputNamesTheLineAndWhatWasExpected) {
  std::string good = TypicalReport();
  EXPECT_EQ(ParseError("hello\r\n"), "line 1: expected the banner line (\"ksreport ...\"), found \"hello\"");
  EXPECT_EQ(ParseError(""), "line 1: expected the banner line (\"ksreport ...\"), but the report ends here");
  std::string lf;
  for (char c : good) if (c != '\r') lf += c;
  EXPECT_EQ(ParseError(lf), "line 1: expected CR LF at the end of the line (found LF alone), found \"" +
                                lf.substr(0, lf.find('\n')) + "\"");
  std::string cut = good.substr(0, good.find("Microphone") + 4);
  EXPECT_EQ(ParseError(cut).substr(0, 8), "line 19:");
  EXPECT_NE(ParseError(cut).find("cut short"), std::string::npos);
  EXPECT_EQ(ParseError(good.substr(0, good.find("Please"))),
            "line 63: expected the closing request line, but the report ends here");
  EXPECT_EQ(ParseError(ReplacedOnce(good, "Device BUS NUMBER = 00000003", "Device BUS NUMBER = 0000003")),
            "line 29: expected the Bus Number line with eight upper-case hex digits, found \"Device BUS NUMBER = 0000003\"");
  EXPECT_EQ(ParseError(ReplacedOnce(good, "MaxSampleRt: 00017700", "MaxSampleRt: 00017700x")).substr(0, 50),
            "line 18: expected the MaxSampleRt line with eight ");
  EXPECT_EQ(ParseError(ReplacedOnce(good, "          MaxBits    : 00000018\r\n", "")).substr(0, 38),
            "line 16: expected the MaxBits line, fo");
  EXPECT_EQ(ParseError(ReplacedOnce(good, "+Pin 00000001 Dataflow", "+Pin 00000001 DataFlow")).substr(0, 30),
            "line 21: expected a Pin line (");
  EXPECT_EQ(ParseError(ReplacedOnce(good, "hdaudio.sys", "hdaudio")).substr(0, 43),
            "line 10: expected the description line (\"de");
  EXPECT_EQ(ParseError(ReplacedOnce(good, "example.invalid!", "example.invalid")),
            "line 63: expected the closing request line to end in \"!\", found \"Please send this file to "
            "support@example.invalid\"");
  EXPECT_EQ(ParseError(good + "extra\r\n").substr(0, 57),
            "line 64: expected the end of the report after the closing");
  EXPECT_EQ(ParseError(ReplacedOnce(good, "Instance ID: 00000001\r\n", "Instance ID: 00000001\r")).substr(0, 30),
            "line 11: expected CR only befo");
}

// Lines that come from elsewhere in a file keep their own numbers.
std::vector<ReaderLine> NumberedFrom(const std::string& report, int first) {
  std::vector<ReaderLine> lines;
  for (size_t at = 0; at < report.size();) {
    size_t end = report.find("\r\n", at);
    lines.push_back({report.substr(at, end - at), first + static_cast<int>(lines.size())});
    at = end + 2;
  }
  return lines;
}

TEST(ReaderParse, LinesAreNamedByTheNumbersTheyCarry) {
  std::string good = TypicalReport();
  ParsedReport strict, r;
  std::string error;
  ASSERT_TRUE(ReaderParse(good, &strict, &error));
  ASSERT_TRUE(ReaderParseLines(NumberedFrom(good, 101), &r, &error)) << error;
  EXPECT_EQ(r.Devices.size(), strict.Devices.size());
  EXPECT_EQ(r.Devices[1].Line, strict.Devices[1].Line + 100);
  EXPECT_FALSE(ReaderParseLines(NumberedFrom(ReplacedOnce(good, "MaxBits    : 00000018", "MaxBits    : 0000001"), 11),
                                &r, &error));
  EXPECT_EQ(error, "line 26: expected the MaxBits line with eight upper-case hex digits, found \""
                   "          MaxBits    : 0000001\"");
  std::vector<ReaderLine> cut = NumberedFrom(good.substr(0, good.find("   +Microphone")), 7);
  EXPECT_FALSE(ReaderParseLines(cut, &r, &error));
  EXPECT_EQ(error, "line 25: expected a blank line, but the report ends here");
  EXPECT_FALSE(ReaderParseLines({}, &r, &error));
  EXPECT_EQ(error, "line 1: expected the banner line (\"ksreport ...\"), but the report ends here");
}

// Partial errors name every line kind allowed where they stand, with the
// labels as the tool writes them, and quote a long line by both ends.
TEST(ReaderParse, PartialErrorsNameEveryLineKindAllowed) {
  std::string good = TypicalReport();
  auto stop = [](const std::string& report) {
    std::vector<ReaderLine> lines = NumberedFrom(report, 1);
    ParsedReport r = ReaderParsePartial(lines, ReaderStart::kBanner);
    for (const ParsedDevice& d : r.Devices) {
      if (d.Stopped) return "line " + std::to_string(d.Stopped->Line) + ": " + d.Stopped->Message;
    }
    return r.Stopped ? "line " + std::to_string(r.Stopped->Line) + ": " + r.Stopped->Message : std::string();
  };
  // Stripped indentation: an interface line was as allowed as a blank one.
  EXPECT_EQ(stop(ReplacedOnce(good, "   +Microphone", "+Microphone")),
            "line 19: expected a Pin line (\"       +Pin XXXXXXXX Dataflow: XXXXXXXX\"), an Interface line "
            "(\"   +NAME\"), or a blank line, found \"+Microphone\"");
  EXPECT_EQ(stop(ReplacedOnce(good, "    NumPins: 00000003", "NumPins: 00000003")),
            "line 33: expected a NumPins line (\"    NumPins: XXXXXXXX\"), an Interface line (\"   +NAME\"), or a "
            "blank line, found \"NumPins: 00000003\"");
  EXPECT_EQ(stop(ReplacedOnce(good, "Instance ID: 00000002", "Instance Id: 00000002")),
            "line 31: expected the Instance ID line (\"Instance ID: XXXXXXXX\"), found \"Instance Id: 00000002\"");
  // A line of up to 120 characters is quoted whole; a longer one by its
  // start and its end.
  std::string longer(100, 'x');
  EXPECT_EQ(stop(ReplacedOnce(good, "Instance ID: 00000002", longer)),
            "line 31: expected the Instance ID line (\"Instance ID: XXXXXXXX\"), found \"" + longer + "\"");
  std::string joined = "Instance ID: 00000002 " + std::string(100, 'y') + " the end";
  EXPECT_EQ(stop(ReplacedOnce(good, "Instance ID: 00000002", joined)),
            "line 31: expected the Instance ID line (\"Instance ID: XXXXXXXX\") with eight upper-case hex digits, "
            "found \"" + joined.substr(0, 60) + " ... " + joined.substr(joined.size() - 40) + "\"");
  // Strict errors keep their words.
  ParsedReport r;
  std::string error;
  EXPECT_FALSE(ReaderParse(ReplacedOnce(good, "   +Microphone", "+Microphone"), &r, &error));
  EXPECT_EQ(error, "line 19: expected a blank line, found \"+Microphone\"");
}

// " / " inside a description or maker: the split taken is said.
TEST(ReaderParse, AnAmbiguousDescriptionLineIsNoted) {
  std::string good = TypicalReport();
  ParsedReport r;
  std::string error;
  ASSERT_TRUE(ReaderParse(ReplacedOnce(good, "High Definition Audio Device /", "Speakers / Headphones /"), &r, &error));
  EXPECT_EQ(r.Devices[0].Description, "Speakers");
  EXPECT_EQ(r.Devices[0].Manufacturer, "Headphones / Generic Audio Maker");
  ASSERT_EQ(r.Notes.size(), 1u);
  EXPECT_EQ(r.Notes[0], "line 10: the description line holds \" / \" more than twice, so where the description and the "
                        "maker end is ambiguous; read as description \"Speakers\" and maker \"Headphones / Generic "
                        "Audio Maker\"");
  ASSERT_TRUE(ReaderParse(good, &r, &error));
  EXPECT_TRUE(r.Notes.empty());
}

TEST(ReaderParse, AcceptsBannersOfOtherVersions) {
  std::string good = TypicalReport();
  std::string banner = good.substr(0, good.find("\r\n"));
  ParsedReport r;
  std::string error;
  EXPECT_TRUE(ReaderParse(ReplacedOnce(good, banner, "ksreport 9.12.0"), &r, &error)) << error;
  EXPECT_EQ(r.Banner, "ksreport 9.12.0");
  EXPECT_TRUE(ReaderParse(ReplacedOnce(good, banner, "ksreport 0.0.1-beta (old build)"), &r, &error)) << error;
}

// What a machine implies for the report's devices and interfaces, worked
// out from the machine file alone.
bool Usable(std::optional<uint32_t> flags) { return flags && *flags != 0 && (*flags & SPINT_REMOVED) == 0; }

std::string Text(const std::optional<SimBytes>& bytes, size_t room) {
  if (!bytes || bytes->size() > room) return "";
  std::string s(bytes->begin(), bytes->end());
  return s.substr(0, std::min(s.find('\0'), room - 1));
}

TEST(ReaderParse, EveryMachineFileReadsBackAsItsMachineImplies) {
  for (const char* name : kMachineFiles) {
    SimMachine machine = LoadMachine(name);
    // Reports that lack their start, or land under another name.
    if (machine.reportCreateFailures != 0 || machine.moduleFileName) continue;
    ParsedReport r;
    std::string error;
    ASSERT_TRUE(ReaderParse(RunMachine(machine).report, &r, &error)) << name << ": " << error;
    size_t devices = machine.deviceSet ? machine.devices.size() : 0;
    ASSERT_EQ(r.Devices.size(), devices) << name;
    for (size_t d = 0; d < devices; ++d) {
      const SimDevice& sim = machine.devices[d];
      const ParsedDevice& got = r.Devices[d];
      EXPECT_EQ(got.Description, Text(sim.description, 260)) << name;
      EXPECT_EQ(got.HardwareId, Text(sim.hardwareIds, 260)) << name;
      EXPECT_EQ(got.InstanceId, sim.devInst) << name;
      std::vector<std::string> expected;
      for (const SimInterface& i : sim.interfaces) {
        bool shown = Usable(i.flags) && i.path && i.path->size() <= 260 &&
                     (Usable(i.renderAlias) || Usable(i.captureAlias)) && i.opens && i.registryKey;
        if (!shown) continue;
        bool fits = i.friendlyName && i.friendlyName->size() <= 264;
        expected.push_back(fits ? Text(i.friendlyName, 264) : i.friendlyName ? std::string(263, 'A') : "");
      }
      std::vector<std::string> names;
      for (const ParsedInterface& i : got.Interfaces) names.push_back(i.Name);
      EXPECT_EQ(names, expected) << name << " device " << d;
      for (const ParsedInterface& i : got.Interfaces) {
        for (size_t p = 1; p < i.Pins.size(); ++p) EXPECT_LT(i.Pins[p - 1].Id, i.Pins[p].Id) << name;
      }
    }
  }
}

}  // namespace
}  // namespace ksr

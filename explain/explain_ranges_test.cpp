// One small pin for each way a data range is folded or passed over: the
// explanation says, range by range and pass by pass, exactly what the
// choice did with it, and the best range that resulted.
#include <gtest/gtest.h>

#include "explain/explain_reasons.h"
#include "explain/explain_run.h"
#include "tests/test.h"

namespace ksr {
namespace {

constexpr GUID kOtherGuid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

SimBytes Range(uint32_t channels, uint32_t bits, uint32_t minRate = 44100, uint32_t maxRate = 48000) {
  return SimPcmRange(channels, bits, minRate, maxRate);
}

SimBytes Changed(void (*change)(SimDataRange*)) {
  SimDataRange range;
  range.maxChannels = 2;
  range.minBits = 16;
  range.maxBits = 16;
  range.minRate = 44100;
  range.maxRate = 48000;
  change(&range);
  return SimDataRangeBytes(range);
}

SimBytes WithFormatSizeZero(SimBytes range) {
  WireStoreU32(range.data(), 0);
  return range;
}

// Each range looked at: "pass index verdict", with how it was folded and
// whether it ended its pass.
std::vector<std::string> Looks(const ExplainPin& pin) {
  std::vector<std::string> looks;
  for (const ExplainRange& r : pin.ranges) {
    std::string look = std::string(r.pass == kPassPcm ? "pcm " : "wildcard ") + std::to_string(r.index) + " " +
                       ExplainRangeKey(r);
    if (r.folded) look += std::string(" ") + ExplainMergeKey(r.merge);
    if (r.formatSizeZero) look += " format-size-zero";
    else if (r.endsPass) look += " ends";
    looks.push_back(look);
  }
  return looks;
}

struct RangeCase {
  const char* name;
  std::vector<SimBytes> ranges;
  std::optional<uint32_t> count;
  std::vector<std::string> looks;
  std::optional<PcmRange> best;  // none: no range with channels
};

const std::vector<RangeCase>& Cases() {
  static const std::vector<RangeCase> cases = {
      {"one PCM range", {Range(2, 16)}, {}, {"pcm 0 folded replaced"}, PcmRange{2, 16, 44100, 48000}},
      {"not audio", {Changed([](SimDataRange* r) { r->major = kOtherGuid; })}, {},
       {"pcm 0 not-audio", "wildcard 0 not-audio"}, {}},
      {"not PCM", {Changed([](SimDataRange* r) { r->sub = kOtherGuid; })}, {},
       {"pcm 0 not-pcm", "wildcard 0 not-wildcard"}, {}},
      {"another specifier", {Changed([](SimDataRange* r) { r->specifier = GUID_NULL; })}, {},
       {"pcm 0 other-specifier", "wildcard 0 not-wildcard"}, {}},
      {"fewer than 16 bits", {Range(2, 15)}, {}, {"pcm 0 fewer-than-16-bits", "wildcard 0 not-wildcard"}, {}},
      {"a wildcard range, any specifier",
       {Changed([](SimDataRange* r) {
         r->sub = KSDATAFORMAT_SUBTYPE_WILDCARD;
         r->specifier = kOtherGuid;
       })},
       {}, {"pcm 0 not-pcm", "wildcard 0 folded replaced"}, PcmRange{2, 16, 44100, 48000}},
      {"a wildcard range of 8 bits",
       {Changed([](SimDataRange* r) {
         r->sub = KSDATAFORMAT_SUBTYPE_WILDCARD;
         r->maxBits = 8;
       })},
       {}, {"pcm 0 not-pcm", "wildcard 0 fewer-than-16-bits"}, {}},
      {"no wildcard pass after a PCM range with channels",
       {Range(2, 16), Changed([](SimDataRange* r) { r->sub = KSDATAFORMAT_SUBTYPE_WILDCARD; r->maxChannels = 8; })},
       {}, {"pcm 0 folded replaced", "pcm 1 not-pcm"}, PcmRange{2, 16, 44100, 48000}},
      {"replaced, widened, smaller",
       {Range(2, 16, 44100, 48000), Range(2, 16, 8000, 22050), Range(1, 24)}, {},
       {"pcm 0 folded replaced", "pcm 1 folded widened", "pcm 2 folded smaller"}, PcmRange{2, 16, 8000, 48000}},
      {"any number of channels counts as 2", {Range(0xFFFFFFFFu, 24)}, {}, {"pcm 0 folded replaced"},
       PcmRange{2, 24, 44100, 48000}},
      {"a range of 0 channels folds but leaves no best", {Range(0, 16)}, {},
       {"pcm 0 folded replaced", "wildcard 0 not-wildcard"}, {}},
      {"FormatSize 0 ends each pass",
       {WithFormatSizeZero(Changed([](SimDataRange* r) { r->specifier = GUID_NULL; })), Range(2, 16)}, {},
       {"pcm 0 other-specifier format-size-zero", "wildcard 0 not-wildcard format-size-zero"}, {}},
      {"a range cut short", {Changed([](SimDataRange* r) { r->formatSize = 40; })}, {},
       {"pcm 0 past-the-answer", "wildcard 0 past-the-answer"}, {}},
      {"a range whose audio fields are cut", {Changed([](SimDataRange* r) { r->formatSize = 64; })}, {},
       {"pcm 0 past-the-answer", "wildcard 0 not-wildcard"}, {}},
      {"Count past the ranges", {Range(2, 16)}, 3u, {"pcm 0 folded replaced", "pcm 1 past-the-answer ends"},
       PcmRange{2, 16, 44100, 48000}},
  };
  return cases;
}

ExplainPin ExplainedPin(const SimAnswer& dataRanges) {
  SimPin pin = SimDefaultPin();
  pin.dataRanges = dataRanges;
  SimMachine machine;
  machine.devices = {TestDevice({pin})};
  ExplainRun explained = ExplainMachine(machine);
  EXPECT_TRUE(explained.run.misuse.empty());
  EXPECT_EQ(explained.tree.strayNotes, 0u);
  const ExplainPin& explainedPin = explained.tree.devices.at(0).interfaces.at(0).pins.at(0);
  EXPECT_TRUE(explainedPin.listed);
  return explainedPin;
}

TEST(ExplainRanges, EachRangeIsFoldedOrPassedOverForItsReason) {
  for (const RangeCase& c : Cases()) {
    ExplainPin pin = ExplainedPin(SimList(c.ranges, c.count));
    EXPECT_EQ(Looks(pin), c.looks) << c.name;
    ASSERT_TRUE(pin.best) << c.name;
    bool best = pin.RangesWritten();
    EXPECT_EQ(best, c.best.has_value()) << c.name;
    if (best && c.best) {
      EXPECT_EQ(pin.best->MaxChannels, c.best->MaxChannels) << c.name;
      EXPECT_EQ(pin.best->MaxBits, c.best->MaxBits) << c.name;
      EXPECT_EQ(pin.best->MinSampleRate, c.best->MinSampleRate) << c.name;
      EXPECT_EQ(pin.best->MaxSampleRate, c.best->MaxSampleRate) << c.name;
    }
    EXPECT_EQ(pin.record, best ? ExplainRecord::kKept : ExplainRecord::kReleased) << c.name;
  }
}

TEST(ExplainRanges, TheWordsOfEachVerdict) {
  ExplainPin cut = ExplainedPin(SimList({Range(2, 16)}, 3u));
  ASSERT_EQ(cut.ranges.size(), 2u);
  EXPECT_EQ(ExplainRangeWords(cut.ranges[0], 96), "folded in the PCM pass: it became the best range");
  EXPECT_EQ(ExplainRangeWords(cut.ranges[1], 96),
            "passed over: past the answer (needs bytes up to 128, the answer holds 96); the PCM pass ends here");
  ExplainPin zero = ExplainedPin(SimList({WithFormatSizeZero(Range(2, 8))}));
  ASSERT_EQ(zero.ranges.size(), 2u);
  EXPECT_EQ(ExplainRangeWords(zero.ranges[0], 96),
            "passed over: fewer than 16 bits; FormatSize 0 ended the PCM pass");
  EXPECT_EQ(ExplainRangeWords(zero.ranges[1], 96),
            "passed over: not the wildcard subtype; FormatSize 0 ended the wildcard pass");
}

struct FetchCase {
  const char* name;
  SimAnswer dataRanges;
  const char* reason;
  const char* words;
};

TEST(ExplainRanges, ARangeListThatCanNotBeFetchedIsSaidSo) {
  const FetchCase cases[] = {
      {"absent", SimAbsent(), "size-query-empty",
       "data ranges: size query gave nothing (answer absent (1168 ERROR_NOT_FOUND))"},
      {"pending", SimPending(), "size-query-empty", "data ranges: size query gave nothing (answer pending, cancelled)"},
      {"Count 0", SimList({}), "count-zero", "data ranges: Count is 0"},
      {"4 bytes", SimAnswerBytes({8, 0, 0, 0}), "header-past-answer", "data ranges: answer shorter than its 8-byte header"},
  };
  for (const FetchCase& c : cases) {
    ExplainPin pin = ExplainedPin(c.dataRanges);
    EXPECT_TRUE(pin.ranges.empty()) << c.name;
    ExplainWhyText why = ExplainFetchWhy(pin);
    EXPECT_EQ(why.key, c.reason) << c.name;
    EXPECT_EQ(why.words, c.words) << c.name;
    EXPECT_EQ(pin.record, ExplainRecord::kReleased) << c.name;
  }
}

}  // namespace
}  // namespace ksr

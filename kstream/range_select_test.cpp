#include "kstream/kstream.h"

#include <gtest/gtest.h>

#include "tests/test.h"

namespace ksr {
namespace {

// The lines under NumPins for one pin whose data ranges are `ranges`.
std::string Selected(const SimAnswer& ranges) {
  SimPin pin = SimDefaultPin();
  pin.dataRanges = ranges;
  std::string lines = PinLines({pin});
  std::string head = NumPins("00000001") + PinLine("00000000", "00000001");
  EXPECT_EQ(lines.compare(0, head.size(), head), 0) << lines;
  return lines.substr(head.size());
}

std::string Selected(const std::vector<SimBytes>& ranges) { return Selected(SimList(ranges)); }

SimBytes Shaped(uint32_t channels, uint32_t bits, const GUID& sub, const GUID& specifier) {
  SimDataRange range;
  range.maxChannels = channels;
  range.maxBits = bits;
  range.minRate = 8000;
  range.maxRate = 48000;
  range.sub = sub;
  range.specifier = specifier;
  return SimDataRangeBytes(range);
}

const GUID& kPcm = KSDATAFORMAT_SUBTYPE_PCM;
const GUID& kWild = KSDATAFORMAT_SUBTYPE_WILDCARD;
const GUID& kWfx = KSDATAFORMAT_SPECIFIER_WAVEFORMATEX;

TEST(RangeSelect, OneStereo16BitRangeAt44100) {
  EXPECT_EQ(Selected({SimPcmRange(2, 16, 44100, 44100)}),
            RangeLines("00000002", "00000010", "0000AC44", "0000AC44"));
}

TEST(RangeSelect, TiedRangesWidenEachBoundEvenWhenTheSpansDoNotTouch) {
  EXPECT_EQ(Selected({SimPcmRange(2, 16, 44100, 96000), SimPcmRange(2, 16, 8000, 22050)}),
            RangeLines("00000002", "00000010", "00001F40", "00017700"));
}

TEST(RangeSelect, MoreChannelsWinThenMoreBits) {
  EXPECT_EQ(Selected({SimPcmRange(2, 16, 8000, 8000), SimPcmRange(2, 24, 48000, 48000)}),
            RangeLines("00000002", "00000018", "0000BB80", "0000BB80"));
  EXPECT_EQ(Selected({SimPcmRange(2, 24, 48000, 48000), SimPcmRange(8, 16, 44100, 44100),
                      SimPcmRange(6, 32, 8000, 8000), SimPcmRange(8, 8, 8000, 8000)}),
            RangeLines("00000008", "00000010", "0000AC44", "0000AC44"));
}

TEST(RangeSelect, AnyChannelCountCountsAsStereo) {
  EXPECT_EQ(Selected({SimPcmRange(0xFFFFFFFF, 16, 8000, 8000), SimPcmRange(2, 16, 96000, 96000)}),
            RangeLines("00000002", "00000010", "00001F40", "00017700"));
}

TEST(RangeSelect, FewerThan16BitsAreIgnored) {
  EXPECT_EQ(Selected({SimPcmRange(2, 15, 8000, 8000)}), "");
  EXPECT_EQ(Selected({SimPcmRange(2, 8, 8000, 8000), SimPcmRange(1, 16, 8000, 8000)}),
            RangeLines("00000001", "00000010", "00001F40", "00001F40"));
}

TEST(RangeSelect, AnotherSpecifierIsIgnoredInBothPasses) {
  EXPECT_EQ(Selected({Shaped(2, 16, kPcm, KSDATAFORMAT_TYPE_AUDIO)}), "");
}

TEST(RangeSelect, WildcardRangesCountOnlyWhenNoPcmRangeHasChannels) {
  EXPECT_EQ(Selected({Shaped(8, 24, kWild, GUID_NULL), Shaped(2, 16, kPcm, kWfx)}),
            RangeLines("00000002", "00000010", "00001F40", "0000BB80"));
  EXPECT_EQ(Selected({Shaped(8, 24, kWild, KSDATAFORMAT_SUBTYPE_PCM), Shaped(2, 8, kPcm, kWfx)}),
            RangeLines("00000008", "00000018", "00001F40", "0000BB80"));
  // A PCM range without channels still sets bits; the wildcard pass goes on
  // from there.
  EXPECT_EQ(Selected({Shaped(0, 32, kPcm, kWfx), Shaped(2, 16, kWild, kWfx)}),
            RangeLines("00000002", "00000010", "00001F40", "0000BB80"));
  EXPECT_EQ(Selected({Shaped(0, 32, kPcm, kWfx)}), "");
}

TEST(RangeSelect, OtherMajorFormatsAreIgnored) {
  SimDataRange video;
  video.major = KSDATAFORMAT_SPECIFIER_WAVEFORMATEX;
  video.maxChannels = 2;
  video.maxBits = 16;
  EXPECT_EQ(Selected({SimDataRangeBytes(video)}), "");
}

TEST(RangeSelect, FormatSizeIsTheStepWithoutRounding) {
  SimDataRange a;
  a.formatSize = 84;
  a.maxChannels = 1;
  a.maxBits = 16;
  SimDataRange b = a;
  b.formatSize = 92;
  b.maxChannels = 4;
  SimDataRange c = a;
  c.maxChannels = 6;
  EXPECT_EQ(Selected({SimDataRangeBytes(a), SimDataRangeBytes(b), SimDataRangeBytes(c)}),
            RangeLines("00000006", "00000010", "00000000", "00000000"));
}

TEST(RangeSelect, AZeroFormatSizeWithAHugeCountIsOneLook) {
  SimDataRange stuck;
  stuck.maxChannels = 2;
  stuck.maxBits = 16;
  stuck.minRate = stuck.maxRate = 48000;
  SimBytes bytes = SimDataRangeBytes(stuck);
  bytes[0] = 0;  // FormatSize 0, with the range's own fields still there
  EXPECT_EQ(Selected(SimList({bytes, SimPcmRange(8, 24, 8000, 8000)}, 0xFFFFFFFFu)),
            RangeLines("00000002", "00000010", "0000BB80", "0000BB80"));
  EXPECT_EQ(PinRequests(0).back().a, KSPROPERTY_PIN_DATARANGES);
}

TEST(RangeSelect, ACountPastTheAnswerStopsAtItsEnd) {
  EXPECT_EQ(Selected(SimList({SimPcmRange(2, 16, 8000, 8000)}, 1000000u)),
            RangeLines("00000002", "00000010", "00001F40", "00001F40"));
  SimDataRange tiny;
  tiny.formatSize = 4;  // steps of 4 through the answer, never past it
  tiny.maxChannels = 2;
  tiny.maxBits = 16;
  EXPECT_EQ(Selected(SimList({SimDataRangeBytes(tiny)}, 0xFFFFFFFFu)), "");
}

TEST(RangeSelect, ARangeCutShortIsPassedOver) {
  SimDataRange cut;
  cut.formatSize = 60;  // the range's audio fields are not in the answer
  cut.maxChannels = 2;
  cut.maxBits = 16;
  EXPECT_EQ(Selected({SimDataRangeBytes(cut)}), "");
  EXPECT_EQ(Selected({SimDataRangeBytes(cut), SimPcmRange(1, 16, 8000, 8000)}),
            RangeLines("00000001", "00000010", "00001F40", "00001F40"));
  cut.formatSize = 64;  // every GUID there, none of the audio fields
  EXPECT_EQ(Selected({SimDataRangeBytes(cut)}), "");
}

TEST(RangeSelect, AnswersThatLieAboutTheirSize) {
  SimAnswer grew = SimList({SimPcmRange(2, 16, 8000, 8000)});
  grew.sizeQuery = 40;  // the data query then names 96
  EXPECT_EQ(Selected(grew), "");
  SimAnswer overReported = SimList({SimPcmRange(2, 16, 8000, 8000)});
  overReported.reported = 0x7FFFFFFF;
  EXPECT_EQ(Selected(overReported), RangeLines("00000002", "00000010", "00001F40", "00001F40"));
  SimAnswer underReported = SimList({SimPcmRange(2, 16, 8000, 8000)});
  underReported.reported = 40;
  EXPECT_EQ(Selected(underReported), "");
  EXPECT_EQ(Selected(SimAnswerBytes({0x10, 0, 0, 0, 1, 0, 0})), "");
  EXPECT_EQ(Selected(SimPending()), "");
}

TEST(MergeDataRange, ReplacesWidensOrIgnores) {
  PcmRange best = {0, 0, 0xFFFFFFFFu, 0};
  SimBytes r = SimPcmRange(2, 16, 44100, 48000);
  MergeDataRange(&best, r.data());
  EXPECT_EQ(best.MaxChannels, 2u);
  EXPECT_EQ(best.MinSampleRate, 44100u);
  SimBytes lower = SimPcmRange(2, 16, 8000, 16000);
  MergeDataRange(&best, lower.data());
  EXPECT_EQ(best.MinSampleRate, 8000u);
  EXPECT_EQ(best.MaxSampleRate, 48000u);
  SimBytes fewer = SimPcmRange(1, 32, 1, 999999);
  MergeDataRange(&best, fewer.data());
  EXPECT_EQ(best.MaxBits, 16u);
  EXPECT_EQ(best.MaxSampleRate, 48000u);
  // A replacing range's rates are taken as stated, even upside down.
  SimBytes odd = SimPcmRange(2, 24, 96000, 8000);
  MergeDataRange(&best, odd.data());
  EXPECT_EQ(best.MinSampleRate, 96000u);
  EXPECT_EQ(best.MaxSampleRate, 8000u);
}

}  // namespace
}  // namespace ksr

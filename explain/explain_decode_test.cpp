// Range lists as real drivers answer them, laid byte by byte here (not by
// the explanation's own reader): ranges flagged KSDATARANGE_ATTRIBUTES and
// followed by attribute lists naming signal-processing modes, MIDI pins'
// KSDATARANGE_MUSIC, bitstream ranges, one single-rate range per rate, a
// FormatSize off the 8-byte grid and an item too short for a range. Each
// item is shown with the kind and the numbers its bytes hold, the verdicts
// stay the run's, and what the driver offers is said in words.
#include <gtest/gtest.h>

#include "explain/explain_offers.h"
#include "explain/explain_reasons.h"
#include "explain/explain_run.h"
#include "explain/explain_summary.h"
#include "explain/explain_json.h"
#include "explain/explain_text.h"
#include "tests/test.h"

namespace ksr {
namespace {

// Little-endian numbers and GUIDs as they lie in an answer.
void Put32(SimBytes* b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutGuid(SimBytes* b, const char* text) {
  GUID g;
  ASSERT_TRUE(SimParseGuid(text, &g)) << text;
  Put32(b, g.Data1);
  for (uint16_t v : {g.Data2, g.Data3}) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
  }
  for (uint8_t v : g.Data4) b->push_back(v);
}

constexpr const char* kAudio = "73647561-0000-0010-8000-00aa00389b71";
constexpr const char* kPcm = "00000001-0000-0010-8000-00aa00389b71";
constexpr const char* kWaveFormatEx = "05589f81-c356-11ce-bf01-00aa0055595a";
constexpr const char* kDolbyDigital = "00000092-0000-0010-8000-00aa00389b71";
constexpr const char* kMusic = "E725D360-62CC-11CF-A5D6-28DB04C10000";
constexpr const char* kMidi = "1D262760-E957-11CF-A5D6-28DB04C10000";
constexpr const char* kDirectMusic = "1A82F8BC-3F8B-11D2-B774-0060083316C1";
constexpr const char* kSpecifierNone = "0F6417D6-C318-11D0-A43F-00A0C9223196";
constexpr const char* kTechnologyPort = "86C92E60-62E8-11CF-A5D6-28DB04C10000";
constexpr const char* kModeAttribute = "E1F89EB5-5F46-419B-967B-FF6770B98401";
constexpr const char* kModeDefault = "C18E2F7E-933D-4965-B7D1-1EEF228D2AF3";
constexpr const char* kModeRaw = "9E90EA20-B493-4FD1-A1A8-7E1361A956CF";

// KSDATARANGE: FormatSize, Flags, SampleSize, Reserved, MajorFormat,
// SubFormat, Specifier.
SimBytes Head(uint32_t formatSize, uint32_t flags, uint32_t sampleSize, const char* major, const char* sub,
              const char* specifier) {
  SimBytes b;
  for (uint32_t v : {formatSize, flags, sampleSize, 0u}) Put32(&b, v);
  for (const char* g : {major, sub, specifier}) PutGuid(&b, g);
  return b;
}

// KSDATARANGE_AUDIO, 88 bytes (its last 4 the padding to 8).
SimBytes Audio(const char* sub, uint32_t flags, uint32_t channels, uint32_t minBits, uint32_t maxBits,
               uint32_t minRate, uint32_t maxRate, uint32_t formatSize = 88) {
  SimBytes b = Head(formatSize, flags, 0, kAudio, sub, kWaveFormatEx);
  for (uint32_t v : {channels, minBits, maxBits, minRate, maxRate, 0u}) Put32(&b, v);
  b.resize(formatSize);
  return b;
}

// KSDATARANGE_MUSIC, 96 bytes: Technology, Channels, Notes, ChannelMask.
SimBytes Music(const char* sub = kMidi) {
  SimBytes b = Head(96, 0, 0, kMusic, sub, kSpecifierNone);
  PutGuid(&b, kTechnologyPort);
  for (uint32_t v : {16u, 0u, 0xFFFFu, 0u}) Put32(&b, v);
  return b;
}

// An attribute list of one KSATTRIBUTE_AUDIOSIGNALPROCESSING_MODE: the
// list's Size and Count, then the attribute's Size, Flags, id and mode.
SimBytes ModeList(const char* mode) {
  SimBytes b;
  Put32(&b, 48);
  Put32(&b, 1);
  Put32(&b, 40);
  Put32(&b, 0);
  PutGuid(&b, kModeAttribute);
  PutGuid(&b, mode);
  return b;
}

struct Explained {
  ExplainRun run;
  const ExplainPin& Pin() const { return run.tree.devices.at(0).interfaces.at(0).pins.at(0); }
};

Explained Explain(const SimAnswer& dataRanges) {
  SimPin pin = SimDefaultPin();
  pin.dataRanges = dataRanges;
  SimMachine machine;
  machine.devices = {TestDevice({pin})};
  Explained e{ExplainMachine(machine)};
  EXPECT_EQ(e.run.tree.strayNotes, 0u);
  return e;
}

// Each range of the PCM pass: its item in words, and the run's verdict.
std::vector<std::string> ItemLines(const ExplainPin& pin) {
  std::vector<ExplainItem> items = ExplainPinItems(pin);
  std::vector<std::string> lines;
  for (size_t i = 0; i < pin.ranges.size() && pin.ranges[i].pass == kPassPcm; ++i) {
    lines.push_back(ExplainItemWords(items[i]) + " => " + ExplainRangeKey(pin.ranges[i]));
  }
  return lines;
}

TEST(ExplainDecode, FlaggedRangesAndTheirAttributeListsAreToldApart) {
  Explained e = Explain(SimList({Audio(kPcm, 2, 2, 16, 16, 48000, 48000), ModeList(kModeDefault),
                                 Audio(kPcm, 2, 2, 16, 24, 44100, 44100), ModeList(kModeRaw),
                                 Audio(kPcm, 2, 2, 16, 24, 48000, 48000), ModeList(kModeRaw)}));
  const std::string flagged = "KSDATARANGE_AUDIO: FormatSize 88, Flags 0x00000002 KSDATARANGE_ATTRIBUTES, "
                              "SampleSize 0, KSDATAFORMAT_TYPE_AUDIO, KSDATAFORMAT_SUBTYPE_PCM, "
                              "KSDATAFORMAT_SPECIFIER_WAVEFORMATEX, 2 channels, bits ";
  const std::string list = "attribute list of the range before: Size 48, Count 1: "
                           "KSATTRIBUTEID_AUDIOSIGNALPROCESSING_MODE (Size 40, Flags 0x00000000) "
                           "signal-processing mode ";
  EXPECT_EQ(ItemLines(e.Pin()), (std::vector<std::string>{
                                    flagged + "16-16, 48000-48000 Hz => folded",
                                    list + "DEFAULT => not-audio",
                                    flagged + "16-24, 44100-44100 Hz => folded",
                                    list + "RAW => not-audio",
                                    flagged + "16-24, 48000-48000 Hz => folded",
                                    list + "RAW => not-audio",
                                }));
  EXPECT_EQ(ExplainPinOffers(e.Pin()), (std::vector<std::string>{
                                           "mode DEFAULT: 2 channels, 16 bits, 48000 Hz",
                                           "mode RAW: 2 channels, 16-24 bits, 44100, 48000 Hz",
                                       }));
  ASSERT_TRUE(e.Pin().RangesWritten());
  EXPECT_EQ(e.Pin().best->MaxBits, 24u);
}

TEST(ExplainDecode, AMidiPinShowsItsMusicRangeAndIsListedWithoutARange) {
  Explained e = Explain(SimList({Music()}));
  EXPECT_EQ(ItemLines(e.Pin()),
            (std::vector<std::string>{"KSDATARANGE_MUSIC: FormatSize 96, Flags 0x00000000, SampleSize 0, "
                                      "KSDATAFORMAT_TYPE_MUSIC, KSDATAFORMAT_SUBTYPE_MIDI, "
                                      "KSDATAFORMAT_SPECIFIER_NONE, technology KSMUSIC_TECHNOLOGY_PORT, 16 channels, "
                                      "0 notes, channel mask 0x0000FFFF => not-audio"}));
  EXPECT_EQ(ExplainPinOffers(e.Pin()), std::vector<std::string>{"no PCM; MIDI"});
  std::vector<ExplainLeftOut> leftOut = ExplainLeftOuts(e.run.tree);
  ASSERT_EQ(leftOut.size(), 1u);
  EXPECT_EQ(ExplainLeftOutLine(e.run.tree, leftOut[0]),
            "Device 1 \"Test Audio\", interface 1 \"Speakers\", pin 0: listed without a range: data ranges: no range "
            "is usable PCM (1 not audio)");
}

TEST(ExplainDecode, BitstreamRangesAreOfferedByName) {
  Explained e = Explain(SimList({Audio(kDolbyDigital, 0, 2, 16, 16, 192000, 192000),
                                 Audio(kPcm, 0, 2, 16, 16, 44100, 48000)}));
  EXPECT_EQ(ItemLines(e.Pin())[0],
            "KSDATARANGE_AUDIO: FormatSize 88, Flags 0x00000000, SampleSize 0, KSDATAFORMAT_TYPE_AUDIO, "
            "KSDATAFORMAT_SUBTYPE_IEC61937_DOLBY_DIGITAL, KSDATAFORMAT_SPECIFIER_WAVEFORMATEX, 2 channels, bits "
            "16-16, 192000-192000 Hz => not-pcm");
  EXPECT_EQ(ExplainPinOffers(e.Pin()), (std::vector<std::string>{"2 channels, 16 bits, 44100-48000 Hz",
                                                                 "also IEC 61937 Dolby Digital"}));
}

TEST(ExplainDecode, OneRangePerRateIsOfferedAsDiscreteRates) {
  std::vector<SimBytes> ranges;
  for (uint32_t rate : {48000u, 8000u, 11025u, 16000u, 22050u, 32000u, 44100u}) {
    ranges.push_back(Audio(kPcm, 0, 2, 16, 16, rate, rate));
  }
  Explained e = Explain(SimList(ranges));
  EXPECT_EQ(ExplainPinOffers(e.Pin()),
            std::vector<std::string>{"2 channels, 16 bits, 8000, 11025, 16000, 22050, 32000, 44100, 48000 Hz"});
  // The report's range is the run's fold: one span.
  ASSERT_TRUE(e.Pin().RangesWritten());
  EXPECT_EQ(e.Pin().best->MinSampleRate, 8000u);
  EXPECT_EQ(e.Pin().best->MaxSampleRate, 48000u);
  std::string text = ExplainText("rates", e.run.tree, false);
  EXPECT_NE(text.find("      offers         2 channels, 16 bits, 8000, 11025, 16000, 22050, 32000, 44100, 48000 "
                      "Hz\n"),
            std::string::npos)
      << text;
}

TEST(ExplainDecode, AFormatSizeOffTheGridIsSaidForEachItemAfterIt) {
  // 90 bytes: the walk reads the next range at byte 98, 6 bytes short of
  // 104, where the platform would have placed it.
  Explained e = Explain(SimList({Audio(kPcm, 0, 2, 16, 16, 44100, 44100, 90), Audio(kPcm, 0, 2, 16, 16, 48000, 48000)}));
  std::vector<ExplainItem> items = ExplainPinItems(e.Pin());
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].offset, 8u);
  EXPECT_EQ(ExplainItemOffBoundary(items[0]), 0u);
  EXPECT_EQ(items[1].offset, 98u);
  EXPECT_EQ(ExplainItemOffBoundary(items[1]), 6u);
  std::string text = ExplainText("grid", e.run.tree, false, true);
  EXPECT_NE(text.find("read 6 byte(s) short of byte 104, where the platform places it"), std::string::npos) << text;
}

TEST(ExplainDecode, TheDriftOfSeveralFormatSizesOffTheGridAddsUp) {
  // Packed 84, 84, 88: the walk reads them at 8, 92 and 176; the platform
  // places them at 8, 96 and 184. The third starts on a boundary of 8, but
  // not on its own.
  Explained e = Explain(SimList({Audio(kPcm, 0, 2, 16, 16, 44100, 44100, 84),
                                 Audio(kPcm, 0, 2, 16, 16, 48000, 48000, 84), Audio(kPcm, 0, 2, 16, 16, 96000, 96000)}));
  std::vector<ExplainItem> items = ExplainPinItems(e.Pin());
  ASSERT_EQ(items.size(), 3u);
  std::vector<uint64_t> offsets, placed, off;
  for (const ExplainItem& item : items) {
    offsets.push_back(item.offset);
    placed.push_back(item.placed);
    off.push_back(ExplainItemOffBoundary(item));
  }
  EXPECT_EQ(offsets, (std::vector<uint64_t>{8, 92, 176}));
  EXPECT_EQ(placed, (std::vector<uint64_t>{8, 96, 184}));
  EXPECT_EQ(off, (std::vector<uint64_t>{0, 4, 8}));
  std::string text = ExplainText("drift", e.run.tree, false, true);
  EXPECT_NE(text.find("read 8 byte(s) short of byte 184, where the platform places it"), std::string::npos) << text;
}

TEST(ExplainDecode, AnAttributeLongerThanItsListNamesNoMode) {
  // The list's Size (32) holds the attribute's 24-byte head only; the
  // attribute says 40 bytes, and the 16 after its head are the next
  // range's. No mode is read from them, and the offers are not grouped by
  // one.
  SimBytes list;
  for (uint32_t v : {32u, 1u, 40u, 0u}) Put32(&list, v);
  PutGuid(&list, kModeAttribute);
  Explained e = Explain(SimList({Audio(kPcm, 2, 2, 16, 16, 48000, 48000), list,
                                 Audio(kPcm, 0, 2, 24, 24, 96000, 96000)}));
  std::vector<std::string> lines = ItemLines(e.Pin());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "attribute list of the range before: Size 32, Count 1: KSATTRIBUTEID_AUDIOSIGNALPROCESSING_MODE "
                      "(Size 40, Flags 0x00000000); the rest past the list or the answer => not-audio");
  EXPECT_EQ(ExplainPinOffers(e.Pin()), (std::vector<std::string>{"2 channels, 16 bits, 48000 Hz",
                                                                 "2 channels, 24 bits, 96000 Hz"}));
  // A list whose Size holds the whole attribute names its mode.
  Explained whole = Explain(SimList({Audio(kPcm, 2, 2, 16, 16, 48000, 48000), ModeList(kModeRaw)}));
  EXPECT_EQ(ExplainPinOffers(whole.Pin()), std::vector<std::string>{"mode RAW: 2 channels, 16 bits, 48000 Hz"});
}

TEST(ExplainDecode, MusicRangesAreOfferedByTheirSubtype) {
  Explained e = Explain(SimList({Music(kDirectMusic), Music(), Music(kPcm)}));
  EXPECT_EQ(ExplainPinOffers(e.Pin()), std::vector<std::string>{"no PCM; DirectMusic, MIDI, KSDATAFORMAT_SUBTYPE_PCM"});
  // The DirectMusic pins of a machine in the tree.
  std::string text = ExplainText("cmi", ExplainMachine(LoadMachine("tests/machines/cmi8738.json")).tree, false);
  EXPECT_NE(text.find("offers         no PCM; DirectMusic\n"), std::string::npos) << text;
}

TEST(ExplainDecode, TheFullTextShowsWhatAnotherKindReadsAsAudioFieldsAsInformation) {
  // A MIDI range of 96 bytes: at the audio fields' places lie its
  // Technology GUID and Channels.
  Explained e = Explain(SimList({Music(), ModeList(kModeRaw)}));
  std::string full = ExplainText("midi", e.run.tree, false, true);
  const std::string line = "\n          its bytes read as a KSDATARANGE_AUDIO: 2261331552 channels, bits "
                           "298803944-3676886693,\n            49412-16 Hz (information only)\n          passed "
                           "over: not audio\n";
  size_t first = full.find(line);
  ASSERT_NE(first, std::string::npos) << full;
  // Only the MIDI range, once in each pass: the 48 bytes after it hold no
  // audio fields.
  size_t second = full.find("its bytes read as", first + line.size());
  EXPECT_EQ(full.find(line, first + line.size()), second - 11) << full;
  EXPECT_EQ(full.find("its bytes read as", second + 1), std::string::npos) << full;
  EXPECT_EQ(ExplainText("midi", e.run.tree, false).find("its bytes read as"), std::string::npos);
}

TEST(ExplainDecode, AnItemTooShortForARangeIsSaidSo) {
  // Count 2, but the answer ends 40 bytes into the second item.
  SimBytes second = Audio(kPcm, 0, 2, 16, 16, 48000, 48000);
  second.resize(40);
  Explained e = Explain(SimList({Audio(kPcm, 0, 2, 16, 16, 44100, 44100), second}));
  std::vector<std::string> lines = ItemLines(e.Pin());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "too short for a data range: 40 bytes in the answer; FormatSize 88, Flags 0x00000000, "
                      "SampleSize 0, KSDATAFORMAT_TYPE_AUDIO => past-the-answer");
}

TEST(ExplainDecode, AnAnswerCutFromTheCaptureIsNamedInTheVerdict) {
  SimAnswer cut;
  cut.kind = SimAnswer::kBytes;
  cut.unread = 2000000;
  Explained e = Explain(cut);
  ASSERT_FALSE(e.Pin().rangeRequests.empty());
  EXPECT_TRUE(e.Pin().rangeRequests.back().cut);
  std::vector<ExplainLeftOut> leftOut = ExplainLeftOuts(e.run.tree);
  ASSERT_EQ(leftOut.size(), 1u);
  EXPECT_EQ(ExplainLeftOutLine(e.run.tree, leftOut[0]),
            "Device 1 \"Test Audio\", interface 1 \"Speakers\", pin 0: listed without a range: data ranges: Count "
            "is 0; its answer to KSPROPERTY_PIN_DATARANGES (2000000 bytes) was cut from the capture and never "
            "recorded, so the machine may say otherwise");
  std::string text = ExplainText("cut", e.run.tree, false);
  EXPECT_NE(text.find("    Pin 0: listed, data flow 0x00000001 (1) KSPIN_DATAFLOW_IN, without a range; its answer "
                      "to"),
            std::string::npos)
      << text;
  // An answer recorded whole is not cut.
  Explained whole = Explain(SimList({Audio(kPcm, 0, 2, 16, 16, 44100, 48000)}));
  EXPECT_FALSE(whole.Pin().rangeRequests.back().cut);
}

}  // namespace
}  // namespace ksr

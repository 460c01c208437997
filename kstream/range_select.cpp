#include "report/note.h"
#include "kstream/answer_bytes.h"
#include "kstream/kstream.h"
#include "report/layout.h"

namespace ksr {

namespace {

enum class RangePass { kPcm, kWildcard };

// Tests a range in the pass's order. A range whose tested fields reach past
// the answer is passed over.
bool RangeUsable(const KsAnswer& answer, uint64_t at, RangePass pass) {
  if (!KsAnswerMatchGuid(answer.Data, answer.Length, at + kMajorFormatAt, KSDATAFORMAT_TYPE_AUDIO)) {
    NoteMake(Note::kNotAudio, at);
    return false;
  }
  const GUID& sub = pass == RangePass::kPcm ? KSDATAFORMAT_SUBTYPE_PCM : KSDATAFORMAT_SUBTYPE_WILDCARD;
  if (!KsAnswerMatchGuid(answer.Data, answer.Length, at + kSubFormatAt, sub)) {
    NoteMake(Note::kOtherSubtype, at);
    return false;
  }
  if (pass == RangePass::kPcm &&
      !KsAnswerMatchGuid(answer.Data, answer.Length, at + kSpecifierAt, KSDATAFORMAT_SPECIFIER_WAVEFORMATEX)) {
    NoteMake(Note::kOtherSpecifier, at);
    return false;
  }
  if (!KsAnswerHas(answer.Length, at, kDataRangeAudioSize)) return false;
  if (WireLoadU32(answer.Data + at + kMaxBitsAt) < 16) {
    NoteMake(Note::kFewBits, at);
    return false;
  }
  return true;
}

void FoldRanges(const KsAnswer& answer, PcmRange* best, RangePass pass) {
  NoteMake(Note::kRangePass, pass == RangePass::kPcm ? kPassPcm : kPassWildcard);
  uint64_t at = kKsItemsOffset;
  for (uint32_t i = 0; i < answer.Count; ++i) {
    NoteMake(Note::kRangeAt, at);
    if (!KsAnswerHas(answer.Length, at, kRangeHeadSize)) {
      NoteMake(Note::kRangeHeadPast, at);
      return;
    }
    if (RangeUsable(answer, at, pass)) MergeDataRange(best, answer.Data + at);
    uint32_t formatSize = WireLoadU32(answer.Data + at + kFormatSizeAt);
    // A range of size 0 would be looked at again for the rest of the count
    // with the same result; one look is all it gives.
    if (formatSize == 0) {
      NoteMake(Note::kFormatSizeZero, at);
      return;
    }
    at += formatSize;
  }
}

}  // namespace

void MergeDataRange(PcmRange* best, const uint8_t* range) {
  uint32_t channels = WireLoadU32(range + kMaxChannelsAt);
  if (channels == 0xFFFFFFFFu) channels = 2;  // "any number" is reported as stereo
  uint32_t bits = WireLoadU32(range + kMaxBitsAt);
  uint32_t minRate = WireLoadU32(range + kMinRateAt);
  uint32_t maxRate = WireLoadU32(range + kMaxRateAt);
  if (channels > best->MaxChannels || (channels == best->MaxChannels && bits > best->MaxBits)) {
    best->MaxChannels = channels;
    best->MaxBits = bits;
    best->MinSampleRate = minRate;
    best->MaxSampleRate = maxRate;
    NoteMake(Note::kMergeReplaced);
  } else if (channels == best->MaxChannels && bits == best->MaxBits) {
    NoteMake(Note::kMergeWidened);
    if (minRate < best->MinSampleRate) best->MinSampleRate = minRate;
    if (maxRate > best->MaxSampleRate) best->MaxSampleRate = maxRate;
  } else {
    NoteMake(Note::kMergeSmaller);
  }
}

void KsPinSelectRange(HANDLE deviceHandle, PinRecord* pin) {
  PcmRange* best = &pin->BestRange;
  KsAnswer answer;
  if (FetchMultipleItem(deviceHandle, pin->PinId, KSPROPERTY_PIN_DATARANGES, &answer)) {
    best->MinSampleRate = 0xFFFFFFFFu;
    FoldRanges(answer, best, RangePass::kPcm);
    if (best->MaxChannels == 0) FoldRanges(answer, best, RangePass::kWildcard);
    KsAnswerFree(&answer);
  }
  NoteMake(Note::kBestRange, static_cast<uint64_t>(best->MaxChannels) << 32 | best->MaxBits,
           static_cast<uint64_t>(best->MinSampleRate) << 32 | best->MaxSampleRate);
  if (best->MaxChannels == 0) return;
  ReportMaxChannelsLine(best->MaxChannels);
  ReportMaxBitsLine(best->MaxBits);
  ReportMinSampleRateLine(best->MinSampleRate);
  ReportMaxSampleRateLine(best->MaxSampleRate);
}

}  // namespace ksr

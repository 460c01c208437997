// Each item of a data-range answer read as what it is: a KSDATARANGE_AUDIO,
// a KSDATARANGE_MUSIC, a plain KSDATARANGE, the attribute list that follows
// a range flagged KSDATARANGE_ATTRIBUTES, or bytes too short to be any of
// them. Information for the reader only: the run's verdicts come from its
// notes, never from here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace ksr {

enum class ExplainItemKind : uint32_t { kAudio, kMusic, kPlain, kAttributes, kShort };

// KSDATARANGE Flags bit 1: an attribute list follows the range.
constexpr uint32_t kExplainRangeAttributes = 2;
constexpr uint64_t kExplainRangeSize = 64;       // KSDATARANGE
constexpr uint64_t kExplainAudioFieldsEnd = 84;  // KSDATARANGE_AUDIO up to MaximumSampleFrequency
constexpr uint64_t kExplainAudioSize = 88;       // KSDATARANGE_AUDIO with its padding
constexpr uint64_t kExplainMusicSize = 96;       // KSDATARANGE_MUSIC

// One KSATTRIBUTE of an attribute list; mode when it names a
// signal-processing mode.
struct ExplainAttribute {
  uint32_t size = 0, flags = 0;
  GUID id = {};
  std::optional<GUID> mode;
};

struct ExplainItem {
  ExplainItemKind kind = ExplainItemKind::kShort;
  uint64_t offset = 0;
  // Where the platform places it: the list's first item, then each after
  // the one before, its size rounded up to 8 (the walk steps by the size
  // alone). ExplainDecodeItem takes offset; the caller that knows the list
  // sets it.
  uint64_t placed = 0;
  uint64_t available = 0;  // bytes of the answer from offset on
  // KSDATARANGE, as far as it lies in the answer (attribute lists: the
  // list's Size and Count stand in formatSize and flags).
  std::optional<uint32_t> formatSize, flags, sampleSize;
  std::optional<GUID> major, sub, specifier;
  // KSDATARANGE_AUDIO
  std::optional<uint32_t> maxChannels, minBits, maxBits, minRate, maxRate;
  // KSDATARANGE_MUSIC
  std::optional<GUID> technology;
  std::optional<uint32_t> channels, notes, channelMask;
  // attribute list
  std::optional<uint32_t> listSize, listCount;
  std::vector<ExplainAttribute> attributes;
  bool attributesCut = false;  // Count names more than lie in the list
};

// The item at offset; afterFlagged: the item before it is a range whose
// Flags hold KSDATARANGE_ATTRIBUTES.
ExplainItem ExplainDecodeItem(const SimBytes& answer, uint64_t offset, bool afterFlagged);

// The size it gives at its first 4 bytes (a range's FormatSize, a list's
// Size), by which the walk stepped to the next item.
std::optional<uint32_t> ExplainItemStep(const ExplainItem& item);

// A range flagged KSDATARANGE_ATTRIBUTES (an attribute list follows it).
bool ExplainItemFlagged(const ExplainItem& item);

// The signal-processing mode its attribute list names, if any.
std::optional<GUID> ExplainItemMode(const ExplainItem& item);

// "KSDATARANGE_AUDIO", "attribute list", ...; and a stable key.
const char* ExplainItemKindWords(ExplainItemKind kind);
const char* ExplainItemKindKey(ExplainItemKind kind);

// The item in words: its kind and the numbers its bytes hold.
std::string ExplainItemWords(const ExplainItem& item);

// An item of another kind whose size holds a KSDATARANGE_AUDIO (88 bytes
// or more), as the walk would read it were it one: "its bytes read as a
// KSDATARANGE_AUDIO: 8 channels, bits 0-0, 0-0 Hz (information only)".
// Empty for an audio range, a smaller item, or one the answer cuts short.
std::string ExplainItemAsAudioWords(const ExplainItem& item, const SimBytes& answer);

}  // namespace ksr

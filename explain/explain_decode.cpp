#include "explain/explain_decode.h"

#include "explain/explain_words.h"
#include "platform/guid_names.h"

namespace ksr {

namespace {

// KSDATARANGE_MUSIC after its KSDATARANGE: Technology, Channels, Notes,
// ChannelMask. KSATTRIBUTE: Size, Flags, Attribute; the mode follows it.
constexpr uint64_t kTechnologyAt = 64, kChannelsAt = 80, kNotesAt = 84, kChannelMaskAt = 88;
constexpr uint64_t kAttributeHead = 24, kModeAttributeSize = 40;

class Reader {
 public:
  Reader(const SimBytes& answer, uint64_t offset) : answer_(answer), offset_(offset) {}
  std::optional<uint32_t> U32(uint64_t at) const {
    if (!Has(at, 4)) return std::nullopt;
    const uint8_t* p = answer_.data() + offset_ + at;
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
  }
  std::optional<GUID> Guid(uint64_t at) const {
    if (!Has(at, 16)) return std::nullopt;
    return GuidFromBytes(answer_.data() + offset_ + at);
  }
  bool Has(uint64_t at, uint64_t n) const { return offset_ <= answer_.size() && at + n <= answer_.size() - offset_; }

 private:
  const SimBytes& answer_;
  uint64_t offset_;
};

void Attributes(const Reader& r, ExplainItem* item) {
  item->listSize = r.U32(0);
  item->listCount = r.U32(4);
  if (!item->listSize || !item->listCount) return;
  uint64_t end = *item->listSize;
  uint64_t at = 8;
  for (uint32_t i = 0; i < *item->listCount; ++i) {
    std::optional<uint32_t> size = r.U32(at);
    if (!size || !r.Has(at, kAttributeHead) || at + kAttributeHead > end || *size < kAttributeHead) {
      item->attributesCut = true;
      return;
    }
    ExplainAttribute a;
    a.size = *size;
    a.flags = *r.U32(at + 4);
    a.id = *r.Guid(at + 8);
    item->attributes.push_back(a);
    // Its head is in the list, its body must be too: a mode read past the
    // list's Size would be the next item's bytes.
    if (at + a.size > end || !r.Has(at, a.size)) {
      item->attributesCut = true;
      return;
    }
    if (GuidEqual(a.id, kGuidModeAttribute) && a.size >= kModeAttributeSize) {
      item->attributes.back().mode = r.Guid(at + kAttributeHead);
    }
    // Each attribute starts on an 8-byte boundary after the one before.
    at += (static_cast<uint64_t>(a.size) + 7) & ~uint64_t{7};
  }
}

std::string Opt(const std::optional<uint32_t>& v) { return v ? std::to_string(*v) : "?"; }
std::string OptGuid(const std::optional<GUID>& v) { return v ? ExplainGuidText(*v) : "?"; }

std::string FlagsWords(uint32_t flags) {
  std::string words = ExplainHex(flags);
  std::string names;
  if (flags & 1) names += "KSDATAFORMAT_TEMPORAL_COMPRESSION";
  if (flags & kExplainRangeAttributes) names += std::string(names.empty() ? "" : "|") + "KSDATARANGE_ATTRIBUTES";
  if (flags & 4) names += std::string(names.empty() ? "" : "|") + "KSDATARANGE_REQUIRED_ATTRIBUTES";
  return names.empty() ? words : words + " " + names;
}

std::string HeadWords(const ExplainItem& item) {
  std::string text = "FormatSize " + Opt(item.formatSize);
  if (item.flags) text += ", Flags " + FlagsWords(*item.flags);
  if (item.sampleSize) text += ", SampleSize " + std::to_string(*item.sampleSize);
  if (item.major) text += ", " + OptGuid(item.major);
  if (item.sub) text += ", " + OptGuid(item.sub);
  if (item.specifier) text += ", " + OptGuid(item.specifier);
  return text;
}

std::string AttributeWords(const ExplainItem& item) {
  std::string text = "Size " + Opt(item.listSize) + ", Count " + Opt(item.listCount);
  for (size_t i = 0; i < item.attributes.size(); ++i) {
    const ExplainAttribute& a = item.attributes[i];
    text += (i == 0 ? ": " : "; ") + ExplainGuidText(a.id) + " (Size " + std::to_string(a.size) + ", Flags " +
            ExplainHex(a.flags) + ")";
    if (!a.mode) continue;
    text += " signal-processing mode " + ExplainModeText(*a.mode);
  }
  if (item.attributesCut) text += "; the rest past the list or the answer";
  return text;
}

std::string AudioNumbers(const ExplainItem& item) {
  return Opt(item.maxChannels) + " channels, bits " + Opt(item.minBits) + "-" + Opt(item.maxBits) + ", " +
         Opt(item.minRate) + "-" + Opt(item.maxRate) + " Hz";
}

void ReadAudioFields(const Reader& r, ExplainItem* item) {
  item->maxChannels = r.U32(64);
  item->minBits = r.U32(68);
  item->maxBits = r.U32(72);
  item->minRate = r.U32(76);
  item->maxRate = r.U32(80);
}

}  // namespace

ExplainItem ExplainDecodeItem(const SimBytes& answer, uint64_t offset, bool afterFlagged) {
  Reader r(answer, offset);
  ExplainItem item;
  item.offset = offset;
  item.placed = offset;
  item.available = offset < answer.size() ? answer.size() - offset : 0;
  if (afterFlagged) {
    item.kind = ExplainItemKind::kAttributes;
    Attributes(r, &item);
    return item;
  }
  item.formatSize = r.U32(0);
  item.flags = r.U32(4);
  item.sampleSize = r.U32(8);
  item.major = r.Guid(16);
  item.sub = r.Guid(32);
  item.specifier = r.Guid(48);
  uint32_t size = item.formatSize.value_or(0);
  if (!r.Has(0, kExplainRangeSize) || size < kExplainRangeSize) return item;
  item.kind = ExplainItemKind::kPlain;
  if (GuidEqual(*item.major, KSDATAFORMAT_TYPE_AUDIO) && size >= kExplainAudioFieldsEnd &&
      r.Has(0, kExplainAudioFieldsEnd)) {
    item.kind = ExplainItemKind::kAudio;
    ReadAudioFields(r, &item);
  } else if (GuidEqual(*item.major, kGuidTypeMusic) && size >= kExplainMusicSize && r.Has(0, kExplainMusicSize)) {
    item.kind = ExplainItemKind::kMusic;
    item.technology = r.Guid(kTechnologyAt);
    item.channels = r.U32(kChannelsAt);
    item.notes = r.U32(kNotesAt);
    item.channelMask = r.U32(kChannelMaskAt);
  }
  return item;
}

std::optional<uint32_t> ExplainItemStep(const ExplainItem& item) {
  return item.kind == ExplainItemKind::kAttributes ? item.listSize : item.formatSize;
}

bool ExplainItemFlagged(const ExplainItem& item) {
  return item.kind != ExplainItemKind::kAttributes && item.flags && (*item.flags & kExplainRangeAttributes) != 0;
}

std::optional<GUID> ExplainItemMode(const ExplainItem& item) {
  for (const ExplainAttribute& a : item.attributes) {
    if (a.mode) return a.mode;
  }
  return std::nullopt;
}

const char* ExplainItemKindWords(ExplainItemKind kind) {
  switch (kind) {
    case ExplainItemKind::kAudio: return "KSDATARANGE_AUDIO";
    case ExplainItemKind::kMusic: return "KSDATARANGE_MUSIC";
    case ExplainItemKind::kPlain: return "KSDATARANGE";
    case ExplainItemKind::kAttributes: return "attribute list of the range before";
    default: return "too short for a data range";
  }
}

const char* ExplainItemKindKey(ExplainItemKind kind) {
  switch (kind) {
    case ExplainItemKind::kAudio: return "audio";
    case ExplainItemKind::kMusic: return "music";
    case ExplainItemKind::kPlain: return "range";
    case ExplainItemKind::kAttributes: return "attributes";
    default: return "short";
  }
}

std::string ExplainItemWords(const ExplainItem& item) {
  std::string head = std::string(ExplainItemKindWords(item.kind)) + ": ";
  switch (item.kind) {
    case ExplainItemKind::kAttributes: return head + AttributeWords(item);
    case ExplainItemKind::kAudio: return head + HeadWords(item) + ", " + AudioNumbers(item);
    case ExplainItemKind::kMusic:
      return head + HeadWords(item) + ", technology " + OptGuid(item.technology) + ", " + Opt(item.channels) +
             " channels, " + Opt(item.notes) + " notes, channel mask " + ExplainHex(item.channelMask.value_or(0));
    case ExplainItemKind::kPlain: return head + HeadWords(item);
    default:
      return head + std::to_string(item.available) + " bytes in the answer" +
             (item.formatSize ? "; " + HeadWords(item) : std::string());
  }
}

std::string ExplainItemAsAudioWords(const ExplainItem& item, const SimBytes& answer) {
  Reader r(answer, item.offset);
  std::optional<uint32_t> size = ExplainItemStep(item);
  if (item.kind == ExplainItemKind::kAudio || !size || *size < kExplainAudioSize || !r.Has(0, kExplainAudioFieldsEnd)) {
    return "";
  }
  ExplainItem fields;
  ReadAudioFields(r, &fields);
  return "its bytes read as a KSDATARANGE_AUDIO: " + AudioNumbers(fields) + " (information only)";
}

}  // namespace ksr

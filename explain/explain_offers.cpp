#include "explain/explain_offers.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "explain/explain_words.h"
#include "platform/guid_names.h"

namespace ksr {

namespace {

// The rates one offer spans: ranges as min-max, single rates apart.
struct Rates {
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  std::vector<uint32_t> single;
};

std::string RateWords(Rates rates) {
  std::sort(rates.spans.begin(), rates.spans.end());
  rates.spans.erase(std::unique(rates.spans.begin(), rates.spans.end()), rates.spans.end());
  std::sort(rates.single.begin(), rates.single.end());
  rates.single.erase(std::unique(rates.single.begin(), rates.single.end()), rates.single.end());
  std::string text;
  for (const auto& span : rates.spans) {
    text += (text.empty() ? "" : "; ") + std::to_string(span.first) + "-" + std::to_string(span.second) + " Hz";
  }
  std::string single;
  for (uint32_t rate : rates.single) single += (single.empty() ? "" : ", ") + std::to_string(rate);
  if (!single.empty()) text += (text.empty() ? "" : "; ") + single + " Hz";
  return text;
}

std::string ChannelWords(uint32_t channels) {
  if (channels == 0xFFFFFFFFu) return "any number of channels";
  return std::to_string(channels) + (channels == 1 ? " channel" : " channels");
}

std::string BitWords(uint32_t minBits, uint32_t maxBits) {
  return (minBits == maxBits ? std::to_string(maxBits) : std::to_string(minBits) + "-" + std::to_string(maxBits)) +
         " bits";
}

// A format other than PCM in words: its subtype's (MIDI, DirectMusic,
// ...), any subtype of a wildcard, or the GUID that says most: the subtype
// of audio and of music, the major type of anything else.
std::string FormatWords(const ExplainItem& item) {
  if (const char* words = item.sub ? GuidNameWords(*item.sub) : nullptr) return words;
  if (!item.major || !item.sub) return "?";
  if (GuidEqual(*item.sub, KSDATAFORMAT_SUBTYPE_WILDCARD)) return "any " + ExplainGuidText(*item.major) + " subtype";
  bool subtypeSays = GuidEqual(*item.major, KSDATAFORMAT_TYPE_AUDIO) || GuidEqual(*item.major, kGuidTypeMusic);
  return ExplainGuidText(subtypeSays ? *item.sub : *item.major);
}

bool IsPcm(const ExplainItem& item) {
  return item.kind == ExplainItemKind::kAudio && GuidEqual(*item.sub, KSDATAFORMAT_SUBTYPE_PCM);
}

}  // namespace

std::vector<ExplainItem> ExplainPinItems(const ExplainPin& pin) {
  std::vector<ExplainItem> items;
  const SimBytes* answer = pin.RangeAnswer();
  static const SimBytes kNone;
  for (size_t i = 0; i < pin.ranges.size(); ++i) {
    bool samePass = i > 0 && pin.ranges[i - 1].pass == pin.ranges[i].pass;
    bool afterFlagged = samePass && ExplainItemFlagged(items[i - 1]);
    items.push_back(ExplainDecodeItem(answer != nullptr ? *answer : kNone, pin.ranges[i].offset, afterFlagged));
    // Each pass starts at the list's first item; the platform places each
    // later one after the one before, its size rounded up to 8.
    if (samePass) {
      uint64_t size = ExplainItemStep(items[i - 1]).value_or(0);
      items[i].placed = items[i - 1].placed + ((size + 7) & ~uint64_t{7});
    }
  }
  return items;
}

std::vector<std::string> ExplainPinOffers(const ExplainPin& pin) {
  std::vector<ExplainItem> items = ExplainPinItems(pin);
  // Offers keyed by mode, channels and bits, in the order first met.
  typedef std::tuple<std::string, uint32_t, uint32_t, uint32_t> Key;
  std::vector<Key> order;
  std::map<Key, Rates> offers;
  std::vector<std::string> others;
  for (size_t i = 0; i < items.size(); ++i) {
    const ExplainItem& item = items[i];
    // Each item once: the first pass looks at them all.
    if (pin.ranges[i].pass != kPassPcm) break;
    if (item.kind == ExplainItemKind::kAttributes || item.kind == ExplainItemKind::kShort) continue;
    if (!IsPcm(item)) {
      std::string words = FormatWords(item);
      if (std::find(others.begin(), others.end(), words) == others.end()) others.push_back(words);
      continue;
    }
    std::string mode;
    if (i + 1 < items.size() && items[i + 1].kind == ExplainItemKind::kAttributes) {
      if (std::optional<GUID> m = ExplainItemMode(items[i + 1])) mode = ExplainModeText(*m);
    }
    Key key{mode, *item.maxChannels, *item.minBits, *item.maxBits};
    if (offers.find(key) == offers.end()) order.push_back(key);
    Rates& rates = offers[key];
    if (*item.minRate == *item.maxRate) {
      rates.single.push_back(*item.minRate);
    } else {
      rates.spans.emplace_back(*item.minRate, *item.maxRate);
    }
  }
  std::vector<std::string> lines;
  for (const Key& key : order) {
    std::string mode = std::get<0>(key);
    lines.push_back((mode.empty() ? "" : "mode " + mode + ": ") + ChannelWords(std::get<1>(key)) + ", " +
                    BitWords(std::get<2>(key), std::get<3>(key)) + ", " + RateWords(offers[key]));
  }
  if (!others.empty()) {
    std::string text;
    for (const std::string& words : others) text += (text.empty() ? "" : ", ") + words;
    lines.push_back((lines.empty() ? "no PCM; " : "also ") + text);
  }
  return lines;
}

uint64_t ExplainItemOffBoundary(const ExplainItem& item) {
  return item.placed > item.offset ? item.placed - item.offset : 0;
}

}  // namespace ksr

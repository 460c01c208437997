// Reads the items of a machine file's data-range lists: audio, music and
// plain ranges, attribute lists, and the list's alignment.
#include <iterator>
#include <vector>

#include "platform/sim/sim_machine_loader.h"

namespace ksr {

namespace {

struct NumberKey {
  const char* key;
  uint32_t SimDataRange::*field;
};
struct GuidKey {
  const char* key;
  GUID SimDataRange::*field;
};

// The fields every range has (its KSDATARANGE header), then each layout's own.
const NumberKey kHeadNumbers[] = {{"formatSize", &SimDataRange::formatSize},
                                  {"flags", &SimDataRange::flags},
                                  {"sampleSize", &SimDataRange::sampleSize},
                                  {"reserved", &SimDataRange::reserved}};
const GuidKey kHeadGuids[] = {
    {"major", &SimDataRange::major}, {"sub", &SimDataRange::sub}, {"specifier", &SimDataRange::specifier}};
const NumberKey kAudioNumbers[] = {{"maxChannels", &SimDataRange::maxChannels},
                                   {"minBits", &SimDataRange::minBits},
                                   {"maxBits", &SimDataRange::maxBits},
                                   {"minRate", &SimDataRange::minRate},
                                   {"maxRate", &SimDataRange::maxRate}};
const NumberKey kMusicNumbers[] = {{"channels", &SimDataRange::channels},
                                   {"notes", &SimDataRange::notes},
                                   {"channelMask", &SimDataRange::channelMask}};
const GuidKey kMusicGuids[] = {{"technology", &SimDataRange::technology}};

template <size_t N>
void AddKeys(std::set<std::string>* keys, const NumberKey (&list)[N]) {
  for (const NumberKey& k : list) keys->insert(k.key);
}

std::set<std::string> RangeKeys(SimDataRange::Kind kind) {
  std::set<std::string> keys = {"range", "major", "sub", "specifier"};
  AddKeys(&keys, kHeadNumbers);
  if (kind == SimDataRange::kAudio) AddKeys(&keys, kAudioNumbers);
  if (kind == SimDataRange::kMusic) {
    AddKeys(&keys, kMusicNumbers);
    keys.insert("technology");
  }
  return keys;
}

}  // namespace

bool SimLoader::RangeFields(const SimJson& j, const std::string& path, SimDataRange* r) {
  for (const GuidKey& g : kHeadGuids) {
    if (j.contains(g.key) && !Guid(j[g.key], path + "." + g.key, &(r->*g.field))) return false;
  }
  if (r->kind == SimDataRange::kMusic) {
    for (const GuidKey& g : kMusicGuids) {
      if (j.contains(g.key) && !Guid(j[g.key], path + "." + g.key, &(r->*g.field))) return false;
    }
  }
  std::vector<NumberKey> numbers(std::begin(kHeadNumbers), std::end(kHeadNumbers));
  if (r->kind == SimDataRange::kAudio) numbers.insert(numbers.end(), std::begin(kAudioNumbers), std::end(kAudioNumbers));
  if (r->kind == SimDataRange::kMusic) numbers.insert(numbers.end(), std::begin(kMusicNumbers), std::end(kMusicNumbers));
  for (const NumberKey& n : numbers) {
    if (j.contains(n.key) && !Number(j[n.key], path + "." + n.key, &(r->*n.field))) return false;
  }
  return true;
}

// A range: {"range": "audio" | "music" | "plain", FIELDS...}, "audio" when
// "range" is left out; {"hex": ...}; or {"attributes": [...]}.
bool SimLoader::RangeItem(const SimJson& j, const std::string& path, SimBytes* out) {
  if (j.is_object() && j.contains("hex")) return HexObject(j, path, out);
  if (j.is_object() && j.contains("attributes")) return AttributeItem(j, path, out);
  SimDataRange range;
  if (j.is_object() && j.contains("range")) {
    const SimJson& kind = j["range"];
    if (kind == "music") {
      range = SimMusicRange();
    } else if (kind == "plain") {
      range.kind = SimDataRange::kPlain;
      range.formatSize = 64;
    } else if (kind != "audio") {
      return Fail(path + ".range", "expected \"audio\", \"music\" or \"plain\"");
    }
  }
  if (!Keys(j, path, RangeKeys(range.kind)) || !RangeFields(j, path, &range)) return false;
  *out = SimDataRangeBytes(range);
  return true;
}

// {"attributes": [[ATTRIBUTE, FLAGS], [ATTRIBUTE, FLAGS, VALUE], ...]}
bool SimLoader::AttributeItem(const SimJson& j, const std::string& path, SimBytes* out) {
  if (!Keys(j, path, {"attributes"})) return false;
  const SimJson& list = j["attributes"];
  const std::string at = path + ".attributes";
  if (!list.is_array()) return Fail(at, "expected an array of [ATTRIBUTE, FLAGS] or [ATTRIBUTE, FLAGS, VALUE]");
  std::vector<SimAttribute> attributes(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    const SimJson& a = list[i];
    const std::string p = at + "[" + std::to_string(i) + "]";
    if (!a.is_array() || a.size() < 2 || a.size() > 3) {
      return Fail(p, "expected [ATTRIBUTE, FLAGS] or [ATTRIBUTE, FLAGS, VALUE]");
    }
    if (!Guid(a[0], p + "[0]", &attributes[i].attribute) || !Number(a[1], p + "[1]", &attributes[i].flags)) {
      return false;
    }
    if (a.size() == 3) {
      attributes[i].value = GUID_NULL;
      if (!Guid(a[2], p + "[2]", &*attributes[i].value)) return false;
    }
  }
  *out = SimAttributeList(attributes);
  return true;
}

// "align": 1 (items back to back, the default) or 8 (each item on an 8-byte
// boundary, as the kernel-streaming library delivers data ranges).
bool SimLoader::Align(const SimJson& j, const std::string& path, uint32_t* align) {
  if (!j.contains("align")) return true;
  if (!Number(j["align"], path + ".align", align)) return false;
  if (*align != 1 && *align != 8) return Fail(path + ".align", "expected 1 or 8");
  return true;
}

}  // namespace ksr

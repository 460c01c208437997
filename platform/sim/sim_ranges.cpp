// Builders of the items of a data-range list: the three range layouts a
// driver declares, and the attribute list that follows a flagged range.
#include <initializer_list>

#include "platform/guid_names.h"
#include "platform/sim/sim.h"

namespace ksr {

namespace {

GUID NamedGuid(const char* name) {
  GUID guid = GUID_NULL;
  GuidNameFind(name, &guid);
  return guid;
}

}  // namespace

SimBytes SimDataRangeBytes(const SimDataRange& range) {
  SimBytes bytes;
  SimAppendU32(&bytes, range.formatSize);
  SimAppendU32(&bytes, range.flags);
  SimAppendU32(&bytes, range.sampleSize);
  SimAppendU32(&bytes, range.reserved);
  SimAppendGuid(&bytes, range.major);
  SimAppendGuid(&bytes, range.sub);
  SimAppendGuid(&bytes, range.specifier);
  if (range.kind == SimDataRange::kAudio) {
    for (uint32_t v : {range.maxChannels, range.minBits, range.maxBits, range.minRate, range.maxRate}) {
      SimAppendU32(&bytes, v);
    }
  } else if (range.kind == SimDataRange::kMusic) {
    SimAppendGuid(&bytes, range.technology);
    for (uint32_t v : {range.channels, range.notes, range.channelMask}) SimAppendU32(&bytes, v);
  }
  // Sizes above 1024 stand in the field only; the item keeps its length.
  if (range.formatSize <= 1024) bytes.resize(range.formatSize, 0);
  return bytes;
}

SimDataRange SimMusicRange() {
  SimDataRange range;
  range.kind = SimDataRange::kMusic;
  range.formatSize = 96;
  range.major = NamedGuid("KSDATAFORMAT_TYPE_MUSIC");
  range.sub = NamedGuid("KSDATAFORMAT_SUBTYPE_MIDI");
  range.specifier = NamedGuid("KSDATAFORMAT_SPECIFIER_NONE");
  range.technology = NamedGuid("KSMUSIC_TECHNOLOGY_PORT");
  return range;
}

SimBytes SimAttributeList(const std::vector<SimAttribute>& attributes) {
  SimBytes body;
  for (const SimAttribute& a : attributes) {
    SimAppendU32(&body, a.value ? 40 : 24);  // KSATTRIBUTE.Size counts the value
    SimAppendU32(&body, a.flags);
    SimAppendGuid(&body, a.attribute);
    if (a.value) SimAppendGuid(&body, *a.value);
  }
  SimBytes bytes;
  SimAppendU32(&bytes, static_cast<uint32_t>(8 + body.size()));
  SimAppendU32(&bytes, static_cast<uint32_t>(attributes.size()));
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

}  // namespace ksr

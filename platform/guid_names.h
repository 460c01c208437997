// The published names of the GUIDs an audio driver's answers carry: the
// data-format types, subtypes and specifiers, the music technologies, the
// audio signal-processing modes and the attribute that names a mode, and
// the sets and categories the tool asks about. A plain table with a lookup
// each way, for whatever writes or shows a GUID by name (machine files,
// explanations); nothing here allocates.
#pragma once

#include <cstddef>

#include "platform/wintypes.h"

namespace ksr {

struct GuidName {
  const char* Name;
  GUID Value;
  // A format other than PCM in a few words ("IEEE float", "IEC 61937
  // Dolby Digital"), for an explanation's list of offers; null for the
  // GUIDs that are not such a format.
  const char* Words;
};

// KSDATAFORMAT_TYPE_MUSIC, the major type of a KSDATARANGE_MUSIC, and
// KSATTRIBUTEID_AUDIOSIGNALPROCESSING_MODE, the attribute that names a
// range's signal-processing mode. Neither is in the logic's wintypes.h;
// those that read range lists item by item need them.
inline constexpr GUID kGuidTypeMusic = {0xE725D360, 0x62CC, 0x11CF, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
inline constexpr GUID kGuidModeAttribute = {
    0xE1F89EB5, 0x5F46, 0x419B, {0x96, 0x7B, 0xFF, 0x67, 0x70, 0xB9, 0x84, 0x01}};

// Every known name, in table order. Where two names share a value (the
// wildcard subtype and GUID_NULL), the first is the one a value is shown by.
const GuidName* GuidNameTable(size_t* count);

// The name of value, or null when the table has none.
const char* GuidNameOf(const GUID& value);

// The words of value's format (see GuidName::Words), or null.
const char* GuidNameWords(const GUID& value);

// The value named name (exact spelling); false when the table has no such
// name.
bool GuidNameFind(const char* name, GUID* value);

}  // namespace ksr

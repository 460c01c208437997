// The published names of the GUIDs a support engineer meets in a pin's
// answers: data-format major types, subtypes and specifiers, MIDI
// technologies, attribute identifiers and audio signal-processing modes,
// the interface and medium sets and the device categories. One table, kept
// apart so that it can give way to a shared one.
#pragma once

#include <string>

#include "platform/wintypes.h"

namespace ksr {

// The published name, or null for a GUID without one. GUID_NULL is named
// as the wildcard subtype, the place it stands in most often.
const char* ExplainGuidName(const GUID& guid);

// A format offered other than PCM, in words: "IEC 61937 Dolby Digital",
// "MIDI", "IEEE float"; null for a subtype without such words.
const char* ExplainFormatWords(const GUID& sub);

// An audio signal-processing mode by its short name ("DEFAULT", "RAW"),
// or null for another GUID.
const char* ExplainModeName(const GUID& mode);

// The attribute that names a signal-processing mode.
extern const GUID kExplainModeAttribute;
// KSDATAFORMAT_TYPE_MUSIC, the major type of a KSDATARANGE_MUSIC.
extern const GUID kExplainTypeMusic;

}  // namespace ksr

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
};

// Every known name, in table order. Where two names share a value (the
// wildcard subtype and GUID_NULL), the first is the one a value is shown by.
const GuidName* GuidNameTable(size_t* count);

// The name of value, or null when the table has none.
const char* GuidNameOf(const GUID& value);

// The value named name (exact spelling); false when the table has no such
// name.
bool GuidNameFind(const char* name, GUID* value);

}  // namespace ksr

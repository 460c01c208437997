// The report's naming rule (writer.h, ReportNameBeside) over 8-bit and wide
// paths alike. A template of its own so that each program carries only the
// widths it uses: the report program names its report from the wide path,
// the capture program its files from the 8-bit one.
#pragma once

#include <cstdint>

#include "report/writer.h"

namespace ksr {

template <typename Char>
inline bool ReportIsPathSeparator(Char c) { return c == '\\' || c == '/' || c == ':'; }

template <typename Char>
inline bool ReportNameRule(Char* name, uint32_t size, DWORD length, const char* extension) {
  // A count of the whole buffer means the path was cut (older systems do not
  // even terminate it); a name built from it would be a different file.
  if (length == 0 || length >= kModulePathSize) return false;
  DWORD end = 0;
  while (end < length && name[end] != '\0') ++end;
  // The three replaced characters must belong to the file name, or the
  // file would land in another folder.
  if (end < 3) return false;
  for (DWORD i = end - 3; i < end; ++i) {
    if (ReportIsPathSeparator(name[i])) return false;
  }
  uint32_t extensionLength = 0;
  while (extension[extensionLength] != '\0') ++extensionLength;
  if (static_cast<uint64_t>(end) - 3 + extensionLength >= size) return false;
  for (uint32_t i = 0; i < extensionLength; ++i) name[end - 3 + i] = static_cast<Char>(extension[i]);
  name[end - 3 + extensionLength] = '\0';
  return true;
}

}  // namespace ksr

// The naming rule over an 8-bit path, in a file of its own: only the
// capture program names its files that way, so the report program does
// not carry it.
#include "report/name_rule.h"

namespace ksr {

bool ReportNameBeside(char* name, uint32_t size, DWORD length, const char* extension) {
  return ReportNameRule(name, size, length, extension);
}

}  // namespace ksr

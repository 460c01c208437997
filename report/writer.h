// The report file: created beside the program on the first write, every
// piece written at once with one unbuffered write, under a write lock.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace ksr {

// The program path buffer: GetModuleFileNameA is given this many characters.
constexpr uint32_t kModulePathSize = 264;

// Writes text up to, not including, its NUL. Adds no line end.
void ReportPrint(const char* text);

// Writes value as exactly eight upper-case hexadecimal digits.
void ReportHex8(uint32_t value);

// Builds the report's name from the program's own path: the last three
// characters become "txt". False when the path can't be had, came back
// truncated, or has no three characters of file name to replace; then no
// name is built and no report is written.
bool ReportFileName(char name[kModulePathSize]);

// The naming rule on its own, for any file beside the program: name holds
// the program's path of length characters, as GetModuleFileNameA gave it
// in a buffer of kModulePathSize; its last three characters are replaced
// by extension, in place. size is the whole buffer, which must hold the
// new name and its NUL. False, with name unchanged, where ReportFileName
// would be.
bool ReportNameBeside(char* name, uint32_t size, DWORD length, const char* extension);

// Forgets the report handle and write lock, as at process start. The
// program never needs it; tests run many reports in one process.
void ReportWriterReset();

}  // namespace ksr

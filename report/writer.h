// The report file: created beside the program on the first write, every
// piece written at once with one unbuffered write, under a write lock.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace ksr {

// The program path buffer: GetModuleFileNameA and GetModuleFileNameW are
// given this many characters.
constexpr uint32_t kModulePathSize = 264;

// The program's exit status: how the report fared. Complete: every piece
// was written. Not created: the report file could not be made, so there is
// no report. Incomplete: the report exists but a piece of it was lost (a
// write failed or came up short, or the file was made only after a piece).
constexpr int kReportComplete = 0;
constexpr int kReportNotCreated = 1;
constexpr int kReportIncomplete = 2;

// Writes text up to, not including, its NUL. Adds no line end.
void ReportPrint(const char* text);

// Writes value as exactly eight upper-case hexadecimal digits.
void ReportHex8(uint32_t value);

// Builds the report's name from the program's own wide path: the last
// three characters become "txt". False when the path can't be had, came
// back truncated, or has no three characters of file name to replace; then
// no name is built and no report is written.
bool ReportFileName(WCHAR name[kModulePathSize]);

// The naming rule on its own, for any file beside the program: name holds
// the program's path of length characters, as GetModuleFileNameA (or
// GetModuleFileNameW) gave it in a buffer of kModulePathSize; its last
// three characters are replaced by extension, in place. size is the whole
// buffer, which must hold the new name and its NUL. False, with name
// unchanged, where ReportFileName would be.
bool ReportNameBeside(char* name, uint32_t size, DWORD length, const char* extension);
bool ReportNameBeside(WCHAR* name, uint32_t size, DWORD length, const char* extension);

// The exit status for the run so far: kReportComplete, kReportNotCreated
// or kReportIncomplete.
int ReportExitStatus();

// Forgets the report handle and write lock, as at process start. The
// program never needs it; tests run many reports in one process.
void ReportWriterReset();

}  // namespace ksr

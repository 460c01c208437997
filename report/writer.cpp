#include "report/writer.h"

#include "platform/platform.h"

namespace ksr {

namespace {

struct WriterState {
  HANDLE handle;  // INVALID_HANDLE_VALUE until the file is open
  HANDLE lock;    // auto-reset event, signalled while no write is in progress
  DWORD written;  // receives each write's count
  bool lost;      // a piece did not reach the file
};

WriterState& Writer() {
  static WriterState state = {INVALID_HANDLE_VALUE, nullptr, 0, false};
  return state;
}

template <typename Char>
bool IsPathSeparator(Char c) { return c == '\\' || c == '/' || c == ':'; }

// The naming rule over 8-bit and wide paths alike.
template <typename Char>
bool NameBeside(Char* name, uint32_t size, DWORD length, const char* extension) {
  // A count of the whole buffer means the path was cut (older systems do not
  // even terminate it); a name built from it would be a different file.
  if (length == 0 || length >= kModulePathSize) return false;
  DWORD end = 0;
  while (end < length && name[end] != '\0') ++end;
  // The three replaced characters must belong to the file name, or the
  // file would land in another folder.
  if (end < 3) return false;
  for (DWORD i = end - 3; i < end; ++i) {
    if (IsPathSeparator(name[i])) return false;
  }
  uint32_t extensionLength = 0;
  while (extension[extensionLength] != '\0') ++extensionLength;
  if (static_cast<uint64_t>(end) - 3 + extensionLength >= size) return false;
  for (uint32_t i = 0; i < extensionLength; ++i) name[end - 3 + i] = static_cast<Char>(extension[i]);
  name[end - 3 + extensionLength] = '\0';
  return true;
}

}  // namespace

bool ReportNameBeside(char* name, uint32_t size, DWORD length, const char* extension) {
  return NameBeside(name, size, length, extension);
}

bool ReportNameBeside(WCHAR* name, uint32_t size, DWORD length, const char* extension) {
  return NameBeside(name, size, length, extension);
}

bool ReportFileName(WCHAR name[kModulePathSize]) {
  // The wide path: an 8-bit one replaces what its code page can't spell,
  // and a report created under that name would be lost.
  DWORD length = GetModuleFileNameW(nullptr, name, kModulePathSize);
  return ReportNameBeside(name, kModulePathSize, length, "txt");
}

void ReportPrint(const char* text) {
  WriterState& writer = Writer();
  if (writer.handle == INVALID_HANDLE_VALUE) {
    WCHAR name[kModulePathSize];
    if (ReportFileName(name)) {
      writer.handle = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (writer.lock == nullptr) writer.lock = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  } else if (writer.lock != nullptr) {
    WaitForSingleObject(writer.lock, INFINITE);
  }
  DWORD length = static_cast<DWORD>(lstrlen(text));
  // Without a file the piece is lost; the next piece tries again. A failed
  // or short write loses its piece too; the run goes on either way.
  if (writer.handle == INVALID_HANDLE_VALUE ||
      !WriteFile(writer.handle, text, length, &writer.written, nullptr) || writer.written != length) {
    writer.lost = true;
  }
  if (writer.lock != nullptr) SetEvent(writer.lock);
}

void ReportHex8(uint32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  char text[9];
  for (int i = 0; i < 8; ++i) {
    value = (value << 4) | (value >> 28);
    text[i] = kDigits[value & 0xF];
  }
  text[8] = '\0';
  ReportPrint(text);
}

int ReportExitStatus() {
  const WriterState& writer = Writer();
  if (writer.handle == INVALID_HANDLE_VALUE) return kReportNotCreated;
  return writer.lost ? kReportIncomplete : kReportComplete;
}

void ReportWriterReset() {
  WriterState& writer = Writer();
  writer.handle = INVALID_HANDLE_VALUE;
  writer.lock = nullptr;
  writer.written = 0;
  writer.lost = false;
}

}  // namespace ksr

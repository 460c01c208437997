#include "report/writer.h"

#include "platform/platform.h"

namespace ksr {

namespace {

struct WriterState {
  HANDLE handle;  // INVALID_HANDLE_VALUE until the file is open
  HANDLE lock;    // auto-reset event, signalled while no write is in progress
  DWORD written;  // receives each write's count; never read
};

WriterState& Writer() {
  static WriterState state = {INVALID_HANDLE_VALUE, nullptr, 0};
  return state;
}

bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace

bool ReportNameBeside(char* name, uint32_t size, DWORD length, const char* extension) {
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
  for (uint32_t i = 0; i < extensionLength; ++i) name[end - 3 + i] = extension[i];
  name[end - 3 + extensionLength] = '\0';
  return true;
}

bool ReportFileName(char name[kModulePathSize]) {
  DWORD length = GetModuleFileNameA(nullptr, name, kModulePathSize);
  return ReportNameBeside(name, kModulePathSize, length, "txt");
}

void ReportPrint(const char* text) {
  WriterState& writer = Writer();
  if (writer.handle == INVALID_HANDLE_VALUE) {
    char name[kModulePathSize];
    if (ReportFileName(name)) {
      writer.handle = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (writer.lock == nullptr) writer.lock = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  } else if (writer.lock != nullptr) {
    WaitForSingleObject(writer.lock, INFINITE);
  }
  DWORD length = static_cast<DWORD>(lstrlen(text));
  // Without a file there is nothing to write to; the next piece tries again.
  if (writer.handle != INVALID_HANDLE_VALUE) {
    WriteFile(writer.handle, text, length, &writer.written, nullptr);
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

void ReportWriterReset() {
  WriterState& writer = Writer();
  writer.handle = INVALID_HANDLE_VALUE;
  writer.lock = nullptr;
  writer.written = 0;
}

}  // namespace ksr

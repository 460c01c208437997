#include "report/writer.h"

#include "platform/platform.h"
#include "report/name_rule.h"

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

}  // namespace

bool ReportNameBeside(WCHAR* name, uint32_t size, DWORD length, const char* extension) {
  return ReportNameRule(name, size, length, extension);
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

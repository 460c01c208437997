#include "capture/capture_file.h"

#include "capture/capture_layer.h"
#include "report/writer.h"

namespace ksr {

namespace {

bool FlushToFile(void* context, const char* text, uint32_t length) {
  DWORD written = 0;
  return CaptureBelow().WriteFile(static_cast<HANDLE>(context), text, length, &written, nullptr) &&
         written == length;
}

CaptureSink gSink;

}  // namespace

bool CaptureWriteFile(const CaptureProvenance& provenance) {
  // Both names have room for "json", one character more than the path.
  char name[kModulePathSize + 1];
  char temp[kModulePathSize + 1];
  DWORD length = CaptureBelow().GetModuleFileNameA(nullptr, name, kModulePathSize);
  if (length == 0 || length >= kModulePathSize) return false;
  for (DWORD i = 0; i <= length; ++i) temp[i] = name[i];
  if (!ReportNameBeside(name, sizeof name, length, "json") ||
      !ReportNameBeside(temp, sizeof temp, length, "tmp")) {
    return false;
  }
  HANDLE file = CaptureBelow().CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  gSink.Flush = FlushToFile;
  gSink.Context = file;
  gSink.Used = 0;
  gSink.Failed = false;
  bool written = CaptureWriteMachine(gCapture, provenance, &gSink);
  CaptureBelow().CloseHandle(file);
  if (written && CaptureBelow().MoveFileExA(temp, name, MOVEFILE_REPLACE_EXISTING)) return true;
  CaptureBelow().DeleteFileA(temp);
  return false;
}

}  // namespace ksr

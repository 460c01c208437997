// The capture program's entry: the very same report run as the report
// program's, through a platform layer that records every answer, then the
// capture file beside the report. Arguments are not read, nothing is
// printed.
#include "app/run.h"
#include "capture/capture_file.h"
#include "capture/capture_layer.h"
#include "ksreport_config.h"
#include "platform/win32/win32_calls.h"

int main() {
  ksr::Win32FileCallsInstall();
  ksr::CaptureLayerInstall();
  ksr::RunReport();
  const ksr::CaptureProvenance provenance = {"ksreport-capture", KSREPORT_VERSION,
                                             sizeof(void*) == 8 ? "x64" : "x86"};
  ksr::CaptureWriteFile(provenance);
  return 0;
}

// The Windows program's entry: arguments are not read, nothing is printed,
// and the report file stays open until the process ends. The exit status
// says how the report fared (report/writer.h): 0 written completely, 1 the
// report file could not be created, 2 a piece of it was lost.
#include "app/run.h"
#include "report/writer.h"

int main() {
  ksr::RunReport();
  return ksr::ReportExitStatus();
}

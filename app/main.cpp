// The Windows program's entry: arguments are not read, nothing is printed,
// and the report file stays open until the process ends.
#include "app/run.h"

int main() {
  ksr::RunReport();
  return 0;
}

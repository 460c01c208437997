// ksreport-sim MACHINE.json OUTDIR: plays a machine file through the tool.
#include "app/sim_run.h"

int main(int argc, char** argv) { return ksr::SimRunnerMain(argc, argv); }

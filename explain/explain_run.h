// Explaining a machine: one report run over it with the walk's notes
// recorded, turned into the tree of what was asked, answered and decided.
#pragma once

#include <string>

#include "runner/sim_run.h"
#include "explain/explain_command.h"
#include "explain/explain_tree.h"

namespace ksr {

struct ExplainRun {
  SimRunResult run;  // the report of the same run, and the misuse seen
  ExplainTree tree;
};

// Plays machine through one report run, in memory, and explains it.
ExplainRun ExplainMachine(const SimMachine& machine);

}  // namespace ksr

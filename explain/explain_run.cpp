#include "explain/explain_run.h"

#include <cstdio>

#include "explain/explain_notes.h"
#include "explain/explain_view.h"

namespace ksr {

namespace {

size_t CallsSoFar() { return SimCalls().size(); }

}  // namespace

ExplainRun ExplainMachine(const SimMachine& machine) {
  ExplainRun result;
  ExplainNotesStart(&CallsSoFar);
  result.run = SimRunReport(machine, "C:/explain", false);
  std::vector<ExplainNoteEntry> notes = ExplainNotesStop();
  result.tree = ExplainBuildTree(SimCalls(), notes);
  result.tree.misuse = result.run.misuse;
  return result;
}

int ExplainCommand(const char* program, const std::string& name, const std::string& text, bool json,
                   bool colour) {
  SimMachine machine;
  std::string error;
  if (!SimLoadMachineText(text, &machine, &error)) {
    std::fprintf(stderr, "%s: %s: %s\n", program, name.c_str(), error.c_str());
    return 2;
  }
  ExplainRun explained = ExplainMachine(machine);
  std::string out = json ? ExplainJson(name, explained.tree) : ExplainText(name, explained.tree, colour);
  std::fputs(out.c_str(), stdout);
  return SimRunExitStatus(program, name, machine, explained.run.misuse, "explanation");
}

bool ExplainLooksLikeMachine(const std::string& text) {
  size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
  return at < text.size() && text[at] == '{';
}

}  // namespace ksr

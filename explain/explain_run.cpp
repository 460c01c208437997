#include "explain/explain_run.h"

#include <cstdio>
#include <set>

#include "explain/explain_notes.h"
#include "explain/explain_summary.h"
#include "explain/explain_view.h"
#include "explain/explain_words.h"
#include "platform/sim/sim_text_utf8.h"

namespace ksr {

namespace {

size_t CallsSoFar() { return SimCalls().size(); }

// Marks each request delivered from an answer that the capture kept by its
// length only: the walk read zeros that stand in for bytes never recorded.
void MarkCut(const SimInterface& machine, std::vector<ExplainRequest>* requests) {
  for (ExplainRequest& request : *requests) {
    if (!request.sent || request.failed || request.pending) continue;
    const SimAnswer* answer = nullptr;
    if (request.property == KSPROPERTY_PIN_CTYPES) {
      answer = machine.pinTypes ? &*machine.pinTypes : nullptr;
    } else if (SimPinField field = SimPinPropertyField(request.property)) {
      answer = request.pin < machine.pins.size() ? &(machine.pins[request.pin].*field) : nullptr;
    }
    request.cut = answer != nullptr && answer->kind == SimAnswer::kBytes && answer->unread.has_value();
    request.recorded = request.cut ? *answer->unread : 0;
  }
}

void MarkCutAnswers(const SimMachine& machine, ExplainTree* tree) {
  for (ExplainDevice& device : tree->devices) {
    if (device.index >= machine.devices.size()) continue;
    for (ExplainInterface& iface : device.interfaces) {
      if (iface.index >= machine.devices[device.index].interfaces.size()) continue;
      const SimInterface& simInterface = machine.devices[device.index].interfaces[iface.index];
      for (ExplainStep& step : iface.gates) MarkCut(simInterface, &step.requests);
      for (ExplainPin& pin : iface.pins) {
        for (ExplainStep& step : pin.gates) MarkCut(simInterface, &step.requests);
        MarkCut(simInterface, &pin.rangeRequests);
      }
    }
  }
}

// One cut answer for the note on stderr: where, which property, the
// length the capture recorded, and the verdict it decided, if any.
std::string CutAnswerLine(const std::string& place, const ExplainRequest& request,
                          const std::vector<ExplainLeftOut>& leftOuts) {
  std::string line = place + ": " + ExplainPropertyName(request.property) + ", " + std::to_string(request.recorded) +
                     " bytes recorded by length only";
  for (const ExplainLeftOut& item : leftOuts) {
    if (item.cut != &request) continue;
    line += "; it decided: " + std::string(item.listedWithoutRange ? "listed without a range: " : "left out: ") +
            item.why;
  }
  return line;
}

// Each cut answer the run was delivered, once, on stderr, after the
// runner's note of why the capture was cut.
void ListCutAnswers(const char* program, const ExplainTree& tree) {
  std::vector<ExplainLeftOut> leftOuts = ExplainLeftOuts(tree);
  std::vector<std::string> lines;
  std::set<std::string> listed;
  auto list = [&](const std::string& place, const std::vector<ExplainRequest>& requests) {
    for (const ExplainRequest& request : requests) {
      // The same answer asked for again is the same answer.
      if (request.cut && listed.insert(place + ": " + ExplainPropertyName(request.property)).second) {
        lines.push_back(CutAnswerLine(place, request, leftOuts));
      }
    }
  };
  for (const ExplainDevice& device : tree.devices) {
    for (const ExplainInterface& iface : device.interfaces) {
      std::string place = ExplainDeviceTitle(device) + ", " + ExplainInterfaceTitle(iface);
      for (const ExplainStep& step : iface.gates) list(place, step.requests);
      for (const ExplainPin& pin : iface.pins) {
        std::string pinPlace = place + ", pin " + std::to_string(pin.id);
        for (const ExplainStep& step : pin.gates) list(pinPlace, step.requests);
        list(pinPlace, pin.rangeRequests);
      }
    }
  }
  for (const std::string& line : lines) std::fprintf(stderr, "%s: cut answer: %s\n", program, line.c_str());
}

}  // namespace

ExplainRun ExplainMachine(const SimMachine& machine) {
  ExplainRun result;
  ExplainNotesStart(&CallsSoFar);
  result.run = SimRunReport(machine, "C:/explain", false);
  std::vector<ExplainNoteEntry> notes = ExplainNotesStop();
  result.tree = ExplainBuildTree(SimCalls(), notes);
  result.tree.misuse = result.run.misuse;
  MarkCutAnswers(machine, &result.tree);
  return result;
}

int ExplainCommand(const char* program, const std::string& name, const std::string& text, bool json,
                   bool colour, bool full) {
  SimMachine machine;
  std::string error;
  if (!SimLoadMachineText(text, &machine, &error)) {
    std::fprintf(stderr, "%s: %s: %s\n", program, name.c_str(), error.c_str());
    return 2;
  }
  ExplainRun explained = ExplainMachine(machine);
  std::string out = json ? ExplainJson(name, explained.tree) : ExplainText(name, explained.tree, colour, full);
  std::fputs(out.c_str(), stdout);
  int status = SimRunExitStatus(program, name, machine, explained.run.misuse, "explanation");
  ListCutAnswers(program, explained.tree);
  return status;
}

bool ExplainLooksLikeMachine(const std::string& raw) {
  // A machine saved as UTF-16 by an editor is still a machine.
  std::string text = SimTextUtf8(raw);
  size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
  return at < text.size() && text[at] == '{';
}

}  // namespace ksr

#include "explain/explain_run.h"

#include "explain/explain_recorder.h"

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

}  // namespace ksr

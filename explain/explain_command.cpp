// The --explain command: a machine file's text loaded, explained and
// printed, with the runner's exit status and the cut answers on stderr.
#include "explain/explain_command.h"

#include <cstdio>
#include <set>

#include "encoding/encoding.h"
#include "explain/explain_json.h"
#include "explain/explain_run.h"
#include "explain/explain_summary.h"
#include "explain/explain_text.h"
#include "explain/explain_words.h"

namespace ksr {

namespace {

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
  std::string text = EncodingUtf8OfUnicode(raw);
  size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
  return at < text.size() && text[at] == '{';
}

}  // namespace ksr

// What the items of an explained run's tree say of themselves, and the
// tree counted.
#include "explain/explain_tree.h"

namespace ksr {

namespace {

const ExplainStep* GateStoppedAt(bool listed, const std::vector<ExplainStep>& gates) {
  return listed || gates.empty() || gates.back().passed ? nullptr : &gates.back();
}

}  // namespace

const SimBytes* ExplainPin::RangeAnswer() const {
  return rangeRequests.empty() ? nullptr : &rangeRequests.back().bytes;
}

bool ExplainPin::RangesWritten() const { return best && best->MaxChannels != 0; }

const ExplainStep* ExplainPin::StoppedAt() const { return GateStoppedAt(listed, gates); }

const ExplainStep* ExplainInterface::StoppedAt() const { return GateStoppedAt(listed, gates); }

ExplainCounts ExplainCount(const ExplainTree& tree) {
  ExplainCounts counts;
  for (const ExplainDevice& device : tree.devices) {
    counts.devicesKept += device.record == ExplainRecord::kKept;
    for (const ExplainInterface& iface : device.interfaces) {
      counts.interfacesListed += iface.listed;
      counts.interfacesKept += iface.record == ExplainRecord::kKept;
      for (const ExplainPin& pin : iface.pins) {
        counts.pinsListed += pin.listed;
        counts.pinsKept += pin.record == ExplainRecord::kKept;
      }
    }
  }
  return counts;
}

}  // namespace ksr

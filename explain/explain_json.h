// An explanation for ticket systems: JSON, "format": "ksreport-explain/1"
// (docs/explain.md).
#pragma once

#include <string>

#include "explain/explain_tree.h"

namespace ksr {

// name: what the machine is called (its file).
std::string ExplainJson(const std::string& name, const ExplainTree& tree);

}  // namespace ksr

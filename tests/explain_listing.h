// What a run listed, line by line, as its report says it and as its
// explanation says it, so that the two can be compared: a device block's
// cut line ("device"), each Interface line ("interface"), each Pin line and
// the range lines under it, as the report spells them.
#pragma once

#include <string>
#include <vector>

#include "explain/explain_tree.h"

namespace ksr {

std::vector<std::string> ReportListing(const std::string& report);
std::vector<std::string> ExplainListing(const ExplainTree& tree);

}  // namespace ksr

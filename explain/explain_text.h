// What an explanation looks like to people: plain text, no line longer
// than kExplainColumns columns, colour only when asked.
#pragma once

#include <string>

#include "explain/explain_tree.h"

namespace ksr {

constexpr size_t kExplainColumns = 100;

// name: what the machine is called (its file) in the heading.
// full: every request and answer and what became of each record; otherwise
// the verdicts and the answers that decided them.
std::string ExplainText(const std::string& name, const ExplainTree& tree, bool colour, bool full = false);

// The columns a line of text takes: UTF-8 characters, colour codes not
// counted.
size_t ExplainColumns(const std::string& line);

}  // namespace ksr

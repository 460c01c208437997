// What an explanation looks like: plain text for people (no line longer
// than kExplainColumns columns, colour only when asked), and JSON for
// ticket systems ("format": "ksreport-explain/1", docs/explain.md).
#pragma once

#include <string>

#include "explain/explain_tree.h"

namespace ksr {

constexpr size_t kExplainColumns = 100;

// name: what the machine is called (its file) in the heading.
// full: every request and answer and what became of each record; otherwise
// the verdicts and the answers that decided them.
std::string ExplainText(const std::string& name, const ExplainTree& tree, bool colour, bool full = false);
std::string ExplainJson(const std::string& name, const ExplainTree& tree);

// The columns a line of text takes: UTF-8 characters, colour codes not
// counted.
size_t ExplainColumns(const std::string& line);

}  // namespace ksr

// Lines of text for an explanation: at most kExplainColumns columns, a
// longer one going on under itself, painted only when colour is wanted.
#pragma once

#include <string>

#include "explain/explain_text.h"

namespace ksr {

enum class ExplainStyle { kPlain, kHead, kGood, kBad };

// Lines of at most kExplainColumns columns: a line that would be longer
// goes on under its text, broken at spaces (or anywhere, for a word that
// fills a line by itself).
class ExplainTextOut {
 public:
  explicit ExplainTextOut(bool colour) : colour_(colour) {}

  // text at indent, with label padded to labelWidth before it.
  void Line(size_t indent, const std::string& label, size_t labelWidth, const std::string& text,
            ExplainStyle style = ExplainStyle::kPlain) {
    std::string first(indent, ' ');
    first += label;
    if (!text.empty() && label.size() < labelWidth) first += std::string(labelWidth - label.size(), ' ');
    if (!label.empty() && label.size() >= labelWidth && !text.empty()) first += ' ';
    size_t hang = indent + (label.empty() ? 2 : labelWidth + (label.size() >= labelWidth ? 1 : 0));
    if (hang > kExplainColumns / 2) hang = indent + 2;
    Emit(first, text, hang, style);
  }

  std::string out;

 private:
  bool colour_;

  std::string Paint(const std::string& text, ExplainStyle style) const {
    if (!colour_ || style == ExplainStyle::kPlain || text.empty()) return text;
    const char* code = style == ExplainStyle::kHead ? "\033[1m" : style == ExplainStyle::kGood ? "\033[32m" : "\033[31m";
    return code + text + "\033[0m";
  }

  void Emit(const std::string& lead, const std::string& text, size_t hang, ExplainStyle style) {
    std::string line = lead;
    std::string body;
    size_t width = ExplainColumns(lead);
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find(' ', at);
      if (end == std::string::npos) end = text.size();
      std::string word = text.substr(at, end - at);
      at = end < text.size() ? end + 1 : end;
      size_t need = ExplainColumns(word) + (body.empty() ? 0 : 1);
      if (width + need > kExplainColumns && (!body.empty() || width > hang)) {
        out += line + Paint(body, style) + "\n";
        line = std::string(hang, ' ');
        body.clear();
        width = hang;
        need = ExplainColumns(word);
      }
      // A word too long for any line is cut where the line ends.
      while (width + need > kExplainColumns) {
        size_t room = kExplainColumns - width;
        std::string head = CutColumns(word, room);
        out += line + Paint(body + head, style) + "\n";
        word = word.substr(head.size());
        line = std::string(hang, ' ');
        body.clear();
        width = hang;
        need = ExplainColumns(word);
      }
      if (!body.empty()) body += ' ';
      body += word;
      width += need;
    }
    out += line + Paint(body, style) + "\n";
  }

  // The longest start of word that takes at most columns, whole UTF-8
  // characters only.
  static std::string CutColumns(const std::string& word, size_t columns) {
    size_t at = 0;
    for (size_t taken = 0; at < word.size() && taken < columns; ++taken) {
      ++at;
      while (at < word.size() && (static_cast<unsigned char>(word[at]) & 0xC0) == 0x80) ++at;
    }
    return word.substr(0, at);
  }
};

}  // namespace ksr

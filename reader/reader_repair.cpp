#include "reader/reader_repair.h"

#include <cstring>
#include <string_view>

#include "encoding/encoding.h"
#include "report/layout.h"

namespace ksr {

namespace {

const char* const kFixedLines[] = {kRuleText, kStartTitle, kEndTitle, kCutText};
const char* const kHexLabels[] = {kBusNumberLabel,   kInstanceIdLabel,    kNumPinsLabel,
                                  kMaxChannelsLabel, kMaxBitsLabel,       kMinSampleRateLabel,
                                  kMaxSampleRateLabel};
// Lines whose value may hold spaces, and so may have been wrapped.
const char* const kValueLabels[] = {kDevicePathLabel, kInterfaceLabel};

bool StartsWith(const std::string& s, const char* prefix) { return s.compare(0, std::strlen(prefix), prefix) == 0; }

bool IsHex8(const std::string& s, size_t at) {
  if (s.size() != at + 8) return false;
  for (size_t i = at; i < s.size(); ++i) {
    char c = s[i];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

bool IsPinLine(const std::string& s) {
  size_t at = std::strlen(kPinLabel), flow = std::strlen(kDataflowLabel);
  return StartsWith(s, kPinLabel) && s.size() == at + 8 + flow + 8 && IsHex8(s.substr(0, at + 8), at) &&
         s.compare(at + 8, flow, kDataflowLabel) == 0 && IsHex8(s, at + 8 + flow);
}

bool IsDescription(const std::string& s) {
  size_t first = s.find(kDescriptionSeparator), last = s.rfind(kDescriptionSeparator);
  size_t suffix = std::strlen(kServiceSuffix);
  return first != std::string::npos && first != last && s.size() >= last + 3 + suffix &&
         s.compare(s.size() - suffix, suffix, kServiceSuffix) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The label matched at the start of line, where each run of spaces in the
// label may stand in the line as a run of spaces and tabs with a tab in
// it; the line with the label's own spaces, or empty when it does not
// match.
std::string TabMatch(const std::string& line, size_t at, const char* label, bool* tab) {
  size_t i = 0, j = at, n = std::strlen(label);
  while (i < n) {
    if (label[i] == ' ') {
      size_t from = j;
      for (; j < line.size() && IsBlank(line[j]); ++j) {
        if (line[j] == '\t') *tab = true;
      }
      if (j == from) return "";
      while (i < n && label[i] == ' ') ++i;
    } else {
      if (j >= line.size() || line[j] != label[i]) return "";
      ++i;
      ++j;
    }
  }
  return line.substr(0, at) + label + line.substr(j);
}

// The line with its labels' spaces put back where tabs stood, when that
// makes it a line of the report's kinds; else empty.
std::string TabRepair(const std::string& line) {
  bool tab = false;
  std::string fixed;
  for (const char* text : kFixedLines) {
    if (!(fixed = TabMatch(line, 0, text, &tab)).empty()) break;
  }
  for (const char* label : kHexLabels) {
    if (fixed.empty()) fixed = TabMatch(line, 0, label, &tab);
  }
  if (fixed.empty()) fixed = TabMatch(line, 0, kClosingPrefix, &tab);
  if (fixed.empty() && !(fixed = TabMatch(line, 0, kPinLabel, &tab)).empty()) {
    size_t at = std::strlen(kPinLabel) + 8;
    std::string flow = fixed.size() > at ? TabMatch(fixed, at, kDataflowLabel, &tab) : "";
    fixed = flow;
  }
  // Last: an interface line's label is the start of a pin line's.
  for (const char* label : kValueLabels) {
    if (fixed.empty()) fixed = TabMatch(line, 0, label, &tab);
  }
  return tab && ReaderLineKnown(fixed) ? fixed : "";
}

// The trimmed start of every label: a line that begins so is a line of
// the report, not the rest of a wrapped one.
bool LooksLabelled(const std::string& line) {
  static const char* const kStarts[] = {"Device Path:", "Device BUS", "Instance ID:", "+",   "NumPins:",
                                        "MaxChannels:", "MaxBits",   "MinSampleRt:", "MaxSampleRt:",
                                        "Please send",  "ksreport",  "====",         "----",
                                        "Start WDM",    "Exit"};
  for (const char* start : kStarts) {
    size_t n = std::strlen(start);
    if (line.compare(0, n, start) == 0 || (line.size() < n && std::string(start).compare(0, line.size(), line) == 0)) {
      return true;
    }
  }
  return false;
}

// A line that can be the rest of a wrapped one: a wrap breaks at a space
// and leaves none at the start of the next line.
bool Continues(const std::string& line) {
  return !line.empty() && !IsBlank(line[0]) && !ReaderLineKnown(line) && !LooksLabelled(line);
}

bool HasValue(const std::string& line) {
  if (StartsWith(line, "ksreport ")) return true;
  for (const char* label : kValueLabels) {
    if (StartsWith(line, label)) return true;
  }
  return false;
}

// Joins lines [i, i + k] when line i is of no kind and the join is, or
// when line i holds a value and the lines after it are the rest of it.
bool WrapRepair(std::vector<ReaderLine>* lines, size_t i) {
  std::vector<ReaderLine>& l = *lines;
  bool value = ReaderLineKnown(l[i].Text);
  if (value && !HasValue(l[i].Text)) return false;
  // The space the wrap took; a label that ends in one (an empty value
  // once trailing blanks went) has it already.
  auto join = [](std::string* text, const std::string& rest) {
    *text += (text->empty() || text->back() != ' ' ? " " : "") + rest;
  };
  std::string joined = l[i].Text;
  size_t k = 0;
  for (size_t j = i + 1; j < l.size() && j <= i + 8 && Continues(l[j].Text); ++j) {
    join(&joined, l[j].Text);
    if (ReaderLineKnown(joined)) k = j - i;
    if (!value && k) break;
  }
  if (k == 0) return false;
  joined = l[i].Text;
  for (size_t j = i + 1; j <= i + k; ++j) join(&joined, l[j].Text);
  l[i].Text = joined;
  l.erase(l.begin() + static_cast<std::ptrdiff_t>(i) + 1, l.begin() + static_cast<std::ptrdiff_t>(i + k) + 1);
  return true;
}

// True when the line reads as UTF-8 but for lone A0 bytes (which an HTML
// mail put there, or a name had of its own).
bool Utf8ButA0(const std::string& line) {
  uint32_t c = 0;
  for (size_t at = 0, n; at < line.size(); at += n == 0 ? 1 : n) {
    n = EncodingUtf8Length(line, at, &c);
    if (n == 0 && static_cast<unsigned char>(line[at]) != 0xA0) return false;
  }
  return true;
}

// A byte A0 where an HTML mail puts one for a space: at the line's start
// or beside a space, as in a run of spaces, where it makes every other
// space an A0 and never two side by side. One between two letters, or
// beside another A0, is a name's own.
bool InRun(const std::string& line, size_t at) {
  return at == 0 || line[at - 1] == ' ' || (at + 1 < line.size() && line[at + 1] == ' ');
}

size_t BlankTail(std::string_view s) {
  size_t n = 0;
  while (n < s.size() && IsBlank(s[s.size() - 1 - n])) ++n;
  return n;
}

std::string_view Trimmed(std::string_view s) { return s.substr(0, s.size() - BlankTail(s)); }

// A pristine report ends a line in a space or a tab only inside the value
// the line ends with: the banner's wording, a hardware ID, an interface
// name.
bool RepairMayEndInBlank(const std::vector<ReaderLine>& lines, size_t i) {
  return i == 0 || StartsWith(lines[i].Text, kDevicePathLabel) || StartsWith(lines[i].Text, kInterfaceLabel);
}

bool RepairBlanksAdded(const std::vector<ReaderLine>& lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (BlankTail(lines[i].Text) != 0 && !RepairMayEndInBlank(lines, i)) return true;
  }
  return false;
}

}  // namespace

// Takes off the spaces and tabs that transport added at line ends. What
// every line ends in was added to every line and goes as a whole, so that
// values keep blanks of their own; where lines were padded unevenly (a
// console's copy), all trailing blanks go. A pristine report has no line
// of blanks alone, so such a line was empty: a quoted blank line that lost
// the prefix's space holds one blank fewer than the others, and tells
// nothing about what was added.
bool ReaderUndoTrailingBlanks(std::vector<ReaderLine>* lines) {
  if (!RepairBlanksAdded(*lines)) return false;
  std::string_view shared;
  bool first = true;
  for (const ReaderLine& line : *lines) {
    if (Trimmed(line.Text).empty()) continue;
    std::string_view tail = std::string_view(line.Text).substr(line.Text.size() - BlankTail(line.Text));
    size_t n = 0;
    while (n < shared.size() && n < tail.size() && shared[shared.size() - 1 - n] == tail[tail.size() - 1 - n]) ++n;
    shared = first ? tail : shared.substr(shared.size() - n);
    first = false;
  }
  size_t cut = shared.size();
  for (ReaderLine& line : *lines) {
    line.Text.resize(Trimmed(line.Text).empty() ? 0 : line.Text.size() - cut);
  }
  if (!RepairBlanksAdded(*lines)) return true;
  const std::string bareLabel(Trimmed(kDevicePathLabel));
  for (ReaderLine& line : *lines) {
    line.Text.resize(line.Text.size() - BlankTail(line.Text));
    if (line.Text == bareLabel) line.Text = kDevicePathLabel;  // an empty hardware ID
  }
  return true;
}

bool ReaderLineKnown(const std::string& s) {
  if (s.empty() || IsPinLine(s) || IsDescription(s) || StartsWith(s, "ksreport ")) return true;
  for (const char* text : kFixedLines) {
    if (s == text) return true;
  }
  for (const char* label : kValueLabels) {
    if (StartsWith(s, label)) return true;
  }
  for (const char* label : kHexLabels) {
    if (StartsWith(s, label) && IsHex8(s, std::strlen(label))) return true;
  }
  size_t n = std::strlen(kClosingPrefix);
  return StartsWith(s, kClosingPrefix) && s.size() > n && s.back() == kClosingSuffix[0];
}

std::string ReaderNbspToSpace(const std::string& line) {
  bool utf8 = line.find("\xC2\xA0") != std::string::npos;
  bool bytes = !utf8 && !Utf8ButA0(line);
  std::string out;
  for (size_t at = 0; at < line.size();) {
    uint32_t c = 0;
    size_t n = bytes ? 0 : EncodingUtf8Length(line, at, &c);
    bool nbsp = utf8 ? n == 2 && c == 0xA0 : n == 0 && static_cast<unsigned char>(line[at]) == 0xA0 && InRun(line, at);
    n = n == 0 ? 1 : n;
    out += nbsp ? std::string(" ") : line.substr(at, n);
    at += n;
  }
  return out;
}

ReaderRepairs ReaderRepair(std::vector<ReaderLine>* lines) {
  ReaderRepairs done;
  bool cp1252 = false;
  for (ReaderLine& line : *lines) {
    if (ReaderLineKnown(line.Text)) continue;
    std::string spaced = ReaderNbspToSpace(line.Text);
    if (spaced == line.Text || !(ReaderLineKnown(spaced) || !TabRepair(spaced).empty())) continue;
    if (line.Text.find("\xC2\xA0") == std::string::npos) cp1252 = true;
    line.Text = spaced;
    done.Nbsp = true;
  }
  // A line whose value holds a run of spaces (a description, the closing
  // address) parses with a Windows-1252 mail's A0 in it as well; once the
  // file shows that mail, such lines are undone too, and only A0 beside a
  // space, where the mail puts them. A UTF-8 mail makes every space C2 A0,
  // which no line parses with: after it, an A0 left beside a space is the
  // value's own, and so is any C2 A0 left here.
  for (ReaderLine& line : *lines) {
    if (cp1252 && line.Text.find("\xC2\xA0") == std::string::npos) line.Text = ReaderNbspToSpace(line.Text);
  }
  for (ReaderLine& line : *lines) {
    if (ReaderLineKnown(line.Text) || line.Text.find('\t') == std::string::npos) continue;
    std::string fixed = TabRepair(line.Text);
    if (fixed.empty()) continue;
    line.Text = fixed;
    done.Tabs = true;
  }
  for (size_t i = 0; i < lines->size(); ++i) {
    if (WrapRepair(lines, i)) done.Wrapped = true;
  }
  return done;
}

}  // namespace ksr

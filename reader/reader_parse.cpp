#include "reader/reader_parse.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "report/layout.h"

namespace ksr {

namespace {

// The number of the line at index; past the end, the number after the last.
int NumberAt(const std::vector<ReaderLine>& lines, size_t index) {
  return index < lines.size() ? lines[index].Number : lines.empty() ? 1 : lines.back().Number + 1;
}

// A line as an error quotes it: whole when it can be read at a glance,
// else its start and its end, so that a line a mail client ran together
// shows where it went wrong. Strict errors keep their shorter form.
std::string Quoted(const std::string& text, bool whole) {
  if (!whole) return text.substr(0, 60) + (text.size() > 60 ? "..." : "");
  if (text.size() <= 120) return text;
  return text.substr(0, 60) + " ... " + text.substr(text.size() - 40);
}

// "line N: expected WHAT, found ..." for the line at index, or for the
// place after the last line when the lines end before it.
std::string LineError(const std::vector<ReaderLine>& lines, size_t index, const std::string& expected,
                      bool whole = false) {
  std::string error = "line " + std::to_string(NumberAt(lines, index)) + ": expected " + expected;
  if (index >= lines.size()) return error + ", but the report ends here";
  return error + ", found \"" + Quoted(lines[index].Text, whole) + "\"";
}

// Every line, the last included, must end in CR LF.
bool SplitStrict(const std::string& bytes, std::vector<ReaderLine>* lines, std::string* error) {
  size_t start = 0;
  while (start < bytes.size()) {
    size_t lf = bytes.find('\n', start);
    int number = static_cast<int>(lines->size()) + 1;
    if (lf == std::string::npos) {
      lines->push_back({bytes.substr(start), number});
      *error = LineError(*lines, lines->size() - 1, "CR LF at the end of the line (the report is cut short)");
      return false;
    }
    bool crlf = lf > start && bytes[lf - 1] == '\r';
    lines->push_back({bytes.substr(start, crlf ? lf - 1 - start : lf - start), number});
    if (!crlf) {
      *error = LineError(*lines, lines->size() - 1, "CR LF at the end of the line (found LF alone)");
      return false;
    }
    if (lines->back().Text.find('\r') != std::string::npos) {
      *error = LineError(*lines, lines->size() - 1, "CR only before LF (found a CR inside the line)");
      return false;
    }
    start = lf + 1;
  }
  return true;
}

class Parser {
 public:
  // Partial: errors name every line kind allowed where they stand, and a
  // bad device does not end the report.
  Parser(const std::vector<ReaderLine>& lines, std::string* error, bool partial, ReaderStart start)
      : lines_(lines), error_(error), partial_(partial), start_(start) {}

  bool Parse(ParsedReport* report) {
    if (start_ == ReaderStart::kBanner) {
      std::string banner;
      if (!Prefixed(std::string(kBannerTool) + " ", &banner, "the banner line (\"ksreport ...\")")) return false;
      report->Banner = std::string(kBannerTool) + " " + banner;
      if (!Exact("", "a blank line")) return false;
    }
    if (!Exact(kRuleText, "a rule line") || !Exact(kStartTitle, "the start title") ||
        !Exact(kRuleText, "a rule line")) {
      return false;
    }
    bool resumed = false;
    while (true) {
      if (!resumed && !Exact("", "a blank line")) return false;
      resumed = false;
      if (!At(kCutText)) {
        Tried(std::string("a cut line (\"") + kCutText + "\")");
        break;
      }
      ++next_;
      ParsedDevice device;
      bool whole = Device(&device);
      if (!whole && partial_) device.Stopped = ReaderStopOf(*error_);
      if (whole || partial_) report->Devices.push_back(std::move(device));
      if (whole) continue;
      if (!partial_ || !Resume()) return false;
      error_->clear();
      resumed = true;
    }
    // Partial errors have named the cut line already.
    if (!Exact(kRuleText, partial_ ? "a rule line" : "a cut line or a rule line") || !Exact(kEndTitle, "the end title") ||
        !Exact(kRuleText, "a rule line") || !Exact("", "a blank line")) {
      return false;
    }
    std::string closing;
    if (!Prefixed(kClosingPrefix, &closing, "the closing request line",
                  std::string(kClosingPrefix) + "ADDRESS" + kClosingSuffix)) {
      return false;
    }
    if (!EndsWith(closing, kClosingSuffix)) {
      return Fail(next_ - 1, std::string("the closing request line to end in \"") + kClosingSuffix + "\"");
    }
    report->Feedback = closing.substr(0, closing.size() - std::strlen(kClosingSuffix));
    if (next_ != lines_.size()) return Fail(next_, "the end of the report after the closing request line");
    return true;
  }

  // Notes on what had to be assumed.
  const std::vector<std::string>& Notes() const { return notes_; }

 private:
  // After a bad line in a device: on at the next cut line, or at the
  // footer; false when neither follows.
  bool Resume() {
    for (size_t j = next_; j < lines_.size(); ++j) {
      bool footer = lines_[j].Text == kRuleText && j + 1 < lines_.size() && lines_[j + 1].Text == kEndTitle;
      if (lines_[j].Text == kCutText || footer) {
        next_ = j;
        return true;
      }
    }
    return false;
  }

  bool Device(ParsedDevice* device) {
    device->Line = LineNumber(next_);
    if (!Prefixed(kDevicePathLabel, &device->HardwareId, "the Device Path line") ||
        !Hex(kBusNumberLabel, &device->BusNumber, "the Bus Number line") || !Description(device) ||
        !Hex(kInstanceIdLabel, &device->InstanceId, "the Instance ID line")) {
      return false;
    }
    while (AtLabel(kInterfaceLabel, "an Interface line (\"   +NAME\")")) {
      ParsedInterface iface;
      iface.Line = LineNumber(next_);
      iface.Name = lines_[next_++].Text.substr(std::strlen(kInterfaceLabel));
      bool whole = Pins(&iface);
      device->Interfaces.push_back(std::move(iface));
      if (!whole) return false;
    }
    return true;
  }

  // description / manufacturer / service.sys: the description ends at the
  // first separator and the service begins after the last.
  bool Description(ParsedDevice* device) {
    if (next_ >= lines_.size()) return Fail(next_, "the description line");
    const std::string& line = lines_[next_].Text;
    size_t first = line.find(kDescriptionSeparator);
    size_t last = line.rfind(kDescriptionSeparator);
    size_t sep = std::strlen(kDescriptionSeparator);
    size_t suffix = std::strlen(kServiceSuffix);
    if (first == std::string::npos || first == last || line.size() < last + sep + suffix ||
        !EndsWith(line, kServiceSuffix)) {
      return Fail(next_, "the description line (\"description / manufacturer / service.sys\")");
    }
    device->Description = line.substr(0, first);
    device->Manufacturer = line.substr(first + sep, last - first - sep);
    device->Service = line.substr(last + sep, line.size() - suffix - last - sep);
    if (line.find(kDescriptionSeparator, first + sep) != last) {
      notes_.push_back("line " + std::to_string(LineNumber(next_)) + ": the description line holds \"" +
                       kDescriptionSeparator + "\" more than twice, so where the description and the maker end is "
                       "ambiguous; read as description \"" + device->Description + "\" and maker \"" +
                       device->Manufacturer + "\"");
    }
    ++next_;
    return true;
  }

  bool Pins(ParsedInterface* iface) {
    if (!AtLabel(kNumPinsLabel, "a NumPins line (\"    NumPins: XXXXXXXX\")")) return true;
    uint32_t count = 0;
    if (!Hex(kNumPinsLabel, &count, "the NumPins line")) return false;
    iface->PinTypes = count;
    while (AtLabel(kPinLabel, "a Pin line (\"       +Pin XXXXXXXX Dataflow: XXXXXXXX\")")) {
      ParsedPin pin;
      pin.Line = LineNumber(next_);
      const std::string& line = lines_[next_].Text;
      size_t at = std::strlen(kPinLabel);
      size_t flowLabel = std::strlen(kDataflowLabel);
      if (line.size() != at + 8 + flowLabel + 8 || !ParseHex(line.substr(at, 8), &pin.Id) ||
          line.compare(at + 8, flowLabel, kDataflowLabel) != 0 ||
          !ParseHex(line.substr(at + 8 + flowLabel), &pin.Dataflow)) {
        return Fail(next_, "a Pin line (\"       +Pin XXXXXXXX Dataflow: XXXXXXXX\")");
      }
      ++next_;
      if (AtLabel(kMaxChannelsLabel, "a MaxChannels line (\"          MaxChannels: XXXXXXXX\")")) {
        ParsedRange range;
        if (!Hex(kMaxChannelsLabel, &range.MaxChannels, "the MaxChannels line") ||
            !Hex(kMaxBitsLabel, &range.MaxBits, "the MaxBits line") ||
            !Hex(kMinSampleRateLabel, &range.MinSampleRate, "the MinSampleRt line") ||
            !Hex(kMaxSampleRateLabel, &range.MaxSampleRate, "the MaxSampleRt line")) {
          return false;
        }
        pin.Range = range;
      }
      iface->Pins.push_back(pin);
    }
    return true;
  }

  static bool StartsWith(const std::string& line, const char* label) {
    return line.compare(0, std::strlen(label), label) == 0;
  }
  static bool EndsWith(const std::string& line, const char* suffix) {
    size_t n = std::strlen(suffix);
    return line.size() >= n && line.compare(line.size() - n, n, suffix) == 0;
  }
  bool At(const char* text) const { return next_ < lines_.size() && lines_[next_].Text == text; }
  int LineNumber(size_t index) const { return NumberAt(lines_, index); }
  // A lookahead: when the line is not of the kind, the kind is one of
  // those an error at this line names as allowed.
  bool AtLabel(const char* label, const std::string& kind) {
    if (next_ < lines_.size() && StartsWith(lines_[next_].Text, label)) return true;
    Tried(kind);
    return false;
  }

  void Tried(const std::string& kind) {
    if (!partial_) return;
    if (triedAt_ != next_) tried_.clear();
    triedAt_ = next_;
    tried_.push_back(kind);
  }

  // What a line kind looks like, in partial errors.
  std::string Named(const std::string& what, const std::string& shape) const {
    return partial_ && !shape.empty() ? what + " (\"" + shape + "\")" : what;
  }

  bool Fail(size_t index, const std::string& expected) {
    if (!error_->empty()) return false;
    std::string allowed = expected;
    if (partial_ && index == triedAt_ && !tried_.empty()) {
      allowed.clear();
      for (const std::string& kind : tried_) allowed += kind + ", ";
      allowed += "or " + expected;
    }
    *error_ = LineError(lines_, index, allowed, partial_);
    return false;
  }

  bool Exact(const char* text, const char* what) {
    if (!At(text)) return Fail(next_, Named(what, text));
    ++next_;
    return true;
  }

  bool Prefixed(const std::string& label, std::string* rest, const std::string& what, const std::string& shape = "") {
    if (next_ >= lines_.size() || lines_[next_].Text.compare(0, label.size(), label) != 0) {
      return Fail(next_, Named(what, shape.empty() ? label + "..." : shape));
    }
    *rest = lines_[next_++].Text.substr(label.size());
    return true;
  }

  static bool ParseHex(const std::string& text, uint32_t* value) {
    if (text.size() != 8) return false;
    uint32_t v = 0;
    for (char c : text) {
      int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (digit < 0) return false;
      v = v << 4 | static_cast<uint32_t>(digit);
    }
    *value = v;
    return true;
  }

  bool Hex(const char* label, uint32_t* value, const char* what) {
    std::string rest;
    size_t at = next_;
    std::string shape = std::string(label) + "XXXXXXXX";
    if (!Prefixed(label, &rest, what, shape)) return false;
    if (!ParseHex(rest, value)) {
      return Fail(at, Named(what, shape) + " with eight upper-case hex digits");
    }
    return true;
  }

  const std::vector<ReaderLine>& lines_;
  size_t next_ = 0;
  std::string* error_;
  bool partial_;
  ReaderStart start_;
  std::vector<std::string> notes_;
  std::vector<std::string> tried_;  // lookaheads that failed at line triedAt_
  size_t triedAt_ = static_cast<size_t>(-1);
};

}  // namespace

bool ReaderParseLines(const std::vector<ReaderLine>& lines, ParsedReport* report, std::string* error) {
  error->clear();
  ParsedReport parsed;
  Parser parser(lines, error, false, ReaderStart::kBanner);
  if (!parser.Parse(&parsed)) return false;
  parsed.Notes = parser.Notes();
  *report = std::move(parsed);
  return true;
}

ParsedReport ReaderParsePartial(const std::vector<ReaderLine>& lines, ReaderStart start) {
  ParsedReport report;
  std::string error;
  Parser parser(lines, &error, true, start);
  if (!parser.Parse(&report)) report.Stopped = ReaderStopOf(error);
  report.Notes = parser.Notes();
  return report;
}

ReaderStop ReaderStopOf(const std::string& error) {
  ReaderStop stop;
  stop.Message = error;
  if (error.compare(0, 5, "line ") != 0) return stop;
  size_t colon = error.find(": ");
  if (colon == std::string::npos) return stop;
  stop.Line = std::atoi(error.substr(5, colon - 5).c_str());
  stop.Message = error.substr(colon + 2);
  return stop;
}

bool ReaderComplete(const ParsedReport& report) {
  if (report.Stopped) return false;
  for (const ParsedDevice& d : report.Devices) {
    if (d.Stopped) return false;
  }
  return true;
}

bool ReaderParse(const std::string& bytes, ParsedReport* report, std::string* error) {
  error->clear();
  std::vector<ReaderLine> lines;
  return SplitStrict(bytes, &lines, error) && ReaderParseLines(lines, report, error);
}

}  // namespace ksr

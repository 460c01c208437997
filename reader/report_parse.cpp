#include "reader/report_parse.h"

#include <cstring>
#include <utility>

#include "report/layout.h"

namespace ksr {

namespace {

// The number of the line at index; past the end, the number after the last.
int NumberAt(const std::vector<ReportLine>& lines, size_t index) {
  return index < lines.size() ? lines[index].Number : lines.empty() ? 1 : lines.back().Number + 1;
}

// "line N: expected WHAT, found ..." for the line at index, or for the
// place after the last line when the lines end before it.
std::string LineError(const std::vector<ReportLine>& lines, size_t index, const std::string& expected) {
  std::string error = "line " + std::to_string(NumberAt(lines, index)) + ": expected " + expected;
  if (index >= lines.size()) return error + ", but the report ends here";
  const std::string& text = lines[index].Text;
  return error + ", found \"" + text.substr(0, 60) + (text.size() > 60 ? "...\"" : "\"");
}

// Every line, the last included, must end in CR LF.
bool SplitStrict(const std::string& bytes, std::vector<ReportLine>* lines, std::string* error) {
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
  Parser(const std::vector<ReportLine>& lines, std::string* error) : lines_(lines), error_(error) {}

  bool Parse(ParsedReport* report) {
    std::string banner;
    if (!Prefixed(std::string(kBannerTool) + " ", &banner, "the banner line (\"ksreport ...\")")) return false;
    report->Banner = std::string(kBannerTool) + " " + banner;
    if (!Exact("", "a blank line") || !Exact(kRuleText, "a rule line") ||
        !Exact(kStartTitle, "the start title") || !Exact(kRuleText, "a rule line")) {
      return false;
    }
    while (true) {
      if (!Exact("", "a blank line")) return false;
      if (At(kCutText)) {
        ++next_;
        ParsedDevice device;
        if (!Device(&device)) return false;
        report->Devices.push_back(device);
        continue;
      }
      break;
    }
    if (!Exact(kRuleText, "a cut line or a rule line") || !Exact(kEndTitle, "the end title") ||
        !Exact(kRuleText, "a rule line") || !Exact("", "a blank line")) {
      return false;
    }
    std::string closing;
    if (!Prefixed(kClosingPrefix, &closing, "the closing request line")) return false;
    if (!EndsWith(closing, kClosingSuffix)) {
      return Fail(next_ - 1, std::string("the closing request line to end in \"") + kClosingSuffix + "\"");
    }
    report->Feedback = closing.substr(0, closing.size() - std::strlen(kClosingSuffix));
    if (next_ != lines_.size()) return Fail(next_, "the end of the report after the closing request line");
    return true;
  }

 private:
  bool Device(ParsedDevice* device) {
    device->Line = LineNumber(next_);
    if (!Prefixed(kDevicePathLabel, &device->HardwareId, "the Device Path line") ||
        !Hex(kBusNumberLabel, &device->BusNumber, "the Bus Number line") || !Description(device) ||
        !Hex(kInstanceIdLabel, &device->InstanceId, "the Instance ID line")) {
      return false;
    }
    while (AtLabel(kInterfaceLabel)) {
      ParsedInterface iface;
      iface.Line = LineNumber(next_);
      iface.Name = lines_[next_++].Text.substr(std::strlen(kInterfaceLabel));
      if (!Pins(&iface)) return false;
      device->Interfaces.push_back(iface);
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
    ++next_;
    return true;
  }

  bool Pins(ParsedInterface* iface) {
    if (!AtLabel(kNumPinsLabel)) return true;
    uint32_t count = 0;
    if (!Hex(kNumPinsLabel, &count, "the NumPins line")) return false;
    iface->PinTypes = count;
    while (AtLabel(kPinLabel)) {
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
      if (AtLabel(kMaxChannelsLabel)) {
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
  bool AtLabel(const char* label) const { return next_ < lines_.size() && StartsWith(lines_[next_].Text, label); }

  bool Fail(size_t index, const std::string& expected) {
    if (error_->empty()) *error_ = LineError(lines_, index, expected);
    return false;
  }

  bool Exact(const char* text, const char* what) {
    if (!At(text)) return Fail(next_, what);
    ++next_;
    return true;
  }

  bool Prefixed(const std::string& label, std::string* rest, const char* what) {
    if (next_ >= lines_.size() || lines_[next_].Text.compare(0, label.size(), label) != 0) return Fail(next_, what);
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
    if (!Prefixed(label, &rest, what)) return false;
    if (!ParseHex(rest, value)) {
      return Fail(at, std::string(what) + " with eight upper-case hex digits");
    }
    return true;
  }

  const std::vector<ReportLine>& lines_;
  size_t next_ = 0;
  std::string* error_;
};

}  // namespace

bool ReportParseLines(const std::vector<ReportLine>& lines, ParsedReport* report, std::string* error) {
  error->clear();
  ParsedReport parsed;
  Parser parser(lines, error);
  if (!parser.Parse(&parsed)) return false;
  *report = std::move(parsed);
  return true;
}

bool ReportParse(const std::string& bytes, ParsedReport* report, std::string* error) {
  error->clear();
  std::vector<ReportLine> lines;
  return SplitStrict(bytes, &lines, error) && ReportParseLines(lines, report, error);
}

}  // namespace ksr

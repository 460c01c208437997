#include "reader/report_parse.h"

#include <cstring>

#include "report/layout.h"

namespace ksr {

namespace {

class Parser {
 public:
  Parser(const std::string& bytes, std::string* error) : error_(error) { Split(bytes); }

  bool Parse(ParsedReport* report) {
    if (!error_->empty()) return false;
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
    while (next_ < lines_.size() && StartsWith(lines_[next_], kInterfaceLabel)) {
      ParsedInterface iface;
      iface.Line = LineNumber(next_);
      iface.Name = lines_[next_++].substr(std::strlen(kInterfaceLabel));
      if (!Pins(&iface)) return false;
      device->Interfaces.push_back(iface);
    }
    return true;
  }

  // description / manufacturer / service.sys: the description ends at the
  // first separator and the service begins after the last.
  bool Description(ParsedDevice* device) {
    if (next_ >= lines_.size()) return Fail(next_, "the description line");
    const std::string& line = lines_[next_];
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
    if (next_ >= lines_.size() || !StartsWith(lines_[next_], kNumPinsLabel)) return true;
    uint32_t count = 0;
    if (!Hex(kNumPinsLabel, &count, "the NumPins line")) return false;
    iface->PinTypes = count;
    while (next_ < lines_.size() && StartsWith(lines_[next_], kPinLabel)) {
      ParsedPin pin;
      pin.Line = LineNumber(next_);
      const std::string& line = lines_[next_];
      size_t at = std::strlen(kPinLabel);
      size_t flowLabel = std::strlen(kDataflowLabel);
      if (line.size() != at + 8 + flowLabel + 8 || !ParseHex(line.substr(at, 8), &pin.Id) ||
          line.compare(at + 8, flowLabel, kDataflowLabel) != 0 ||
          !ParseHex(line.substr(at + 8 + flowLabel), &pin.Dataflow)) {
        return Fail(next_, "a Pin line (\"       +Pin XXXXXXXX Dataflow: XXXXXXXX\")");
      }
      ++next_;
      if (next_ < lines_.size() && StartsWith(lines_[next_], kMaxChannelsLabel)) {
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

  // Every line, the last included, must end in CR LF.
  void Split(const std::string& bytes) {
    size_t start = 0;
    while (start < bytes.size()) {
      size_t lf = bytes.find('\n', start);
      if (lf == std::string::npos) {
        lines_.push_back(bytes.substr(start));
        Fail(lines_.size() - 1, "CR LF at the end of the line (the report is cut short)");
        return;
      }
      bool crlf = lf > start && bytes[lf - 1] == '\r';
      lines_.push_back(bytes.substr(start, crlf ? lf - 1 - start : lf - start));
      if (!crlf) {
        Fail(lines_.size() - 1, "CR LF at the end of the line (found LF alone)");
        return;
      }
      if (lines_.back().find('\r') != std::string::npos) {
        Fail(lines_.size() - 1, "CR only before LF (found a CR inside the line)");
        return;
      }
      start = lf + 1;
    }
  }

  static bool StartsWith(const std::string& line, const char* label) {
    return line.compare(0, std::strlen(label), label) == 0;
  }
  static bool EndsWith(const std::string& line, const char* suffix) {
    size_t n = std::strlen(suffix);
    return line.size() >= n && line.compare(line.size() - n, n, suffix) == 0;
  }
  bool At(const char* text) const { return next_ < lines_.size() && lines_[next_] == text; }
  static int LineNumber(size_t index) { return static_cast<int>(index) + 1; }

  bool Fail(size_t index, const std::string& expected) {
    if (!error_->empty()) return false;
    *error_ = "line " + std::to_string(LineNumber(index)) + ": expected " + expected;
    if (index < lines_.size()) {
      std::string found = lines_[index].substr(0, 60);
      *error_ += ", found \"" + found + (lines_[index].size() > 60 ? "...\"" : "\"");
    } else {
      *error_ += ", but the report ends here";
    }
    return false;
  }

  bool Exact(const char* text, const char* what) {
    if (!At(text)) return Fail(next_, what);
    ++next_;
    return true;
  }

  bool Prefixed(const std::string& label, std::string* rest, const char* what) {
    if (next_ >= lines_.size() || lines_[next_].compare(0, label.size(), label) != 0) return Fail(next_, what);
    *rest = lines_[next_++].substr(label.size());
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

  std::vector<std::string> lines_;
  size_t next_ = 0;
  std::string* error_;
};

}  // namespace

bool ReportParse(const std::string& bytes, ParsedReport* report, std::string* error) {
  error->clear();
  ParsedReport parsed;
  Parser parser(bytes, error);
  if (!parser.Parse(&parsed)) return false;
  *report = parsed;
  return true;
}

}  // namespace ksr

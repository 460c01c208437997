#include "reader/report_transport.h"

#include <algorithm>

#include "reader/report_text.h"

namespace ksr {

namespace {

// A report's lines; the writer ends every line in CR LF.
std::vector<std::string> Lines(const std::string& report) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < report.size();) {
    size_t end = report.find("\r\n", at);
    if (end == std::string::npos) end = report.size();
    lines.push_back(report.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

template <typename Each>
std::string EachLine(const std::string& report, Each each) {
  std::string out;
  size_t index = 0;
  for (const std::string& line : Lines(report)) out += each(line, index++) + "\r\n";
  return out;
}

std::string LineEnds(const std::string& report, const std::vector<const char*>& ends) {
  std::string out;
  size_t index = 0;
  for (const std::string& line : Lines(report)) out += line + ends[index++ % ends.size()];
  return out;
}

std::string Utf16(const std::string& report, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : report) {
    uint32_t unit = ReportTextCp1252(static_cast<unsigned char>(c));
    char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  }
  return out;
}

std::string MailBody(const std::string& report) {
  return "From: Customer <customer@example.invalid>\r\nSubject: ksreport output, as asked\r\n\r\n"
         "Hello, here is the report:\r\n\r\n" + report + "\r\nThanks,\r\n-- \r\nA. Customer\r\n";
}

std::string Quote(const std::string& report, const char* prefix) {
  return EachLine(report, [&](const std::string& line, size_t) {
    return line.empty() ? std::string(">") : prefix + line;
  });
}

// A console's copy: every line padded with spaces to its width.
std::string ConsolePadding(const std::string& report) {
  return EachLine(report, [](const std::string& line, size_t) {
    return line + std::string(line.size() < 80 ? 80 - line.size() : 0, ' ');
  });
}

std::string StripLastLineEnd(const std::string& report) {
  std::string out = report;
  if (!out.empty() && out.back() == '\n') out.pop_back();
  if (!out.empty() && out.back() == '\r') out.pop_back();
  return out;
}

}  // namespace

const std::vector<ReportTransport>& ReportTransports() {
  static const std::vector<ReportTransport> transports = {
      {"mail body", MailBody, {"text-before", "text-after"}, kReportTransportAround},
      {"blank lines around",
       [](const std::string& r) { return "\r\n \r\n" + r + "\r\n\r\n"; },
       {"blank-lines-before", "blank-lines-after"}, kReportTransportAround},
      {"quoted \"> \"", [](const std::string& r) { return Quote(r, "> "); }, {"quote-prefix"}, 1},
      {"quoted \">\"", [](const std::string& r) { return Quote(r, ">"); }, {"quote-prefix"}, 1},
      {"a space after each line",
       [](const std::string& r) { return EachLine(r, [](const std::string& l, size_t) { return l + " "; }); },
       {"trailing-whitespace"}, 2},
      {"two spaces after each line",
       [](const std::string& r) { return EachLine(r, [](const std::string& l, size_t) { return l + "  "; }); },
       {"trailing-whitespace"}, 2},
      {"tabs and spaces after some lines",
       [](const std::string& r) {
         return EachLine(r, [](const std::string& l, size_t i) { return l + (i % 3 ? "\t " : ""); });
       },
       {"trailing-whitespace"}, 2, true},
      {"console padding", ConsolePadding, {"trailing-whitespace"}, 2, true},
      {"LF line ends", [](const std::string& r) { return LineEnds(r, {"\n"}); }, {"lf-line-ends"}, 3},
      {"CR line ends", [](const std::string& r) { return LineEnds(r, {"\r"}); }, {"cr-line-ends"}, 3},
      {"mixed line ends", [](const std::string& r) { return LineEnds(r, {"\r\n", "\n", "\r"}); },
       {"mixed-line-ends"}, 3},
      {"no last line end", StripLastLineEnd, {"no-last-line-end"}, kReportTransportLastLineEnd},
      {"UTF-8 byte-order mark", [](const std::string& r) { return "\xEF\xBB\xBF" + r; }, {"utf-8-bom"}, 5},
      {"UTF-16 little-endian", [](const std::string& r) { return Utf16(r, false); }, {"utf-16le"}, 5},
      {"UTF-16 big-endian", [](const std::string& r) { return Utf16(r, true); }, {"utf-16be"}, 5},
  };
  return transports;
}

const ReportTransport* ReportTransportNamed(const std::string& name) {
  for (const ReportTransport& t : ReportTransports()) {
    if (name == t.Name) return &t;
  }
  return nullptr;
}

std::string ReportTransportApply(const std::string& report, const std::vector<const ReportTransport*>& way,
                                 std::vector<std::string>* kinds) {
  std::string bytes = report;
  for (const ReportTransport* t : way) {
    bytes = t->Apply(bytes);
    kinds->insert(kinds->end(), t->Kinds.begin(), t->Kinds.end());
  }
  return bytes;
}

std::vector<std::vector<const ReportTransport*>> ReportTransportWays() {
  const std::vector<ReportTransport>& all = ReportTransports();
  std::vector<std::vector<const ReportTransport*>> ways;
  for (const ReportTransport& t : all) ways.push_back({&t});
  for (const ReportTransport& a : all) {
    for (const ReportTransport& b : all) {
      // Text after the report would take the place of its last line end.
      bool hidden = a.Stage == kReportTransportAround && b.Stage == kReportTransportLastLineEnd;
      if (a.Stage < b.Stage && !hidden) ways.push_back({&a, &b});
    }
  }
  return ways;
}

ParsedReport ReportAfterTransport(const ParsedReport& report, const std::vector<const ReportTransport*>& way) {
  ParsedReport out = report;
  if (std::none_of(way.begin(), way.end(), [](const ReportTransport* t) { return t->Uneven; })) return out;
  auto trim = [](std::string* s) { s->erase(s->find_last_not_of(" \t") + 1); };
  trim(&out.Banner);
  for (ParsedDevice& d : out.Devices) {
    trim(&d.HardwareId);
    for (ParsedInterface& i : d.Interfaces) trim(&i.Name);
  }
  return out;
}

bool ReportSameContent(const ParsedReport& a, const ParsedReport& b) {
  auto samePin = [](const ParsedPin& x, const ParsedPin& y) {
    bool sameRange = x.Range.has_value() == y.Range.has_value() &&
                     (!x.Range || (x.Range->MaxChannels == y.Range->MaxChannels &&
                                   x.Range->MaxBits == y.Range->MaxBits &&
                                   x.Range->MinSampleRate == y.Range->MinSampleRate &&
                                   x.Range->MaxSampleRate == y.Range->MaxSampleRate));
    return x.Id == y.Id && x.Dataflow == y.Dataflow && sameRange;
  };
  auto sameInterface = [&](const ParsedInterface& x, const ParsedInterface& y) {
    return x.Name == y.Name && x.PinTypes == y.PinTypes &&
           std::equal(x.Pins.begin(), x.Pins.end(), y.Pins.begin(), y.Pins.end(), samePin);
  };
  auto sameDevice = [&](const ParsedDevice& x, const ParsedDevice& y) {
    return x.HardwareId == y.HardwareId && x.BusNumber == y.BusNumber && x.Description == y.Description &&
           x.Manufacturer == y.Manufacturer && x.Service == y.Service && x.InstanceId == y.InstanceId &&
           std::equal(x.Interfaces.begin(), x.Interfaces.end(), y.Interfaces.begin(), y.Interfaces.end(),
                      sameInterface);
  };
  return a.Banner == b.Banner && a.Feedback == b.Feedback &&
         std::equal(a.Devices.begin(), a.Devices.end(), b.Devices.begin(), b.Devices.end(), sameDevice);
}

}  // namespace ksr

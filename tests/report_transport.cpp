#include "tests/report_transport.h"

#include <algorithm>
#include <cstring>

#include "encoding/encoding.h"
#include "report/layout.h"

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
    uint32_t unit = EncodingCp1252(static_cast<unsigned char>(c));
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
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// Every space made a non-breaking one, as UTF-8: a plain-text report
// pasted into an HTML mail.
std::string NbspUtf8(const std::string& report) {
  return EachLine(report, [](const std::string& line, size_t) {
    std::string out;
    for (char c : line) out += c == ' ' ? std::string("\xC2\xA0") : std::string(1, c);
    return out;
  });
}

// An HTML mail's way with runs of spaces, in Windows-1252: in a run of two
// or more, and in a line's leading run, every other space (from the first)
// is the byte A0.
std::string NbspCp1252(const std::string& report) {
  return EachLine(report, [](const std::string& line, size_t) {
    std::string out;
    for (size_t i = 0; i < line.size();) {
      size_t j = line.find_first_not_of(' ', i);
      if (j == std::string::npos) j = line.size();
      if (j == i) {
        out += line[i++];
        continue;
      }
      bool run = j - i > 1 || i == 0;
      for (size_t k = i; k < j; ++k) out += run && (k - i) % 2 == 0 ? '\xA0' : ' ';
      i = j;
    }
    return out;
  });
}

bool HoldsFreeText(const std::string& line) {
  return line.compare(0, 13, "Device Path: ") == 0 || line.find(" / ") != std::string::npos ||
         line.compare(0, 9, "ksreport ") == 0 || line.compare(0, std::strlen(kClosingPrefix), kClosingPrefix) == 0;
}

// An editor's tabs: a line's indentation, and the runs of spaces inside
// its labels, made one tab each; an interface name keeps its own.
std::string Tabs(const std::string& report) {
  return EachLine(report, [](const std::string& line, size_t) {
    size_t lead = line.find_first_not_of(' ');
    if (lead == std::string::npos || HoldsFreeText(line)) return line;
    std::string out = (lead ? "\t" : "") + line.substr(lead);
    if (line.compare(0, 4, "   +") == 0) return out;
    std::string tabbed;
    for (size_t i = 0; i < out.size(); ++i) {
      bool run = out[i] == ' ' && i + 1 < out.size() && out[i + 1] == ' ';
      if (!run) {
        tabbed += out[i];
        continue;
      }
      while (i + 1 < out.size() && out[i + 1] == ' ') ++i;
      tabbed += '\t';
    }
    return tabbed;
  });
}

// A mail client's wrapping: a line longer than width breaks at its last
// single space within the width, as often as it takes.
std::string Wrapped(const std::string& report, size_t width) {
  return EachLine(report, [width](const std::string& line, size_t) {
    // The banner is the tool's own words, shorter than any mail's width;
    // only a damaged one is longer, and that is no wrap to undo.
    if (line.compare(0, 9, "ksreport ") == 0) return line;
    std::string out, rest = line;
    while (rest.size() > width) {
      size_t at = std::string::npos;
      for (size_t i = 1; i + 1 < rest.size() && i <= width; ++i) {
        if (rest[i] == ' ' && rest[i - 1] != ' ' && rest[i + 1] != ' ') at = i;
      }
      if (at == std::string::npos) break;
      out += rest.substr(0, at) + "\r\n";
      rest = rest.substr(at + 1);
    }
    return out + rest;
  });
}

}  // namespace

const std::vector<ReportTransport>& ReportTransports() {
  static const std::vector<ReportTransport> transports = {
      {"mail body", MailBody, {"text-before", "text-after"}, kReportTransportAround},
      {"blank lines around",
       [](const std::string& r) { return "\r\n \r\n" + r + "\r\n\r\n"; },
       {"blank-lines-before", "blank-lines-after"}, kReportTransportAround},
      {"non-breaking spaces (UTF-8)", NbspUtf8, {"non-breaking-spaces"}, kReportTransportContent},
      {"non-breaking spaces (Windows-1252)", NbspCp1252, {"non-breaking-spaces"}, kReportTransportContent},
      {"tabs for runs of spaces", Tabs, {"tabs"}, kReportTransportContent},
      {"wrapped at 60 columns", [](const std::string& r) { return Wrapped(r, 60); }, {"wrapped-lines"},
       kReportTransportContent},
      {"quoted \"> \"", [](const std::string& r) { return Quote(r, "> "); }, {"quote-prefix"}, 2},
      {"quoted \">\"", [](const std::string& r) { return Quote(r, ">"); }, {"quote-prefix"}, 2},
      {"a space after each line",
       [](const std::string& r) { return EachLine(r, [](const std::string& l, size_t) { return l + " "; }); },
       {"trailing-whitespace"}, 3},
      {"two spaces after each line",
       [](const std::string& r) { return EachLine(r, [](const std::string& l, size_t) { return l + "  "; }); },
       {"trailing-whitespace"}, 3},
      {"tabs and spaces after some lines",
       [](const std::string& r) {
         return EachLine(r, [](const std::string& l, size_t i) { return l + (i % 3 ? "\t " : ""); });
       },
       {"trailing-whitespace"}, 3, true},
      {"console padding", ConsolePadding, {"trailing-whitespace"}, 3, true},
      {"LF line ends", [](const std::string& r) { return LineEnds(r, {"\n"}); }, {"lf-line-ends"}, 4},
      {"CR line ends", [](const std::string& r) { return LineEnds(r, {"\r"}); }, {"cr-line-ends"}, 4},
      {"CR CR LF line ends", [](const std::string& r) { return LineEnds(r, {"\r\r\n"}); }, {"cr-cr-lf-line-ends"}, 4},
      {"mixed line ends", [](const std::string& r) { return LineEnds(r, {"\r\n", "\n", "\r"}); },
       {"mixed-line-ends"}, 4},
      {"no last line end", StripLastLineEnd, {"no-last-line-end"}, kReportTransportLastLineEnd},
      {"UTF-8 byte-order mark", [](const std::string& r) { return "\xEF\xBB\xBF" + r; }, {"utf-8-bom"}, 6},
      {"UTF-16 little-endian", [](const std::string& r) { return Utf16(r, false); }, {"utf-16le"}, 6},
      {"UTF-16 big-endian", [](const std::string& r) { return Utf16(r, true); }, {"utf-16be"}, 6},
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
    std::string before = bytes;
    bytes = t->Apply(before);
    // A wrap of a report without long lines, say, changes nothing.
    if (bytes != before) kinds->insert(kinds->end(), t->Kinds.begin(), t->Kinds.end());
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
           x.Stopped.has_value() == y.Stopped.has_value() &&
           std::equal(x.Interfaces.begin(), x.Interfaces.end(), y.Interfaces.begin(), y.Interfaces.end(),
                      sameInterface);
  };
  return a.Banner == b.Banner && a.Feedback == b.Feedback && a.Stopped.has_value() == b.Stopped.has_value() &&
         std::equal(a.Devices.begin(), a.Devices.end(), b.Devices.begin(), b.Devices.end(), sameDevice);
}

}  // namespace ksr

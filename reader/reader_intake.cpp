#include "reader/reader_intake.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "encoding/encoding.h"
#include "reader/reader_repair.h"
#include "report/layout.h"

namespace ksr {

namespace {

struct TransportKind {
  const char* Id;
  const char* Note;
};

// In the order the notes are given.
const TransportKind kKinds[] = {
    {"utf-16le", "read as UTF-16 little-endian text (an editor's \"Unicode\")"},
    {"utf-16be", "read as UTF-16 big-endian text (an editor's \"Unicode big endian\")"},
    {"utf-8-bom", "a UTF-8 byte-order mark before the text was skipped"},
    {"lf-line-ends", "LF line ends were read as CR LF"},
    {"cr-line-ends", "CR line ends were read as CR LF"},
    {"mixed-line-ends", "mixed line ends were read as CR LF"},
    {"cr-cr-lf-line-ends", "CR CR LF line ends were read as CR LF"},
    {"no-last-line-end", "the report's last line had no line end"},
    {"quote-prefix", "a reply's quote prefix (\">\") was taken off every line"},
    {"trailing-whitespace", "spaces or tabs added at line ends were taken off"},
    {"non-breaking-spaces", "non-breaking spaces (as an HTML mail has them) were read as spaces"},
    {"tabs", "tabs in place of runs of spaces were read as those spaces"},
    {"wrapped-lines", "lines a mail client wrapped were joined"},
    {"blank-lines-before", "blank lines before the banner were skipped"},
    {"text-before", "text before the banner was skipped"},
    {"blank-lines-after", "blank lines after the closing request line were skipped"},
    {"text-after", "text after the closing request line was skipped"},
};
enum Kind : uint32_t {
  kUtf16Le, kUtf16Be, kUtf8Bom, kLfEnds, kCrEnds, kMixedEnds, kCrCrLfEnds, kNoLastEnd,
  kQuote, kTrailing, kNbsp, kTabs, kWrapped, kBlankBefore, kTextBefore, kBlankAfter, kTextAfter, kKindCount
};
static_assert(sizeof kKinds / sizeof kKinds[0] == kKindCount, "one entry per kind");

uint32_t Bit(Kind kind) { return 1u << kind; }

enum class LineEnd { kCrLf, kLf, kCr, kCrCrLf, kNone };

// A line of the file's text, which outlives it.
struct RawLine {
  std::string_view Text;
  int Number;
  LineEnd End;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t BlankTail(std::string_view s) {
  size_t n = 0;
  while (n < s.size() && IsBlank(s[s.size() - 1 - n])) ++n;
  return n;
}

std::string_view Trimmed(std::string_view s) { return s.substr(0, s.size() - BlankTail(s)); }

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// UTF-16 back to 8-bit text. A character that Windows-1252 has becomes its
// byte, so that a report an editor saved as "Unicode" reads back to the
// bytes it had; any other character becomes UTF-8. An unpaired surrogate
// becomes U+FFFD, and an odd last byte is dropped.
std::string FromUtf16(const std::string& bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  uint32_t c = 0;
  for (size_t at = 2, used; (used = EncodingUtf16Next(bytes, at, bigEndian, &c)) != 0; at += used) {
    unsigned char byte = 0;
    if (EncodingCp1252Byte(c, &byte)) {
      out += static_cast<char>(byte);
    } else {
      EncodingAppendUtf8(c, &out);
    }
  }
  return out;
}

// The file's text in 8 bits, without a byte-order mark: the bytes
// themselves, or the text decoded into *decoded.
std::string_view IntakeDecode(const std::string& bytes, std::string* decoded, uint32_t* kinds) {
  if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
    bool bigEndian = bytes[0] == '\xFE';
    *kinds |= Bit(bigEndian ? kUtf16Be : kUtf16Le);
    *decoded = FromUtf16(bytes, bigEndian);
    return *decoded;
  }
  std::string_view text = bytes;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    *kinds |= Bit(kUtf8Bom);
    text.remove_prefix(3);
  }
  return text;
}

// Lines end at CR LF, LF or CR, whichever comes; each counts one line, as
// an editor counts them. In a file where most LFs follow a doubled CR (a
// mail gateway made its CR LF line ends CR CR LF), the three end one line.
bool IntakeCrDoubled(std::string_view text) {
  size_t doubled = 0, lf = 0;
  for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
    ++lf;
    doubled += at >= 2 && text[at - 1] == '\r' && text[at - 2] == '\r';
  }
  return doubled * 2 > lf;
}

std::vector<RawLine> IntakeSplit(std::string_view text) {
  std::vector<RawLine> lines;
  bool doubled = IntakeCrDoubled(text);
  size_t start = 0;
  while (start < text.size()) {
    size_t at = text.find_first_of("\r\n", start);
    int number = static_cast<int>(lines.size()) + 1;
    if (at == std::string::npos) {
      lines.push_back({text.substr(start), number, LineEnd::kNone});
      break;
    }
    std::string_view rest = text.substr(at);
    LineEnd end = rest[0] == '\n'                          ? LineEnd::kLf
                  : doubled && rest.substr(0, 3) == "\r\r\n" ? LineEnd::kCrCrLf
                  : rest.substr(0, 2) == "\r\n"              ? LineEnd::kCrLf
                                                              : LineEnd::kCr;
    lines.push_back({text.substr(start, at - start), number, end});
    start = at + (end == LineEnd::kCrCrLf ? 3 : end == LineEnd::kCrLf ? 2 : 1);
  }
  return lines;
}

// Blanks as a mail client may have changed them: non-breaking spaces and
// tabs read as spaces, each run as one space.
std::string Loose(std::string_view s) {
  std::string spaced = ReaderNbspToSpace(std::string(s));
  std::string out;
  for (char c : spaced) {
    bool blank = c == ' ' || c == '\t';
    if (blank && !out.empty() && out.back() == ' ') continue;
    out += blank ? ' ' : c;
  }
  return out;
}

// A reply's quote prefix: '>' marks, each followed by at most one space.
size_t QuoteLength(std::string_view line) {
  size_t n = 0;
  while (n < line.size() && line[n] == '>') {
    ++n;
    if (n < line.size() && line[n] == ' ') ++n;
  }
  return n;
}

// Looks for reports among the lines of a file. A report is seen through the
// quote prefix its banner line has.
class IntakeFinder {
 public:
  explicit IntakeFinder(const std::vector<RawLine>& lines) : lines_(lines) {}

  // The line at i without the quote prefix q. A quoted blank line may have
  // lost the prefix's space. False when the line is not quoted so.
  bool Seen(size_t i, std::string_view q, std::string_view* text) const {
    std::string_view line = lines_[i].Text;
    std::string_view bare = Trimmed(q);
    if (StartsWith(line, q)) {
      *text = line.substr(q.size());
    } else if (!bare.empty() && StartsWith(line, bare)) {
      *text = line.substr(bare.size());
    } else {
      return false;
    }
    return true;
  }

  // A line that begins, after any quote prefix, as the banner does.
  bool Banner(size_t i, std::string_view* q) const {
    std::string_view line = lines_[i].Text;
    size_t n = QuoteLength(line);
    static const std::string prefix = std::string(kBannerTool) + " ";
    if (!StartsWith(line.substr(n), prefix) && !StartsWith(Loose(line.substr(n, 16)), prefix)) return false;
    *q = line.substr(0, n);
    return true;
  }

  // A banner line with the rest of the header under it.
  bool Header(size_t i) const {
    std::string_view q;
    return Banner(i, &q) && Is(i + 1, q, "") && Is(i + 2, q, kRuleText) && Is(i + 3, q, kStartTitle);
  }

  // A header's first rule with the start title under it, in a file whose
  // banner line was never written: the first at or after from.
  size_t NextRule(size_t from) const {
    for (size_t i = from; i + 1 < lines_.size(); ++i) {
      std::string_view line = lines_[i].Text;
      std::string_view q = line.substr(0, QuoteLength(line));
      if (Is(i, q, kRuleText) && Is(i + 1, q, kStartTitle)) return i;
    }
    return std::string::npos;
  }

  // The quote prefix of a line.
  std::string_view Prefix(size_t i) const {
    std::string_view line = lines_[i].Text;
    return line.substr(0, QuoteLength(line));
  }

  // The first banner line at or after from: with its header, or any.
  size_t Next(size_t from, bool withHeader) const {
    std::string_view q;
    for (size_t i = from; i < lines_.size(); ++i) {
      if (withHeader ? Header(i) : Banner(i, &q)) return i;
    }
    return std::string::npos;
  }

  // One past the report's last line: its closing request line, which
  // follows the end title, a rule and a blank line; or, in a report cut
  // short, the last line before the quote ends, the next report begins or
  // the file ends, blank lines not counted.
  size_t End(size_t banner, std::string_view q) const {
    size_t j = banner + 1;
    for (; j < lines_.size(); ++j) {
      std::string_view text;
      if (!Seen(j, q, &text) || Header(j)) break;
      if (j >= banner + 4 && StartsWith(Loose(text), kClosingPrefix) && Is(j - 1, q, "") && Is(j - 2, q, kRuleText) &&
          Is(j - 3, q, kEndTitle)) {
        return ClosingEnd(j, q);
      }
    }
    while (j > banner + 1 && Is(j - 1, q, "")) --j;
    return j;
  }

  // One past the closing request line at j. A line that does not end in
  // its "!" was cut by a wrap (an address with spaces in it): it runs on
  // through the lines that continue it, up to the one that ends in "!",
  // for the repair to join.
  size_t ClosingEnd(size_t j, std::string_view q) const {
    std::string_view text;
    for (size_t k = j; k < lines_.size() && k <= j + 8; ++k) {
      if (!Seen(k, q, &text) || Trimmed(text).empty() || (k > j && Header(k))) break;
      if (Trimmed(text).back() == '!') return k + 1;
    }
    return j + 1;
  }

  // What lines [from, to) hold: nothing, blank lines only (quoted or
  // not), or text.
  uint32_t Gap(size_t from, size_t to, Kind blank, Kind text) const {
    uint32_t kinds = 0;
    for (size_t i = from; i < to; ++i) {
      std::string_view line = lines_[i].Text;
      if (!Trimmed(Loose(line.substr(QuoteLength(line)))).empty()) return Bit(text);
      kinds = Bit(blank);
    }
    return kinds;
  }

  // Lines [banner, end) as the writer wrote them, and what transport did
  // to their ends and their prefix.
  std::vector<ReaderLine> Take(size_t banner, size_t end, std::string_view q, uint32_t* kinds) const {
    std::vector<ReaderLine> lines;
    int crlf = 0, lf = 0, cr = 0, crcrlf = 0;
    for (size_t i = banner; i < end; ++i) {
      std::string_view text;
      Seen(i, q, &text);
      lines.push_back({std::string(text), lines_[i].Number});
      crlf |= lines_[i].End == LineEnd::kCrLf;
      lf |= lines_[i].End == LineEnd::kLf;
      cr |= lines_[i].End == LineEnd::kCr;
      crcrlf |= lines_[i].End == LineEnd::kCrCrLf;
      if (lines_[i].End == LineEnd::kNone) *kinds |= Bit(kNoLastEnd);
    }
    if (crlf + lf + cr + crcrlf > 1) {
      *kinds |= Bit(kMixedEnds);
    } else if (lf || cr || crcrlf) {
      *kinds |= Bit(lf ? kLfEnds : cr ? kCrEnds : kCrCrLfEnds);
    }
    if (!q.empty()) *kinds |= Bit(kQuote);
    return lines;
  }

  bool Is(size_t i, std::string_view q, std::string_view text) const {
    std::string_view seen;
    if (i >= lines_.size() || !Seen(i, q, &seen)) return false;
    std::string_view trimmed = Trimmed(seen);
    return trimmed == text || (trimmed.size() >= text.size() / 2 && Loose(trimmed) == Loose(text));
  }

 private:
  const std::vector<RawLine>& lines_;
};

std::vector<std::string> IntakeKindNames(uint32_t kinds) {
  std::vector<std::string> names;
  for (uint32_t k = 0; k < kKindCount; ++k) {
    if (kinds & (1u << k)) names.push_back(kKinds[k].Id);
  }
  return names;
}

std::string IntakeNoReport(const std::string& bytes, uint32_t kinds) {
  size_t nuls = 0;
  for (char c : bytes) nuls += c == '\0';
  if ((kinds & (Bit(kUtf16Le) | Bit(kUtf16Be))) == 0 && bytes.size() >= 4 && nuls * 3 >= bytes.size()) {
    return "no report found: the file looks like UTF-16 text without a byte-order mark; save it again as "
           "\"ANSI\", \"UTF-8\" or \"Unicode\"";
  }
  return std::string("no report found: no line begins with the banner \"") + kBannerTool + " ...\"";
}

}  // namespace

const char* ReaderTransportNote(const std::string& kind) {
  for (const TransportKind& k : kKinds) {
    if (kind == k.Id) return k.Note;
  }
  return "";
}

bool ReaderRead(const std::string& bytes, bool strict, std::vector<ParsedReport>* reports, std::string* error) {
  reports->clear();
  if (strict) {
    ParsedReport report;
    if (!ReaderParse(bytes, &report, error)) return false;
    reports->push_back(std::move(report));
    return true;
  }
  if (bytes.empty()) {
    *error = "the file is empty";
    return false;
  }
  uint32_t fileKinds = 0;
  std::string decoded;
  std::vector<RawLine> lines = IntakeSplit(IntakeDecode(bytes, &decoded, &fileKinds));
  IntakeFinder find(lines);
  // Reports are found by their whole header; a banner line alone counts
  // only in a file with no header at all, so that its errors name lines.
  size_t banner = find.Next(0, true);
  if (banner == std::string::npos) banner = find.Next(0, false);
  // What the tool writes when its first write failed: no banner line, the
  // report from the header's first rule on.
  ReaderStart start = ReaderStart::kBanner;
  if (banner == std::string::npos) {
    banner = find.NextRule(0);
    start = ReaderStart::kRule;
  }
  if (banner == std::string::npos) {
    *error = IntakeNoReport(bytes, fileKinds);
    return false;
  }
  // Each report is parsed as it is found, so that a ticket export of
  // thousands holds the lines of one at a time.
  std::vector<uint32_t> kinds;
  size_t gap = 0;
  while (banner != std::string::npos) {
    std::string_view q = find.Prefix(banner);
    size_t end = find.End(banner, q);
    uint32_t k = fileKinds | find.Gap(gap, banner, kBlankBefore, kTextBefore);
    std::vector<ReaderLine> reportLines = find.Take(banner, end, q, &k);
    if (ReaderUndoTrailingBlanks(&reportLines)) k |= Bit(kTrailing);
    ReaderRepairs repairs = ReaderRepair(&reportLines);
    k |= (repairs.Nbsp ? Bit(kNbsp) : 0) | (repairs.Tabs ? Bit(kTabs) : 0) | (repairs.Wrapped ? Bit(kWrapped) : 0);
    ParsedReport report = ReaderParsePartial(reportLines, start);
    if (start == ReaderStart::kRule) {
      report.Notes.insert(report.Notes.begin(), "line " + std::to_string(lines[banner].Number) +
                                                     ": no banner line; read from the header's rule and start title "
                                                     "(the tool writes no banner when its first write fails)");
    }
    start = ReaderStart::kBanner;
    reports->push_back(std::move(report));
    kinds.push_back(k);
    gap = end;
    banner = find.Next(end, true);
  }
  kinds.back() |= find.Gap(gap, lines.size(), kBlankAfter, kTextAfter);
  for (size_t i = 0; i < reports->size(); ++i) (*reports)[i].Transport = IntakeKindNames(kinds[i]);
  return true;
}

}  // namespace ksr

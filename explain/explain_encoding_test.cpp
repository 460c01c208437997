// A machine file saved by an editor as UTF-16 (with its byte-order mark)
// or with LF or CR LF line ends is still a machine file: told from a report
// as one, and loaded as the same machine.
#include <gtest/gtest.h>

#include "encoding/encoding.h"
#include "explain/explain_command.h"
#include "explain/explain_json.h"
#include "explain/explain_run.h"
#include "explain/explain_text.h"
#include "tests/test.h"

namespace ksr {
namespace {

std::string Utf16(const std::string& ascii, bool little) {
  std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : ascii) {
    out += little ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return out;
}

std::string LineEnds(std::string text, const std::string& end) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    out += c == '\n' ? end : std::string(1, c);
  }
  return out;
}

std::string Explained(const std::string& text) {
  SimMachine machine;
  std::string error;
  EXPECT_TRUE(SimLoadMachineText(text, &machine, &error)) << error;
  return ExplainText("m", ExplainMachine(machine).tree, false, true);
}

TEST(ExplainEncoding, UnicodeAndLineEndsOfAnEditorKeepAMachineAMachine) {
  std::string file = SourceText("examples/typical-machine.json");
  std::string expected = Explained(file);
  for (const std::string& text : {LineEnds(file, "\n"), LineEnds(file, "\r\n"), Utf16(file, true),
                                  Utf16(file, false), Utf16(LineEnds(file, "\r\n"), true),
                                  "\xEF\xBB\xBF" + LineEnds(file, "\n")}) {
    EXPECT_TRUE(ExplainLooksLikeMachine(text)) << text.substr(0, 8);
    EXPECT_EQ(Explained(text), expected) << text.substr(0, 8);
  }
}

TEST(ExplainEncoding, Utf16IsTurnedToUtf8WholeCharactersOnly) {
  // "é" U+00E9, "€" U+20AC and U+1F600 as a surrogate pair, little-endian.
  std::string le = std::string("\xFF\xFE", 2) + std::string("\xE9\x00\xAC\x20\x3D\xD8\x00\xDE", 8);
  EXPECT_EQ(EncodingUtf8OfUnicode(le), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  // A lone surrogate and an odd last byte are no characters.
  std::string bad = std::string("\xFE\xFF", 2) + std::string("\xD8\x00\x00\x41\x00", 5);
  EXPECT_EQ(EncodingUtf8OfUnicode(bad), "\xEF\xBF\xBD" "A" "\xEF\xBF\xBD");
  // Without a byte-order mark the text is left alone.
  EXPECT_EQ(EncodingUtf8OfUnicode("{\"devices\": []}"), "{\"devices\": []}");
  // A report in UTF-16 is still a report.
  EXPECT_FALSE(ExplainLooksLikeMachine(Utf16("ksreport 1.0\r\n", true)));
}

}  // namespace
}  // namespace ksr

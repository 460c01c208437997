// Why, in words: each failed gate and each range passed over as a stable
// key (for JSON and tests) and a phrase (for people), and what requests and
// property reads came back. Shared by the text and the JSON of an
// explanation, so that both say the same.
#pragma once

#include <optional>
#include <string>

#include "explain/explain_tree.h"

namespace ksr {

// Why, as a stable key and in words.
struct ExplainWhyText {
  std::string key, words;
};

// Why a step failed ("no-standard-medium", "mediums list holds no
// standard medium"); both empty when it passed.
ExplainWhyText ExplainStepWhy(const ExplainStep& step);

// Why a listed pin had no ranges to look at (its fetch failed); both empty
// when the fetch succeeded.
ExplainWhyText ExplainFetchWhy(const ExplainPin& pin);

// The fields of a KSDATARANGE_AUDIO that lie within an answer.
struct ExplainRangeFields {
  std::optional<uint32_t> formatSize;
  std::optional<GUID> major, sub, specifier;
  std::optional<uint32_t> maxChannels, minBits, maxBits, minRate, maxRate;
};
ExplainRangeFields ExplainReadRange(const SimBytes& answer, uint64_t offset);

// A range: "folded" or why it was passed over, as a key and in words.
std::string ExplainRangeKey(const ExplainRange& range);
std::string ExplainRangeWords(const ExplainRange& range, size_t answerLength);
const char* ExplainMergeKey(Note merge);  // "replaced", "widened", "smaller"

// A request's outcome ("delivered", "refused-for-size", "pending",
// "failed", "not-sent"), and in words with the answer's meaningful fields.
const char* ExplainRequestOutcome(const ExplainRequest& request);
std::string ExplainRequestWords(const ExplainRequest& request);

// A device property read ("delivered", "empty", "refused"), and what
// follows that word: its value (' "Speakers"') or why it was refused
// (": needs 10 bytes, the buffer holds 4", " (2 ERROR_FILE_NOT_FOUND): left
// empty").
const char* ExplainPropertyOutcome(const SimCall& call);
std::string ExplainPropertyWords(const SimCall& call);

// A string the platform delivered, up to its first NUL, quoted as a
// terminal may show it (control characters as \xNN).
std::string ExplainShownString(const SimBytes& bytes);

}  // namespace ksr

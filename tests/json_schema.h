// A small JSON Schema checker for the tests: the keywords the project's
// schemas use ("type", "enum", "const", "properties", "required",
// "additionalProperties", "items", "minimum", "maximum", "minLength",
// "$ref" into "$defs", "anyOf"), with the meaning JSON Schema gives them. Anything else in a schema is an
// error, so that a schema can't promise a check that is not made.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace ksr {

// The places where document breaks schema, as "/json/pointer: what";
// empty when it conforms.
std::vector<std::string> JsonSchemaCheck(const nlohmann::json& schema, const nlohmann::json& document);

// A schema of the source tree (docs/explain.schema.json), by its path from
// the top; fails the test, and is discarded, when it is not JSON.
nlohmann::json JsonSchemaFile(const std::string& relativePath);

}  // namespace ksr

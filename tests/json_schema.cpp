#include "tests/json_schema.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/test.h"

namespace ksr {

namespace {

using Json = nlohmann::json;

const std::set<std::string> kKeywords = {"$schema", "$id", "$defs", "$ref", "title", "description", "type",
                                         "enum", "const", "properties", "required", "additionalProperties",
                                         "items", "minimum", "maximum", "minLength", "anyOf"};

bool TypeIs(const Json& value, const std::string& type) {
  if (type == "null") return value.is_null();
  if (type == "boolean") return value.is_boolean();
  if (type == "integer") return value.is_number_integer();
  if (type == "number") return value.is_number();
  if (type == "string") return value.is_string();
  if (type == "array") return value.is_array();
  if (type == "object") return value.is_object();
  return false;
}

class Checker {
 public:
  Checker(const Json& root, std::vector<std::string>* faults) : root_(root), faults_(faults) {}

  void Check(const Json& schema, const Json& value, const std::string& at) {
    if (!schema.is_object()) return Fault(at, "schema is not an object");
    for (const auto& item : schema.items()) {
      if (!kKeywords.count(item.key())) return Fault(at, "schema keyword not checked: " + item.key());
    }
    if (schema.contains("$ref")) return Check(Resolve(schema["$ref"], at), value, at);
    if (schema.contains("anyOf")) {
      for (const Json& option : schema["anyOf"]) {
        std::vector<std::string> quiet;
        Checker(root_, &quiet).Check(option, value, at);
        if (quiet.empty()) return;
      }
      return Fault(at, "matches none of anyOf");
    }
    if (schema.contains("type") && !Typed(schema["type"], value)) return Fault(at, "wrong type " + std::string(value.type_name()));
    if (schema.contains("const") && schema["const"] != value) return Fault(at, "not the const " + schema["const"].dump());
    if (schema.contains("enum")) {
      bool found = false;
      for (const Json& option : schema["enum"]) found = found || option == value;
      if (!found) return Fault(at, "not in enum: " + value.dump());
    }
    if (value.is_number()) Bounds(schema, value, at);
    if (value.is_string() && schema.contains("minLength") && value.get<std::string>().size() < schema["minLength"].get<size_t>()) {
      Fault(at, "shorter than minLength");
    }
    if (value.is_object()) Object(schema, value, at);
    if (value.is_array() && schema.contains("items")) {
      for (size_t i = 0; i < value.size(); ++i) Check(schema["items"], value[i], at + "/" + std::to_string(i));
    }
  }

 private:
  const Json& root_;
  std::vector<std::string>* faults_;

  void Fault(const std::string& at, const std::string& what) { faults_->push_back((at.empty() ? "/" : at) + ": " + what); }

  const Json& Resolve(const Json& ref, const std::string& at) {
    static const Json kNothing = Json::object();
    std::string text = ref.get<std::string>();
    const std::string prefix = "#/$defs/";
    if (text.compare(0, prefix.size(), prefix) != 0 || !root_["$defs"].contains(text.substr(prefix.size()))) {
      Fault(at, "unresolved $ref " + text);
      return kNothing;
    }
    return root_["$defs"][text.substr(prefix.size())];
  }

  static bool Typed(const Json& type, const Json& value) {
    if (type.is_string()) return TypeIs(value, type.get<std::string>());
    for (const Json& one : type) {
      if (TypeIs(value, one.get<std::string>())) return true;
    }
    return false;
  }

  void Bounds(const Json& schema, const Json& value, const std::string& at) {
    double number = value.get<double>();
    if (schema.contains("minimum") && number < schema["minimum"].get<double>()) Fault(at, "below minimum");
    if (schema.contains("maximum") && number > schema["maximum"].get<double>()) Fault(at, "above maximum");
  }

  void Object(const Json& schema, const Json& value, const std::string& at) {
    if (schema.contains("required")) {
      for (const Json& key : schema["required"]) {
        if (!value.contains(key.get<std::string>())) Fault(at, "missing " + key.get<std::string>());
      }
    }
    const Json properties = schema.value("properties", Json::object());
    for (const auto& item : value.items()) {
      std::string path = at + "/" + item.key();
      if (properties.contains(item.key())) {
        Check(properties[item.key()], item.value(), path);
      } else if (schema.contains("additionalProperties") && schema["additionalProperties"] == false) {
        Fault(path, "not in the schema");
      }
    }
  }
};

}  // namespace

std::vector<std::string> JsonSchemaCheck(const nlohmann::json& schema, const nlohmann::json& document) {
  std::vector<std::string> faults;
  Checker(schema, &faults).Check(schema, document, "");
  return faults;
}

nlohmann::json JsonSchemaFile(const std::string& relativePath) {
  Json schema = Json::parse(SourceText(relativePath), nullptr, false);
  EXPECT_FALSE(schema.is_discarded()) << relativePath << " is not JSON";
  return schema;
}

}  // namespace ksr

// The machine-file loader's own parts, shared by the file that reads a
// machine's structure and the file that reads its values. Not for use
// outside platform/sim/.
#pragma once

#include <optional>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/sim.h"

namespace ksr {

using SimJson = nlohmann::json;

// Reads one machine file; the first error is kept, naming its key.
struct SimLoader {
  std::string error;

  bool Fail(const std::string& path, const std::string& what);
  // An object whose keys are all in allowed.
  bool Keys(const SimJson& j, const std::string& path, const std::set<std::string>& allowed);

  // Values (sim_machine_values.cpp).
  bool Number(const SimJson& j, const std::string& path, uint32_t* out);
  bool Error(const SimJson& j, const std::string& path, DWORD* out);
  // j[key], when j has it, read as a number into out.
  template <typename T>
  bool OptionalNumber(const SimJson& j, const char* key, const std::string& path,
                      std::optional<T>* out) {
    if (!j.contains(key)) return true;
    uint32_t v = 0;
    if (!Number(j[key], path + "." + key, &v)) return false;
    *out = v;
    return true;
  }
  bool Bool(const SimJson& j, const std::string& path, bool* out);
  bool Hex(const SimJson& j, const std::string& path, SimBytes* out);
  bool HexObject(const SimJson& j, const std::string& path, SimBytes* out);  // {"hex": ...} alone
  bool String(const SimJson& j, const std::string& path, SimBytes* out);
  bool Multi(const SimJson& j, const std::string& path, SimBytes* out);
  bool NumberBytes(const SimJson& j, const std::string& path, SimBytes* out);
  bool Guid(const SimJson& j, const std::string& path, GUID* out);
  bool Lies(const SimJson& j, const std::string& path, SimAnswer* answer);  // sizeQuery, reported
  bool PendingEnd(const SimJson& j, const std::string& path, SimPendingEnd* out);
  bool DataQuery(const SimJson& j, const std::string& path, SimDataQuery* out);
  bool AnswerObject(const SimJson& j, const std::string& path, SimAnswer* out);
  bool Answer(const SimJson& j, const std::string& path, SimAnswer* out);
  bool IdentifierItem(const SimJson& j, const std::string& path, SimBytes* out);
  bool List(const SimJson& j, const std::string& path, bool ranges, SimAnswer* out);

  // Data-range items (sim_machine_ranges.cpp).
  bool RangeItem(const SimJson& j, const std::string& path, SimBytes* out);
  bool RangeFields(const SimJson& j, const std::string& path, SimDataRange* range);
  bool AttributeItem(const SimJson& j, const std::string& path, SimBytes* out);
  bool Align(const SimJson& j, const std::string& path, uint32_t* align);

  // Structure (sim_machine_json.cpp).
  bool Pin(const SimJson& j, const std::string& path, SimPin* out);
  bool Interface(const SimJson& j, const std::string& path, SimInterface* out);
  bool Device(const SimJson& j, const std::string& path, SimDevice* out);
  bool FailCalls(const SimJson& j, SimMachine* out);
  bool Capture(const SimJson& j, SimMachine* out);
  bool Machine(const SimJson& j, SimMachine* out);
};

}  // namespace ksr

// Reads the values of a machine file: numbers, bytes, strings, GUIDs,
// property answers and lists. Every value of the wrong form is an error
// naming its key.
#include "platform/sim/sim_machine_loader.h"

namespace ksr {

bool SimLoader::Fail(const std::string& path, const std::string& what) {
  if (error.empty()) error = path + ": " + what;
  return false;
}

bool SimLoader::Keys(const SimJson& j, const std::string& path, const std::set<std::string>& allowed) {
  if (!j.is_object()) return Fail(path, "expected an object");
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (allowed.count(it.key()) == 0) return Fail(path + "." + it.key(), "unknown key");
  }
  return true;
}

bool SimLoader::Number(const SimJson& j, const std::string& path, uint32_t* out) {
  if (j.is_number_unsigned()) {
    uint64_t v = j.get<uint64_t>();
    if (v > 0xFFFFFFFFu) return Fail(path, "number above 2^32-1");
    *out = static_cast<uint32_t>(v);
    return true;
  }
  if (j.is_number_integer()) return Fail(path, "negative number");
  if (j.is_string()) {
    const std::string s = j.get<std::string>();
    if (s.size() > 2 && s.size() <= 10 && (s.compare(0, 2, "0x") == 0 || s.compare(0, 2, "0X") == 0) &&
        s.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos) {
      *out = static_cast<uint32_t>(std::stoul(s.substr(2), nullptr, 16));
      return true;
    }
  }
  return Fail(path, "expected a number in 0..2^32-1 or a \"0x...\" string");
}

// An error code: a number, kept in the platform's own width.
bool SimLoader::Error(const SimJson& j, const std::string& path, DWORD* out) {
  uint32_t v = 0;
  if (!Number(j, path, &v)) return false;
  *out = v;
  return true;
}

bool SimLoader::Bool(const SimJson& j, const std::string& path, bool* out) {
  if (!j.is_boolean()) return Fail(path, "expected true or false");
  *out = j.get<bool>();
  return true;
}

bool SimLoader::Hex(const SimJson& j, const std::string& path, SimBytes* out) {
  if (!j.is_string()) return Fail(path, "expected a string of hex digits");
  const std::string s = j.get<std::string>();
  if (s.size() % 2 != 0 || s.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    return Fail(path, "expected an even number of hex digits");
  }
  out->clear();
  for (size_t i = 0; i < s.size(); i += 2) {
    out->push_back(static_cast<uint8_t>(std::stoul(s.substr(i, 2), nullptr, 16)));
  }
  return true;
}

// {"hex": "..."}, or {"unread": N}: a value of N bytes that a capture saw
// refused for size, played as N zero bytes.
bool SimLoader::HexObject(const SimJson& j, const std::string& path, SimBytes* out) {
  if (!Keys(j, path, {"hex", "unread"})) return false;
  if (j.contains("unread") && !j.contains("hex")) {
    uint32_t n = 0;
    if (!Number(j["unread"], path + ".unread", &n)) return false;
    if (n > kSimUnreadValueLimit) return Fail(path + ".unread", "more than 16 MiB");
    out->assign(n, 0);
    return true;
  }
  if (!j.contains("hex") || j.contains("unread")) return Fail(path + ".hex", "expected hex or unread, one of them");
  return Hex(j["hex"], path + ".hex", out);
}

bool SimLoader::String(const SimJson& j, const std::string& path, SimBytes* out) {
  if (j.is_string()) {
    *out = SimString(j.get<std::string>());
    return true;
  }
  if (j.is_object()) return HexObject(j, path, out);
  return Fail(path, "expected a string or {\"hex\": ...}");
}

bool SimLoader::Multi(const SimJson& j, const std::string& path, SimBytes* out) {
  if (j.is_object()) return HexObject(j, path, out);
  if (!j.is_array()) return Fail(path, "expected an array of strings or {\"hex\": ...}");
  std::vector<std::string> strings;
  for (size_t i = 0; i < j.size(); ++i) {
    if (!j[i].is_string()) return Fail(path + "[" + std::to_string(i) + "]", "expected a string");
    strings.push_back(j[i].get<std::string>());
  }
  *out = SimMulti(strings);
  return true;
}

bool SimLoader::NumberBytes(const SimJson& j, const std::string& path, SimBytes* out) {
  if (j.is_object()) return HexObject(j, path, out);
  uint32_t v = 0;
  if (!Number(j, path, &v)) return false;
  *out = SimU32Bytes(v);
  return true;
}

// The size lies an answer may tell: sizeQuery and reported.
bool SimLoader::Lies(const SimJson& j, const std::string& path, SimAnswer* answer) {
  return OptionalNumber(j, "sizeQuery", path, &answer->sizeQuery) &&
         OptionalNumber(j, "reported", path, &answer->reported);
}

bool SimLoader::PendingEnd(const SimJson& j, const std::string& path, SimPendingEnd* out) {
  if (!Keys(j, path, {"status", "count", "ignoresCancel"})) return false;
  if (j.contains("status") && !Number(j["status"], path + ".status", &out->status)) return false;
  if (j.contains("ignoresCancel") && !Bool(j["ignoresCancel"], path + ".ignoresCancel", &out->ignoresCancel)) {
    return false;
  }
  return !j.contains("count") || Number(j["count"], path + ".count", &out->count);
}

// "pending", null, {"error": E} or {"pending": {...}}.
bool SimLoader::DataQuery(const SimJson& j, const std::string& path, SimDataQuery* out) {
  if (j.is_null()) return true;
  if (j.is_string() && j.get<std::string>() == "pending") {
    out->pending = true;
    return true;
  }
  if (!Keys(j, path, {"error", "pending"}) || j.size() != 1) {
    return Fail(path, "expected null, \"pending\", {\"error\": E} or {\"pending\": {...}}");
  }
  if (j.contains("error")) return Error(j["error"], path + ".error", &out->error);
  out->pending = true;
  out->ended = SimPendingEnd();
  return PendingEnd(j["pending"], path + ".pending", &*out->ended);
}

// The object forms an answer shares with a list, told by their one key:
// {"hex": ...} and {"unread": N} with their sizeQuery, reported and
// dataQuery; {"error": E} alone; {"pending": {...}} alone.
bool SimLoader::AnswerObject(const SimJson& j, const std::string& path, SimAnswer* out) {
  const char* forms[] = {"hex", "unread", "error", "pending"};
  int found = 0;
  for (const char* form : forms) found += j.contains(form) ? 1 : 0;
  if (found != 1) return Fail(path, "expected one of hex, unread, error or pending");
  if (j.contains("error") || j.contains("pending")) {
    if (j.size() != 1) return Fail(path, "error and pending stand alone");
    if (j.contains("error")) {
      *out = SimAbsent();
      return Error(j["error"], path + ".error", &out->error);
    }
    *out = SimPending();
    out->ended = SimPendingEnd();
    return PendingEnd(j["pending"], path + ".pending", &*out->ended);
  }
  *out = SimAnswerBytes({});
  if (j.contains("unread")) {
    uint32_t n = 0;
    if (!Number(j["unread"], path + ".unread", &n)) return false;
    out->unread = n;
  } else if (!Hex(j["hex"], path + ".hex", &out->bytes)) {
    return false;
  }
  if (j.contains("dataQuery")) {
    out->dataQuery = SimDataQuery();
    if (!DataQuery(j["dataQuery"], path + ".dataQuery", &*out->dataQuery)) return false;
  }
  return Lies(j, path, out);
}

bool SimLoader::Answer(const SimJson& j, const std::string& path, SimAnswer* out) {
  if (j.is_null()) {
    *out = SimAbsent();
    return true;
  }
  if (j.is_string() && j.get<std::string>() == "pending") {
    *out = SimPending();
    return true;
  }
  if (j.is_array()) {
    std::vector<uint32_t> values(j.size());
    for (size_t i = 0; i < j.size(); ++i) {
      if (!Number(j[i], path + "[" + std::to_string(i) + "]", &values[i])) return false;
    }
    *out = SimU32s(values);
    return true;
  }
  if (j.is_object()) {
    if (!Keys(j, path, {"hex", "unread", "error", "pending", "sizeQuery", "reported", "dataQuery"})) {
      return false;
    }
    return AnswerObject(j, path, out);
  }
  uint32_t v = 0;
  if (!Number(j, path, &v)) return Fail(path, "expected null, \"pending\", a number, an array or {\"hex\": ...}");
  *out = SimU32(v);
  return true;
}

bool SimLoader::IdentifierItem(const SimJson& j, const std::string& path, SimBytes* out) {
  if (j.is_object()) return HexObject(j, path, out);
  if (!j.is_array() || j.size() != 3) return Fail(path, "expected [SET, ID, FLAGS]");
  GUID set;
  uint32_t id = 0;
  uint32_t flags = 0;
  if (!Guid(j[0], path + "[0]", &set) || !Number(j[1], path + "[1]", &id) ||
      !Number(j[2], path + "[2]", &flags)) {
    return false;
  }
  *out = SimIdentifier(set, id, flags);
  return true;
}

bool SimLoader::List(const SimJson& j, const std::string& path, bool ranges, SimAnswer* out) {
  if (j.is_null() || j.is_string()) {
    if (j.is_string() && j.get<std::string>() != "pending") return Fail(path, "expected \"pending\"");
    *out = j.is_null() ? SimAbsent() : SimPending();
    return true;
  }
  const SimJson* items = &j;
  std::optional<uint32_t> count;
  std::optional<uint32_t> size;
  std::optional<SimDataQuery> dataQuery;
  uint32_t align = 1;
  if (j.is_object()) {
    if (!Keys(j, path, {"items", "count", "size", "sizeQuery", "reported", "hex", "unread", "error",
                        "pending", "dataQuery", "align"})) {
      return false;
    }
    if (j.contains("hex") || j.contains("unread") || j.contains("error") || j.contains("pending")) {
      if (j.contains("items") || j.contains("count") || j.contains("size") || j.contains("align")) {
        return Fail(path, "hex, unread, error and pending stand for the whole answer; no items, count, size or align beside them");
      }
      return AnswerObject(j, path, out);
    }
    if (j.contains("dataQuery")) {
      dataQuery = SimDataQuery();
      if (!DataQuery(j["dataQuery"], path + ".dataQuery", &*dataQuery)) return false;
    }
    if (!OptionalNumber(j, "count", path, &count) || !OptionalNumber(j, "size", path, &size) ||
        !Align(j, path, &align)) {
      return false;
    }
    static const SimJson kNoItems = SimJson::array();
    items = j.contains("items") ? &j["items"] : &kNoItems;
  }
  if (!items->is_array()) return Fail(path, "expected an array of items");
  std::vector<SimBytes> bytes(items->size());
  for (size_t i = 0; i < items->size(); ++i) {
    std::string p = path + (j.is_object() ? ".items" : "") + "[" + std::to_string(i) + "]";
    bool ok = ranges ? RangeItem((*items)[i], p, &bytes[i]) : IdentifierItem((*items)[i], p, &bytes[i]);
    if (!ok) return false;
  }
  *out = SimList(bytes, count, size, align);
  out->dataQuery = dataQuery;
  return j.is_object() ? Lies(j, path, out) : true;
}

bool SimLoader::Guid(const SimJson& j, const std::string& path, GUID* out) {
  if (!j.is_string()) return Fail(path, "expected a GUID name or literal");
  const std::string s = j.get<std::string>();
  if (!SimParseGuid(s, out)) return Fail(path, "not a GUID: " + s);
  return true;
}

}  // namespace ksr

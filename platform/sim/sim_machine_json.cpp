// Reads machine files. Every key is checked; an unknown key or a value of
// the wrong form is an error naming the key, so that typos do not pass.
#include <fstream>
#include <sstream>

#include "encoding/encoding.h"
#include "platform/machine_keys.h"
#include "platform/sim/sim_machine_loader.h"

namespace ksr {

namespace {

// j[key], when j has it: one of two words, the first the default; second
// is set when it is the other.
bool Choice(SimLoader* loader, const SimJson& j, const char* key, const std::string& path, const char* first,
            const char* second, bool* out) {
  if (!j.contains(key)) return true;
  const SimJson& v = j[key];
  if (!v.is_string() || (v != first && v != second)) {
    return loader->Fail(path + "." + key, std::string("expected \"") + first + "\" or \"" + second + "\"");
  }
  *out = v == second;
  return true;
}

// The error of a missing alias, which a capture may have recorded; it
// excludes the alias itself.
bool AliasError(SimLoader* loader, const SimJson& j, const char* key, const char* alias, const std::string& path,
                DWORD* out) {
  if (!j.contains(key)) return true;
  if (j.contains(alias)) return loader->Fail(path + "." + key, std::string(alias) + " and " + key + " exclude each other");
  uint32_t error = 0;
  if (!loader->Number(j[key], path + "." + key, &error)) return false;
  *out = error;
  return true;
}

}  // namespace

bool SimLoader::Pin(const SimJson& j, const std::string& path, SimPin* out) {
  static const std::set<std::string> kKeys = [] {
    std::set<std::string> keys;
    for (const MachineKey& k : kMachinePinKeys) keys.insert(k.Key);
    return keys;
  }();
  if (!Keys(j, path, kKeys)) return false;
  *out = SimDefaultPin();
  // The single answers are read before the lists: of two bad values, the
  // one named is the first in that order.
  for (bool lists : {false, true}) {
    for (const MachineKey& k : kMachinePinKeys) {
      if ((k.Form != kMachineFixed) != lists || !j.contains(k.Key)) continue;
      SimAnswer* answer = &(out->*SimPinPropertyField(k.Property));
      const std::string at = path + "." + k.Key;
      bool ok = lists ? List(j[k.Key], at, k.Form == kMachineRangeList, answer) : Answer(j[k.Key], at, answer);
      if (!ok) return false;
    }
  }
  return true;
}

bool SimLoader::Interface(const SimJson& j, const std::string& path, SimInterface* out) {
  if (!Keys(j, path, {"flags", "path", "pathHex", "pathUnread", "renderAlias", "captureAlias",
                      "opens", "registryKey", "friendlyName", "friendlyNameError", "pinTypes",
                      "pins", "renderAliasError", "captureAliasError", "friendlyNameOverflow",
                      "shortBuffers"})) {
    return false;
  }
  if (j.contains("flags") && !Number(j["flags"], path + ".flags", &out->flags)) return false;
  int paths = (j.contains("path") ? 1 : 0) + (j.contains("pathHex") ? 1 : 0) + (j.contains("pathUnread") ? 1 : 0);
  if (paths > 1) return Fail(path + ".path", "path, pathHex and pathUnread exclude each other");
  if (j.contains("path")) {
    if (!j["path"].is_string()) return Fail(path + ".path", "expected a string");
    out->path = j["path"].get<std::string>();
  }
  if (j.contains("pathHex")) {
    SimBytes bytes;
    if (!Hex(j["pathHex"], path + ".pathHex", &bytes)) return false;
    out->path = std::string(bytes.begin(), bytes.end());
  }
  if (!OptionalNumber(j, "pathUnread", path, &out->pathUnread) ||
      !OptionalNumber(j, "friendlyNameError", path, &out->friendlyNameError) ||
      !OptionalNumber(j, "renderAlias", path, &out->renderAlias) ||
      !OptionalNumber(j, "captureAlias", path, &out->captureAlias)) {
    return false;
  }
  if (!AliasError(this, j, "renderAliasError", "renderAlias", path, &out->renderAliasError) ||
      !AliasError(this, j, "captureAliasError", "captureAlias", path, &out->captureAliasError) ||
      !Choice(this, j, "friendlyNameOverflow", path, "untouched", "fill", &out->friendlyNameFill) ||
      !Choice(this, j, "shortBuffers", path, "refused", "ks", &out->ksShortBuffers)) {
    return false;
  }
  if (j.contains("opens") && !Bool(j["opens"], path + ".opens", &out->opens)) return false;
  if (j.contains("registryKey") && !Bool(j["registryKey"], path + ".registryKey", &out->registryKey)) {
    return false;
  }
  if (j.contains("friendlyName")) {
    SimBytes name;
    if (!String(j["friendlyName"], path + ".friendlyName", &name)) return false;
    out->friendlyName = name;
  }
  if (j.contains("pinTypes")) {
    SimAnswer answer;
    if (!Answer(j["pinTypes"], path + ".pinTypes", &answer)) return false;
    out->pinTypes = answer;
  }
  if (j.contains("pins")) {
    const SimJson& pins = j["pins"];
    if (!pins.is_array()) return Fail(path + ".pins", "expected an array");
    out->pins.resize(pins.size());
    for (size_t i = 0; i < pins.size(); ++i) {
      if (!Pin(pins[i], path + ".pins[" + std::to_string(i) + "]", &out->pins[i])) return false;
    }
  }
  return true;
}

bool SimLoader::Device(const SimJson& j, const std::string& path, SimDevice* out) {
  static const std::set<std::string> kKeys = [] {
    std::set<std::string> keys = {"devInst", "interfaces"};
    for (const MachineKey& k : kMachineDeviceKeys) keys.insert(k.Key);
    return keys;
  }();
  if (!Keys(j, path, kKeys)) return false;
  if (j.contains("devInst") && !Number(j["devInst"], path + ".devInst", &out->devInst)) return false;
  for (const MachineKey& k : kMachineDeviceKeys) {
    if (!j.contains(k.Key)) continue;
    SimBytes bytes;
    const std::string at = path + "." + k.Key;
    bool ok = k.Form == kMachineText       ? String(j[k.Key], at, &bytes)
              : k.Form == kMachineTextList ? Multi(j[k.Key], at, &bytes)
                                           : NumberBytes(j[k.Key], at, &bytes);
    if (!ok) return false;
    out->*SimDevicePropertyField(k.Property) = bytes;
  }
  if (j.contains("interfaces")) {
    const SimJson& list = j["interfaces"];
    if (!list.is_array()) return Fail(path + ".interfaces", "expected an array");
    out->interfaces.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
      if (!Interface(list[i], path + ".interfaces[" + std::to_string(i) + "]", &out->interfaces[i])) {
        return false;
      }
    }
  }
  return true;
}

// failCalls: [{"call": OPERATION, "nth": N, "error": CODE}, ...]
bool SimLoader::FailCalls(const SimJson& j, SimMachine* out) {
  if (!j.is_array()) return Fail("failCalls", "expected an array");
  for (size_t i = 0; i < j.size(); ++i) {
    const std::string path = "failCalls[" + std::to_string(i) + "]";
    const SimJson& item = j[i];
    if (!Keys(item, path, {"call", "nth", "error"})) return false;
    SimFailure failure;
    if (!item.contains("call") || !item["call"].is_string()) {
      return Fail(path + ".call", "expected the name of a platform operation");
    }
    failure.op = item["call"].get<std::string>();
    if (!SimCanFail(failure.op)) return Fail(path + ".call", "not an operation that can fail: " + failure.op);
    if (item.contains("nth") && !Number(item["nth"], path + ".nth", &failure.nth)) return false;
    if (failure.nth == 0) return Fail(path + ".nth", "calls are counted from 1");
    if (item.contains("error") && !Error(item["error"], path + ".error", &failure.error)) return false;
    out->failCalls.push_back(failure);
  }
  return true;
}

// capture: {"program": ..., "version": ..., "arch": ..., "truncated": [...]}
bool SimLoader::Capture(const SimJson& j, SimMachine* out) {
  if (!Keys(j, "capture", {"program", "version", "arch", "truncated"})) return false;
  SimCaptureInfo info;
  const struct { const char* key; std::string* text; } texts[] = {
      {"program", &info.program}, {"version", &info.version}, {"arch", &info.arch}};
  for (const auto& t : texts) {
    if (!j.contains(t.key)) continue;
    if (!j[t.key].is_string()) return Fail(std::string("capture.") + t.key, "expected a string");
    *t.text = j[t.key].get<std::string>();
  }
  if (j.contains("truncated")) {
    const SimJson& list = j["truncated"];
    if (!list.is_array()) return Fail("capture.truncated", "expected an array of strings");
    for (size_t i = 0; i < list.size(); ++i) {
      if (!list[i].is_string()) return Fail("capture.truncated[" + std::to_string(i) + "]", "expected a string");
      info.truncated.push_back(list[i].get<std::string>());
    }
  }
  out->capture = info;
  return true;
}

bool SimLoader::Machine(const SimJson& j, SimMachine* out) {
  if (!Keys(j, "machine", {"capture", "deviceSet", "moduleFileName", "moduleFileNameW",
                           "reportCreateFailures", "failCalls", "devices"})) {
    return false;
  }
  if (j.contains("capture") && !Capture(j["capture"], out)) return false;
  if (j.contains("failCalls") && !FailCalls(j["failCalls"], out)) return false;
  if (j.contains("deviceSet") && !Bool(j["deviceSet"], "deviceSet", &out->deviceSet)) return false;
  if (j.contains("moduleFileName")) {
    if (!j["moduleFileName"].is_string()) return Fail("moduleFileName", "expected a string");
    out->moduleFileName = j["moduleFileName"].get<std::string>();
  }
  if (j.contains("moduleFileNameW")) {
    if (!j["moduleFileNameW"].is_string()) return Fail("moduleFileNameW", "expected a string");
    out->moduleFileNameW = j["moduleFileNameW"].get<std::string>();
  }
  if (j.contains("reportCreateFailures") &&
      !Number(j["reportCreateFailures"], "reportCreateFailures", &out->reportCreateFailures)) {
    return false;
  }
  if (j.contains("devices")) {
    const SimJson& list = j["devices"];
    if (!list.is_array()) return Fail("devices", "expected an array");
    out->devices.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
      if (!Device(list[i], "devices[" + std::to_string(i) + "]", &out->devices[i])) return false;
    }
  }
  return true;
}

bool SimLoadMachineText(const std::string& text, SimMachine* machine, std::string* error) {
  SimJson j = SimJson::parse(EncodingUtf8OfUnicode(text), nullptr, false);
  if (j.is_discarded()) {
    *error = "machine: not valid JSON";
    return false;
  }
  SimLoader loader;
  SimMachine loaded;
  if (!loader.Machine(j, &loaded)) {
    *error = loader.error;
    return false;
  }
  *machine = loaded;
  return true;
}

bool SimLoadMachineFile(const std::string& path, SimMachine* machine, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return SimLoadMachineText(text.str(), machine, error);
}

}  // namespace ksr

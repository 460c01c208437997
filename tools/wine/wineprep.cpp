// Test infrastructure: turns a machine file into what a Wine prefix needs to
// play it through the real Windows program: device and interface
// registrations, render and capture aliases, the fake driver's service and
// its answer table, as one .reg file. A machine that uses what Wine cannot
// reproduce is reported as not playable (exit 3), never bent to fit.
//
//   ksreport-wineprep MACHINE.json OUT.reg
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace ksr {
namespace {

const char kAudio[] = "{6994ad04-93ef-11d0-a3cc-00a0c9223196}";
const char kRender[] = "{65e8773e-8f56-11d0-a3b9-00a0c9223196}";
const char kCapture[] = "{65e8773d-8f56-11d0-a3b9-00a0c9223196}";
const char kMediaClass[] = "{4d36e96c-e325-11ce-bfc1-08002be10318}";
const char kClasses[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\DeviceClasses\\";

// What Wine cannot reproduce, in one place. Each entry names the key of the
// machine file and why.
struct Limit {
  const char* key;
  const char* why;
};
const Limit kWineCannotPlay[] = {
    {"deviceSet", "Wine always makes the device set"},
    {"moduleFileName", "the program file is the real one"},
    {"moduleFileNameW", "the program file is the real one"},
    {"reportCreateFailures", "the report file is created by the real file system"},
    {"failCalls", "the real platform's calls fail only when they do"},
    {"devInst", "Wine numbers devices 0, 1, 2, ... in the order it lists them"},
    {"busNumber", "Wine never answers SPDRP_BUSNUMBER"},
    {"description/manufacturer/service/hardwareIds", "only printable text with its NUL (and 259 characters at most) is stored as Wine stores it"},
    {"flags", "Wine reports SPINT_ACTIVE for a linked interface and lists no other"},
    {"path", "Wine builds the path itself; it keeps lengths of 58 to 261 characters"},
    {"renderAlias/captureAlias", "an alias is linked (1) or not (0)"},
    {"friendlyName", "only printable text with its NUL that fits 264 bytes"},
    {"sizeQuery/unread", "an answer above 64 MiB: the simulated heap refuses it, and Wine's server can't carry it"},
    {"error", "the fake driver fails an absent property with STATUS_NOT_FOUND only"},
    {"dataQuery", "the fake driver answers a data query by the delivery rule only"},
    {"friendlyNameError", "Wine's registry delivers a value or fails, not both"},
    {"renderAliasError/captureAliasError", "the alias supplement fails a missing alias with ERROR_NO_SUCH_INTERFACE_DEVICE only"},
    {"shortBuffers", "the fake driver refuses a short list by the delivery rule only"},
};

struct Prep {
  std::vector<std::string> unplayable;
  std::ostringstream reg;
  std::string table;
  uint32_t interfaces = 0;

  void Refuse(const std::string& where, const char* key) {
    for (const Limit& l : kWineCannotPlay) {
      if (std::string(l.key).find(key) != std::string::npos) {
        unplayable.push_back(where + ": " + l.why);
        return;
      }
    }
    unplayable.push_back(where);
  }

  // Printable text and its one NUL, at most `limit` bytes in all.
  static bool Text(const SimBytes& bytes, size_t limit, std::string* text) {
    if (bytes.empty() || bytes.back() != 0 || bytes.size() > limit) return false;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
      if (bytes[i] < 0x20 || bytes[i] > 0x7E) return false;
    }
    text->assign(bytes.begin(), bytes.end() - 1);
    return true;
  }

  static std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
      if (c == '\\' || c == '"') out += '\\';
      out += c;
    }
    return out + "\"";
  }

  static std::string Hex(const SimBytes& bytes) {
    std::string out;
    char byte[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
      std::snprintf(byte, sizeof byte, "%02x", bytes[i]);
      if (i != 0) out += ',';
      out += byte;
    }
    return out;
  }

  void U32(uint32_t v) {
    uint8_t bytes[4];
    WireStoreU32(bytes, v);
    table.append(reinterpret_cast<const char*>(bytes), 4);
  }
  void Counted(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    table += s;
  }

  void Answer(uint32_t pin, uint32_t property, const SimAnswer& a) {
    const std::string where = "pin " + std::to_string(pin) + " property " + std::to_string(property);
    if (a.kind == SimAnswer::kAbsent) {
      if (a.error != ERROR_NOT_FOUND) Refuse(where + ".error", "error");
      return;
    }
    if (a.sizeQuery.value_or(0) > kSimHeapLimit) Refuse(where + ".sizeQuery", "sizeQuery");
    if (a.unread.value_or(0) > kSimHeapLimit) Refuse(where + ".unread", "unread");
    if (a.dataQuery) Refuse(where + ".dataQuery", "dataQuery");
    U32(pin);
    U32(property);
    // Pending: 2, cancelled by the driver; 3, held without a cancel routine.
    bool held = a.kind == SimAnswer::kPending && a.ended && a.ended->ignoresCancel;
    U32(a.kind == SimAnswer::kPending ? (held ? 3 : 2) : 1);
    U32((a.sizeQuery ? 1u : 0u) | (a.reported ? 2u : 0u));
    U32(a.sizeQuery.value_or(0));
    U32(a.reported.value_or(0));
    // Bytes a capture never saw are zeros, as the simulated driver gives them.
    Counted(a.unread && *a.unread <= kSimHeapLimit ? std::string(*a.unread, '\0')
                                                   : std::string(a.bytes.begin(), a.bytes.end()));
  }

  void DeviceString(const std::string& where, const std::string& name,
                    const std::optional<SimBytes>& value, const char* key) {
    if (!value) return;
    std::string text;
    // A value the 260-byte buffer can't hold is refused by Wine as by the
    // simulated machine, so only what fits needs to be text.
    if (value->size() > 260) {
      reg << Quote(name) << "=" << Quote(std::string(value->size() - 1, 'x')) << "\n";
      return;
    }
    if (!Text(*value, 260, &text)) return Refuse(where, key);
    reg << Quote(name) << "=" << Quote(text) << "\n";
  }

  void HardwareIds(const std::string& where, const std::optional<SimBytes>& ids) {
    if (!ids) return;
    // A list of printable strings, each with its NUL, then one more NUL.
    const SimBytes& b = *ids;
    bool ok = b.size() >= 2 && b.size() <= 260 && b[b.size() - 1] == 0 && b[b.size() - 2] == 0 && b[0] != 0;
    for (size_t i = 0; ok && i + 2 < b.size(); ++i) {
      ok = b[i] == 0 ? b[i + 1] != 0 : (b[i] >= 0x20 && b[i] <= 0x7E);
    }
    if (!ok) return Refuse(where + ".hardwareIds", "hardwareIds");
    // Wine's reg import stores hex(7) bytes as the 8-bit list they spell.
    reg << "\"HardwareID\"=hex(7):" << Hex(b) << "\n";
  }

  static std::string Instance(size_t device) {
    char id[32];
    std::snprintf(id, sizeof id, "KSR\\D\\%04u", static_cast<unsigned>(device));
    return id;
  }
  static std::string Hashed(std::string s) {
    for (char& c : s) c = c == '\\' ? '#' : static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return s;
  }

  void Registration(const std::string& instance, const char* cls, const std::string& ref, bool linked,
                    const std::optional<std::string>& friendlyName, bool parameters) {
    std::string key = std::string(kClasses) + cls + "\\##?#" + Hashed(instance) + "#" + cls;
    reg << "\n[" << key << "]\n\"DeviceInstance\"=" << Quote(instance) << "\n";
    reg << "\n[" << key << "\\#" << ref << "]\n\"SymbolicLink\"="
        << Quote("\\\\?\\" + Hashed(instance) + "#" + cls + "\\" + ref) << "\n";
    if (linked) reg << "\n[" << key << "\\#" << ref << "\\Control]\n\"Linked\"=dword:00000001\n";
    if (parameters) {
      reg << "\n[" << key << "\\#" << ref << "\\Device Parameters]\n";
      if (friendlyName) reg << "\"FriendlyName\"=" << Quote(*friendlyName) << "\n";
    }
  }

  void Interface(const std::string& where, const std::string& instance, size_t index, const SimInterface& i) {
    if (i.flags != SPINT_ACTIVE) Refuse(where + ".flags", "flags");
    // The path Wine builds: \\?\<instance>#{class}\<reference>; the reference
    // is padded so that the path keeps its length.
    std::string head = "\\\\?\\" + Hashed(instance) + "#" + kAudio + "\\";
    char tag[16];
    std::snprintf(tag, sizeof tag, "i%03u", static_cast<unsigned>(index));
    std::string ref = tag;
    // Only the length of the path matters, also of one a capture saw
    // refused for size.
    size_t length = i.path ? i.path->size() : i.pathUnread.value_or(1) - 1;
    if ((!i.path && !i.pathUnread) || length > 261 || length < head.size() + ref.size()) {
      Refuse(where + ".path", "path");
    } else {
      ref += std::string(length - head.size() - ref.size(), 'x');
    }
    if (i.friendlyNameError) Refuse(where + ".friendlyNameError", "friendlyNameError");
    if (i.renderAliasError != ERROR_NO_SUCH_INTERFACE_DEVICE) Refuse(where + ".renderAliasError", "renderAliasError");
    if (i.captureAliasError != ERROR_NO_SUCH_INTERFACE_DEVICE) Refuse(where + ".captureAliasError", "captureAliasError");
    if (i.ksShortBuffers) Refuse(where + ".shortBuffers", "shortBuffers");
    std::optional<std::string> name;
    if (i.friendlyName) {
      std::string text;
      if (!Text(*i.friendlyName, 264, &text)) Refuse(where + ".friendlyName", "friendlyName");
      name = text;
    }
    Registration(instance, kAudio, ref, true, name, i.registryKey);
    const struct { const std::optional<uint32_t>* alias; const char* cls; const char* key; } aliases[] = {
        {&i.renderAlias, kRender, "renderAlias"}, {&i.captureAlias, kCapture, "captureAlias"}};
    for (const auto& a : aliases) {
      if (!a.alias->has_value()) continue;
      if (**a.alias > 1) Refuse(where + "." + a.key, a.key);
      Registration(instance, a.cls, ref, **a.alias == 1, std::nullopt, false);
    }
    // The driver's part: where the filter is published, and its answers.
    U32(i.opens ? 1 : 0);
    Counted("\\??\\" + Hashed(instance) + "#" + kAudio);
    Counted(ref);
    size_t countAt = table.size();
    U32(0);
    uint32_t answers = 0;
    auto answer = [&](uint32_t pin, uint32_t property, const SimAnswer& a) {
      if (a.kind == SimAnswer::kAbsent) return;
      Answer(pin, property, a);
      ++answers;
    };
    answer(0xFFFFFFFFu, KSPROPERTY_PIN_CTYPES,
           i.pinTypes ? *i.pinTypes : SimU32(static_cast<uint32_t>(i.pins.size())));
    for (size_t p = 0; p < i.pins.size(); ++p) {
      const SimPin& pin = i.pins[p];
      uint32_t id = static_cast<uint32_t>(p);
      answer(id, KSPROPERTY_PIN_CINSTANCES, pin.instances);
      answer(id, KSPROPERTY_PIN_DATAFLOW, pin.dataflow);
      answer(id, KSPROPERTY_PIN_DATARANGES, pin.dataRanges);
      answer(id, KSPROPERTY_PIN_INTERFACES, pin.interfaces);
      answer(id, KSPROPERTY_PIN_MEDIUMS, pin.mediums);
      answer(id, KSPROPERTY_PIN_COMMUNICATION, pin.communication);
      answer(id, KSPROPERTY_PIN_GLOBALCINSTANCES, pin.globalInstances);
    }
    for (int k = 0; k < 4; ++k) table[countAt + k] = static_cast<char>(answers >> (8 * k));
    ++interfaces;
  }

  void Device(size_t index, const SimDevice& d) {
    std::string where = "devices[" + std::to_string(index) + "]";
    if (d.devInst != index) Refuse(where + ".devInst", "devInst");
    if (d.busNumber) Refuse(where + ".busNumber", "busNumber");
    std::string instance = Instance(index);
    reg << "\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\" << instance << "]\n";
    reg << "\"ClassGUID\"=" << Quote(kMediaClass) << "\n";
    DeviceString(where + ".description", "DeviceDesc", d.description, "description");
    HardwareIds(where, d.hardwareIds);
    DeviceString(where + ".manufacturer", "Mfg", d.manufacturer, "manufacturer");
    DeviceString(where + ".service", "Service", d.service, "service");
    for (size_t i = 0; i < d.interfaces.size(); ++i) {
      Interface(where + ".interfaces[" + std::to_string(i) + "]", instance, i, d.interfaces[i]);
    }
    // Wine lists a device only through an interface registration; one that
    // is not linked lists the device and nothing under it.
    if (d.interfaces.empty()) Registration(instance, kAudio, "none", false, std::nullopt, false);
  }
};

int Main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ksreport-wineprep MACHINE.json OUT.reg\n");
    return 2;
  }
  SimMachine machine;
  std::string error;
  if (!SimLoadMachineFile(argv[1], &machine, &error)) {
    std::fprintf(stderr, "ksreport-wineprep: %s\n", error.c_str());
    return 2;
  }
  Prep prep;
  if (!machine.deviceSet) prep.Refuse("deviceSet", "deviceSet");
  if (machine.moduleFileName) prep.Refuse("moduleFileName", "moduleFileName");
  if (machine.moduleFileNameW) prep.Refuse("moduleFileNameW", "moduleFileNameW");
  if (machine.reportCreateFailures != 0) prep.Refuse("reportCreateFailures", "reportCreateFailures");
  if (!machine.failCalls.empty()) prep.Refuse("failCalls", "failCalls");
  prep.reg << "Windows Registry Editor Version 5.00\n";
  prep.table = "KSFT";
  prep.U32(0);
  for (size_t d = 0; d < machine.devices.size(); ++d) prep.Device(d, machine.devices[d]);
  if (!prep.unplayable.empty()) {
    for (const std::string& u : prep.unplayable) std::printf("not playable under Wine: %s\n", u.c_str());
    return 3;
  }
  for (int k = 0; k < 4; ++k) prep.table[4 + k] = static_cast<char>(prep.interfaces >> (8 * k));
  prep.reg << "\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\ksfake]\n"
           << "\"Type\"=dword:00000001\n\"Start\"=dword:00000003\n\"ErrorControl\"=dword:00000001\n"
           << "\"ImagePath\"=\"C:\\\\windows\\\\system32\\\\drivers\\\\ksfake.sys\"\n"
           << "\"AnswerTable\"=hex:" << Prep::Hex(SimBytes(prep.table.begin(), prep.table.end())) << "\n";
  std::ofstream out(argv[2], std::ios::binary);
  out << prep.reg.str();
  return out ? 0 : 2;
}

}  // namespace
}  // namespace ksr

int main(int argc, char** argv) { return ksr::Main(argc, argv); }

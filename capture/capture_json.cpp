#include "capture/capture_json.h"

#include <cstring>

#include "platform/machine_keys.h"

namespace ksr {

namespace {

// --- Text -------------------------------------------------------------------

void Put(CaptureSink* sink, const char* text, uint32_t length) {
  while (length > 0 && !sink->Failed) {
    uint32_t room = static_cast<uint32_t>(sizeof sink->Buffer) - sink->Used;
    uint32_t n = length < room ? length : room;
    std::memcpy(sink->Buffer + sink->Used, text, n);
    sink->Used += n;
    text += n;
    length -= n;
    if (sink->Used == sizeof sink->Buffer) {
      sink->Failed = !sink->Flush(sink->Context, sink->Buffer, sink->Used);
      sink->Used = 0;
    }
  }
}

void Put(CaptureSink* sink, const char* text) { Put(sink, text, static_cast<uint32_t>(std::strlen(text))); }

void PutNumber(CaptureSink* sink, uint32_t value) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  char text[10];
  for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
  Put(sink, text, static_cast<uint32_t>(n));
}

void PutHex(CaptureSink* sink, const uint8_t* bytes, uint32_t length) {
  static const char kDigits[] = "0123456789abcdef";
  Put(sink, "\"");
  for (uint32_t i = 0; i < length; ++i) {
    char pair[2] = {kDigits[bytes[i] >> 4], kDigits[bytes[i] & 15]};
    Put(sink, pair, 2);
  }
  Put(sink, "\"");
}

// Plain printable characters: they stand in a JSON string as themselves,
// once quotes and backslashes are escaped.
bool Printable(const uint8_t* bytes, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i) {
    if (bytes[i] < 0x20 || bytes[i] > 0x7E) return false;
  }
  return true;
}

void PutQuoted(CaptureSink* sink, const uint8_t* bytes, uint32_t length) {
  Put(sink, "\"");
  for (uint32_t i = 0; i < length; ++i) {
    char c = static_cast<char>(bytes[i]);
    if (c == '"' || c == '\\') Put(sink, "\\");
    Put(sink, &c, 1);
  }
  Put(sink, "\"");
}

void PutKey(CaptureSink* sink, bool* first, const char* key) {
  Put(sink, *first ? "\"" : ", \"");
  *first = false;
  Put(sink, key);
  Put(sink, "\": ");
}

// --- Values -----------------------------------------------------------------

uint32_t Min(uint32_t a, uint32_t b) { return a < b ? a : b; }

// The two objects of a value or answer: {"hex": "..."}, bytes kept, and
// {"unread": N}, N bytes not kept. Each opener leaves its object open for
// the fields that follow (PutField) and the closing "}".
void OpenHex(CaptureSink* sink, const uint8_t* bytes, uint32_t length) {
  Put(sink, "{\"hex\": ");
  PutHex(sink, bytes, length);
}

void OpenUnread(CaptureSink* sink, uint32_t length) {
  Put(sink, "{\"unread\": ");
  PutNumber(sink, length);
}

// , "key": value
void PutField(CaptureSink* sink, const char* key, uint32_t value) {
  Put(sink, ", \"");
  Put(sink, key);
  Put(sink, "\": ");
  PutNumber(sink, value);
}

// {"hex": "..."} alone.
void PutHexObject(CaptureSink* sink, const uint8_t* bytes, uint32_t length) {
  OpenHex(sink, bytes, length);
  Put(sink, "}");
}

// {"unread": N} alone, N at most limit.
void PutUnread(CaptureSink* sink, uint32_t length, uint32_t limit) {
  OpenUnread(sink, Min(length, limit));
  Put(sink, "}");
}

// A string property or the friendly name: text and its one NUL as "text".
void PutString(CaptureSink* sink, const CaptureAnswer& a) {
  if (a.Length > 0 && a.Bytes[a.Length - 1] == 0 && Printable(a.Bytes, a.Length - 1)) {
    PutQuoted(sink, a.Bytes, a.Length - 1);
    return;
  }
  PutHexObject(sink, a.Bytes, a.Length);
}

// The hardware IDs: printable strings, each with its NUL, then one more.
void PutMulti(CaptureSink* sink, const CaptureAnswer& a) {
  bool list = a.Length >= 3 && a.Bytes[a.Length - 1] == 0 && a.Bytes[a.Length - 2] == 0 &&
              a.Bytes[0] != 0;
  for (uint32_t i = 0; list && i + 1 < a.Length; ++i) {
    bool end = a.Bytes[i] == 0;
    list = end ? a.Bytes[i + 1] != 0 || i + 2 == a.Length : Printable(a.Bytes + i, 1);
  }
  if (!list) {
    PutHexObject(sink, a.Bytes, a.Length);
    return;
  }
  Put(sink, "[");
  uint32_t start = 0;
  for (uint32_t i = 0; i + 1 < a.Length; ++i) {
    if (a.Bytes[i] != 0) continue;
    if (start != 0) Put(sink, ", ");
    PutQuoted(sink, a.Bytes + start, i - start);
    start = i + 1;
  }
  Put(sink, "]");
}

void PutProperty(CaptureSink* sink, bool* first, const MachineKey& key,
                 const CaptureAnswer& a) {
  if (a.Outcome == kCaptureRefused || (a.Outcome == kCaptureDelivered && a.Cut)) {
    PutKey(sink, first, key.Key);
    PutUnread(sink, a.Count, kCaptureUnreadValueLimit);
    return;
  }
  if (a.Outcome != kCaptureDelivered) return;  // not there: the read fails
  PutKey(sink, first, key.Key);
  if (key.Form == kMachineTextList) {
    PutMulti(sink, a);
  } else if (key.Form == kMachineNumber && a.Length == 4) {
    PutNumber(sink, WireLoadU32(a.Bytes));
  } else if (key.Form == kMachineNumber) {
    PutHexObject(sink, a.Bytes, a.Length);
  } else {
    PutString(sink, a);
  }
}

// --- Answers ----------------------------------------------------------------

// The end of a request that failed or pended, as an answer or a dataQuery.
void PutEnd(CaptureSink* sink, const CaptureAnswer& a) {
  if (a.Outcome == kCapturePending && a.Ended) {
    Put(sink, "{\"pending\": {\"status\": ");
    PutNumber(sink, a.EndStatus);
    Put(sink, ", \"count\": ");
    PutNumber(sink, a.EndCount);
    Put(sink, "}}");
  } else if (a.Outcome == kCapturePending && a.GivenUp) {
    Put(sink, "{\"pending\": {\"ignoresCancel\": true}}");
  } else if (a.Outcome == kCapturePending) {
    Put(sink, "\"pending\"");
  } else if (a.Outcome == kCaptureFailed && a.Error != ERROR_NOT_FOUND) {
    Put(sink, "{\"error\": ");
    PutNumber(sink, a.Error);
    Put(sink, "}");
  } else {
    Put(sink, "null");
  }
}

// Delivered bytes, and the counts that differ from their length.
void PutDelivered(CaptureSink* sink, const CaptureAnswer& a, const uint32_t* sizeQuery) {
  uint32_t length = Min(a.Count, a.OutputLength);
  // Fixed answers of whole numbers read best as numbers: 4 bytes as one,
  // a KSPIN_CINSTANCES as [PossibleCount, CurrentCount].
  if (sizeQuery == nullptr && !a.Cut && a.Length == a.Count && a.Length % 4 == 0 && a.Length > 0 &&
      a.Length <= 16) {
    if (a.Length > 4) Put(sink, "[");
    for (uint32_t at = 0; at < a.Length; at += 4) {
      if (at != 0) Put(sink, ", ");
      PutNumber(sink, WireLoadU32(a.Bytes + at));
    }
    if (a.Length > 4) Put(sink, "]");
    return;
  }
  if (a.Cut) {
    OpenUnread(sink, length);
  } else {
    OpenHex(sink, a.Bytes, a.Length);
  }
  if (sizeQuery != nullptr && *sizeQuery != length) PutField(sink, "sizeQuery", *sizeQuery);
  if (a.Count != length) PutField(sink, "reported", a.Count);
  Put(sink, "}");
}

void PutAnswer(CaptureSink* sink, const CaptureAnswer* requests, bool list) {
  const CaptureAnswer& first = requests[0];
  if (first.Outcome == kCaptureNotAsked || first.Outcome == kCaptureFailed ||
      first.Outcome == kCapturePending) {
    return PutEnd(sink, first);
  }
  if (!list) {
    if (first.Outcome == kCaptureRefused) return PutUnread(sink, first.Count, 0xFFFFFFFFu);
    return PutDelivered(sink, first, nullptr);
  }
  // A list: its size query, then its data query with the size it named.
  uint32_t size = first.Count;
  const CaptureAnswer& data = requests[1];
  switch (data.Outcome) {
    case kCaptureDelivered:
      return PutDelivered(sink, data, &size);
    case kCaptureRefused:
      OpenUnread(sink, data.Count);
      if (data.Count != size) PutField(sink, "sizeQuery", size);
      Put(sink, "}");
      return;
    case kCapturePending:
    case kCaptureFailed:
      OpenUnread(sink, size);
      Put(sink, ", \"dataQuery\": ");
      PutEnd(sink, data);
      Put(sink, "}");
      return;
    case kCaptureNotAsked:
      return PutUnread(sink, size, 0xFFFFFFFFu);
  }
}

void PutPin(CaptureSink* sink, const CapturePin* pin) {
  static const CaptureAnswer kNone[2] = {};
  bool first = true;
  Put(sink, "{");
  for (const MachineKey& k : kMachinePinKeys) {
    PutKey(sink, &first, k.Key);
    PutAnswer(sink, pin != nullptr ? pin->Requests[k.Property] : kNone, k.Form != kMachineFixed);
  }
  Put(sink, "}");
}

// --- Machine ----------------------------------------------------------------

// An alias's flags; for a lookup that failed otherwise than the platform
// says "no alias", its error, so that the replay fails the same way.
void PutAlias(CaptureSink* sink, bool* first, const CaptureAnswer& alias, const char* key, const char* errorKey) {
  if (alias.Outcome == kCaptureDelivered) {
    PutKey(sink, first, key);
    PutNumber(sink, alias.Count);
  } else if (alias.Outcome == kCaptureFailed && alias.Error != ERROR_NO_SUCH_INTERFACE_DEVICE) {
    PutKey(sink, first, errorKey);
    PutNumber(sink, alias.Error);
  }
}

void PutInterface(CaptureSink* sink, const CaptureInterface& i) {
  bool first = true;
  Put(sink, "\n      {");
  PutKey(sink, &first, "flags");
  PutNumber(sink, i.Flags);
  const CaptureAnswer& path = i.Path;
  if (path.Outcome == kCaptureDelivered && !path.Cut) {
    bool text = Printable(path.Bytes, path.Length);
    PutKey(sink, &first, text ? "path" : "pathHex");
    (text ? PutQuoted : PutHex)(sink, path.Bytes, path.Length);
  } else if (path.Outcome == kCaptureRefused || path.Cut) {
    PutKey(sink, &first, "pathUnread");
    PutNumber(sink, path.Cut ? path.Count + 1 : path.Count);
  }
  PutAlias(sink, &first, i.RenderAlias, "renderAlias", "renderAliasError");
  PutAlias(sink, &first, i.CaptureAlias, "captureAlias", "captureAliasError");
  if (i.Opened.Outcome == kCaptureFailed) {
    PutKey(sink, &first, "opens");
    Put(sink, "false");
  }
  if (i.Key.Outcome == kCaptureFailed) {
    PutKey(sink, &first, "registryKey");
    Put(sink, "false");
  }
  const CaptureAnswer& name = i.FriendlyName;
  bool noValue = name.Outcome == kCaptureFailed && name.Error == ERROR_FILE_NOT_FOUND && name.Length == 0;
  if (name.Outcome != kCaptureNotAsked && !noValue) {
    PutKey(sink, &first, "friendlyName");
    PutString(sink, name);
    if (name.Outcome == kCaptureFailed) {
      PutKey(sink, &first, "friendlyNameError");
      PutNumber(sink, name.Error);
    }
  }
  if (i.PinTypes.Outcome != kCaptureNotAsked) {
    PutKey(sink, &first, "pinTypes");
    PutAnswer(sink, &i.PinTypes, false);
  }
  if (i.PinsAsked > 0) {
    PutKey(sink, &first, "pins");
    Put(sink, "[");
    for (uint32_t p = 0; p < i.PinsAsked && !sink->Failed; ++p) {
      Put(sink, p == 0 ? "\n        " : ",\n        ");
      PutPin(sink, i.Pins[p].Pin);
    }
    Put(sink, "]");
  }
  Put(sink, "}");
}

void PutDevice(CaptureSink* sink, const CaptureDevice& d) {
  bool first = true;
  Put(sink, "\n    {");
  PutKey(sink, &first, "devInst");
  PutNumber(sink, d.Data.DevInst);
  for (uint32_t p = 0; p < kMachineDeviceKeyCount; ++p) {
    PutProperty(sink, &first, kMachineDeviceKeys[p], d.Properties[p]);
  }
  PutKey(sink, &first, "interfaces");
  Put(sink, "[");
  for (const CaptureInterface* i = d.Interfaces; i != nullptr; i = i->Next) {
    PutInterface(sink, *i);
    if (i->Next != nullptr) Put(sink, ",");
  }
  Put(sink, "]}");
}

void PutProvenance(CaptureSink* sink, const CaptureModel& model, const CaptureProvenance& p) {
  static const struct { uint32_t bit; const char* why; } kWhy[] = {
      {kCaptureAnswerOverBound, "an answer over 1 MiB was kept by its length only"},
      {kCaptureBytesOverBound, "answers over 16 MiB in all: the later ones were kept by their length only"},
      {kCaptureRecordsOverBound, "more devices, interfaces or pins than the capture holds"},
      {kCaptureHeapOverSim, "an answer buffer over 64 MiB, which a replay can't have"},
      {kCaptureUnplaced, "an answer the capture could not place in the machine"}};
  Put(sink, "  \"capture\": {\"program\": \"");
  Put(sink, p.Program);
  Put(sink, "\", \"version\": \"");
  Put(sink, p.Version);
  Put(sink, "\", \"arch\": \"");
  Put(sink, p.Arch);
  Put(sink, "\", \"truncated\": [");
  bool first = true;
  for (const auto& w : kWhy) {
    if ((model.Truncated & w.bit) == 0) continue;
    Put(sink, first ? "\"" : ", \"");
    Put(sink, w.why);
    Put(sink, "\"");
    first = false;
  }
  Put(sink, "]}");
}

}  // namespace

bool CaptureWriteMachine(const CaptureModel& model, const CaptureProvenance& provenance,
                         CaptureSink* sink) {
  Put(sink, "{\n");
  PutProvenance(sink, model, provenance);
  if (model.DeviceSet.Outcome == kCaptureFailed) Put(sink, ",\n  \"deviceSet\": false");
  if (model.ReportCreateFailures != 0) {
    Put(sink, ",\n  \"reportCreateFailures\": ");
    PutNumber(sink, model.ReportCreateFailures);
  }
  if (model.Failures != nullptr) {
    Put(sink, ",\n  \"failCalls\": [");
    for (const CaptureFailure* f = model.Failures; f != nullptr; f = f->Next) {
      Put(sink, "{\"call\": \"");
      Put(sink, f->Op);
      Put(sink, "\", \"nth\": ");
      PutNumber(sink, f->Nth);
      Put(sink, ", \"error\": ");
      PutNumber(sink, f->Error);
      Put(sink, f->Next != nullptr ? "}, " : "}");
    }
    Put(sink, "]");
  }
  Put(sink, ",\n  \"devices\": [");
  for (const CaptureDevice* d = model.Devices; d != nullptr && !sink->Failed; d = d->Next) {
    PutDevice(sink, *d);
    if (d->Next != nullptr) Put(sink, ",");
  }
  Put(sink, "]\n}\n");
  if (!sink->Failed && sink->Used > 0) {
    sink->Failed = !sink->Flush(sink->Context, sink->Buffer, sink->Used);
    sink->Used = 0;
  }
  return !sink->Failed;
}

}  // namespace ksr

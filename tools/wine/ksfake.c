/*
 * Test infrastructure, never shipped: a kernel-mode driver for Wine that
 * plays the kernel-streaming filters of a simulated machine. At start it
 * reads its answer table from the REG_BINARY value "AnswerTable" of its
 * service key, makes one device per interface reachable at the interface's
 * device path, and answers pin-property GET requests from the table:
 *   output length 0 or too small: STATUS_BUFFER_OVERFLOW with the needed size
 *   otherwise: the bytes, STATUS_SUCCESS and the reported count
 *   absent: STATUS_NOT_FOUND; "pending": held until cancelled;
 *   held: pending without a cancel routine, so it is never ended, as a
 *   driver that holds requests and ignores their cancel does.
 */
#include <ntifs.h>

#define KSFAKE_MAGIC 0x5446534B /* "KSFT" */
#define KIND_BYTES 1
#define KIND_PENDING 2
#define KIND_HELD 3
#define HAS_SIZE_QUERY 1
#define HAS_REPORTED 2
#define CTYPES_PIN 0xFFFFFFFFu

typedef struct {
  ULONG index; /* interface number in the table */
} FILTER_EXT;

static UCHAR *g_table;
static ULONG g_tableLength;

static BOOLEAN ReadU32(ULONG *at, ULONG *value) {
  if (*at > g_tableLength || g_tableLength - *at < 4) return FALSE;
  RtlCopyMemory(value, g_table + *at, 4);
  *at += 4;
  return TRUE;
}

/* Skips a counted string or byte run, returning where it starts. */
static BOOLEAN Span(ULONG *at, ULONG length, const UCHAR **start) {
  if (*at > g_tableLength || g_tableLength - *at < length) return FALSE;
  *start = g_table + *at;
  *at += length;
  return TRUE;
}

/* Positions at interface `index`: its answers follow. */
static BOOLEAN SeekInterface(ULONG index, ULONG *at, ULONG *answers) {
  ULONG magic, count, i, length, opens;
  const UCHAR *p;
  *at = 0;
  if (!ReadU32(at, &magic) || magic != KSFAKE_MAGIC || !ReadU32(at, &count) || index >= count) return FALSE;
  for (i = 0;; ++i) {
    if (!ReadU32(at, &opens)) return FALSE;
    if (!ReadU32(at, &length) || !Span(at, length, &p)) return FALSE; /* directory */
    if (!ReadU32(at, &length) || !Span(at, length, &p)) return FALSE; /* link name */
    if (!ReadU32(at, answers)) return FALSE;
    if (i == index) return TRUE;
    for (ULONG a = 0; a < *answers; ++a) {
      ULONG skip[6];
      for (int k = 0; k < 6; ++k) if (!ReadU32(at, &skip[k])) return FALSE;
      if (!ReadU32(at, &length) || !Span(at, length, &p)) return FALSE;
    }
  }
}

typedef struct {
  ULONG kind, flags, sizeQuery, reported, length;
  const UCHAR *bytes;
} ANSWER;

static BOOLEAN FindAnswer(ULONG index, ULONG pin, ULONG property, ANSWER *answer) {
  ULONG at, answers;
  if (!SeekInterface(index, &at, &answers)) return FALSE;
  for (ULONG a = 0; a < answers; ++a) {
    ULONG p, prop;
    if (!ReadU32(&at, &p) || !ReadU32(&at, &prop) || !ReadU32(&at, &answer->kind) ||
        !ReadU32(&at, &answer->flags) || !ReadU32(&at, &answer->sizeQuery) ||
        !ReadU32(&at, &answer->reported) || !ReadU32(&at, &answer->length) ||
        !Span(&at, answer->length, &answer->bytes)) {
      return FALSE;
    }
    if (prop == property && (p == pin || (p == CTYPES_PIN && property == 1))) return TRUE;
  }
  return FALSE;
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

static VOID NTAPI CancelPending(PDEVICE_OBJECT device, PIRP irp) {
  (void)device;
  IoReleaseCancelSpinLock(irp->CancelIrql);
  Complete(irp, STATUS_CANCELLED, 0);
}

static NTSTATUS NTAPI DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp) {
  (void)device;
  return Complete(irp, STATUS_SUCCESS, 0);
}

static const GUID kPinSet = {0x8C134960, 0x51AD, 0x11CF, {0x87, 0x8A, 0x94, 0xF8, 0x01, 0xC1, 0x00, 0x00}};

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  FILTER_EXT *ext = (FILTER_EXT *)device->DeviceExtension;
  ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  UCHAR *in = (UCHAR *)stack->Parameters.DeviceIoControl.Type3InputBuffer;
  UCHAR *out = (UCHAR *)irp->UserBuffer;
  ULONG property, flags, pin;
  ANSWER answer;
  if (code != 0x2F0003 || in == NULL || inLength < 32 || RtlCompareMemory(in, &kPinSet, 16) != 16) {
    return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  }
  RtlCopyMemory(&property, in + 16, 4);
  RtlCopyMemory(&flags, in + 20, 4);
  RtlCopyMemory(&pin, in + 24, 4);
  if (flags != 1 || !FindAnswer(ext->index, pin, property, &answer)) {
    return Complete(irp, STATUS_NOT_FOUND, 0);
  }
  if (answer.kind == KIND_HELD) {
    /* No cancel routine: CancelIoEx finds nothing to call, and the request
       stays pending until the driver goes away. */
    IoMarkIrpPending(irp);
    return STATUS_PENDING;
  }
  if (answer.kind == KIND_PENDING) {
    KIRQL irql;
    IoMarkIrpPending(irp);
    IoAcquireCancelSpinLock(&irql);
    if (irp->Cancel) {
      IoReleaseCancelSpinLock(irql);
      Complete(irp, STATUS_CANCELLED, 0);
      return STATUS_PENDING;
    }
    IoSetCancelRoutine(irp, CancelPending);
    IoReleaseCancelSpinLock(irql);
    return STATUS_PENDING;
  }
  if (outLength == 0 || outLength < answer.length || out == NULL) {
    ULONG needed = answer.length;
    if (outLength == 0 && (answer.flags & HAS_SIZE_QUERY)) needed = answer.sizeQuery;
    return Complete(irp, STATUS_BUFFER_OVERFLOW, needed);
  }
  if (answer.length != 0) RtlCopyMemory(out, answer.bytes, answer.length);
  return Complete(irp, STATUS_SUCCESS,
                  (answer.flags & HAS_REPORTED) ? answer.reported : answer.length);
}

static NTSTATUS ReadTable(PUNICODE_STRING registryPath) {
  OBJECT_ATTRIBUTES attributes;
  HANDLE key;
  UNICODE_STRING name;
  ULONG needed = 0;
  NTSTATUS status;
  KEY_VALUE_PARTIAL_INFORMATION *info;
  InitializeObjectAttributes(&attributes, registryPath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
  status = ZwOpenKey(&key, KEY_READ, &attributes);
  if (!NT_SUCCESS(status)) return status;
  RtlInitUnicodeString(&name, L"AnswerTable");
  ZwQueryValueKey(key, &name, KeyValuePartialInformation, NULL, 0, &needed);
  info = (KEY_VALUE_PARTIAL_INFORMATION *)ExAllocatePoolWithTag(NonPagedPool, needed + 16, 0x544B5346);
  if (info == NULL) {
    ZwClose(key);
    return STATUS_INSUFFICIENT_RESOURCES;
  }
  status = ZwQueryValueKey(key, &name, KeyValuePartialInformation, info, needed + 16, &needed);
  ZwClose(key);
  if (!NT_SUCCESS(status)) return status;
  g_table = info->Data;
  g_tableLength = info->DataLength;
  return STATUS_SUCCESS;
}

/* \??\<dir> as an object directory holding the link <name> to the device. */
static NTSTATUS PublishInterface(PDEVICE_OBJECT device, PUNICODE_STRING deviceName,
                                 const UCHAR *dir, ULONG dirLength, const UCHAR *name, ULONG nameLength) {
  WCHAR dirText[512], linkText[768];
  UNICODE_STRING dirName, linkName;
  OBJECT_ATTRIBUTES attributes;
  HANDLE directory;
  NTSTATUS status;
  ULONG i, n = 0;
  (void)device;
  if (dirLength + 1 > 512 || dirLength + nameLength + 2 > 768) return STATUS_NAME_TOO_LONG;
  for (i = 0; i < dirLength; ++i) dirText[n++] = dir[i];
  dirText[n] = 0;
  RtlInitUnicodeString(&dirName, dirText);
  InitializeObjectAttributes(&attributes, &dirName, OBJ_CASE_INSENSITIVE | OBJ_PERMANENT | OBJ_OPENIF | OBJ_KERNEL_HANDLE, NULL, NULL);
  status = ZwCreateDirectoryObject(&directory, DIRECTORY_ALL_ACCESS, &attributes);
  if (!NT_SUCCESS(status)) return status;
  for (i = 0; i < dirLength; ++i) linkText[i] = dir[i];
  linkText[dirLength] = L'\\';
  for (i = 0; i < nameLength; ++i) linkText[dirLength + 1 + i] = name[i];
  linkText[dirLength + 1 + nameLength] = 0;
  RtlInitUnicodeString(&linkName, linkText);
  return IoCreateSymbolicLink(&linkName, deviceName);
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver) { (void)driver; }

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  ULONG at = 0, magic, count;
  NTSTATUS status = ReadTable(registryPath);
  if (!NT_SUCCESS(status)) return status;
  driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
  driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
  driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCreateClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
  driver->DriverUnload = Unload;
  if (!ReadU32(&at, &magic) || magic != KSFAKE_MAGIC || !ReadU32(&at, &count)) return STATUS_INVALID_PARAMETER;
  for (ULONG i = 0; i < count; ++i) {
    ULONG opens, dirLength, nameLength, answers, length, skip;
    const UCHAR *dir, *name, *p;
    WCHAR deviceText[64];
    UNICODE_STRING deviceName;
    PDEVICE_OBJECT device;
    if (!ReadU32(&at, &opens) || !ReadU32(&at, &dirLength) || !Span(&at, dirLength, &dir) ||
        !ReadU32(&at, &nameLength) || !Span(&at, nameLength, &name) || !ReadU32(&at, &answers)) {
      return STATUS_INVALID_PARAMETER;
    }
    for (ULONG a = 0; a < answers; ++a) {
      for (int k = 0; k < 6; ++k) if (!ReadU32(&at, &skip)) return STATUS_INVALID_PARAMETER;
      if (!ReadU32(&at, &length) || !Span(&at, length, &p)) return STATUS_INVALID_PARAMETER;
    }
    if (!opens) continue; /* the filter can't be opened: no device behind the path */
    {
      static const WCHAR prefix[] = L"\\Device\\KsFakeFilter";
      ULONG n = 0, v = i;
      WCHAR digits[12];
      int d = 0;
      while (prefix[n] != 0) { deviceText[n] = prefix[n]; ++n; }
      do { digits[d++] = (WCHAR)(L'0' + v % 10); v /= 10; } while (v != 0);
      while (d > 0) deviceText[n++] = digits[--d];
      deviceText[n] = 0;
    }
    RtlInitUnicodeString(&deviceName, deviceText);
    status = IoCreateDevice(driver, sizeof(FILTER_EXT), &deviceName, FILE_DEVICE_KS, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) return status;
    ((FILTER_EXT *)device->DeviceExtension)->index = i;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    status = PublishInterface(device, &deviceName, dir, dirLength, name, nameLength);
    if (!NT_SUCCESS(status)) return status;
  }
  return STATUS_SUCCESS;
}

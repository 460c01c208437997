/*
 * Test infrastructure, never shipped: an app-local setupapi.dll for Wine,
 * whose own SetupDiGetDeviceInterfaceAlias ends the process. Every other
 * export is forwarded to a renamed copy of Wine's setupapi.dll (see the
 * generated .def). The alias is found the way the platform defines it: the
 * interface of the same device instance and reference string registered in
 * the alias class; its Flags are SPINT_ACTIVE when that registration is
 * linked, 0 otherwise.
 */
#include <windows.h>
#include <setupapi.h>
#include <stdio.h>
#include <string.h>

typedef BOOL(WINAPI *DetailFn)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA, PSP_DEVICE_INTERFACE_DETAIL_DATA_A,
                               DWORD, PDWORD, PSP_DEVINFO_DATA);

BOOL WINAPI AliasLookup(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA iface, const GUID *aliasClass,
                        PSP_DEVICE_INTERFACE_DATA alias) {
  char block[1024];
  char cls[40], *path, *hash, *ref;
  DWORD linked = 0, size = sizeof linked;
  HKEY h;
  DetailFn detail = (DetailFn)(void (*)(void))GetProcAddress(LoadLibraryA("setupapi_wine.dll"),
                                             "SetupDiGetDeviceInterfaceDetailA");
  if (!alias || alias->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || !aliasClass || !detail) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  ((PSP_DEVICE_INTERFACE_DETAIL_DATA_A)block)->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!detail(set, iface, (PSP_DEVICE_INTERFACE_DETAIL_DATA_A)block, sizeof block, NULL, NULL)) return FALSE;
  /* \\?\<instance with #>#{class}\<reference> */
  path = block + 4;
  ref = strrchr(path, '\\');
  hash = strstr(path, "#{");
  if (strncmp(path, "\\\\?\\", 4) != 0 || !ref || !hash || hash > ref) {
    SetLastError(ERROR_NO_SUCH_INTERFACE_DEVICE);
    return FALSE;
  }
  snprintf(cls, sizeof cls, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
           aliasClass->Data1, aliasClass->Data2, aliasClass->Data3, aliasClass->Data4[0],
           aliasClass->Data4[1], aliasClass->Data4[2], aliasClass->Data4[3], aliasClass->Data4[4],
           aliasClass->Data4[5], aliasClass->Data4[6], aliasClass->Data4[7]);
  /* Opened one level at a time: Wine refuses long absolute key paths. */
  {
    char parts[3][600];
    HKEY next;
    int i;
    snprintf(parts[0], sizeof parts[0], "System\\CurrentControlSet\\Control\\DeviceClasses\\%s", cls);
    snprintf(parts[1], sizeof parts[1], "##?#%.*s#%s", (int)(hash - (path + 4)), path + 4, cls);
    snprintf(parts[2], sizeof parts[2], "#%s", ref + 1);
    h = HKEY_LOCAL_MACHINE;
    for (i = 0; i < 3; ++i) {
      LONG status = RegOpenKeyExA(h, parts[i], 0, KEY_READ, &next);
      if (h != HKEY_LOCAL_MACHINE) RegCloseKey(h);
      if (status != ERROR_SUCCESS) {
        SetLastError(ERROR_NO_SUCH_INTERFACE_DEVICE);
        return FALSE;
      }
      h = next;
    }
    if (RegOpenKeyExA(h, "Control", 0, KEY_READ, &next) == ERROR_SUCCESS) {
      if (RegQueryValueExA(next, "Linked", NULL, NULL, (BYTE *)&linked, &size) != ERROR_SUCCESS) linked = 0;
      RegCloseKey(next);
    }
    RegCloseKey(h);
  }
  alias->InterfaceClassGuid = *aliasClass;
  alias->Flags = linked == 1 ? SPINT_ACTIVE : 0;
  alias->Reserved = 0;
  return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance; (void)reason; (void)reserved;
  return TRUE;
}

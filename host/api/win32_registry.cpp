// The registry key calls of the Win32 subset.
#include "host/platform/registry.h"

#ifndef _WIN32
// The Windows build leaves the key calls to advapi32 on the real keys (host/win/native_registry.cpp).
extern "C" LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    return qlhost::RegistryOpenKey(hKey, lpSubKey, phkResult);
}

extern "C" LSTATUS WINAPI RegCloseKey(HKEY hKey) { return qlhost::RegistryCloseKey(hKey); }

extern "C" LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                                        LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    return qlhost::RegistryEnumValue(hKey, dwIndex, lpValueName, lpcchValueName, lpType, lpData, lpcbData);
}

extern "C" LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return qlhost::RegistryDeleteValue(hKey, lpValueName);
}
#endif

// The plug-in's module instance and registration record.
#pragma once

#include "core/host_api.h"

// The module instance stored at attach: passed to Dialog and to the hook installers.
HINSTANCE PluginInstance();

// The static registration record handed to the host.
const XPRecord* RegistrationRecord();

#ifdef _WIN32
#define QL_LIBRARY_ENTRY
#else
#define QL_LIBRARY_ENTRY __attribute__((visibility("default")))
#endif

extern "C" QL_LIBRARY_ENTRY BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

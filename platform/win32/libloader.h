#pragma once
// The module calls of the kernel for the Linux build: the process's module
// handle and libraries loaded by name. No Windows library exists here; a
// back-end may offer stand-ins (the sim does for tests), otherwise loading fails.

#include "platform/win32/types.h"

extern "C" {
// NULL: the process's own module, never null.
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
HMODULE WINAPI LoadLibraryA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI FreeLibrary(HMODULE module);
}

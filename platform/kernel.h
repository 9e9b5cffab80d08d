#pragma once
// The kernel interfaces the runtime uses: environment variables and UTF-8/UTF-16
// conversion. The real ones on Windows, our own declarations elsewhere.

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#include <windows.h>
#else
#include "platform/win32/kernel.h"
#endif

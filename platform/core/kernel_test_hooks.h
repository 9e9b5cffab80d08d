#pragma once
// Test seam of the Linux kernel layer; nothing outside tests sets it.

#include "platform/win32/kernel.h"

// Called at the start of every GetEnvironmentVariableW with the name asked for,
// before the environment is read: a test can change the variable between a
// sizing call and the reading call that follows it. Null by default.
extern void (*kernel_environment_read_hook)(LPCWSTR name);

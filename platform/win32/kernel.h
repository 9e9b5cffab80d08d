#pragma once
// Win32 kernel declarations for Linux, written from the published interface
// documentation: the basic scalar types every other platform/win32 header builds
// on, and the kernel calls the runtime uses (environment variables, UTF-8/UTF-16
// conversion, the thread's last error).
//
// Sizes follow Win64 (LLP64): LONG, ULONG and DWORD are 32-bit, the *_PTR types
// are pointer-sized (64-bit). WCHAR is a 16-bit UTF-16 unit (char16_t), not the
// 32-bit Linux wchar_t.
//
// Provided: GetEnvironmentVariableW (the process environment through getenv, its
// names and values read as strict UTF-8), MultiByteToWideChar and
// WideCharToMultiByte for CP_UTF8 only, GetLastError and SetLastError (per thread).
// Not provided: other code pages, the ANSI environment calls, writing the environment.

#include <cstddef>
#include <cstdint>

// ---- basic types -------------------------------------------------------------

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef char CHAR;
typedef unsigned char BYTE;
typedef unsigned char UCHAR;
typedef char16_t WCHAR;
typedef std::int16_t SHORT;
typedef std::uint16_t USHORT;
typedef std::uint16_t WORD;
typedef int INT;
typedef unsigned int UINT;
typedef std::int32_t LONG;
typedef std::uint32_t ULONG;
typedef std::uint32_t DWORD;
typedef std::int64_t LONGLONG;
typedef std::uint64_t ULONGLONG;
typedef float FLOAT;

typedef std::int64_t INT_PTR;
typedef std::uint64_t UINT_PTR;
typedef std::int64_t LONG_PTR;
typedef std::uint64_t ULONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef ULONG_PTR SIZE_T;

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* HANDLE;

typedef BOOL* LPBOOL;
typedef BYTE* LPBYTE;
typedef WORD* LPWORD;
typedef DWORD* LPDWORD;
typedef LONG* LPLONG;
typedef INT* LPINT;
typedef UINT* LPUINT;

typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef const CHAR* LPCCH;
typedef CHAR* LPCH;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* LPCWCH;
typedef WCHAR* LPWCH;

static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(WCHAR) == 2, "LLP64 sizes");
static_assert(sizeof(LONG_PTR) == sizeof(void*) && sizeof(UINT_PTR) == sizeof(void*), "LLP64 sizes");

// ---- last error ---------------------------------------------------------------

#define ERROR_SUCCESS 0L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_ENVVAR_NOT_FOUND 203L
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_NO_UNICODE_TRANSLATION 1113L

// The calling thread's last error code.
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD dwErrCode);

// ---- environment ----------------------------------------------------------------

// Copies the variable's value (UTF-16) with its terminator into lpBuffer. Returns
// the number of units written without the terminator; when nSize is too small
// (0 with a null buffer sizes it), the size needed including the terminator;
// 0 when the variable is missing or its name or value is not valid Unicode.
// Names compare case-sensitively, as getenv does (Windows folds case).
DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize);

// ---- text conversion ------------------------------------------------------------

#define CP_UTF8 65001

#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

// UTF-8 to UTF-16. cbMultiByte -1 reads up to and including the terminating zero.
// cchWideChar 0 returns the units needed; a buffer too small fails with
// ERROR_INSUFFICIENT_BUFFER. Invalid input fails with ERROR_NO_UNICODE_TRANSLATION
// under MB_ERR_INVALID_CHARS and becomes U+FFFD without it. The source and the
// result must not be the same buffer (ERROR_INVALID_PARAMETER). Returns 0 on failure.
int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar);

// UTF-16 to UTF-8, the same conventions; unpaired surrogates fail under
// WC_ERR_INVALID_CHARS and become U+FFFD without it. lpDefaultChar and
// lpUsedDefaultChar must be null for CP_UTF8.
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar);

#pragma once
// Win32 handles, structures and helper macros for the Linux build, on top of
// the scalar types, calling conventions and TRUE/FALSE of the kernel header.

#include <cstdint>

#include "platform/win32/kernel.h"

#ifndef CONST
#define CONST const
#endif

typedef std::int32_t INT32;
typedef std::uint32_t UINT32;
typedef std::int64_t INT64;
typedef std::uint64_t UINT64;
typedef WORD ATOM;
typedef DWORD COLORREF;
typedef LONG HRESULT;

// Distinct pointer types per handle kind, so that mixing them up fails to compile.
#define QUON_DECLARE_HANDLE(name) \
  struct name##__ {               \
    int unused;                   \
  };                              \
  typedef struct name##__* name

QUON_DECLARE_HANDLE(HWND);
QUON_DECLARE_HANDLE(HINSTANCE);
QUON_DECLARE_HANDLE(HDC);
QUON_DECLARE_HANDLE(HGLRC);
QUON_DECLARE_HANDLE(HFONT);
QUON_DECLARE_HANDLE(HBRUSH);
QUON_DECLARE_HANDLE(HICON);
QUON_DECLARE_HANDLE(HMENU);
QUON_DECLARE_HANDLE(HMONITOR);
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;
typedef void* HGDIOBJ;

typedef INT_PTR(WINAPI* FARPROC)();
typedef INT_PTR(WINAPI* PROC)();

struct POINT {
  LONG x;
  LONG y;
};
typedef POINT* LPPOINT;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

struct SIZE {
  LONG cx;
  LONG cy;
};

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))
#define MAKEWORD(a, b) ((WORD)(((BYTE)(((DWORD_PTR)(a)) & 0xff)) | ((WORD)((BYTE)(((DWORD_PTR)(b)) & 0xff))) << 8))
#define S_OK ((HRESULT)0)
#define E_FAIL ((HRESULT)0x80004005)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define MAKELONG(a, b) ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKELRESULT(l, h) ((LRESULT)(DWORD)MAKELONG(l, h))

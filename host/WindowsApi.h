// The few Windows functions and types the module calls, by their Windows names and signatures.
// On Windows they come from the system; elsewhere the host's support library provides them.
#pragma once

#include "host/SupportLibrary.h"

#include <cstdint>

extern "C" {

using BOOL = int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using SHORT = std::int16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HWND = struct HWND__*;
using HMODULE = struct HINSTANCE__*;
using HINSTANCE = HMODULE;
using HRSRC = struct HRSRC__*;
using HGLOBAL = void*;
using FARPROC = void (*)();

struct POINT {
    LONG x;
    LONG y;
};

struct POINTL {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// Module handles. A handle stays valid while the module is loaded; GetModuleHandleW does not
// add a load reference. "logger.dll" names the host's logger library on every platform.
HOST_SUPPORT_API HMODULE GetModuleHandleW(const wchar_t* moduleName);
HOST_SUPPORT_API BOOL GetModuleHandleExW(DWORD flags, const wchar_t* moduleNameOrAddress, HMODULE* out);
HOST_SUPPORT_API FARPROC GetProcAddress(HMODULE module, const char* procName);

// Resources of a module: type and name are upper-case wide strings.
HOST_SUPPORT_API HRSRC FindResourceExW(HMODULE module, const wchar_t* type, const wchar_t* name,
                                       std::uint16_t language);
HOST_SUPPORT_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
HOST_SUPPORT_API void* LockResource(HGLOBAL resource);
HOST_SUPPORT_API DWORD SizeofResource(HMODULE module, HRSRC resource);

HOST_SUPPORT_API DWORD GetCurrentThreadId();
HOST_SUPPORT_API void Sleep(DWORD milliseconds);

// The current local date and time: wMonth 1-12, wDayOfWeek 0 = Sunday. [thread-safe]
// The headless host may pin it to a fixed instant so that relative times ("30 minutes ago")
// can be tested.
HOST_SUPPORT_API void GetLocalTime(SYSTEMTIME* time);

// Keyboard state of the UI thread: the high bit is set while the key is down.
HOST_SUPPORT_API SHORT GetKeyState(int virtualKey);
HOST_SUPPORT_API BOOL ClientToScreen(HWND window, POINT* point);
HOST_SUPPORT_API LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // extern "C"

constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr std::uint16_t LANG_ENGLISH_US = 1033;

// The system's libraries, loaded from the system folder only. A portable program lies beside
// whatever else the user downloaded: a library of a system name in its folder must never be loaded
// in place of the system's own.
#pragma once
#include <windows.h>

namespace kelpix {

// Makes the system folder the only place libraries are searched for, for every later load in the
// process, the system's own included (where the system has the call; Windows 8, and 7 with its
// update). The first thing the program does.
void SearchLibrariesInSystemFolderOnly();

// The system library `name` (a bare file name such as L"dwmapi.dll"), from the system folder,
// loaded once and kept; null when it cannot be had.
HMODULE SystemLibrary(const wchar_t* name);

// The function `name` of the system library `library`, or null when either cannot be had.
FARPROC SystemFunction(const wchar_t* library, const char* name);
template <typename F> F SystemFunctionAs(const wchar_t* library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(SystemFunction(library, name)));
}

// Lets `message` reach `window` from programs of lower rights than this one (an elevated program's
// windows refuse their messages otherwise). Nothing where the system has no such filter.
void AllowMessageFromAnyProgram(HWND window, UINT message);

} // namespace kelpix

#include "services/window_finding.h"

#include "services/platform.h"

#include <tlhelp32.h>

#include <functional>
#include <string>
#include <unordered_set>

namespace kelpix {

namespace {

constexpr DWORD kCloaked = 14; // DWMWA_CLOAKED

std::wstring Upper(std::wstring_view text) {
    std::wstring upper(text);
    if (!upper.empty()) CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Visible, and not kept out of sight by the compositor.
bool Seen(HWND window) {
    if (!IsWindowVisible(window)) return false;
    DWORD cloaked = 0;
    const auto attribute = Platform().windowAttribute;
    return !attribute || FAILED(attribute(window, kCloaked, &cloaked, sizeof cloaked)) || cloaked == 0;
}

std::wstring Caption(HWND window) {
    std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()))));
    return caption;
}

struct Search {
    const std::function<bool(HWND)>& picks;
    HWND found = nullptr;
};

BOOL CALLBACK TakeIfPicked(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<Search*>(parameter);
    if (!search.picks(window)) return TRUE;
    search.found = window;
    return FALSE;
}

// The first top-level window, in the screen's order from the top, that `picks` takes.
HWND FirstTopLevel(const std::function<bool(HWND)>& picks) {
    Search search{picks};
    EnumWindows(&TakeIfPicked, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// A process's main window: seen, and owned by no other window.
bool IsMainWindow(HWND window) {
    return GetWindow(window, GW_OWNER) == nullptr && Seen(window);
}

// The processes whose executable is `name` (ignoring case; ".exe" may be left out). The list of
// processes names also those this program may not open (an elevated program's).
std::unordered_set<DWORD> ProcessesNamed(std::wstring_view name) {
    std::unordered_set<DWORD> found;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    const std::wstring withExtension = std::wstring(name) + L".exe";
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        const std::wstring_view exe = entry.szExeFile;
        if (SameIgnoringCase(exe, name) || SameIgnoringCase(exe, withExtension)) found.insert(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

HWND ByTitle(const core::WhichWindow& which) {
    const HWND ownConsole = GetConsoleWindow();
    return FirstTopLevel([&](HWND window) {
        if (window == ownConsole || !Seen(window)) return false;
        const std::wstring caption = Caption(window);
        return ContainsIgnoringCase(caption, which.text) && !ContainsIgnoringCase(caption, which.written);
    });
}

HWND ByHandle(uint32_t number) {
    // Handles are 32-bit values, sign-extended in a 64-bit program (as LongToHandle does).
    const auto window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(number)));
    return IsWindow(window) ? window : nullptr;
}

} // namespace

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view piece) {
    return Upper(text).find(Upper(piece)) != std::wstring::npos;
}

HWND FindWindowFor(const core::WhichWindow& which) {
    using core::WindowChoice;
    switch (which.choice) {
    case WindowChoice::Active:
        return GetForegroundWindow();
    case WindowChoice::UnderPointer: {
        POINT at{};
        return GetCursorPos(&at) ? WindowFromPoint(at) : nullptr;
    }
    case WindowChoice::TitleContains:
        return ByTitle(which);
    case WindowChoice::ProcessName: {
        const std::unordered_set<DWORD> processes = ProcessesNamed(which.text);
        if (processes.empty()) return nullptr;
        return FirstTopLevel([&](HWND window) { return processes.count(ProcessOf(window)) && IsMainWindow(window); });
    }
    case WindowChoice::ProcessId:
        return FirstTopLevel([&](HWND window) { return ProcessOf(window) == which.number && IsMainWindow(window); });
    case WindowChoice::Handle:
        return ByHandle(which.number);
    }
    return nullptr;
}

} // namespace kelpix

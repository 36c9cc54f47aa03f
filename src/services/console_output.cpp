#include "services/console_output.h"

#include <algorithm>

namespace kelpix {

namespace {

// Where a stream's text goes: a console (Unicode) or a pipe or file (bytes); no handle: nowhere.
struct Destination {
    HANDLE handle = nullptr;
    bool console = false;
};

HANDLE StartingConsoleOutput() {
    static const HANDLE output =
        AttachToStartingConsole() ? CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)
                                  : INVALID_HANDLE_VALUE;
    return output == INVALID_HANDLE_VALUE ? nullptr : output;
}

Destination DestinationOf(OutputStream stream) {
    const HANDLE given = GetStdHandle(stream == OutputStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (given && given != INVALID_HANDLE_VALUE) {
        DWORD mode = 0;
        if (GetConsoleMode(given, &mode)) return {given, true};
        // A pipe, a file or a device such as NUL; not a console handle this program cannot use.
        SetLastError(ERROR_SUCCESS);
        if (GetFileType(given) != FILE_TYPE_UNKNOWN || GetLastError() == ERROR_SUCCESS) return {given, false};
    }
    const HANDLE console = StartingConsoleOutput();
    return {console, console != nullptr};
}

// The code page a pipe's or a file's reader decodes the bytes with.
UINT ReaderCodePage() {
    AttachToStartingConsole();
    const UINT console = GetConsoleOutputCP();
    return console != 0 ? console : GetOEMCP();
}

bool WriteConsoleText(HANDLE console, std::wstring_view text) {
    while (!text.empty()) {
        // Older consoles take at most 64 KB in one call.
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(text.size(), 8192));
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data(), wanted, &written, nullptr) || written == 0) return false;
        text.remove_prefix(written);
    }
    return true;
}

bool WriteBytes(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

bool AttachToStartingConsole() {
    // ERROR_ACCESS_DENIED: this program has a console already.
    static const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED;
    return attached;
}

std::string InCodePage(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    // Some code pages (UTF-8 among them) take no flags and no default character.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    const char* unknown = "?";
    int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, unknown, nullptr);
    if (size == 0) {
        flags = 0, unknown = nullptr;
        size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, unknown, nullptr);
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    if (size > 0) WideCharToMultiByte(codePage, flags, text.data(), length, bytes.data(), size, unknown, nullptr);
    return bytes;
}

bool WriteText(OutputStream stream, std::wstring_view text) {
    std::wstring lines;
    lines.reserve(text.size() + 16);
    for (const wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    const Destination destination = DestinationOf(stream);
    if (!destination.handle) return true;
    if (destination.console) return WriteConsoleText(destination.handle, lines);
    return WriteBytes(destination.handle, InCodePage(lines, ReaderCodePage()));
}

} // namespace kelpix

#include "core/file_names.h"

namespace kelpix::core {

namespace {

// The position of the last "\" or ":", or npos.
size_t LastSeparator(std::wstring_view path) {
    return path.find_last_of(L"\\:");
}

} // namespace

std::wstring ChangeFileExt(std::wstring_view path, std::wstring_view ext) {
    const size_t separator = LastSeparator(path);
    const size_t dot = path.rfind(L'.');
    const bool hasExtension =
        dot != std::wstring_view::npos && (separator == std::wstring_view::npos || dot > separator);
    std::wstring result(hasExtension ? path.substr(0, dot) : path);
    result.append(ext);
    return result;
}

std::wstring ExtractFilePath(std::wstring_view path) {
    const size_t separator = LastSeparator(path);
    if (separator == std::wstring_view::npos) return {};
    return std::wstring(path.substr(0, separator + 1));
}

std::wstring DialogFilter(std::wstring_view written) {
    std::wstring filter(written);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.append(2, L'\0');
    return filter;
}

std::wstring TemporaryFileName(std::wstring_view target, uint32_t attempt) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring name = ExtractFilePath(target);
    name += L'~';
    for (int shift = 8; shift >= 0; shift -= 4)
        name += digits[(attempt >> shift) & 0xF];
    return name;
}

std::wstring SettingsFilePath(std::wstring_view exePath) {
    return ChangeFileExt(exePath, L".ini");
}

std::wstring ProgramOfCommand(std::wstring_view command) {
    const size_t first = command.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    command.remove_prefix(first);
    if (command.front() == L'"') {
        command.remove_prefix(1);
        return std::wstring(command.substr(0, command.find(L'"')));
    }
    return std::wstring(command.substr(0, command.find(L' ')));
}

} // namespace kelpix::core

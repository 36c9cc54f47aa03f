#include "core/auto_save_names.h"

#include <algorithm>
#include <array>
#include <cwctype>

namespace kelpix::core {

namespace {

std::wstring TwoDigits(int value) {
    return {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10)};
}

std::wstring ProgramStem(std::wstring_view program) {
    const size_t dot = program.rfind(L'.');
    return std::wstring(dot == std::wstring_view::npos || dot == 0 ? program : program.substr(0, dot));
}

bool IsForbidden(wchar_t c) {
    return c < 0x20 || c == 0x7F || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos;
}

// CON, PRN, AUX, NUL, COM0-COM9, COM¹-COM³ and LPT likewise, in any case, alone or before an
// extension. Windows reads the name up to its first dot without the spaces before that dot, so
// "NUL .png" is the device too.
bool IsDeviceName(std::wstring_view name) {
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.remove_suffix(1);
    std::wstring upper;
    for (wchar_t c : base)
        upper += c < 0x80 ? static_cast<wchar_t>(std::towupper(c)) : c;
    static constexpr std::array<std::wstring_view, 4> plain = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (std::wstring_view device : plain)
        if (upper == device) return true;
    // The superscript digits one, two and three count as digits here.
    const auto isPortDigit = [](wchar_t c) { return (c >= L'0' && c <= L'9') || c == 0xB9 || c == 0xB2 || c == 0xB3; };
    return upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT")) && isPortDigit(upper[3]);
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

} // namespace

std::wstring ExpandNamePattern(std::wstring_view pattern, const CaptureFacts& facts) {
    const std::wstring date = std::to_wstring(facts.year) + L"-" + TwoDigits(facts.month) + L"-" + TwoDigits(facts.day);
    const std::wstring time = TwoDigits(facts.hour) + L"-" + TwoDigits(facts.minute) + L"-" + TwoDigits(facts.second);
    std::wstring number = std::to_wstring(facts.number);
    if (number.size() < 3) number.insert(0, 3 - number.size(), L'0');
    const std::pair<std::wstring_view, std::wstring> tokens[] = {
        {L"<date>", date},           {L"<time>", time},
        {L"<title>", facts.title},   {L"<program>", ProgramStem(facts.program)},
        {L"<n>", std::move(number)},
    };
    std::wstring name;
    for (size_t i = 0; i < pattern.size();) {
        bool replaced = false;
        for (const auto& [token, value] : tokens) {
            if (pattern.substr(i).starts_with(token)) {
                name += value;
                i += token.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) name += pattern[i++];
    }
    return name;
}

std::wstring SafeFileName(std::wstring_view name) {
    std::wstring safe;
    safe.reserve(name.size());
    for (wchar_t c : name)
        safe += IsForbidden(c) ? L'_' : c;
    while (!safe.empty() && (safe.back() == L'.' || safe.back() == L' '))
        safe.back() = L'_';
    if (safe.empty()) return L"_";
    if (IsDeviceName(safe)) safe.insert(0, 1, L'_');
    return safe;
}

std::wstring NumberedPath(std::wstring_view folder, std::wstring_view stem, std::wstring_view extension,
                          uint32_t attempt, size_t longestPath) {
    const std::wstring suffix = attempt <= 1 ? std::wstring() : L" (" + std::to_wstring(attempt) + L")";
    const size_t fixed = folder.size() + suffix.size() + extension.size();
    if (fixed >= longestPath) return {};
    size_t keep = std::min(stem.size(), longestPath - fixed);
    // Never half of a character written as two code units.
    if (keep < stem.size() && keep > 0 && IsHighSurrogate(stem[keep - 1])) --keep;
    if (keep == 0) return {};
    std::wstring path(folder);
    path.append(stem.substr(0, keep)).append(suffix).append(extension);
    return path;
}

NumberedChoice FirstFreeNumberedPath(std::wstring_view folder, std::wstring_view stem, std::wstring_view extension,
                                     size_t longestPath, const std::function<bool(std::wstring_view name)>& taken,
                                     uint32_t firstAttempt) {
    for (uint32_t attempt = std::max<uint32_t>(firstAttempt, 1); attempt <= kMostNumberedNames; ++attempt) {
        std::wstring path = NumberedPath(folder, stem, extension, attempt, longestPath);
        // A longer number leaves less room: once none fits, none after it does either.
        if (path.empty()) return {.tooLong = true};
        if (!taken(std::wstring_view(path).substr(folder.size()))) return {std::move(path), attempt};
    }
    return {};
}

} // namespace kelpix::core

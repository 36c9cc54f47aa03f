// The names of automatically saved captures: a pattern with tokens, made safe for a file name,
// cut to the path limit and numbered when the name is taken.
//
// Tokens (anything else in the pattern is taken as it stands):
//   <date>     the capture's date, 2026-12-08       <time>     its time, 14-05-09
//   <title>    the captured window's title          <program>  its program's file name, without ".exe"
//   <n>        the capture's number since Kelpix started, three digits at least: 001, 002, ...
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kelpix::core {

inline constexpr const wchar_t* kDefaultAutoSaveName = L"Kelpix_<date>_<time>";
// Shown beside the pattern's box.
inline constexpr const wchar_t* kAutoSaveTokens = L"<date> <time> <title> <program> <n>";

struct CaptureFacts {
    int year, month, day, hour, minute, second;
    std::wstring title;   // of the captured window (its top-level window's, for a control)
    std::wstring program; // the file name of the program that owns it, e.g. "notepad.exe"
    uint32_t number;      // the capture's number since the start, from 1
};

// The pattern with its tokens filled in, not yet made safe.
std::wstring ExpandNamePattern(std::wstring_view pattern, const CaptureFacts& facts);

// The name with every character that a file name cannot hold ("\ / : * ? \" < > |" and control
// characters) replaced by "_", and with no dot or space at its end (Windows drops those) and no
// device name (CON, NUL, COM1...) of its own. An empty name becomes "_".
std::wstring SafeFileName(std::wstring_view name);

// The full path for the safe name `stem` with `extension` (".png") in `folder` (ending in "\"),
// as the attempt'th choice: 1 is the name itself, 2 gives "stem (2)", and so on. The stem is cut
// (never inside a character, never its number or extension) so that the path holds at most
// `longestPath` characters; nothing when even one character of stem does not fit.
std::wstring NumberedPath(std::wstring_view folder, std::wstring_view stem, std::wstring_view extension,
                          uint32_t attempt, size_t longestPath);

// How many numbered names an automatic save tries before it gives up.
inline constexpr uint32_t kMostNumberedNames = 10000;

// The first numbered path, from the attempt'th on, whose file name (without the folder) `taken`
// does not report as taken. The folder is read once for the names in it, and the file is written
// once: only a name taken between this choice and the file's arrival costs another try. An empty
// path: `tooLong` when no name fits the limit, else every name up to kMostNumberedNames is taken.
struct NumberedChoice {
    std::wstring path;
    uint32_t attempt = 0;
    bool tooLong = false;
};
NumberedChoice FirstFreeNumberedPath(std::wstring_view folder, std::wstring_view stem, std::wstring_view extension,
                                     size_t longestPath, const std::function<bool(std::wstring_view name)>& taken,
                                     uint32_t firstAttempt = 1);

} // namespace kelpix::core

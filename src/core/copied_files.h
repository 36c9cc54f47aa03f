// The PNG files that copying a capture as a file puts in Kelpix's own folder under the user's
// temporary folder, for the program the user pastes into to take. At start-up those written more
// than a day before are removed; nothing else in the folder is ever touched.
//
// The program's own files are told by their whole name, as CopiedFileStem and NumberedPath make
// it: "Kelpix_" + the capture's date and time + an optional number + ".png", for instance
// "Kelpix_2026-12-08_14-05-09.png" or "Kelpix_2026-12-08_14-05-09 (2).png", in exactly these
// letters and digits. Any other name (another extension or case, a name cut short, a word added)
// and every folder stay where they are.
#pragma once

#include <chrono>
#include <cstdint>
#include <ratio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/auto_save_names.h"

namespace kelpix::core {

inline constexpr const wchar_t* kCopiedFilesFolder = L"Kelpix"; // in the temporary folder
inline constexpr const wchar_t* kCopiedFileExtension = L".png";

// How long a copied file is left for a paste to take before start-up removes it.
inline constexpr std::chrono::hours kCopiedFileLifetime{24};

// The name of a copied capture without number and extension: "Kelpix_2026-12-08_14-05-09". A name
// already taken gets " (2)", " (3)"... through NumberedPath.
std::wstring CopiedFileStem(const CaptureFacts& facts);

// True for a name the program gives a copied file (see above).
bool IsCopiedFileName(std::wstring_view name);

// A moment as the file system gives it: 100-nanosecond ticks since 1 January 1601, UTC (a
// FILETIME read as one 64-bit number).
using FileTime = std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>;

struct FolderEntry {
    std::wstring name; // without the folder
    FileTime lastWrite;
    bool isFolder = false;
};

// The names, in the entries' order, of the program's copied files written more than
// kCopiedFileLifetime before `now`. A file whose time lies ahead of `now` stays.
std::vector<std::wstring> StaleCopiedFiles(std::span<const FolderEntry> entries, FileTime now);

} // namespace kelpix::core

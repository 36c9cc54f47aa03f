#include "services/copied_file.h"

#include "core/copied_files.h"
#include "services/auto_save.h"
#include "services/image_files.h"
#include "services/texts.h"

#include <shlobj.h>

#include <cstring>
#include <vector>

namespace kelpix {

namespace {

// The name the image's file takes: only a name start-up knows for one of its own, so that it goes
// again in a day.
std::wstring StemOf(const CapturedImage& image) {
    const std::wstring stem = core::CopiedFileStem(image.facts);
    if (image.facts.year > 0 && core::IsCopiedFileName(stem + core::kCopiedFileExtension)) return stem;
    return core::CopiedFileStem(CaptureFactsOf(nullptr));
}

core::FileTime TimeOf(const FILETIME& time) {
    return core::FileTime((static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

} // namespace

std::wstring CopiedFilesFolder() {
    wchar_t temporary[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
    if (length == 0 || length > MAX_PATH) return {};
    std::wstring folder(temporary, length);
    if (folder.back() != L'\\') folder += L'\\';
    return folder + core::kCopiedFilesFolder + L"\\";
}

std::wstring WriteCopiedFile(const CapturedImage& image) {
    return SaveIntoFolder(CopiedFilesFolder(), StemOf(image), ImageFormat::Png, image, Texts().copiedFileFailedFormat);
}

void RemoveStaleCopiedFiles() {
    const std::wstring folder = CopiedFilesFolder();
    if (folder.empty()) return;
    std::vector<core::FolderEntry> entries;
    WIN32_FIND_DATAW found{};
    HANDLE search =
        FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        entries.push_back(
            {found.cFileName, TimeOf(found.ftLastWriteTime), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    for (const std::wstring& name : core::StaleCopiedFiles(entries, TimeOf(now)))
        DeleteFileW((folder + name).c_str());
}

GlobalMemory FileListOf(const std::wstring& path) {
    // The path ends in one null, the list in a second.
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
    auto* list = memory ? static_cast<DROPFILES*>(GlobalLock(memory.get())) : nullptr;
    if (!list) return {};
    list->pFiles = sizeof(DROPFILES);
    list->fWide = TRUE;
    std::memcpy(reinterpret_cast<BYTE*>(list) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(memory.get());
    return memory;
}

} // namespace kelpix

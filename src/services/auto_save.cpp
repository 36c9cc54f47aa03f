#include "services/auto_save.h"

#include "core/auto_save_names.h"
#include "services/image_files.h"
#include "services/late_library.h"
#include "services/texts.h"
#include "toolkit/error.h"
#include "toolkit/handles.h"
#include "toolkit/window.h"

#include <shlobj.h>

namespace kelpix {

namespace {

// The folder and the reason in the message shown; the path that failed, the reason alone and the
// system's code for a caller that words it otherwise.
[[noreturn]] void Fail(const std::wstring& folder, const std::wstring& shownReason, const std::wstring& path,
                       const std::wstring& reason, DWORD code = ERROR_SUCCESS) {
    throw FileError(FormatError(Texts().autoSaveFailedFormat, {folder, shownReason}), path, reason, code);
}

[[noreturn]] void FolderRefused(const std::wstring& folder, DWORD code) {
    const std::wstring reason = SystemMessage(code);
    Fail(folder, reason, folder, reason, code);
}

core::CaptureFacts FactsNumbered(core::CaptureFacts facts, uint32_t number) {
    facts.number = number;
    return facts;
}

std::wstring WithSeparator(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

} // namespace

std::wstring AutoSaveFolder(const core::Settings& settings) {
    if (!settings.auto_save_folder.empty()) return WithSeparator(settings.auto_save_folder);
    wchar_t pictures[MAX_PATH] = {};
    const auto folderPath = RequiredLateFunction<decltype(&SHGetFolderPathW)>(L"shell32.dll", "SHGetFolderPathW");
    if (FAILED(folderPath(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures))) return {};
    return WithSeparator(pictures) + L"Kelpix\\";
}

std::wstring SaveAutomatically(const CapturedImage& image, const core::Settings& settings, uint32_t number) {
    const std::wstring folder = AutoSaveFolder(settings);
    if (folder.empty()) FolderRefused(L"", ERROR_PATH_NOT_FOUND);
    const auto makeFolder =
        RequiredLateFunction<decltype(&SHCreateDirectoryExW)>(L"shell32.dll", "SHCreateDirectoryExW");
    const int made = makeFolder(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
        FolderRefused(folder, static_cast<DWORD>(made));
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        FolderRefused(folder, ERROR_DIRECTORY);

    const std::wstring stem =
        core::SafeFileName(core::ExpandNamePattern(settings.auto_save_name, FactsNumbered(image.facts, number)));
    try {
        return SaveImageUnderFreeName(folder, stem, settings.auto_save_format, image);
    } catch (const FileError& e) {
        Fail(folder, e.Message(), e.Path(), e.Reason(), e.Code());
    } catch (const Error& e) {
        Fail(folder, e.Message(), folder, e.Message());
    } catch (const std::bad_alloc&) {
        Fail(folder, Texts().outOfMemory, folder, Texts().outOfMemory);
    }
}

} // namespace kelpix

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

// The message shown is `failedFormat` with the folder and the reason; the path that failed, the
// reason alone and the system's code are for a caller that words it otherwise.
struct FolderFailure {
    const std::wstring& folder;
    const wchar_t* failedFormat;

    [[noreturn]] void Fail(const std::wstring& shownReason, const std::wstring& path, const std::wstring& reason,
                           DWORD code = ERROR_SUCCESS) const {
        throw FileError(FormatError(failedFormat, {folder, shownReason}), path, reason, code);
    }
    [[noreturn]] void Refused(DWORD code) const {
        const std::wstring reason = SystemMessage(code);
        Fail(reason, folder, reason, code);
    }
};

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
    const std::wstring stem =
        core::SafeFileName(core::ExpandNamePattern(settings.auto_save_name, FactsNumbered(image.facts, number)));
    return SaveIntoFolder(AutoSaveFolder(settings), stem, settings.auto_save_format, image,
                          Texts().autoSaveFailedFormat);
}

std::wstring SaveIntoFolder(const std::wstring& folder, const std::wstring& stem, ImageFormat format,
                            const CapturedImage& image, const wchar_t* failedFormat) {
    const FolderFailure failure{folder, failedFormat};
    if (folder.empty()) failure.Refused(ERROR_PATH_NOT_FOUND);
    const auto makeFolder =
        RequiredLateFunction<decltype(&SHCreateDirectoryExW)>(L"shell32.dll", "SHCreateDirectoryExW");
    const int made = makeFolder(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
        failure.Refused(static_cast<DWORD>(made));
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        failure.Refused(ERROR_DIRECTORY);
    try {
        return SaveImageUnderFreeName(folder, stem, format, image);
    } catch (const FileError& e) {
        failure.Fail(e.Message(), e.Path(), e.Reason(), e.Code());
    } catch (const Error& e) {
        failure.Fail(e.Message(), folder, e.Message());
    } catch (const std::bad_alloc&) {
        failure.Fail(Texts().outOfMemory, folder, Texts().outOfMemory);
    }
}

} // namespace kelpix

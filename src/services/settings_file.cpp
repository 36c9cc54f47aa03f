#include "services/settings_file.h"

#include "core/file_names.h"
#include "services/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/handles.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string_view>
#include <utility>
#include <vector>

namespace kelpix {

namespace {

constexpr wchar_t kSection[] = L"Option";
constexpr DWORD kValueBuffer = 2048; // a value longer than 2047 characters comes back cut
constexpr wchar_t kByteOrderMark = 0xFEFF;
// A section longer than this is no settings file of Kelpix's: it is not read.
constexpr size_t kLargestSection = size_t{1} << 20;

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file's section, read in one call rather than one per key (each of which reads the file
// again). Each key's value is what GetPrivateProfileStringW gives for it: that of the first line of
// the name in any case, without the spaces round it or one pair of quotes round it, cut after
// kValueBuffer - 1 characters.
class Section {
public:
    explicit Section(const std::wstring& path) {
        std::vector<wchar_t> text(4096);
        // A section that does not fit comes back cut, two characters short of the buffer.
        while (GetPrivateProfileSectionW(kSection, text.data(), static_cast<DWORD>(text.size()), path.c_str()) >=
               text.size() - 2) {
            if (text.size() >= kLargestSection)
                throw SettingsFileTooLarge(FormatError(Texts().settingsTooLargeFormat, {path}));
            text.resize(text.size() * 2);
        }
        for (const wchar_t* line = text.data(); *line; line += std::wcslen(line) + 1) {
            const std::wstring_view entry(line);
            const size_t equals = entry.find(L'=');
            lines_.emplace_back(Trimmed(entry.substr(0, equals)),
                                equals == entry.npos ? std::wstring_view() : Trimmed(entry.substr(equals + 1)));
        }
    }

    std::wstring Text(const wchar_t* key) const {
        for (const auto& [name, value] : lines_) {
            if (CompareStringOrdinal(name.data(), static_cast<int>(name.size()), key, -1, TRUE) != CSTR_EQUAL) continue;
            std::wstring_view text = value;
            if (text.size() > 1 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front())
                text = text.substr(1, text.size() - 2);
            return std::wstring(text.substr(0, kValueBuffer - 1));
        }
        return {};
    }

private:
    static std::wstring_view Trimmed(std::wstring_view text) {
        const size_t first = text.find_first_not_of(L" \t");
        if (first == text.npos) return {};
        return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
    }

    std::vector<std::pair<std::wstring, std::wstring>> lines_; // name and value, trimmed
};

[[noreturn]] void CannotWrite(const std::wstring& path) {
    throw FormatError(Texts().cannotWriteFormat, {path});
}

// Whether a value holds a character the ANSI code page has not.
bool NeedsUnicodeFile(const core::Settings& s) {
    const auto rows = core::SettingRows();
    return std::any_of(rows.begin(), rows.end(),
                       [&](const core::SettingRow& row) { return !FitsAnsiCodePage(core::FileText(row, s)); });
}

// Turns the file (if any) into UTF-16 with a byte-order mark, its text read in the ANSI code page,
// unless it is UTF-16 already. The new form is written beside it and then takes its place.
void MakeUnicodeFile(const std::wstring& path) {
    std::string bytes;
    if (IsExistingFile(path)) {
        KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) CannotWrite(path);
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 24)) CannotWrite(path);
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                               read != bytes.size()))
            CannotWrite(path);
        if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE)
            return;
    }
    std::wstring text(1, kByteOrderMark);
    if (!bytes.empty()) {
        const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        text.resize(1 + static_cast<size_t>(n));
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data() + 1, n);
    }
    const std::wstring temp = path + L".new";
    {
        KernelHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) CannotWrite(path);
        const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        DWORD written = 0;
        if (!WriteFile(file.get(), text.data(), size, &written, nullptr) || written != size) {
            file.reset();
            DeleteFileW(temp.c_str());
            CannotWrite(path);
        }
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        CannotWrite(path);
    }
}

// Drops the system's cached copy of the file when it goes out of scope, so a write is on the disk
// and the next read sees the disk, also after a refused write.
class ProfileFlush {
public:
    explicit ProfileFlush(const std::wstring& path) : path_(path) {}
    ~ProfileFlush() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str()); }
    ProfileFlush(const ProfileFlush&) = delete;
    ProfileFlush& operator=(const ProfileFlush&) = delete;

private:
    const std::wstring& path_;
};

} // namespace

std::wstring DefaultSettingsPath() {
    return core::SettingsFilePath(Application::ExePath());
}

std::optional<core::Settings> ReadSettingsFile(const std::wstring& path) {
    if (!IsExistingFile(path)) return std::nullopt;
    ProfileFlush flush(path);
    const Section file(path);
    return core::SettingsFromFile([&](const wchar_t* key) { return file.Text(key); });
}

void WriteSettingsFile(const std::wstring& path, const core::Settings& s) {
    ProfileFlush flush(path);
    if (NeedsUnicodeFile(s)) {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str()); // nothing cached over the change
        MakeUnicodeFile(path);
    }
    for (const core::SettingRow& row : core::SettingRows())
        if (!WritePrivateProfileStringW(kSection, row.fileKey, core::FileText(row, s).c_str(), path.c_str()))
            CannotWrite(path);
}

} // namespace kelpix

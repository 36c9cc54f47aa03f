#include "services/settings_file.h"

#include "core/file_names.h"
#include "core/text_to_int.h"
#include "services/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/handles.h"

#include <vector>

namespace kelpix {

namespace {

constexpr wchar_t kSection[] = L"Option";
constexpr DWORD kValueBuffer = 2048; // a value longer than 2047 characters comes back cut
constexpr wchar_t kByteOrderMark = 0xFEFF;

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ReadText(const std::wstring& path, const wchar_t* key) {
    wchar_t value[kValueBuffer] = {};
    GetPrivateProfileStringW(kSection, key, L"", value, kValueBuffer, path.c_str());
    return value;
}

int32_t ReadInt(const std::wstring& path, const wchar_t* key) {
    // Integers are plain ASCII; any other character makes the value unreadable.
    std::string text;
    for (wchar_t c : ReadText(path, key))
        text += c < 0x80 ? static_cast<char>(c) : '\x01';
    return core::TextToInt(text, 0);
}

// A shortcut key: absent, the default; a value that is no key, none.
uint16_t ReadHotKey(const std::wstring& path, const wchar_t* key, uint16_t absent) {
    if (ReadText(path, key).empty()) return absent;
    const int32_t value = ReadInt(path, key);
    return value > 0 && value <= 0xFFFF ? static_cast<uint16_t>(value) : 0;
}

[[noreturn]] void CannotWrite(const std::wstring& path) {
    throw FormatError(Texts().cannotWriteFormat, {path});
}

void WriteText(const std::wstring& path, const wchar_t* key, const std::wstring& value) {
    if (!WritePrivateProfileStringW(kSection, key, value.c_str(), path.c_str())) CannotWrite(path);
}

void WriteInt(const std::wstring& path, const wchar_t* key, int32_t value) {
    WriteText(path, key, std::to_wstring(value));
}

// In hexadecimal, where the modifiers (high byte) and the key (low byte) can be read apart.
void WriteHotKey(const std::wstring& path, const wchar_t* key, uint16_t value) {
    wchar_t text[8] = L"0";
    if (value != 0) wsprintfW(text, L"0x%04X", value);
    WriteText(path, key, text);
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
    core::Settings s;
    s.close_to_tray = ReadInt(path, L"CloseTask") != 0;
    s.start_in_tray = ReadInt(path, L"KidoTask") != 0;
    s.restore_toggles = ReadInt(path, L"Fukugen") != 0;
    if (s.restore_toggles) {
        s.draw_cursor = ReadInt(path, L"MouseCapture") != 0;
        s.delayed_capture = ReadInt(path, L"TimeCapture") != 0;
        s.delay_seconds = ReadInt(path, L"Time");
    }
    s.save_folder = ReadText(path, L"SaveDir");
    s.language = core::LanguageSetting(ReadInt(path, L"Language"));
    // Keys newer files have; absent, each reads as its default, as files written before it existed do.
    s.print_window = ReadInt(path, L"PrintWindow") != 0;
    s.auto_save = ReadInt(path, L"AutoSave") != 0;
    s.auto_save_folder = ReadText(path, L"AutoSaveDir");
    if (const int32_t format = ReadInt(path, L"AutoSaveFormat"); format >= 1 && format <= 3)
        s.auto_save_format = format;
    if (std::wstring name = ReadText(path, L"AutoSaveName"); !name.empty()) s.auto_save_name = std::move(name);
    s.pointer_window_key = ReadHotKey(path, L"PointerWindowKey", s.pointer_window_key);
    s.active_window_key = ReadHotKey(path, L"ActiveWindowKey", s.active_window_key);
    return s;
}

void WriteSettingsFile(const std::wstring& path, const core::Settings& s) {
    ProfileFlush flush(path);
    if (!FitsAnsiCodePage(s.save_folder) || !FitsAnsiCodePage(s.auto_save_folder) ||
        !FitsAnsiCodePage(s.auto_save_name)) {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str()); // nothing cached over the change
        MakeUnicodeFile(path);
    }
    WriteInt(path, L"CloseTask", s.close_to_tray);
    WriteInt(path, L"KidoTask", s.start_in_tray);
    WriteInt(path, L"Fukugen", s.restore_toggles);
    WriteInt(path, L"MouseCapture", s.draw_cursor);
    WriteInt(path, L"TimeCapture", s.delayed_capture);
    WriteInt(path, L"Time", s.delay_seconds);
    WriteText(path, L"SaveDir", s.save_folder);
    WriteInt(path, L"Language", static_cast<int32_t>(s.language));
    WriteInt(path, L"PrintWindow", s.print_window);
    WriteInt(path, L"AutoSave", s.auto_save);
    WriteText(path, L"AutoSaveDir", s.auto_save_folder);
    WriteInt(path, L"AutoSaveFormat", s.auto_save_format);
    WriteText(path, L"AutoSaveName", s.auto_save_name);
    WriteHotKey(path, L"PointerWindowKey", s.pointer_window_key);
    WriteHotKey(path, L"ActiveWindowKey", s.active_window_key);
}

} // namespace kelpix

#include "main/settings_file.h"

#include "core/file_names.h"
#include "core/text_to_int.h"
#include "main/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"

namespace kelpix {

namespace {

constexpr char kSection[] = "Option";
constexpr DWORD kValueBuffer = 2048; // a value longer than 2047 bytes comes back cut

bool IsExistingFile(const std::string& path) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadText(const std::string& path, const char* key) {
    char value[kValueBuffer] = {};
    GetPrivateProfileStringA(kSection, key, "", value, kValueBuffer, path.c_str());
    return value;
}

int32_t ReadInt(const std::string& path, const char* key) {
    return core::TextToInt(ReadText(path, key), 0);
}

void WriteText(const std::string& path, const char* key, const std::string& value) {
    if (!WritePrivateProfileStringA(kSection, key, value.c_str(), path.c_str()))
        throw FormatError(texts::kCannotWriteFormat, path.c_str());
}

void WriteInt(const std::string& path, const char* key, int32_t value) {
    WriteText(path, key, std::to_string(value));
}

// Drops the system's cached copy of the file when it goes out of scope, so a write is on the disk
// and the next read sees the disk, also after a refused write.
class ProfileFlush {
public:
    explicit ProfileFlush(const std::string& path) : path_(path) {}
    ~ProfileFlush() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str()); }
    ProfileFlush(const ProfileFlush&) = delete;
    ProfileFlush& operator=(const ProfileFlush&) = delete;

private:
    const std::string& path_;
};

} // namespace

std::string DefaultSettingsPath() {
    return core::SettingsFilePath(Application::ExePath(), Application::AnsiLeadBytes());
}

std::optional<core::Settings> ReadSettingsFile(const std::string& path) {
    if (!IsExistingFile(path)) return std::nullopt;
    ProfileFlush flush(path);
    core::Settings s;
    s.close_to_tray = ReadInt(path, "CloseTask") != 0;
    s.start_in_tray = ReadInt(path, "KidoTask") != 0;
    s.restore_toggles = ReadInt(path, "Fukugen") != 0;
    if (s.restore_toggles) {
        s.draw_cursor = ReadInt(path, "MouseCapture") != 0;
        s.delayed_capture = ReadInt(path, "TimeCapture") != 0;
        s.delay_seconds = ReadInt(path, "Time");
    }
    s.save_folder = ReadText(path, "SaveDir");
    return s;
}

void WriteSettingsFile(const std::string& path, const core::Settings& s) {
    ProfileFlush flush(path);
    WriteInt(path, "CloseTask", s.close_to_tray);
    WriteInt(path, "KidoTask", s.start_in_tray);
    WriteInt(path, "Fukugen", s.restore_toggles);
    WriteInt(path, "MouseCapture", s.draw_cursor);
    WriteInt(path, "TimeCapture", s.delayed_capture);
    WriteInt(path, "Time", s.delay_seconds);
    WriteText(path, "SaveDir", s.save_folder);
}

} // namespace kelpix

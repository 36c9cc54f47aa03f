// The settings file: section "Option" of an INI file beside the executable, read once at start-up
// and written at the moments the user changes something (never at exit).
#include "main/kelpix_main.h"
#include "toolkit/application.h"

#include "core/file_names.h"
#include "core/text_to_int.h"
#include "main/texts.h"
#include "toolkit/error.h"

#include <string>

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

// A value that is not an integer reads as 0.
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

std::string TKelpix::DefaultIniPath() {
    return core::SettingsFilePath(Application::ExePath(), Application::AnsiLeadBytes());
}

bool TKelpix::ReadSettings() {
    const std::string& path = IniPath;
    if (!IsExistingFile(path)) return false;
    ProfileFlush flush(path);
    TOptionSettings& s = OptionSettings;
    s.CloseTask = ReadInt(path, "CloseTask") != 0;
    s.KidoTask = ReadInt(path, "KidoTask") != 0;
    s.Fukugen = ReadInt(path, "Fukugen") != 0;
    if (s.Fukugen) {
        s.MouseCapture = ReadInt(path, "MouseCapture") != 0;
        s.TimeCapture = ReadInt(path, "TimeCapture") != 0;
        s.Time = ReadInt(path, "Time");
    }
    s.SaveDir = ReadText(path, "SaveDir");
    return true;
}

bool TKelpix::WriteSettings() {
    const std::string& path = IniPath;
    const TOptionSettings& s = OptionSettings;
    ProfileFlush flush(path);
    WriteInt(path, "CloseTask", s.CloseTask);
    WriteInt(path, "KidoTask", s.KidoTask);
    WriteInt(path, "Fukugen", s.Fukugen);
    WriteInt(path, "MouseCapture", s.MouseCapture);
    WriteInt(path, "TimeCapture", s.TimeCapture);
    WriteInt(path, "Time", s.Time);
    WriteText(path, "SaveDir", s.SaveDir);
    return true;
}

} // namespace kelpix

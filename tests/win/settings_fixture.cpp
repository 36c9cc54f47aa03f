#include "settings_fixture.h"

#include "core/sjis.h"

#include <atomic>

namespace kelpix::test {

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\");
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

TempFolder::TempFolder(const std::string& sub) {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    root_ =
        std::string(temp) + "kelpix-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) + "\\";
    CreateDirectoryA(root_.c_str(), nullptr);
    path_ = root_;
    // Each folder of `sub` in turn, stepping over double-byte characters.
    for (std::size_t i = 0; i < sub.size(); ++i) {
        if (core::IsSjisLeadByte(static_cast<unsigned char>(sub[i])) && i + 1 < sub.size()) {
            path_ += sub.substr(i++, 2);
            continue;
        }
        path_ += sub[i];
        if (sub[i] == '\\') CreateDirectoryA(path_.c_str(), nullptr);
    }
}

TempFolder::~TempFolder() {
    RemoveTree(root_);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadBytes(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void ClickControl(HWND control) {
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void ClickArrow(HWND upDown, bool up) {
    RECT r{};
    GetClientRect(upDown, &r);
    LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
    SendMessageA(upDown, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(upDown, WM_LBUTTONUP, 0, at);
}

Program& SettingsTest::Start(const std::string& ini) {
    Stop();
    program_ = StartProgram(ini.empty() ? IniFile() : ini);
    return *program_;
}

void SettingsTest::WriteIni(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    WriteBytes(IniFile(), text);
}

} // namespace kelpix::test

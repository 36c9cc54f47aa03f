#include "settings_fixture.h"
#include "test_support.h"
#include "toolkit/error.h"

#include <atomic>
#include <functional>

namespace kelpix::test {

namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + L"\\");
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

void CALLBACK CloseLeftDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (OptionsDialog* left = ShownDialog(); left && left->ModalResult() == 0) left->Close();
}

} // namespace

OptionsDialog* ShownDialog() {
    for (HWND wnd = nullptr; (wnd = FindWindowExA(nullptr, wnd, "TOptionDlg", nullptr)) != nullptr;)
        if (IsWindowVisible(wnd)) return dynamic_cast<OptionsDialog*>(Window::FromHandle(wnd));
    return nullptr;
}

void WhileDialogUp(MainWindow& main, const std::function<void(OptionsDialog&)>& inside) {
    bool ran = false;
    RunFromLoop([&] {
        OptionsDialog* dialog = ShownDialog();
        ASSERT_NE(dialog, nullptr);
        ran = true;
        inside(*dialog);
    });
    UINT_PTR guard = SetTimer(nullptr, 0, 10000, &CloseLeftDialog);
    SendMessageA(main.Handle(), WM_COMMAND, MenuId(core::Command::Options), 0);
    KillTimer(nullptr, guard);
    EXPECT_TRUE(ran) << "the dialog did not come up";
}

TempFolder::TempFolder(const std::wstring& sub) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"kelpix-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++) + L"\\";
    CreateDirectoryW(root_.c_str(), nullptr);
    path_ = root_;
    for (wchar_t c : sub) {
        path_ += c;
        if (c == L'\\') CreateDirectoryW(path_.c_str(), nullptr);
    }
}

TempFolder::~TempFolder() {
    RemoveTree(root_);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Utf8(path);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

Program& SettingsTest::Start(const std::wstring& ini) {
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

// A main window on a settings file in a fresh temporary folder, with helpers to write and read
// that file as bytes and to click the window's controls as the mouse does.
#pragma once
#include "main_window_fixture.h"
#include "ui/options_dialog.h"
#include "toolkit/application.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kelpix::test {

// A folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    // `sub`: further folders below the unique one, e.g. L"表ソ\\"; created too.
    explicit TempFolder(const std::wstring& sub = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder, ending in "\".
    const std::wstring& Path() const { return path_; }

private:
    std::wstring root_, path_;
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

// The options dialog on the screen, or null.
OptionsDialog* ShownDialog();
// Runs `inside` while the dialog the options command opens is up. A dialog still open long after
// is closed with its close box, so that a failing test ends.
void WhileDialogUp(MainWindow& main, const std::function<void(OptionsDialog&)>& inside);

// Presses and releases the left button on a control, as a click does.
void ClickControl(HWND control);
// Clicks the upper or the lower arrow of an up-down control.
void ClickArrow(HWND upDown, bool up);

class SettingsTest : public ::testing::Test {
protected:
    void TearDown() override { Stop(); }

    // The program as at start-up, on the settings file `ini` (by default Kelpix.ini in the folder).
    Program& Start(const std::wstring& ini = {});
    void Stop() { StopProgram(program_); }
    MainWindow& main() { return program_->Main(); }
    std::wstring IniFile() const { return folder_.Path() + L"Kelpix.ini"; }
    // Writes the settings file of the folder with these lines.
    void WriteIni(const std::vector<std::string>& lines) const;

    TempFolder folder_;
    std::unique_ptr<Program> program_;
};

} // namespace kelpix::test

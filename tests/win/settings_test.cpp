// The settings file as the system's profile functions write and read it, and the main window's
// toggles that write it.
#include "settings_fixture.h"
#include "test_support.h"

#include "core/file_names.h"

#include <commctrl.h>

#include <algorithm>

using namespace kelpix;
using namespace kelpix::test;

namespace {

std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines = Lines(text);
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

TEST_F(SettingsTest, ValuesAreReadBackAtStartUpAndTheTogglesShowThem) {
    WriteIni(
        {"[Option]", "CloseTask=1", "Fukugen=1", "MouseCapture=1", "TimeCapture=yes", "Time=30", "SaveDir=C:\\pics\\"});
    Program& program = Start();
    core::Settings expected{.close_to_tray = true,
                            .restore_toggles = true,
                            .draw_cursor = true,
                            .delay_seconds = 30,
                            .save_folder = "C:\\pics\\"};
    EXPECT_EQ(program.Session().settings(), expected) << "\"yes\" is no integer and reads as 0";
    EXPECT_TRUE(main().CursorButton().Down());
    EXPECT_FALSE(main().DelayButton().Down());
    EXPECT_EQ(SendMessageA(main().DelayArrows(), UDM_GETPOS32, 0, 0), 30);
}

TEST_F(SettingsTest, TheTogglesWriteAllSevenKeysUnderOptionOnlyWithFukugen) {
    Start();
    ClickControl(main().CursorButton().Handle());
    EXPECT_FALSE(FileExists(IniFile()));

    WriteIni({"[Option]", "Fukugen=1", "Time=30"});
    Start();
    ClickControl(main().CursorButton().Handle());
    EXPECT_EQ(SortedLines(ReadBytes(IniFile())),
              (std::vector<std::string>{"CloseTask=0", "Fukugen=1", "KidoTask=0", "MouseCapture=1",
                                        "SaveDir=", "Time=30", "TimeCapture=0", "[Option]"}));
}

TEST_F(SettingsTest, FoldersWhoseNamesEndInTrailByte5CHoldTheFile) {
    // The executable in C:\...\表ソ\ソ\: each folder's name ends in the byte 0x5C.
    TempFolder japanese(kHyo + kSo + "\\" + kSo + "\\");
    const std::string ini = core::SettingsFilePath(japanese.Path() + "Kelpix.exe", Application::AnsiLeadBytes());
    WriteBytes(ini, "[Option]\r\nFukugen=1\r\n");
    Start(ini);
    ClickControl(main().CursorButton().Handle());

    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((japanese.Path() + "*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::string> names;
    do
        if (found.cFileName[0] != '.') names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(names, std::vector<std::string>{"Kelpix.ini"});
    EXPECT_TRUE(Start(ini).Session().settings().draw_cursor);
}

TEST_F(SettingsTest, ARefusedWriteIsShownAndTheSettingsStay) {
    WriteIni({"[Option]", "Fukugen=1", "Time=3"});
    Start();
    const std::string before = ReadBytes(IniFile());
    // Another program has the file open and lets nobody write it. (A read-only attribute would do
    // on Windows, but Wine lets root write read-only files.)
    HANDLE held = CreateFileA(IniFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        MessageBoxAnswerer answer;
        ClickControl(main().CursorButton().Handle());
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), IniFile() + " に書き込めません.");
    }
    EXPECT_TRUE(program_->Session().settings().draw_cursor);
    EXPECT_TRUE(main().CursorButton().Down());
    EXPECT_EQ(ReadBytes(IniFile()), before);

    // Once the file may be written again, the next write stores what was kept.
    CloseHandle(held);
    ClickArrow(main().DelayArrows(), true);
    const core::Settings& again = Start().Session().settings();
    EXPECT_TRUE(again.draw_cursor);
    EXPECT_EQ(again.delay_seconds, 4);
}

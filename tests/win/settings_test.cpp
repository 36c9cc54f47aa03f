// The settings file as the system's profile functions write and read it, and the main window's
// toggles that write it.
#include "settings_fixture.h"
#include "test_support.h"

#include "core/file_names.h"
#include "services/settings_file.h"
#include "toolkit/error.h"

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
    WriteIni({"[Option]", "CloseTask=1", "Fukugen=1", "MouseCapture=1", "TimeCapture=yes", "Time=30",
              "SaveDir=C:\\pics\\", "Language=2", "PrintWindow=1"});
    Program& program = Start();
    core::Settings expected;
    expected.close_to_tray = expected.restore_toggles = expected.draw_cursor = true;
    expected.delay_seconds = 30;
    expected.save_folder = L"C:\\pics\\";
    expected.language = core::Language::English;
    expected.print_window = true;
    EXPECT_EQ(program.Session().settings(), expected) << "\"yes\" is no integer and reads as 0";
    EXPECT_TRUE(main().CursorButton().Down());
    EXPECT_FALSE(main().DelayButton().Down());
    EXPECT_EQ(SendMessageA(main().DelayArrows(), UDM_GETPOS32, 0, 0), 30);
}

TEST_F(SettingsTest, AShiftJisFileFromEarlierVersionsReadsAsBefore) {
    if (GetACP() != 932) GTEST_SKIP() << "the file is read in the system's code page, here " << GetACP();
    // "C:\表ソ\" in Shift-JIS: both characters end in the byte of "\".
    WriteBytes(IniFile(), "[Option]\r\nKidoTask=1\r\nSaveDir=C:\\\x95\x5C\x83\x5C\\\r\n");
    const core::Settings& read = Start().Session().settings();
    EXPECT_EQ(read.save_folder, L"C:\\表ソ\\");
    EXPECT_TRUE(read.start_in_tray);
    EXPECT_EQ(read.language, core::Language::Automatic);
}

// A file edited by hand reads as the system's profile functions read it: the first section named
// Option in any case, the first of a key in any case, spaces round names and values dropped, one
// pair of quotes round a value taken off, a name without a value read as empty; UTF-16 as well.
TEST_F(SettingsTest, AHandEditedFileReadsAsTheProfileFunctionsReadIt) {
    WriteIni({"[Other]", "Time=7", "[option]", "fukugen=1", " savedir = \"C:\\q\\\" ", "TIME=5", "Time=9",
              "AutoSaveName='a b'", "AutoSaveDir=\"C:\\open", "Language", "=1", "[Option]", "KidoTask=1"});
    std::optional<core::Settings> read = ReadSettingsFile(IniFile());
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->restore_toggles);
    EXPECT_EQ(read->save_folder, L"C:\\q\\");
    EXPECT_EQ(read->delay_seconds, 5);
    EXPECT_EQ(read->auto_save_name, L"a b");
    EXPECT_EQ(read->auto_save_folder, L"\"C:\\open");
    EXPECT_EQ(read->language, core::Language::Automatic);
    EXPECT_FALSE(read->start_in_tray) << "a second section of the name is not read";

    const std::wstring text = L"\xFEFF[Option]\r\nSaveDir=C:\\한국어\\\r\nCloseTask=1\r\n";
    WriteBytes(IniFile(), std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    read = ReadSettingsFile(IniFile());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->save_folder, L"C:\\한국어\\");
    EXPECT_TRUE(read->close_to_tray);
}

TEST_F(SettingsTest, TheTogglesWriteEveryKeyUnderOptionOnlyWithFukugen) {
    Start();
    ClickControl(main().CursorButton().Handle());
    EXPECT_FALSE(FileExists(IniFile()));

    WriteIni({"[Option]", "Fukugen=1", "Time=30"});
    Start();
    ClickControl(main().CursorButton().Handle());
    core::Settings expected;
    expected.restore_toggles = expected.draw_cursor = true;
    expected.delay_seconds = 30;
    std::string written = "[Option]\r\n";
    for (const core::SettingRow& row : core::SettingRows())
        written += Utf8(row.fileKey) + "=" + Utf8(core::FileText(row, expected)) + "\r\n";
    EXPECT_EQ(SortedLines(ReadBytes(IniFile())), SortedLines(written));
}

TEST_F(SettingsTest, AProgramInAFolderNamedInAnyScriptKeepsItsSettingsBesideIt) {
    TempFolder unicode(L"表ソ\\한국어 😀\\");
    const std::wstring ini = core::SettingsFilePath(unicode.Path() + L"Kelpix.exe");
    WriteBytes(ini, "[Option]\r\nFukugen=1\r\n");
    Start(ini);
    ClickControl(main().CursorButton().Handle());
    EXPECT_TRUE(Start(ini).Session().settings().draw_cursor);
    EXPECT_EQ(ReadBytes(ini).substr(0, 8), "[Option]") << "still in the ANSI code page";

    // A save folder the code page cannot hold turns the file into UTF-16; every value stays.
    core::Settings settings = program_->Session().settings();
    settings.save_folder = unicode.Path();
    Stop();
    WriteSettingsFile(ini, settings);
    EXPECT_EQ(ReadBytes(ini).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadSettingsFile(ini), settings);
    settings.delay_seconds = 12;
    WriteSettingsFile(ini, settings);
    EXPECT_EQ(ReadSettingsFile(ini), settings);
}

TEST_F(SettingsTest, ARefusedWriteIsShownAndTheSettingsStay) {
    WriteIni({"[Option]", "Fukugen=1", "Time=3"});
    Start();
    const std::string before = ReadBytes(IniFile());
    // Another program has the file open and lets nobody write it. (A read-only attribute would do
    // on Windows, but Wine lets root write read-only files.)
    HANDLE held = CreateFileW(IniFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        MessageBoxAnswerer answer;
        ClickControl(main().CursorButton().Handle());
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), Utf8(IniFile()) + " に書き込めません.");
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

// A section of more than a million characters is no settings file of Kelpix's: the program says so,
// starts with the defaults and never writes over it.
TEST_F(SettingsTest, ASettingsFileTooLargeToReadIsLeftAloneAndTheDefaultsAreUsed) {
    std::string huge = "[Option]\r\nCloseTask=1\r\nMouseCapture=1\r\nFukugen=1\r\n";
    for (int i = 0; huge.size() < (size_t{1} << 21); ++i)
        huge += "Padding" + std::to_string(i) + "=" + std::string(100, 'x') + "\r\n";
    WriteBytes(IniFile(), huge);
    MessageBoxAnswerer answer;
    Program& program = Start();
    program.ReportStartUpProblems();
    EXPECT_EQ(program.Session().settings(), core::Settings{});
    EXPECT_EQ(answer.Text(),
              "設定ファイル " + Utf8(IniFile()) +
                  " が大きすぎるため読み込めません。既定の設定で起動し、このファイルには書き込みません。");
    ClickControl(main().CursorButton().Handle()); // a toggle that would be written
    WhileDialogUp(main(), [](OptionsDialog& d) { d.OkButton().Send(BM_CLICK); });
    EXPECT_EQ(ReadBytes(IniFile()), huge);
}

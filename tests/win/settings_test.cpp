// The settings file through the system's profile functions, and the capture toggles that write it.
#include "settings_fixture.h"
#include "test_support.h"

#include "core/file_names.h"

#include <commctrl.h>

#include <algorithm>

using namespace kelpix;
using namespace kelpix::test;

namespace {

int Position(HWND upDown) {
    return static_cast<int>(SendMessageA(upDown, UDM_GETPOS32, 0, 0));
}

std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines = Lines(text);
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

TEST_F(SettingsTest, WithoutAFileTheStartValuesStandAndNothingIsCreated) {
    TKelpix& main = Start();
    const TOptionSettings& s = main.OptionSettings;
    EXPECT_FALSE(s.CloseTask || s.KidoTask || s.Fukugen || s.MouseCapture || s.TimeCapture);
    EXPECT_EQ(s.Time, 1);
    EXPECT_EQ(s.SaveDir, "");
    EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 1秒");
    EXPECT_FALSE(main.SpeedButton1->Down());
    EXPECT_FALSE(main.SpeedButton2->Down());
    EXPECT_FALSE(main.ReadSettings());
    EXPECT_FALSE(FileExists(IniFile()));

    // A folder of that name is no settings file either.
    ASSERT_TRUE(CreateDirectoryA(IniFile().c_str(), nullptr));
    EXPECT_FALSE(main.ReadSettings());
    EXPECT_EQ(main.OptionSettings.Time, 1);
}

TEST_F(SettingsTest, ValuesAreIntegersAndAnythingElseReadsAsZero) {
    TKelpix& main = Start();
    struct Case {
        const char* text;
        int32_t time;
    };
    // Each file is read right after it was rewritten: nothing may come from an earlier read.
    for (Case c : {Case{"2", 2},
                   {"yes", 0},
                   {"0x1", 1},
                   {"$1E", 30},
                   {"-4", -4},
                   {"150", 150},
                   {"5s", 0},
                   {"0X1f", 31},
                   {"x10", 16},
                   {"2147483648", 0},
                   {"-2147483648", INT32_MIN},
                   {"", 0}}) {
        SCOPED_TRACE(c.text);
        WriteIni({"[Option]", std::string("CloseTask=") + c.text, "Fukugen=1", std::string("Time=") + c.text});
        main.OptionSettings = {};
        EXPECT_TRUE(main.ReadSettings());
        EXPECT_EQ(main.OptionSettings.CloseTask, c.time != 0);
        EXPECT_EQ(main.OptionSettings.Time, c.time);
    }
    // With Fukugen set, a missing delay reads as 0, not as the start value.
    WriteIni({"[Option]", "Fukugen=1"});
    main.OptionSettings = {};
    main.ReadSettings();
    EXPECT_EQ(main.OptionSettings.Time, 0);
}

TEST_F(SettingsTest, FukugenDecidesOnlyAboutTheOperationSettings) {
    std::vector<std::string> lines{"[Option]",       "CloseTask=1", "KidoTask=1",    "Fukugen=0",
                                   "MouseCapture=1", "Time=30",     "TimeCapture=1", "SaveDir=C:\\pics\\"};
    WriteIni(lines);
    {
        TKelpix& main = Start();
        const TOptionSettings& s = main.OptionSettings;
        EXPECT_TRUE(s.CloseTask);
        EXPECT_TRUE(s.KidoTask);
        EXPECT_FALSE(s.Fukugen);
        EXPECT_FALSE(s.MouseCapture);
        EXPECT_FALSE(s.TimeCapture);
        EXPECT_EQ(s.Time, 1);
        EXPECT_EQ(s.SaveDir, "C:\\pics\\");
        EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 1秒");
    }
    lines[3] = "Fukugen=1";
    WriteIni(lines);
    TKelpix& main = Start();
    const TOptionSettings& s = main.OptionSettings;
    EXPECT_TRUE(s.MouseCapture);
    EXPECT_TRUE(s.TimeCapture);
    EXPECT_EQ(s.Time, 30);
    // The toggles show what was restored.
    EXPECT_TRUE(main.SpeedButton2->Down());
    EXPECT_TRUE(main.SpeedButton1->Down());
    EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 30秒");
    EXPECT_EQ(Position(main.UpDown1), 30);
}

TEST_F(SettingsTest, NamesMatchInAnyCaseAndValuesLoseBlanksAndQuotesAndAreCut) {
    const std::string saveDir = "D:\\" + kHyo + "\\";
    WriteIni({"[OPTION]", "fukugen = 1", "time =  \"12\"  ", "savedir = \"" + saveDir + "\" "});
    TKelpix& main = Start();
    EXPECT_TRUE(main.OptionSettings.Fukugen);
    EXPECT_EQ(main.OptionSettings.Time, 12);
    EXPECT_EQ(main.OptionSettings.SaveDir, saveDir);

    std::string longDir = "C:\\" + std::string(3000, 'a') + "\\";
    WriteIni({"[Option]", "SaveDir=" + longDir});
    main.ReadSettings();
    EXPECT_EQ(main.OptionSettings.SaveDir, longDir.substr(0, 2047));
}

TEST_F(SettingsTest, AFreshFileHoldsTheSevenKeysInOrder) {
    TKelpix& main = Start();
    EXPECT_TRUE(main.WriteSettings());
    EXPECT_EQ(Lines(ReadBytes(IniFile())),
              (std::vector<std::string>{"[Option]", "CloseTask=0", "KidoTask=0", "Fukugen=0", "MouseCapture=0",
                                        "TimeCapture=0", "Time=1", "SaveDir="}));
}

TEST_F(SettingsTest, WritingKeepsUnknownKeysAndSectionsAndWritesAnEmptySaveFolder) {
    WriteIni({"[Other]", "Key=keep me", "[Option]", "SaveDir=C:\\old\\", "Extra=1", "[Last]", "Z=9"});
    TKelpix& main = Start();
    ASSERT_EQ(main.OptionSettings.SaveDir, "C:\\old\\");
    main.OptionSettings.SaveDir.clear();
    main.OptionSettings.KidoTask = true;
    main.OptionSettings.Time = -7;
    main.WriteSettings();
    EXPECT_EQ(Lines(ReadBytes(IniFile())),
              (std::vector<std::string>{"[Other]", "Key=keep me", "[Option]", "SaveDir=", "Extra=1", "CloseTask=0",
                                        "KidoTask=1", "Fukugen=0", "MouseCapture=0", "TimeCapture=0", "Time=-7",
                                        "[Last]", "Z=9"}));
}

TEST_F(SettingsTest, FoldersWhoseNamesEndInTrailByte5CHoldTheFile) {
    // The executable in C:\...\表ソ\ソ\: each name's last byte is 0x5C.
    TempFolder japanese(kHyo + kSo + "\\" + kSo + "\\");
    std::string ini = core::SettingsFilePath(japanese.Path() + "Kelpix.exe", Application::AnsiLeadBytes());
    const std::string saveDir = "C:\\" + kSo + "\\";
    {
        TKelpix& main = Start(ini);
        main.OptionSettings.Fukugen = true;
        main.OptionSettings.Time = 45;
        main.OptionSettings.SaveDir = saveDir;
        main.WriteSettings();
    }
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((japanese.Path() + "*.ini").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_STREQ(found.cFileName, "Kelpix.ini");

    TKelpix& main = Start(ini);
    EXPECT_EQ(main.OptionSettings.Time, 45);
    EXPECT_EQ(main.OptionSettings.SaveDir, saveDir);
}

TEST_F(SettingsTest, ARefusedWriteIsShownAndTheSettingsStayInMemory) {
    WriteIni({"[Option]", "Fukugen=1", "MouseCapture=0", "Time=3"});
    TKelpix& main = Start();
    const std::string before = ReadBytes(IniFile());
    // Another program has the file open and lets nobody write it. (A read-only attribute would do
    // on Windows, but Wine lets root write read-only files.)
    HANDLE held = CreateFileA(IniFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        MessageBoxAnswerer answer;
        ClickControl(main.SpeedButton2->Handle());
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), IniFile() + " に書き込めません.");
    }
    EXPECT_TRUE(main.OptionSettings.MouseCapture);
    EXPECT_TRUE(main.SpeedButton2->Down());
    EXPECT_EQ(ReadBytes(IniFile()), before);

    // Once the file may be written again, the next write stores what was kept.
    CloseHandle(held);
    ClickArrow(main.UpDown1, true);
    TKelpix& again = Start();
    EXPECT_TRUE(again.OptionSettings.MouseCapture);
    EXPECT_EQ(again.OptionSettings.Time, 4);
}

TEST_F(SettingsTest, WithFukugenEachToggleWritesAllSevenKeys) {
    WriteIni({"[Option]", "Fukugen=1", "Time=30"});
    TKelpix& main = Start();
    ClickControl(main.SpeedButton2->Handle());
    EXPECT_TRUE(main.OptionSettings.MouseCapture);
    EXPECT_EQ(SortedLines(ReadBytes(IniFile())),
              (std::vector<std::string>{"CloseTask=0", "Fukugen=1", "KidoTask=0", "MouseCapture=1",
                                        "SaveDir=", "Time=30", "TimeCapture=0", "[Option]"}));

    // The delay toggle goes down and up again, each time written.
    for (bool down : {true, false}) {
        ClickControl(main.SpeedButton1->Handle());
        EXPECT_EQ(main.SpeedButton1->Down(), down);
        EXPECT_EQ(main.OptionSettings.TimeCapture, down);
        EXPECT_TRUE(main.OptionSettings.MouseCapture);
        EXPECT_NE(ReadBytes(IniFile()).find(down ? "TimeCapture=1" : "TimeCapture=0"), std::string::npos);
    }
}

TEST_F(SettingsTest, WithoutFukugenTheTogglesChangeOnlyTheMemory) {
    TKelpix& main = Start();
    ClickControl(main.SpeedButton2->Handle());
    ClickControl(main.SpeedButton1->Handle());
    ClickArrow(main.UpDown1, true);
    EXPECT_TRUE(main.OptionSettings.MouseCapture);
    EXPECT_TRUE(main.OptionSettings.TimeCapture);
    EXPECT_EQ(main.OptionSettings.Time, 2);
    EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 2秒");
    EXPECT_FALSE(FileExists(IniFile()));
}

TEST_F(SettingsTest, TheArrowsStayWithin1To99AndDoNothingAtTheEnds) {
    WriteIni({"[Option]", "Fukugen=1", "Time=98"});
    TKelpix& main = Start();
    ClickArrow(main.UpDown1, true);
    EXPECT_EQ(main.OptionSettings.Time, 99);
    EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 99秒");
    EXPECT_NE(ReadBytes(IniFile()).find("Time=99"), std::string::npos);

    // At the end an arrow neither wraps nor clicks: a value put into the file by hand stays.
    WriteIni({"[Option]", "Fukugen=1", "Time=5"});
    ClickArrow(main.UpDown1, true);
    EXPECT_EQ(main.OptionSettings.Time, 99);
    EXPECT_EQ(Position(main.UpDown1), 99);
    EXPECT_NE(ReadBytes(IniFile()).find("Time=5"), std::string::npos);

    main.OptionSettings.Time = 2;
    main.ApplySettingsToControls();
    ClickArrow(main.UpDown1, false);
    EXPECT_EQ(main.OptionSettings.Time, 1);
    WriteIni({"[Option]", "Fukugen=1", "Time=5"});
    ClickArrow(main.UpDown1, false);
    EXPECT_EQ(main.OptionSettings.Time, 1);
    EXPECT_NE(ReadBytes(IniFile()).find("Time=5"), std::string::npos);
}

TEST_F(SettingsTest, ADelayOutsideTheArrowsRangeIsShownAndKept) {
    WriteIni({"[Option]", "Fukugen=1", "Time=150"});
    TKelpix& main = Start();
    EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 150秒");
    EXPECT_EQ(Position(main.UpDown1), 99);
    ClickArrow(main.UpDown1, true);
    EXPECT_EQ(main.OptionSettings.Time, 150);
    ClickArrow(main.UpDown1, false);
    EXPECT_EQ(main.OptionSettings.Time, 98);

    main.OptionSettings.Time = 0;
    main.ApplySettingsToControls();
    EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 0秒");
    EXPECT_EQ(Position(main.UpDown1), 1);
    ClickArrow(main.UpDown1, true);
    EXPECT_EQ(main.OptionSettings.Time, 2);
}

// Settings files the program did not write: garbage, binary bytes, huge values, a folder that
// cannot hold the file. The program starts, and what it holds in memory is never lost.
#include "settings_fixture.h"
#include "test_support.h"

using namespace kelpix;
using namespace kelpix::test;

TEST_F(SettingsTest, GarbageAndBinaryBytesBeforeTheSectionLeaveItReadable) {
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919 + 13) % 256);
    junk += "\r\n=]][[==\r\n[\r\n\xFF\xFE\x81\r\n\r\n";
    WriteBytes(IniFile(), junk + "[Option]\r\nFukugen=1\r\nTime=7\r\nSaveDir=C:\\shots\\\r\n");
    TKelpix& main = Start();
    EXPECT_TRUE(main.Visible());
    EXPECT_TRUE(main.OptionSettings.Fukugen);
    EXPECT_EQ(main.OptionSettings.Time, 7);
    EXPECT_EQ(main.OptionSettings.SaveDir, "C:\\shots\\");
}

TEST_F(SettingsTest, OnlyGarbageStartsWithZerosAndTheNextWriteStoresTheSevenKeys) {
    std::string junk;
    for (int i = 0; i < 8192; ++i)
        junk += static_cast<char>((i * 31 + 7) % 256);
    WriteBytes(IniFile(), junk);
    TKelpix& main = Start();
    EXPECT_TRUE(main.Visible());
    EXPECT_FALSE(main.OptionSettings.Fukugen);
    EXPECT_EQ(main.OptionSettings.Time, 1) << "without Fukugen the delay keeps its start value";

    main.OptionSettings.Fukugen = true;
    ClickControl(main.SpeedButton2->Handle());
    EXPECT_TRUE(main.OptionSettings.MouseCapture);
    TKelpix& again = Start();
    EXPECT_TRUE(again.OptionSettings.Fukugen);
    EXPECT_TRUE(again.OptionSettings.MouseCapture);
    EXPECT_EQ(again.OptionSettings.Time, 1);
}

TEST_F(SettingsTest, HundredKilobyteValuesAreCutOrReadAsZeroAndTheProgramGoesOn) {
    const std::string folder = "C:\\" + std::string(100 * 1024, 'a');
    WriteIni({"[Option]", "Fukugen=1", "Time=" + std::string(100 * 1024, '9'), "SaveDir=" + folder, "CloseTask=1"});
    TKelpix& main = Start();
    EXPECT_TRUE(main.Visible());
    EXPECT_EQ(main.OptionSettings.Time, 0) << "a number past the integers reads as 0";
    EXPECT_EQ(main.OptionSettings.SaveDir, folder.substr(0, 2047));
    EXPECT_TRUE(main.OptionSettings.CloseTask) << "a key after the long values is still read";

    // A write stores what memory holds; the long value's first 2047 bytes stay.
    ClickControl(main.SpeedButton2->Handle());
    TKelpix& again = Start();
    EXPECT_TRUE(again.OptionSettings.MouseCapture);
    EXPECT_EQ(again.OptionSettings.SaveDir, folder.substr(0, 2047));
}

TEST_F(SettingsTest, AFolderThatCannotHoldTheFileShowsTheErrorAndKeepsTheSettings) {
    const std::string ini = folder_.Path() + "missing\\Kelpix.ini";
    TKelpix& main = Start(ini);
    EXPECT_TRUE(main.Visible());
    main.OptionSettings.Fukugen = true;
    {
        MessageBoxAnswerer answer;
        ClickControl(main.SpeedButton2->Handle());
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), ini + " に書き込めません.");
    }
    EXPECT_TRUE(main.OptionSettings.MouseCapture);
    EXPECT_TRUE(main.SpeedButton2->Down());
    EXPECT_FALSE(FileExists(ini));
    // The program goes on: the arrows still change the delay in memory.
    {
        MessageBoxAnswerer answer;
        ClickArrow(main.UpDown1, true);
        EXPECT_TRUE(answer.Seen());
    }
    EXPECT_EQ(main.OptionSettings.Time, 2);
    EXPECT_TRUE(IsWindow(main.Handle()));
}

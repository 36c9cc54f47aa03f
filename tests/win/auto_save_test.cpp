// Captures written to the automatic-save folder as they are taken.
#include "settings_fixture.h"
#include "test_support.h"

#include "toolkit/error.h"

#include <set>

using namespace kelpix;
using namespace kelpix::test;

namespace {

std::set<std::wstring> FileNames(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

class AutoSaveTest : public SettingsTest {
protected:
    // F5 as the keyboard gives it, and the capture's end.
    void CaptureOwnArea() {
        MSG key{main().Handle(), WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
        ASSERT_TRUE(main().PreTranslateMessage(key));
        ASSERT_TRUE(PumpUntil([&] { return !program_->Session().busy(); }));
    }
};

} // namespace

TEST_F(AutoSaveTest, CapturesInARowGetNamesOfTheirOwnInAFolderThatIsMadeForThem) {
    const std::wstring folder = folder_.Path() + L"shots\\later\\";
    WriteIni({"[Option]", "AutoSave=1", "AutoSaveDir=" + Utf8(folder), "AutoSaveName=<program> <title>|"});
    Start();
    for (int i = 0; i < 3; ++i)
        CaptureOwnArea();
    // The title holds no character a name cannot; the "|" becomes "_".
    EXPECT_EQ(FileNames(folder), (std::set<std::wstring>{L"kelpix_win_tests Kelpix [ver 1.0]_.png",
                                                         L"kelpix_win_tests Kelpix [ver 1.0]_ (2).png",
                                                         L"kelpix_win_tests Kelpix [ver 1.0]_ (3).png"}));
    EXPECT_EQ(ReadBytes(folder + L"kelpix_win_tests Kelpix [ver 1.0]_ (3).png").substr(1, 3), "PNG");
}

TEST_F(AutoSaveTest, AFolderThatCannotBeMadeIsNamedInOneMessageAndTheClipboardKeepsTheImage) {
    WriteBytes(folder_.Path() + L"file", "not a folder");
    const std::wstring folder = folder_.Path() + L"file\\shots\\";
    WriteIni({"[Option]", "AutoSave=1", "AutoSaveDir=" + Utf8(folder)});
    Start();
    MessageBoxAnswerer answer;
    CaptureOwnArea();
    ASSERT_TRUE(PumpUntil([&] { return answer.Seen(); }));
    const std::string start = "フォルダー " + Utf8(folder) + " にキャプチャを自動で保存できません。\n";
    EXPECT_EQ(answer.Text().substr(0, start.size()), start) << answer.Text();
    EXPECT_GT(answer.Text().size(), start.size() + 1) << "the reason is missing";
    EXPECT_EQ(ReadClipboardBitmap().data, ReadBitmap(main().LastImage()).data);
    EXPECT_FALSE(program_->Session().busy());
}

// Memory running out while the capture is written ends the capture like any other failure: the
// user is told, and the next capture can start.
TEST_F(AutoSaveTest, RunningOutOfMemoryWhileSavingEndsTheCaptureAndSaysSo) {
    const std::wstring folder = folder_.Path() + L"shots\\";
    WriteIni({"[Option]", "AutoSave=1", "AutoSaveDir=" + Utf8(folder)});
    Start();
    MessageBoxAnswerer answer;
    g_allocationLimit = 100000; // less than the main window's pixels
    CaptureOwnArea();
    g_allocationLimit = 0;
    ASSERT_TRUE(PumpUntil([&] { return answer.Seen(); }));
    EXPECT_NE(answer.Text().find("メモリが不足しています"), std::string::npos) << answer.Text();
    EXPECT_TRUE(FileNames(folder).empty());
}

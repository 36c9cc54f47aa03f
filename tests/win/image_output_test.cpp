// Saving the last image through the save dialog (faked at its seam) and copying it again.
#include "main_window_fixture.h"
#include "settings_fixture.h"
#include "test_support.h"

#include "core/file_names.h"
#include "core/jpeg_writer.h"
#include "core/png_writer.h"
#include "services/platform.h"
#include "toolkit/error.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include <jpeglib.h>
#include <jerror.h>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// Answers the save dialog as the user would: cancels, or chooses a name and a filter entry.
struct FakeSaveDialog {
    static inline bool cancel = false;
    static inline std::wstring name;
    static inline DWORD entry = 1;
    static inline int answers = -1; // how many times it chooses before it cancels (-1: always)

    static BOOL WINAPI Run(LPOPENFILENAMEW ofn) {
        if (answers == 0) return FALSE;
        if (answers > 0) --answers;
        if (cancel || name.size() >= ofn->nMaxFile) return FALSE;
        name.copy(ofn->lpstrFile, name.size());
        ofn->lpstrFile[name.size()] = L'\0';
        ofn->nFilterIndex = entry;
        return TRUE;
    }
};

// The names in a folder with their contents ("<folder>" for a folder), "." and ".." left out.
std::map<std::wstring, std::string> FolderContents(const std::wstring& folder) {
    std::map<std::wstring, std::string> contents;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return contents;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        contents[name] = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "<folder>" : ReadBytes(folder + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return contents;
}

uint32_t Read32(const std::string& file, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(file.at(at + i));
    return value;
}

// What Windows' own reader makes of a BMP file.
Pixels DecodeBmpFile(const std::wstring& path) {
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    Pixels pixels = ReadBitmap(bitmap);
    if (bitmap) DeleteObject(bitmap);
    return pixels;
}

// Colours that each channel holds in 5 bits (widened by repeating the top bits), so that a 16-bit
// image can describe exactly the same picture.
uint32_t FiveBitColour(int x, int y) {
    auto level = [](int v) { return static_cast<uint32_t>(((v & 31) << 3) | ((v & 31) >> 2)); };
    return (level(x * 3 + y) << 16) | (level(31 - x) << 8) | level(y * 5 + x / 4);
}

// A bitmap of the given depth (0: compatible with the screen) holding FiveBitColour.
Bitmap MakeBitmap(int width, int height, int depth = 0) {
    WindowDc screen;
    Bitmap bitmap(depth ? CreateBitmap(width, height, 1, static_cast<UINT>(depth), nullptr)
                        : CreateCompatibleBitmap(screen.get(), width, height));
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = FiveBitColour(x, y);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
    return bitmap;
}

// The same picture as a 16-bit image, bottom row first, built from the colours alone: what the
// encoders must be handed for the screen's image.
core::PixelImage FiveBitImage(int width, int height) {
    core::PixelImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = 16;
    const size_t stride = (static_cast<size_t>(width) * 2 + 3) / 4 * 4;
    image.bits.assign(stride * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = FiveBitColour(x, y);
            const uint32_t word = ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31);
            uint8_t* p = image.bits.data() + (height - 1 - y) * stride + 2 * x;
            p[0] = static_cast<uint8_t>(word);
            p[1] = static_cast<uint8_t>(word >> 8);
        }
    }
    return image;
}

std::string AsString(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// A replacement that failed after the old file was taken away, and a move that is refused.
BOOL WINAPI ReplaceTakingTheOldFileAway(LPCWSTR replaced, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) {
    DeleteFileW(replaced);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    return FALSE;
}
BOOL WINAPI RefuseEveryMove(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

class ImageOutputTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        saved_ = Platform();
        Platform().getSaveFileName = &FakeSaveDialog::Run;
        FakeSaveDialog::cancel = false;
        FakeSaveDialog::answers = -1;
    }
    void TearDown() override {
        Platform() = saved_;
        MainWindowTest::TearDown();
    }

    // The last image as a capture leaves it.
    void SetImage(Bitmap bitmap) {
        BITMAP info{};
        GetObjectA(bitmap.get(), sizeof info, &info);
        main().ShowImage(std::move(bitmap), {info.bmWidth, info.bmHeight});
    }
    // Runs the save command as its menu item and shortcut do; an error shows the standard box.
    void Save(const std::wstring& name, DWORD entry) {
        FakeSaveDialog::name = name;
        FakeSaveDialog::entry = entry;
        Run(core::Command::Save);
    }
    // F6, as the keyboard gives it.
    void PressF6() {
        MSG key{main().Handle(), WM_KEYDOWN, VK_F6, 0, 0, {0, 0}};
        EXPECT_TRUE(main().PreTranslateMessage(key));
    }

    TempFolder temp_;
    const std::wstring& folder_ = temp_.Path();
    PlatformCalls saved_;
};

} // namespace

TEST_F(ImageOutputTest, EachEntryWritesItsFormatFromTheImagesPixelsWhateverExtensionWasTyped) {
    // JPEG and PNG files must be what the encoders make of the same picture handed over as a 16-bit
    // image, which they read as red, green, blue: any swap of channels or rows changes the file.
    // BMP keeps the image's own depth, read back by Windows. No image makes an empty file.
    const struct {
        DWORD entry;
        const wchar_t* typed;
        int width, height, depth;
        const wchar_t* file;
    } cases[] = {
        {1, L"shot.png", 1, 1, 0, L"shot.bmp"},  {1, L"shot", 3, 1, 0, L"shot.bmp"},
        {1, L"shot", 37, 9, 0, L"shot.bmp"},     {1, L"shot", 33, 3, 24, L"shot.bmp"},
        {1, L"shot", 33, 3, 16, L"shot.bmp"},    {1, L"shot", 33, 3, 8, L"shot.bmp"},
        {1, L"shot", 33, 3, 4, L"shot.bmp"},     {1, L"shot", 33, 3, 1, L"shot.bmp"},
        {2, L"shot.bmp", 37, 1, 0, L"shot.jpg"}, {2, L"shot", 45, 15, 0, L"shot.jpg"},
        {2, L"shot", 1, 17, 0, L"shot.jpg"},     {3, L"shot.bmp", 1, 1, 0, L"shot.png"},
        {3, L"shot", 37, 9, 0, L"shot.png"},     {3, L"shot.jpg", 1, 5, 0, L"shot.png"},
        {1, L"empty", 0, 0, 0, L"empty.bmp"},    {2, L"empty", 0, 0, 0, L"empty.jpg"},
        {3, L"empty", 0, 0, 0, L"empty.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.typed) + " as entry " + std::to_string(c.entry) + ", " + std::to_string(c.width) + " x " +
                     std::to_string(c.height) + " at " + std::to_string(c.depth) + " bits");
        Pixels shown;
        if (c.width) {
            SetImage(MakeBitmap(c.width, c.height, c.depth));
            shown = ReadBitmap(main().LastImage());
        } else {
            main().ShowImage(Bitmap(), {0, 0});
        }
        Save(folder_ + c.typed, c.entry);
        const auto contents = FolderContents(folder_);
        ASSERT_EQ(contents.size(), 1u);
        ASSERT_EQ(contents.begin()->first, c.file);
        const std::string& file = contents.begin()->second;
        if (!c.width)
            EXPECT_EQ(file, "");
        else if (c.entry == 2) // the screen's DPI goes with the pixels
            EXPECT_EQ(file, AsString(core::EncodeJpeg(FiveBitImage(c.width, c.height), main().CurrentImage()->dpi)));
        else if (c.entry == 3)
            EXPECT_EQ(file,
                      AsString(core::EncodePng(FiveBitImage(c.width, c.height), {main().CurrentImage()->dpi, {}})));
        else {
            ASSERT_GE(file.size(), 54u);
            EXPECT_EQ(Read32(file, 28) & 0xFFFF, static_cast<uint32_t>(c.depth ? c.depth : 32));
            EXPECT_EQ(DecodeBmpFile(folder_ + c.file).data, shown.data);
        }
        EXPECT_EQ(session().settings().save_folder, folder_);
        DeleteFileW((folder_ + c.file).c_str());
    }
}

TEST_F(ImageOutputTest, AFolderNamedInAnyScriptIsSavedToAndRemembered) {
    // Korean and an emoji: neither code page 932 nor 1252 holds them.
    TempFolder unicode(L"한국어 😀\\");
    SetImage(MakeBitmap(6, 5));
    Save(unicode.Path() + L"그림", 3);
    EXPECT_EQ(FolderContents(unicode.Path()).count(L"그림.png"), 1u);
    EXPECT_EQ(session().settings().save_folder, unicode.Path());
}

TEST_F(ImageOutputTest, CancellingTheDialogWritesNothing) {
    SetImage(MakeBitmap(9, 4));
    const std::wstring before = session().settings().save_folder;
    FakeSaveDialog::cancel = true;
    Save(folder_ + L"shot", 1);
    EXPECT_TRUE(FolderContents(folder_).empty());
    EXPECT_EQ(session().settings().save_folder, before);
}

TEST_F(ImageOutputTest, AFailedSaveSaysWhyAndLeavesTheFolderAsItWas) {
    WriteBytes(folder_ + L"shot.jpg", "the old picture");
    SetFileAttributesW((folder_ + L"shot.jpg").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(folder_ + L"busy.bmp", "in use");
    CreateDirectoryW((folder_ + L"shot.bmp").c_str(), nullptr);
    KernelHandle held(CreateFileW((folder_ + L"busy.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    const std::string cannot = "ファイル " + Utf8(folder_);
    const struct {
        const char* what;
        int width, depth; // of the image, one row high
        const wchar_t* typed;
        DWORD entry;
        std::string message;     // its start
        const char* detail = ""; // the library's words, somewhere in it
    } cases[] = {
        {"a folder that does not exist", 9, 0, L"missing\\shot", 1, cannot + "missing\\shot.bmp を作成できません."},
        {"a read-only file in the way", 9, 0, L"shot", 2, cannot + "shot.jpg を作成できません."},
        {"a file held open elsewhere", 9, 0, L"busy", 1, cannot + "busy.bmp を作成できません."},
        {"a folder of that name", 9, 0, L"shot.png", 1, cannot + "shot.bmp を作成できません."},
        {"wider than JPEG allows", 65501, 0, L"wide", 2, "JPEG エラー #" + std::to_string(JERR_IMAGE_TOO_BIG) + "."},
        {"wider than libpng allows", 1000001, 1, L"wide", 3, "PNG エラー: ", "width exceeds user limit"},
    };
    const std::wstring folderBefore = session().settings().save_folder;
    const auto before = FolderContents(folder_);
    ASSERT_EQ(before.at(L"busy.bmp"), "in use");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetImage(MakeBitmap(c.width, 1, c.depth));
        MessageBoxAnswerer answer;
        Save(folder_ + c.typed, c.entry);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text().substr(0, c.message.size()), c.message) << answer.Text();
        EXPECT_NE(answer.Text().find(c.detail), std::string::npos) << answer.Text();
        EXPECT_EQ(answer.Caption(), "kelpix_win_tests");
        EXPECT_EQ(FolderContents(folder_), before);
    }
    EXPECT_EQ(session().settings().save_folder, folderBefore);
    EXPECT_TRUE(IsWindow(main().Handle()));
}

TEST_F(ImageOutputTest, AReplacedFileKeepsItsAttributesAndANameNearThePathLimitSaves) {
    // 250 characters of folder: its files fit the limit of 260, the system's temporary names do not.
    std::wstring deep = folder_;
    while (deep.size() < 250)
        CreateDirectoryW((deep += std::wstring(std::min<size_t>(100, 249 - deep.size()), L'd') + L"\\").c_str(),
                         nullptr);
    WriteBytes(deep + L"a.bmp", std::string(100000, 'x')); // longer than the new file
    SetFileAttributesW((deep + L"a.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetImage(MakeBitmap(5, 2));
    {
        MessageBoxAnswerer yes(IDYES);
        Save(deep + L"a", 1);
        EXPECT_TRUE(yes.Seen()) << "replaced without a question";
    }
    EXPECT_EQ(ReadBytes(deep + L"a.bmp").size(), 54u + 4u * 5 * 2);
    EXPECT_EQ(DecodeBmpFile(deep + L"a.bmp").At(4, 1), FiveBitColour(4, 1));
    EXPECT_TRUE(GetFileAttributesW((deep + L"a.bmp").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(FolderContents(deep).size(), 1u);
}

TEST_F(ImageOutputTest, TheQuestionNamesTheFileThatWouldReallyBeReplacedAndANoWritesNothing) {
    WriteBytes(folder_ + L"keep.png", "old png");
    WriteBytes(folder_ + L"keep.jpg", "old jpg");
    SetImage(MakeBitmap(7, 3));
    const struct {
        const wchar_t* typed;
        DWORD entry;
        int answer;             // to the question; 0: none may come
        const wchar_t* written; // the file that changes, if any
    } rows[] = {
        {L"keep", 3, IDNO, nullptr},      {L"keep.jpg", 3, IDNO, nullptr},
        {L"keep.jpg", 1, 0, L"keep.bmp"}, // keep.jpg is not the file written: no question
        {L"keep.jpg", 1, IDNO, nullptr},  {L"keep", 3, IDYES, L"keep.png"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Utf8(row.typed) + " as entry " + std::to_string(row.entry));
        auto before = FolderContents(folder_);
        const std::wstring target = core::ChangeFileExt(folder_ + row.typed, row.entry == 1 ? L".bmp" : L".png");
        FakeSaveDialog::answers = 1; // a "no" opens the dialog again, which is then cancelled
        MessageBoxAnswerer answer(row.answer ? row.answer : IDCANCEL);
        Save(folder_ + row.typed, row.entry);
        EXPECT_EQ(answer.Seen(), row.answer != 0);
        if (row.answer) {
            EXPECT_EQ(answer.Text(), Utf8(target) + " は既に存在します。\n上書きしますか?");
        }
        auto after = FolderContents(folder_);
        if (row.written) {
            EXPECT_NE(after[row.written], before[row.written]);
            after.erase(row.written);
            before.erase(row.written);
        }
        EXPECT_EQ(after, before) << "another file changed";
    }
}

TEST_F(ImageOutputTest, AReplacementThatTookTheOldFileAwayKeepsTheNewOneAndNamesIt) {
    // The system's replacement failed half way, the old file gone, and the move after it fails too:
    // the new file is the only copy left.
    Platform().replaceFile = &ReplaceTakingTheOldFileAway;
    Platform().moveFile = &RefuseEveryMove;
    WriteBytes(folder_ + L"shot.png", "old png");
    SetImage(MakeBitmap(7, 3));
    MessageBoxAnswerer answers({IDYES, IDOK}); // the question, then the error
    Save(folder_ + L"shot", 3);
    const auto contents = FolderContents(folder_);
    ASSERT_EQ(contents.size(), 1u) << "nothing, or more than the new file, is left";
    const auto& [kept, bytes] = *contents.begin();
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    ASSERT_EQ(answers.Texts().size(), 2u);
    EXPECT_EQ(answers.Texts()[1], "ファイル " + Utf8(folder_) + "shot.png を作成できません。新しい画像は " +
                                      Utf8(folder_ + kept) + " に残してあります.");
}

TEST_F(ImageOutputTest, RunningOutOfMemorySaysSoInJapaneseAndTheProgramGoesOn) {
    SetImage(MakeBitmap(400, 300)); // 480 KB of pixels
    MessageBoxAnswerer answer;
    g_allocationLimit = 100000;
    Save(folder_ + L"big", 2);
    g_allocationLimit = 0;
    EXPECT_EQ(answer.Text(), "メモリが不足しています.");
    EXPECT_TRUE(FolderContents(folder_).empty());
    SetImage(MakeBitmap(4, 3));
    Save(folder_ + L"small", 2);
    EXPECT_EQ(FolderContents(folder_).count(L"small.jpg"), 1u);
}

TEST_F(ImageOutputTest, EveryWayOfCopyingAgainPutsTheImageOnTheClipboard) {
    SetImage(MakeBitmap(21, 13));
    const Pixels image = ReadBitmap(main().LastImage());
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"F6", [&] { PressF6(); }},
        {"the menu command", [&] { Run(core::Command::Recopy); }},
        {"the button", [&] { main().RecopyButton().Click(); }},
    };
    for (const auto& [what, copy] : ways) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
        copy();
        EXPECT_TRUE(PumpUntil([&] { return ReadClipboardBitmap().data == image.data; }));
        EXPECT_EQ(ReadClipboardPng().data, image.data);
        EXPECT_TRUE(PumpUntil([&] { return !main().RecopyButton().Down(); }));
    }
    // With no image the clipboard is emptied.
    main().ShowImage(Bitmap(), {0, 0});
    Run(core::Command::Recopy);
    EXPECT_TRUE(PumpUntil([] {
        int formats = -1;
        ReadClipboardBitmap(&formats);
        return formats == 0;
    }));
}

namespace {
HANDLE WINAPI RefuseClipboardData(UINT, HANDLE) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}
} // namespace

TEST_F(ImageOutputTest, CopyingAgainWhenTheClipboardRefusesSaysSoAndTheNextCopyWorks) {
    SetImage(MakeBitmap(21, 13));
    for (bool heldElsewhere : {true, false}) {
        SCOPED_TRACE(heldElsewhere ? "held open by another program" : "refusing the image");
        std::optional<ClipboardHolder> holder;
        if (heldElsewhere) {
            holder.emplace(5000);
            ASSERT_TRUE(holder->Holding());
        } else {
            Platform().setClipboardData = &RefuseClipboardData;
        }
        {
            MessageBoxAnswerer answer;
            PressF6();
            ASSERT_TRUE(PumpUntil([&] { return answer.Seen(); }));
            EXPECT_EQ(answer.Text(), "クリップボードを開くことができません.");
        }
        EXPECT_FALSE(main().RecopyButton().Down());
        holder.reset();
        Platform().setClipboardData = saved_.setClipboardData;
        PressF6();
        EXPECT_TRUE(PumpUntil([&] { return ReadClipboardBitmap().data == ReadBitmap(main().LastImage()).data; }));
    }
}

// Run by tests/win/with-tiny-disk, which mounts a 64 KB disk as a drive and names a folder on it in
// KELPIX_TINY_DISK; without one it is skipped.
TEST_F(ImageOutputTest, DISABLED_FullDiskLeavesTheOldFileAndNoTemporaryFile) {
    const char* disk = std::getenv("KELPIX_TINY_DISK");
    if (!disk || !*disk) GTEST_SKIP() << "no tiny disk given (KELPIX_TINY_DISK)";
    const std::wstring folder = FromUtf8(disk);
    const std::wstring old = folder + L"shot.bmp";
    WriteBytes(old, "the old picture");
    SetImage(MakeBitmap(200, 200));            // 160 KB as a bitmap file: more than the disk holds
    MessageBoxAnswerer answers({IDYES, IDOK}); // replace it; then the error
    FakeSaveDialog::answers = 1;
    Save(folder + L"shot", 1);
    ASSERT_EQ(answers.Texts().size(), 2u);
    EXPECT_EQ(answers.Texts()[1], "ストリームへの書き込みエラー.");
    EXPECT_EQ(FolderContents(folder), (std::map<std::wstring, std::string>{{L"shot.bmp", "the old picture"}}));
    DeleteFileW(old.c_str());
}

// Saving the last image through the save dialog (faked at its seam) and copying it again.
#include "main_window_fixture.h"
#include "test_support.h"

#include "core/jpeg_writer.h"
#include "core/png_writer.h"
#include "main/platform.h"
#include "main/texts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <tuple>

#include <jpeglib.h>
#include <jerror.h>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// --- the save dialog's seam -------------------------------------------------------------------

// What the program handed to the dialog.
struct DialogCall {
    HWND owner = nullptr;
    std::string filter; // up to and including the double NUL
    std::string title, initialDir, fileName;
    bool initialDirGiven = false, defaultExtGiven = false;
    DWORD filterIndex = 0, flags = 0, bufferSize = 0;
};

// Answers GetSaveFileNameA as the user would: cancels, or chooses a name and a filter entry.
struct FakeSaveDialog {
    static inline std::vector<DialogCall> calls;
    static inline bool cancel = false;
    static inline std::string name;
    static inline DWORD filterIndex = 1;

    static BOOL WINAPI Run(LPOPENFILENAMEA ofn) {
        DialogCall call;
        call.owner = ofn->hwndOwner;
        const char* end = ofn->lpstrFilter;
        while (end[0] || end[1])
            ++end;
        call.filter.assign(ofn->lpstrFilter, end + 2);
        call.title = ofn->lpstrTitle ? ofn->lpstrTitle : "";
        call.initialDirGiven = ofn->lpstrInitialDir && *ofn->lpstrInitialDir;
        call.initialDir = call.initialDirGiven ? ofn->lpstrInitialDir : "";
        call.defaultExtGiven = ofn->lpstrDefExt != nullptr;
        call.fileName = ofn->lpstrFile;
        call.filterIndex = ofn->nFilterIndex;
        call.flags = ofn->Flags;
        call.bufferSize = ofn->nMaxFile;
        calls.push_back(call);
        if (cancel) return FALSE;
        if (name.size() >= ofn->nMaxFile) return FALSE;
        std::strcpy(ofn->lpstrFile, name.c_str());
        ofn->nFilterIndex = filterIndex;
        return TRUE;
    }
};

// --- files ----------------------------------------------------------------------------------

std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!content.empty()) ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &got, nullptr);
    CloseHandle(file);
    content.resize(got);
    return content;
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

// The names in a folder, sorted, "." and ".." left out.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, "..")) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& folder) {
    for (const std::string& name : FilesIn(folder)) {
        const std::string path = folder + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path + "\\");
        else
            DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

uint32_t Read32(const std::string& file, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(file.at(at + i));
    return value;
}

// What Windows' own reader makes of a BMP file.
Pixels DecodeBmpFile(const std::string& path) {
    auto bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    Pixels pixels = ReadBitmap(bitmap);
    if (bitmap) DeleteObject(bitmap);
    return pixels;
}

// --- images ---------------------------------------------------------------------------------

using Colour = std::function<uint32_t(int x, int y)>; // 0x00RRGGBB

// A bitmap of the given depth (0: compatible with the screen) holding colour(x, y).
Bitmap MakeBitmap(int width, int height, int depth, const Colour& colour) {
    WindowDc screen;
    Bitmap bitmap(depth ? CreateBitmap(width, height, 1, static_cast<UINT>(depth), nullptr)
                        : CreateCompatibleBitmap(screen.get(), width, height));
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = colour(x, y);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
    return bitmap;
}

// Colours that each channel holds in 5 bits (widened by repeating the top bits), so that a 16-bit
// image can describe exactly the same picture.
uint32_t FiveBitColour(int x, int y) {
    auto level = [](int v) { return static_cast<uint32_t>(((v & 31) << 3) | ((v & 31) >> 2)); };
    return (level(x * 3 + y) << 16) | (level(31 - x) << 8) | level(y * 5 + x / 4);
}

// The same picture as a 16-bit image, bottom row first, built from the colours alone.
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

uint32_t Varied(int x, int y) {
    return ((x * 37 + y * 11) & 0xFF) << 16 | ((255 - x * 13) & 0xFF) << 8 | ((y * 71 + 5) & 0xFF);
}

class ImageOutputTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        savedDialog_ = Platform().getSaveFileName;
        Platform().getSaveFileName = &FakeSaveDialog::Run;
        FakeSaveDialog::calls.clear();
        FakeSaveDialog::cancel = false;
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        folder_ = std::string(temp) + "kelpix-save-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(++serial) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        RemoveTree(folder_);
        Platform().getSaveFileName = savedDialog_;
        MainWindowTest::TearDown();
    }

    void SetImage(Bitmap bitmap) {
        BITMAP info{};
        GetObjectA(bitmap.get(), sizeof info, &info);
        main().Image1->SetBitmap(std::move(bitmap), {info.bmWidth, info.bmHeight});
    }

    // Runs the save command as its menu item and shortcut do; an error shows the standard box.
    void Save(const std::string& name, DWORD filterIndex) {
        FakeSaveDialog::name = name;
        FakeSaveDialog::filterIndex = filterIndex;
        SendMessageA(main().Handle(), WM_COMMAND, ID_SAVE1, 0);
    }

    std::string folder_;

private:
    BOOL(WINAPI* savedDialog_)(LPOPENFILENAMEA) = nullptr;
};

} // namespace

TEST_F(ImageOutputTest, DialogIsSetUpOnceAndThenRemembersTheEntryTheNameAndTheFolder) {
    SetImage(MakeBitmap(9, 4, 0, Varied));
    Save(folder_ + "shot.bmp", 2); // JPEG entry

    ASSERT_EQ(FakeSaveDialog::calls.size(), 1u);
    const DialogCall& first = FakeSaveDialog::calls[0];
    EXPECT_EQ(first.owner, main().Handle());
    const char filter[] = "ビットマップ (*.bmp)\0*.bmp\0JPEG 形式 (*.jpg)\0*.jpg\0PNG 形式 (*.png)\0*.png\0";
    EXPECT_EQ(first.filter, std::string(filter, sizeof filter));
    EXPECT_EQ(first.title, "キャプチャー画像保存");
    EXPECT_FALSE(first.initialDirGiven);
    EXPECT_EQ(first.fileName, "");
    EXPECT_EQ(first.filterIndex, 1u);
    EXPECT_EQ(first.bufferSize, 260u);
    EXPECT_FALSE(first.defaultExtGiven);
    EXPECT_EQ(first.flags & (OFN_EXPLORER | OFN_OVERWRITEPROMPT), DWORD{OFN_EXPLORER | OFN_OVERWRITEPROMPT});
    EXPECT_EQ(first.flags & (OFN_HIDEREADONLY | OFN_ENABLESIZING), 0u);
    // The entry decides the format, whatever extension was typed.
    EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"shot.jpg"});
    EXPECT_EQ(ReadWholeFile(folder_ + "shot.jpg").substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(main().OptionSettings.SaveDir, folder_);

    // The second time: the folder, entry and name of the first. A file named "表" (its second byte
    // is "\") gets the extension, and the folder is the one that holds it.
    const std::string hyo = "\x95\x5C";
    Save(folder_ + hyo, 1);
    ASSERT_EQ(FakeSaveDialog::calls.size(), 2u);
    const DialogCall& second = FakeSaveDialog::calls[1];
    EXPECT_EQ(second.initialDir, folder_);
    EXPECT_EQ(second.fileName, folder_ + "shot.bmp");
    EXPECT_EQ(second.filterIndex, 2u);
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"shot.jpg", hyo + ".bmp"}));
    EXPECT_EQ(ReadWholeFile(folder_ + hyo + ".bmp").substr(0, 2), "BM");
    EXPECT_EQ(main().OptionSettings.SaveDir, folder_);

    FakeSaveDialog::cancel = true;
    Save(folder_ + "third", 2);
    EXPECT_EQ(FakeSaveDialog::calls.back().fileName, folder_ + hyo);
    EXPECT_EQ(FakeSaveDialog::calls.back().filterIndex, 1u);
}

TEST_F(ImageOutputTest, CancellingChangesNothing) {
    SetImage(MakeBitmap(9, 4, 0, Varied));
    main().OptionSettings.SaveDir = folder_;
    Save(folder_ + "first.bmp", 1);
    FakeSaveDialog::cancel = true;
    main().OptionSettings.SaveDir = "C:\\elsewhere\\";
    Save(folder_ + "second.jpg", 2);
    EXPECT_EQ(main().OptionSettings.SaveDir, "C:\\elsewhere\\");
    EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"first.bmp"});
    FakeSaveDialog::cancel = false;
    Save(folder_ + "third", 2);
    EXPECT_EQ(FakeSaveDialog::calls.back().fileName, folder_ + "first.bmp");
    EXPECT_EQ(FakeSaveDialog::calls.back().filterIndex, 1u);
}

TEST_F(ImageOutputTest, EmptyImageMakesEmptyFilesInEveryFormat) {
    ASSERT_EQ(main().Image1->BitmapHandle(), nullptr); // nothing captured yet
    Save(folder_ + "empty", 1);
    Save(folder_ + "empty", 2);
    Save(folder_ + "empty", 3);
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"empty.bmp", "empty.jpg", "empty.png"}));
    EXPECT_EQ(ReadWholeFile(folder_ + "empty.bmp"), "");
    EXPECT_EQ(ReadWholeFile(folder_ + "empty.jpg"), "");
    EXPECT_EQ(ReadWholeFile(folder_ + "empty.png"), "");
    EXPECT_EQ(main().OptionSettings.SaveDir, folder_);
}

TEST_F(ImageOutputTest, BmpHoldsTheScreenImagesPixelsExactly) {
    // Odd widths need row padding; single rows and columns are images too.
    for (auto [width, height] : {std::pair{1, 1}, std::pair{3, 1}, std::pair{1, 5}, std::pair{37, 9}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        SetImage(MakeBitmap(width, height, 0, Varied));
        const std::string name = folder_ + "screen" + std::to_string(width) + "x" + std::to_string(height);
        Save(name, 1);
        const std::string file = ReadWholeFile(name + ".bmp");
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(Read32(file, 10), 54u) << "no colour table above 8 bits";
        EXPECT_EQ(Read32(file, 28) & 0xFFFF, 32u) << "the screen's depth";
        EXPECT_EQ(Read32(file, 46), 0u);
        EXPECT_EQ(file.size(), 54u + 4u * width * height);
        const Pixels decoded = DecodeBmpFile(name + ".bmp");
        ASSERT_EQ(decoded.width, width);
        ASSERT_EQ(decoded.height, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(decoded.At(x, y), Varied(x, y)) << x << ", " << y;
    }
}

TEST_F(ImageOutputTest, BmpKeepsTheImagesOwnDepthWithAColourTableOnlyUpTo8Bits) {
    for (int depth : {24, 16, 8, 4, 1}) {
        SCOPED_TRACE(std::to_string(depth) + " bits");
        Bitmap source = MakeBitmap(33, 3, depth, Varied);
        const Pixels expected = ReadBitmap(source.get());
        SetImage(std::move(source));
        const std::string name = folder_ + "depth" + std::to_string(depth);
        Save(name, 1);
        const std::string file = ReadWholeFile(name + ".bmp");
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(Read32(file, 28) & 0xFFFF, static_cast<uint32_t>(depth));
        const uint32_t tableEntries = depth <= 8 ? 1u << depth : 0u;
        EXPECT_EQ(Read32(file, 46), tableEntries);
        EXPECT_EQ(Read32(file, 10), 54u + 4u * tableEntries);
        const Pixels decoded = DecodeBmpFile(name + ".bmp");
        EXPECT_EQ(decoded.width, 33);
        EXPECT_EQ(decoded.data, expected.data);
    }
}

TEST_F(ImageOutputTest, JpegIsEncodedFromTheImagesPixelsTopRowFirst) {
    // The saved file must be what the encoder makes of the same picture handed over as a 16-bit
    // image, which it reads as red, green, blue: any swap of channels or rows changes the file.
    for (auto [width, height] : {std::pair{37, 1}, std::pair{45, 15}, std::pair{1, 17}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        SetImage(MakeBitmap(width, height, 0, FiveBitColour));
        Save(folder_ + "shot", 2);
        const std::vector<uint8_t> expected = core::EncodeJpeg(FiveBitImage(width, height));
        EXPECT_EQ(ReadWholeFile(folder_ + "shot.jpg"), std::string(expected.begin(), expected.end()));
    }
}

TEST_F(ImageOutputTest, PngEntryWritesThePngOfTheImagesPixelsWhateverExtensionWasTyped) {
    // As for JPEG: the file must be what the encoder makes of the same picture as a 16-bit image.
    for (auto [typed, width, height] :
         {std::tuple{"shot.bmp", 1, 1}, std::tuple{"shot", 37, 9}, std::tuple{"shot.jpg", 1, 5}}) {
        SCOPED_TRACE(std::string(typed) + ", " + std::to_string(width) + " x " + std::to_string(height));
        SetImage(MakeBitmap(width, height, 0, FiveBitColour));
        Save(folder_ + typed, 3);
        EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"shot.png"});
        const std::vector<uint8_t> expected = core::EncodePng(FiveBitImage(width, height));
        EXPECT_EQ(ReadWholeFile(folder_ + "shot.png"), std::string(expected.begin(), expected.end()));
    }
}

TEST_F(ImageOutputTest, AFailedSaveLeavesTheOldFileAndNothingElse) {
    SetImage(MakeBitmap(9, 4, 0, Varied));
    main().OptionSettings.SaveDir = "C:\\before\\";

    { // a folder that does not exist
        MessageBoxAnswerer answer;
        Save(folder_ + "missing\\shot", 1);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), "ファイル " + folder_ + "missing\\shot.bmp を作成できません.");
        EXPECT_EQ(answer.Caption(), "kelpix_win_tests");
        EXPECT_TRUE(FilesIn(folder_).empty());
    }
    { // a read-only file in the way
        const std::string old = folder_ + "shot.jpg";
        WriteWholeFile(old, "the old picture");
        SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY);
        MessageBoxAnswerer answer;
        Save(folder_ + "shot", 2);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), "ファイル " + old + " を作成できません.");
        EXPECT_EQ(ReadWholeFile(old), "the old picture");
        EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"shot.jpg"});
    }
    { // a file held open by someone else
        const std::string busy = folder_ + "busy.bmp";
        WriteWholeFile(busy, "in use");
        HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        MessageBoxAnswerer answer;
        Save(folder_ + "busy", 1);
        CloseHandle(held);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), "ファイル " + busy + " を作成できません.");
        EXPECT_EQ(ReadWholeFile(busy), "in use");
        DeleteFileA(busy.c_str());
    }
    { // a folder of that name
        CreateDirectoryA((folder_ + "shot.bmp").c_str(), nullptr);
        MessageBoxAnswerer answer;
        Save(folder_ + "shot.png", 1);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), "ファイル " + folder_ + "shot.bmp を作成できません.");
        EXPECT_TRUE(GetFileAttributesA((folder_ + "shot.bmp").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"shot.bmp", "shot.jpg"}));
    }
    { // an image the JPEG library refuses: wider than 65500 pixels
        SetFileAttributesA((folder_ + "shot.jpg").c_str(), FILE_ATTRIBUTE_NORMAL); // out of the way now
        SetImage(MakeBitmap(65501, 1, 0, Varied));
        MessageBoxAnswerer answer;
        Save(folder_ + "shot", 2);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), "JPEG エラー #" + std::to_string(JERR_IMAGE_TOO_BIG) + ".");
        EXPECT_EQ(ReadWholeFile(folder_ + "shot.jpg"), "the old picture");
        EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"shot.bmp", "shot.jpg"}));
    }
    { // an image libpng refuses: wider than 1000000 pixels
        SetImage(MakeBitmap(1000001, 1, 1, Varied));
        MessageBoxAnswerer answer;
        Save(folder_ + "shot", 3);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text().rfind("PNG エラー: ", 0), 0u) << answer.Text();
        EXPECT_NE(answer.Text().find("width exceeds user limit"), std::string::npos) << answer.Text();
        EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"shot.bmp", "shot.jpg"}));
    }
    EXPECT_EQ(main().OptionSettings.SaveDir, "C:\\before\\");
    EXPECT_TRUE(IsWindow(main().Handle()));
}

TEST_F(ImageOutputTest, ExistingFileIsReplacedWhole) {
    const std::string old = folder_ + "shot.bmp";
    WriteWholeFile(old, std::string(100000, 'x')); // longer than the new file
    SetImage(MakeBitmap(5, 2, 0, Varied));
    Save(folder_ + "shot", 1);
    EXPECT_EQ(ReadWholeFile(old).size(), 54u + 4u * 5 * 2);
    EXPECT_EQ(DecodeBmpFile(old).At(4, 1), Varied(4, 1));
    EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"shot.bmp"});
}

TEST_F(ImageOutputTest, AReplacedFileKeepsItsAttributesAndANameNearThePathLimitSaves) {
    // 250 characters of folder: its files fit the limit of 260, the system's temporary names do not.
    std::string deep = folder_;
    while (deep.size() < 250)
        CreateDirectoryA((deep += std::string(std::min<size_t>(100, 249 - deep.size()), 'd') + "\\").c_str(), nullptr);
    WriteWholeFile(deep + "a.bmp", "the old picture");
    SetFileAttributesA((deep + "a.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetImage(MakeBitmap(5, 2, 0, Varied));
    Save(deep + "a", 1);
    EXPECT_EQ(DecodeBmpFile(deep + "a.bmp").At(4, 1), Varied(4, 1));
    EXPECT_TRUE(GetFileAttributesA((deep + "a.bmp").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(FilesIn(deep), std::vector<std::string>{"a.bmp"});
}

TEST_F(ImageOutputTest, RunningOutOfMemorySaysSoInJapaneseAndTheProgramGoesOn) {
    SetImage(MakeBitmap(400, 300, 0, Varied)); // 480 KB of pixels
    MessageBoxAnswerer answer;
    g_allocationLimit = 100000;
    Save(folder_ + "big", 2);
    g_allocationLimit = 0;
    EXPECT_EQ(answer.Text(), "メモリが不足しています.");
    EXPECT_TRUE(FilesIn(folder_).empty());
}

// --- copying again ------------------------------------------------------------------------------

namespace {

// Records the paints of a button: whether it was down, and when.
struct PaintLog {
    struct Paint {
        bool down;
        DWORD tick;
    };
    static inline std::vector<Paint> paints;
    static inline WNDPROC original = nullptr;
    static inline const SpeedButton* button = nullptr;

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_PAINT) paints.push_back({button->Down(), GetTickCount()});
        return CallWindowProcA(original, wnd, msg, wParam, lParam);
    }
    static void Watch(const SpeedButton& b) {
        button = &b;
        paints.clear();
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(b.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintLog::Proc)));
    }
    static void Stop() { SetWindowLongPtrA(button->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original)); }
    // Milliseconds the button was shown down, or -1 if it never was.
    static long ShownDown() {
        auto down = std::find_if(paints.begin(), paints.end(), [](const Paint& p) { return p.down; });
        if (down == paints.end()) return -1;
        auto up = std::find_if(down, paints.end(), [](const Paint& p) { return !p.down; });
        return up == paints.end() ? 1000000 : static_cast<long>(up->tick - down->tick);
    }
};

} // namespace

TEST_F(ImageOutputTest, MenuCommandFlashesTheButtonAndTheButtonItselfDoesNot) {
    SetImage(MakeBitmap(21, 13, 0, Varied));
    const Pixels image = ReadBitmap(main().Image1->BitmapHandle());
    PaintLog::Watch(*main().SpeedButton3);
    for (WORD command : {ID_N9, ID_N2}) {
        SCOPED_TRACE(command);
        OpenClipboard(nullptr);
        EmptyClipboard();
        CloseClipboard();
        PaintLog::paints.clear();
        SendMessageA(main().Handle(), WM_COMMAND, command, 0);
        EXPECT_GE(PaintLog::ShownDown(), 95) << "pressed for 100 ms, then up again";
        EXPECT_FALSE(main().SpeedButton3->Down());
        EXPECT_EQ(ReadClipboardBitmap().data, image.data);
    }

    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    PaintLog::paints.clear();
    HWND button = main().SpeedButton3->Handle();
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump(50);
    EXPECT_EQ(PaintLog::ShownDown(), -1) << "no flash on top of the click";
    EXPECT_FALSE(PaintLog::paints.empty()) << "the click itself is drawn";
    EXPECT_EQ(ReadClipboardBitmap().data, image.data);
    PaintLog::Stop();
}

TEST_F(ImageOutputTest, F6WithTheClipboardHeldElsewhereShowsTheErrorAndGoesOn) {
    SetImage(MakeBitmap(21, 13, 0, Varied));
    {
        ClipboardHolder holder(5000);
        ASSERT_TRUE(holder.Holding());
        MessageBoxAnswerer answer;
        MSG key{main().Handle(), WM_KEYDOWN, VK_F6, 0, 0, {0, 0}};
        EXPECT_TRUE(main().PreTranslateMessage(key));
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), "クリップボードを開くことができません.");
        EXPECT_FALSE(main().SpeedButton3->Down());
    }
    // With the clipboard free again the same key copies the image.
    MSG key{main().Handle(), WM_KEYDOWN, VK_F6, 0, 0, {0, 0}};
    EXPECT_TRUE(main().PreTranslateMessage(key));
    EXPECT_EQ(ReadClipboardBitmap().data, ReadBitmap(main().Image1->BitmapHandle()).data);
}

TEST_F(ImageOutputTest, AClipboardThatRefusesTheImageFailsTheCopyWithTheMessage) {
    SetImage(MakeBitmap(21, 13, 0, Varied));
    struct Refusing {
        static HANDLE WINAPI Set(UINT, HANDLE) { return nullptr; }
    };
    const PlatformCalls saved = Platform();
    Platform().setClipboardData = &Refusing::Set;
    MessageBoxAnswerer answer;
    SendMessageA(main().Handle(), WM_COMMAND, ID_N9, 0);
    Platform() = saved;
    EXPECT_EQ(answer.Text(), "クリップボードを開くことができません.");
}

TEST_F(ImageOutputTest, CopyingBeforeAnyCaptureLeavesTheClipboardEmpty) {
    SetImage(MakeBitmap(3, 3, 0, Varied));
    main().CopyImageToClipboard();
    main().Image1->SetBitmap(Bitmap(), {0, 0});
    SendMessageA(main().Handle(), WM_COMMAND, ID_N9, 0);
    int formats = -1;
    ReadClipboardBitmap(&formats);
    EXPECT_EQ(formats, 0);
}

// Run by tests/win/with-tiny-disk, which mounts a 64 KB disk as a drive and names a folder on it in
// KELPIX_TINY_DISK; without one it is skipped.
TEST_F(ImageOutputTest, DISABLED_FullDiskLeavesTheOldFileAndNoTemporaryFile) {
    const char* disk = std::getenv("KELPIX_TINY_DISK");
    if (!disk || !*disk) GTEST_SKIP() << "no tiny disk given (KELPIX_TINY_DISK)";
    const std::string folder = disk;
    const std::string old = folder + "shot.bmp";
    WriteWholeFile(old, "the old picture");
    SetImage(MakeBitmap(200, 200, 0, Varied)); // 160 KB as a bitmap file: more than the disk holds
    MessageBoxAnswerer answer;
    Save(folder + "shot", 1);
    ASSERT_TRUE(answer.Seen());
    EXPECT_EQ(answer.Text(), "ストリームへの書き込みエラー.");
    EXPECT_EQ(ReadWholeFile(old), "the old picture");
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"shot.bmp"});
    DeleteFileA(old.c_str());
}

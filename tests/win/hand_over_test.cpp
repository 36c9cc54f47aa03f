// Handing a capture over: copied as a file (the automatically saved one where there is one), the
// copied files of a day ago removed, and a recent capture brought back as it was.
#include "settings_fixture.h"
#include "test_support.h"

#include "core/copied_files.h"
#include "services/clipboard_image.h"
#include "services/copied_file.h"

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr RECT kFirstPlace{60, 60, 300, 220}, kSecondPlace{90, 80, 251, 187};

class HandOverTest : public SettingsTest {
protected:
    // The grab of the window as a pick asks for it, and the capture's end: the cooldown over, the
    // image kept among the recent captures.
    void Capture(HWND target) {
        const size_t kept = program_->Recent().Listed().size();
        program_->CarryOut({{.act = core::Act::Grab, .window = IdOf(target)}});
        ASSERT_TRUE(
            PumpUntil([&] { return !program_->Session().busy() && program_->Recent().Listed().size() == kept + 1; }));
    }
    Pixels Image() { return ReadBitmap(main().LastImage()); }
};

// The one file on the clipboard, which is then removed; empty when there is not exactly one.
std::wstring TakeClipboardFile() {
    const std::vector<std::wstring> files = ReadClipboardFiles();
    if (files.size() != 1) return {};
    return files[0];
}

DWORD ClipboardDropEffect() {
    DWORD effect = DROPEFFECT_NONE;
    if (!OpenClipboard(nullptr)) return effect;
    if (HANDLE data = GetClipboardData(ClipboardImage::DropEffectFormat()))
        effect = *static_cast<const DWORD*>(GlobalLock(data)), GlobalUnlock(data);
    CloseClipboard();
    return effect;
}

bool InFolder(const std::wstring& file, const std::wstring& folder) {
    return file.size() > folder.size() && file.compare(0, folder.size(), folder) == 0;
}

} // namespace

TEST_F(HandOverTest, CtrlShiftCPutsOnePngOfTheImageBesideItsPixelsAndASecondCopyTheSameFile) {
    Start();
    DrawnWindow target(kFirstPlace, DrawnWindow::Kind::Halves);
    Capture(target.Handle());
    const Pixels captured = Image();
    SetForegroundWindow(main().Handle());
    SetFocus(main().Handle());
    Pump(50);
    std::wstring file;
    for (int copy = 0; copy < 2; ++copy) {
        SCOPED_TRACE(copy);
        EXPECT_TRUE(ReadClipboardFiles().empty());
        Type({VK_CONTROL, VK_SHIFT, 'C'});
        ASSERT_TRUE(LoopUntil([] { return !ReadClipboardFiles().empty(); })) << "Ctrl+Shift+C";
        if (copy == 0) file = TakeClipboardFile();
        EXPECT_EQ(TakeClipboardFile(), file);
        EXPECT_EQ(ClipboardDropEffect(), static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_EQ(ReadClipboardPng().data, captured.data) << "the image's own formats";
        program_->Send(core::RecopyClicked{}); // the plain copy: no file
    }
    ASSERT_TRUE(InFolder(file, CopiedFilesFolder()));
    EXPECT_TRUE(core::IsCopiedFileName(file.substr(CopiedFilesFolder().size())));
    const std::string png = ReadBytes(file);
    const Pixels written = DecodePng(png).pixels;
    EXPECT_EQ(written.width, captured.width);
    EXPECT_EQ(written.data, captured.data);
    DeleteFileW(file.c_str());
}

TEST_F(HandOverTest, WithTheOptionACopyTakesTheSavedFileAndAFreshOneWhenThatHasGone) {
    const std::wstring saved = folder_.Path() + L"shots\\";
    WriteIni({"[Option]", "CopyAsFile=1", "AutoSave=1", "AutoSaveDir=" + Utf8(saved)});
    Start();
    DrawnWindow target(kFirstPlace, DrawnWindow::Kind::Halves);
    Capture(target.Handle());
    const std::wstring file = TakeClipboardFile();
    EXPECT_TRUE(InFolder(file, saved)) << Utf8(file);
    DeleteFileW(file.c_str());
    program_->Send(core::RecopyClicked{});
    const std::wstring copied = TakeClipboardFile();
    ASSERT_TRUE(InFolder(copied, CopiedFilesFolder())) << Utf8(copied);
    const std::string png = ReadBytes(copied);
    EXPECT_EQ(DecodePng(png).pixels.data, Image().data);
    DeleteFileW(copied.c_str());
}

TEST_F(HandOverTest, ARecentCaptureChosenFromTheFileMenuComesBackPixelForPixelAndOnTheClipboard) {
    Start();
    DrawnWindow first(kFirstPlace, DrawnWindow::Kind::Halves);
    Capture(first.Handle());
    const Pixels firstPixels = Image();
    const SharedImage firstImage = main().CurrentImage();
    DrawnWindow second(kSecondPlace, DrawnWindow::Kind::Halves, RGB(0xF0, 0x90, 0x10), RGB(0x10, 0x10, 0x10));
    Capture(second.Handle());
    ASSERT_NE(Image().data, firstPixels.data);

    // The File menu's submenu lists both, the newest first; its second item is the first capture.
    HMENU recent = GetSubMenu(GetSubMenu(main().MenuBar(), 0), 2);
    SendMessageW(main().Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(recent), MAKELPARAM(2, FALSE));
    ASSERT_EQ(GetMenuItemCount(recent), 2);
    SendMessageW(main().Handle(), WM_COMMAND, MAKEWPARAM(MenuId(core::Command::RecentCapture) + 1, 0), 0);
    EXPECT_NE(main().CurrentImage(), firstImage) << "made anew from what was kept";
    EXPECT_EQ(Image().width, firstPixels.width);
    EXPECT_EQ(Image().data, firstPixels.data);
    EXPECT_EQ(main().CurrentImage()->dpi, firstImage->dpi);
    EXPECT_EQ(main().CurrentImage()->facts.title, firstImage->facts.title);
    EXPECT_EQ(ReadClipboardBitmap().data, firstPixels.data);
    EXPECT_EQ(program_->Recent().Listed().size(), 2u) << "brought back, not kept again";
}

TEST(CopiedFilesTest, StartUpRemovesTheProgramsOwnFilesWrittenADayAgoAndNothingElse) {
    const std::wstring folder = CopiedFilesFolder();
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring old = folder + L"Kelpix_2001-01-01_00-00-00.png",
                       fresh = folder + L"Kelpix_2001-01-01_00-00-01.png",
                       other = folder + L"Kelpix_2001-01-01_00-00-00.txt";
    FILETIME now{}, dayAndAMinuteAgo{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ago = ((ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime) - 24ull * 61 * 60 * 10'000'000;
    dayAndAMinuteAgo = {static_cast<DWORD>(ago), static_cast<DWORD>(ago >> 32)};
    for (const std::wstring& file : {old, fresh, other}) {
        WriteBytes(file, "x");
        HANDLE opened = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(opened, nullptr, nullptr, file == fresh ? &now : &dayAndAMinuteAgo);
        CloseHandle(opened);
    }
    RemoveStaleCopiedFiles();
    EXPECT_FALSE(FileExists(old));
    EXPECT_TRUE(FileExists(fresh));
    EXPECT_TRUE(FileExists(other));
    DeleteFileW(fresh.c_str());
    DeleteFileW(other.c_str());
}

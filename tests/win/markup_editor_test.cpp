// The markup editor on a known image: the pixels each tool leaves in the image it hands over, a
// redaction that leaves nothing of what lay under it in any output, and Enter putting the marked
// image on the clipboard and in the main window.
#include "main_window_fixture.h"
#include "settings_fixture.h"
#include "test_support.h"

#include "core/markup_marks.h"
#include "core/png_writer.h"
#include "services/image_files.h"

#include <cstring>
#include <stdexcept>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr int kWidth = 240, kHeight = 160;

// A picture of its own at every pixel: the editor must keep each one it does not mark.
uint32_t PatternColour(int x, int y) {
    return static_cast<uint32_t>(((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x + y) & 0xFF));
}

Bitmap PatternBitmap(uint32_t (*colour)(int, int) = &PatternColour) {
    std::vector<uint32_t> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels[y * kWidth + x] = colour(x, y);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::memcpy(bits, pixels.data(), pixels.size() * 4);
    return bitmap;
}

class MarkupEditorTest : public MainWindowTest {
protected:
    MarkupWindow& Open(Bitmap image = PatternBitmap()) {
        main().ShowImage(std::move(image), {kWidth, kHeight});
        Run(core::Command::EditImage);
        MarkupWindow* editor = program().Editor();
        if (!editor || !editor->IsOpen()) throw std::runtime_error("the editor did not open");
        return *editor;
    }
    // A key as the keyboard gives it to the window with the focus.
    void Key(WPARAM key, bool control = false) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(state);
        MSG msg{GetFocus(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        if (!Application::Get().MainForm() || !program().Editor()->PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
    }
    // A drag with the left button on the image, from one image pixel to another.
    void Drag(POINT from, POINT to) {
        HWND canvas = program().Editor()->Canvas();
        SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
        SendMessageW(canvas, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
        SendMessageW(canvas, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
        SendMessageW(canvas, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    }
    void Click(POINT at) { Drag(at, at); }
};

} // namespace

TEST_F(MarkupEditorTest, EachToolLeavesItsPixelsAndEveryOtherPixelAsItWas) {
    MarkupWindow& editor = Open();
    Key('R');
    Drag({10, 10}, {60, 40}); // an outline of 4 pixels inside the box
    Key('H');
    Drag({70, 10}, {110, 30});
    Key('X');
    Drag({10, 60}, {50, 90});
    Key('A');
    Drag({130, 100}, {200, 60});
    Key('N');
    Click({150, 130});
    Key('T');
    Click({10, 110});
    ASSERT_NE(editor.TextBox(), nullptr) << "no text box at the click";
    SetWindowTextW(editor.TextBox(), L"Kelpix");
    Key(VK_RETURN);
    ASSERT_EQ(editor.TextBox(), nullptr) << "Enter did not end the text";
    Key(VK_RETURN); // Done
    EXPECT_FALSE(editor.IsOpen());

    const Pixels out = ReadBitmap(main().LastImage());
    ASSERT_EQ(out.width, kWidth);
    const core::Rgb red = core::ColourRgb(core::MarkColour::Red);
    const uint32_t redPixel = Rgb(RGB(red.r, red.g, red.b));
    EXPECT_EQ(out.At(10, 10), redPixel) << "the outline's corner";
    EXPECT_EQ(out.At(13, 25), redPixel) << "the outline is 4 pixels wide";
    EXPECT_EQ(out.At(14, 25), PatternColour(14, 25)) << "inside the outline";
    EXPECT_EQ(out.At(90, 20) & 0xFF, ((PatternColour(90, 20) & 0xFF) * 96 + 127) / 255)
        << "highlight: blue times 96/255";
    EXPECT_EQ(out.At(30, 75), 0u) << "redaction: black";
    EXPECT_EQ(out.At(161, 130), redPixel) << "the step's disc, beside its digit";
    EXPECT_NE(out.At(150, 130), redPixel) << "the step's digit at the disc's centre";
    EXPECT_EQ(out.At(200, 150), PatternColour(200, 150)) << "untouched";
    int textInk = 0;
    for (int y = 110; y < 130; ++y)
        for (int x = 10; x < 60; ++x)
            textInk += out.At(x, y) != PatternColour(x, y);
    EXPECT_GT(textInk, 20) << "the text drew nothing";
}

// Two captures that differ only under a redaction give the same bytes everywhere the image goes: the
// clipboard's bitmap and "PNG", and BMP and PNG files. Escape with the redaction not yet handed over
// asks first; Enter hands it over.
TEST_F(MarkupEditorTest, NothingUnderARedactionReachesAnyOutput) {
    const auto secret = [](int x, int y) {
        return x >= 20 && x < 80 && y >= 30 && y < 60 ? 0x123456u : PatternColour(x, y);
    };
    TempFolder folder;
    std::vector<std::string> outputs[2];
    for (int run = 0; run < 2; ++run) {
        MarkupWindow& editor = Open(run == 0 ? PatternBitmap() : PatternBitmap(+secret));
        Key('X');
        Drag({15, 25}, {90, 70});
        {
            MessageBoxAnswerer no(IDNO);
            Key(VK_ESCAPE);
            EXPECT_TRUE(no.Seen()) << "closed without asking";
        }
        ASSERT_TRUE(editor.IsOpen());
        Key(VK_RETURN);
        ASSERT_TRUE(PumpUntil([&] { return ReadClipboardBitmap().width == kWidth; }));
        const Pixels clipboard = ReadClipboardBitmap();
        outputs[run].emplace_back(reinterpret_cast<const char*>(clipboard.data.data()), clipboard.data.size() * 4);
        const Pixels png = ReadClipboardPng();
        outputs[run].emplace_back(reinterpret_cast<const char*>(png.data.data()), png.data.size() * 4);
        for (const wchar_t* name : {L"a.bmp", L"a.png"}) {
            const std::wstring path = folder.Path() + name;
            SaveImageFile(path, name[3] == L'b' ? ImageFormat::Bitmap : ImageFormat::Png, *main().CurrentImage());
            outputs[run].push_back(ReadBytes(path));
        }
    }
    ASSERT_EQ(outputs[0].size(), 4u);
    for (size_t i = 0; i < outputs[0].size(); ++i)
        EXPECT_TRUE(outputs[0][i] == outputs[1][i]) << "output " << i << " tells what lay under the redaction";
}

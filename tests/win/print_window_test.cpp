// "The parts that other windows cover": a top-level target printed by itself, what lies over it left
// out and its parts off the screen kept, and the screen copy wherever the print cannot be trusted.
#include "main_window_fixture.h"
#include "test_support.h"

#include "services/screen_grab.h"

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);
constexpr COLORREF kCover = RGB(0x60, 0x10, 0x70);

// The picture a DrawnWindow of this size paints: its left half teal, its right half orange.
bool IsHalves(const Pixels& p, int width, int height) {
    if (p.width != width || p.height != height) return false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (p.At(x, y) != Rgb(x < width / 2 ? kTeal : kOrange)) return false;
    return true;
}

class PrintWindowTest : public MainWindowTest {
protected:
    // The grab as the session asks for it once a target is picked.
    Pixels Grab(HWND target, bool printed) {
        program().CarryOut(
            {{.act = core::Act::Grab, .window = IdOf(target), .grab = printed ? core::kGrabPrinted : 0}});
        return ReadBitmap(main().LastImage());
    }
};

} // namespace

TEST_F(PrintWindowTest, ACoveredWindowComesOutAloneAndWholeAndAsTheScreenShowsItWithTheOptionOff) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        const char* name;
        RECT at;
    } rows[] = {
        {"on the screen", {200, 420, 500, 620}},
        {"reaching past the left and bottom edges", {-100, h - 150, 300, h + 150}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RECT& r = row.at;
        DrawnWindow target(r, DrawnWindow::Kind::Halves);
        ColourWindow cover({r.left + 150, r.top + 40, r.left + 260, r.top + 120}, kCover); // made later: above
        Pump(150);
        EXPECT_TRUE(IsHalves(Grab(target.Handle(), true), r.right - r.left, r.bottom - r.top))
            << "printed: the target alone, whole";

        const Pixels screenCopy = Grab(target.Handle(), false);
        const RECT seen{std::max(0L, r.left), std::max(0L, r.top), std::min<LONG>(w, r.right),
                        std::min<LONG>(h, r.bottom)};
        ASSERT_EQ(screenCopy.width, seen.right - seen.left);
        ASSERT_EQ(screenCopy.height, seen.bottom - seen.top);
        EXPECT_EQ(screenCopy.At(150 + 10 - (seen.left - r.left), 40 + 10), Rgb(kCover)) << "as today: the cover is in";
        EXPECT_EQ(screenCopy.data, ReadScreen(seen).data);
    }
}

TEST_F(PrintWindowTest, TheScreenCopyIsTakenForAHungWindowWithinTheLimitAndForOneThatPrintsNothing) {
    const RECT r{200, 420, 500, 620};
    const struct {
        const char* name;
        DrawnWindow::Kind kind;
        bool hangs;
    } rows[] = {
        {"hung", DrawnWindow::Kind::Halves, true},
        {"answers, then hangs while it prints", DrawnWindow::Kind::HangsWhilePrinting, true},
        {"prints nothing", DrawnWindow::Kind::HalvesOnScreenOnly, false},
    };
    static_assert(DrawnWindow::kPrintHangMs >= 4 * kPrintAnswerMs);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DrawnWindow target(r, row.kind);
        ColourWindow cover({r.left + 150, r.top + 40, r.left + 260, r.top + 120}, kCover);
        Pump(150);
        const Pixels onScreen = ReadScreen(r);
        // Asleep for four times the limit: a grab that waited for it would find it awake again.
        if (row.kind == DrawnWindow::Kind::Halves) target.Hang(4 * kPrintAnswerMs);
        const Pixels image = Grab(target.Handle(), true);
        if (row.hangs) {
            EXPECT_TRUE(target.Asleep()) << "the grab waited for the hung window";
        }
        EXPECT_EQ(image.width, r.right - r.left);
        EXPECT_EQ(image.data, onScreen.data) << "not the screen copy";
    }
}

TEST_F(PrintWindowTest, AChildWindowIsCopiedFromTheScreen) {
    const RECT r{200, 420, 500, 620};
    DrawnWindow parent(r, DrawnWindow::Kind::Halves);
    Pump(100);
    // A child control of the parent's, lying over the middle; the cover lies over the control.
    std::unique_ptr<HWND__, decltype(&DestroyWindow)> child(
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 100, 50, 100, 100, parent.Handle(),
                        nullptr, GetModuleHandleA(nullptr), nullptr),
        &DestroyWindow);
    ASSERT_NE(child.get(), nullptr);
    ColourWindow cover({r.left + 120, r.top + 70, r.left + 180, r.top + 130}, kCover);
    Pump(150);
    const Pixels image = Grab(child.get(), true);
    EXPECT_EQ(image.width, 100);
    EXPECT_EQ(image.data, ReadScreen({r.left + 100, r.top + 50, r.left + 200, r.top + 150}).data);
    EXPECT_EQ(image.At(50, 50), Rgb(kCover));
}

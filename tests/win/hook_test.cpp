// The hook library itself: the program publishes its main window in the shared block, the library
// reads it there and reports the real pointer's moves and release to it.
#include "tray_fixture.h"

#include "kelpix_hook.h"

#include <functional>
#include <thread>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);
constexpr RECT kTarget{600, 500, 700, 560};

// The user's mouse, from a thread of its own: the hook runs in this one and must be pumped for the
// input to go on.
class Hand {
public:
    explicit Hand(std::function<void()> moves) : thread_(std::move(moves)) {}
    ~Hand() { thread_.join(); }

private:
    std::thread thread_;
};

class HookLibraryTest : public TrayTest {
protected:
    void TearDown() override {
        // Whatever a failed test left, the button goes up.
        if (GetAsyncKeyState(VK_LBUTTON) < 0) MouseEvent(MOUSEEVENTF_LEFTUP);
        Pump(50);
        TrayTest::TearDown();
    }
};

} // namespace

TEST(HookLibrary, HandlesRoundTripThroughTheBlockSignExtended) {
    // Handles are 32-bit values: the ones with the top bit set come back with every upper bit set.
    for (LONG value : {0x00010001L, 0x7FFFFFFEL, static_cast<LONG>(0x80000010), -2L}) {
        HWND handle = static_cast<HWND>(LongToHandle(value));
        EXPECT_EQ(BlockValueToHandle(HandleToBlockValue(handle)), handle) << std::hex << value;
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(BlockValueToHandle(static_cast<DWORD>(value))), LONG_PTR{value});
    }
}

TEST_F(HookLibraryTest, TheRealPointersMovesAndReleaseReachTheMainWindowThroughTheBlock) {
    ColourWindow target(kTarget, kOrange);
    Run(core::Command::StoreInTray);
    const POINT over = Centre(kTarget);
    Hand([&] {
        MouseTo(over.x - 30, over.y - 20);
        MouseEvent(MOUSEEVENTF_LEFTDOWN);
    });
    Pump(50);
    // The shell's reports of the press and a movement over the icon start the drag and the hook.
    Notify(WM_LBUTTONDOWN);
    Notify(WM_MOUSEMOVE);
    ASSERT_TRUE(session().drag_from_tray());

    KernelHandle block(OpenFileMappingA(FILE_MAP_READ, FALSE, kHookBlockName));
    ASSERT_TRUE(block) << "no shared block";
    MappedView view(MapViewOfFile(block.get(), FILE_MAP_READ, 0, 0, sizeof(DWORD)));
    ASSERT_TRUE(view);
    EXPECT_EQ(BlockValueToHandle(*static_cast<const DWORD*>(view.get())), main().Handle());

    {
        Hand hand([&] { MouseTo(over.x, over.y); });
        EXPECT_TRUE(PumpUntil([&] { return session().target() == IdOf(target.Handle()); })) << "no move reported";
    }
    {
        Hand hand([] { MouseEvent(MOUSEEVENTF_LEFTUP); });
        EXPECT_TRUE(PumpUntil([&] { return !session().dragging(); })) << "no release reported";
    }
    ASSERT_TRUE(PumpUntil([&] { return main().LastImage() != nullptr; })) << "no capture";
    const Pixels clip = ReadClipboardBitmap();
    EXPECT_EQ(clip.width, kTarget.right - kTarget.left);
    EXPECT_EQ(clip.height, kTarget.bottom - kTarget.top);
    EXPECT_TRUE(AllPixels(clip, Rgb(kOrange)));
}

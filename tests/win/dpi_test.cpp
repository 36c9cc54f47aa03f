// The forms at another DPI: opened on a 144 DPI monitor, or moved onto one (WM_DPICHANGED).
#include "main_window_fixture.h"
#include "ui/options_dialog.h"
#include "test_support.h"

#include <commctrl.h>

#include <vector>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// What a form's layout is made of: its client size, each child's rectangle in its parent, the font.
struct Layout {
    SIZE client{};
    std::vector<RECT> children;
    LONG fontHeight = 0;
};

BOOL CALLBACK AddChild(HWND child, LPARAM layout) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    // A drop-down list takes the height its font asks for, whatever it is given: its width and
    // place are the layout's.
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, WC_COMBOBOXW) == 0) r.bottom = r.top;
    reinterpret_cast<Layout*>(layout)->children.push_back(r);
    return TRUE;
}

Layout LayoutOf(Form& form) {
    Layout layout;
    layout.client = form.ClientSize();
    EnumChildWindows(form.Handle(), &AddChild, reinterpret_cast<LPARAM>(&layout));
    LOGFONTA font{};
    GetObjectA(form.Font(), sizeof font, &font);
    layout.fontHeight = font.lfHeight;
    return layout;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// `scaled` is `designed` at one and a half times the size, give or take the rounding: a pixel for each
// rounded length, and a length can be the difference of two (the scroll box fills what the column leaves).
void ExpectOneAndAHalfTimes(const Layout& scaled, const Layout& designed) {
    auto close = [](LONG scaledLength, LONG designedLength) {
        return std::abs(scaledLength - designedLength * 3 / 2) <= 2;
    };
    EXPECT_TRUE(close(scaled.client.cx, designed.client.cx) && close(scaled.client.cy, designed.client.cy))
        << scaled.client.cx << "x" << scaled.client.cy << " for " << designed.client.cx << "x" << designed.client.cy;
    EXPECT_EQ(scaled.fontHeight, designed.fontHeight * 3 / 2);
    ASSERT_EQ(scaled.children.size(), designed.children.size());
    for (std::size_t i = 0; i < scaled.children.size(); ++i) {
        const RECT &s = scaled.children[i], &d = designed.children[i];
        EXPECT_TRUE(close(s.left, d.left) && close(s.top, d.top) && close(s.right - s.left, d.right - d.left) &&
                    close(s.bottom - s.top, d.bottom - d.top))
            << "child " << i << ": " << s.left << "," << s.top << "," << s.right << "," << s.bottom << " for " << d.left
            << "," << d.top << "," << d.right << "," << d.bottom;
    }
}

void ExpectSameLayout(const Layout& a, const Layout& b) {
    EXPECT_EQ(a.client.cx, b.client.cx);
    EXPECT_EQ(a.client.cy, b.client.cy);
    EXPECT_EQ(a.fontHeight, b.fontHeight);
    ASSERT_EQ(a.children.size(), b.children.size());
    for (std::size_t i = 0; i < a.children.size(); ++i)
        EXPECT_TRUE(EqualRect(&a.children[i], &b.children[i])) << "child " << i;
}

// New forms open as on a monitor of the given DPI while this lives.
class MonitorDpi {
public:
    explicit MonitorDpi(int dpi) : saved_(Application::Get().monitorDpi) {
        current = dpi;
        Application::Get().monitorDpi = [](POINT) { return current; };
    }
    ~MonitorDpi() { Application::Get().monitorDpi = saved_; }

private:
    static inline int current = 96;
    int (*saved_)(POINT);
};

// Tells a form that it now lies on a monitor of `dpi`, suggesting the rectangle of `like`.
void SendDpiChanged(Form& form, int dpi, const Form& like) {
    RECT suggested{};
    GetWindowRect(like.Handle(), &suggested);
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

} // namespace

// From the screen's DPI (96 in most runs, 144 in one) to a monitor at one and a half times that.
TEST_F(MainWindowTest, MovedOntoAMonitorOfHigherDpiItIsLaidOutAsIfItHadStartedThere) {
    const int base = main().Dpi(), higher = base * 3 / 2;
    const Layout atBase = LayoutOf(main());
    // A main window opened on a monitor of the given DPI.
    auto openedAt = [&](int dpi) {
        MonitorDpi opened(dpi);
        return std::make_unique<MainWindow>(program(), core::Settings{});
    };
    std::unique_ptr<MainWindow> fresh = openedAt(higher);
    EXPECT_EQ(fresh->Dpi(), higher);
    const Layout atHigher = LayoutOf(*fresh);
    ExpectOneAndAHalfTimes(atHigher, atBase);
    const int iconWidth = MulDiv(32, higher, 96);
    EXPECT_EQ(IconWidth(fresh->TargetIcon().IconHandle()), iconWidth) << "the target icon is drawn for the DPI";

    SendDpiChanged(main(), higher, *fresh);
    EXPECT_EQ(main().Dpi(), higher);
    ExpectSameLayout(LayoutOf(main()), atHigher);
    EXPECT_EQ(IconWidth(main().TargetIcon().IconHandle()), iconWidth);
    EXPECT_EQ(main().DefaultClientSize().cx, fresh->DefaultClientSize().cx);
    EXPECT_EQ(main().DefaultClientSize().cy, fresh->DefaultClientSize().cy);

    // And back: exactly the layout it started with.
    fresh = openedAt(base);
    SendDpiChanged(main(), base, *fresh);
    ExpectSameLayout(LayoutOf(main()), atBase);
    EXPECT_EQ(IconWidth(main().TargetIcon().IconHandle()), MulDiv(32, base, 96));
}

TEST_F(MainWindowTest, TheOptionsDialogFollowsTheDpiToo) {
    OptionsDialog dialog;
    const int higher = dialog.Dpi() * 3 / 2;
    std::unique_ptr<OptionsDialog> fresh;
    {
        MonitorDpi dpi(higher);
        fresh = std::make_unique<OptionsDialog>();
    }
    ExpectOneAndAHalfTimes(LayoutOf(*fresh), LayoutOf(dialog));
    SendDpiChanged(dialog, higher, *fresh);
    ExpectSameLayout(LayoutOf(dialog), LayoutOf(*fresh));
}

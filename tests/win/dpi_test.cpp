// The forms at another DPI: opened on a 144 DPI monitor, or moved onto one (WM_DPICHANGED).
#include "main_window_fixture.h"
#include "options/option_dlg.h"
#include "test_support.h"

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

// `scaled` is `designed` at one and a half times the size, give or take the rounding of each length.
void ExpectOneAndAHalfTimes(const Layout& scaled, const Layout& designed) {
    auto close = [](LONG scaledLength, LONG designedLength) {
        return std::abs(scaledLength - designedLength * 3 / 2) <= 1;
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

TEST_F(MainWindowTest, MovedOntoA144DpiMonitorItIsLaidOutAsIfItHadStartedThere) {
    const Layout at96 = LayoutOf(main());
    std::unique_ptr<TKelpix> fresh;
    {
        MonitorDpi dpi(144);
        fresh = std::make_unique<TKelpix>(main().IniPath);
    }
    EXPECT_EQ(fresh->Dpi(), 144);
    const Layout at144 = LayoutOf(*fresh);
    ExpectOneAndAHalfTimes(at144, at96);
    EXPECT_EQ(IconWidth(fresh->Image4->IconHandle()), 48) << "the target icon is drawn for 144 DPI";

    SendDpiChanged(main(), 144, *fresh);
    EXPECT_EQ(main().Dpi(), 144);
    ExpectSameLayout(LayoutOf(main()), at144);
    EXPECT_EQ(IconWidth(main().Image4->IconHandle()), 48);
    EXPECT_EQ(Application::Get().Cursor(6), main().Image4->IconHandle()) << "the drag cursor follows";
    EXPECT_EQ(main().DefaultClientWidth, fresh->DefaultClientWidth);
    EXPECT_EQ(main().DefaultClientHeight, fresh->DefaultClientHeight);

    // And back: exactly the layout it started with.
    fresh.reset();
    {
        MonitorDpi dpi(96);
        fresh = std::make_unique<TKelpix>(main().IniPath);
    }
    SendDpiChanged(main(), 96, *fresh);
    ExpectSameLayout(LayoutOf(main()), at96);
    EXPECT_EQ(IconWidth(main().Image4->IconHandle()), 32);
}

TEST_F(MainWindowTest, TheOptionsDialogFollowsTheDpiToo) {
    TOptionDlg at96;
    std::unique_ptr<TOptionDlg> fresh;
    {
        MonitorDpi dpi(144);
        fresh = std::make_unique<TOptionDlg>();
    }
    ExpectOneAndAHalfTimes(LayoutOf(*fresh), LayoutOf(at96));
    SendDpiChanged(at96, 144, *fresh);
    ExpectSameLayout(LayoutOf(at96), LayoutOf(*fresh));
}

// The application object: the hidden top-level window that carries the taskbar button and owns
// the forms, the program's title and icon, the cursor table and the message loop.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace kelpix {

class Form;

class Application {
public:
    static Application& Get();

    // Creates the application window. Title: the executable's file name without extension.
    void Initialize(HINSTANCE instance);
    void Shutdown();

    HINSTANCE Instance() const { return instance_; }
    // The executable's full path (however long), and the folder it is in, ending in "\\".
    static std::wstring ExePath();
    static std::wstring ExeFolder();
    HWND Handle() const { return handle_; }
    const std::wstring& Title() const { return title_; }
    HICON Icon() const { return icon_; }
    HICON SmallIcon() const { return smallIcon_; }
    // Pixels per inch of the screen (the system's DPI); layouts are designed at 96 and scaled by this.
    // A form uses the DPI of its own monitor instead (Form::Dpi).
    int Dpi() const { return dpi_; }
    int Scale(int designed) const { return MulDiv(designed, dpi_, 96); }
    // The DPI of the monitor at a point: the effective DPI where the system knows one per monitor,
    // the system's DPI elsewhere. Tests may replace the query.
    int MonitorDpi(POINT at) const { return monitorDpi ? monitorDpi(at) : dpi_; }
    int (*monitorDpi)(POINT at) = nullptr;

    // The main form: its keyboard shortcuts are translated in the loop, and closing it ends the loop.
    void SetMainForm(Form* form) { mainForm_ = form; }
    Form* MainForm() const { return mainForm_; }

    // Runs the message loop until the main form closes for good.
    void Run();
    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();
    // Handles one message, first waiting for one when none is queued (the step of a modal loop).
    void HandleOneMessage();
    // Ends the loop after the current message.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Makes the loop ready to run again after it ended, dropping a pending quit message.
    void Reset();

    // The typeface and character set of the forms' font (see Form::Font); the program sets them for
    // the language it shows before it creates its forms.
    struct FontFace {
        std::wstring name;
        BYTE charset;
    };
    const FontFace& FormFont() const { return formFont_; }
    void SetFormFont(FontFace face) { formFont_ = std::move(face); }

    // The program-wide cursor (a drag's). While there is one, every window of the program shows it
    // over its client area, and it is shown at once. Going back to none lets the window under the
    // pointer choose its own cursor again. The caller keeps the cursor alive while it is shown.
    void SetScreenCursor(HCURSOR cursor);
    HCURSOR ScreenCursor() const { return screenCursor_; }

    // A message box owned by the application window and modal to all of the program's windows:
    // they take no input while it is up.
    int ShowMessage(const wchar_t* text, const wchar_t* caption, UINT flags);

    // The program's modal windows (a modally shown form, the save dialog, a message box) come one
    // at a time: a command that would open another while one is up brings the open one to the
    // front instead. A ModalScope marks one as up for as long as it lives; `window` is the modal
    // window when it is known beforehand (a dialog box of the system is found when needed).
    class ModalScope {
    public:
        explicit ModalScope(HWND window = nullptr);
        ~ModalScope();
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        HWND saved_;
    };
    bool ModalUp() const { return modalDepth_ > 0; }
    // For a modal loop: disables the thread's visible, enabled top-level windows other than `except`
    // and enables them again at Restore() or when it goes, whichever comes first.
    class OtherWindowsDisabled {
    public:
        explicit OtherWindowsDisabled(HWND except = nullptr);
        ~OtherWindowsDisabled() { Restore(); }
        OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
        OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;
        void Restore();

    private:
        std::vector<HWND> disabled_;
    };
    // Brings the modal window that is up to the front. False when none is up.
    bool BringModalToFront();

private:
    Application() = default;
    bool HandleMessage(MSG& msg);
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_ = nullptr;
    HWND handle_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::wstring title_;
    FontFace formFont_{L"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET};
    int dpi_ = 96;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    int modalDepth_ = 0;
    HWND modalWindow_ = nullptr;
    HCURSOR screenCursor_ = nullptr;
};

} // namespace kelpix

// The clipboard's image: a copy of a bitmap as CF_BITMAP, the same pixels as a DIB that tells the DPI
// the window was seen at (so that Word inserts it at the size it looked), and as the registered format
// "PNG", which Office, chat programs, Qt programs and browsers prefer, with the DPI and the window's
// shape as transparency. The bitmap and the DIB show the outside of the shape white. Both are made only when
// a program asks for them (delayed rendering); what is still owed when the program ends is rendered
// then, and nothing is kept once another program has taken the clipboard. Beside them may go the
// image's file, as a file list to copy (CF_HDROP and "Preferred DropEffect"): a paste in a folder
// makes the file, one in a chat or a browser's upload box sends it.
#pragma once
#include "services/captured_image.h"
#include "toolkit/handles.h"
#include "toolkit/window.h"

#include <memory>
#include <string>

namespace kelpix {

class ClipboardImage : public Window {
public:
    ClipboardImage() = default;
    ~ClipboardImage() override;

    // Empties the clipboard and offers the image there (no bitmap: it stays empty), keeping the
    // image itself for the copy and the PNG made from it when asked: the image must not change
    // afterwards. With `file`, that file (which holds the image) goes beside them. A clipboard that
    // cannot be opened, emptied or given the image raises "クリップボードを開くことができません".
    void Copy(SharedImage image, const std::wstring& file = {});

    // The registered formats "PNG" and "Preferred DropEffect".
    static UINT PngFormat();
    static UINT DropEffectFormat();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Offers the file as a file list to copy, on the clipboard, which is open.
    void OfferFile(const std::wstring& file);
    // Hands a copy of the pending bitmap to the clipboard, which is open; a failure says nothing.
    void RenderBitmap();
    // Hands the pending image as a DIB to the clipboard, which is open, with the DPI it was seen at.
    void RenderDib();
    // Hands the PNG of the pending pixels to the clipboard, which is open; a failure leaves the
    // bitmap as it is and says nothing (another program is in the middle of a paste).
    void RenderPng();

    SharedImage pending_; // the image the clipboard is owed
};

} // namespace kelpix

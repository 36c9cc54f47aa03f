// The black frame that marks the window under the pointer while a target is picked, drawn straight
// on the screen. It is the four strips of screen pixels saved before it is drawn, painted black: it
// covers exactly the pixels the strips hold, so putting them back leaves the screen as it was.
#pragma once
#include "core/frame_geometry.h"
#include "toolkit/handles.h"

#include <array>

namespace kelpix {

// A strip of screen pixels under one side of the frame, in a bitmap compatible with the screen that
// is resized in place: the system bitmap behind it is made with room for a strip along the whole
// screen, and made anew only when a strip needs more.
class StripBitmap {
public:
    // A strip of the top or bottom side runs across (its width is the long side), of the left or
    // right side down.
    explicit StripBitmap(bool across) : across_(across) {}
    // Sets the size. False when the system refuses a bitmap that large; the strip is then empty.
    bool Resize(HDC screen, int width, int height);
    // Empties the strip (size 0 by 0), keeping its bitmap for the next use.
    void Clear() { size_ = {0, 0}; }
    HBITMAP Handle() const { return bitmap_.get(); }
    SIZE Size() const { return size_; }
    bool Empty() const { return size_.cx <= 0 || size_.cy <= 0; }

private:
    bool across_;
    Bitmap bitmap_;
    SIZE capacity_{0, 0};
    SIZE size_{0, 0};
};

class HighlightFrame {
public:
    // Frames the window's visible bounds, read once: the strips go back to exactly that place.
    void Draw(HWND window);
    // Puts the strips back. A window that has moved or gone since leaves those pixels, and where it
    // is now, to be painted again by whatever lies there.
    void Erase(HWND window);

private:
    std::array<StripBitmap, 4> strips_{StripBitmap{true}, StripBitmap{true}, StripBitmap{false},
                                       StripBitmap{false}}; // top, bottom, left, right
    RECT framed_{};
    std::array<core::EdgeStrip, 4> saved_{}; // where each strip was taken from, cut to the screen
};

} // namespace kelpix

// A captured picture as the program keeps it: the bitmap (for a capture, 32-bit pixels top row first
// in a DIB section, readable in place), its size, the DPI of the monitor it was seen on, and the shape
// of the window it shows. Shared, and never changed once made: the clipboard, the files, the editor
// and the list of recent captures all read the same one.
#pragma once
#include "core/auto_save_names.h"
#include "toolkit/handles.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kelpix {

struct CapturedImage {
    Bitmap bitmap;
    SIZE size{0, 0};
    uint32_t dpi = 96;              // of the monitor it was captured on
    std::vector<uint8_t> shapeMask; // size.cx * size.cy bytes, 0 outside the window's shape; empty: none
    // When, and of which window and program; number: its number among the recent captures, else 0.
    core::CaptureFacts facts{};
    // The bitmap's pixels where BlankImage made it: 32 bits each, top row first; else none.
    uint8_t* pixels = nullptr;
};
using SharedImage = std::shared_ptr<const CapturedImage>;

// What a capture of the window (a control's: its top-level window's) notes of it now: the local date
// and time, the window's title and its program's file name. No window: the time alone.
core::CaptureFacts CaptureFactsOf(HWND captured);

// A new picture of this size in a 32-bit DIB section, every pixel black; no bitmap where the system
// has no room for it.
CapturedImage BlankImage(SIZE size);

// The image's pixels where they can be read in place: blue, green, red and an unused byte each, rows
// from the top, 4 * width bytes apart. Nothing for a bitmap BlankImage did not make.
std::optional<const uint8_t*> PixelsInPlace(const CapturedImage& image);

} // namespace kelpix

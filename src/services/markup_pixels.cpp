#include "services/markup_pixels.h"

#include "services/texts.h"
#include "toolkit/error.h"

#include <algorithm>
#include <cstring>

namespace kelpix {

namespace {

// The bitmap's pixels, 32 bits each, top row first: what a DIB section of a capture holds in place.
std::vector<uint8_t> Converted(HBITMAP bitmap, SIZE size) {
    std::vector<uint8_t> pixels(static_cast<size_t>(size.cx) * size.cy * 4);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    WindowDc screen;
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS) != size.cy)
        throw Error(Texts().imageReadFailed);
    return pixels;
}

} // namespace

MarkupPixels::MarkupPixels(SharedImage image) : image_(std::move(image)) {
    if (const auto inPlace = PixelsInPlace(*image_)) {
        pixels_ = *inPlace;
    } else {
        converted_ = Converted(image_->bitmap.get(), image_->size);
        pixels_ = converted_.data();
    }
}

core::MarkupCanvas MarkupPixels::ViewCanvas() {
    const core::Rect whole{0, 0, image_->size.cx, image_->size.cy};
    return {view_.pixels, int64_t{whole.Width()} * 4, whole};
}

void MarkupPixels::Render(const core::MarkupDocument& document, const core::Rect& area) {
    const size_t stride = static_cast<size_t>(image_->size.cx) * 4;
    // The first mark: the view becomes a copy of the image, which stays as it is.
    if (!view_.pixels) {
        view_ = BlankImage(image_->size);
        if (!view_.pixels) throw Error(Texts().outOfMemory);
        std::memcpy(view_.pixels, pixels_, stride * static_cast<size_t>(image_->size.cy));
    }
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const size_t at = stride * static_cast<size_t>(y) + static_cast<size_t>(area.left) * 4;
        std::memcpy(view_.pixels + at, pixels_ + at, static_cast<size_t>(area.Width()) * 4);
    }
    core::RenderMarkup(document, glyphs_, ViewCanvas(), area, core::RenderFor::View);
}

void MarkupPixels::Paint(HDC dc, const core::Rect& area, POINT to) const {
    if (area.Empty()) return;
    // The view once there is one, else the image itself; each is selected only while it is copied
    // (the main window shows the image's bitmap too).
    MemoryDc source(CreateCompatibleDC(dc));
    SelectGuard keep(source.get(), view_.bitmap ? view_.bitmap.get() : image_->bitmap.get());
    BitBlt(dc, to.x, to.y, area.Width(), area.Height(), source.get(), area.left, area.top, SRCCOPY);
}

CapturedImage MarkupPixels::Output(const core::MarkupDocument& document) {
    const core::Rect& crop = document.crop();
    CapturedImage output = BlankImage({crop.Width(), crop.Height()});
    if (!output.pixels) throw Error(Texts().outOfMemory);
    uint8_t* out = output.pixels;
    const size_t from = static_cast<size_t>(image_->size.cx) * 4, to = static_cast<size_t>(crop.Width()) * 4;
    for (int32_t y = crop.top; y < crop.bottom; ++y)
        std::memcpy(out + to * static_cast<size_t>(y - crop.top),
                    pixels_ + from * static_cast<size_t>(y) + crop.left * 4, to);
    core::RenderMarkup(document, glyphs_, {out, static_cast<int64_t>(to), crop}, crop, core::RenderFor::Output);
    // What the capture knew of itself goes with it; its shape is cut as the picture is.
    output.dpi = image_->dpi;
    output.facts = image_->facts;
    if (!image_->shapeMask.empty()) {
        output.shapeMask.reserve(static_cast<size_t>(crop.Width()) * crop.Height());
        for (int32_t y = crop.top; y < crop.bottom; ++y) {
            const auto row = image_->shapeMask.begin() + static_cast<ptrdiff_t>(y) * image_->size.cx;
            output.shapeMask.insert(output.shapeMask.end(), row + crop.left, row + crop.right);
        }
    }
    return output;
}

} // namespace kelpix

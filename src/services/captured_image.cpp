#include "services/captured_image.h"

namespace kelpix {

CapturedImage BlankImage(SIZE size) {
    CapturedImage image;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    image.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (image.bitmap) image.size = size;
    return image;
}

std::optional<const uint8_t*> PixelsInPlace(const CapturedImage& image) {
    DIBSECTION section{};
    if (!image.bitmap || GetObjectW(image.bitmap.get(), sizeof section, &section) != sizeof section) return {};
    const BITMAPINFOHEADER& header = section.dsBmih;
    if (!section.dsBm.bmBits || header.biBitCount != 32 || header.biCompression != BI_RGB || header.biHeight >= 0 ||
        header.biWidth != image.size.cx || -header.biHeight != image.size.cy)
        return {};
    return static_cast<const uint8_t*>(section.dsBm.bmBits);
}

} // namespace kelpix

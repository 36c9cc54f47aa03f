// The markup editor's pixels: the captured image it opened on (read in place, never changed), the
// view (the image with the marks and what the editor shows about them), rendered only where the
// document says something changed, and the output made afresh from the image and the marks.
#pragma once
#include "core/markup_raster.h"
#include "services/captured_image.h"
#include "services/markup_glyphs.h"

#include <cstdint>
#include <vector>

namespace kelpix {

class MarkupPixels {
public:
    explicit MarkupPixels(SharedImage image);

    const SharedImage& Image() const { return image_; }
    // The view's pixels in the image rectangle, rendered anew from the image and the document.
    void Render(const core::MarkupDocument& document, const core::Rect& area);
    // Paints the image rectangle `area` of the view at `to` on the device context.
    void Paint(HDC dc, const core::Rect& area, POINT to) const;
    // The image handed over: the crop of the image with the marks, nothing else drawn in.
    CapturedImage Output(const core::MarkupDocument& document);
    MarkupGlyphs& Glyphs() { return glyphs_; }

private:
    core::MarkupCanvas ViewCanvas();

    SharedImage image_;
    const uint8_t* pixels_ = nullptr; // the image's, top row first, 4 bytes a pixel
    std::vector<uint8_t> converted_;  // the image's pixels, where its bitmap cannot be read in place
    CapturedImage view_;              // made at the first mark: until then the view is the image
    MarkupGlyphs glyphs_;
};

} // namespace kelpix

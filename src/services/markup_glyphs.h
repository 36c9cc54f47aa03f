// The markup editor's text and step numbers, drawn by the system's font engine (GDI, grayscale
// anti-aliased) as coverage masks the core's renderer composites (core/markup_raster.h). The same
// font measures text when it is committed, so that a mark's box and its mask always agree.
#pragma once
#include "core/markup_raster.h"
#include "toolkit/handles.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelpix {

class MarkupGlyphs final : public core::MarkupGlyphs {
public:
    MarkupGlyphs() = default;
    ~MarkupGlyphs() override;
    MarkupGlyphs(const MarkupGlyphs&) = delete;
    MarkupGlyphs& operator=(const MarkupGlyphs&) = delete;

    core::CoverageMask TextMask(const core::Mark& text) override;
    core::CoverageMask StepNumberMask(int number, int32_t diameter) override;

    // The font text of this size is drawn in (core::kTextSizes), for the editor's text box too.
    HFONT TextFont(int sizeIndex);
    // The size the text (lines separated by '\n') takes in that font.
    SIZE MeasureText(const std::wstring& text, int sizeIndex);

private:
    struct Mask {
        std::vector<uint8_t> coverage;
        int32_t width = 0, height = 0;
    };
    // The text drawn white on black in `font` into a box of the size, its green channel kept.
    static Mask Draw(const std::wstring& text, HFONT font, SIZE box, UINT format);
    core::CoverageMask View(const Mask& mask) const { return {mask.coverage.data(), mask.width, mask.height}; }
    HFONT StepFont(int32_t diameter);

    std::map<int, HFONT> textFonts_, stepFonts_; // by size index, by diameter
    std::map<std::pair<int, std::wstring>, Mask> texts_;
    std::map<std::pair<int, int32_t>, Mask> steps_;
};

} // namespace kelpix

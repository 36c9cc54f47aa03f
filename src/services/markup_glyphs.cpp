#include "services/markup_glyphs.h"

#include "toolkit/application.h"

#include <cstring>

namespace kelpix {

namespace {

constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS | DT_NOCLIP;

// A font of the program's typeface, its characters `height` pixels high.
HFONT MakeFont(int height, int weight) {
    const Application::FontFace& face = Application::Get().FormFont();
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, face.charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.name.c_str());
}

} // namespace

MarkupGlyphs::~MarkupGlyphs() {
    for (auto& [size, font] : textFonts_)
        DeleteObject(font);
    for (auto& [diameter, font] : stepFonts_)
        DeleteObject(font);
}

HFONT MarkupGlyphs::TextFont(int sizeIndex) {
    HFONT& font = textFonts_[sizeIndex];
    if (!font) font = MakeFont(core::kTextSizes.at(static_cast<size_t>(sizeIndex)), FW_NORMAL);
    return font;
}

HFONT MarkupGlyphs::StepFont(int32_t diameter) {
    HFONT& font = stepFonts_[diameter];
    // Two digits fit the disc.
    if (!font) font = MakeFont(diameter * 11 / 20, FW_BOLD);
    return font;
}

SIZE MarkupGlyphs::MeasureText(const std::wstring& text, int sizeIndex) {
    MemoryDc dc(CreateCompatibleDC(nullptr));
    SelectGuard keep(dc.get(), TextFont(sizeIndex));
    RECT r{0, 0, 0, 0};
    // An empty last line still takes its height, as the text box shows it.
    const std::wstring measured = text.empty() || text.back() == L'\n' ? text + L' ' : text;
    DrawTextW(dc.get(), measured.c_str(), static_cast<int>(measured.size()), &r, kTextFormat | DT_CALCRECT);
    return {r.right, r.bottom};
}

MarkupGlyphs::Mask MarkupGlyphs::Draw(const std::wstring& text, HFONT font, SIZE box, UINT format) {
    Mask mask;
    if (box.cx <= 0 || box.cy <= 0) return mask;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), box.cx, -box.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc) return mask;
    {
        SelectGuard keepBitmap(dc.get(), bitmap.get()), keepFont(dc.get(), font);
        SetTextColor(dc.get(), RGB(255, 255, 255));
        SetBkMode(dc.get(), TRANSPARENT);
        RECT r{0, 0, box.cx, box.cy};
        DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, format);
        GdiFlush();
    }
    // Grayscale anti-aliasing: every channel holds the coverage.
    mask.width = box.cx;
    mask.height = box.cy;
    mask.coverage.resize(static_cast<size_t>(box.cx) * box.cy);
    const auto* pixel = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < mask.coverage.size(); ++i)
        mask.coverage[i] = pixel[4 * i + 1];
    return mask;
}

core::CoverageMask MarkupGlyphs::TextMask(const core::Mark& text) {
    auto [found, fresh] = texts_.try_emplace({text.text_size_index, text.text});
    if (fresh) {
        const SIZE box = MeasureText(text.text, text.text_size_index);
        found->second = Draw(text.text, TextFont(text.text_size_index), box, kTextFormat);
    }
    return View(found->second);
}

core::CoverageMask MarkupGlyphs::StepNumberMask(int number, int32_t diameter) {
    auto [found, fresh] = steps_.try_emplace({number, diameter});
    if (fresh) {
        const std::wstring digits = std::to_wstring(number);
        found->second = Draw(digits, StepFont(diameter), {diameter, diameter},
                             DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    return View(found->second);
}

} // namespace kelpix

#include "services/recent_store.h"

#include "services/image_files.h"
#include "services/texts.h"
#include "toolkit/error.h"

#include <cstring>
#include <optional>
#include <utility>

namespace kelpix {

namespace {

// The pixels into the new image's bitmap, at their own depth and through their palette; 32-bit ones
// straight into its memory.
void PutPixels(const CapturedImage& image, const core::PixelImage& pixels) {
    if (const auto inPlace = PixelsInPlace(image); inPlace && pixels.bitsPerPixel == 32) {
        const size_t stride = size_t{4} * static_cast<size_t>(pixels.width);
        const auto height = static_cast<size_t>(pixels.height);
        for (size_t row = 0; row < height; ++row)
            std::memcpy(image.pixels + row * stride, pixels.bits.data() + (height - 1 - row) * stride, stride);
        return;
    }
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } dib{};
    dib.header = {sizeof dib.header,
                  pixels.width,
                  pixels.height,
                  1,
                  static_cast<WORD>(pixels.bitsPerPixel),
                  BI_RGB,
                  0,
                  0,
                  0,
                  static_cast<DWORD>(pixels.palette.size()),
                  0};
    for (size_t i = 0; i < pixels.palette.size() && i < 256; ++i) {
        const uint32_t c = pixels.palette[i];
        dib.colours[i] = {static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
    }
    WindowDc screen;
    if (SetDIBits(screen.get(), image.bitmap.get(), 0, static_cast<UINT>(pixels.height), pixels.bits.data(),
                  reinterpret_cast<const BITMAPINFO*>(&dib), DIB_RGB_COLORS) != pixels.height)
        throw Error(Texts().imageReadFailed);
}

} // namespace

RecentStore::~RecentStore() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void RecentStore::Keep(SharedImage image) {
    if (!image || !image->bitmap) return;
    try {
        Waiting next{nullptr, {}, image->shapeMask, image->facts, image->dpi};
        if (PixelsInPlace(*image)) {
            GdiFlush(); // what this thread drew into it is there for the store's thread to read
            next.source = std::move(image);
        } else {
            next.pixels = ReadImagePixels(image->bitmap.get());
            if (core::IsEmpty(next.pixels)) return;
        }
        std::lock_guard lock(mutex_);
        next.facts.number = ++numbered_;
        // More waiting than the list holds would only be dropped from it.
        if (waiting_.size() >= core::kRecentCaptureCount) waiting_.pop_front();
        waiting_.push_back(std::move(next));
        if (!worker_.joinable()) worker_ = std::thread(&RecentStore::CompressWaiting, this);
    } catch (...) {
        return; // the capture itself is where it was to go: only the list goes without it
    }
    wake_.notify_one();
}

void RecentStore::CompressWaiting() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return ending_ || !waiting_.empty(); });
        if (ending_) return;
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        std::optional<core::RecentCapture> kept;
        try {
            if (next.source) next.pixels = ReadImagePixels(*next.source);
            next.source.reset();
            kept = core::RecentCapture{core::CompressedImage::Compress(next.pixels, next.shapeMask),
                                       std::move(next.facts), next.dpi};
        } catch (...) {
            // Out of memory, or a mask that does not fit: this capture is not kept.
        }
        next = {};
        lock.lock();
        if (kept) kept_.Add(std::move(*kept));
    }
}

std::vector<core::CaptureFacts> RecentStore::Listed() const {
    std::lock_guard lock(mutex_);
    std::vector<core::CaptureFacts> listed;
    for (size_t i = 0; i < kept_.count(); ++i)
        listed.push_back(kept_.at(i).facts);
    return listed;
}

size_t RecentStore::BytesHeld() const {
    std::lock_guard lock(mutex_);
    return kept_.bytes();
}

SharedImage RecentStore::Restore(uint32_t number) const {
    std::optional<core::RecentCapture> found;
    {
        std::lock_guard lock(mutex_);
        for (size_t i = 0; i < kept_.count() && !found; ++i)
            if (kept_.at(i).facts.number == number) found = kept_.at(i);
    }
    if (!found) return nullptr;
    const core::ShapedImage shaped = found->image.Restore();
    auto image = std::make_shared<CapturedImage>(BlankImage({shaped.image.width, shaped.image.height}));
    if (!image->bitmap) throw Error(Texts().outOfMemory);
    PutPixels(*image, shaped.image);
    image->shapeMask = shaped.shapeMask;
    image->dpi = found->dpi;
    image->facts = found->facts;
    return image;
}

} // namespace kelpix

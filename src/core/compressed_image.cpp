#include "core/compressed_image.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

#include <zlib.h>

namespace kelpix::core {

namespace {

// zlib counts the bytes of one call in 32 bits.
constexpr size_t kLargestPiece = size_t{1} << 30;

// A zlib stream deflating into a buffer that grows as needed.
class Deflater {
public:
    explicit Deflater(size_t expectedOutput) {
        if (deflateInit(&stream_, kKeptCaptureZlibLevel) != Z_OK) throw std::bad_alloc();
        output_.resize(std::max<size_t>(expectedOutput, 4096));
    }
    ~Deflater() { deflateEnd(&stream_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void Add(const uint8_t* data, size_t size) {
        while (size > 0) {
            const size_t piece = std::min(size, kLargestPiece);
            Run(data, piece, Z_NO_FLUSH);
            data += piece;
            size -= piece;
        }
    }

    // The whole stream, in a buffer of exactly its size.
    std::vector<uint8_t> Finish() {
        Run(nullptr, 0, Z_FINISH);
        return std::vector<uint8_t>(output_.begin(), output_.begin() + static_cast<ptrdiff_t>(used_));
    }

private:
    void Run(const uint8_t* data, size_t size, int flush) {
        stream_.next_in = const_cast<Bytef*>(data); // zlib only reads its input
        stream_.avail_in = static_cast<uInt>(size);
        for (;;) {
            if (used_ == output_.size()) output_.resize(output_.size() * 2);
            const size_t room = std::min(output_.size() - used_, kLargestPiece);
            stream_.next_out = output_.data() + used_;
            stream_.avail_out = static_cast<uInt>(room);
            const int result = deflate(&stream_, flush);
            used_ += room - stream_.avail_out;
            if (result == Z_STREAM_END) return;
            if (result != Z_OK && result != Z_BUF_ERROR) throw std::bad_alloc();
            if (flush == Z_NO_FLUSH && stream_.avail_in == 0 && stream_.avail_out > 0) return;
        }
    }

    z_stream stream_{};
    std::vector<uint8_t> output_;
    size_t used_ = 0;
};

[[noreturn]] void ThrowDamaged() {
    throw std::runtime_error("a kept capture cannot be restored: its data is damaged");
}

// A zlib stream inflating a whole buffer into buffers of known sizes.
class Inflater {
public:
    explicit Inflater(const std::vector<uint8_t>& deflated) {
        if (inflateInit(&stream_) != Z_OK) throw std::bad_alloc();
        next_ = deflated.data();
        left_ = deflated.size();
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Fills `size` bytes from the stream; the stream must hold at least as many.
    void Fill(uint8_t* out, size_t size) {
        while (size > 0) {
            const size_t piece = std::min(size, kLargestPiece);
            stream_.next_out = out;
            stream_.avail_out = static_cast<uInt>(piece);
            Run();
            const size_t got = piece - stream_.avail_out;
            out += got;
            size -= got;
        }
    }

    // Checks that the stream ends here, whole.
    void ExpectEnd() {
        uint8_t spare = 0;
        stream_.next_out = &spare;
        stream_.avail_out = 1;
        while (!ended_ && stream_.avail_out == 1)
            Run();
        if (stream_.avail_out == 0 || stream_.avail_in > 0 || left_ > 0) ThrowDamaged();
    }

private:
    void Run() {
        if (ended_) ThrowDamaged(); // more bytes asked for than there are
        if (stream_.avail_in == 0 && left_ > 0) {
            const size_t piece = std::min(left_, kLargestPiece);
            stream_.next_in = const_cast<Bytef*>(next_); // zlib only reads its input
            stream_.avail_in = static_cast<uInt>(piece);
            next_ += piece;
            left_ -= piece;
        }
        const int result = inflate(&stream_, Z_NO_FLUSH);
        if (result == Z_MEM_ERROR) throw std::bad_alloc();
        if (result == Z_STREAM_END)
            ended_ = true;
        else if (result != Z_OK)
            ThrowDamaged();
    }

    z_stream stream_{};
    const uint8_t* next_ = nullptr;
    size_t left_ = 0;
    bool ended_ = false;
};

} // namespace

CompressedImage CompressedImage::Compress(const PixelImage& image, std::span<const uint8_t> shapeMask) {
    if (auto problem = CheckImage(image)) throw std::invalid_argument("cannot keep the capture: " + *problem);
    if (auto problem = CheckShapeMask(image, shapeMask))
        throw std::invalid_argument("cannot keep the capture: " + *problem);

    CompressedImage kept;
    kept.width_ = image.width;
    kept.height_ = image.height;
    kept.bitsPerPixel_ = image.bitsPerPixel;
    kept.palette_ = image.palette;
    kept.hasShapeMask_ = !shapeMask.empty();

    // Rows go in bottom row first, as they are stored, each after the one it is compared with. An
    // empty image's pixel data means nothing and is not kept.
    const size_t stride = static_cast<size_t>(DibRowStride(image.width, image.bitsPerPixel));
    const size_t rowBytes = IsEmpty(image) ? 0 : image.bits.size();
    Deflater deflater((rowBytes + shapeMask.size()) / 16);
    std::vector<uint8_t> difference(rowBytes > 0 ? stride : 0);
    for (size_t offset = 0; offset < rowBytes; offset += stride) {
        const uint8_t* row = image.bits.data() + offset;
        if (offset == 0) {
            deflater.Add(row, stride);
            continue;
        }
        const uint8_t* before = row - stride;
        for (size_t i = 0; i < stride; ++i)
            difference[i] = static_cast<uint8_t>(row[i] - before[i]);
        deflater.Add(difference.data(), stride);
    }
    deflater.Add(shapeMask.data(), shapeMask.size());
    kept.deflated_ = deflater.Finish();
    return kept;
}

ShapedImage CompressedImage::Restore() const {
    ShapedImage restored{{width_, height_, bitsPerPixel_, {}, palette_}, {}};
    PixelImage& image = restored.image;
    const bool empty = IsEmpty(image);
    image.bits.resize(empty ? 0 : static_cast<size_t>(DibImageSize(image)));
    restored.shapeMask.resize(hasShapeMask_ ? static_cast<size_t>(width_) * static_cast<size_t>(height_) : 0);
    if (deflated_.empty() && image.bits.empty() && restored.shapeMask.empty()) return restored; // made empty

    Inflater inflater(deflated_);
    inflater.Fill(image.bits.data(), image.bits.size());
    inflater.Fill(restored.shapeMask.data(), restored.shapeMask.size());
    inflater.ExpectEnd();

    const size_t stride = empty ? 0 : static_cast<size_t>(DibRowStride(width_, bitsPerPixel_));
    for (size_t offset = stride; offset < image.bits.size(); offset += stride) {
        uint8_t* row = image.bits.data() + offset;
        const uint8_t* before = row - stride;
        for (size_t i = 0; i < stride; ++i)
            row[i] = static_cast<uint8_t>(row[i] + before[i]);
    }
    return restored;
}

} // namespace kelpix::core

// The last captures of a run, kept in memory in compressed form for the user to go back to: at most
// kRecentCaptureCount of them and kRecentCaptureBytes in all, the newest first, the oldest dropped
// first. Nothing of them is ever written to disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "core/auto_save_names.h"
#include "core/compressed_image.h"
#include "core/resolution.h"

namespace kelpix::core {

inline constexpr size_t kRecentCaptureCount = 10;
inline constexpr size_t kRecentCaptureBytes = size_t{256} << 20; // 256 MiB

struct RecentCapture {
    CompressedImage image; // image.Restore() gives the pixels and the shape back exactly
    CaptureFacts facts;    // the window's title and the capture's local time (and its program and number)
    uint32_t dpi = kUnknownDpi;
};

// The memory the list counts for a capture: its compressed image, its texts and the entry itself.
size_t BytesHeld(const RecentCapture& capture);

// The text of the index'th item (from 0) of the recent captures' menu: an access key (1 to 9, then
// the 0 of 10), the capture's time and the window's title (its program's name where it has none). An
// "&" of the title shows as itself, a tab or line break as a space, and a title longer than
// kRecentTitleLength is cut there (never inside a character) and ends in "...".
inline constexpr size_t kRecentTitleLength = 60;
std::wstring RecentCaptureMenuText(const CaptureFacts& facts, size_t index);

class RecentCaptures {
public:
    explicit RecentCaptures(size_t maxCount = kRecentCaptureCount, size_t maxBytes = kRecentCaptureBytes)
        : maxCount_(maxCount), maxBytes_(maxBytes) {}

    // Keeps `capture` as the newest and drops the oldest until both limits hold again. A capture
    // that alone holds more than the byte limit is not kept, and the list stays as it was: false.
    bool Add(RecentCapture capture);

    size_t count() const { return entries_.size(); }
    size_t bytes() const { return bytes_; } // the sum of BytesHeld over the entries

    // The index'th newest capture: 0 is the last one taken. Throws std::out_of_range past the end.
    const RecentCapture& at(size_t index) const { return entries_.at(index); }

private:
    size_t maxCount_;
    size_t maxBytes_;
    std::deque<RecentCapture> entries_;
    size_t bytes_ = 0;
};

} // namespace kelpix::core

// The last captures of the run (core/recent_captures.h), compressed on a thread of the store's own,
// so that a capture costs no wait before it shows; nothing of them is ever written to disk. Each
// capture kept is numbered from 1 (its CaptureFacts::number) and is asked for again by that number.
#pragma once
#include "core/recent_captures.h"
#include "services/captured_image.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace kelpix {

class RecentStore {
public:
    RecentStore() = default;
    // Waits for the capture being compressed; those still waiting are let go.
    ~RecentStore();
    RecentStore(const RecentStore&) = delete;
    RecentStore& operator=(const RecentStore&) = delete;

    // Keeps the image, compressed, soon after: its pixels are read on the store's thread where
    // they lie in memory (the image must not change), else now. An image that cannot be read or
    // compressed (memory ran out) is left out, and the list stays as it was.
    void Keep(SharedImage image);
    // What each capture kept so far noted, the newest first.
    std::vector<core::CaptureFacts> Listed() const;
    // The capture of that number, every pixel and its shape, DPI and facts as they were kept; none
    // when it is no longer kept. Raises the error to show when there is no room for it.
    SharedImage Restore(uint32_t number) const;
    // The memory the kept captures hold, as core::RecentCaptures counts it.
    size_t BytesHeld() const;

private:
    struct Waiting {
        SharedImage source; // to be read on the store's thread; else the pixels are read already
        core::PixelImage pixels;
        std::vector<uint8_t> shapeMask;
        core::CaptureFacts facts;
        uint32_t dpi;
    };
    // The store's thread: compresses what waits, the oldest first, until the store ends.
    void CompressWaiting();

    mutable std::mutex mutex_; // over everything below but the thread itself
    std::condition_variable wake_;
    std::deque<Waiting> waiting_;
    core::RecentCaptures kept_;
    uint32_t numbered_ = 0;
    bool ending_ = false;
    std::thread worker_; // started by the first capture kept
};

} // namespace kelpix

#include "core/recent_captures.h"

#include <utility>

namespace kelpix::core {

size_t BytesHeld(const RecentCapture& capture) {
    const size_t texts = (capture.facts.title.size() + capture.facts.program.size()) * sizeof(wchar_t);
    return sizeof(RecentCapture) + capture.image.bytes() + texts;
}

bool RecentCaptures::Add(RecentCapture capture) {
    const size_t held = BytesHeld(capture);
    if (held > maxBytes_ || maxCount_ == 0) return false;
    entries_.push_front(std::move(capture));
    bytes_ += held;
    while (entries_.size() > maxCount_ || bytes_ > maxBytes_) {
        bytes_ -= BytesHeld(entries_.back());
        entries_.pop_back();
    }
    return true;
}

} // namespace kelpix::core

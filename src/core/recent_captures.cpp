#include "core/recent_captures.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace kelpix::core {

size_t BytesHeld(const RecentCapture& capture) {
    const size_t texts = (capture.facts.title.size() + capture.facts.program.size()) * sizeof(wchar_t);
    return sizeof(RecentCapture) + capture.image.bytes() + texts;
}

namespace {

std::wstring TwoDigits(int value) {
    return {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10)};
}

// The title as a menu shows it: cut, without tabs or line breaks, every "&" doubled.
std::wstring MenuTitle(std::wstring_view title) {
    size_t shown = std::min(title.size(), kRecentTitleLength);
    // A high surrogate at the end would lose its other half.
    if (shown < title.size() && shown > 0 && title[shown - 1] >= 0xD800 && title[shown - 1] <= 0xDBFF) --shown;
    std::wstring text;
    for (wchar_t c : title.substr(0, shown)) {
        if (c == L'&') text += L'&';
        text += c == L'\t' || c == L'\r' || c == L'\n' ? L' ' : c;
    }
    return shown < title.size() ? text + L"..." : text;
}

} // namespace

std::wstring RecentCaptureMenuText(const CaptureFacts& facts, size_t index) {
    const std::wstring key = index < 9 ? L"&" + std::to_wstring(index + 1)
                                       : std::to_wstring((index + 1) / 10) + L"&" + std::to_wstring((index + 1) % 10);
    const std::wstring time = TwoDigits(facts.hour) + L":" + TwoDigits(facts.minute) + L":" + TwoDigits(facts.second);
    return key + L"  " + time + L"  " + MenuTitle(facts.title.empty() ? facts.program : facts.title);
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

#include "core/sjis.h"

namespace kelpix::core {

std::size_t LastCharOffset(std::string_view text) {
    std::size_t last = text.size();
    for (std::size_t i = 0; i < text.size();) {
        last = i;
        i += (IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    }
    return last;
}

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text[LastCharOffset(text)]) > '.') text += '.';
    return text;
}

} // namespace kelpix::core

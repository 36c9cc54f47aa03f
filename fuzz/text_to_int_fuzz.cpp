// Compares ParseInt and TextToInt with a slow reference written from the rules in text_to_int.h,
// working on strings instead of arithmetic, and checks that formatted values read back.
#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/text_to_int.h"

namespace {

bool AllOf(const std::string& text, const std::string& allowed) {
    for (char c : text) {
        if (allowed.find(c) == std::string::npos) return false;
    }
    return true;
}

std::optional<int32_t> Reference(std::string text) {
    const size_t first = text.find_first_not_of(' ');
    text.erase(0, first == std::string::npos ? text.size() : first);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.erase(0, 1);
    }
    for (const std::string prefix : {"0x", "0X", "$", "x", "X"}) {
        if (text.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string digits = text.substr(prefix.size());
        if (digits.empty() || digits.size() > 8 || !AllOf(digits, "0123456789abcdefABCDEF")) return std::nullopt;
        return static_cast<int32_t>(static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16)));
    }
    if (text.empty() || !AllOf(text, "0123456789")) return std::nullopt;
    const size_t significant = text.find_first_not_of('0');
    const std::string digits = significant == std::string::npos ? "0" : text.substr(significant);
    const std::string limit = negative ? "2147483648" : "2147483647";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit)) return std::nullopt;
    const long long magnitude = std::stoll(digits);
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

void Check(bool condition, const char* what, const std::string& text) {
    if (condition) return;
    std::fprintf(stderr, "%s for \"%s\" (%zu bytes)\n", what, text.c_str(), text.size());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view view(reinterpret_cast<const char*>(data), size);
    const std::string text(view);
    const std::optional<int32_t> parsed = kelpix::core::ParseInt(view);
    Check(parsed == Reference(text), "ParseInt differs from the reference", text);
    Check(kelpix::core::TextToInt(view, 1) == parsed.value_or(1), "TextToInt ignores ParseInt", text);
    Check(kelpix::core::TextToInt(view, -7) == parsed.value_or(-7), "TextToInt ignores its fallback", text);

    if (size >= 4) {
        uint32_t pattern;
        std::memcpy(&pattern, data, 4);
        const auto value = static_cast<int32_t>(pattern);
        char hex[16];
        std::snprintf(hex, sizeof hex, "$%" PRIx32, pattern);
        Check(kelpix::core::ParseInt(std::to_string(value)) == value, "decimal does not read back", text);
        Check(kelpix::core::ParseInt(hex) == value, "hexadecimal does not read back", hex);
    }
    return 0;
}

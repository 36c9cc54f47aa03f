#include "core/file_names.h"

#include "core/sjis.h"

#include <cstddef>

namespace kelpix::core {

namespace {

constexpr size_t kNone = std::string_view::npos;

struct Delimiters {
    size_t lastSeparator = kNone; // last "\" or ":"
    size_t lastDot = kNone;       // last "." after lastSeparator
};

// One pass over the characters of `path`, skipping the second byte of every double-byte character.
Delimiters FindDelimiters(std::string_view path, const LeadBytes& lead) {
    Delimiters found;
    size_t i = 0;
    while (i < path.size()) {
        const auto byte = static_cast<uint8_t>(path[i]);
        if (lead(byte)) {
            i += 2; // the second byte is never looked at, so a lead byte at the end reads nothing more
            continue;
        }
        if (byte == '\\' || byte == ':') {
            found.lastSeparator = i;
            found.lastDot = kNone;
        } else if (byte == '.') {
            found.lastDot = i;
        }
        ++i;
    }
    return found;
}

} // namespace

std::string ChangeFileExt(std::string_view path, std::string_view ext, const LeadBytes& lead) {
    const Delimiters found = FindDelimiters(path, lead);
    std::string_view stem = found.lastDot == kNone ? path : path.substr(0, found.lastDot);
    std::string result;
    result.reserve(stem.size() + ext.size());
    result.append(stem);
    result.append(ext);
    return result;
}

std::string ExtractFilePath(std::string_view path, const LeadBytes& lead) {
    const Delimiters found = FindDelimiters(path, lead);
    if (found.lastSeparator == kNone) return {};
    return std::string(path.substr(0, found.lastSeparator + 1));
}

std::string DialogFilter(std::string_view written) {
    std::string filter(written);
    for (size_t i = 0; i < filter.size(); ++i) {
        if (IsSjisLeadByte(static_cast<uint8_t>(filter[i]))) {
            ++i;
        } else if (filter[i] == '|') {
            filter[i] = '\0';
        }
    }
    filter.append(2, '\0');
    return filter;
}

std::string TemporaryFileName(std::string_view target, uint32_t attempt, const LeadBytes& lead) {
    static const char digits[] = "0123456789abcdef";
    std::string name = ExtractFilePath(target, lead);
    name += '~';
    for (int shift = 8; shift >= 0; shift -= 4)
        name += digits[(attempt >> shift) & 0xF];
    return name;
}

std::string SettingsFilePath(std::string_view exePath, const LeadBytes& lead) {
    return ChangeFileExt(exePath, ".ini", lead);
}

} // namespace kelpix::core

// Compares the file-name rules (and the save dialog's filter conversion) with a reference that first splits the name
// into characters of the code page (932, 1252 or 936, chosen by the input) and then searches them from the end.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check.h"
#include "core/file_names.h"

using kelpix::fuzz::Check;

namespace {

struct Character {
    size_t offset;
    size_t length;
};

enum class Page { Cp932, Cp1252, Cp936 };

bool IsLead(Page page, unsigned char byte) {
    switch (page) {
    case Page::Cp932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case Page::Cp1252:
        return false;
    case Page::Cp936:
        return byte >= 0x81 && byte <= 0xFE;
    }
    return false;
}

std::vector<Character> SplitCharacters(std::string_view text, Page page = Page::Cp932) {
    std::vector<Character> characters;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool lead = IsLead(page, byte);
        const size_t length = lead && i + 1 < text.size() ? 2 : 1;
        characters.push_back({i, length});
        i += length;
    }
    return characters;
}

bool Is(std::string_view text, const Character& c, char wanted) {
    return c.length == 1 && text[c.offset] == wanted;
}

std::string ReferenceFolder(std::string_view path, Page page) {
    const std::vector<Character> characters = SplitCharacters(path, page);
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
        if (Is(path, *it, '\\') || Is(path, *it, ':')) return std::string(path.substr(0, it->offset + 1));
    }
    return {};
}

std::string ReferenceChangeExt(std::string_view path, std::string_view ext, Page page) {
    const std::vector<Character> characters = SplitCharacters(path, page);
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
        if (Is(path, *it, '\\') || Is(path, *it, ':')) break;
        if (Is(path, *it, '.')) return std::string(path.substr(0, it->offset)) + std::string(ext);
    }
    return std::string(path) + std::string(ext);
}

std::string ReferenceDialogFilter(std::string_view written) {
    std::string filter;
    for (const Character& c : SplitCharacters(written))
        filter += Is(written, c, '|') ? std::string(1, '\0') : std::string(written.substr(c.offset, c.length));
    return filter + std::string(2, '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte says how many of the last bytes form the new extension, and the code page.
    if (size == 0) return 0;
    const size_t extLength = data[0] % 8 < size - 1 ? data[0] % 8 : size - 1;
    static const uint8_t ranges932[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0}, ranges1252[] = {0, 0},
                         ranges936[] = {0x81, 0xFE};
    static const kelpix::core::LeadBytes pages[] = {kelpix::core::LeadBytes::FromRanges(ranges932, sizeof ranges932),
                                                    kelpix::core::LeadBytes::FromRanges(ranges1252, sizeof ranges1252),
                                                    kelpix::core::LeadBytes::FromRanges(ranges936, sizeof ranges936)};
    const auto page = static_cast<Page>((data[0] >> 3) % 3);
    const kelpix::core::LeadBytes& lead = pages[static_cast<int>(page)];
    const std::string_view all(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view path = all.substr(0, all.size() - extLength);
    const std::string_view ext = all.substr(all.size() - extLength);

    const std::string folder = kelpix::core::ExtractFilePath(path, lead);
    Check(folder == ReferenceFolder(path, page), "ExtractFilePath differs from the reference");
    Check(path.substr(0, folder.size()) == folder, "the folder is not a prefix of the path");

    const std::string changed = kelpix::core::ChangeFileExt(path, ext, lead);
    Check(changed == ReferenceChangeExt(path, ext, page), "ChangeFileExt differs from the reference");
    Check(changed.size() >= folder.size() + ext.size(), "ChangeFileExt cut into the folder");
    Check(std::string_view(changed).substr(changed.size() - ext.size()) == ext, "the extension is not at the end");
    Check(kelpix::core::SettingsFilePath(path, lead) == kelpix::core::ChangeFileExt(path, ".ini", lead),
          "SettingsFilePath is not the path with .ini");
    Check(kelpix::core::DialogFilter(all) == ReferenceDialogFilter(all), "DialogFilter differs from the reference");
    return 0;
}

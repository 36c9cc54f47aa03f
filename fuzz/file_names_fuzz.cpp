// Compares the file-name rules (and the save dialog's filter conversion) with a reference that first splits the name into code page 932
// characters and then searches them from the end.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check.h"
#include "core/file_names.h"

using kelpix::fuzz::Check;
const kelpix::core::LeadBytes& kSjis = kelpix::core::LeadBytes::ShiftJis();

namespace {

struct Character {
    size_t offset;
    size_t length;
};

std::vector<Character> SplitCharacters(std::string_view text) {
    std::vector<Character> characters;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        const size_t length = lead && i + 1 < text.size() ? 2 : 1;
        characters.push_back({i, length});
        i += length;
    }
    return characters;
}

bool Is(std::string_view text, const Character& c, char wanted) {
    return c.length == 1 && text[c.offset] == wanted;
}

std::string ReferenceFolder(std::string_view path) {
    const std::vector<Character> characters = SplitCharacters(path);
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
        if (Is(path, *it, '\\') || Is(path, *it, ':')) return std::string(path.substr(0, it->offset + 1));
    }
    return {};
}

std::string ReferenceChangeExt(std::string_view path, std::string_view ext) {
    const std::vector<Character> characters = SplitCharacters(path);
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
    // The first byte says how many of the last bytes form the new extension.
    if (size == 0) return 0;
    const size_t extLength = data[0] % 8 < size - 1 ? data[0] % 8 : size - 1;
    const std::string_view all(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view path = all.substr(0, all.size() - extLength);
    const std::string_view ext = all.substr(all.size() - extLength);

    const std::string folder = kelpix::core::ExtractFilePath(path, kSjis);
    Check(folder == ReferenceFolder(path), "ExtractFilePath differs from the reference");
    Check(path.substr(0, folder.size()) == folder, "the folder is not a prefix of the path");

    const std::string changed = kelpix::core::ChangeFileExt(path, ext, kSjis);
    Check(changed == ReferenceChangeExt(path, ext), "ChangeFileExt differs from the reference");
    Check(changed.size() >= folder.size() + ext.size(), "ChangeFileExt cut into the folder");
    Check(std::string_view(changed).substr(changed.size() - ext.size()) == ext, "the extension is not at the end");
    Check(kelpix::core::SettingsFilePath(path, kSjis) == kelpix::core::ChangeFileExt(path, ".ini", kSjis),
          "SettingsFilePath is not the path with .ini");
    Check(kelpix::core::DialogFilter(all) == ReferenceDialogFilter(all), "DialogFilter differs from the reference");
    return 0;
}

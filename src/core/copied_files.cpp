#include "core/copied_files.h"

namespace kelpix::core {

namespace {

// The start of every copied file's name; '#' stands for a digit.
constexpr std::wstring_view kStemShape = L"Kelpix_####-##-##_##-##-##";

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool StartsWithStem(std::wstring_view name) {
    if (name.size() < kStemShape.size()) return false;
    for (size_t i = 0; i < kStemShape.size(); ++i) {
        if (kStemShape[i] == L'#' ? !IsDigit(name[i]) : name[i] != kStemShape[i]) return false;
    }
    return true;
}

// True for "", or " (n)" with n a number from 2 up without leading zeros, as NumberedPath adds it.
bool IsNumberOrNothing(std::wstring_view rest) {
    if (rest.empty()) return true;
    if (rest.size() < 4 || rest.substr(0, 2) != L" (" || rest.back() != L')') return false;
    const std::wstring_view digits = rest.substr(2, rest.size() - 3);
    if (digits.size() > 10 || digits.front() == L'0' || digits == L"1") return false;
    for (wchar_t c : digits) {
        if (!IsDigit(c)) return false;
    }
    return true;
}

} // namespace

std::wstring CopiedFileStem(const CaptureFacts& facts) {
    return ExpandNamePattern(L"Kelpix_<date>_<time>", facts);
}

bool IsCopiedFileName(std::wstring_view name) {
    const std::wstring_view extension = kCopiedFileExtension;
    if (!StartsWithStem(name) || name.size() < kStemShape.size() + extension.size()) return false;
    if (name.substr(name.size() - extension.size()) != extension) return false;
    return IsNumberOrNothing(name.substr(kStemShape.size(), name.size() - kStemShape.size() - extension.size()));
}

std::vector<std::wstring> StaleCopiedFiles(std::span<const FolderEntry> entries, FileTime now) {
    std::vector<std::wstring> stale;
    for (const FolderEntry& entry : entries) {
        if (entry.isFolder || !IsCopiedFileName(entry.name)) continue;
        if (now - entry.lastWrite > kCopiedFileLifetime) stale.push_back(entry.name);
    }
    return stale;
}

} // namespace kelpix::core

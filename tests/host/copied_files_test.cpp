#include "core/copied_files.h"

#include <cwchar>
#include <string>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

using std::chrono::hours;

TEST(CopiedFiles, OnlyTheNamesTheProgramGivesAreItsOwn) {
    const CaptureFacts facts{2026, 12, 8, 14, 5, 9, L"Untitled - Notepad", L"notepad.exe", 3};
    const std::wstring stem = CopiedFileStem(facts);
    EXPECT_EQ(stem, L"Kelpix_2026-12-08_14-05-09");
    // The numbered names the program gives when a name is taken, as the folder lists them.
    for (uint32_t attempt : {1u, 2u, 10u, 4000000000u}) {
        const std::wstring path = NumberedPath(L"C:\\Temp\\Kelpix\\", stem, kCopiedFileExtension, attempt, 260);
        EXPECT_TRUE(IsCopiedFileName(path.substr(path.rfind(L'\\') + 1))) << attempt;
    }
    for (const wchar_t* name :
         {L"Kelpix_2026-12-08_14-05-09.PNG", L"kelpix_2026-12-08_14-05-09.png", L"Kelpix_2026-12-08_14-05-09.jpg",
          L"Kelpix_2026-12-08_14-05.png", L"Kelpix_2026-12-08_14-05-09 copy.png", L"Kelpix_2026-1a-08_14-05-09.png",
          L"Kelpix_2026-12-08_14-05-09 (1).png", L"Kelpix_2026-12-08_14-05-09 (02).png",
          L"Kelpix_2026-12-08_14-05-09 ().png", L"My Kelpix_2026-12-08_14-05-09.png", L"holiday.png", L""}) {
        EXPECT_FALSE(IsCopiedFileName(name)) << std::string(name, name + std::wcslen(name));
    }
}

TEST(CopiedFiles, StartUpRemovesTheProgramsFilesOlderThanADay) {
    const FileTime now = hours(24 * 365 * 425); // 425 years after 1601, about the present
    const auto entry = [&](const wchar_t* name, FileTime age, bool isFolder = false) {
        return FolderEntry{name, now - age, isFolder};
    };
    const FolderEntry entries[] = {
        entry(L"Kelpix_2026-12-01_09-00-00.png", hours(24 * 7)),
        entry(L"Kelpix_2026-12-07_14-05-09.png", hours(24) + FileTime(1)),
        entry(L"Kelpix_2026-12-07_14-05-10.png", hours(24)),       // exactly a day: not older
        entry(L"Kelpix_2027-01-01_00-00-00.png", -hours(24 * 30)), // written "later": a clock put back
        entry(L"Kelpix_2026-11-30_10-00-00 (3).png", hours(24 * 8)),
        entry(L"Kelpix_2026-11-30_10-00-00.png", hours(24 * 8), true), // a folder of that name
        entry(L"notes.txt", hours(24 * 90)),
    };
    EXPECT_EQ(StaleCopiedFiles(entries, now),
              (std::vector<std::wstring>{L"Kelpix_2026-12-01_09-00-00.png", L"Kelpix_2026-12-07_14-05-09.png",
                                         L"Kelpix_2026-11-30_10-00-00 (3).png"}));
}

} // namespace
} // namespace kelpix::core

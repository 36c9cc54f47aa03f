#include "core/file_names.h"

#include <string>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

using namespace std::string_literals;

TEST(FileNames, ExtensionFolderAndSettingsFile) {
    struct Case {
        std::wstring path, ext; // ext empty: the folder part is asked for
        std::wstring result;
    } const cases[] = {
        {L"C:\\pics\\shot", L".bmp", L"C:\\pics\\shot.bmp"},
        {L"C:\\pics\\shot.png", L".bmp", L"C:\\pics\\shot.bmp"},
        {L"C:\\my.pics\\shot", L".bmp", L"C:\\my.pics\\shot.bmp"},
        {L"C:\\pics\\shot.tar.gz", L".jpg", L"C:\\pics\\shot.tar.jpg"},
        {L"C:\\pics\\shot.", L".jpg", L"C:\\pics\\shot.jpg"},
        {L"C:\\pics\\.profile", L".jpg", L"C:\\pics\\.jpg"},
        {L"shot", L".bmp", L"shot.bmp"},
        {L"", L".bmp", L".bmp"},
        // A drive letter ends the folder part as "\" does; "/" does not.
        {L"C:shot.png", L".bmp", L"C:shot.bmp"},
        {L"a.b:shot", L".bmp", L"a.b:shot.bmp"},
        {L"C:\\pics.d\\", L".bmp", L"C:\\pics.d\\.bmp"},
        {L"C:\\a.b/shot", L".bmp", L"C:\\a.bmp"},
        // Names in any script, and characters outside the basic plane (two code units each).
        {L"D:\\表\\ソフト.exe", L".ini", L"D:\\表\\ソフト.ini"},
        {L"D:\\한국어.v2\\😀", L".png", L"D:\\한국어.v2\\😀.png"},
        {L"C:\\pics\\shot.png", L"", L"C:\\pics\\"},
        {L"C:\\shot", L"", L"C:\\"},
        {L"C:shot", L"", L"C:"},
        {L"\\\\server\\share\\shot.bmp", L"", L"\\\\server\\share\\"},
        {L"dir/shot.bmp", L"", L""},
        {L"D:\\한국어\\😀\\a.bmp", L"", L"D:\\한국어\\😀\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path.size() << " units, ext " << c.ext.size());
        EXPECT_EQ(c.ext.empty() ? ExtractFilePath(c.path) : ChangeFileExt(c.path, c.ext), c.result);
        if (c.ext == L".ini") {
            EXPECT_EQ(SettingsFilePath(c.path), c.result);
        }
    }
}

TEST(FileNames, TemporaryNameSitsInTheTargetsFolderAndIsNoLongerThanItsExtension) {
    EXPECT_EQ(TemporaryFileName(L"C:\\表\\a.bmp", 0x2A), L"C:\\表\\~02a");
    EXPECT_EQ(TemporaryFileName(L"D:\\😀.jpg", 0x1FFF), L"D:\\~fff");
}

TEST(FileNames, DialogFilterBarsBecomeNulsAndASecondNulEndsTheList) {
    EXPECT_EQ(DialogFilter(L"Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg"),
              L"Bitmap (*.bmp)\0*.bmp\0JPEG (*.jpg)\0*.jpg\0\0"s);
    EXPECT_EQ(DialogFilter(L""), L"\0\0"s);
    EXPECT_EQ(DialogFilter(L"ビットマップ|*.bmp"), L"ビットマップ\0*.bmp\0\0"s);
}

TEST(FileNames, TheProgramOfACommandIsReadAsWindowsReadsARunValue) {
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"\"C:\\Program Files\\Kelpix.exe\"", L"C:\\Program Files\\Kelpix.exe"},
        {L"  \"D:\\表\\Kelpix.exe\" /tray", L"D:\\表\\Kelpix.exe"},
        {L"C:\\Tools\\Kelpix.exe /tray", L"C:\\Tools\\Kelpix.exe"},
        {L"\"C:\\unclosed", L"C:\\unclosed"},
        {L"", L""},
        {L"   ", L""},
    };
    for (const auto& [command, program] : rows)
        EXPECT_EQ(ProgramOfCommand(command), program);
}

} // namespace
} // namespace kelpix::core

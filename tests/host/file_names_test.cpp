#include "core/file_names.h"
#include "core/sjis.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

// The rules as code page 932 reads names: the cases below hold for it.
const auto ChangeFileExt = [](auto path, auto ext) { return core::ChangeFileExt(path, ext, LeadBytes::ShiftJis()); };
const auto ExtractFilePath = [](auto path) { return core::ExtractFilePath(path, LeadBytes::ShiftJis()); };
const auto SettingsFilePath = [](auto path) { return core::SettingsFilePath(path, LeadBytes::ShiftJis()); };

// Shift-JIS characters whose second byte is "\" (0x5C).
const std::string kHyo = "\x95\x5C"; // 表
const std::string kSo = "\x83\x5C";  // ソ
const std::string kFu = "\x83\x74";  // フ
const std::string kTo = "\x83\x67";  // ト

TEST(ChangeFileExt, ReplacesTheLastExtensionOfTheName) {
    EXPECT_EQ(ChangeFileExt("C:\\pics\\shot", ".bmp"), "C:\\pics\\shot.bmp");
    EXPECT_EQ(ChangeFileExt("C:\\pics\\shot.png", ".bmp"), "C:\\pics\\shot.bmp");
    EXPECT_EQ(ChangeFileExt("C:\\my.pics\\shot", ".bmp"), "C:\\my.pics\\shot.bmp");
    EXPECT_EQ(ChangeFileExt("C:\\pics\\shot.bmp", ".jpg"), "C:\\pics\\shot.jpg");
    EXPECT_EQ(ChangeFileExt("C:\\pics\\shot.tar.gz", ".jpg"), "C:\\pics\\shot.tar.jpg");
    EXPECT_EQ(ChangeFileExt("C:\\pics\\shot.", ".jpg"), "C:\\pics\\shot.jpg");
    EXPECT_EQ(ChangeFileExt("C:\\pics\\.profile", ".jpg"), "C:\\pics\\.jpg");
    EXPECT_EQ(ChangeFileExt("shot.png", ".bmp"), "shot.bmp");
    EXPECT_EQ(ChangeFileExt("shot", ".bmp"), "shot.bmp");
    EXPECT_EQ(ChangeFileExt("", ".bmp"), ".bmp");
    EXPECT_EQ(ChangeFileExt("shot.png", ""), "shot");
    // A drive letter ends the folder part as "\" does.
    EXPECT_EQ(ChangeFileExt("C:shot.png", ".bmp"), "C:shot.bmp");
    EXPECT_EQ(ChangeFileExt("a.b:shot", ".bmp"), "a.b:shot.bmp");
    EXPECT_EQ(ChangeFileExt("C:\\pics.d\\", ".bmp"), "C:\\pics.d\\.bmp");
    // "/" is not a separator of these names.
    EXPECT_EQ(ChangeFileExt("C:\\a.b/shot", ".bmp"), "C:\\a.bmp");
}

TEST(ExtractFilePath, KeepsEverythingUpToTheLastSeparator) {
    EXPECT_EQ(ExtractFilePath("C:\\pics\\shot.png"), "C:\\pics\\");
    EXPECT_EQ(ExtractFilePath("C:\\pics\\"), "C:\\pics\\");
    EXPECT_EQ(ExtractFilePath("C:\\shot"), "C:\\");
    EXPECT_EQ(ExtractFilePath("C:shot"), "C:");
    EXPECT_EQ(ExtractFilePath("\\\\server\\share\\shot.bmp"), "\\\\server\\share\\");
    EXPECT_EQ(ExtractFilePath("shot.bmp"), "");
    EXPECT_EQ(ExtractFilePath(""), "");
    EXPECT_EQ(ExtractFilePath("dir/shot.bmp"), "");
}

TEST(FileNames, SecondByteOfADoubleByteCharacterIsNeverASeparator) {
    // C:\表\ソ : the real separators are after "C:" and after 表.
    const std::string folder = "C:\\" + kHyo + "\\";
    EXPECT_EQ(ExtractFilePath(folder + kSo), folder);
    EXPECT_EQ(ChangeFileExt(folder + kSo, ".bmp"), folder + kSo + ".bmp");
    // A name ending in 表 has no separator after its "."; read bytewise it would look like one.
    EXPECT_EQ(ChangeFileExt("C:\\pics\\x." + kHyo, ".bmp"), "C:\\pics\\x.bmp");
    EXPECT_EQ(ExtractFilePath("C:\\pics\\" + kHyo), "C:\\pics\\");
    EXPECT_EQ(ExtractFilePath(kSo + kHyo), "");
    EXPECT_EQ(ChangeFileExt("a." + kSo + kHyo, ".jpg"), "a.jpg");
    // Two 5C bytes in a row: the first is a trail byte, the second a real separator.
    EXPECT_EQ(ExtractFilePath(kSo + "\\x"), kSo + "\\");
}

TEST(FileNames, LeadBytesAreExactlyThoseOfCodePage932) {
    // Each byte followed by "\x": when it is a lead byte the "\" belongs to it, otherwise the "\" is
    // a separator. Half-width katakana (0xA1-0xDF) and 0x80, 0xA0, 0xFD-0xFF are single bytes.
    for (int lead : {0x81, 0x82, 0x88, 0x9F, 0xE0, 0xEA, 0xFC}) {
        const std::string name = std::string(1, static_cast<char>(lead)) + "\\x";
        EXPECT_TRUE(IsSjisLeadByte(static_cast<uint8_t>(lead))) << std::hex << lead;
        EXPECT_EQ(ExtractFilePath(name), "") << std::hex << lead;
    }
    for (int single : {0x00, 0x20, 0x41, 0x7F, 0x80, 0xA0, 0xA1, 0xB1, 0xDF, 0xFD, 0xFE, 0xFF}) {
        const std::string name = std::string(1, static_cast<char>(single)) + "\\x";
        EXPECT_FALSE(IsSjisLeadByte(static_cast<uint8_t>(single))) << std::hex << single;
        EXPECT_EQ(ExtractFilePath(name), name.substr(0, 2)) << std::hex << single;
    }
}

TEST(FileNames, LoneLeadByteIsReadWithinTheText) {
    // The text ends right after a lead byte; the buffer holds exactly these bytes, so reading one
    // byte further is caught by the address sanitizer.
    for (const std::string& text : {std::string("ab\\c\x95"), std::string("a.b\x83"), std::string("\x95")}) {
        const std::unique_ptr<char[]> exact(new char[text.size()]);
        std::memcpy(exact.get(), text.data(), text.size());
        const std::string_view view(exact.get(), text.size());
        EXPECT_EQ(ExtractFilePath(view), text.substr(0, text.rfind('\\') + 1)) << text;
        EXPECT_EQ(ChangeFileExt(view, ".bmp"), text.substr(0, text.rfind('.')) + ".bmp") << text;
    }
}

TEST(FileNames, FollowTheLeadBytesOfTheRunningCodePage) {
    // The ranges code pages 932, 1252 and 936 report. 0xE9 ("é" under 1252) leads under 932 and 936
    // and takes the byte after it; 0xB1 leads under 936 only.
    const uint8_t cp932[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0}, cp1252[] = {0, 0}, cp936[] = {0x81, 0xFE};
    const LeadBytes pages[] = {LeadBytes::FromRanges(cp932, 6), LeadBytes::FromRanges(cp1252, 2),
                               LeadBytes::FromRanges(cp936, 2)};
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(pages[0](static_cast<uint8_t>(byte)), IsSjisLeadByte(static_cast<uint8_t>(byte))) << byte;
    struct Case {
        std::string path, ext;              // ext empty: the folder part is asked for
        std::array<std::string, 3> results; // under 932, 1252, 936
    } const cases[] = {
        {"C:\\Fotos.Caf\xE9\\shot", ".bmp", {"C:\\Fotos.bmp", "C:\\Fotos.Caf\xE9\\shot.bmp", "C:\\Fotos.bmp"}},
        {"C:\\Fotos.Caf\xE9\\shot", "", {"C:\\", "C:\\Fotos.Caf\xE9\\", "C:\\"}},
        {"C:\\Kelpix\xE9.exe", ".ini", {"C:\\Kelpix\xE9.exe.ini", "C:\\Kelpix\xE9.ini", "C:\\Kelpix\xE9.exe.ini"}},
        {"D:\\" + kHyo, "", {"D:\\", "D:\\" + kHyo, "D:\\"}},
        {"\xB1\\x", "", {"\xB1\\", "\xB1\\", ""}},
    };
    for (const Case& c : cases)
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.ext.empty() ? core::ExtractFilePath(c.path, pages[i])
                                    : core::ChangeFileExt(c.path, c.ext, pages[i]),
                      c.results[i])
                << c.path << " page " << i;
}

TEST(TemporaryFileName, SitsInTheTargetsFolderAndIsNoLongerThanItsExtension) {
    EXPECT_EQ(TemporaryFileName("C:\\" + kHyo + "\\a.bmp", 0x2A, LeadBytes::ShiftJis()), "C:\\" + kHyo + "\\~02a");
    EXPECT_EQ(TemporaryFileName("D:\\" + kHyo + ".jpg", 0x1FFF, LeadBytes{}), "D:\\\x95\\~fff");
}

TEST(SettingsFilePath, IsTheExecutablePathWithIni) {
    EXPECT_EQ(SettingsFilePath("D:\\Apps\\grab.exe"), "D:\\Apps\\grab.ini");
    EXPECT_EQ(SettingsFilePath("D:\\Apps\\Kelpix.EXE"), "D:\\Apps\\Kelpix.ini");
    EXPECT_EQ(SettingsFilePath("D:\\Apps.v2\\grab"), "D:\\Apps.v2\\grab.ini");
    EXPECT_EQ(SettingsFilePath("D:\\Apps\\grab.v2.exe"), "D:\\Apps\\grab.v2.ini");
    const std::string japaneseFolder = "D:\\" + kSo + kFu + kTo + "\\";
    EXPECT_EQ(SettingsFilePath(japaneseFolder + "grab.exe"), japaneseFolder + "grab.ini");
    EXPECT_EQ(SettingsFilePath("D:\\v1.0\\" + kHyo), "D:\\v1.0\\" + kHyo + ".ini");
    EXPECT_EQ(SettingsFilePath("D:\\v1.0\\" + kHyo + ".exe"), "D:\\v1.0\\" + kHyo + ".ini");
}

TEST(DialogFilter, BarsBecomeNulsAndASecondNulEndsTheList) {
    using namespace std::string_literals;
    EXPECT_EQ(DialogFilter("Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg"),
              "Bitmap (*.bmp)\0*.bmp\0JPEG (*.jpg)\0*.jpg\0\0"s);
    EXPECT_EQ(DialogFilter(""), "\0\0"s);
    // "−" (0x81 0x7C) ends in the byte of "|"; it is a character of the name, not a separator.
    const std::string minus = "\x81\x7C";
    EXPECT_EQ(DialogFilter("A" + minus + "B|*.a"), "A" + minus + "B\0*.a\0\0"s);
    EXPECT_EQ(DialogFilter(kHyo + "|" + minus + "|*.b"), kHyo + "\0"s + minus + "\0*.b\0\0"s);
}

} // namespace
} // namespace kelpix::core

#include "core/file_names.h"
#include "core/sjis.h"

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

// The rules as code page 932 reads names; the cases below hold for it.
std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    return core::ChangeFileExt(path, ext, LeadBytes::ShiftJis());
}
std::string ExtractFilePath(std::string_view path) {
    return core::ExtractFilePath(path, LeadBytes::ShiftJis());
}
std::string SettingsFilePath(std::string_view exePath) {
    return core::SettingsFilePath(exePath, LeadBytes::ShiftJis());
}

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

// The lead bytes each code page reports, as pairs of first and last byte ended by zeros.
const uint8_t kRanges932[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
const uint8_t kRanges1252[] = {0, 0};
const uint8_t kRanges936[] = {0x81, 0xFE, 0, 0};

TEST(LeadBytes, ComeFromTheRangesACodePageReports) {
    const LeadBytes cp932 = LeadBytes::FromRanges(kRanges932, sizeof kRanges932);
    const LeadBytes cp1252 = LeadBytes::FromRanges(kRanges1252, sizeof kRanges1252);
    const LeadBytes cp936 = LeadBytes::FromRanges(kRanges936, sizeof kRanges936);
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<unsigned char>(byte);
        EXPECT_EQ(cp932(b), IsSjisLeadByte(b)) << std::hex << byte;
        EXPECT_EQ(LeadBytes::ShiftJis()(b), IsSjisLeadByte(b)) << std::hex << byte;
        EXPECT_FALSE(cp1252(b)) << std::hex << byte;
        EXPECT_EQ(cp936(b), byte >= 0x81 && byte <= 0xFE) << std::hex << byte;
    }
    // Ranges that fill the whole record have no zero pair after them.
    const uint8_t full[] = {0x81, 0x81, 0xA0, 0xA1};
    const LeadBytes two = LeadBytes::FromRanges(full, sizeof full);
    EXPECT_TRUE(two(0x81) && two(0xA0) && two(0xA1));
    EXPECT_FALSE(two(0x82) || two(0x9F) || two(0xA2));
}

TEST(FileNames, FollowTheRunningCodePage) {
    // What the rules give for the same bytes under code pages 932, 1252 and 936. Under 1252 0xE9 is
    // "é" and every byte is a character; under 932 and 936 it starts a double-byte character that
    // takes the byte after it, "\" or "." alike.
    struct Case {
        const char* what; // "ext": the name with ".bmp"; "dir": the folder part; "ini": the settings file
        std::string path;
        std::string cp932, cp1252, cp936;
    };
    const Case cases[] = {
        {"ext", "C:\\Fotos.Caf\xE9\\shot", "C:\\Fotos.bmp", "C:\\Fotos.Caf\xE9\\shot.bmp", "C:\\Fotos.bmp"},
        {"dir", "C:\\Fotos.Caf\xE9\\shot", "C:\\", "C:\\Fotos.Caf\xE9\\", "C:\\"},
        {"ini", "C:\\Apps\\Kelpix\xE9.exe", "C:\\Apps\\Kelpix\xE9.exe.ini", "C:\\Apps\\Kelpix\xE9.ini",
         "C:\\Apps\\Kelpix\xE9.exe.ini"},
        // 表 in Shift-JIS; under 936 0x95 leads too, under 1252 its 0x5C is a separator.
        {"dir", "D:\\" + kHyo, "D:\\", "D:\\" + kHyo, "D:\\"},
        // Half-width katakana are single bytes under 932 only among the three; 0xFD-0xFE lead under 936.
        {"dir", "\xB1\\x", "\xB1\\", "\xB1\\", ""},
        {"dir", "\xFD\\x", "\xFD\\", "\xFD\\", ""},
        {"ext", "a.b\xA4\\c", "a.b\xA4\\c.bmp", "a.b\xA4\\c.bmp", "a.bmp"},
        {"dir", "\x80\\x", "\x80\\", "\x80\\", "\x80\\"},
        {"dir", "\xFF\\x", "\xFF\\", "\xFF\\", "\xFF\\"},
        // Plain ASCII names read alike everywhere.
        {"ext", "C:\\my.pics\\shot.png", "C:\\my.pics\\shot.bmp", "C:\\my.pics\\shot.bmp", "C:\\my.pics\\shot.bmp"},
    };
    const LeadBytes pages[] = {LeadBytes::FromRanges(kRanges932, sizeof kRanges932),
                               LeadBytes::FromRanges(kRanges1252, sizeof kRanges1252),
                               LeadBytes::FromRanges(kRanges936, sizeof kRanges936)};
    for (const Case& c : cases) {
        const std::string* expected[] = {&c.cp932, &c.cp1252, &c.cp936};
        for (int page = 0; page < 3; ++page) {
            SCOPED_TRACE(testing::Message() << c.what << " " << c.path << " page " << page);
            const LeadBytes& lead = pages[page];
            const std::string got = std::string(c.what) == "ext"   ? core::ChangeFileExt(c.path, ".bmp", lead)
                                    : std::string(c.what) == "dir" ? core::ExtractFilePath(c.path, lead)
                                                                   : core::SettingsFilePath(c.path, lead);
            EXPECT_EQ(got, *expected[page]);
        }
    }
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

TEST(TemporaryFileName, SitsInTheTargetsFolderAndIsNeverLongerThanTheTarget) {
    const std::string folder = "C:\\" + std::string(240, 'd') + "\\" + kHyo + "\\";
    EXPECT_EQ(TemporaryFileName(folder + "a.bmp", 0x2A, LeadBytes::ShiftJis()), folder + "~02a");
    EXPECT_EQ(TemporaryFileName("shot.jpg", 0xFFF, LeadBytes::ShiftJis()), "~fff");
    EXPECT_EQ(TemporaryFileName("C:.bmp", 0x1000, LeadBytes::ShiftJis()), "C:~000") << "attempts wrap round";
    // Under 1252 the 0x5C of 表 ends the folder; under 932 it does not.
    EXPECT_EQ(TemporaryFileName("D:\\" + kHyo + ".bmp", 1, LeadBytes{}), "D:\\\x95\\~001");
    EXPECT_EQ(TemporaryFileName("D:\\" + kHyo + ".bmp", 1, LeadBytes::ShiftJis()), "D:\\~001");
    for (uint32_t attempt = 0; attempt < kTemporaryNames; attempt += 97) {
        const std::string name = TemporaryFileName(folder + ".bmp", attempt, LeadBytes::ShiftJis());
        EXPECT_LE(name.size(), (folder + ".bmp").size());
        EXPECT_EQ(name.substr(0, folder.size()), folder);
    }
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

#include "core/settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace kelpix::core {
namespace {

using File = std::map<std::wstring, std::wstring>;

Settings Read(const File& file) {
    return SettingsFromFile([&](const wchar_t* key) {
        const auto found = file.find(key);
        return found == file.end() ? std::wstring() : found->second;
    });
}

TEST(SettingsFile, ValuesReadAsFilesOfEveryVersionHaveAlwaysRead) {
    const struct {
        File file;
        std::function<void(Settings&)> expected; // the defaults changed so
    } cases[] = {
        {{}, [](Settings&) {}},
        {{{L"MouseCapture", L"1"}, {L"TimeCapture", L"1"}, {L"Time", L"30"}}, [](Settings&) {}}, // toggles: no Fukugen
        {{{L"Fukugen", L"1"}, {L"MouseCapture", L"-1"}, {L"TimeCapture", L"yes"}, {L"Time", L"$1E"}},
         [](Settings& s) { s.restore_toggles = s.draw_cursor = true, s.delay_seconds = 30; }},
        {{{L"Fukugen", L"1"}, {L"Time", L"-3"}}, [](Settings& s) { s.restore_toggles = true, s.delay_seconds = -3; }},
        {{{L"Fukugen", L"1"}}, [](Settings& s) { s.restore_toggles = true, s.delay_seconds = 0; }},
        {{{L"CloseTask", L"\uFF11"}, {L"KidoTask", L" 2"}}, [](Settings& s) { s.start_in_tray = true; }},
        {{{L"Language", L"2"}}, [](Settings& s) { s.language = Language::English; }},
        {{{L"Language", L"3"}}, [](Settings&) {}},
        {{{L"Language", L"-1"}}, [](Settings&) {}},
        {{{L"AutoSaveFormat", L"1"}}, [](Settings& s) { s.auto_save_format = ImageFormat::Bitmap; }},
        {{{L"AutoSaveFormat", L"2"}}, [](Settings& s) { s.auto_save_format = ImageFormat::Jpeg; }},
        {{{L"AutoSaveFormat", L"0"}}, [](Settings&) {}},
        {{{L"AutoSaveFormat", L"4"}}, [](Settings&) {}},
        {{{L"AutoSaveName", L""}, {L"AutoSaveDir", L"D:\\x"}}, [](Settings& s) { s.auto_save_folder = L"D:\\x"; }},
        {{{L"PointerWindowKey", L"0x0751"}, {L"ActiveWindowKey", L"0"}},
         [](Settings& s) { s.pointer_window_key = 0x751, s.active_window_key = 0; }},
        {{{L"ShapeMask", L"0"}}, [](Settings& s) { s.shape_mask = false; }},
        {{{L"ShapeMask", L"no"}}, [](Settings& s) { s.shape_mask = false; }},
        {{{L"PointerWindowKey", L"zz"}, {L"ActiveWindowKey", L"0x10000"}},
         [](Settings& s) { s.pointer_window_key = s.active_window_key = 0; }},
    };
    for (const auto& c : cases) {
        Settings expected;
        c.expected(expected);
        EXPECT_EQ(Read(c.file), expected) << &c - cases;
    }
}

TEST(SettingsFile, EverySettingReadsBackAsWritten) {
    Settings s;
    s.close_to_tray = s.start_in_tray = s.restore_toggles = s.draw_cursor = s.delayed_capture = true;
    s.delay_seconds = 42, s.save_folder = L"C:\\😀\\", s.language = Language::Japanese, s.auto_save = true;
    s.auto_save_folder = L"D:\\", s.auto_save_format = ImageFormat::Bitmap, s.auto_save_name = L"<n>";
    s.print_window = true, s.pointer_window_key = 0xA70, s.active_window_key = 0, s.copy_as_file = true;
    s.shape_mask = false;
    File file;
    for (const SettingRow& row : SettingRows())
        file[row.fileKey] = FileText(row, s);
    EXPECT_EQ(file.size(), SettingRows().size()) << "a key named twice";
    EXPECT_EQ(Read(file), s);
}

} // namespace
} // namespace kelpix::core

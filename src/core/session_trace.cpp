#include "core/session_trace.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <concepts>
#include <functional>
#include <map>
#include <type_traits>
#include <utility>
#include <vector>

namespace kelpix::core {

namespace {

// --- The fields of each record, named as in the code ---------------------------------------------

template <class F> void Fields(ReleaseScene& s, F& f) {
    f("target", s.target), f("main_window", s.main_window), f("frame", s.frame), f("compositor", s.compositor);
}
// The settings' rows in the order Settings declares their members (of two members of an object, the
// later lies at the greater address): the trace's order from its start. The rows' own order, the
// settings file's, has print_window earlier.
std::vector<const SettingRow*> RowsInDeclarationOrder() {
    static const Settings settings;
    std::vector<const SettingRow*> rows;
    for (const SettingRow& row : SettingRows())
        rows.push_back(&row);
    std::ranges::sort(rows, std::less<const void*>(), [](const SettingRow* row) {
        return std::visit([](auto member) -> const void* { return &(settings.*member); }, row->member);
    });
    return rows;
}

template <class F> void Fields(Settings& s, F& f) {
    for (const SettingRow* row : RowsInDeclarationOrder())
        std::visit([&](auto member) { f(row->traceName, s.*member); }, row->member);
}
template <class F> void Fields(Action& a, F& f) {
    f("window", a.window), f("timer", a.timer), f("tray_icon", a.tray_icon), f("grab", a.grab);
    f("report_failure", a.report_failure), f("with_file", a.with_file), f("capture_number", a.capture_number);
    f("on", a.on), f("message", a.message), f("text", a.text);
}
template <class F> void Fields(TargetPressed& e, F& f) {
    f("under_pointer", e.under_pointer);
}
template <class F> void Fields(PointerOver& e, F& f) {
    f("window", e.window);
}
template <class F> void Fields(Released& e, F& f) {
    f("scene", e.scene);
}
template <class F> void Fields(HookMove& e, F& f) {
    f("under_pointer", e.under_pointer);
}
template <class F> void Fields(HookRelease& e, F& f) {
    f("scene", e.scene);
}
template <class F> void Fields(HookFailed& e, F& f) {
    f("no_block", e.no_block);
}
template <class F> void Fields(TrayNotify& e, F& f) {
    f("mouse_message", e.mouse_message), f("primary_down", e.primary_down), f("modal_up", e.modal_up);
}
template <class F> void Fields(CaptureKeyPressed& e, F& f) {
    f("window", e.window), f("modal_up", e.modal_up), f("scene", e.scene);
}
template <class F> void Fields(TimerFired& e, F& f) {
    f("timer", e.timer), f("primary_down", e.primary_down);
}
template <class F> void Fields(CommandChosen& e, F& f) {
    f("command", e.command), f("own_window", e.own_window), f("modal_up", e.modal_up), f("compositor", e.compositor);
    f("image", e.image), f("capture_number", e.capture_number);
}
template <class F> void Fields(GrabFinished& e, F& f) {
    f("image", e.image);
}
template <class F> void Fields(Failure& e, F& f) {
    f("message", e.message), f("warning", e.warning);
}
template <class F> void Fields(SessionEnded& e, F& f) {
    f("ending", e.ending);
}
template <class F> void Fields(OptionsApplied& e, F& f) {
    f("chosen", e.chosen), f("start_with_windows", e.start_with_windows);
    f("start_with_windows_shown", e.start_with_windows_shown);
}
template <class F> void Fields(CursorToggled& e, F& f) {
    f("on", e.on);
}
template <class F> void Fields(DelayToggled& e, F& f) {
    f("on", e.on);
}
template <class F> void Fields(DelayChanged& e, F& f) {
    f("seconds", e.seconds);
}
template <class F> void Fields(SavedTo& e, F& f) {
    f("folder", e.folder);
}
template <class F> void Fields(AnotherStart& e, F& f) {
    f("modal_up", e.modal_up);
}
// The events without fields.
template <class E, class F>
requires std::is_empty_v<E>
void Fields(E&, F&) {}

struct Probe {
    template <class T> void operator()(const char*, T&) {}
};
template <class T>
concept Record = requires(T& record, Probe& probe) {
    Fields(record, probe);
};

// --- Single values ---------------------------------------------------------------------------------

std::string Text(bool value) {
    return value ? "1" : "0";
}
std::string Text(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}
std::string Text(const std::array<Rect, 4>& sides) {
    std::string out;
    for (const Rect& side : sides)
        out += (out.empty() ? "" : ";") + Text(side);
    return out;
}
std::string Text(const std::wstring& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (wchar_t c : text)
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kHex[(static_cast<uint16_t>(c) >> shift) & 0xF];
    return out;
}
std::string Text(SessionTimer timer) {
    return std::string(RowOf(timer).name);
}
template <class T>
requires std::is_integral_v<T> || std::is_enum_v<T> std::string Text(T value) {
    if constexpr (std::is_enum_v<T>)
        return std::to_string(static_cast<std::underlying_type_t<T>>(value));
    else
        return std::to_string(value);
}

template <class T> bool Read(std::string_view text, T& value) {
    if constexpr (std::is_same_v<T, bool>) {
        if (text != "0" && text != "1") return false;
        value = text == "1";
        return true;
    } else if constexpr (std::is_same_v<T, SessionTimer>) {
        for (const TimerRow& row : kSessionTimers)
            if (row.name == text) return value = row.timer, true;
        return false;
    } else if constexpr (std::is_enum_v<T>) {
        std::underlying_type_t<T> number{};
        if (!Read(text, number)) return false;
        value = static_cast<T>(number);
        return true;
    } else if constexpr (std::is_integral_v<T>) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc{} && end == text.data() + text.size();
    } else if constexpr (std::is_same_v<T, Rect>) {
        int32_t* parts[] = {&value.left, &value.top, &value.right, &value.bottom};
        for (size_t i = 0; i < 4; ++i) {
            const size_t comma = i < 3 ? text.find(',') : text.size();
            if (comma == std::string_view::npos || !Read(text.substr(0, comma), *parts[i])) return false;
            text.remove_prefix(std::min(text.size(), comma + 1));
        }
        return true;
    } else if constexpr (std::is_same_v<T, std::array<Rect, 4>>) {
        for (Rect& side : value) {
            const size_t semicolon = std::min(text.find(';'), text.size());
            if (!Read(text.substr(0, semicolon), side)) return false;
            text.remove_prefix(std::min(text.size(), semicolon + 1));
        }
        return true;
    } else if constexpr (std::is_same_v<T, std::wstring>) {
        if (text.size() % 4 != 0) return false;
        value.clear();
        for (size_t i = 0; i < text.size(); i += 4) {
            uint16_t unit = 0;
            const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 4, unit, 16);
            if (error != std::errc{} || end != text.data() + i + 4) return false;
            value += static_cast<wchar_t>(unit);
        }
        return true;
    }
}

// --- Whole records -------------------------------------------------------------------------------

using Named = std::vector<std::pair<std::string, std::string>>;

struct Writer {
    Named fields;
    std::string prefix;

    template <class T> void operator()(const char* name, T& value) {
        if constexpr (Record<T>) {
            const std::string outer = std::exchange(prefix, prefix + name + ".");
            Fields(value, *this);
            prefix = outer;
        } else {
            fields.emplace_back(prefix + name, Text(value));
        }
    }
};

struct Reader {
    std::map<std::string, std::string_view, std::less<>> fields;
    std::string prefix;
    bool ok = true;

    template <class T> void operator()(const char* name, T& value) {
        if constexpr (Record<T>) {
            const std::string outer = std::exchange(prefix, prefix + name + ".");
            Fields(value, *this);
            prefix = outer;
        } else {
            const auto found = fields.find(prefix + name);
            ok = ok && found != fields.end() && Read(found->second, value);
        }
    }
};

template <class T> Named FieldsOf(T record) {
    Writer writer;
    Fields(record, writer);
    return writer.fields;
}

std::string Line(std::string_view head, const Named& fields) {
    std::string line(head);
    for (const auto& [name, value] : fields)
        line += " " + name + "=" + value;
    return line;
}

// The line's first word after `mark`, and its fields; nothing for another kind of line.
std::optional<std::pair<std::string_view, Reader>> Split(std::string_view line, std::string_view mark) {
    if (line.substr(0, mark.size()) != mark) return std::nullopt;
    line.remove_prefix(mark.size());
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    const size_t space = std::min(line.find(' '), line.size());
    std::pair<std::string_view, Reader> out{line.substr(0, space), Reader{}};
    line.remove_prefix(space);
    while (!line.empty()) {
        line.remove_prefix(1);
        const size_t end = std::min(line.find(' '), line.size());
        const std::string_view field = line.substr(0, end);
        const size_t equals = field.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        out.second.fields.emplace(std::string(field.substr(0, equals)), field.substr(equals + 1));
        line.remove_prefix(end);
    }
    return out;
}

template <size_t... I> std::optional<Event> EmptyEvent(size_t index, std::index_sequence<I...>) {
    std::optional<Event> event;
    ((I == index ? (void)event.emplace(std::in_place_index<I>) : void()), ...);
    return event;
}

} // namespace

std::string TraceLine(const Event& event) {
    return std::visit([&](auto e) { return Line("> " + std::string(NameOf(event)), FieldsOf(e)); }, event);
}

std::string TraceLine(const Action& action) {
    // Only what this action sets, and the timer or icon it names even where that is an empty action's.
    const Named all = FieldsOf(action), empty = FieldsOf(Action{action.act});
    const bool timer = action.act == Act::StartTimer || action.act == Act::StopTimer;
    Named set;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i] != empty[i] || (timer && all[i].first == "timer") ||
            (action.act == Act::SetTrayIcon && all[i].first == "tray_icon"))
            set.push_back(all[i]);
    return Line("< " + std::string(RowOf(action.act).name), set);
}

std::string TraceLine(const Settings& settings) {
    return Line("settings", FieldsOf(settings));
}

std::optional<Event> EventFromTrace(std::string_view line) {
    auto split = Split(line, "> ");
    if (!split) return std::nullopt;
    const std::string_view name = split->first;
    Reader& reader = split->second;
    for (size_t i = 0; i < kEventNames.size(); ++i) {
        if (kEventNames[i] != name) continue;
        std::optional<Event> event = EmptyEvent(i, std::make_index_sequence<std::variant_size_v<Event>>{});
        std::visit([&](auto& e) { Fields(e, reader); }, *event);
        if (!reader.ok) return std::nullopt;
        return event;
    }
    return std::nullopt;
}

std::optional<Settings> SettingsFromTrace(std::string_view line) {
    auto split = Split(line, "settings");
    if (!split || !split->first.empty()) return std::nullopt;
    Settings settings;
    Fields(settings, split->second);
    if (!split->second.ok) return std::nullopt;
    return settings;
}

} // namespace kelpix::core

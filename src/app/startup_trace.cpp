#include "app/startup_trace.h"

#include <windows.h>

#include <array>
#include <cstdio>

namespace kelpix::startup_trace {

namespace {

struct Noted {
    const char* step;
    ULONGLONG at; // 100 ns units since 1601, as FILETIME
};

// The precise clock where the system has it (Windows 8 and later), the coarse one elsewhere.
ULONGLONG Now() {
    using Clock = void(WINAPI*)(LPFILETIME);
    static const Clock clock = [] {
        auto precise = reinterpret_cast<Clock>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
        return precise ? precise : &GetSystemTimeAsFileTime;
    }();
    FILETIME now{};
    clock(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

struct Trace {
    wchar_t file[MAX_PATH] = {};
    bool on = GetEnvironmentVariableW(L"KELPIX_STARTUP_TRACE", file, MAX_PATH) - 1 < MAX_PATH - 1;
    std::array<Noted, 16> noted{};
    size_t count = 0;
};

Trace& TheTrace() {
    static Trace trace;
    return trace;
}

} // namespace

void Mark(const char* step) {
    Trace& trace = TheTrace();
    if (trace.on && trace.count < trace.noted.size()) trace.noted[trace.count++] = {step, Now()};
}

void Finish() {
    Trace& trace = TheTrace();
    if (!trace.on) return;
    trace.on = false;
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
    const ULONGLONG start = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    FILE* out = _wfopen(trace.file, L"w");
    if (!out) return;
    for (size_t i = 0; i < trace.count; ++i)
        std::fprintf(out, "%s %.3f\n", trace.noted[i].step, static_cast<double>(trace.noted[i].at - start) / 10000.0);
    std::fclose(out);
}

} // namespace kelpix::startup_trace

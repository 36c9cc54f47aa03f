#include "core/session_trace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace kelpix::core {
namespace {

// A trace the program wrote (KELPIX_TRACE) while the Windows tests picked, captured, counted down,
// stored in and restored from the notification area: played again here, every event must read back
// as it was written and give the actions the program got then. A "settings" line starts a session.
TEST(SessionTrace, ARecordedRunGivesTheSameActionsWhenPlayedAgain) {
    std::ifstream file(KELPIX_TEST_DATA "/capture_session.trace");
    ASSERT_TRUE(file) << "capture_session.trace";
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    std::optional<CaptureSession> session;
    size_t events = 0, sessions = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "line " << i + 1);
        if (auto settings = SettingsFromTrace(lines[i])) {
            EXPECT_EQ(TraceLine(*settings), lines[i]);
            session.emplace(*settings);
            ++sessions;
            continue;
        }
        const std::optional<Event> event = EventFromTrace(lines[i]);
        ASSERT_TRUE(event && session) << lines[i];
        EXPECT_EQ(TraceLine(*event), lines[i]);
        std::vector<std::string> recorded, now;
        while (i + 1 < lines.size() && lines[i + 1].starts_with("< "))
            recorded.push_back(lines[++i]);
        for (const Action& action : session->Handle(*event))
            now.push_back(TraceLine(action));
        EXPECT_EQ(now, recorded);
        ++events;
    }
    EXPECT_GT(sessions, 0u);
    EXPECT_GT(events, 20u);
}

TEST(SessionTrace, LinesOfAnotherKindOrWithAFieldMissingOrWrongDoNotRead) {
    for (const char* line : {"", "< StopTimer timer=Cooldown", "> NoSuchEvent", "> TimerFired timer=Cooldown",
                             "> TimerFired timer=Soon primary_down=0", "> GrabFinished image=2",
                             "> SavedTo folder=00410", "> PointerOver window=12x"})
        EXPECT_FALSE(EventFromTrace(line)) << line;
    EXPECT_FALSE(SettingsFromTrace("settings close_to_tray=1"));
}

} // namespace
} // namespace kelpix::core

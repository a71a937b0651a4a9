// The hosted event log: lines appended to ROOT/log/events.log, rotated to
// events.log.1 at its bound, never written through a symbolic link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_events.h"
#include "platform/memory/memory_clock.h"
#include "support/event_line.h"

namespace comp_mgr {
namespace {

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

TEST(HostedEvents, TheLogRotatesAtItsBoundAndLosesNothingOfTheNewerHalf) {
    hosted_test::TestRoot root;
    MemoryClock clock;
    const std::uint64_t limit = 1000;
    {
        HostedEvents events(root.Host("log/events.log"), clock, false, limit);
        for (int i = 0; i < 60; ++i) events.Record(event_kind::kDropped, "PlugIn_" + std::to_string(i), "why");
    }
    const std::string older = root.Read("log/events.log.1");
    const std::string newer = root.Read("log/events.log");
    const std::size_t line = EventLine(clock.Now(), event_kind::kDropped, "PlugIn_10", "why").size() + 1;
    EXPECT_GE(older.size(), limit);
    EXPECT_LT(older.size(), limit + line) << "it passes the bound by one line at most";
    EXPECT_LT(newer.size(), limit + line);

    // The two logs end with the last events, in order, each a whole line.
    std::vector<std::string> lines = LinesOf(older);
    for (const std::string& l : LinesOf(newer)) lines.push_back(l);
    ASSERT_FALSE(lines.empty());
    const int first = 60 - static_cast<int>(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EventFields fields;
        ASSERT_TRUE(ParseEventLine(lines[i], &fields)) << lines[i];
        EXPECT_EQ(fields.subject, "PlugIn_" + std::to_string(first + static_cast<int>(i)));
    }
}

TEST(HostedEvents, ARotationByAnotherProcessIsFollowed) {
    hosted_test::TestRoot root;
    MemoryClock clock;
    HostedEvents events(root.Host("log/events.log"), clock, false, kEventLogLimit);
    events.Record(event_kind::kAdded, "PlugIn_1", "C:\\a.dll");
    ASSERT_EQ(::rename(root.Host("log/events.log").c_str(), root.Host("log/events.log.1").c_str()), 0);
    events.Record(event_kind::kAdded, "PlugIn_2", "C:\\b.dll");
    EXPECT_EQ(LinesOf(root.Read("log/events.log")).size(), 1u);
    EXPECT_EQ(LinesOf(root.Read("log/events.log.1")).size(), 1u);
}

TEST(HostedEvents, HeldRecordsAreWrittenInOrderWhenTheOutermostHoldEndsOrTheLogCloses) {
    hosted_test::TestRoot root;
    MemoryClock clock;
    auto count = [&] { return LinesOf(root.Read("log/events.log")).size(); };
    const std::string text(200, 'x');
    const std::size_t line = EventLine(clock.Now(), event_kind::kAdded, "PlugIn_9", text).size() + 1;
    const std::size_t many = HeldLines::kPiece / line + 10;
    {
        HostedEvents events(root.Host("log/events.log"), clock, false, kEventLogLimit);
        events.Record(event_kind::kAdded, "PlugIn_1", "C:\\a.dll");
        EXPECT_EQ(count(), 1u) << "not held: written at once";
        events.Hold();
        events.Hold();
        events.Record(event_kind::kAdded, "PlugIn_2", "C:\\b.dll");
        events.Release();
        EXPECT_EQ(count(), 1u) << "still held by the outer hold";
        events.Release();
        EXPECT_EQ(count(), 2u);
        // A piece that fills up is written while held; the rest at the close.
        events.Hold();
        for (std::size_t i = 0; i < many; ++i) events.Record(event_kind::kAdded, "PlugIn_9", text);
        EXPECT_GT(count(), 2u);
        EXPECT_LT(count(), 2 + many);
    }
    const std::vector<std::string> lines = LinesOf(root.Read("log/events.log"));
    ASSERT_GT(lines.size(), 2u);
    EventFields fields;
    ASSERT_TRUE(ParseEventLine(lines[1], &fields));
    EXPECT_EQ(fields.subject, "PlugIn_2");
    EXPECT_EQ(lines.size(), 2 + many) << "every held line reached the log when it closed";
}

TEST(HostedEvents, ALinkedLogIsNotWrittenThrough) {
    hosted_test::TestRoot root;
    root.Write("elsewhere.txt", "");
    root.MakeDir("log");
    ASSERT_EQ(::symlink(root.Host("elsewhere.txt").c_str(), root.Host("log/events.log").c_str()), 0);
    MemoryClock clock;
    HostedEvents events(root.Host("log/events.log"), clock, false, kEventLogLimit);
    ::testing::internal::CaptureStderr();
    events.Record(event_kind::kAdded, "PlugIn_1", "C:\\a.dll");
    events.Record(event_kind::kAdded, "PlugIn_2", "C:\\b.dll");
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(root.Read("elsewhere.txt"), "");
    EXPECT_EQ(LinesOf(told).size(), 1u) << "told once: " << told;
}

}  // namespace
}  // namespace comp_mgr

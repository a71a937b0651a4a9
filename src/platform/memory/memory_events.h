// The in-memory event log for tests: every event is kept, as fields and as
// the line a real log would hold; `on = false` plays a host that never asked.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_EVENTS_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_EVENTS_H

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/events.h"
#include "support/event_line.h"

namespace comp_mgr {

class MemoryEvents : public Events {
public:
    explicit MemoryEvents(Clock& clock, bool startOn = true) : on(startOn), clock_(clock) {}

    bool enabled() const override { return on; }
    void Record(std::string_view kind, std::string_view subject, std::string_view text) noexcept override {
        try {
            ++recorded;
            if (depth > 0) ++heldRecords;
            if (!on) return;
            events.push_back({"", std::string(kind), std::string(subject), std::string(text)});
            lines.push_back(EventLine(clock_.Now(), kind, subject, text));
        } catch (...) {
        }
    }

    void Hold() noexcept override { ++depth; }
    void Release() noexcept override { --depth; }

    bool on = true;
    int recorded = 0;     // calls of Record, also while off
    int depth = 0;        // holds not yet released
    int heldRecords = 0;  // calls of Record while held
    std::vector<EventFields> events;
    std::vector<std::string> lines;

private:
    Clock& clock_;
};

}  // namespace comp_mgr

#endif

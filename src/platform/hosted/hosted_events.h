// The hosted machine's event log: every event is appended to
// ROOT/log/events.log, which is bounded (support/event_line.h: past the
// limit it becomes events.log.1 and a new one begins), never written through
// a symbolic link; with `echo`, each line also goes to standard error in
// UTF-8 as it happens.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_EVENTS_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_EVENTS_H

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/events.h"
#include "support/held_lines.h"

namespace comp_mgr {

class HostedEvents : public Events {
public:
    // `path` is the host path of the log; `limit` the size past which it is
    // rotated (tests pass a small one).
    HostedEvents(std::string path, Clock& clock, bool echo, std::uint64_t limit);
    ~HostedEvents() override;
    HostedEvents(const HostedEvents&) = delete;
    HostedEvents& operator=(const HostedEvents&) = delete;

    bool enabled() const override { return true; }
    void Record(std::string_view kind, std::string_view subject, std::string_view text) noexcept override;
    void Hold() noexcept override { held_.Hold(); }
    void Release() noexcept override;

private:
    // Appends the waiting lines to the log, rotating it first when full.
    void WriteWaiting() noexcept;
    // The log open for appending, reopened when another process rotated or
    // removed it; false when it cannot be written.
    bool Open();
    void Close();

    std::string path_;
    Clock& clock_;
    bool echo_;
    std::uint64_t limit_;
    int fd_ = -1;
    bool refusedTold_ = false;
    HeldLines held_;
};

}  // namespace comp_mgr

#endif

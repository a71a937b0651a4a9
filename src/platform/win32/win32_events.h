// The Windows event log, kept only when the host asks for it: VNT_EVENTS_LOG
// names the file (Win32Settings), bounded as on the hosted machine
// (support/event_line.h); with VNT_EVENTS_ECHO=1 each line also goes to the
// process's standard error in UTF-8. Neither asked: the port is off, no text
// is built and no file is touched.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_EVENTS_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_EVENTS_H

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/events.h"
#include "support/held_lines.h"

namespace comp_mgr {

class Win32Events : public Events {
public:
    Win32Events(std::string path, Clock& clock, bool echo, std::uint64_t limit);
    ~Win32Events() override;
    Win32Events(const Win32Events&) = delete;
    Win32Events& operator=(const Win32Events&) = delete;

    bool enabled() const override { return !path_.empty() || echo_; }
    void Record(std::string_view kind, std::string_view subject, std::string_view text) noexcept override;
    void Hold() noexcept override { held_.Hold(); }
    void Release() noexcept override;

private:
    // Appends the waiting lines to the log, rotating it first when full.
    void WriteWaiting() noexcept;
    bool Open();
    void Close();

    std::string path_;
    Clock& clock_;
    bool echo_;
    std::uint64_t limit_;
    void* file_ = nullptr;  // a HANDLE; null while closed
    HeldLines held_;
};

}  // namespace comp_mgr

#endif

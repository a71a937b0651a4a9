// The events one run of the tool makes the library record: where the
// library's event log is (hosted: ROOT/log/events.log; Windows: the file
// VNT_EVENTS_LOG names, else a temporary file of the tool's own for the run),
// where it ended before the load, and, after the unload, what was appended
// since, a rotation in between included. With -v the library is also asked to
// echo each event as it happens (VNT_EVENTS_ECHO=1).
#ifndef COMP_MGR_TOOL_EVENT_CAPTURE_H
#define COMP_MGR_TOOL_EVENT_CAPTURE_H

#include <cstdint>
#include <ostream>
#include <string>

#include "options.h"

namespace comp_mgr_tool {

// Where a log and its older rotation stood: sizes and first bytes.
struct LogMark {
    std::uint64_t size = 0;
    std::string head;
    std::uint64_t olderSize = 0;
    std::string olderHead;
};

class EventCapture {
public:
    // Before the library is loaded (the environment is set here).
    explicit EventCapture(const Options& options);
    // Puts back the environment and removes a temporary log of its own.
    ~EventCapture();
    EventCapture(const EventCapture&) = delete;
    EventCapture& operator=(const EventCapture&) = delete;

    // After the unload: the lines appended during the run.
    std::string Appended() const;
    // After the unload: the summary of the run on `err` in UTF-8, after
    // `prefix` ("not saved: " when the catalog's changes were dropped at the
    // unload), unless -q asked for none or nothing was recorded.
    void TellSummary(std::ostream& err, const char* prefix) const;

private:
    std::string path_;
    LogMark start_;
    bool quiet_ = false;
    bool ownFile_ = false;
    bool setEcho_ = false;
    std::string echoBefore_;
};

// How many of the log's first bytes tell it from the log that replaces it
// at a rotation: its first lines, with their times.
constexpr std::size_t kLogHeadBytes = 4096;

// The first kLogHeadBytes of the log at `path`.
std::string LogHead(const std::string& path);

// Where the log at `path` and `path`.1 stand now.
LogMark MarkLog(const std::string& path);

// What was appended to the log at `path` since `start`: the tail of the log,
// or, when it was rotated in between (it no longer begins as it began, or
// `path`.1 changed), the tail of `path`.1 followed by the whole new log.
std::string ReadAppended(const std::string& path, const LogMark& start);

// The size of a file, 0 when there is none.
std::uint64_t FileSizeOrZero(const std::string& path);

}  // namespace comp_mgr_tool

#endif

#include "event_capture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "change_summary.h"
#include "library.h"
#include "machine_root.h"
#include "support/code_page_1252.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace comp_mgr_tool {

namespace fs = std::filesystem;

namespace {

// At most `limit` bytes of `path` from `offset`; nothing when it cannot be read.
std::string ReadFrom(const std::string& path, std::uint64_t offset, std::size_t limit = std::string::npos) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in) return std::string();
    if (limit == std::string::npos)
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::string text(limit, '\0');
    in.read(&text[0], static_cast<std::streamsize>(limit));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void RemoveLogs(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
    fs::remove(path + ".1", ignored);
}

#ifdef _WIN32
// A file of the tool's own in the temporary folder, unique to the process.
std::string TemporaryLogPath() {
    char folder[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, folder);
    std::string path = n > 0 && n <= MAX_PATH ? std::string(folder, n) : std::string(".\\");
    return path + "comp_mgr-events-" + std::to_string(GetCurrentProcessId()) + ".log";
}
#endif

}  // namespace

std::uint64_t FileSizeOrZero(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

std::string LogHead(const std::string& path) {
    return ReadFrom(path, 0, kLogHeadBytes);
}

LogMark MarkLog(const std::string& path) {
    const std::string older = path + ".1";
    return {FileSizeOrZero(path), LogHead(path), FileSizeOrZero(older), LogHead(older)};
}

std::string ReadAppended(const std::string& path, const LogMark& start) {
    // A log that still begins as it began is the same log, however long a
    // new one could have grown; a log that was empty tells nothing by its
    // beginning, so the older log's change tells of a rotation then.
    const std::string now = ReadFrom(path, 0);
    const std::string older = path + ".1";
    const bool olderChanged = FileSizeOrZero(older) != start.olderSize || LogHead(older) != start.olderHead;
    const bool sameLog =
        start.size > 0 ? now.size() >= start.size && now.compare(0, start.head.size(), start.head) == 0 : !olderChanged;
    if (sameLog) return now.substr(start.size);
    return ReadFrom(older, start.size) + now;
}

EventCapture::EventCapture(const Options& options) : quiet_(options.quiet) {
    if (kHostedBuild) {
        path_ = EffectiveRoot(options.hasRoot, options.root) + "/log/events.log";
    } else {
        path_ = Environment("VNT_EVENTS_LOG");
#ifdef _WIN32
        if (path_.empty()) {
            path_ = TemporaryLogPath();
            ownFile_ = SetEnvironment("VNT_EVENTS_LOG", path_);
            if (ownFile_) {
                RemoveLogs(path_);  // of an earlier process of this id
            } else {
                path_.clear();
            }
        }
#endif
    }
    if (!path_.empty()) {
        start_ = MarkLog(path_);
    }
    if (options.verbose) {
        echoBefore_ = Environment("VNT_EVENTS_ECHO");
        setEcho_ = SetEnvironment("VNT_EVENTS_ECHO", "1");
    }
}

EventCapture::~EventCapture() {
    // The next run in this process (tests run many) starts as this one did.
    if (setEcho_) SetEnvironment("VNT_EVENTS_ECHO", echoBefore_);
    if (ownFile_) {
        SetEnvironment("VNT_EVENTS_LOG", "");
        RemoveLogs(path_);
    }
}

std::string EventCapture::Appended() const {
    return path_.empty() ? std::string() : ReadAppended(path_, start_);
}

void EventCapture::TellSummary(std::ostream& err, const char* prefix) const {
    if (quiet_) return;
    const std::string summary = SummarizeEvents(Appended());
    if (summary.empty()) return;
    err << "comp_mgr: " << prefix << comp_mgr::Cp1252ToUtf8(summary) << "\n";
}

}  // namespace comp_mgr_tool

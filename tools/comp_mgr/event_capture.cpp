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

std::string ReadFrom(const std::string& path, std::uint64_t offset) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in) return std::string();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

std::string ReadAppended(const std::string& path, std::uint64_t startSize) {
    const std::uint64_t now = FileSizeOrZero(path);
    if (now >= startSize) return ReadFrom(path, startSize);
    return ReadFrom(path + ".1", startSize) + ReadFrom(path, 0);
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
    startSize_ = path_.empty() ? 0 : FileSizeOrZero(path_);
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
    return path_.empty() ? std::string() : ReadAppended(path_, startSize_);
}

void EventCapture::TellSummary(std::ostream& err) const {
    if (quiet_) return;
    const std::string summary = SummarizeEvents(Appended());
    if (!summary.empty()) err << "comp_mgr: " << comp_mgr::Cp1252ToUtf8(summary) << "\n";
}

}  // namespace comp_mgr_tool

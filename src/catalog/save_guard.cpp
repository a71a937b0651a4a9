// What keeps a save from losing changes, its own or another program's, and
// from failing unnoticed:
//
// - The save takes a short lock beside the catalog, so that two processes
//   never check and replace the file at the same time.
// - It compares the file on disk with what this process read at the start
//   (size and content hash). When another program saved in between, that
//   version is kept aside under a dated name (vnt_Compdb.YYYYMMDD-HHMMSS.ini)
//   before this run's catalog replaces it, and the event is told.
// - A save that fails, and a version kept aside, are written to the status
//   record vnt_Compdb.status beside the catalog, which the next load turns
//   into a message for the user. The exit hook cannot show a dialog.
#include <cstdio>
#include <string_view>

#include "catalog/component_database.h"
#include "support/path_parts.h"

namespace comp_mgr {

namespace {

// Long enough for a slow disk to finish another process's save; a process
// stuck in a save for longer does not hold this one forever.
const int kSaveLockWaitMilliseconds = 10000;

const char kUnsavedMessage[] = "The last changes to the component manager database could not be saved.\n\r";
const char kKeptAsideMessage[] =
    "The component manager database was changed by another program while this one had it open.\n\r";

std::string Stamp(const std::tm& t, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

}  // namespace

std::uint64_t ComponentDatabase::ContentHash(std::string_view content) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : content) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string ComponentDatabase::StatusRecordPath() const {
    return iniPath_.empty() ? std::string() : WithExtension(iniPath_, "status");
}

std::unique_ptr<FileLock> ComponentDatabase::LockForSave() {
    // Without a lock (a read-only folder, a stuck saver) the save still runs
    // its change check; a folder where the lock cannot be made is one where
    // the save cannot write either.
    return platform_.files.Lock(WithExtension(iniPath_, "lock"), kSaveLockWaitMilliseconds);
}

bool ComponentDatabase::KeepAsideIfChanged() {
    std::string current;
    const bool exists = platform_.files.ReadAll(iniPath_, &current);
    if (!exists) {
        // Gone since the load (or still missing): nothing of anyone's is there to keep.
        return true;
    }
    if (loadedFile_ && current.size() == loadedSize_ && ContentHash(current) == loadedHash_) return true;
    const std::tm now = platform_.clock.Now();
    const std::string stem = WithExtension(iniPath_, "") + Stamp(now, "%04d%02d%02d-%02d%02d%02d");
    std::string kept = stem + ".ini";
    for (int n = 2; platform_.files.Exists(kept); ++n) kept = stem + "-" + std::to_string(n) + ".ini";
    if (!platform_.files.Replace(kept, current, std::string())) {
        saveFailure_ =
            "the database file was changed by another program since it was read, and that version could "
            "not be kept aside (" +
            platform_.files.LastFailure() + "); this run's changes were not saved over it";
        return false;
    }
    saveNotice_ = "the database file was changed by another program since it was read; that version was kept as " +
                  kept + " and this run's catalog saved";
    return true;
}

void ComponentDatabase::RecordForNextLoad() {
    const std::string path = StatusRecordPath();
    if (path.empty() || (saveFailure_.empty() && saveNotice_.empty())) return;
    std::string record;
    platform_.files.ReadAll(path, &record);  // earlier events not yet told stay
    const std::string when = Stamp(platform_.clock.Now(), "%04d-%02d-%02d %02d:%02d:%02d");
    if (!saveFailure_.empty()) record += when + " not saved: " + saveFailure_ + "\r\n";
    if (!saveNotice_.empty()) record += when + " kept aside: " + saveNotice_ + "\r\n";
    platform_.files.Replace(path, record, std::string());
}

void ComponentDatabase::TellRecordedEvents(std::string* pendingMessage) {
    std::string record;
    const std::string path = StatusRecordPath();
    if (path.empty() || !pendingMessage || !platform_.files.ReadAll(path, &record) || record.empty()) return;
    const bool unsaved = record.find(" not saved: ") != std::string::npos;
    const bool keptAside = record.find(" kept aside: ") != std::string::npos;
    std::string text = unsaved ? kUnsavedMessage : "";
    if (keptAside) text += kKeptAsideMessage;
    // The record's own lines say when and why, with a line break as the
    // other messages write it.
    std::string details;
    for (char c : record) {
        if (c == '\r') continue;
        details += c == '\n' ? std::string("\n\r") : std::string(1, c);
    }
    text += "\n\r" + details;
    if (!pendingMessage->empty()) *pendingMessage += "\n\r\n\r";
    *pendingMessage += text;
}

void ComponentDatabase::ForgetRecordedEvents() {
    const std::string path = StatusRecordPath();
    if (!path.empty() && platform_.files.Exists(path)) platform_.files.Remove(path);
}

}  // namespace comp_mgr

// What keeps a save from losing changes, its own or another program's, and
// from failing unnoticed:
//
// - The save takes a short lock beside the catalog, so that two processes
//   never check and replace the file at the same time.
// - It compares the file on disk with what this process read at the start
//   (size and content hash). When another program saved in between, that
//   version is kept aside under a dated name (vnt_Compdb.YYYYMMDD-HHMMSS.ini)
//   before this run's catalog replaces it, and the event is told.
//   Where the two changed different sections, the other's changes are taken
//   into this run's catalog instead, section by section (an installation
//   both added under one name gets the next free number here), and nothing
//   needs to be kept aside. A section is compared as its property lines
//   read: what this run would write against what both files hold.
// - A save that fails, and a version kept aside, are written to the status
//   record vnt_Compdb.status beside the catalog, which the next load turns
//   into a message for the user. The exit hook cannot show a dialog.
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/catalog_damage.h"
#include "catalog/component_database.h"
#include "catalog/section_prints.h"
#include "platform/events.h"
#include "support/event_line.h"
#include "support/ini_grammar.h"
#include "support/path_parts.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

// Long enough for a slow disk to finish another process's save; a process
// stuck in a save for longer does not hold this one forever.
const int kSaveLockWaitMilliseconds = 10000;

const char kUnsavedMessage[] = "The last changes to the component manager database could not be saved.\n\r";
const char kKeptAsideMessage[] =
    "The component manager database was changed by another program while this one had it open.\n\r";
const char kDamagedMessage[] =
    "The component manager database could not be read. The damaged file and the backup were kept.\n\r";

}  // namespace

std::string CatalogStamp(const std::tm& t, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

std::uint64_t ComponentDatabase::ContentHash(std::string_view content) {
    return StreamHash().Add(content).Value();
}

SectionPrints ComponentDatabase::FingerprintSections(std::string_view content) {
    SectionPrinter printer;
    ParseIni(
        content, [&](std::string name) { printer.Section(name); },
        [&](std::string_view key, std::string_view value) { printer.Property(key, value); });
    return std::move(printer.prints());
}

std::uint64_t ComponentDatabase::SectionPrint(const std::string& name) {
    std::string text = "[" + name + "]\r\n";
    WriteEntry(Entry(name), name, text);
    return FingerprintSections(text)[NameHash(name)];
}

bool ComponentDatabase::MergeOthersChanges(const std::string& current) {
    if (!loadedSectionsKnown_) return false;
    const SectionPrints theirs = FingerprintSections(current);
    // Their sections in file order, with the program each records.
    std::vector<std::string> names;
    std::unordered_map<std::string, std::string> locations;
    std::string section;
    ParseIni(
        current, [&](std::string name) { section = std::move(name); },
        [&](std::string_view key, std::string_view value) {
            if (SectionKind(section) == kKindOther) return;
            auto slot = locations.try_emplace(section);
            if (slot.second) names.push_back(section);
            if (key == "ProgLocation") slot.first->second.assign(value.data(), value.size());
        });
    const auto base = [this](const std::string& name) -> const std::uint64_t* {
        return loadedSections_.find(NameHash(name));
    };
    // Their version of a section is taken under the name it gets here.
    std::unordered_map<std::string, std::string> taken;
    std::vector<std::string> removed;
    std::vector<std::string> moved;  // this run's installations that make room
    for (const std::string& name : names) {
        const std::uint64_t* b = base(name);
        const std::uint64_t t = theirs.at(NameHash(name));
        if (b && *b == t) continue;  // theirs as loaded: this run's version stands
        const bool mine = Entry(name) != nullptr;
        const std::uint64_t m = mine ? SectionPrint(name) : 0;
        if (mine && m == t) continue;  // both made the same change
        if (!b) {
            // Added by them: not when this run records the same program.
            for (const auto& item : entries_) {
                if (EqualsNoCase(item.value().ProgLocation, locations[name])) return false;
            }
            // Both added a section of that name: this run's installation
            // takes the next number (no file knows its name yet, nothing
            // refers to it); a plug-in's links would need renaming, and is
            // not merged.
            if (mine && SectionKind(name) != kKindInstallation) return false;
            if (mine) moved.push_back(name);
            taken[name] = name;
        } else if (!mine || m == *b) {
            taken[name] = name;  // changed by them only (or removed here, and changed there)
        } else {
            return false;  // changed on both sides
        }
    }
    for (const std::string& name : installationNames_) {
        if (!theirs.count(NameHash(name)) && base(name)) {
            if (SectionPrint(name) != *base(name)) return false;  // removed there, changed here
            removed.push_back(name);
        }
    }
    for (const std::string& name : plugInNames_) {
        if (!theirs.count(NameHash(name)) && base(name)) {
            if (SectionPrint(name) != *base(name)) return false;
            removed.push_back(name);
        }
    }
    if (taken.empty() && removed.empty()) return true;
    for (const std::string& name : removed) RemoveSection(name);
    const auto take = [&](const std::unordered_map<std::string, std::string>& which) {
        const std::string* target = nullptr;
        ParseIni(
            current,
            [&](std::string name) {
                auto found = which.find(name);
                target = found == which.end() ? nullptr : &found->second;
            },
            [&](std::string_view key, std::string_view value) {
                if (target) SetProperty(*target, std::string(key), std::string(value));
            });
    };
    // This run's installations that must make room go aside under names
    // that hold no number, their places are taken, and then they get numbers
    // after every number the other file uses.
    const auto position = [this](const std::string& name) {
        std::size_t at = 0;
        while (at < installationNames_.size() && installationNames_[at] != name) ++at;
        return at;
    };
    for (std::size_t i = 0; i < moved.size(); ++i) {
        const std::string aside = kInstallationPrefix + std::string("moving") + std::to_string(i);
        RenameSection(kKindInstallation, position(moved[i]), aside);
        moved[i] = aside;
    }
    for (const auto& item : taken) {
        if (Entry(item.first)) RemoveSection(item.first);
    }
    take(taken);
    for (const std::string& aside : moved)
        RenameSection(kKindInstallation, position(aside), MakeNewSectionName(kKindInstallation));
    ForgetPlugInLocations();
    MarkModified(kFlagRecordCreated);
    return true;
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

namespace {

// The size and hash of a file as it is read, without keeping it.
class FileCheck : public ContentSink {
public:
    void Write(std::string_view piece) override {
        hash_.Add(piece);
        size_ += piece.size();
    }
    bool Is(std::uint64_t size, std::uint64_t hash) const { return size_ == size && hash_.Value() == hash; }

private:
    StreamHash hash_;
    std::uint64_t size_ = 0;
};

}  // namespace

bool ComponentDatabase::KeepAsideIfChanged(std::string* backupPath) {
    // Usually the file is still the one this run read or wrote: that is told
    // by a read that keeps nothing, so a save streams from start to end.
    if (loadedFile_ && !loadedNoSection_) {
        FileCheck check;
        if (platform_.files.ReadPieces(iniPath_, check) && check.Is(loadedSize_, loadedHash_)) return true;
    }
    std::string current;
    const bool exists = platform_.files.ReadAll(iniPath_, &current);
    if (!exists) {
        // Gone since the load (or still missing): nothing of anyone's is there to keep.
        return true;
    }
    const bool unchanged = loadedFile_ && current.size() == loadedSize_ && ContentHash(current) == loadedHash_;
    if (unchanged ? loadedNoSection_ : !HoldsSectionHeader(current)) {
        if (!GuardBackup(current, backupPath)) return false;
        if (!damageNotice_.empty()) return true;  // kept aside already; nothing in it to merge
    }
    if (unchanged) return true;
    if (loadedFile_ && MergeOthersChanges(current)) return true;
    const std::string kept = FreeCopyName("");
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
    if (!saveFailure_.empty()) Tell(platform_.events, event_kind::kSaveFailed, iniPath_, [&] { return saveFailure_; });
    if (!saveNotice_.empty()) Tell(platform_.events, event_kind::kKeptAside, iniPath_, [&] { return saveNotice_; });
    const std::string path = StatusRecordPath();
    if (path.empty() || (saveFailure_.empty() && saveNotice_.empty() && damageNotice_.empty())) return;
    std::string record;
    platform_.files.ReadAll(path, &record);  // earlier events not yet told stay
    const std::string when = CatalogStamp(platform_.clock.Now(), "%04d-%02d-%02d %02d:%02d:%02d");
    if (!saveFailure_.empty()) record += when + " not saved: " + saveFailure_ + "\r\n";
    if (!saveNotice_.empty()) record += when + " kept aside: " + saveNotice_ + "\r\n";
    if (!damageNotice_.empty()) record += when + " damaged: " + damageNotice_ + "\r\n";
    platform_.files.Replace(path, record, std::string());
}

void ComponentDatabase::TellRecordedEvents(std::string* pendingMessage) {
    std::string record;
    const std::string path = StatusRecordPath();
    if (path.empty() || !pendingMessage || !platform_.files.ReadAll(path, &record) || record.empty()) return;
    const bool unsaved = record.find(" not saved: ") != std::string::npos;
    const bool keptAside = record.find(" kept aside: ") != std::string::npos;
    const bool damaged = record.find(" damaged: ") != std::string::npos;
    std::string text = unsaved ? kUnsavedMessage : "";
    if (keptAside) text += kKeptAsideMessage;
    if (damaged) text += kDamagedMessage;
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

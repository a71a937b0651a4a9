// Writing the catalog back to vnt_Compdb.ini (keeping the previous file as
// vnt_Compdb.bak) and the per-installation copy VNTInstallEntry.ini.
//
// Every file is written through Files::ReplaceWith, which puts it in place
// only once it is complete, so a failure or a crash leaves the old file
// intact. The text goes out in pieces of about kPieceSize bytes: a database
// of 100,000 sections is 40 MB, which need never be in memory whole.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "catalog/component_database.h"
#include "catalog/host_paths.h"
#include "catalog/section_prints.h"
#include "support/path_parts.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

const char kLineEnd[] = "\r\n";
const std::size_t kKeyWidth = 17;  // the longest fixed key, PlugInLst_GrpName
const std::size_t kPieceSize = 64 * 1024;

const char kHeader[] =
    ";---------------------------------------------------------------------------\r\n"
    "; Vantrel Component Manager database\r\n"
    ";---------------------------------------------------------------------------\r\n"
    ";NOTE:\r\n"
    "; IMPORTANT... DO NOT ALTER OR DELETE THIS FILE.\r\n"
    "; This file is maintained by Vantrel Component Management tool\r\n"
    ";\r\n"
    ";---------------------------------------------------------------------------\r\n"
    ";\r\n";

// A line break inside a value would end the line early and let the rest be
// read back as a header or property of its own; it is written as a blank.
void AppendText(std::string& out, std::string_view text) {
    std::size_t start = out.size();
    out.append(text.data(), text.size());
    if (!std::memchr(text.data(), '\r', text.size()) && !std::memchr(text.data(), '\n', text.size())) return;
    for (std::size_t i = start; i < out.size(); ++i)
        if (out[i] == '\r' || out[i] == '\n') out[i] = ' ';
}

void AppendKey(std::string& out, std::string_view key) {
    AppendText(out, key);
    if (key.size() < kKeyWidth) out.append(kKeyWidth - key.size(), ' ');
    out += '=';
}

void AppendProperty(std::string& out, std::string_view key, std::string_view value) {
    AppendKey(out, key);
    AppendText(out, value);
    out += kLineEnd;
}

// The items joined by commas, written straight into the file.
void AppendListProperty(std::string& out, std::string_view key, const StringList& list) {
    AppendKey(out, key);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out += ',';
        AppendText(out, list[i]);
    }
    out += kLineEnd;
}

// "%f", then trailing zeros dropped down to one digit after the point.
std::string FormatSdkVersion(double value) {
    std::string text = FormatFixed6(value);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text += '0';
    }
    return text;
}

// The number n in 1..max when `name` is `prefix` followed by exactly the
// decimal form of n (no sign, no leading zero); 0 otherwise.
std::int64_t PlainSectionNumber(const std::string& name, std::string_view prefix, std::int64_t max) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix.data(), prefix.size()) != 0) return 0;
    std::string_view digits = std::string_view(name).substr(prefix.size());
    if (digits.size() > 10 || digits.front() == '0') return 0;
    std::int64_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= max ? n : 0;
}

// The items of `names` that are plain section names numbered 1..max, in
// ascending number: the order of a walk over the numbers 1..max, without
// visiting numbers nobody uses.
using NumberedName = std::pair<std::int64_t, const std::string*>;
std::vector<NumberedName> InNumberOrder(const StringList& names, std::string_view prefix, std::int64_t max) {
    std::vector<NumberedName> numbered;
    numbered.reserve(names.size());
    for (const std::string& name : names) {
        std::int64_t n = PlainSectionNumber(name, prefix, max);
        if (n > 0) numbered.emplace_back(n, &name);
    }
    const auto byNumber = [](const NumberedName& a, const NumberedName& b) { return a.first < b.first; };
    // Sections usually come in number order already, as the file lists them.
    if (!std::is_sorted(numbered.begin(), numbered.end(), byNumber))
        std::sort(numbered.begin(), numbered.end(), byNumber);
    return numbered;
}

}  // namespace

namespace {

// Passes the pieces on and keeps the size and hash of what went through, so
// that the next save can tell whether the file is still this one.
class HashingSink : public ContentSink {
public:
    explicit HashingSink(ContentSink& next) : next_(next) {}
    void Write(std::string_view piece) override {
        hash_.Add(piece);
        size_ += piece.size();
        next_.Write(piece);
    }
    std::uint64_t hash() const { return hash_.Value(); }
    std::uint64_t size() const { return size_; }

private:
    ContentSink& next_;
    StreamHash hash_;  // as ContentHash
    std::uint64_t size_ = 0;
};

}  // namespace

std::string_view ComponentDatabase::SavedHeader() {
    return kHeader;
}

int ComponentDatabase::Save() {
    saveFailure_.clear();
    saveNotice_.clear();
    damageNotice_.clear();
    if (!(flags_ & kFlagModified)) return 0;
    if (iniPath_.empty()) {
        saveFailure_ =
            "no database file is known: the registry value target of "
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager is missing";
        return 0;
    }
    const std::unique_ptr<FileLock> lock = LockForSave();
    std::string backup = WithExtension(iniPath_, "bak");
    if (!KeepAsideIfChanged(&backup)) {
        RecordForNextLoad();
        return 0;
    }
    std::uint64_t writtenSize = 0, writtenHash = 0;
    const auto produce = [this, &writtenSize, &writtenHash](ContentSink& fileSink) {
        HashingSink sink(fileSink);
        std::string out;
        out.reserve(2 * kPieceSize);
        out += kHeader;
        WriteSections(maxInstallationNumber_, installationNames_, kInstallationPrefix, out, sink, false);
        WriteSections(maxPlugInNumber_, plugInNames_, kPlugInPrefix, out, sink, false);
        sink.Write(out);
        writtenSize = sink.size();
        writtenHash = sink.hash();
    };
    if (!platform_.files.ReplaceWith(iniPath_, produce, backup)) {
        saveFailure_ = platform_.files.LastFailure();
        if (saveFailure_.empty()) saveFailure_ = "cannot write " + iniPath_;
        RecordForNextLoad();
        return 0;
    }
    loadedFile_ = true;
    loadedSize_ = writtenSize;
    loadedHash_ = writtenHash;
    loadedNoSection_ = installationNames_.empty() && plugInNames_.empty();
    // What was written is this run's own text: a later save here can still
    // tell another program's save, but merges nothing into it.
    loadedSections_.clear();
    loadedSectionsKnown_ = false;
    RecordForNextLoad();
    flags_ |= kFlagOpened | kFlagWritten;
    flags_ &= ~kFlagModified;
    return 1;
}

void ComponentDatabase::WriteInstallEntry() {
    // Without the host's folder there is no place for the copy.
    if (HostDirectory(platform_).empty()) return;
    const auto produce = [this](ContentSink& sink) {
        std::string out;
        WriteSections(maxInstallationNumber_, installationNames_, kInstallationPrefix, out, sink, true);
        sink.Write(out);
    };
    platform_.files.ReplaceWith(InstallEntryPath(platform_), produce, std::string());
}

// Sections go into `out`, which is handed to `sink` whenever it holds a piece.
void ComponentDatabase::WriteSections(int maxNumber, const StringList& names, const std::string& prefix,
                                      std::string& out, ContentSink& sink, bool onlyHostProgram) {
    const std::int64_t limit = std::max<std::int64_t>(maxNumber, static_cast<std::int64_t>(names.size()));
    if (limit <= 0) return;
    const std::string host = onlyHostProgram ? ToUpper(HostProgramPath(platform_)) : std::string();
    std::int64_t count = 0;
    for (const NumberedName& numbered : InNumberOrder(names, prefix, maxNumber)) {
        const std::string* name = numbered.second;
        const CatalogEntry* entry = Entry(*name);
        if (!entry) continue;
        if (onlyHostProgram) {
            const std::string shown = ToUpper(DisplayPath(*entry));
            if (host.find(shown) == std::string::npos && shown.find(host) == std::string::npos) continue;
        }
        out += '[';
        AppendText(out, *name);
        out += ']';
        out += kLineEnd;
        WriteEntry(entry, *name, out);
        out += kLineEnd;
        if (out.size() >= kPieceSize) {
            sink.Write(out);
            out.clear();
        }
        if (++count >= limit) break;
    }
}

int ComponentDatabase::WriteEntry(const CatalogEntry* entry, const std::string& sectionName, std::string& out) {
    if (!entry) return 0;
    AppendProperty(out, "DisplayName", entry->DisplayName);
    AppendProperty(out, "ProgLocation", entry->ProgLocation);
    AppendProperty(out, "LastAccessDate", entry->LastAccessDate);
    AppendProperty(out, "Status", FormatInt(entry->Status));
    AppendProperty(out, "SdkVersion", FormatSdkVersion(entry->SdkVersion));
    AppendListProperty(out, "CpuSupport", entry->CpuSupport);

    if (SectionKind(sectionName) == kKindPlugIn) {
        AppendListProperty(out, "PlugInLst_GrpName", entry->PlugInLst_GrpName);
    } else {
        // Only the plug-in names that a walk over the plug-in numbers would
        // meet, in number order.
        AppendKey(out, "PlugInLst_GrpName");
        const std::int64_t upper =
            std::max<std::int64_t>(maxPlugInNumber_, static_cast<std::int64_t>(plugInNames_.size()));
        // A name linked twice in memory is written once, as the walk meets each number once.
        const std::string* previous = nullptr;
        for (const NumberedName& numbered : InNumberOrder(entry->PlugInLst_GrpName, kPlugInPrefix, upper)) {
            const std::string* name = numbered.second;
            if (previous && *previous == *name) continue;
            if (previous) out += ',';
            AppendText(out, *name);
            previous = name;
        }
        out += kLineEnd;
    }

    AppendProperty(out, "GroupDescription", entry->GroupDescription);
    AppendProperty(out, "HelpFile", entry->HelpFile);
    AppendProperty(out, "Sku", entry->Sku);
    for (const auto& property : entry->extraProperties) AppendProperty(out, property.key(), property.value());
    return 1;
}

}  // namespace comp_mgr

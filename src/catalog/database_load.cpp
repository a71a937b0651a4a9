// Finding, opening and loading vnt_Compdb.ini, and the check that the catalog
// still describes the running program's own installation.
#include <string_view>
#include <utility>

#include "catalog/component_database.h"
#include "catalog/host_paths.h"
#include "catalog/section_prints.h"
#include "support/ini_grammar.h"
#include "support/text.h"
#include "support/whole_lines.h"

namespace comp_mgr {

namespace {

const char kDatabaseKey[] = "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager";
const char kDatabaseFileName[] = "vnt_Compdb.ini";
const std::uint32_t kTargetCapacity = 512;

const char kOpenErrorBefore[] =
    "Error opening Component Manager INI file - path in registry is missing or incorrect.\nPath: \"";
const char kOpenErrorAfter[] = "\".\nVantrel will attempt to use the last set of plug-ins that were run.";

const char kRecoveredMessage[] =
    "A problem has been detected in the component manager database. \n\r\n\r"
    "The database has been recovered from backup.\n\rSome components may have been reset to the defaults.";
const char kNotRecoveredMessage[] =
    "A problem has been detected in the component manager database. \n\r\n\r"
    "Please contact Customer Support for further information.";

// A sink that hands each piece to a function.
template <class OnPiece>
class PieceSink : public ContentSink {
public:
    explicit PieceSink(OnPiece onPiece) : onPiece_(std::move(onPiece)) {}
    void Write(std::string_view piece) override { onPiece_(piece); }

private:
    OnPiece onPiece_;
};

}  // namespace

int ComponentDatabase::LocateDatabaseFile() {
    iniPath_.clear();
    Registry& registry = platform_.registry;
    ScopedKey key(registry);
    if (registry.OpenKey(kHkeyLocalMachine, kDatabaseKey, kKeyRead, key.out()) != kErrorSuccess) return 0;
    std::uint8_t buffer[kTargetCapacity] = {};
    std::uint32_t size = kTargetCapacity;
    std::uint32_t type = kRegNone;
    if (registry.QueryValue(key.get(), "target", &type, buffer, &size) != kErrorSuccess) return 0;
    // Only a text value names a folder.
    if (type != kRegSz && type != kRegExpandSz) return 0;
    if (size > kTargetCapacity) size = kTargetCapacity;
    std::string_view target(reinterpret_cast<const char*>(buffer), size);
    std::size_t nul = target.find('\0');
    if (nul != std::string_view::npos) target = target.substr(0, nul);
    iniPath_ = CollapseDoubleBackslashes(target) + "\\" + kDatabaseFileName;
    return 1;
}

int ComponentDatabase::OpenDatabaseFile() {
    if (flags_ & kFlagOpened) return 1;
    // The file is parsed as it is read, so it cannot change between here and
    // the load, and a large catalog is never held whole beside its entries.
    if (iniPath_.empty() || !ReadCatalog()) {
        ForgetReadCatalog();
        platform_.ui.MessageBox(kMessageCaption, kOpenErrorBefore + iniPath_ + kOpenErrorAfter);
        return 0;
    }
    loadedFile_ = true;
    flags_ |= kFlagOpened;
    return 1;
}

bool ComponentDatabase::ReadCatalog() {
    std::string section;
    int kind = SectionKind(section);
    CatalogEntry* entry = nullptr;  // of `section`, once it has a property
    bool existed = false;
    // The sections' fingerprints are taken in the same pass (section_prints.h).
    SectionPrinter printer;
    StreamHash hash;
    std::uint64_t size = 0;
    bool sectionSeen = false;
    WholeLines lines([&](std::string_view text) {
        // Until a section is read, the text is kept: a file that holds none
        // is described from it.
        if (!sectionSeen) textBeforeSections_.append(text);
        ParseIni(
            text,
            [&](std::string name) {
                printer.Section(name);
                section = std::move(name);
                kind = SectionKind(section);
                entry = nullptr;
            },
            [&](std::string_view k, std::string_view v) {
                printer.Property(k, v);
                // The start-up check asks whether every program file opens
                // once the catalog is read; told now, the files port can find
                // out while the rest is read.
                if (k == "ProgLocation" && !v.empty()) platform_.files.CanOpenSoon(v);
                // As SetProperty, with the section looked up once rather than per line.
                if (!entry)
                    entry = &EntryForProperty(section, &existed);
                else
                    existed = true;
                ApplyProperty(*entry, existed, section, kind, k, v);
            });
        if (!sectionSeen && printer.prints().size() > 1) {
            sectionSeen = true;
            std::string().swap(textBeforeSections_);
        }
    });
    PieceSink read([&](std::string_view piece) {
        hash.Add(piece);
        size += piece.size();
        lines.Write(piece);
    });
    if (!platform_.files.ReadPieces(iniPath_, read)) return false;
    lines.Finish();
    loadedSize_ = size;
    loadedHash_ = hash.Value();
    // Only the pseudo-section before the first header: nothing was read.
    loadedNoSection_ = printer.prints().size() <= 1;
    loadedSections_ = std::move(printer.prints());
    loadedSectionsKnown_ = true;
    return true;
}

void ComponentDatabase::ForgetReadCatalog() {
    installationNames_.clear();
    plugInNames_.clear();
    entries_.clear();
    maxInstallationNumber_ = 0;
    maxPlugInNumber_ = 0;
    std::string().swap(textBeforeSections_);
    loadedSections_.clear();
    loadedSectionsKnown_ = false;
    loadedNoSection_ = false;
    loadedSize_ = 0;
    loadedHash_ = 0;
}

int ComponentDatabase::Load(std::string* pendingMessage) {
    if (flags_ & kFlagLoaded) return 1;
    if (!(flags_ & kFlagOpened)) return 0;

    if (loadedNoSection_) NoteDamagedLoad(textBeforeSections_);
    std::string().swap(textBeforeSections_);

    if (!IsInstallerProcess(platform_) && !FindHostInstallation(HostProgramPath(platform_))) {
        bool restored = RecoverFromInstallEntry();
        if (pendingMessage) *pendingMessage = restored ? kRecoveredMessage : kNotRecoveredMessage;
    }
    TellRecordedEvents(pendingMessage);
    flags_ |= kFlagLoaded;
    return 1;
}

bool ComponentDatabase::IsHostProgram(const std::string& path, const std::string& candidate) {
    std::size_t pathSlash = path.rfind('\\');
    if (pathSlash == std::string::npos) return false;
    std::size_t candidateSlash = candidate.rfind('\\');
    if (candidateSlash == std::string::npos) return false;
    std::string_view folder(path.data(), pathSlash);
    std::string_view candidateFolder(candidate.data(), candidateSlash);
    std::string_view name = std::string_view(candidate).substr(candidateSlash + 1);
    return EqualsNoCase(folder, candidateFolder) && (EqualsNoCase(name, "vn_app.exe") || EqualsNoCase(name, "vn_app"));
}

bool ComponentDatabase::FindHostInstallation(const std::string& path) {
    for (const auto& item : entries_) {
        // Entries that cannot be the host are passed over without asking the
        // file system for their display names.
        if (!CouldNameHostProgram(item.value().ProgLocation)) continue;
        if (IsHostProgram(path, DisplayPath(item.value()))) return true;
    }
    return false;
}

}  // namespace comp_mgr

#include "services/diagnosis/catalog_check.h"

#include <set>
#include <unordered_map>
#include <utility>

#include "platform/scoped_current_directory.h"
#include "support/ini_grammar.h"
#include "support/path_parts.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

void Add(std::vector<Finding>* findings, bool problem, const char* kind, const std::string& section,
         const std::string& text) {
    findings->push_back({problem, kind, section, text});
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The section names of a catalog file's text, in file order, each once.
std::vector<std::string> SectionsOf(const std::string& content) {
    std::vector<std::string> names;
    std::set<std::string> seen;
    ParseIni(
        content,
        [&](std::string name) {
            if (seen.insert(name).second) names.push_back(std::move(name));
        },
        [](std::string_view, std::string_view) {});
    return names;
}

// "PlugIn_1, PlugIn_2 and 3 more"
std::string FewOf(const std::vector<std::string>& names) {
    const std::size_t shown = names.size() < 5 ? names.size() : 5;
    std::string text;
    for (std::size_t i = 0; i < shown; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > shown) text += " and " + std::to_string(names.size() - shown) + " more";
    return text;
}

// Lines are split at '|' and newlines by the reader: neither may appear in a field.
std::string Field(std::string text, bool last) {
    for (char& c : text) {
        if (c == '\n' || c == '\r' || (!last && c == '|')) c = ' ';
    }
    return text;
}

}  // namespace

std::vector<Finding> CatalogCheck::Run() {
    std::vector<Finding> findings;
    CheckStartup(&findings);
    CheckFiles(&findings);
    CheckLinks(&findings);
    CheckServers(&findings);
    CheckBackup(&findings);
    return findings;
}

void CatalogCheck::CheckStartup(std::vector<Finding>* findings) {
    for (const auto& gone : startup_.goneServers) {
        Add(findings, true, "server-gone", "",
            "the registry announces plug-in " + Quoted(gone.plugIn) + " version " + gone.version + " with server " +
                gone.server + ", which is gone; " +
                (gone.keyDeleted ? "the start-up deleted that version's key" : "its key stays in the registry"));
    }
    for (const auto& dropped : startup_.dropped) {
        Add(findings, true, "missing-file", dropped.section,
            Quoted(dropped.displayName) + ": its program file " +
                (dropped.location.empty() ? std::string("(none recorded)") : dropped.location) +
                " is gone, so the start-up dropped the entry");
    }
    for (const auto& substitute : startup_.substitutes) {
        Add(findings, false, "substitute", substitute.installation,
            "linked " + substitute.substitute + " in place of the dropped " + substitute.dropped +
                " (same display name)");
    }
    for (const std::string& name : db_.newPlugInNames()) {
        const CatalogEntry* plugIn = db_.Entry(name);
        if (!plugIn) continue;
        Add(findings, false, "new-plug-in", name,
            Quoted(plugIn->DisplayName) + " (" + plugIn->ProgLocation +
                ") is new in the registry: the start-up made its record, which a run that saves keeps");
    }
    if (db_.flags() & kFlagGroupsReconciled) {
        Add(findings, false, "groups-reconciled", "",
            "plug-ins without a group that share one server were given one group at start-up");
    }
    if (!startup_.loadMessage.empty()) {
        Add(findings, false, "recovered", "", "the load left this message: " + startup_.loadMessage);
    }
}

void CatalogCheck::CheckFiles(std::vector<Finding>* findings) {
    const std::string& path = db_.iniPath();
    std::string content;
    if (path.empty()) {
        Add(findings, true, "catalog-file", "", "the registry names no catalog folder");
    } else if (!platform_.files.Exists(path)) {
        Add(findings, true, "catalog-file", "", "there is no catalog file " + path);
    } else if (!platform_.files.ReadAll(path, &content)) {
        Add(findings, true, "catalog-file", "", "the catalog file " + path + " cannot be read");
    } else if (!content.empty() && SectionsOf(content).empty()) {
        Add(findings, true, "catalog-damaged", "",
            "the catalog file " + path + " holds " + std::to_string(content.size()) +
                " bytes but no section: it is damaged");
    }
    // The start-up dropped what was missing then; a file gone since is told too.
    for (const auto& item : db_.entries()) {
        const CatalogEntry& entry = item.value();
        if (entry.ProgLocation.empty()) {
            Add(findings, true, "missing-file", item.key(), "no program file is recorded");
        } else if (!platform_.files.CanOpen(entry.ProgLocation)) {
            Add(findings, true, "missing-file", item.key(), "its program file " + entry.ProgLocation + " is gone");
        }
    }
}

void CatalogCheck::CheckLinks(std::vector<Finding>* findings) {
    for (const std::string& name : db_.installationNames()) {
        const CatalogEntry* installation = db_.Entry(name);
        if (!installation) continue;
        std::set<std::string> seen;
        std::unordered_map<std::string, std::string> byDisplayName;  // first linked plug-in of each name
        for (const std::string& link : installation->PlugInLst_GrpName) {
            if (!seen.insert(link).second) {
                Add(findings, false, "duplicate-link", name, "links " + link + " twice (the file keeps it once)");
                continue;
            }
            const CatalogEntry* plugIn = db_.Entry(link);
            if (!plugIn) {
                Add(findings, true, "dangling-link", name, "links " + link + ", which is not in the catalog");
                continue;
            }
            if (ComponentDatabase::SectionKind(link) != kKindPlugIn) {
                Add(findings, true, "dangling-link", name, "links " + link + ", which is not a plug-in");
                continue;
            }
            auto first = byDisplayName.try_emplace(plugIn->DisplayName, link);
            if (!first.second) {
                Add(findings, true, "same-name", name,
                    first.first->second + " and " + link + " are both linked and both named " +
                        Quoted(plugIn->DisplayName));
            }
        }
    }
}

void CatalogCheck::CheckServers(std::vector<Finding>* findings) {
    // Each server once, loaded from its own folder as registration loads it,
    // then freed: its self-registration entry points are looked up, not called.
    ScopedCurrentDirectory currentDirectory(platform_.files);
    std::set<std::string> tried;
    for (const std::string& name : db_.plugInNames()) {
        const CatalogEntry* plugIn = db_.Entry(name);
        if (!plugIn || plugIn->ProgLocation.empty() || !tried.insert(ToLower(plugIn->ProgLocation)).second) continue;
        if (!platform_.files.CanOpen(plugIn->ProgLocation)) continue;  // told as a missing file
        const std::string path = CollapseDoubleBackslashes(plugIn->ProgLocation);
        if (path.find('\\') != std::string::npos) platform_.files.SetCurrentDirectory(BeforeLastBackslash(path));
        LibraryHandle library = platform_.loader.Load(plugIn->ProgLocation);
        currentDirectory.Restore();
        if (!library) {
            Add(findings, true, "server-load", name, "the server " + plugIn->ProgLocation + " does not load");
            continue;
        }
        std::string lacking;
        for (const char* entryPoint : {"DllRegisterServer", "DllUnregisterServer"}) {
            if (!platform_.loader.Symbol(library, entryPoint))
                lacking += (lacking.empty() ? "" : " and ") + std::string(entryPoint);
        }
        platform_.loader.Free(library);
        if (!lacking.empty())
            Add(findings, true, "server-exports", name,
                "the server " + plugIn->ProgLocation + " lacks " + lacking + ", so it cannot (un)register itself");
    }
}

void CatalogCheck::CheckBackup(std::vector<Finding>* findings) {
    const std::string& path = db_.iniPath();
    if (path.empty()) return;
    const std::string backupPath = WithExtension(path, "bak");
    std::string catalog, backup;
    const bool catalogRead = platform_.files.ReadAll(path, &catalog);
    const std::vector<std::string> catalogSections = SectionsOf(catalog);
    if (!platform_.files.Exists(backupPath)) {
        if (!catalogSections.empty())
            Add(findings, false, "backup-missing", "",
                "there is no backup " + backupPath + " yet; the next save that changes the catalog makes one");
        return;
    }
    if (!platform_.files.ReadAll(backupPath, &backup)) {
        Add(findings, true, "backup-unreadable", "", "the backup " + backupPath + " cannot be read");
        return;
    }
    const std::vector<std::string> backupSections = SectionsOf(backup);
    if (backupSections.empty()) {
        if (!catalogSections.empty())
            Add(findings, true, "backup-empty", "",
                "the backup " + backupPath + " holds no section (" + std::to_string(backup.size()) +
                    " bytes): it is no copy of the catalog");
        return;
    }
    if (catalogRead && catalogSections.empty()) {
        Add(findings, true, "backup-only", "",
            "the catalog file holds no section but the backup " + backupPath + " holds " +
                std::to_string(backupSections.size()) + ": the backup is the last good copy");
        return;
    }
    const std::set<std::string> inCatalog(catalogSections.begin(), catalogSections.end());
    const std::set<std::string> inBackup(backupSections.begin(), backupSections.end());
    std::vector<std::string> onlyCatalog, onlyBackup;
    for (const std::string& name : catalogSections)
        if (!inBackup.count(name)) onlyCatalog.push_back(name);
    for (const std::string& name : backupSections)
        if (!inCatalog.count(name)) onlyBackup.push_back(name);
    if (!onlyCatalog.empty() || !onlyBackup.empty()) {
        std::string text = "the backup holds " + std::to_string(backupSections.size()) +
                           " sections, the catalog file " + std::to_string(catalogSections.size());
        if (!onlyCatalog.empty()) text += "; only in the catalog file: " + FewOf(onlyCatalog);
        if (!onlyBackup.empty()) text += "; only in the backup: " + FewOf(onlyBackup);
        Add(findings, false, "backup-differs", "", text);
    } else if (backup != catalog) {
        Add(findings, false, "backup-differs", "",
            "the backup holds the same " + std::to_string(backupSections.size()) +
                " sections as the catalog file, with other contents (the state before the last save)");
    }
}

std::string FindingsText(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& f : findings) {
        text += std::string(f.problem ? "problem" : "note") + "|" + Field(f.kind, false) + "|" +
                Field(f.section, false) + "|" + Field(f.text, true) + "\n";
    }
    return text;
}

int ProblemCount(const std::vector<Finding>& findings) {
    int count = 0;
    for (const Finding& f : findings) count += f.problem ? 1 : 0;
    return count;
}

}  // namespace comp_mgr

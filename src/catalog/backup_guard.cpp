// What keeps a catalog file that loaded no section from taking the
// backup's place.
//
// A file that held bytes but no section (random bytes, NUL bytes, a file cut
// short) is damage: the save keeps it aside as
// vnt_Compdb.damaged-YYYYMMDD-HHMMSS.ini and does not move it over the
// backup; a backup that holds sections is also kept as
// vnt_Compdb.YYYYMMDD-HHMMSS.ini, so that the saves after this one, which
// move their file over the backup as usual, cannot lose it. An empty file is
// what a fresh machine starts with, and is damage only when the backup holds
// sections; there is nothing in it to keep. A catalog of comment lines only
// (what this library saves when every section was removed) is not damage,
// but is not moved over a backup that holds sections either.
#include <cstring>

#include "catalog/catalog_damage.h"
#include "catalog/component_database.h"
#include "support/path_parts.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

const char kFileStamp[] = "%04d%02d%02d-%02d%02d%02d";

// Each line of `content` trimmed, without cutting it at a NUL byte.
template <class OnLine>
void ForEachLine(std::string_view content, OnLine&& onLine) {
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = pos;
        while (end < content.size() && content[end] != '\n' && content[end] != '\r') ++end;
        if (!onLine(TrimView(content.substr(pos, end - pos)))) return;
        pos = end + 1;
    }
}

}  // namespace

bool HoldsSectionHeader(std::string_view content) {
    bool found = false;
    ForEachLine(content, [&](std::string_view line) {
        // As the load reads it: the line ends at its first NUL byte.
        const void* nul = std::memchr(line.data(), '\0', line.size());
        if (nul) line = TrimView(line.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - line.data())));
        found = !line.empty() && line[0] == '[';
        return !found;
    });
    return found;
}

std::string DescribeDamage(std::string_view content, std::string_view header) {
    if (content.empty()) return std::string();
    const std::string size = std::to_string(content.size()) + " bytes";
    if (std::memchr(content.data(), '\0', content.size()))
        return "it holds " + size + ", NUL bytes among them, and no section";
    bool text = false;
    ForEachLine(content, [&](std::string_view line) {
        text = !line.empty() && line[0] != ';' && line[0] != '#';
        return !text;
    });
    if (text) return "it holds " + size + " and no section";
    if (content.size() < header.size() && header.compare(0, content.size(), content) == 0)
        return "it ends after " + size + ", inside its header";
    return std::string();
}

void ComponentDatabase::NoteDamagedLoad(const std::string& content) {
    loadDamage_.clear();
    std::string damage = DescribeDamage(content, SavedHeader());
    if (damage.empty() && content.empty()) {
        std::string backup;
        if (platform_.files.ReadAll(WithExtension(iniPath_, "bak"), &backup) && HoldsSectionHeader(backup))
            damage = "it is empty";
    }
    if (damage.empty()) return;
    loadDamage_ = "the database file " + iniPath_ + " could not be read (" + damage +
                  "): this run starts from an empty catalog; its backup " + WithExtension(iniPath_, "bak") + " is kept";
}

std::string ComponentDatabase::FreeCopyName(const std::string& infix) const {
    const std::string base = WithExtension(iniPath_, "") + infix + CatalogStamp(platform_.clock.Now(), kFileStamp);
    std::string name = base + ".ini";
    for (int n = 2; platform_.files.Exists(name); ++n) name = base + "-" + std::to_string(n) + ".ini";
    return name;
}

bool ComponentDatabase::GuardBackup(const std::string& current, std::string* backupPath) {
    std::string backup;
    const bool backupHolds = platform_.files.ReadAll(*backupPath, &backup) && HoldsSectionHeader(backup);
    std::string damage = DescribeDamage(current, SavedHeader());
    if (damage.empty() && current.empty() && backupHolds) damage = "it is empty";
    if (damage.empty()) {
        if (backupHolds) backupPath->clear();  // an empty catalog: the last one with sections stays the backup
        return true;
    }
    std::string told = "the database file " + iniPath_ + " held no section (" + damage + ")";
    if (!current.empty()) {
        const std::string kept = FreeCopyName("damaged-");
        if (!platform_.files.Replace(kept, current, std::string())) {
            saveFailure_ = told + " and could not be kept aside (" + platform_.files.LastFailure() +
                           "); this run's catalog was not saved over it";
            return false;
        }
        told += "; it was kept as " + kept;
    }
    if (backupHolds) {
        const std::string copy = FreeCopyName("");
        if (platform_.files.Replace(copy, backup, std::string())) {
            told += "; the backup " + *backupPath + " was left as it was and kept as " + copy;
        } else {
            told += "; the backup " + *backupPath + " was left as it was";
        }
    }
    damageNotice_ = told + "; this run's catalog was saved";
    backupPath->clear();
    return true;
}

}  // namespace comp_mgr

#include "services/repairs/exit_repairs.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/events.h"
#include "platform/scoped_current_directory.h"
#include "support/event_line.h"
#include "support/text.h"

namespace comp_mgr {

namespace {
struct Numbered {
    std::int64_t number;
    std::size_t position;  // in the names list
    bool hasEntry;
};

// The registered names written exactly as prefix + number (1..max), sorted
// by number: only these can be found or moved by the walk over numbers.
std::vector<Numbered> CanonicalNames(const ComponentDatabase& db, const StringList& names, const char* prefix,
                                     std::int32_t max) {
    const std::size_t prefixLength = std::char_traits<char>::length(prefix);
    std::vector<Numbered> found;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name.compare(0, prefixLength, prefix) != 0) continue;
        const std::string digits = name.substr(prefixLength);
        const std::int32_t number = AtoI(digits);
        if (number < 1 || number > max || FormatInt(number) != digits) continue;
        found.push_back({number, i, db.Entry(name) != nullptr});
    }
    std::sort(found.begin(), found.end(), [](const Numbered& a, const Numbered& b) { return a.number < b.number; });
    return found;
}
}  // namespace

// The walk "for i = 1..max: keep name i if registered, else pull down the
// lowest registered higher number that has an entry" would take 2^31 steps
// for a file holding PlugIn_2147483647. It is done here over the sorted
// registered names instead, with the same moves in the same order: each step
// either meets a registered number or makes a move, and once nothing higher
// with an entry is left no further move can happen.
int ExitRepairs::RenumberSections() {
    const StringList& installations = db_.installationNames();
    const bool installationGaps = static_cast<std::int64_t>(installations.size()) < db_.maxInstallationNumber();
    const bool plugInGaps = static_cast<std::int64_t>(db_.plugInNames().size()) < db_.maxPlugInNumber();
    if (!installationGaps && !plugInGaps) return 0;
    const HeldEvents held(platform_.events);  // only the catalog in memory changes; it is saved next

    bool moved = false;
    // Per linked name, the installations (places in `installations`) that
    // link it and the first place of the name in each, filled on need.
    struct Link {
        std::size_t installation;
        std::size_t at;
    };
    std::unordered_map<std::string, std::vector<Link>> firstLinks;
    bool linksIndexed = false;

    auto renumber = [&](int kind, const char* prefix, std::int32_t max) {
        const StringList& names = kind == kKindInstallation ? db_.installationNames() : db_.plugInNames();
        const std::int64_t limit = std::max<std::int64_t>(max, static_cast<std::int64_t>(names.size()));
        if (limit <= 0) return;
        std::vector<Numbered> sorted = CanonicalNames(db_, names, prefix, max);
        std::vector<bool> consumed(sorted.size(), false);
        std::size_t next = 0;       // lowest not yet consumed, in number order
        std::size_t nextEntry = 0;  // lowest not yet consumed that has an entry
        std::int64_t found = 0;
        for (std::int64_t i = 1; i <= max; ++i) {
            while (next < sorted.size() && consumed[next]) ++next;
            while (nextEntry < sorted.size() && (consumed[nextEntry] || !sorted[nextEntry].hasEntry)) ++nextEntry;
            if (next < sorted.size() && sorted[next].number == i) {
                consumed[next] = true;
                ++found;
            } else if (nextEntry < sorted.size()) {
                Numbered& from = sorted[nextEntry];
                consumed[nextEntry] = true;
                const std::string oldName = names[from.position];
                const std::string newName = prefix + FormatInt(i);
                db_.RenameSection(kind, from.position, newName);
                Tell(platform_.events, event_kind::kRenumbered, oldName, [&] { return oldName + " -> " + newName; });
                moved = true;
                ++found;
                if (kind == kKindPlugIn) {
                    if (!linksIndexed) {
                        linksIndexed = true;
                        for (std::size_t k = 0; k < installations.size(); ++k) {
                            const CatalogEntry* installation = db_.Entry(installations[k]);
                            if (!installation) continue;
                            const StringList& links = installation->PlugInLst_GrpName;
                            for (std::size_t at = 0; at < links.size(); ++at) {
                                std::vector<Link>& places = firstLinks[links[at]];
                                if (places.empty() || places.back().installation != k) places.push_back({k, at});
                            }
                        }
                    }
                    // Old names are never new names of earlier moves (those
                    // are lower), so the first places found up front hold.
                    auto linked = firstLinks.find(oldName);
                    if (linked != firstLinks.end()) {
                        for (const Link& link : linked->second) {
                            CatalogEntry* installation = db_.Entry(installations[link.installation]);
                            if (installation) installation->PlugInLst_GrpName.replaceAt(link.at, newName);
                        }
                        firstLinks.erase(linked);
                    }
                }
            } else {
                break;  // nothing left to pull down
            }
            if (found == limit) break;
        }
    };

    renumber(kKindInstallation, kInstallationPrefix, db_.maxInstallationNumber());
    renumber(kKindPlugIn, kPlugInPrefix, db_.maxPlugInNumber());
    if (!moved) return 0;
    db_.ForgetPlugInLocations();
    if (installationGaps) db_.SetMaxNumber(kKindInstallation, static_cast<std::int32_t>(installations.size()));
    if (plugInGaps) db_.SetMaxNumber(kKindPlugIn, static_cast<std::int32_t>(db_.plugInNames().size()));
    db_.MarkModified();
    return 1;
}

void ExitRepairs::UnregisterAllPlugIns() {
    StringList servers;
    for (const std::string& name : db_.plugInNames()) {
        const CatalogEntry* entry = db_.Entry(name);
        if (entry && (entry->Status & kStatusFoundOrCurrent)) servers.appendUnique(entry->ProgLocation);
    }
    {
        ScopedCurrentDirectory currentDirectory(platform_.files);
        for (const std::string& server : servers) registration_.RegisterServer(server, ServerAction::kUnregister);
    }
    ClearCurrentInstallation();
}

void ExitRepairs::ClearCurrentInstallation() {
    for (const std::string& name : db_.installationNames()) {
        CatalogEntry* entry = db_.Entry(name);
        if (!entry) continue;
        entry->Status &= ~kStatusFoundOrCurrent;
        db_.MarkModified(kFlagLinksChanged);
    }
}

}  // namespace comp_mgr

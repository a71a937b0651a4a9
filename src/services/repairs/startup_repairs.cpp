#include "services/repairs/startup_repairs.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalog/comma_list.h"
#include "platform/events.h"
#include "services/repairs/substitute_index.h"
#include "support/event_line.h"
#include "support/text.h"

namespace comp_mgr {

namespace {

const char kSharedLibraryGroupPrefix[] = "CERR: ";
const char kSplitMarker[] = "SPLIT: ";

// The base name of a group: a "SPLIT: " group is named by its bracketed part,
// and a folder suffix from an earlier start is cut off so that it is rebuilt
// the same way.
std::string GroupBaseName(std::string group) {
    if (group.find(kSplitMarker) != std::string::npos) {
        std::size_t open = group.find('<');
        std::size_t close = group.find('>');
        std::size_t start = open == std::string::npos ? 0 : open + 1;
        group = close == std::string::npos || close < start ? std::string() : group.substr(start, close - start);
    }
    std::size_t bracket = group.find('<');
    if (bracket != std::string::npos) group.erase(bracket);
    return Trim(group);
}

// A group that really changed is told. At most starts the group is the one
// the last start gave: the list it would be split into is there already.
// The list read back from the file lacks the folder the group text carries,
// so a list that differs is a change only when that text changes too.
void ReplaceGroup(const std::string& name, CatalogEntry& entry, const std::string& group, Events& events) {
    const StringList& current = entry.PlugInLst_GrpName;
    const bool same = current.size() == 1 && current.front() == group && group.find(',') == std::string::npos;
    if (!same) {
        StringList replaced;
        SplitIntoList(group, replaced);
        if (replaced.items() != current.items() && !EqualsNoCase(entry.GroupDescription, group)) {
            Tell(events, event_kind::kRegrouped, name,
                 [&] { return "\"" + JoinCommaList(current) + "\" -> \"" + JoinCommaList(replaced) + "\""; });
        }
        entry.PlugInLst_GrpName = std::move(replaced);
    }
    if (!EqualsNoCase(entry.GroupDescription, group)) entry.GroupDescription = group;
}

// An installation's links while the drop takes many first occurrences out:
// a removal marks its place instead of closing the gap, and the list is
// written back once, in order, when the drop is done.
class PendingLinks {
public:
    explicit PendingLinks(const StringList& links) : items_(links.items()), live_(items_.size(), true) {
        for (std::size_t i = 0; i < items_.size(); ++i) places_[items_[i]].at.push_back(i);
    }
    bool contains(const std::string& name) const {
        auto found = places_.find(name);
        return found != places_.end() && found->second.next < found->second.at.size();
    }
    bool removeFirst(const std::string& name) {
        auto found = places_.find(name);
        if (found == places_.end() || found->second.next == found->second.at.size()) return false;
        live_[found->second.at[found->second.next++]] = false;
        return true;
    }
    void appendUnique(const std::string& name) {
        if (contains(name)) return;
        places_[name].at.push_back(items_.size());
        items_.push_back(name);
        live_.push_back(true);
    }
    StringList Take() {
        StringList links;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (live_[i]) links.push_back(items_[i]);
        }
        return links;
    }

private:
    struct Places {
        std::vector<std::size_t> at;  // ascending; those before `next` are removed
        std::size_t next = 0;
    };
    std::vector<std::string> items_;
    std::vector<bool> live_;
    std::unordered_map<std::string, Places> places_;
};

}  // namespace

int StartupRepairs::DropMissingFiles() {
    if (!(db_.flags() & (kFlagLoaded | kFlagScanned))) return 0;
    const HeldEvents held(platform_.events);  // only the catalog in memory changes
    // Every file is asked about first, in the catalog's order, and the
    // missing ones are then dropped in that order: dropping changes no file,
    // so the answers are the ones a walk that drops as it goes would get.
    std::vector<const std::string*> files;
    files.reserve(db_.entries().size());
    for (const auto& item : db_.entries())
        if (!item.value().ProgLocation.empty()) files.push_back(&item.value().ProgLocation);
    const std::vector<bool> opens = platform_.files.CanOpenEach(files);
    std::vector<std::string> missing;
    std::size_t asked = 0;
    for (const auto& item : db_.entries()) {
        if (item.value().ProgLocation.empty() || !opens[asked++]) missing.push_back(item.key());
    }
    // Dropping visits each installation that links a vanished plug-in, found
    // through the links themselves rather than by asking every installation,
    // and the substitute through an index instead of a walk over every
    // plug-in. The effects and their order are those of UnlinkAndSubstitute
    // called for each linking installation in installationNames order.
    std::unique_ptr<SubstituteIndex> substitutes;  // built when first needed
    bool linksIndexed = false;
    const std::vector<std::string> installations = db_.installationNames().items();
    std::unordered_map<std::string, std::vector<std::size_t>> linkedBy;  // places in `installations`, ascending
    std::unordered_map<std::size_t, PendingLinks> pending;
    for (const std::string& name : missing) {
        if (ComponentDatabase::SectionKind(name) == kKindPlugIn) {
            if (!linksIndexed) {
                linksIndexed = true;
                for (std::size_t k = 0; k < installations.size(); ++k) {
                    const CatalogEntry* linker = db_.Entry(installations[k]);
                    if (!linker) continue;
                    for (const std::string& link : linker->PlugInLst_GrpName) {
                        std::vector<std::size_t>& places = linkedBy[link];
                        if (places.empty() || places.back() != k) places.push_back(k);
                    }
                }
            }
            const CatalogEntry* plugIn = db_.Entry(name);
            auto linkers = linkedBy.find(name);
            if (plugIn && linkers != linkedBy.end()) {
                const std::vector<std::size_t> places = std::move(linkers->second);
                linkedBy.erase(linkers);
                for (std::size_t k : places) {
                    const CatalogEntry* linker = db_.Entry(installations[k]);
                    if (!linker) continue;
                    PendingLinks& links = pending.try_emplace(k, linker->PlugInLst_GrpName).first->second;
                    if (!links.removeFirst(name)) continue;
                    if (!substitutes) substitutes = std::make_unique<SubstituteIndex>(db_);
                    const std::string* substitute = substitutes->Find(name, plugIn->DisplayName, linker->SdkVersion);
                    if (!substitute) {
                        Tell(platform_.events, event_kind::kUnlinked, installations[k],
                             [&] { return name + " (its file is gone; no plug-in of its name to stand in)"; });
                        continue;
                    }
                    Tell(platform_.events, event_kind::kSubstituted, installations[k],
                         [&] { return name + " -> " + *substitute + " (\"" + plugIn->DisplayName + "\")"; });
                    links.appendUnique(*substitute);
                    if (record_) record_->substitutes.push_back({installations[k], name, *substitute});
                    std::vector<std::size_t>& linking = linkedBy[*substitute];
                    auto at = std::lower_bound(linking.begin(), linking.end(), k);
                    if (at == linking.end() || *at != k) linking.insert(at, k);
                }
            }
            if (substitutes) substitutes->Remove(name);
        }
        Tell(platform_.events, event_kind::kDropped, name, [&] {
            const CatalogEntry* entry = db_.Entry(name);
            if (!entry || entry->ProgLocation.empty()) return std::string("no file is recorded for it");
            return entry->ProgLocation + ": the file is gone";
        });
        if (record_) {
            const CatalogEntry* gone = db_.Entry(name);
            record_->dropped.push_back({name, gone ? gone->DisplayName : "", gone ? gone->ProgLocation : ""});
        }
        // The entry goes now (the substitute index skips names without one);
        // the names lists lose all the dropped ones in one pass below.
        db_.RemoveSectionEntry(name);
        db_.MarkModified(kFlagEntriesRemoved);
    }
    db_.EndRemovingSections();
    for (auto& edited : pending) {
        if (CatalogEntry* linker = db_.Entry(installations[edited.first]))
            linker->PlugInLst_GrpName = edited.second.Take();
    }
    return missing.empty() ? 0 : 1;
}

void StartupRepairs::UnlinkAndSubstitute(const std::string& installationName, const std::string& plugInName) {
    CatalogEntry* installation = db_.Entry(installationName);
    const CatalogEntry* plugIn = db_.Entry(plugInName);
    if (!installation || !plugIn) return;
    if (!installation->PlugInLst_GrpName.removeFirst(plugInName)) return;

    for (const std::string& candidate : db_.plugInNames()) {
        if (candidate == plugInName) continue;
        const CatalogEntry* substitute = db_.Entry(candidate);
        if (!substitute || substitute->SdkVersion > installation->SdkVersion) continue;
        if (substitute->DisplayName != plugIn->DisplayName) continue;
        // A substitute the installation already links is not linked twice.
        installation->PlugInLst_GrpName.appendUnique(candidate);
        Tell(platform_.events, event_kind::kSubstituted, installationName,
             [&] { return plugInName + " -> " + candidate + " (\"" + plugIn->DisplayName + "\")"; });
        return;
    }
}

int StartupRepairs::ReconcileGroups() {
    if (!(db_.flags() & (kFlagLoaded | kFlagScanned))) return 0;
    const HeldEvents held(platform_.events);  // only the catalog in memory changes

    // Both maps iterate in the catalog's hash order, which decides the order
    // in which groups are formed.
    // Only a library that two plug-ins without a group share forms a group,
    // so such plug-ins are counted by library first and only the shared
    // libraries enter the map (a subset keeps its order in a BucketMap).
    // Each plug-in's entry is looked up once: regrouping changes entries,
    // never which ones there are, so the pointers stay good.
    const StringList& plugIns = db_.plugInNames();
    std::vector<CatalogEntry*> entries(plugIns.size());
    std::unordered_map<std::string_view, std::uint32_t> sharing;
    for (std::uint32_t position = 0; position < plugIns.size(); ++position) {
        CatalogEntry* entry = entries[position] = db_.Entry(plugIns[position]);
        if (entry && entry->PlugInLst_GrpName.empty()) ++sharing[entry->ProgLocation];
    }
    BucketMap<StringList> byLocation;
    // The grouped plug-ins in the order a BucketMap of them by display name
    // would walk (its bucket, the name met last first, then plug-in order),
    // without a copy of each name.
    struct Grouped {
        std::uint32_t bucket;
        std::uint32_t firstMet;  // where its display name was first met
        std::uint32_t position;  // in plugInNames
    };
    std::vector<Grouped> byName;
    std::unordered_map<std::string_view, std::uint32_t> firstMet;
    for (std::uint32_t position = 0; position < plugIns.size(); ++position) {
        const std::string& name = plugIns[position];
        const CatalogEntry* entry = entries[position];
        if (!entry) continue;
        if (!entry->PlugInLst_GrpName.empty()) {
            const std::uint32_t met = firstMet.try_emplace(entry->DisplayName, position).first->second;
            byName.push_back(
                {static_cast<std::uint32_t>(BucketMap<StringList>::BucketOf(entry->DisplayName)), met, position});
        } else if (sharing[entry->ProgLocation] >= 2) {
            byLocation[entry->ProgLocation].push_back(name);
        }
    }
    std::unordered_map<std::string_view, std::uint32_t>().swap(sharing);
    std::unordered_map<std::string_view, std::uint32_t>().swap(firstMet);
    std::sort(byName.begin(), byName.end(), [](const Grouped& a, const Grouped& b) {
        if (a.bucket != b.bucket) return a.bucket < b.bucket;
        if (a.firstMet != b.firstMet) return a.firstMet > b.firstMet;
        return a.position < b.position;
    });

    // Plug-ins without a group that share one library form a group named
    // after all of them.
    bool formed = false;
    for (const auto& shared : byLocation) {
        const StringList& names = shared.value();
        if (names.size() < 2) continue;
        std::string members;
        for (const std::string& name : names) {
            if (const CatalogEntry* entry = db_.Entry(name)) members += "<" + entry->DisplayName + ">";
        }
        const std::string group = kSharedLibraryGroupPrefix + members;
        for (const std::string& name : names) {
            if (CatalogEntry* entry = db_.Entry(name)) ReplaceGroup(name, *entry, group, platform_.events);
        }
        formed = true;
    }

    // A grouped plug-in's group is tied to the folder of its library, so that
    // copies of one group installed in different folders stay apart.
    for (const Grouped& grouped : byName) {
        const std::string& name = plugIns[grouped.position];
        CatalogEntry* entry = entries[grouped.position];
        if (entry->PlugInLst_GrpName.empty()) continue;
        const std::string base = GroupBaseName(entry->PlugInLst_GrpName.front());
        const std::string folder = ToLower(db_.DisplayFolder(*entry));
        ReplaceGroup(name, *entry, base + " <" + folder + ">", platform_.events);
    }

    if (!formed) return 0;
    db_.MarkModified(kFlagGroupsReconciled);
    return 1;
}

}  // namespace comp_mgr

// Linking plug-ins to installations: the version, processor, group and
// display-name rules, and linking everything to the current installation.
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "catalog/comma_list.h"
#include "platform/events.h"
#include "support/event_line.h"

#include "services/linking/link_scope.h"
#include "services/linking/linker.h"
#include "support/text.h"

namespace comp_mgr {

namespace {
bool AnyItemHasStar(const StringList& items) {
    for (const std::string& item : items)
        if (item.find('*') != std::string::npos) return true;
    return false;
}

// An installation taking every processor, a plug-in taking every one, or a
// plug-in item that contains an installation item.
bool ProcessorsFit(const CatalogEntry& installation, const CatalogEntry& plugIn) {
    if (AnyItemHasStar(installation.CpuSupport)) return true;
    for (const std::string& item : plugIn.CpuSupport) {
        if (item.find('*') != std::string::npos) return true;
        for (const std::string& wanted : installation.CpuSupport)
            if (item.find(wanted) != std::string::npos) return true;
    }
    return false;
}

// How many of `items` occur inside some item of `within`.
int CountContained(const StringList& items, const StringList& within) {
    int count = 0;
    for (const std::string& item : items) {
        for (const std::string& other : within) {
            if (other.find(item) != std::string::npos) {
                ++count;
                break;
            }
        }
    }
    return count;
}

// The text between the first and the second backslash; false without two.
bool FirstFolder(const std::string& path, std::string* folder) {
    std::size_t first = path.find('\\');
    if (first == std::string::npos) return false;
    std::size_t second = path.find('\\', first + 1);
    if (second == std::string::npos) return false;
    *folder = path.substr(first + 1, second - first - 1);
    return true;
}

std::string VersionText(double version) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", version);
    return text;
}

void NoteLinksChanged(CatalogEntry& installation) {
    if (installation.Status & kStatusFoundOrCurrent) installation.Status |= kStatusCreatedOrRelinked;
}
}  // namespace

template <class Work>
auto Linker::InOperation(Work&& work) {
    Scope scope(*this);
    if constexpr (std::is_void_v<decltype(work(scope))>) {
        work(scope);
        scope.Commit();
    } else {
        auto result = work(scope);
        scope.Commit();
        return result;
    }
}

int Linker::IsLinked(const std::string& installationName, const std::string& plugInName) const {
    const CatalogEntry* installation = db_.Entry(installationName);
    if (!installation) return 0;
    // Inside a linking operation the list is held in its working copy.
    if (const LinkIndex::Links* working = Scope::Working(*this, installationName)) {
        return working->byName.HasLive(plugInName) ? 1 : 0;
    }
    return installation->PlugInLst_GrpName.contains(plugInName) ? 1 : 0;
}

int Linker::LinkPlugIn(const std::string& installationName, const std::string& plugInName, LinkMode mode,
                       SameName sameName) {
    // Only a request of its own is told: the many a bulk linking makes inside
    // its operation are told by that operation.
    Events& events = db_.platform().events;
    const bool told = active_ == nullptr && events.enabled();
    auto refuse = [&](auto&& why) {
        if (told) {
            Tell(events, event_kind::kLinkRefused, installationName, [&] {
                const char* asked = mode == LinkMode::kUnlink ? "unlink "
                                    : mode == LinkMode::kLink ? "link "
                                                              : "check ";
                return asked + plugInName + ": " + why();
            });
        }
        return 0;
    };
    if (mode < LinkMode::kCheckOnly || mode > LinkMode::kCheck)
        return refuse([&] { return "mode " + std::to_string(static_cast<int>(mode)) + " is none of -1, 0, 1, 2"; });
    CatalogEntry* installation = db_.Entry(installationName);
    CatalogEntry* plugIn = db_.Entry(plugInName);
    if (!installation) return refuse([] { return std::string("there is no such installation"); });
    if (!plugIn) return refuse([] { return std::string("there is no such plug-in"); });
    if (!(installation->Status & kStatusRecordWriter))
        return refuse([] { return std::string("the installation's record lacks the record bit (Status 0x10)"); });
    if (!(plugIn->Status & kStatusRecordWriter))
        return refuse([] { return std::string("the plug-in's record lacks the record bit (Status 0x10)"); });
    return InOperation([&](Scope& scope) {
        const bool linked = scope.Contains(installationName, *installation, plugInName);
        if (mode == LinkMode::kUnlink) {
            if (!linked) UnlinkSameName(installationName, plugInName);
            if (plugIn->Status & kStatusNeverUnlink)
                return refuse([] { return std::string("the plug-in is protected (Status 0x08: never unlinked)"); });
        } else if (mode == LinkMode::kLink) {
            if (linked) return refuse([] { return std::string("it is linked already"); });
            if (installation->SdkVersion < plugIn->SdkVersion) {
                return refuse([&] {
                    return "the plug-in needs version " + VersionText(plugIn->SdkVersion) + ", the installation is " +
                           VersionText(installation->SdkVersion);
                });
            }
        }

        if (plugIn->CpuSupport.empty() || installation->CpuSupport.empty()) {
            return refuse([&] {
                return std::string(plugIn->CpuSupport.empty() ? "the plug-in" : "the installation") +
                       " names no processor";
            });
        }
        if (!ProcessorsFit(*installation, *plugIn)) {
            return refuse([&] {
                return "no processor fits: the plug-in takes " + JoinCommaList(plugIn->CpuSupport) +
                       ", the installation " + JoinCommaList(installation->CpuSupport);
            });
        }

        // One linked plug-in per display name: make room only when forced.
        std::string linkedSameName;
        if (mode == LinkMode::kLink &&
            scope.FirstLinkedWithName(installationName, *installation, plugIn->DisplayName, &linkedSameName)) {
            if (sameName == SameName::kRefuse) {
                return refuse([&] {
                    return linkedSameName + " of the same display name \"" + plugIn->DisplayName + "\" is linked";
                });
            }
            if (!UnlinkSameName(installationName, plugInName)) {
                return refuse([&] {
                    return linkedSameName + " of the same display name \"" + plugIn->DisplayName +
                           "\" cannot be unlinked (it or its group is protected)";
                });
            }
        }

        // Plug-ins sharing the first group item are linked and unlinked together.
        const bool grouped = !plugIn->PlugInLst_GrpName.empty();
        std::vector<const LinkIndex::Member*> members;
        if (grouped && (mode == LinkMode::kUnlink || mode == LinkMode::kLink)) {
            for (const LinkIndex::Member& member : scope.GroupMembers(plugIn->PlugInLst_GrpName.front())) {
                if (mode == LinkMode::kUnlink && (member.entry->Status & kStatusNeverUnlink)) {
                    return refuse([&] {
                        return member.name + " of its group \"" + plugIn->PlugInLst_GrpName.front() +
                               "\" is protected (Status 0x08: never unlinked)";
                    });
                }
                if (installation->SdkVersion >= member.entry->SdkVersion) members.push_back(&member);
            }
        }

        if (mode == LinkMode::kLink) {
            NoteLinksChanged(*installation);
            if (!grouped) {
                scope.AppendLink(installationName, *installation, plugInName);
            } else {
                // Each member takes the place of a linked plug-in of its own
                // display name, so that no name ends up linked twice.
                for (const LinkIndex::Member* member : members) {
                    if (scope.FirstLinkedWithName(installationName, *installation, member->entry->DisplayName,
                                                  &linkedSameName))
                        UnlinkSameName(installationName, member->name);
                }
                // Members that stayed linked (protected ones) are not added again:
                // a second copy would survive a later unlink.
                for (const LinkIndex::Member* member : members)
                    if (!scope.Contains(installationName, *installation, member->name))
                        scope.AppendLink(installationName, *installation, member->name);
            }
        } else if (mode == LinkMode::kUnlink) {
            NoteLinksChanged(*installation);
            if (!grouped) {
                scope.RemoveLink(installationName, *installation, plugInName);
            } else {
                for (const LinkIndex::Member* member : members)
                    scope.RemoveLink(installationName, *installation, member->name);
            }
        }

        db_.MarkModified(kFlagLinksChanged);
        if (told && mode != LinkMode::kCheck && mode != LinkMode::kCheckOnly) {
            Tell(events, mode == LinkMode::kLink ? event_kind::kLinked : event_kind::kUnlinked, installationName, [&] {
                std::string text = plugInName;
                if (grouped) {
                    text += " with its group \"" + plugIn->PlugInLst_GrpName.front() + "\" (" +
                            std::to_string(members.size()) + " plug-ins)";
                }
                return text;
            });
        }
        return 1;
    });
}

bool Linker::UnlinkSameName(const std::string& installationName, const std::string& plugInName) {
    CatalogEntry* installation = db_.Entry(installationName);
    const CatalogEntry* plugIn = db_.Entry(plugInName);
    if (!installation || !plugIn) return false;
    return InOperation([&](Scope& scope) {
        if (scope.Count(installationName, *installation) == 0) return false;
        const std::string displayName = plugIn->DisplayName;
        std::string linked;
        while (scope.FirstLinkedWithName(installationName, *installation, displayName, &linked)) {
            const std::size_t before = scope.Count(installationName, *installation);
            if (!UnlinkGroup(installationName, *db_.Entry(linked))) return false;
            // A linked plug-in outside its own group's members (not a catalog
            // plug-in) cannot be removed this way; looking again would never end.
            if (scope.Count(installationName, *installation) == before) return false;
            NoteLinksChanged(*installation);
            if (scope.Count(installationName, *installation) == 0) break;
        }
        return true;
    });
}

bool Linker::UnlinkGroup(const std::string& installationName, const CatalogEntry& linked) {
    CatalogEntry* installation = db_.Entry(installationName);
    if (!installation || linked.PlugInLst_GrpName.empty()) return false;
    return InOperation([&](Scope& scope) {
        const LinkIndex::Members& members = scope.GroupMembers(linked.PlugInLst_GrpName.front());
        for (const LinkIndex::Member& member : members)
            if (member.entry->Status & kStatusNeverUnlink) return false;
        bool removed = false;
        for (const LinkIndex::Member& member : members)
            removed = scope.RemoveLink(installationName, *installation, member.name) || removed;
        // Links removed here must reach the file even when the caller then
        // refuses its own request.
        if (removed) db_.MarkModified(kFlagLinksChanged);
        return true;
    });
}

int Linker::ReplaceByCpuFit(const std::string& installationName, const std::string& plugInName) {
    CatalogEntry* installation = db_.Entry(installationName);
    const CatalogEntry* plugIn = db_.Entry(plugInName);
    if (!installation || !plugIn) return 0;
    std::string plugInFolder, installationFolder;
    if (!FirstFolder(plugIn->ProgLocation, &plugInFolder) ||
        !FirstFolder(installation->ProgLocation, &installationFolder) ||
        !EqualsNoCase(plugInFolder, installationFolder))
        return 0;
    if (AnyItemHasStar(installation->CpuSupport)) return 0;
    // Every linked plug-in would be passed over for a version too new.
    if (installation->SdkVersion < plugIn->SdkVersion) return 0;

    return InOperation([&](Scope& scope) {
        const bool plugInTakesAll = AnyItemHasStar(plugIn->CpuSupport);
        const int plugInFit = CountContained(plugIn->CpuSupport, installation->CpuSupport);
        for (const std::string& name : scope.LinkedWithName(installationName, *installation, plugIn->DisplayName)) {
            const CatalogEntry* old = db_.Entry(name);
            if (AnyItemHasStar(old->CpuSupport)) continue;
            // A plug-in marked never to be unlinked keeps its place.
            if (old->Status & kStatusNeverUnlink) continue;
            if (!plugInTakesAll && CountContained(old->CpuSupport, installation->CpuSupport) >= plugInFit) continue;
            scope.RemoveLink(installationName, *installation, name);
            scope.AppendLink(installationName, *installation, plugInName);
            NoteLinksChanged(*installation);
            db_.MarkModified(kFlagLinksChanged);
            Tell(db_.platform().events, event_kind::kLinked, installationName,
                 [&] { return plugInName + " in place of " + name + " (it fits more of the processors)"; });
            return 1;
        }
        return 0;
    });
}

void Linker::LinkAllPlugIns(const std::string& installationName) {
    CatalogEntry* installation = db_.Entry(installationName);
    if (db_.plugInNames().empty() || !installation) return;
    return InOperation([&](Scope& scope) {
        int added = 0;
        for (std::size_t i = 0; i < db_.plugInNames().size(); ++i) {
            const std::string name = db_.plugInNames()[i];
            // As IsLinked, asking the working copy this scope holds.
            if (db_.Entry(name) && !scope.Contains(installationName, *installation, name))
                added += LinkPlugIn(installationName, name, LinkMode::kLink, SameName::kMakeRoom);
        }
        if (added > 0) {
            Tell(db_.platform().events, event_kind::kLinked, installationName,
                 [&] { return "every plug-in that fits (" + std::to_string(added) + " linked)"; });
        }
    });
}

int Linker::MakeCurrentInstallation(CatalogEntry* entry) {
    if (!(db_.flags() & (kFlagLoaded | kFlagScanned)) || !entry) return 0;
    // One operation around every installation's linking.
    return InOperation([&](Scope&) {
        for (std::size_t i = 0; i < db_.installationNames().size(); ++i) {
            const std::string name = db_.installationNames()[i];
            CatalogEntry* installation = db_.Entry(name);
            if (!installation) continue;
            const std::int32_t before = installation->Status;
            if (installation == entry) {
                LinkAllPlugIns(name);
                installation->Status |= kStatusFoundOrCurrent;
            } else {
                installation->Status &= ~kStatusFoundOrCurrent;
            }
            // A change of the current installation is a change of the catalog.
            if ((before ^ installation->Status) & kStatusFoundOrCurrent) db_.MarkModified(kFlagLinksChanged);
        }
        return 1;
    });
}

}  // namespace comp_mgr

// Linking plug-ins to installations: the version, processor, group and
// display-name rules, and linking everything to the current installation.
#include <string>
#include <type_traits>
#include <vector>

#include "platform/events.h"
#include "services/linking/link_scope.h"
#include "services/linking/linker.h"
#include "support/event_line.h"
#include "support/text.h"

namespace comp_mgr {

namespace {
bool AnyItemHasStar(const StringList& items) {
    for (const std::string& item : items)
        if (item.find('*') != std::string::npos) return true;
    return false;
}

std::string Joined(const StringList& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

// An installation taking every processor, a plug-in taking every one, or a
// plug-in item that contains an installation item. `why`, when given, says
// which.
bool ProcessorsFit(const CatalogEntry& installation, const CatalogEntry& plugIn, std::string* why) {
    if (AnyItemHasStar(installation.CpuSupport)) {
        if (why) *why = "the installation takes every processor (" + Joined(installation.CpuSupport) + ")";
        return true;
    }
    for (const std::string& item : plugIn.CpuSupport) {
        if (item.find('*') != std::string::npos) {
            if (why) *why = "the plug-in takes every processor (" + item + ")";
            return true;
        }
        for (const std::string& wanted : installation.CpuSupport) {
            if (item.find(wanted) != std::string::npos) {
                if (why) *why = "plug-in processor " + item + " contains installation processor " + wanted;
                return true;
            }
        }
    }
    if (why)
        *why = "no plug-in processor (" + Joined(plugIn.CpuSupport) + ") contains an installation processor (" +
               Joined(installation.CpuSupport) + ")";
    return false;
}

std::string VersionText(double value) {
    std::string text = FormatFixed6(value);
    while (text.size() > 2 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
    return text;
}

std::string Missing(const std::string& name, const CatalogEntry* entry) {
    return entry ? std::string() : (name.empty() ? std::string("(no name)") : name);
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

void NoteLinksChanged(CatalogEntry& installation) {
    if (installation.Status & kStatusFoundOrCurrent) installation.Status |= kStatusCreatedOrRelinked;
}
}  // namespace

template <class Reason>
bool Linker::Rule(const char* rule, bool ok, Reason&& reason) {
    if (explaining_) {
        explaining_->push_back({rule, ok, reason()});
    } else if (!ok && refusal_ && refusal_->empty()) {
        try {
            *refusal_ = std::string(rule) + ": " + reason();
        } catch (...) {  // the log goes without; the answer stands
        }
    }
    return ok;
}

template <class Work>
void Linker::Unexplained(Work&& work) {
    LinkRules* explaining = explaining_;
    std::string* refusal = refusal_;
    explaining_ = nullptr;
    refusal_ = nullptr;
    try {
        work();
    } catch (...) {
        explaining_ = explaining;
        refusal_ = refusal;
        throw;
    }
    explaining_ = explaining;
    refusal_ = refusal;
}

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
    // its operation are told by that operation, and an explanation is no request.
    Events& events = db_.platform().events;
    if (active_ != nullptr || explaining_ != nullptr || !events.enabled())
        return Decide(installationName, plugInName, mode, sameName);
    const char* asked = mode == LinkMode::kUnlink ? "unlink " : mode == LinkMode::kLink ? "link " : "check ";
    std::string refusal;
    refusal_ = &refusal;
    int answer = 0;
    try {
        answer = Decide(installationName, plugInName, mode, sameName);
    } catch (...) {
        refusal_ = nullptr;
        throw;
    }
    refusal_ = nullptr;
    if (answer == 0) {
        Tell(events, event_kind::kLinkRefused, installationName, [&] {
            if (mode < LinkMode::kCheckOnly || mode > LinkMode::kCheck)
                return "mode " + std::to_string(static_cast<int>(mode)) + " is none of -1, 0, 1, 2";
            return asked + plugInName + ": " + refusal;
        });
    } else if (mode == LinkMode::kLink || mode == LinkMode::kUnlink) {
        Tell(events, mode == LinkMode::kLink ? event_kind::kLinked : event_kind::kUnlinked, installationName, [&] {
            const CatalogEntry* plugIn = db_.Entry(plugInName);
            if (!plugIn || plugIn->PlugInLst_GrpName.empty()) return plugInName;
            return plugInName + " with its group \"" + plugIn->PlugInLst_GrpName.front() + "\"";
        });
    }
    return answer;
}

int Linker::Decide(const std::string& installationName, const std::string& plugInName, LinkMode mode,
                   SameName sameName) {
    if (mode < LinkMode::kCheckOnly || mode > LinkMode::kCheck) return 0;
    CatalogEntry* installation = db_.Entry(installationName);
    CatalogEntry* plugIn = db_.Entry(plugInName);
    if (!Rule("sections", installation && plugIn, [&] {
            if (installation && plugIn) return installationName + " and " + plugInName + " are in the catalog";
            const std::string i = Missing(installationName, installation), p = Missing(plugInName, plugIn);
            return "no section " + i + (i.empty() || p.empty() ? "" : " and no section ") + p;
        }))
        return 0;
    const bool recorded = (installation->Status & kStatusRecordWriter) && (plugIn->Status & kStatusRecordWriter);
    if (!Rule("record", recorded, [&] {
            if (recorded) return std::string("both carry status bit 0x10 (records made by the record writers)");
            const bool i = installation->Status & kStatusRecordWriter;
            return (i ? plugInName : installationName) +
                   " lacks status bit 0x10 (Status=" + std::to_string((i ? plugIn : installation)->Status) +
                   "): only records made by the record writers are linked";
        }))
        return 0;
    return InOperation([&](Scope& scope) {
        const bool linked = scope.Contains(installationName, *installation, plugInName);
        if (mode == LinkMode::kUnlink) {
            if (!linked) Unexplained([&] { UnlinkSameName(installationName, plugInName); });
            if (!Rule("protection", !(plugIn->Status & kStatusNeverUnlink), [&] {
                    return plugInName + (plugIn->Status & kStatusNeverUnlink
                                             ? " has status bit 0x08: it must not be unlinked"
                                             : " is not marked never to be unlinked (status bit 0x08)");
                }))
                return 0;
        } else if (mode == LinkMode::kLink) {
            if (!Rule("linked", !linked, [&] {
                    return plugInName + (linked ? " is linked to " : " is not linked to ") + installationName +
                           (linked ? " already" : " yet");
                }))
                return 0;
            const bool versionFits = !(installation->SdkVersion < plugIn->SdkVersion);
            if (!Rule("version", versionFits, [&] {
                    return "the plug-in's SdkVersion " + VersionText(plugIn->SdkVersion) +
                           (versionFits ? " is not above the installation's " : " is above the installation's ") +
                           VersionText(installation->SdkVersion);
                }))
                return 0;
        }

        const bool listed = !plugIn->CpuSupport.empty() && !installation->CpuSupport.empty();
        if (!Rule("processors", listed, [&] {
                if (listed) return std::string("both list processors (CpuSupport)");
                return (plugIn->CpuSupport.empty() ? plugInName : installationName) +
                       " lists no processor (CpuSupport is empty)";
            }))
            return 0;
        std::string fit;
        if (!Rule("processor fit", ProcessorsFit(*installation, *plugIn, explaining_ || refusal_ ? &fit : nullptr),
                  [&] { return fit; }))
            return 0;

        // One linked plug-in per display name: make room only when forced.
        std::string linkedSameName;
        if (mode == LinkMode::kLink) {
            const std::string quoted = "\"" + plugIn->DisplayName + "\"";
            if (scope.FirstLinkedWithName(installationName, *installation, plugIn->DisplayName, &linkedSameName)) {
                const std::string other = linkedSameName;
                if (sameName == SameName::kRefuse) {
                    Rule("display name", false,
                         [&] { return other + ", also named " + quoted + ", is linked and no room is made"; });
                    return 0;
                }
                const bool madeRoom = UnlinkSameName(installationName, plugInName);
                if (!Rule("display name", madeRoom, [&] {
                        return other + ", also named " + quoted +
                               (madeRoom ? ", is unlinked with its group to make room"
                                         : ", is linked and cannot be unlinked to make room");
                    }))
                    return 0;
            } else {
                Rule("display name", true,
                     [&] { return "no plug-in named " + quoted + " is linked to " + installationName; });
            }
        }

        // Plug-ins sharing the first group item are linked and unlinked together.
        const bool grouped = !plugIn->PlugInLst_GrpName.empty();
        std::vector<const LinkIndex::Member*> members;
        if (grouped && (mode == LinkMode::kUnlink || mode == LinkMode::kLink)) {
            const std::string& group = plugIn->PlugInLst_GrpName.front();
            std::string leftOut;
            for (const LinkIndex::Member& member : scope.GroupMembers(group)) {
                if (mode == LinkMode::kUnlink && (member.entry->Status & kStatusNeverUnlink)) {
                    Rule("protection", false, [&] {
                        return member.name + " of group \"" + group + "\" has status bit 0x08: the group stays linked";
                    });
                    return 0;
                }
                if (installation->SdkVersion >= member.entry->SdkVersion)
                    members.push_back(&member);
                else if (explaining_)
                    leftOut += (leftOut.empty() ? "" : ", ") + member.name;
            }
            if (mode == LinkMode::kUnlink)
                Rule("protection", true,
                     [&] { return "no plug-in of group \"" + group + "\" is marked never to be unlinked"; });
            Rule("group", true, [&] {
                std::string names;
                for (const LinkIndex::Member* member : members) names += (names.empty() ? "" : ", ") + member->name;
                return "group \"" + group + "\" " + (mode == LinkMode::kLink ? "links " : "unlinks ") +
                       (names.empty() ? std::string("none of its plug-ins") : names) +
                       (leftOut.empty() ? ""
                                        : "; left out, their SdkVersion being above the installation's: " + leftOut);
            });
        } else if (mode == LinkMode::kUnlink || mode == LinkMode::kLink) {
            Rule("group", true, [&] { return plugInName + " belongs to no group: it goes alone"; });
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
                        Unexplained([&] { UnlinkSameName(installationName, member->name); });
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
            const CatalogEntry& linkedEntry = *db_.Entry(linked);
            if (linkedEntry.PlugInLst_GrpName.empty()) {
                Rule("group", false, [&] { return linked + " belongs to no group, so it cannot be unlinked"; });
                return false;
            }
            if (!UnlinkGroup(installationName, linkedEntry)) return false;
            // A linked plug-in outside its own group's members (not a catalog
            // plug-in) cannot be removed this way; looking again would never end.
            if (scope.Count(installationName, *installation) == before) {
                Rule("group", false, [&] { return linked + " is not among the plug-ins of its own group"; });
                return false;
            }
            NoteLinksChanged(*installation);
            if (scope.Count(installationName, *installation) == 0) break;
        }
        return true;
    });
}

bool Linker::UnlinkGroup(const std::string& installationName, const CatalogEntry& linked) {
    CatalogEntry* installation = db_.Entry(installationName);
    if (!installation) return false;
    if (linked.PlugInLst_GrpName.empty()) return false;
    return InOperation([&](Scope& scope) {
        const LinkIndex::Members& members = scope.GroupMembers(linked.PlugInLst_GrpName.front());
        for (const LinkIndex::Member& member : members) {
            if (member.entry->Status & kStatusNeverUnlink) {
                Rule("protection", false, [&] {
                    return member.name + " of group \"" + linked.PlugInLst_GrpName.front() +
                           "\" has status bit 0x08: the group stays linked";
                });
                return false;
            }
        }
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

#include "services/detection/new_components_dialog.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "catalog/host_paths.h"
#include "platform/events.h"
#include "services/engine_bridge/com_error.h"
#include "support/event_line.h"
#include "support/text.h"

namespace comp_mgr {
namespace {
// The main executable's path is read into a buffer of this many characters.
const unsigned kHostPathCapacity = 512;
// The two VARIANT_BOOL answers that decide; any other answer keeps the candidate.
const std::int16_t kEngineTrue = -1;
const std::int16_t kEngineFalse = 0;
}  // namespace

NewComponentsDialog::NewComponentsDialog(const Platform& platform, CandidateEngineFactory engines)
    : platform_(platform), engines_(engines ? std::move(engines) : ComponentEngines(platform)) {}

std::size_t NewComponentsDialog::CopyList(const StringList& list, StringList& out) {
    out = list;
    return out.size();
}

bool NewComponentsDialog::KeepCandidate(const std::string& section, const std::string& hostPath) {
    CatalogEntry* entry = nullptr;
    if (!db_ || !db_->FindCatalogEntry(section.c_str(), &entry) || !entry) return true;
    if (hostPath.empty()) return true;
    // A failing engine method must not cost the user the question: the
    // candidate stays as if the engine had no objection, and nothing of the
    // catalog or of the new plug-ins has been changed by then.
    Events& events = platform_.events;
    try {
        std::unique_ptr<CandidateEngine> engine = engines_();
        if (!engine) return true;
        const std::int16_t settled = engine->IsPluginSettled(hostPath, entry->DisplayName);
        if (settled == kEngineTrue) {
            Tell(events, event_kind::kEngine, section, [] { return std::string("settled: not offered"); });
            return false;
        }
        if (settled != kEngineFalse) return true;
        if (engine->IsPluginRejected(hostPath, entry->DisplayName) != kEngineTrue) return true;
    } catch (const ComError& error) {
        Tell(events, event_kind::kEngine, section, [&] {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(error.result()));
            return std::string("the engine failed (") + code + (error.description().empty() ? "" : ": ") +
                   error.description() + "): offered as if it had no objection";
        });
        return true;
    }
    Tell(events, event_kind::kEngine, section, [] { return std::string("rejected: not offered"); });
    rejected_.push_back(section);
    return false;
}

bool NewComponentsDialog::SetPendingList(const StringList& names) {
    pending_ = names;
    const std::string hostPath = ToUpper(ModulePath(platform_, kHostPathCapacity));
    // Dropped candidates leave the list only after every one was examined.
    std::vector<bool> keep(pending_.size());
    bool dropped = false;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        keep[i] = KeepCandidate(pending_[i], hostPath);
        dropped = dropped || !keep[i];
    }
    if (dropped) {
        StringList kept;
        for (std::size_t i = 0; i < pending_.size(); ++i)
            if (keep[i]) kept.push_back(pending_[i]);
        pending_ = std::move(kept);
    }
    return !pending_.empty();
}

void NewComponentsDialog::FillTree() {
    if (filled_) return;
    filled_ = true;
    if (!db_ || pending_.empty()) return;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        CatalogEntry* entry = nullptr;
        if (!db_->FindCatalogEntry(pending_[i].c_str(), &entry) || !entry) continue;
        items_.push_back(Item{entry->DisplayName + " - " + db_->DisplayPath(*entry), i, kStateChecked});
        checked_.push_back(pending_[i]);
    }
    // Sorted by text without regard to case; equal texts keep the candidates'
    // order. The view shows the items in this order on every adapter.
    std::stable_sort(items_.begin(), items_.end(),
                     [](const Item& a, const Item& b) { return CompareNoCase(a.text, b.text) < 0; });
}

void NewComponentsDialog::DoModal() {
    FillTree();
    platform_.ui.ShowNewComponents(*this);
}

bool NewComponentsDialog::ClickCheckBox(std::size_t item) {
    Item& it = items_[item];
    const std::string& section = pending_[it.pendingIndex];
    if (it.state == kStateUnchecked) {
        checked_.appendUnique(section);
        unchecked_.removeFirst(section);
        it.state = kStateChecked;
    } else {
        checked_.removeFirst(section);
        unchecked_.appendUnique(section);
        it.state = kStateUnchecked;
    }
    return it.state == kStateChecked;
}

void NewComponentsDialog::SelectAll() {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!IsChecked(i)) ClickCheckBox(i);
}

void NewComponentsDialog::DeselectAll() {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (IsChecked(i)) ClickCheckBox(i);
}

}  // namespace comp_mgr

// Counts and look-ups the host and the library's own dialogs use to read the
// catalog. Callers receive copies; nothing here changes the catalog.
#include <cstdint>

#include "catalog/comma_list.h"
#include "catalog/component_database.h"
#include "support/win_path.h"

namespace comp_mgr {

int ComponentDatabase::CountByKind(int kind) const {
    if (kind == kKindInstallation) return static_cast<int>(installationNames_.size());
    if (kind == kKindPlugIn) return static_cast<int>(plugInNames_.size());
    return -1;
}

int ComponentDatabase::GetEntryByIndex(int kind, int index, std::string& name, CatalogEntry& entry) const {
    const int count = CountByKind(kind);
    // Compared as unsigned numbers: a negative index is never in range, and
    // for a bad kind (count -1) every index passes on to the name look-up.
    if (static_cast<std::uint32_t>(index) > static_cast<std::uint32_t>(count)) return 0;
    const StringList* names = kind == kKindInstallation ? &installationNames_
                              : kind == kKindPlugIn     ? &plugInNames_
                                                        : nullptr;
    if (names) {
        if (static_cast<std::size_t>(index) >= names->size()) return 0;
        name = (*names)[static_cast<std::size_t>(index)];
    }
    const CatalogEntry* stored = Entry(name);
    if (!stored) return 0;
    entry.Assign(*stored);
    return 1;
}

int ComponentDatabase::FindCatalogEntry(const char* name, CatalogEntry** found) const {
    if (!name) return 0;
    const std::string key(name);
    if (!plugInNames_.contains(key) && !installationNames_.contains(key)) return 0;
    CatalogEntry* stored = Entry(key);
    if (!stored) return 0;
    if (found) *found = stored;
    return 1;
}

int ComponentDatabase::GetEntryByKey(const char* name, CatalogEntry* entry) const {
    if (!name || !entry) return 0;
    CatalogEntry* found = nullptr;
    if (!FindCatalogEntry(name, &found)) return 0;
    entry->Assign(*found);
    return 1;
}

bool ComponentDatabase::FindInstallationsForSku(const std::string& sku, std::string& text) const {
    text.clear();
    if (sku.empty()) return false;
    for (const StringList* names : {&installationNames_, &plugInNames_}) {
        for (const auto& name : *names) {
            const CatalogEntry* entry = Entry(name);
            if (!entry) continue;
            std::vector<std::string> pieces;
            SplitList(entry->Sku, ',', pieces);
            for (const auto& piece : pieces) {
                if (piece != sku) continue;
                const SplitPathParts parts = SplitPath(entry->ProgLocation);
                if (!text.empty()) text += "|";
                text += parts.drive + parts.dir;
            }
        }
    }
    return !text.empty();
}

}  // namespace comp_mgr

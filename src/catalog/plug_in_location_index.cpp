#include "catalog/plug_in_location_index.h"

#include "catalog/component_database.h"
#include "support/text.h"

namespace comp_mgr {

void PlugInLocationIndex::Reset() {
    byLocation_.clear();
    withoutEntry_.clear();
    indexed_ = 0;
    lastIndexed_.clear();
}

void PlugInLocationIndex::Sync(const ComponentDatabase& db) {
    const StringList& names = db.plugInNames();
    // plugInNames only grows at its end; any other change (a removal, a
    // cleared catalog) shows as a different name at the last indexed place.
    bool stale = indexed_ > names.size() || (indexed_ > 0 && names[indexed_ - 1] != lastIndexed_);
    for (std::size_t i = 0; !stale && i < withoutEntry_.size(); ++i)
        if (db.Entry(withoutEntry_[i])) stale = true;
    if (stale) Reset();
    for (; indexed_ < names.size(); ++indexed_) {
        const std::string& name = names[indexed_];
        if (const CatalogEntry* entry = db.Entry(name)) {
            byLocation_[ToUpper(entry->ProgLocation)].push_back(name);
        } else {
            withoutEntry_.push_back(name);
        }
        lastIndexed_ = name;
    }
}

const std::vector<std::string>& PlugInLocationIndex::Candidates(const ComponentDatabase& db,
                                                                const std::string& location) {
    static const std::vector<std::string> kNone;
    Sync(db);
    auto it = byLocation_.find(ToUpper(location));
    return it == byLocation_.end() ? kNone : it->second;
}

}  // namespace comp_mgr

// Plug-in sections by upper-cased program location, so that finding the
// record of a plug-in does not walk every plug-in of the catalog: the
// registry scan asks once for each of thousands of plug-ins.
#ifndef COMP_MGR_CATALOG_PLUG_IN_LOCATION_INDEX_H
#define COMP_MGR_CATALOG_PLUG_IN_LOCATION_INDEX_H

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace comp_mgr {

class ComponentDatabase;

class PlugInLocationIndex {
public:
    // The names of plugInNames whose entry had this location (compared
    // without regard to case) when indexed, in list order. Callers check each
    // candidate against its entry.
    const std::vector<std::string>& Candidates(const ComponentDatabase& db, const std::string& location);

private:
    // Indexes names appended to plugInNames since the last call; starts over
    // when the list no longer begins with what was indexed.
    void Sync(const ComponentDatabase& db);
    void Reset();

    std::unordered_map<std::string, std::vector<std::string>> byLocation_;
    // Names that had no entry when indexed; one gaining an entry forces a rebuild.
    std::vector<std::string> withoutEntry_;
    std::size_t indexed_ = 0;
    std::string lastIndexed_;
};

}  // namespace comp_mgr

#endif

// The plug-ins that can stand in for a vanished one, by display name, so that
// finding "the first plug-in in plugInNames order with this display name and
// an SdkVersion not above the installation's" takes a logarithmic walk
// instead of a pass over every plug-in.
#ifndef COMP_MGR_SERVICES_REPAIRS_SUBSTITUTE_INDEX_H
#define COMP_MGR_SERVICES_REPAIRS_SUBSTITUTE_INDEX_H

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalog/component_database.h"

namespace comp_mgr {

class SubstituteIndex {
public:
    // Every plug-in of plugInNames that has an entry, in that order; their
    // display names and SDK versions must not change while the index is used.
    explicit SubstituteIndex(const ComponentDatabase& db);

    // The first indexed plug-in other than `plugIn` whose display name is
    // `displayName` (exactly) and whose SdkVersion does not exceed `sdk`, or
    // null.
    const std::string* Find(const std::string& plugIn, const std::string& displayName, double sdk) const;

    // The section is no longer a candidate.
    void Remove(const std::string& plugIn);

private:
    // The plug-ins of one display name in plugInNames order, over a tree of
    // the lowest live key of each range (a NaN node has nothing live).
    struct Bucket {
        std::vector<std::string> names;
        std::vector<double> lowest;
        std::size_t leaves = 1;
    };
    static std::size_t FirstFitting(const Bucket& bucket, std::size_t from, double limit);

    std::unordered_map<std::string, Bucket> byDisplayName_;
    std::unordered_map<std::string, std::pair<Bucket*, std::size_t>> slotOf_;
};

}  // namespace comp_mgr

#endif

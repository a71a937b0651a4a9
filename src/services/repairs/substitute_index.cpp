#include "services/repairs/substitute_index.h"

#include <cmath>
#include <limits>

namespace comp_mgr {

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// "Does not exceed" is !(version > limit): a NaN on either side fits. As
// keys, a NaN version fits every limit and a NaN limit admits every key.
double KeyOf(double version) {
    return std::isnan(version) ? -std::numeric_limits<double>::infinity() : version;
}
double LimitOf(double sdk) {
    return std::isnan(sdk) ? std::numeric_limits<double>::infinity() : sdk;
}

double Lower(double a, double b) {
    if (std::isnan(a)) return b;
    if (std::isnan(b)) return a;
    return a < b ? a : b;
}

bool Fits(double lowest, double limit) {
    return !std::isnan(lowest) && lowest <= limit;
}

}  // namespace

SubstituteIndex::SubstituteIndex(const ComponentDatabase& db) {
    std::unordered_map<std::string, std::vector<double>> keys;
    for (const std::string& name : db.plugInNames()) {
        const CatalogEntry* entry = db.Entry(name);
        if (!entry) continue;
        byDisplayName_[entry->DisplayName].names.push_back(name);
        keys[entry->DisplayName].push_back(KeyOf(entry->SdkVersion));
    }
    for (auto& item : byDisplayName_) {
        Bucket& bucket = item.second;
        const std::vector<double>& bucketKeys = keys[item.first];
        while (bucket.leaves < bucket.names.size()) bucket.leaves *= 2;
        bucket.lowest.assign(2 * bucket.leaves, kNone);
        for (std::size_t i = 0; i < bucket.names.size(); ++i) {
            bucket.lowest[bucket.leaves + i] = bucketKeys[i];
            slotOf_[bucket.names[i]] = {&bucket, i};
        }
        for (std::size_t node = bucket.leaves; node-- > 1;) {
            bucket.lowest[node] = Lower(bucket.lowest[2 * node], bucket.lowest[2 * node + 1]);
        }
    }
}

std::size_t SubstituteIndex::FirstFitting(const Bucket& bucket, std::size_t from, double limit) {
    if (from >= bucket.leaves) return kNotFound;
    // Up from the leaf at `from`, taking each right neighbour range; the first
    // range that holds a fit is then walked down to its leftmost fit.
    std::size_t node = bucket.leaves + from;
    if (!Fits(bucket.lowest[node], limit)) {
        for (;;) {
            while (node & 1) {  // a right child: its parent's right part is done
                node >>= 1;
                if (node == 0) return kNotFound;
            }
            ++node;  // the right sibling, the next range to the right
            if (Fits(bucket.lowest[node], limit)) break;
        }
        while (node < bucket.leaves) {
            node = Fits(bucket.lowest[2 * node], limit) ? 2 * node : 2 * node + 1;
        }
    }
    return node - bucket.leaves;
}

const std::string* SubstituteIndex::Find(const std::string& plugIn, const std::string& displayName, double sdk) const {
    auto found = byDisplayName_.find(displayName);
    if (found == byDisplayName_.end()) return nullptr;
    const Bucket& bucket = found->second;
    const double limit = LimitOf(sdk);
    std::size_t at = FirstFitting(bucket, 0, limit);
    if (at != kNotFound && bucket.names[at] == plugIn) at = FirstFitting(bucket, at + 1, limit);
    return at == kNotFound ? nullptr : &bucket.names[at];
}

void SubstituteIndex::Remove(const std::string& plugIn) {
    auto found = slotOf_.find(plugIn);
    if (found == slotOf_.end()) return;
    Bucket& bucket = *found->second.first;
    std::size_t node = bucket.leaves + found->second.second;
    slotOf_.erase(found);
    bucket.lowest[node] = kNone;
    for (node >>= 1; node >= 1; node >>= 1) {
        bucket.lowest[node] = Lower(bucket.lowest[2 * node], bucket.lowest[2 * node + 1]);
    }
}

}  // namespace comp_mgr

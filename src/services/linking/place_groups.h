// The places of a growing list grouped by a text of theirs (the linked name,
// or the display name of the linked plug-in), each group in place order.
//
// Places are only ever added at the end and die in place, so every group is
// a chain through one array of "next" places, found through one flat table of
// (hash, head, tail) slots: nothing is allocated per place or per text, and a
// look-up touches one slot line. Dead places are dropped from a chain when a
// walk meets them.
#ifndef COMP_MGR_SERVICES_LINKING_PLACE_GROUPS_H
#define COMP_MGR_SERVICES_LINKING_PLACE_GROUPS_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace comp_mgr {

class PlaceGroups {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // `alive` tells which places still count; it is the caller's and may
    // grow and change between calls.
    explicit PlaceGroups(const std::vector<bool>& alive) : alive_(alive) {}
    PlaceGroups(const PlaceGroups&) = delete;
    PlaceGroups& operator=(const PlaceGroups&) = delete;

    // Puts `place` (after every place added before) in the group of `text`,
    // which must stay valid and unchanged while the groups live.
    void Add(std::size_t place, const std::string* text);

    // The first live place of the group, or npos.
    std::size_t First(const std::string& text);
    // Whether the group has a live place; does not tidy the chain.
    bool HasLive(const std::string& text) const;

    // Calls f(place) for every live place of the group, in order.
    template <class F>
    void ForEachLive(const std::string& text, F f) {
        Slot* slot = Find(text);
        if (!slot) return;
        Prune(*slot);
        for (std::uint32_t p = slot->head; p != kNone; p = next_[p]) f(static_cast<std::size_t>(p));
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t sample = kNone;  // a place of this text, dead or alive; kNone: free slot
        std::uint32_t head = kNone;
        std::uint32_t tail = kNone;
    };

    static std::uint32_t Hash(const std::string& text) {
        return static_cast<std::uint32_t>(std::hash<std::string>()(text));
    }
    std::size_t Mask() const { return slots_.size() - 1; }
    Slot* Find(const std::string& text);
    const Slot* Find(const std::string& text) const;
    // Unlinks the dead places of a chain.
    void Prune(Slot& slot);
    void Grow();

    const std::vector<bool>& alive_;
    std::vector<const std::string*> texts_;  // by place; null: in no group
    std::vector<std::uint32_t> next_;        // by place
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace comp_mgr

#endif

#include "services/linking/place_groups.h"

namespace comp_mgr {

void PlaceGroups::Add(std::size_t place, const std::string* text) {
    if (slots_.empty()) slots_.assign(16, Slot());
    texts_.resize(place + 1, nullptr);
    next_.resize(place + 1, kNone);
    texts_[place] = text;
    const auto at = static_cast<std::uint32_t>(place);
    if (Slot* slot = Find(*text)) {
        if (slot->tail == kNone)
            slot->head = at;
        else
            next_[slot->tail] = at;
        slot->tail = at;
        return;
    }
    const std::uint32_t h = Hash(*text);
    std::size_t i = h & Mask();
    while (slots_[i].sample != kNone) i = (i + 1) & Mask();
    slots_[i] = Slot{h, at, at, at};
    if (++used_ * 4 > slots_.size() * 3) Grow();
}

std::size_t PlaceGroups::First(const std::string& text) {
    Slot* slot = Find(text);
    if (!slot) return npos;
    while (slot->head != kNone && !alive_[slot->head]) {
        slot->head = next_[slot->head];
        if (slot->head == kNone) slot->tail = kNone;
    }
    return slot->head == kNone ? npos : slot->head;
}

bool PlaceGroups::HasLive(const std::string& text) const {
    const Slot* slot = Find(text);
    if (!slot) return false;
    for (std::uint32_t p = slot->head; p != kNone; p = next_[p])
        if (alive_[p]) return true;
    return false;
}

PlaceGroups::Slot* PlaceGroups::Find(const std::string& text) {
    return const_cast<Slot*>(static_cast<const PlaceGroups*>(this)->Find(text));
}

const PlaceGroups::Slot* PlaceGroups::Find(const std::string& text) const {
    if (slots_.empty()) return nullptr;
    const std::uint32_t h = Hash(text);
    for (std::size_t i = h & Mask();; i = (i + 1) & Mask()) {
        const Slot& slot = slots_[i];
        if (slot.sample == kNone) return nullptr;
        if (slot.hash == h && *texts_[slot.sample] == text) return &slot;
    }
}

void PlaceGroups::Prune(Slot& slot) {
    std::uint32_t previous = kNone;
    for (std::uint32_t p = slot.head; p != kNone; p = next_[p]) {
        if (alive_[p]) {
            previous = p;
            continue;
        }
        if (previous == kNone)
            slot.head = next_[p];
        else
            next_[previous] = next_[p];
    }
    slot.tail = previous;
}

void PlaceGroups::Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.sample == kNone) continue;
        std::size_t i = slot.hash & Mask();
        while (slots_[i].sample != kNone) i = (i + 1) & Mask();
        slots_[i] = slot;
    }
}

}  // namespace comp_mgr

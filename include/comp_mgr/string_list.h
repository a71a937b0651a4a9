// An ordered list of strings that remembers insertion order and answers
// "does it hold this text?" and "where is it first?" in constant time once it
// grows large.
//
// Catalog lists (processor scopes, group names, linked plug-ins, section
// names) are searched far more often than they change, and some grow to tens
// of thousands of items, so an index is built on the first search of a large
// list and kept up to date by every change after that. The index is one flat
// array of (hash, first position, count) slots: it holds no copy of the
// strings and allocates nothing per item.
#ifndef COMP_MGR_STRING_LIST_H
#define COMP_MGR_STRING_LIST_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "comp_mgr/numbered_key_hash.h"

namespace comp_mgr {

class StringList {
public:
    using const_iterator = std::vector<std::string>::const_iterator;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    StringList() = default;
    StringList(std::initializer_list<std::string> items) : items_(items) {}
    StringList(const StringList& other) : items_(other.items_) {}
    StringList(StringList&& other) noexcept : items_(std::move(other.items_)), index_(std::move(other.index_)) {}
    StringList& operator=(const StringList& other) {
        if (this != &other) {
            items_ = other.items_;
            index_.reset();
        }
        return *this;
    }
    StringList& operator=(StringList&& other) noexcept {
        items_ = std::move(other.items_);
        index_ = std::move(other.index_);
        return *this;
    }

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const std::string& operator[](std::size_t i) const { return items_[i]; }
    const std::string& front() const { return items_.front(); }
    const std::vector<std::string>& items() const { return items_; }

    void push_back(const std::string& item) {
        items_.push_back(item);
        if (index_) index_->add(items_, items_.size() - 1);
    }
    void push_back(std::string&& item) {
        items_.push_back(std::move(item));
        if (index_) index_->add(items_, items_.size() - 1);
    }

    // Exact (case-sensitive) membership.
    bool contains(const std::string& item) const { return indexOf(item) != npos; }

    // Position of the first exact occurrence, or npos.
    std::size_t indexOf(const std::string& item) const {
        if (items_.size() < kIndexThreshold) {
            auto it = std::find(items_.begin(), items_.end(), item);
            return it == items_.end() ? npos : static_cast<std::size_t>(it - items_.begin());
        }
        buildIndex();
        return index_->find(items_, item);
    }

    // Appends unless an identical string is already present; true if appended.
    bool appendUnique(const std::string& item) {
        if (contains(item)) return false;
        push_back(item);
        return true;
    }

    void removeAt(std::size_t i) {
        if (index_) index_->remove(items_, i);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
        if (index_) index_->closeGapAt(i);
    }

    // Removes the first exact occurrence; true if there was one.
    bool removeFirst(const std::string& item) {
        std::size_t i = indexOf(item);
        if (i == npos) return false;
        removeAt(i);
        return true;
    }

    // Removes the first occurrence of each of `items` (distinct texts) in one
    // pass: what removeFirst for each would leave, without closing a gap per
    // item in a long list.
    template <class Set>
    void removeFirstOfEach(Set items) {
        std::vector<std::string> kept;
        kept.reserve(items_.size());
        for (std::string& item : items_)
            if (items.empty() || items.erase(item) == 0) kept.push_back(std::move(item));
        items_ = std::move(kept);
        index_.reset();
    }

    void replaceAt(std::size_t i, const std::string& item) {
        if (index_) index_->remove(items_, i);
        items_[i] = item;
        if (index_) index_->add(items_, i);
    }

    void clear() {
        items_.clear();
        index_.reset();
    }

    friend bool operator==(const StringList& a, const StringList& b) { return a.items_ == b.items_; }
    friend bool operator!=(const StringList& a, const StringList& b) { return !(a == b); }

private:
    static constexpr std::size_t kIndexThreshold = 16;

    // Open addressing with linear probing; a slot names its text by the
    // position of its first occurrence, so comparing a candidate reads the
    // list itself. Lists stay far below 2^32 items.
    class Index {
    public:
        explicit Index(const std::vector<std::string>& items) {
            std::size_t capacity = 16;
            while (capacity < items.size() * 2) capacity *= 2;
            slots_.assign(capacity, Slot());
            for (std::size_t i = 0; i < items.size(); ++i) add(items, i);
        }

        std::size_t find(const std::vector<std::string>& items, const std::string& item) const {
            const std::uint32_t h = Hash(item);
            for (std::size_t i = h & mask();; i = (i + 1) & mask()) {
                const Slot& slot = slots_[i];
                if (slot.count == 0) return npos;
                if (slot.hash == h && items[slot.first] == item) return slot.first;
            }
        }

        // Notes that items[at] now holds its text.
        void add(const std::vector<std::string>& items, std::size_t at) {
            const std::string& item = items[at];
            const std::uint32_t h = Hash(item);
            std::size_t i = h & mask();
            for (; slots_[i].count != 0; i = (i + 1) & mask()) {
                Slot& slot = slots_[i];
                if (slot.hash == h && items[slot.first] == item) {
                    ++slot.count;
                    if (at < slot.first) slot.first = static_cast<std::uint32_t>(at);
                    return;
                }
            }
            slots_[i] = Slot{h, static_cast<std::uint32_t>(at), 1};
            if (++used_ * 4 > slots_.size() * 3) grow();
        }

        // Notes that items[at] is about to lose its text.
        void remove(const std::vector<std::string>& items, std::size_t at) {
            const std::string& item = items[at];
            const std::uint32_t h = Hash(item);
            std::size_t i = h & mask();
            while (!(slots_[i].count != 0 && slots_[i].hash == h && items[slots_[i].first] == item))
                i = (i + 1) & mask();
            Slot& slot = slots_[i];
            if (--slot.count == 0) {
                erase(i);
            } else if (slot.first == at) {
                // A duplicate stays; the next occurrence becomes the first.
                std::size_t next = at + 1;
                while (items[next] != item) ++next;
                slot.first = static_cast<std::uint32_t>(next);
            }
        }

        // The item at `at` was taken out of the list: later ones moved down.
        void closeGapAt(std::size_t at) {
            for (Slot& slot : slots_)
                if (slot.count != 0 && slot.first > at) --slot.first;
        }

    private:
        struct Slot {
            std::uint32_t hash = 0;
            std::uint32_t first = 0;
            std::uint32_t count = 0;  // 0: free
        };

        // Section names in number order land in neighbouring slots.
        static std::uint32_t Hash(const std::string& item) { return static_cast<std::uint32_t>(NumberedKeyHash(item)); }
        std::size_t mask() const { return slots_.size() - 1; }

        // Backward-shift deletion keeps every probe run unbroken without
        // leaving marks behind.
        void erase(std::size_t i) {
            --used_;
            for (std::size_t j = (i + 1) & mask(); slots_[j].count != 0; j = (j + 1) & mask()) {
                const std::size_t home = slots_[j].hash & mask();
                // Slot j may move to i unless its home lies cyclically in (i, j].
                const bool homeBetween = i <= j ? (i < home && home <= j) : (i < home || home <= j);
                if (homeBetween) continue;
                slots_[i] = slots_[j];
                i = j;
            }
            slots_[i] = Slot();
        }

        void grow() {
            std::vector<Slot> old(slots_.size() * 2);
            old.swap(slots_);
            for (const Slot& slot : old) {
                if (slot.count == 0) continue;
                std::size_t i = slot.hash & mask();
                while (slots_[i].count != 0) i = (i + 1) & mask();
                slots_[i] = slot;
            }
        }

        std::vector<Slot> slots_;
        std::size_t used_ = 0;
    };

    void buildIndex() const {
        if (!index_) index_ = std::make_unique<Index>(items_);
    }

    std::vector<std::string> items_;
    mutable std::unique_ptr<Index> index_;
};

}  // namespace comp_mgr

#endif

// A string-keyed map whose iteration order is that of a chained hash table of
// 17 buckets: buckets from 0 upward, and inside a bucket the key inserted most
// recently first. The catalog's file layout and several walks depend on this
// order, so it is kept exactly.
//
// The nodes form one list in that order, so a map costs three words plus its
// nodes (every catalog entry holds one, mostly with a few keys). A large map
// adds the first node of each bucket, where new keys go in, and an index that
// makes look-ups constant-time without touching the order.
#ifndef COMP_MGR_BUCKET_MAP_H
#define COMP_MGR_BUCKET_MAP_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "comp_mgr/numbered_key_hash.h"

namespace comp_mgr {

template <class V>
class BucketMap {
    // The key and the links come first: a look-up or a walk reads one line,
    // and a large value sits right behind its key.
    struct Node {
        std::string key;
        Node* prev = nullptr;
        Node* next = nullptr;
        std::size_t bucket = 0;
        V value;
    };

public:
    static constexpr std::size_t kBuckets = 17;

    // h = h * 33 + c over the key's bytes taken as signed 8-bit values,
    // in unsigned 32-bit arithmetic.
    static std::size_t BucketOf(std::string_view key) {
        std::uint32_t h = 0;
        for (char c : key)
            h = h * 33u + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
        return h % kBuckets;
    }

    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Node;
        using difference_type = std::ptrdiff_t;
        using pointer = Node*;
        using reference = Node&;

        iterator() = default;
        const std::string& key() const { return node_->key; }
        V& value() const { return node_->value; }
        iterator& operator++() {
            node_ = node_->next;
            return *this;
        }
        bool operator==(const iterator& o) const { return node_ == o.node_; }
        bool operator!=(const iterator& o) const { return node_ != o.node_; }
        // Range-for yields the iterator itself, so loops read `it.key()`.
        const iterator& operator*() const { return *this; }

    private:
        friend class BucketMap;
        explicit iterator(Node* n) : node_(n) {}
        Node* node_ = nullptr;
    };
    using const_iterator = iterator;

    BucketMap() = default;
    ~BucketMap() { clear(); }

    // Copies keep the exact order of the original.
    BucketMap(const BucketMap& other) { copyFrom(other); }
    BucketMap& operator=(const BucketMap& other) {
        if (this != &other) {
            clear();
            copyFrom(other);
        }
        return *this;
    }
    BucketMap(BucketMap&& other) noexcept { steal(other); }
    BucketMap& operator=(BucketMap&& other) noexcept {
        if (this != &other) {
            clear();
            steal(other);
        }
        return *this;
    }

    iterator begin() const { return iterator(first_); }
    iterator end() const { return iterator(nullptr); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    V* find(std::string_view key) {
        Node* n = lookup(key);
        return n ? &n->value : nullptr;
    }
    const V* find(std::string_view key) const {
        const Node* n = lookup(key);
        return n ? &n->value : nullptr;
    }
    bool contains(std::string_view key) const { return lookup(key) != nullptr; }

    // Stores a value under a key; an existing key keeps its place.
    V& set(const std::string& key, V value) {
        if (Node* n = lookup(key)) {
            n->value = std::move(value);
            return n->value;
        }
        return insertNew(key, std::move(value))->value;
    }

    // The value of a key, inserting a default one at the front of its bucket.
    V& operator[](const std::string& key) {
        if (Node* n = lookup(key)) return n->value;
        return insertNew(key)->value;
    }

    // Moves the value of `from` to the key `to`, as take() followed by set():
    // an existing `to` keeps its place and takes the value, a new one goes to
    // the front of its bucket. The value is not copied when `to` is new.
    bool rename(std::string_view from, const std::string& to) {
        Node* n = lookup(from);
        if (!n) return false;
        if (Node* target = n->key == to ? nullptr : lookup(to)) {
            target->value = std::move(n->value);
            unlink(n);
            return true;
        }
        detach(n);
        n->key = to;
        n->bucket = BucketOf(to);
        attach(n);
        return true;
    }

    bool erase(std::string_view key) {
        Node* n = lookup(key);
        if (!n) return false;
        unlink(n);
        return true;
    }

    // Removes the element at `it` and returns the one after it.
    iterator erase(iterator it) {
        Node* next = it.node_->next;
        unlink(it.node_);
        return iterator(next);
    }

    // Removes a key and hands back its value.
    bool take(std::string_view key, V* out) {
        Node* n = lookup(key);
        if (!n) return false;
        *out = std::move(n->value);
        unlink(n);
        return true;
    }

    void clear() {
        if (large_) {
            // The list runs through memory in hash order; freeing a large map
            // in address order instead walks the heap front to back, which
            // keeps the processor's caches and the allocator's free lists
            // warm. The index holds every node in one array to sort.
            std::vector<Node*> nodes;
            nodes.reserve(size_);
            large_->index.collect(nodes);
            std::sort(nodes.begin(), nodes.end(), std::less<Node*>());
            for (Node* n : nodes) delete n;
        } else {
            while (first_) {
                Node* n = first_;
                first_ = n->next;
                delete n;
            }
        }
        first_ = nullptr;
        size_ = 0;
        large_.reset();
    }

private:
    static constexpr std::size_t kIndexThreshold = 24;

    // Open addressing with linear probing over one array of (hash, node)
    // slots: a look-up in a large catalog touches one slot line and the node,
    // where a node-based hash table would chase two more pointers. Keys are
    // placed by NumberedKeyHash, so a walk in number order stays local.
    class Index {
    public:
        explicit Index(std::size_t expected) {
            std::size_t capacity = 16;
            while (capacity * 3 < expected * 4 + 4) capacity *= 2;
            slots_.assign(capacity, Slot());
        }
        Node* find(std::string_view key) const {
            const std::size_t h = NumberedKeyHash(key);
            const std::size_t mask = slots_.size() - 1;
            for (std::size_t i = h & mask; slots_[i].node; i = (i + 1) & mask) {
                const Slot& slot = slots_[i];
                if (slot.hash == h && slot.node->key == key) return slot.node;
            }
            return nullptr;
        }
        void insert(Node* node) {
            if ((live_ + 1) * 4 > slots_.size() * 3) grow();
            place(node, NumberedKeyHash(node->key));
            ++live_;
        }
        // The keys after the erased one that probed past it move back into
        // the gap, so no mark is left: a run of renames never makes the
        // index sweep (and briefly double) its array.
        void erase(const Node* node) {
            const std::size_t mask = slots_.size() - 1;
            std::size_t gap = NumberedKeyHash(node->key) & mask;
            for (; slots_[gap].node != node; gap = (gap + 1) & mask)
                if (!slots_[gap].node) return;
            for (std::size_t i = (gap + 1) & mask; slots_[i].node; i = (i + 1) & mask) {
                const std::size_t home = slots_[i].hash & mask;
                // It may move when its home is not between the gap and it.
                if (((i - home) & mask) >= ((i - gap) & mask)) {
                    slots_[gap] = slots_[i];
                    gap = i;
                }
            }
            slots_[gap] = Slot();
            --live_;
        }

        void collect(std::vector<Node*>& nodes) const {
            for (const Slot& slot : slots_)
                if (slot.node) nodes.push_back(slot.node);
        }

    private:
        struct Slot {
            std::size_t hash = 0;
            Node* node = nullptr;
        };
        void place(Node* node, std::size_t h) {
            const std::size_t mask = slots_.size() - 1;
            std::size_t i = h & mask;
            while (slots_[i].node) i = (i + 1) & mask;
            slots_[i] = Slot{h, node};
        }
        void grow() {
            std::vector<Slot> old(slots_.size() * 2);
            old.swap(slots_);
            for (const Slot& slot : old)
                if (slot.node) place(slot.node, slot.hash);
        }

        std::vector<Slot> slots_;
        std::size_t live_ = 0;
    };

    // What a large map keeps besides its list.
    struct Large {
        explicit Large(std::size_t expected) : index(expected) {}
        Node* heads[kBuckets] = {};  // the first node of each bucket
        Node* last = nullptr;
        Index index;
    };

    Node* lookup(std::string_view key) const {
        if (large_) return large_->index.find(key);
        // The list is sorted by bucket.
        const std::size_t bucket = BucketOf(key);
        for (Node* n = first_; n && n->bucket <= bucket; n = n->next)
            if (n->bucket == bucket && n->key == key) return n;
        return nullptr;
    }

    // The value is built in place from `args`.
    template <class... Args>
    Node* insertNew(const std::string& key, Args&&... args) {
        auto* n = new Node{key, nullptr, nullptr, BucketOf(key), V(std::forward<Args>(args)...)};
        attach(n);
        return n;
    }

    // Puts a node at the front of its bucket (and into the index).
    void attach(Node* n) {
        Node* before = nullptr;  // the node n goes in front of; none: n goes last
        Node* after = nullptr;
        if (large_) {
            for (std::size_t b = n->bucket; b < kBuckets && !before; ++b) before = large_->heads[b];
            after = before ? before->prev : large_->last;
        } else {
            for (before = first_; before && before->bucket < n->bucket; before = before->next) after = before;
        }
        n->prev = after;
        n->next = before;
        if (after)
            after->next = n;
        else
            first_ = n;
        if (before) before->prev = n;
        ++size_;
        if (large_) {
            large_->heads[n->bucket] = n;
            if (!before) large_->last = n;
            large_->index.insert(n);
        } else if (size_ >= kIndexThreshold) {
            makeLarge();
        }
    }

    void makeLarge() {
        large_ = std::make_unique<Large>(size_ * 2);
        for (Node* n = first_; n; n = n->next) {
            if (!large_->heads[n->bucket]) large_->heads[n->bucket] = n;
            large_->index.insert(n);
            large_->last = n;
        }
    }

    // Takes a node out of the list (and the index) without freeing it.
    void detach(Node* n) {
        if (large_) {
            large_->index.erase(n);
            if (large_->heads[n->bucket] == n)
                large_->heads[n->bucket] = n->next && n->next->bucket == n->bucket ? n->next : nullptr;
            if (large_->last == n) large_->last = n->prev;
        }
        if (n->prev)
            n->prev->next = n->next;
        else
            first_ = n->next;
        if (n->next) n->next->prev = n->prev;
        --size_;
    }

    void unlink(Node* n) {
        detach(n);
        delete n;
    }

    // Appends copies of the other map's nodes in its order, which is already
    // the order they must have here.
    void copyFrom(const BucketMap& other) {
        Node* last = nullptr;
        for (Node* o = other.first_; o; o = o->next) {
            auto* n = new Node{o->key, last, nullptr, o->bucket, V(o->value)};
            if (last)
                last->next = n;
            else
                first_ = n;
            last = n;
            ++size_;
        }
        if (size_ >= kIndexThreshold) makeLarge();
    }

    void steal(BucketMap& other) {
        first_ = other.first_;
        size_ = other.size_;
        large_ = std::move(other.large_);
        other.first_ = nullptr;
        other.size_ = 0;
    }

    Node* first_ = nullptr;
    std::size_t size_ = 0;
    std::unique_ptr<Large> large_;
};

}  // namespace comp_mgr

#endif

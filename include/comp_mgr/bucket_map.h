// A string-keyed map whose iteration order is that of a chained hash table of
// 17 buckets: buckets from 0 upward, and inside a bucket the key inserted most
// recently first. The catalog's file layout and several walks depend on this
// order, so it is kept exactly; a side index makes look-ups in large maps
// constant-time without touching the order.
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
            node_ = Next(map_, node_);
            return *this;
        }
        bool operator==(const iterator& o) const { return node_ == o.node_; }
        bool operator!=(const iterator& o) const { return node_ != o.node_; }
        // Range-for yields the iterator itself, so loops read `it.key()`.
        const iterator& operator*() const { return *this; }

    private:
        friend class BucketMap;
        iterator(const BucketMap* m, Node* n) : map_(m), node_(n) {}
        const BucketMap* map_ = nullptr;
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

    iterator begin() const { return iterator(this, First(this)); }
    iterator end() const { return iterator(this, nullptr); }
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
        Node* next = Next(this, it.node_);
        unlink(it.node_);
        return iterator(this, next);
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
        if (size_ < kIndexThreshold) {
            for (auto& head : heads_) {
                while (head) {
                    Node* n = head;
                    head = n->next;
                    delete n;
                }
            }
        } else {
            // Chains run through memory in hash order; freeing a large map in
            // address order instead walks the heap front to back, which keeps
            // the processor's caches and the allocator's free lists warm.
            // The index holds every node in one array, so the chains need
            // not be walked to find them.
            std::vector<Node*> nodes;
            nodes.reserve(size_);
            if (index_) {
                index_->collect(nodes);
            } else {
                for (Node* head : heads_)
                    for (Node* n = head; n; n = n->next) nodes.push_back(n);
            }
            for (auto& head : heads_) head = nullptr;
            std::sort(nodes.begin(), nodes.end(), std::less<Node*>());
            for (Node* n : nodes) delete n;
        }
        size_ = 0;
        index_.reset();
    }

private:
    static constexpr std::size_t kIndexThreshold = 24;
    static constexpr unsigned kBlockBits = 4;

    // Open addressing with linear probing over one array of (hash, node)
    // slots: a look-up in a large catalog touches one slot line and the node,
    // where a node-based hash table would chase two more pointers.
    class Index {
    public:
        // Catalog keys are a stem and a number (PlugIn_1, PlugIn_2, ...).
        // Keys that differ only in the number fall into blocks of 16
        // neighbouring slots, and the blocks are spread over the table by a
        // hash of the stem and the number's upper part: a walk in number
        // order reads the table a block at a time instead of jumping for
        // every key.
        static std::size_t KeyHash(std::string_view key) {
            std::size_t digits = 0;
            std::uint64_t number = 0;
            while (digits < 18 && digits < key.size()) {
                const char c = key[key.size() - 1 - digits];
                if (c < '0' || c > '9') break;
                ++digits;
            }
            for (std::size_t i = key.size() - digits; i < key.size(); ++i)
                number = number * 10 + static_cast<std::uint64_t>(key[i] - '0');
            std::uint64_t z = std::hash<std::string_view>()(key.substr(0, key.size() - digits)) +
                              (number >> kBlockBits) * 0x9E3779B97F4A7C15ull;
            // Mixes every input bit into the bits that pick the block.
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            return static_cast<std::size_t>((z << kBlockBits) | (number & ((1u << kBlockBits) - 1)));
        }

        explicit Index(std::size_t expected) {
            std::size_t capacity = 16;
            while (capacity * 3 < expected * 4 + 4) capacity *= 2;
            slots_.assign(capacity, Slot());
        }
        Node* find(std::string_view key) const {
            const std::size_t h = KeyHash(key);
            const std::size_t mask = slots_.size() - 1;
            for (std::size_t i = h & mask;; i = (i + 1) & mask) {
                const Slot& slot = slots_[i];
                if (!slot.node) {
                    if (!slot.deleted) return nullptr;
                } else if (slot.hash == h && slot.node->key == key) {
                    return slot.node;
                }
            }
        }
        void insert(Node* node) {
            if ((used_ + 1) * 4 > slots_.size() * 3) rehash();
            place(node, KeyHash(node->key));
            ++used_;
            ++live_;
        }
        void erase(const Node* node) {
            const std::size_t h = KeyHash(node->key);
            const std::size_t mask = slots_.size() - 1;
            for (std::size_t i = h & mask;; i = (i + 1) & mask) {
                Slot& slot = slots_[i];
                if (slot.node == node) {
                    slot.node = nullptr;
                    slot.deleted = true;
                    --live_;
                    return;
                }
                if (!slot.node && !slot.deleted) return;
            }
        }

        void collect(std::vector<Node*>& nodes) const {
            for (const Slot& slot : slots_)
                if (slot.node) nodes.push_back(slot.node);
        }

    private:
        struct Slot {
            std::size_t hash = 0;
            Node* node = nullptr;
            bool deleted = false;
        };
        void place(Node* node, std::size_t h) {
            const std::size_t mask = slots_.size() - 1;
            std::size_t i = h & mask;
            while (slots_[i].node) i = (i + 1) & mask;
            slots_[i] = Slot{h, node, false};
        }
        // Grows when live keys fill half the slots; otherwise only sweeps
        // away the marks of erased keys.
        void rehash() {
            std::vector<Slot> old;
            old.swap(slots_);
            std::size_t capacity = old.size();
            if (live_ * 2 >= capacity) capacity *= 2;
            slots_.assign(capacity, Slot());
            for (const Slot& slot : old)
                if (slot.node) place(slot.node, slot.hash);
            used_ = live_;
        }

        std::vector<Slot> slots_;
        std::size_t used_ = 0;  // slots holding a key or the mark of an erased one
        std::size_t live_ = 0;
    };

    static Node* First(const BucketMap* m) {
        for (std::size_t b = 0; b < kBuckets; ++b)
            if (m->heads_[b]) return m->heads_[b];
        return nullptr;
    }
    static Node* Next(const BucketMap* m, Node* n) {
        if (n->next) return n->next;
        for (std::size_t b = n->bucket + 1; b < kBuckets; ++b)
            if (m->heads_[b]) return m->heads_[b];
        return nullptr;
    }

    Node* lookup(std::string_view key) const {
        if (index_) return index_->find(key);
        for (Node* n = heads_[BucketOf(key)]; n; n = n->next)
            if (n->key == key) return n;
        return nullptr;
    }

    // The value is built in place from `args`.
    template <class... Args>
    Node* insertNew(const std::string& key, Args&&... args) {
        auto* n = new Node{key, nullptr, nullptr, BucketOf(key), V(std::forward<Args>(args)...)};
        attach(n);
        return n;
    }

    // Puts a node at the front of its bucket and into the index.
    void attach(Node* n) {
        Node*& head = heads_[n->bucket];
        n->prev = nullptr;
        n->next = head;
        if (head) head->prev = n;
        head = n;
        ++size_;
        if (index_) {
            index_->insert(n);
        } else if (size_ >= kIndexThreshold) {
            index_ = std::make_unique<Index>(size_ * 2);
            for (Node* h : heads_)
                for (Node* m = h; m; m = m->next) index_->insert(m);
        }
    }

    // Takes a node out of its chain and the index without freeing it.
    void detach(Node* n) {
        if (index_) index_->erase(n);
        if (n->prev)
            n->prev->next = n->next;
        else
            heads_[n->bucket] = n->next;
        if (n->next) n->next->prev = n->prev;
        --size_;
    }

    void unlink(Node* n) {
        detach(n);
        delete n;
    }

    void copyFrom(const BucketMap& other) {
        // Rebuild each chain back to front so the copy's chains match.
        for (std::size_t b = 0; b < kBuckets; ++b) {
            Node* tail = other.heads_[b];
            while (tail && tail->next) tail = tail->next;
            for (Node* n = tail; n; n = n->prev) insertNew(n->key, n->value);
        }
    }

    void steal(BucketMap& other) {
        for (std::size_t b = 0; b < kBuckets; ++b) {
            heads_[b] = other.heads_[b];
            other.heads_[b] = nullptr;
        }
        size_ = other.size_;
        other.size_ = 0;
        index_ = std::move(other.index_);
    }

    Node* heads_[kBuckets] = {};
    std::size_t size_ = 0;
    std::unique_ptr<Index> index_;
};

}  // namespace comp_mgr

#endif

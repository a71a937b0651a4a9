// An ordered list of strings that remembers insertion order and answers
// "does it hold this text?" in constant time once it grows large.
//
// Catalog lists (processor scopes, group names, linked plug-ins, section
// names) are searched far more often than they change, and some grow to tens
// of thousands of items, so a count index is built on the first search of a
// large list and kept up to date by every change after that.
#ifndef COMP_MGR_STRING_LIST_H
#define COMP_MGR_STRING_LIST_H

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

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
        if (index_) ++(*index_)[item];
    }

    // Exact (case-sensitive) membership.
    bool contains(const std::string& item) const {
        if (items_.size() < kIndexThreshold) {
            return std::find(items_.begin(), items_.end(), item) != items_.end();
        }
        buildIndex();
        return index_->count(item) != 0;
    }

    // Position of the first exact occurrence, or npos.
    std::size_t indexOf(const std::string& item) const {
        if (items_.size() >= kIndexThreshold && !contains(item)) return npos;
        auto it = std::find(items_.begin(), items_.end(), item);
        return it == items_.end() ? npos : static_cast<std::size_t>(it - items_.begin());
    }

    // Appends unless an identical string is already present; true if appended.
    bool appendUnique(const std::string& item) {
        if (contains(item)) return false;
        push_back(item);
        return true;
    }

    void removeAt(std::size_t i) {
        if (index_) forget(items_[i]);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    }

    // Removes the first exact occurrence; true if there was one.
    bool removeFirst(const std::string& item) {
        std::size_t i = indexOf(item);
        if (i == npos) return false;
        removeAt(i);
        return true;
    }

    void replaceAt(std::size_t i, const std::string& item) {
        if (index_) {
            forget(items_[i]);
            ++(*index_)[item];
        }
        items_[i] = item;
    }

    void clear() {
        items_.clear();
        index_.reset();
    }

    friend bool operator==(const StringList& a, const StringList& b) { return a.items_ == b.items_; }
    friend bool operator!=(const StringList& a, const StringList& b) { return !(a == b); }

private:
    static constexpr std::size_t kIndexThreshold = 16;
    using Index = std::unordered_map<std::string, std::size_t>;

    void buildIndex() const {
        if (index_) return;
        index_ = std::make_unique<Index>();
        index_->reserve(items_.size() * 2);
        for (const auto& s : items_) ++(*index_)[s];
    }
    void forget(const std::string& item) {
        auto it = index_->find(item);
        if (it != index_->end() && --it->second == 0) index_->erase(it);
    }

    std::vector<std::string> items_;
    mutable std::unique_ptr<Index> index_;
};

}  // namespace comp_mgr

#endif

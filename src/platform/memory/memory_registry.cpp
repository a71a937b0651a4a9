#include "platform/memory/memory_registry.h"

#include <algorithm>
#include <cstring>

#include "support/text.h"

namespace comp_mgr {
namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
// Keys with more values than this get a name index; below it a scan is faster.
constexpr std::size_t kValueIndexThreshold = 16;

constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kMaximumAllowed = 0x02000000u;

// Generic rights map onto the key rights they stand for.
std::uint32_t EffectiveAccess(std::uint32_t access) {
    if (access & (kGenericAll | kMaximumAllowed)) access |= kKeyAllAccess;
    if (access & kGenericRead) access |= kKeyRead;
    if (access & kGenericWrite) access |= kKeyWrite;
    return access;
}

bool IsPredefined(RegHandle h) {
    return h == kHkeyClassesRoot || h == kHkeyCurrentUser || h == kHkeyLocalMachine;
}

// Splits a subkey path into components. A single trailing backslash is
// accepted; a leading one or an empty component is not. Line breaks and NUL
// are refused in names so that every key can be written to a registry file.
long SplitKeyPath(std::string_view path, std::vector<std::string_view>* parts) {
    parts->clear();
    if (path.empty()) return kErrorSuccess;
    if (path.front() == '\\') return kErrorBadPathname;
    if (path.back() == '\\') path.remove_suffix(1);
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('\\', start);
        std::string_view part =
            path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part.empty()) return kErrorBadPathname;
        if (part.size() > kMaxKeyNameLength) return kErrorInvalidParameter;
        if (part.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
            return kErrorInvalidParameter;
        }
        parts->push_back(part);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return kErrorSuccess;
}

}  // namespace

// --- Key ---------------------------------------------------------------

std::size_t MemoryRegistry::Key::SubkeyPosition(std::string_view folded) const {
    auto it = std::lower_bound(subkeys_.begin(), subkeys_.end(), folded,
                               [](const Key* k, std::string_view f) { return k->folded_ < f; });
    return static_cast<std::size_t>(it - subkeys_.begin());
}

MemoryRegistry::Key* MemoryRegistry::Key::FindSubkey(std::string_view folded) const {
    std::size_t pos = SubkeyPosition(folded);
    if (pos < subkeys_.size() && subkeys_[pos]->folded_ == folded) return subkeys_[pos];
    return nullptr;
}

std::size_t MemoryRegistry::Key::ValuePosition(std::string_view folded) const {
    if (values_.size() > kValueIndexThreshold) {
        auto it = valueIndex_.find(std::string(folded));
        return it == valueIndex_.end() ? values_.size() : it->second;
    }
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (values_[i].folded == folded) return i;
    }
    return values_.size();
}

const MemoryRegistry::Value* MemoryRegistry::Key::FindValue(std::string_view folded) const {
    std::size_t pos = ValuePosition(folded);
    return pos < values_.size() ? &values_[pos] : nullptr;
}

void MemoryRegistry::Key::RebuildValueIndex() {
    valueIndex_.clear();
    if (values_.size() <= kValueIndexThreshold) return;
    valueIndex_.reserve(values_.size());
    for (std::size_t i = 0; i < values_.size(); ++i) valueIndex_.emplace(values_[i].folded, i);
}

MemoryRegistry::Key::~Key() {
    std::vector<std::shared_ptr<Key>> pending = std::move(owned_);
    while (!pending.empty()) {
        std::shared_ptr<Key> key = std::move(pending.back());
        pending.pop_back();
        // A key an open handle still holds stays whole; its destructor runs
        // later, when the handle goes.
        if (key.use_count() == 1) {
            for (auto& sub : key->owned_) pending.push_back(std::move(sub));
            key->owned_.clear();
        }
    }
}

// --- Registry ----------------------------------------------------------

MemoryRegistry::MemoryRegistry() : localMachine_(std::make_shared<Key>()), currentUser_(std::make_shared<Key>()) {
    localMachine_->name_ = "HKEY_LOCAL_MACHINE";
    currentUser_->name_ = "HKEY_CURRENT_USER";
}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::MarkDeleted(Key& top) {
    std::vector<Key*> pending{&top};
    while (!pending.empty()) {
        Key* key = pending.back();
        pending.pop_back();
        key->deleted_ = true;
        key->parent_ = nullptr;
        pending.insert(pending.end(), key->subkeys_.begin(), key->subkeys_.end());
    }
}

void MemoryRegistry::Unlink(Key* key) {
    Key* owner = key->parent_;
    std::size_t pos = owner->SubkeyPosition(key->folded_);
    owner->subkeys_.erase(owner->subkeys_.begin() + static_cast<std::ptrdiff_t>(pos));
    // Open handles may still hold the key; they find it marked deleted.
    std::shared_ptr<Key> keep = key->shared_from_this();
    auto it = std::find(owner->owned_.begin(), owner->owned_.end(), keep);
    *it = std::move(owner->owned_.back());
    owner->owned_.pop_back();
    MarkDeleted(*keep);
}

MemoryRegistry::Key* MemoryRegistry::Walk(Key* from, std::string_view path, bool create, long* error) {
    std::vector<std::string_view> parts;
    long rc = SplitKeyPath(path, &parts);
    if (rc != kErrorSuccess) {
        *error = rc;
        return nullptr;
    }
    Key* key = from;
    for (std::string_view part : parts) {
        std::string folded = ToLower(part);
        std::size_t pos = key->SubkeyPosition(folded);
        if (pos < key->subkeys_.size() && key->subkeys_[pos]->folded_ == folded) {
            key = key->subkeys_[pos];
            continue;
        }
        if (!create) {
            *error = kErrorFileNotFound;
            return nullptr;
        }
        auto made = std::make_shared<Key>();
        made->name_ = std::string(part);
        made->folded_ = std::move(folded);
        made->parent_ = key;
        key->subkeys_.insert(key->subkeys_.begin() + static_cast<std::ptrdiff_t>(pos), made.get());
        key->owned_.push_back(made);
        key = made.get();
        Touch();
    }
    *error = kErrorSuccess;
    return key;
}

MemoryRegistry::Key* MemoryRegistry::ClassesKey(bool create) {
    long error = kErrorSuccess;
    return Walk(localMachine_.get(), "SOFTWARE\\Classes", create, &error);
}

MemoryRegistry::Key* MemoryRegistry::Resolve(RegHandle handle, std::uint32_t needed, bool create, long* error) {
    *error = kErrorSuccess;
    if (handle == kHkeyLocalMachine) return localMachine_.get();
    if (handle == kHkeyCurrentUser) return currentUser_.get();
    if (handle == kHkeyClassesRoot) {
        Key* classes = ClassesKey(create);
        if (!classes) *error = kErrorFileNotFound;
        return classes;
    }
    auto it = handles_.find(handle);
    if (it == handles_.end() || it->second.key->deleted_) {
        *error = kErrorInvalidHandle;
        return nullptr;
    }
    if ((it->second.access & needed) != needed) {
        *error = kErrorAccessDenied;
        return nullptr;
    }
    return it->second.key.get();
}

RegHandle MemoryRegistry::NewHandle(Key* key, std::uint32_t access) {
    RegHandle h;
    do {
        h = nextHandle_;
        nextHandle_ += 4;
    } while (IsPredefined(h) || handles_.count(h));
    handles_[h] = Handle{key->shared_from_this(), EffectiveAccess(access)};
    return h;
}

long MemoryRegistry::OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) {
    if (!result) return kErrorInvalidParameter;
    *result = 0;
    long error;
    Key* from = Resolve(parent, 0, false, &error);
    if (!from) return error;
    Key* key = Walk(from, subKey, false, &error);
    if (!key) return error;
    *result = NewHandle(key, access);
    return kErrorSuccess;
}

long MemoryRegistry::CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) {
    if (!result) return kErrorInvalidParameter;
    *result = 0;
    std::vector<std::string_view> parts;
    long error = SplitKeyPath(subKey, &parts);
    if (error != kErrorSuccess) return error;
    Key* from = Resolve(parent, 0, true, &error);
    if (!from) return error;
    Key* key = Walk(from, subKey, true, &error);
    if (!key) return error;
    *result = NewHandle(key, access);
    return kErrorSuccess;
}

long MemoryRegistry::CloseKey(RegHandle key) {
    if (IsPredefined(key)) return kErrorSuccess;
    return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

long MemoryRegistry::EnumKey(RegHandle handle, std::uint32_t index, char* name, std::uint32_t* nameSize) {
    if (!name || !nameSize) return kErrorInvalidParameter;
    long error;
    Key* key = Resolve(handle, kKeyEnumerateSubKeys, false, &error);
    if (!key) return handle == kHkeyClassesRoot ? kErrorNoMoreItems : error;
    if (index >= key->subkeys_.size()) return kErrorNoMoreItems;
    const std::string& n = key->subkeys_[index]->name_;
    if (n.size() >= *nameSize) return kErrorMoreData;
    std::memcpy(name, n.c_str(), n.size() + 1);
    *nameSize = static_cast<std::uint32_t>(n.size());
    return kErrorSuccess;
}

long MemoryRegistry::EnumValue(RegHandle handle, std::uint32_t index, char* name, std::uint32_t* nameSize,
                               std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    if (!name || !nameSize) return kErrorInvalidParameter;
    if (data && !dataSize) return kErrorInvalidParameter;
    long error;
    Key* key = Resolve(handle, kKeyQueryValue, false, &error);
    if (!key) return handle == kHkeyClassesRoot ? kErrorNoMoreItems : error;
    if (index >= key->values_.size()) return kErrorNoMoreItems;
    const Value& v = key->values_[index];
    if (v.name.size() >= *nameSize) return kErrorMoreData;
    std::memcpy(name, v.name.c_str(), v.name.size() + 1);
    *nameSize = static_cast<std::uint32_t>(v.name.size());
    if (type) *type = v.type;
    if (!dataSize) return kErrorSuccess;
    const auto size = static_cast<std::uint32_t>(v.data.size());
    if (data) {
        if (size > *dataSize) {
            *dataSize = size;
            return kErrorMoreData;
        }
        if (size) std::memcpy(data, v.data.data(), size);
    }
    *dataSize = size;
    return kErrorSuccess;
}

long MemoryRegistry::QueryValue(RegHandle handle, const char* name, std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) {
    if (data && !dataSize) return kErrorInvalidParameter;
    long error;
    Key* key = Resolve(handle, kKeyQueryValue, false, &error);
    if (!key) return error;
    const Value* v = key->FindValue(ToLower(name ? name : ""));
    if (!v) return kErrorFileNotFound;
    if (type) *type = v->type;
    if (!dataSize) return kErrorSuccess;
    const auto size = static_cast<std::uint32_t>(v->data.size());
    if (data) {
        if (size > *dataSize) {
            *dataSize = size;
            return kErrorMoreData;
        }
        if (size) std::memcpy(data, v->data.data(), size);
    }
    *dataSize = size;
    return kErrorSuccess;
}

long MemoryRegistry::SetValue(RegHandle handle, const char* name, std::uint32_t type, const std::uint8_t* data,
                              std::uint32_t dataSize) {
    if (!data && dataSize) return kErrorInvalidParameter;
    std::string_view n = name ? name : "";
    if (n.size() > kMaxValueNameLength) return kErrorInvalidParameter;
    long error;
    Key* key = Resolve(handle, kKeySetValue, true, &error);
    if (!key) return error;
    PutValue(key, n, type,
             std::string_view(reinterpret_cast<const char*>(data ? data : reinterpret_cast<const std::uint8_t*>("")),
                              dataSize));
    return kErrorSuccess;
}

long MemoryRegistry::DeleteValue(RegHandle handle, const char* name) {
    long error;
    Key* key = Resolve(handle, kKeySetValue, false, &error);
    if (!key) return error;
    return RemoveValue(key, name ? name : "") ? kErrorSuccess : kErrorFileNotFound;
}

long MemoryRegistry::DeleteKey(RegHandle parent, const std::string& subKey) {
    long error;
    Key* from = Resolve(parent, 0, false, &error);
    if (!from) return error;
    Key* key = Walk(from, subKey, false, &error);
    if (!key) return error;
    if (!key->parent_) return kErrorAccessDenied;  // a hive root
    if (!key->subkeys_.empty()) return kErrorAccessDenied;
    Unlink(key);
    Touch();
    return kErrorSuccess;
}

// --- Direct access -----------------------------------------------------

const MemoryRegistry::Key* MemoryRegistry::Root(RegHandle hive) const {
    if (hive == kHkeyLocalMachine) return localMachine_.get();
    if (hive == kHkeyCurrentUser) return currentUser_.get();
    if (hive == kHkeyClassesRoot) return FindKey(kHkeyLocalMachine, "SOFTWARE\\Classes");
    return nullptr;
}

const MemoryRegistry::Key* MemoryRegistry::FindKey(RegHandle hive, std::string_view path) const {
    const Key* root = Root(hive);
    if (!root) return nullptr;
    long error;
    // Walk does not change anything when it is not asked to create.
    return const_cast<MemoryRegistry*>(this)->Walk(const_cast<Key*>(root), path, false, &error);
}

MemoryRegistry::Key* MemoryRegistry::CreatePath(RegHandle hive, std::string_view path) {
    Key* root;
    if (hive == kHkeyLocalMachine) {
        root = localMachine_.get();
    } else if (hive == kHkeyCurrentUser) {
        root = currentUser_.get();
    } else if (hive == kHkeyClassesRoot) {
        std::vector<std::string_view> parts;
        if (SplitKeyPath(path, &parts) != kErrorSuccess) return nullptr;
        root = ClassesKey(true);
    } else {
        return nullptr;
    }
    long error;
    return Walk(root, path, true, &error);
}

void MemoryRegistry::PutValue(Key* key, std::string_view name, std::uint32_t type, std::string_view data) {
    std::string folded = ToLower(name);
    std::size_t pos = key->ValuePosition(folded);
    if (pos < key->values_.size()) {
        Value& v = key->values_[pos];
        if (v.type == type && v.data == data) return;
        v.type = type;
        v.data.assign(data.data(), data.size());
        Touch();
        return;
    }
    Value v;
    v.name = std::string(name);
    v.folded = folded;
    v.type = type;
    v.data.assign(data.data(), data.size());
    key->values_.push_back(std::move(v));
    if (key->values_.size() > kValueIndexThreshold) {
        if (key->valueIndex_.empty()) {
            key->RebuildValueIndex();
        } else {
            key->valueIndex_.emplace(std::move(folded), key->values_.size() - 1);
        }
    }
    Touch();
}

bool MemoryRegistry::RemoveValue(Key* key, std::string_view name) {
    std::size_t pos = key->ValuePosition(ToLower(name));
    if (pos >= key->values_.size()) return false;
    key->values_.erase(key->values_.begin() + static_cast<std::ptrdiff_t>(pos));
    key->RebuildValueIndex();
    Touch();
    return true;
}

bool MemoryRegistry::RemoveTree(RegHandle hive, std::string_view path) {
    Key* key = const_cast<Key*>(FindKey(hive, path));
    if (!key || !key->parent_) return false;
    Unlink(key);
    Touch();
    return true;
}

void MemoryRegistry::Clear() {
    for (auto* root : {&localMachine_, &currentUser_}) {
        auto fresh = std::make_shared<Key>();
        fresh->name_ = (*root)->name_;
        if (!(*root)->subkeys_.empty() || !(*root)->values_.empty()) Touch();
        MarkDeleted(**root);
        *root = std::move(fresh);
    }
}

// --- Conveniences ------------------------------------------------------

void MemoryRegistry::SetString(RegHandle hive, std::string_view path, std::string_view name, std::string_view value,
                               std::uint32_t type) {
    std::string data(value);
    data.push_back('\0');
    SetRaw(hive, path, name, type, data);
}

bool MemoryRegistry::GetString(RegHandle hive, std::string_view path, std::string_view name, std::string* value) const {
    std::uint32_t type;
    std::string data;
    if (!GetRaw(hive, path, name, &type, &data)) return false;
    if (!data.empty() && data.back() == '\0') data.pop_back();
    if (value) *value = std::move(data);
    return true;
}

void MemoryRegistry::SetDword(RegHandle hive, std::string_view path, std::string_view name, std::uint32_t value) {
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    SetRaw(hive, path, name, kRegDword, std::string_view(bytes, 4));
}

bool MemoryRegistry::GetDword(RegHandle hive, std::string_view path, std::string_view name,
                              std::uint32_t* value) const {
    std::uint32_t type;
    std::string data;
    if (!GetRaw(hive, path, name, &type, &data) || type != kRegDword || data.size() != 4) return false;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
    if (value) *value = v;
    return true;
}

void MemoryRegistry::SetRaw(RegHandle hive, std::string_view path, std::string_view name, std::uint32_t type,
                            std::string_view data) {
    Key* key = CreatePath(hive, path);
    if (key) PutValue(key, name, type, data);
}

bool MemoryRegistry::GetRaw(RegHandle hive, std::string_view path, std::string_view name, std::uint32_t* type,
                            std::string* data) const {
    const Key* key = FindKey(hive, path);
    if (!key) return false;
    const Value* v = key->FindValue(ToLower(name));
    if (!v) return false;
    if (type) *type = v->type;
    if (data) *data = v->data;
    return true;
}

bool MemoryRegistry::KeyExists(RegHandle hive, std::string_view path) const {
    return FindKey(hive, path) != nullptr;
}

bool MemoryRegistry::ValueExists(RegHandle hive, std::string_view path, std::string_view name) const {
    return GetRaw(hive, path, name, nullptr, nullptr);
}

std::vector<std::string> MemoryRegistry::SubkeyNames(RegHandle hive, std::string_view path) const {
    std::vector<std::string> names;
    if (const Key* key = FindKey(hive, path)) {
        for (const Key* sub : key->subkeys_) names.push_back(sub->name_);
    }
    return names;
}

std::vector<std::string> MemoryRegistry::ValueNames(RegHandle hive, std::string_view path) const {
    std::vector<std::string> names;
    if (const Key* key = FindKey(hive, path)) {
        for (const auto& v : key->values_) names.push_back(v.name);
    }
    return names;
}

}  // namespace comp_mgr

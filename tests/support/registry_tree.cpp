#include "support/registry_tree.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace comp_mgr {
namespace testing_support {
namespace {

long Set(Registry& registry, RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) {
    return registry.SetValue(key, name.c_str(), type, reinterpret_cast<const std::uint8_t*>(data.data()),
                             static_cast<std::uint32_t>(data.size()));
}

std::string Bytes(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed) & 0xFF);
    return s;
}

std::string Summary(const std::string& data) {
    std::uint32_t sum = 2166136261u;
    for (unsigned char c : data) sum = (sum ^ c) * 16777619u;
    char text[64];
    std::snprintf(text, sizeof text, "%zu bytes #%08X", data.size(), static_cast<unsigned>(sum));
    return data.size() <= 24 ? text + std::string(" '") + data + "'" : std::string(text);
}

}  // namespace

bool BuildRichTree(Registry& registry, RegHandle root, const std::string& path, const RichTreeShape& shape) {
    bool ok = true;
    auto make = [&](const std::string& relative) {
        RegHandle key = 0;
        const std::string full = relative.empty() ? path : path + "\\" + relative;
        if (registry.CreateKey(root, full, kKeyAllAccess, &key) != kErrorSuccess) {
            ok = false;
            return RegHandle{0};
        }
        return key;
    };
    auto set = [&](RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) {
        if (!key || Set(registry, key, name, type, data) != kErrorSuccess) ok = false;
    };
    RegHandle top = make("");
    set(top, "", kRegSz, std::string("class of the tree") + '\0');
    set(top, "AppID", kRegSz, std::string("{11111111-2222-3333-4444-555555555555}") + '\0');
    RegHandle server = make("InprocServer32");
    set(server, "", kRegExpandSz, std::string("%SystemRoot%\\system32\\x.dll") + '\0');
    set(server, "ThreadingModel", kRegSz, std::string("Apartment") + '\0');
    RegHandle types = make("Types\\All");
    set(types, "Number", kRegDword, std::string("\x2A\x00\x00\x80", 4));
    set(types, "Wide", 11u /* REG_QWORD */, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
    set(types, "Blob", kRegBinary, Bytes(7, 3));
    set(types, "EmptyBlob", kRegBinary, std::string());
    set(types, "List", kRegMultiSz, std::string("one\0two\0\0", 9));
    set(types, "Nothing", kRegNone, std::string("\x00\x01", 2));
    set(types, "Unterminated", kRegSz, std::string("no end"));
    set(types, "Odd", 0x12345u, std::string("?"));
    set(types, "Over260", kRegBinary, Bytes(261, 9));
    set(types, "Big", kRegBinary, Bytes(shape.bigValueBytes, 5));
    set(types, "LongText", kRegSz, std::string(600, 'T') + '\0');
    set(types, std::string(300, 'N'), kRegSz, std::string("long name") + '\0');
    set(types, "After", kRegDword, std::string("\x01\x00\x00\x00", 4));
    RegHandle empty = make("Empty");
    RegHandle deeper = make("Empty\\Deeper");
    std::string chain = "Deep";
    for (std::size_t level = 1; level < shape.deepLevels; ++level) chain += "\\L" + std::to_string(level);
    RegHandle bottom = make(chain);
    set(bottom, "Bottom", kRegSz, std::string("the last level") + '\0');
    RegHandle after = make("ZLast");
    set(after, "", kRegSz, std::string("after the big ones") + '\0');
    for (RegHandle key : {top, server, types, empty, deeper, bottom, after})
        if (key) registry.CloseKey(key);
    return ok;
}

std::string DumpTree(Registry& registry, RegHandle root, const std::string& path) {
    std::string dump;
    std::vector<std::pair<std::string, RegHandle>> pending;
    RegHandle top = 0;
    if (registry.OpenKey(root, path, kKeyRead, &top) != kErrorSuccess) return "<missing>";
    pending.emplace_back("", top);
    while (!pending.empty()) {
        auto [relative, key] = pending.back();
        pending.pop_back();
        dump += "[" + relative + "]\n";
        std::vector<char> name(32768);
        for (std::uint32_t i = 0;; ++i) {
            auto nameSize = static_cast<std::uint32_t>(name.size());
            std::uint32_t type = 0;
            std::uint32_t size = 0;
            if (registry.EnumValue(key, i, name.data(), &nameSize, &type, nullptr, &size) != kErrorSuccess) break;
            std::string valueName(name.data(), nameSize);
            std::string data(size, '\0');
            std::uint32_t got = size;
            registry.QueryValue(key, valueName.c_str(), &type, reinterpret_cast<std::uint8_t*>(&data[0]), &got);
            data.resize(got);
            dump += "  " +
                    (valueName.size() > 40 ? std::to_string(valueName.size()) + " chars" : "\"" + valueName + "\"") +
                    " type " + std::to_string(type) + " " + Summary(data) + "\n";
        }
        std::vector<std::string> subkeys;
        for (std::uint32_t i = 0;; ++i) {
            auto nameSize = static_cast<std::uint32_t>(name.size());
            if (registry.EnumKey(key, i, name.data(), &nameSize) != kErrorSuccess) break;
            subkeys.emplace_back(name.data(), nameSize);
        }
        for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it) {
            RegHandle child = 0;
            const std::string childPath = relative.empty() ? *it : relative + "\\" + *it;
            if (registry.OpenKey(key, *it, kKeyRead, &child) == kErrorSuccess) {
                pending.emplace_back(childPath, child);
            } else {
                dump += "[" + childPath + "] <cannot open>\n";
            }
        }
        registry.CloseKey(key);
    }
    return dump;
}

}  // namespace testing_support
}  // namespace comp_mgr

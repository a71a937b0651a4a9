#include "version_resource.h"

namespace comp_mgr {
namespace testing_support {
namespace {

void PutWord(std::string* out, std::uint32_t word) {
    out->push_back(static_cast<char>(word & 0xFF));
    out->push_back(static_cast<char>((word >> 8) & 0xFF));
}

void Pad4(std::string* out) {
    while (out->size() % 4 != 0) out->push_back('\0');
}

std::string Utf16Bytes(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) PutWord(&bytes, unit);
    return bytes;
}

}  // namespace

std::string Encode(const VersionNode& node) {
    std::string out(6, '\0');
    out += Utf16Bytes(node.key);
    PutWord(&out, 0);
    Pad4(&out);
    out += node.value;
    for (const VersionNode& child : node.children) {
        Pad4(&out);
        out += Encode(child);
    }
    std::string head;
    PutWord(&head, node.length.value_or(static_cast<std::uint16_t>(out.size())));
    const std::size_t units = node.text ? node.value.size() / 2 : node.value.size();
    PutWord(&head, node.valueLength.value_or(static_cast<std::uint16_t>(units)));
    PutWord(&head, node.text ? 1 : 0);
    out.replace(0, 6, head);
    Pad4(&out);
    return out;
}

VersionNode TextValue(std::u16string key, std::u16string text, bool terminated) {
    VersionNode node;
    node.key = std::move(key);
    node.text = true;
    if (terminated) text.push_back(u'\0');
    node.value = Utf16Bytes(text);
    return node;
}

std::vector<VersionNode> EightValues(const std::u16string& what) {
    std::vector<VersionNode> values;
    for (const char16_t* name : {u"CompanyName", u"FileDescription", u"FileVersion", u"InternalName", u"LegalCopyright",
                                 u"OriginalFilename", u"ProductName", u"ProductVersion"}) {
        values.push_back(TextValue(name, std::u16string(name) + u" of " + what));
    }
    return values;
}

std::string FixedInfo(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
    std::string info;
    const std::uint32_t words[] = {0xFEEF04BDu,
                                   0x00010000u,
                                   (std::uint32_t{a} << 16) | b,
                                   (std::uint32_t{c} << 16) | d,
                                   (std::uint32_t{a} << 16) | b,
                                   (std::uint32_t{c} << 16) | d,
                                   0x3Fu,
                                   0u,
                                   0x40004u,
                                   2u,
                                   0u,
                                   0u,
                                   0u};
    for (std::uint32_t word : words) {
        PutWord(&info, word & 0xFFFF);
        PutWord(&info, word >> 16);
    }
    return info;
}

VersionNode VersionRoot(std::vector<std::pair<std::u16string, std::vector<VersionNode>>> tables,
                        std::optional<std::vector<std::uint16_t>> translationWords) {
    VersionNode root;
    root.key = u"VS_VERSION_INFO";
    root.value = FixedInfo(1, 2, 3, 4);
    VersionNode strings;
    strings.key = u"StringFileInfo";
    strings.text = true;
    for (auto& table : tables) {
        VersionNode node;
        node.key = table.first;
        node.text = true;
        node.children = std::move(table.second);
        strings.children.push_back(std::move(node));
    }
    root.children.push_back(std::move(strings));
    if (translationWords) {
        VersionNode var;
        var.key = u"VarFileInfo";
        var.text = true;
        VersionNode translation;
        translation.key = u"Translation";
        for (std::uint16_t word : *translationWords) PutWord(&translation.value, word);
        var.children.push_back(std::move(translation));
        root.children.push_back(std::move(var));
    }
    return root;
}

std::string StandardVersionResource() {
    return Encode(VersionRoot({{u"040904B0", EightValues(u"040904B0")}}, std::vector<std::uint16_t>{0x0409, 0x04B0}));
}

}  // namespace testing_support
}  // namespace comp_mgr

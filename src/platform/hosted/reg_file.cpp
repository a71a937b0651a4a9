#include "platform/hosted/reg_file.h"

#include <cstdint>
#include <vector>

namespace comp_mgr {
namespace {

constexpr const char* kHeader = "REGEDIT4";
constexpr const char* kNewline = "\r\n";
// regedit breaks hex data once a line reaches this many characters.
constexpr std::size_t kHexLineLimit = 77;
// Windows refuses keys deeper than this below a hive's root.
constexpr std::size_t kMaxKeyDepth = 512;
// See AppendTree.
constexpr std::size_t kListedParentDepth = 32;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool EqualsAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsAscii(s.substr(0, prefix.size()), prefix);
}

// 1 to 8 hex digits.
bool ParseHex32(std::string_view s, std::uint32_t* value) {
    s = TrimBlanks(s);
    if (s.empty() || s.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return false;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    *value = v;
    return true;
}

// "01,02,ff": bytes of one or two hex digits separated by commas; a trailing
// comma (left by a broken continuation) is tolerated.
bool ParseHexBytes(std::string_view s, std::string* out) {
    out->clear();
    s = TrimBlanks(s);
    if (s.empty()) return true;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t comma = s.find(',', start);
        std::string_view item =
            TrimBlanks(s.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (item.empty()) {
            if (comma == std::string_view::npos && start > 0) return true;  // trailing comma
            return false;
        }
        if (item.size() > 2) return false;
        int v = 0;
        for (char c : item) {
            int d = HexDigit(c);
            if (d < 0) return false;
            v = v * 16 + d;
        }
        out->push_back(static_cast<char>(v));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return true;
}

// A quoted string starting at s[*pos] == '"'; on success *pos is past the
// closing quote. Unknown escapes are kept as written.
bool ParseQuoted(std::string_view s, std::size_t* pos, std::string* out) {
    out->clear();
    std::size_t i = *pos + 1;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < s.size()) {
            char n = s[i + 1];
            switch (n) {
                case '\\':
                    out->push_back('\\');
                    break;
                case '"':
                    out->push_back('"');
                    break;
                case 'n':
                    out->push_back('\n');
                    break;
                case 'r':
                    out->push_back('\r');
                    break;
                case '0':
                    out->push_back('\0');
                    break;
                default:
                    out->push_back('\\');
                    out->push_back(n);
                    break;
            }
            i += 2;
            continue;
        }
        out->push_back(c);
        ++i;
    }
    return false;
}

void AppendQuoted(std::string* out, std::string_view text) {
    out->push_back('"');
    for (char c : text) {
        switch (c) {
            case '\\':
                out->append("\\\\");
                break;
            case '"':
                out->append("\\\"");
                break;
            case '\n':
                out->append("\\n");
                break;
            case '\r':
                out->append("\\r");
                break;
            case '\0':
                out->append("\\0");
                break;
            default:
                out->push_back(c);
                break;
        }
    }
    out->push_back('"');
}

const char kHexChars[] = "0123456789abcdef";

void AppendHex32(std::string* out, std::uint32_t v, int minDigits) {
    char buf[8];
    int n = 0;
    do {
        buf[n++] = kHexChars[v & 0xF];
        v >>= 4;
    } while (v);
    while (n < minDigits) buf[n++] = '0';
    while (n) out->push_back(buf[--n]);
}

// A REG_SZ that "..." can carry: text, one terminator, nothing that breaks a line.
bool IsPlainString(std::string_view data) {
    if (data.empty() || data.back() != '\0') return false;
    data.remove_suffix(1);
    return data.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

void AppendValue(std::string* out, const MemoryRegistry::Value& v) {
    std::size_t lineStart = out->size();
    if (v.name.empty()) {
        out->push_back('@');
    } else {
        AppendQuoted(out, v.name);
    }
    out->push_back('=');
    if (v.type == kRegSz && IsPlainString(v.data)) {
        AppendQuoted(out, std::string_view(v.data).substr(0, v.data.size() - 1));
        out->append(kNewline);
        return;
    }
    if (v.type == kRegDword && v.data.size() == 4) {
        std::uint32_t d = 0;
        for (int i = 3; i >= 0; --i) d = (d << 8) | static_cast<unsigned char>(v.data[static_cast<std::size_t>(i)]);
        out->append("dword:");
        AppendHex32(out, d, 8);
        out->append(kNewline);
        return;
    }
    if (v.type == kRegBinary) {
        out->append("hex:");
    } else {
        out->append("hex(");
        AppendHex32(out, v.type, 1);
        out->append("):");
    }
    std::size_t lineLength = out->size() - lineStart;
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(v.data[i]);
        out->push_back(kHexChars[b >> 4]);
        out->push_back(kHexChars[b & 0xF]);
        if (i + 1 == v.data.size()) break;
        out->push_back(',');
        lineLength += 3;
        if (lineLength >= kHexLineLimit) {
            out->append("\\\r\n  ");
            lineLength = 2;
        }
    }
    out->append(kNewline);
}

void AppendKeySection(std::string* out, const std::string& path, const MemoryRegistry::Key& key) {
    out->push_back('[');
    out->append(path);
    out->push_back(']');
    out->append(kNewline);
    for (const auto& v : key.values()) AppendValue(out, v);
    out->append(kNewline);
}

// Every key below `root` depth first, without recursion (a chain of keys may
// be far deeper than the stack). Regedit lists every key, parents included; a
// key without values whose subkeys imply it is listed only down to
// kListedParentDepth, so that a deep chain is written once and not once per
// level: the written size stays linear in the size of what was read.
void AppendTree(std::string* out, std::string path, const MemoryRegistry::Key& root) {
    struct Frame {
        const MemoryRegistry::Key* key;
        std::size_t next;
        std::size_t pathLength;
    };
    if (!root.values().empty()) AppendKeySection(out, path, root);
    std::vector<Frame> stack{Frame{&root, 0, path.size()}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.key->subkeyCount()) {
            stack.pop_back();
            continue;
        }
        const MemoryRegistry::Key& sub = top.key->subkey(top.next++);
        path.resize(top.pathLength);
        path.push_back('\\');
        path.append(sub.name());
        const std::size_t depth = stack.size();
        if (!sub.values().empty() || sub.subkeyCount() == 0 || depth <= kListedParentDepth) {
            AppendKeySection(out, path, sub);
        }
        stack.push_back(Frame{&sub, 0, path.size()});
    }
}

// The number of levels of a key path below its hive ("A\B" is 2); a single
// trailing backslash does not count.
std::size_t KeyDepth(std::string_view path) {
    if (path.empty()) return 0;
    if (path.back() == '\\') path.remove_suffix(1);
    std::size_t depth = 1;
    for (char c : path) depth += c == '\\' ? 1 : 0;
    return depth;
}

class Reader {
public:
    Reader(MemoryRegistry& registry, const RegFileWarning& warn) : registry_(registry), warn_(warn) {}

    std::size_t Run(std::string_view text) {
        if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        std::size_t pos = 0;
        bool sawHeader = false;
        while (NextLine(text, &pos)) {
            std::string_view line = TrimBlanks(line_);
            if (line.empty() || line.front() == ';') continue;
            if (!sawHeader) {
                sawHeader = true;
                if (line == kHeader || line == "Windows Registry Editor Version 5.00") continue;
                Warn("no REGEDIT4 header; reading on");
            }
            if (line.front() == '[') {
                KeyLine(line);
                continue;
            }
            std::string joined;
            // Hex data may go on over lines ending in a backslash.
            if (line.back() == '\\' && IsHexValue(line)) {
                joined.assign(line.substr(0, line.size() - 1));
                std::size_t save = pos;
                while (NextLine(text, &pos)) {
                    std::string_view more = TrimBlanks(line_);
                    if (more.empty() || HexDigit(more.front()) < 0) {
                        pos = save;  // not a continuation: read it as a line of its own
                        break;
                    }
                    if (more.back() == '\\') {
                        joined.append(more.substr(0, more.size() - 1));
                        save = pos;
                        continue;
                    }
                    joined.append(more);
                    break;
                }
                line = joined;
            }
            ValueLine(line);
        }
        if (tooDeep_ > 0) {
            // Once per file: a generated file may hold any number of them.
            WarnAt(firstTooDeepLine_, "skipped " + std::to_string(tooDeep_) + " key(s) deeper than " +
                                          std::to_string(kMaxKeyDepth) +
                                          " levels, with their values; the first: " + firstTooDeep_);
        }
        return skipped_;
    }

private:
    bool NextLine(std::string_view text, std::size_t* pos) {
        if (*pos >= text.size()) return false;
        std::size_t end = text.find('\n', *pos);
        if (end == std::string_view::npos) end = text.size();
        line_ = text.substr(*pos, end - *pos);
        if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
        *pos = end + 1;
        ++lineNumber_;
        return true;
    }

    static bool IsHexValue(std::string_view line) {
        std::size_t eq = line.rfind('=');  // hex data holds no '='
        if (eq == std::string_view::npos) return false;
        std::string_view rest = TrimBlanks(line.substr(eq + 1));
        return StartsWithNoCase(rest, "hex");
    }

    void Warn(const std::string& message) { WarnAt(lineNumber_, message); }

    void WarnAt(std::size_t line, const std::string& message) {
        if (warn_) warn_(line, message);
    }

    void Skip(const std::string& why) {
        ++skipped_;
        std::string shown(line_.substr(0, 80));
        Warn(why + ": " + shown);
    }

    void KeyLine(std::string_view line) {
        current_ = nullptr;
        inTooDeepKey_ = false;
        std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || TrimBlanks(line.substr(close + 1)).size() != 0) {
            Skip("skipped malformed key line");
            return;
        }
        std::string_view path = line.substr(1, close - 1);
        bool remove = !path.empty() && path.front() == '-';
        if (remove) path.remove_prefix(1);
        std::size_t slash = path.find('\\');
        std::string_view hiveName = path.substr(0, slash);
        std::string_view rest = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        RegHandle hive;
        if (EqualsAscii(hiveName, "HKEY_LOCAL_MACHINE") || EqualsAscii(hiveName, "HKLM")) {
            hive = kHkeyLocalMachine;
        } else if (EqualsAscii(hiveName, "HKEY_CURRENT_USER") || EqualsAscii(hiveName, "HKCU")) {
            hive = kHkeyCurrentUser;
        } else if (EqualsAscii(hiveName, "HKEY_CLASSES_ROOT") || EqualsAscii(hiveName, "HKCR")) {
            hive = kHkeyClassesRoot;
        } else {
            Skip("skipped key of an unknown hive");
            return;
        }
        if (remove) {
            if (rest.empty() && hive != kHkeyClassesRoot) {
                Skip("skipped removal of a whole hive");
                return;
            }
            if (rest.empty()) {
                registry_.RemoveTree(kHkeyLocalMachine, "SOFTWARE\\Classes");
            } else {
                registry_.RemoveTree(hive, rest);
            }
            return;
        }
        // The classes root is HKLM\SOFTWARE\Classes, two levels down.
        if (KeyDepth(rest) + (hive == kHkeyClassesRoot ? 2 : 0) > kMaxKeyDepth) {
            ++skipped_;
            inTooDeepKey_ = true;
            if (tooDeep_++ == 0) {
                firstTooDeepLine_ = lineNumber_;
                firstTooDeep_ = std::string(line_.substr(0, 80)) + (line_.size() > 80 ? "..." : "");
            }
            return;
        }
        current_ = registry_.CreatePath(hive, rest);
        if (!current_) Skip("skipped key with an invalid name");
    }

    void ValueLine(std::string_view line) {
        if (inTooDeepKey_) {
            ++skipped_;  // told about with its key
            return;
        }
        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (line.front() == '"') {
            if (!ParseQuoted(line, &pos, &name)) {
                Skip("skipped value with an unterminated name");
                return;
            }
        } else {
            Skip("skipped malformed line");
            return;
        }
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] != '=') {
            Skip("skipped value without '='");
            return;
        }
        std::string_view data = TrimBlanks(line.substr(pos + 1));
        std::uint32_t type = kRegSz;
        std::string bytes;
        bool deleteValue = false;
        if (data == "-") {
            deleteValue = true;
        } else if (!data.empty() && data.front() == '"') {
            std::size_t end = 0;
            if (!ParseQuoted(data, &end, &bytes) || end != data.size()) {
                Skip("skipped malformed string value");
                return;
            }
            bytes.push_back('\0');
        } else if (StartsWithNoCase(data, "dword:")) {
            std::uint32_t d;
            if (!ParseHex32(data.substr(6), &d)) {
                Skip("skipped malformed dword value");
                return;
            }
            type = kRegDword;
            for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((d >> (8 * i)) & 0xFF));
        } else if (StartsWithNoCase(data, "hex:")) {
            type = kRegBinary;
            if (!ParseHexBytes(data.substr(4), &bytes)) {
                Skip("skipped malformed hex value");
                return;
            }
        } else if (StartsWithNoCase(data, "hex(")) {
            std::size_t close = data.find("):");
            if (close == std::string_view::npos || !ParseHex32(data.substr(4, close - 4), &type) ||
                !ParseHexBytes(data.substr(close + 2), &bytes)) {
                Skip("skipped malformed hex value");
                return;
            }
        } else {
            Skip("skipped value of unknown form");
            return;
        }
        if (!current_) {
            Skip("skipped value outside a key");
            return;
        }
        if (deleteValue) {
            registry_.RemoveValue(current_, name);
            return;
        }
        registry_.PutValue(current_, name, type, bytes);
    }

    MemoryRegistry& registry_;
    const RegFileWarning& warn_;
    MemoryRegistry::Key* current_ = nullptr;
    std::string_view line_;
    std::size_t lineNumber_ = 0;
    std::size_t skipped_ = 0;
    bool inTooDeepKey_ = false;
    std::size_t tooDeep_ = 0;
    std::size_t firstTooDeepLine_ = 0;
    std::string firstTooDeep_;
};

}  // namespace

std::size_t ReadRegFile(std::string_view text, MemoryRegistry& registry, const RegFileWarning& warn) {
    Reader reader(registry, warn);
    return reader.Run(text);
}

std::string WriteRegFile(const MemoryRegistry& registry) {
    std::string out;
    out.reserve(4096);
    out.append(kHeader);
    out.append(kNewline);
    out.append(kNewline);
    AppendTree(&out, "HKEY_LOCAL_MACHINE", *registry.Root(kHkeyLocalMachine));
    AppendTree(&out, "HKEY_CURRENT_USER", *registry.Root(kHkeyCurrentUser));
    return out;
}

}  // namespace comp_mgr

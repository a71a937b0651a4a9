// The line grammar of vnt_Compdb.ini and VNTInstallEntry.ini.
//
// Lines end at LF, CR LF or a lone CR; a line is cut at its first NUL byte,
// as the C strings it ends up in would cut it. After trimming white space at
// both ends, a line is ignored when empty or starting with '#' or ';'; a line
// starting with '[' names a section (every '[' and ']' deleted, then
// trimmed); a line holding '=' is a property (key before the first '=',
// right-trimmed; value after it, left-trimmed); anything else is ignored.
#ifndef COMP_MGR_SUPPORT_INI_GRAMMAR_H
#define COMP_MGR_SUPPORT_INI_GRAMMAR_H

#include <cstring>
#include <string>
#include <string_view>

#include "support/text.h"

namespace comp_mgr {

// Calls onSection(std::string name) for each header and
// onProperty(std::string_view key, std::string_view value) for each property.
template <class OnSection, class OnProperty>
void ParseIni(std::string_view content, OnSection&& onSection, OnProperty&& onProperty) {
    std::size_t pos = 0;
    const std::size_t size = content.size();
    std::size_t nextLf = 0;  // the first LF at or after `pos` once searched, else size
    bool lfSearched = false;
    while (pos < size) {
        // The line ends at the first LF or CR, both found by memchr, which
        // reads many bytes at a step; the next LF is searched for again only
        // once passed, so a file of lone CRs is not read to its end per line.
        if (!lfSearched || nextLf < pos) {
            lfSearched = true;
            const void* lf = std::memchr(content.data() + pos, '\n', size - pos);
            nextLf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - content.data()) : size;
        }
        std::size_t end = nextLf;
        if (const void* cr = std::memchr(content.data() + pos, '\r', end - pos))
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - content.data());
        std::string_view raw = content.substr(pos, end - pos);
        pos = end;
        if (pos < size) {
            if (content[pos] == '\r' && pos + 1 < size && content[pos + 1] == '\n')
                pos += 2;
            else
                pos += 1;
        }
        const void* nul = std::memchr(raw.data(), '\0', raw.size());
        if (nul) raw = raw.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - raw.data()));
        std::string_view line = TrimView(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            std::string name;
            name.reserve(line.size());
            for (char c : line)
                if (c != '[' && c != ']') name.push_back(c);
            onSection(std::string(TrimView(name)));
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq);
        while (!key.empty() && IsWhite(key.back())) key.remove_suffix(1);
        std::string_view value = line.substr(eq + 1);
        while (!value.empty() && IsWhite(value.front())) value.remove_prefix(1);
        onProperty(key, value);
    }
}

}  // namespace comp_mgr

#endif

#include "services/records/catalog_copies.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "catalog/catalog_damage.h"
#include "support/ini_sections.h"
#include "support/path_parts.h"
#include "support/text.h"
#include "support/win_path.h"

namespace comp_mgr {

namespace {

// Counts the sections of a file while it streams by, so that listing large
// copies holds none of them whole. A section is a line whose first character
// past blanks is '['.
class SectionCounter : public ContentSink {
public:
    void Write(std::string_view piece) override {
        bytes += piece.size();
        for (char c : piece) {
            if (c == '\n' || c == '\r') {
                atStart_ = true;
            } else if (atStart_ && c != ' ' && c != '\t') {
                if (c == '[') ++sections;
                atStart_ = false;
            }
        }
    }
    std::uint64_t bytes = 0;
    int sections = 0;

private:
    bool atStart_ = true;
};

// What follows "vnt_Compdb." in the name of a copy the library keeps:
// "YYYYMMDD-HHMMSS[-n].ini" kept, "damaged-YYYYMMDD-HHMMSS[-n].ini" damaged.
const char* CopyKind(std::string_view rest) {
    if (rest.size() < 4 || !EqualsNoCase(std::string(rest.substr(rest.size() - 4)), ".ini")) return nullptr;
    const bool damaged = rest.size() > 8 && EqualsNoCase(std::string(rest.substr(0, 8)), "damaged-");
    if (damaged) rest.remove_prefix(8);
    // A date and a time of digits, as the library writes them.
    if (rest.size() < 19 || rest[8] != '-') return nullptr;
    for (std::size_t i = 0; i < 15; ++i)
        if (i != 8 && (rest[i] < '0' || rest[i] > '9')) return nullptr;
    return damaged ? "damaged" : "kept";
}

// Where a copy comes in the list: kept before damaged, then by time, then
// the copy without a number before "-2", "-3", ..., "-10" (by number), then
// by name for any other form.
struct CopyOrder {
    bool damaged = false;
    std::string stamp;
    std::uint64_t number = UINT64_MAX;
    std::string name;

    CopyOrder(std::string_view rest, std::string fileName) : name(std::move(fileName)) {
        damaged = rest.size() > 8 && EqualsNoCase(std::string(rest.substr(0, 8)), "damaged-");
        if (damaged) rest.remove_prefix(8);
        stamp = std::string(rest.substr(0, 15));
        std::string_view tail = rest.substr(15, rest.size() - 15 - 4);  // before ".ini"
        if (tail.empty()) {
            number = 0;
        } else if (tail.size() >= 2 && tail.size() <= 10 && tail[0] == '-') {
            std::uint64_t n = 0;
            bool digits = true;
            for (char c : tail.substr(1)) {
                digits = digits && c >= '0' && c <= '9';
                n = n * 10 + static_cast<std::uint64_t>(c - '0');
            }
            if (digits) number = n;
        }
    }
    bool operator<(const CopyOrder& other) const {
        return std::tie(damaged, stamp, number, name) < std::tie(other.damaged, other.stamp, other.number, other.name);
    }
};

}  // namespace

std::string CatalogCopies::Resolve(const std::string& file) const {
    const std::string& catalog = db_.iniPath();
    if (file.empty()) return WithExtension(catalog, "bak");
    if (file.find_first_of("\\/:") == std::string::npos) return WindowsFolderForJoin(catalog) + file;
    return file;
}

std::vector<CatalogCopy> CatalogCopies::List() {
    const std::string& catalog = db_.iniPath();
    std::vector<CatalogCopy> copies;
    const auto add = [&](const char* kind, const std::string& path) {
        SectionCounter counter;
        CatalogCopy copy{kind, path, 0, -1};
        if (platform_.files.ReadPieces(path, counter)) {
            copy.bytes = counter.bytes;
            copy.sections = counter.sections;
        }
        copies.push_back(std::move(copy));
    };
    if (platform_.files.Exists(catalog)) add("catalog", catalog);
    const std::string backup = WithExtension(catalog, "bak");
    if (platform_.files.Exists(backup)) add("backup", backup);

    const std::string stem = WithExtension(catalog, "");  // ends in "."
    const std::string stemName = stem.substr(WindowsFolderForJoin(catalog).size());
    std::vector<std::pair<CopyOrder, const char*>> others;
    for (const FoundFile& found : platform_.files.Find(stem + "*")) {
        if (found.isDirectory || found.name.size() <= stemName.size() ||
            !EqualsNoCase(found.name.substr(0, stemName.size()), stemName))
            continue;
        const std::string_view rest = std::string_view(found.name).substr(stemName.size());
        if (const char* kind = CopyKind(rest)) others.emplace_back(CopyOrder(rest, found.name), kind);
    }
    std::sort(others.begin(), others.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& other : others) add(other.second, WindowsFolderForJoin(catalog) + other.first.name);
    return copies;
}

bool CatalogCopies::Compare(const std::string& file, std::vector<SectionDifference>* differences, std::string* why) {
    differences->clear();
    const std::string path = Resolve(file);
    std::string copyText, catalogText;
    if (!platform_.files.ReadAll(path, &copyText)) {
        *why = path + " cannot be read";
        return false;
    }
    platform_.files.ReadAll(db_.iniPath(), &catalogText);  // a missing catalog is an empty one
    *differences = CompareIniSections(catalogText, copyText);
    return true;
}

bool CatalogCopies::Restore(const std::string& file, bool* changed, std::string* told) {
    *changed = false;
    const std::string& catalog = db_.iniPath();
    const std::string path = Resolve(file);
    if (EqualsNoCase(path, catalog)) {
        *told = path + " is the catalog itself";
        return false;
    }
    std::string content, current;
    if (!platform_.files.ReadAll(path, &content)) {
        *told = path + " cannot be read";
        return false;
    }
    if (!HoldsSectionHeader(content)) {
        *told = path + " holds no section; putting it back would empty the catalog";
        return false;
    }
    const bool hadCatalog = platform_.files.ReadAll(catalog, &current);
    if (hadCatalog && current == content) {
        *told = "the catalog " + catalog + " already equals " + path + "; nothing was changed";
        return true;
    }
    std::string kept;
    if (hadCatalog && !current.empty()) {
        kept = db_.FreeCopyName("");
        if (!platform_.files.Replace(kept, current, std::string())) {
            *told = "the catalog could not be kept aside as " + kept + " (" + platform_.files.LastFailure() +
                    "); nothing was changed";
            return false;
        }
    }
    if (!platform_.files.Replace(catalog, content, std::string())) {
        *told = catalog + " could not be replaced (" + platform_.files.LastFailure() + "); it is as it was" +
                (kept.empty() ? "" : ", and also kept as " + kept);
        return false;
    }
    *changed = true;
    *told = "put " + path + " back as the catalog " + catalog +
            (kept.empty() ? std::string() : "; the catalog it replaced was kept as " + kept) +
            "; this run saves nothing over it";
    return true;
}

std::string CopiesText(const std::vector<CatalogCopy>& copies) {
    std::string text;
    for (const CatalogCopy& c : copies)
        text += c.kind + "|" + c.path + "|" + std::to_string(c.bytes) + "|" + std::to_string(c.sections) + "\n";
    return text;
}

std::string DifferencesText(const std::vector<SectionDifference>& differences) {
    std::string text;
    for (const SectionDifference& d : differences)
        text += std::string(1, d.change) + "|" + d.section + "|" + d.keys + "\n";
    return text;
}

}  // namespace comp_mgr

// list, show, links: reading the catalog.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "catalog_text.h"
#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

using comp_mgr::CatalogEntry;

const std::vector<std::string> kListChoices = {"installations", "plugins"};
const std::vector<std::string> kStatusChoices = {"found", "new", "missing", "current"};
const std::vector<std::string> kSortChoices = {"section", "name", "version", "status"};
const std::vector<std::string> kFormatChoices = {"table", "tsv", "json"};

std::string ShortHex(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned int>(value));
    return text;
}

// "found,new 0x13": the bits that mean something for the kind, then all of them.
std::string StatusText(int kind, std::int32_t status) {
    std::string words;
    for (const auto& w : StatusWords(kind, status)) words += (words.empty() ? "" : ",") + w;
    return words.empty() ? ShortHex(status) : words + " " + ShortHex(status);
}

// The members of an entry in list (show and the raw calls' entries use the same keys).
void SetEntryHead(Json* j, int kind, const CatalogEntry& e) {
    (*j)["displayName"] = LibraryText(e.DisplayName);
    (*j)["version"] = SdkVersionText(e.SdkVersion);
    (*j)["status"] = e.Status;
    (*j)["statusWords"] = StatusWords(kind, e.Status);
    (*j)["location"] = LibraryText(e.ProgLocation);
}

bool CheckList(const Words& words, std::string* error) {
    std::size_t index = 0;
    if (words.empty() || WordIsOneOf(words[0], kListChoices, &index)) return true;
    *error = "list takes installations or plugins, not " + WordText(words[0]);
    return false;
}

struct ListRow {
    int kind;
    std::string section;
    CatalogEntry entry;
};

// --status: the meaning of the Status bits after the start-up. A plug-in's
// 0x01 is set by this run's registry scan (its server is registered), its
// 0x02 when this run created it; an installation's 0x01 makes it current.
bool HasStatus(const ListRow& row, const std::string& status) {
    const auto bits = static_cast<std::uint32_t>(row.entry.Status);
    if (status == "current") return row.kind == 0 && (bits & 0x01);
    if (row.kind != 1) return false;
    if (status == "found") return bits & 0x01;
    if (status == "new") return bits & 0x02;
    return !(bits & 0x01);  // missing: not found in the registry in this run
}

long SectionNumber(const std::string& section) {
    const std::size_t cut = section.rfind('_');
    return cut == std::string::npos ? 0 : std::strtol(section.c_str() + cut + 1, nullptr, 10);
}

void SortRows(std::vector<ListRow>* rows, const std::string& key) {
    auto less = [&key](const ListRow& a, const ListRow& b) {
        if (key == "name")
            return FoldCase(LibraryText(a.entry.DisplayName)) < FoldCase(LibraryText(b.entry.DisplayName));
        if (key == "version") return a.entry.SdkVersion < b.entry.SdkVersion;
        if (key == "status") return a.entry.Status < b.entry.Status;
        // section: installations first, each kind by its number
        if (a.kind != b.kind) return a.kind < b.kind;
        return SectionNumber(a.section) < SectionNumber(b.section);
    };
    std::stable_sort(rows->begin(), rows->end(), less);
}

std::string OptionValue(const CommandContext& context, const char* name) {
    const auto& options = context.options().commandOptions;
    const auto found = options.find(name);
    return found == options.end() ? std::string() : found->second;
}

Report RunList(const CommandContext& context, const Words& words) {
    std::vector<int> kinds = {0, 1};
    std::size_t choice = 0;
    if (!words.empty() && WordIsOneOf(words[0], kListChoices, &choice)) kinds = {static_cast<int>(choice)};
    const std::string pattern = OptionValue(context, "--name");
    const std::string status = OptionValue(context, "--status");
    const std::string sort = OptionValue(context, "--sort");
    const std::string format = OptionValue(context, "--format");

    std::vector<ListRow> rows;
    bool any = false;  // the catalog holds entries of the kinds asked for
    for (int kind : kinds) {
        const int count = context.Count(kind);
        for (int i = 0; i < count; ++i) {
            ListRow row{kind, std::string(), CatalogEntry()};
            if (!context.EntryAt(kind, i, &row.section, &row.entry)) continue;
            any = true;
            if (!pattern.empty() && !MatchesPattern(WordText(pattern), LibraryText(row.entry.DisplayName))) continue;
            if (!status.empty() && !HasStatus(row, status)) continue;
            rows.push_back(std::move(row));
        }
    }
    if (!sort.empty()) SortRows(&rows, sort);

    Report report;
    for (int kind : kinds) {
        Json items = Json::array();
        for (const auto& row : rows) {
            if (row.kind != kind) continue;
            Json item = {{"section", LibraryText(row.section)}};
            SetEntryHead(&item, kind, row.entry);
            items.push_back(std::move(item));
        }
        report.json[kListChoices[static_cast<std::size_t>(kind)]] = std::move(items);
    }
    std::vector<std::vector<std::string>> cells;
    for (const auto& row : rows) {
        cells.push_back({LibraryText(row.section), LibraryText(row.entry.DisplayName),
                         SdkVersionText(row.entry.SdkVersion), StatusText(row.kind, row.entry.Status),
                         LibraryText(row.entry.ProgLocation)});
    }
    const std::vector<std::string> headers = {"SECTION", "DISPLAY NAME", "VERSION", "STATUS", "LOCATION"};
    if (format == "tsv") {
        report.text = RenderTsv(headers, cells);
    } else if (!rows.empty()) {
        report.text = RenderTable(headers, cells);
    } else if (any) {
        report.text = "no entries match\n";
    } else {
        report.text = "the catalog holds no " +
                      std::string(kinds.size() == 1 ? kListChoices[static_cast<std::size_t>(kinds[0])] : "entries") +
                      "\n";
    }
    return report;
}

Report NoSuchSection(const std::string& word) {
    Report report;
    report.json["section"] = WordText(word);
    report.json["found"] = false;
    return std::move(report).Refuse("no such section: " + WordText(word));
}

Report RunShow(const CommandContext& context, const Words& words) {
    const SectionName named = ResolveSection(context, words[0], -1);
    if (!named.candidates.empty()) return AmbiguousName(words[0], named.candidates);
    const std::string& section = named.section;
    CatalogEntry e;
    if (!context.EntryOf(section, &e)) return NoSuchSection(section);
    const int kind = SectionKindOf(section);
    std::vector<std::pair<std::string, std::string>> lines = {
        {"section", LibraryText(section)},
        {"DisplayName", LibraryText(e.DisplayName)},
        {"ProgLocation", LibraryText(e.ProgLocation)},
        {"LastAccessDate", LibraryText(e.LastAccessDate)},
        {"Status", std::to_string(e.Status) + " (" + StatusText(kind, e.Status) + ")"},
        {"SdkVersion", SdkVersionText(e.SdkVersion)},
        {"CpuSupport", LibraryText(JoinList(e.CpuSupport, ","))},
        {"PlugInLst_GrpName", LibraryText(JoinList(e.PlugInLst_GrpName, ","))},
        {"GroupDescription", LibraryText(e.GroupDescription)},
        {"HelpFile", LibraryText(e.HelpFile)},
        {"Sku", LibraryText(e.Sku)},
    };
    Report report;
    Json& j = report.json;
    // The same keys as list, links and the raw calls' entries use.
    j["section"] = LibraryText(section);
    j["found"] = true;
    j["displayName"] = LibraryText(e.DisplayName);
    j["location"] = LibraryText(e.ProgLocation);
    j["lastAccessDate"] = LibraryText(e.LastAccessDate);
    j["status"] = e.Status;
    j["statusWords"] = StatusWords(kind, e.Status);
    j["version"] = SdkVersionText(e.SdkVersion);
    j["cpuSupport"] = LibraryTexts(e.CpuSupport);
    // An installation's list holds its linked plug-ins, a plug-in's its groups.
    j["plugInList"] = LibraryTexts(e.PlugInLst_GrpName);
    j["groupDescription"] = LibraryText(e.GroupDescription);
    j["helpFile"] = LibraryText(e.HelpFile);
    j["sku"] = LibraryText(e.Sku);
    Json extras = Json::array();
    for (const auto& p : e.extraProperties) {
        lines.emplace_back("extra " + LibraryText(p.key()), LibraryText(p.value()));
        extras.push_back({{"key", LibraryText(p.key())}, {"value", LibraryText(p.value())}});
    }
    j["extraProperties"] = std::move(extras);
    report.text = RenderKeyValues(lines);
    return report;
}

Report RunLinks(const CommandContext& context, const Words& words) {
    const SectionName named = ResolveSection(context, words[0], -1);
    if (!named.candidates.empty()) return AmbiguousName(words[0], named.candidates);
    const std::string& section = named.section;
    CatalogEntry installation;
    if (!context.EntryOf(section, &installation)) return NoSuchSection(section);
    Report report;
    report.json["section"] = LibraryText(section);
    report.json["found"] = true;
    if (SectionKindOf(section) != 0) {
        report.json["installation"] = false;
        return std::move(report).Refuse("not an installation: " + LibraryText(section));
    }
    Json items = Json::array();
    std::vector<std::vector<std::string>> rows;
    for (const auto& name : installation.PlugInLst_GrpName) {
        CatalogEntry plugIn;
        Json item = {{"section", LibraryText(name)}};
        if (context.EntryOf(name, &plugIn)) {
            const std::string version = SdkVersionText(plugIn.SdkVersion);
            rows.push_back({LibraryText(name), LibraryText(plugIn.DisplayName), version});
            item["found"] = true;
            item["displayName"] = LibraryText(plugIn.DisplayName);
            item["version"] = version;
        } else {
            rows.push_back({LibraryText(name), "(not in the catalog)", ""});
            item["found"] = false;
        }
        items.push_back(std::move(item));
    }
    report.json["plugins"] = std::move(items);
    report.text = rows.empty() ? "no plug-ins linked to " + LibraryText(section) + "\n"
                               : RenderTable({"SECTION", "DISPLAY NAME", "VERSION"}, rows);
    return report;
}

}  // namespace

void AddCatalogCommands(std::vector<PeopleCommand>* c) {
    // What each needs; naming entries by display name or path also lists the
    // catalog, but without those exports the name goes to the library as it is.
    const std::vector<const char*> byIndex = {"iGetCatalogCount", "bGetCatalogByNdx"};
    const std::vector<const char*> byKey = {"bGetCatalogByKey"};
    c->push_back({"list",
                  "[installations|plugins]",
                  0,
                  1,
                  CheckList,
                  RunList,
                  "section, display name, version, status, location",
                  "Lists the catalog's entries, installations first, in the catalog's order.\n"
                  "--status: found = a plug-in whose server the registry scan of this run found\n"
                  "(status bit 0x01); new = a plug-in created in this run (0x02); missing = a\n"
                  "plug-in the scan did not find (no 0x01); current = the current installation\n"
                  "(0x01 of an installation). --name matches the display name, * any run of\n"
                  "characters, ? one, without regard to letter case.",
                  {{"--name", "PATTERN", "only entries whose display name matches", {}},
                   {"--status", "STATUS", "only entries of this status", kStatusChoices},
                   {"--sort", "KEY", "order by this key instead of the catalog's order", kSortChoices},
                   {"--format", "FORMAT", "table (the default), tsv, or json (as --json)", kFormatChoices}},
                  byIndex});
    const char* const kNamed = "SECTION is a section name (any letter case), a display name or a program path.";
    c->push_back({"show", "SECTION", 1, 1, nullptr, RunShow, "every field of one entry", kNamed, {}, byKey});
    c->push_back(
        {"links", "SECTION", 1, 1, nullptr, RunLinks, "the plug-ins linked to an installation", kNamed, {}, byKey});
}

}  // namespace comp_mgr_tool

// list, show, links: reading the catalog.
#include <cstdio>

#include "catalog_text.h"
#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

using comp_mgr::CatalogEntry;

const std::vector<std::string> kListChoices = {"installations", "plugins"};

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

Json WordsJson(const std::vector<std::string>& words) {
    Json array = Json::Array();
    for (const auto& w : words) array.Push(w);
    return array;
}

Json ListJson(const comp_mgr::StringList& list) {
    Json array = Json::Array();
    for (const auto& item : list) array.Push(item);
    return array;
}

bool CheckList(const Words& words, std::string* error) {
    std::size_t index = 0;
    if (words.empty() || WordIsOneOf(words[0], kListChoices, &index)) return true;
    *error = "list takes installations or plugins, not " + words[0];
    return false;
}

Report RunList(const CommandContext& context, const Words& words) {
    std::vector<int> kinds = {0, 1};
    std::size_t choice = 0;
    if (!words.empty() && WordIsOneOf(words[0], kListChoices, &choice)) kinds = {static_cast<int>(choice)};
    Report report;
    std::vector<std::vector<std::string>> rows;
    for (int kind : kinds) {
        Json items = Json::Array();
        const int count = context.Count(kind);
        for (int i = 0; i < count; ++i) {
            std::string section;
            CatalogEntry entry;
            if (!context.EntryAt(kind, i, &section, &entry)) continue;
            const std::string version = SdkVersionText(entry.SdkVersion);
            rows.push_back({section, entry.DisplayName, version, StatusText(kind, entry.Status), entry.ProgLocation});
            Json item = Json::Object();
            item.Set("section", section);
            item.Set("displayName", entry.DisplayName);
            item.Set("version", version);
            item.Set("status", entry.Status);
            item.Set("statusWords", WordsJson(StatusWords(kind, entry.Status)));
            item.Set("location", entry.ProgLocation);
            items.Push(std::move(item));
        }
        report.json.Set(kListChoices[static_cast<std::size_t>(kind)], std::move(items));
    }
    if (rows.empty()) {
        report.text = "the catalog holds no " +
                      std::string(kinds.size() == 1 ? kListChoices[static_cast<std::size_t>(kinds[0])] : "entries") +
                      "\n";
    } else {
        report.text = RenderTable({"SECTION", "DISPLAY NAME", "VERSION", "STATUS", "LOCATION"}, rows);
    }
    return report;
}

Report NoSuchSection(const std::string& section) {
    Report report;
    report.json.Set("section", section);
    report.json.Set("found", false);
    return std::move(report).Refuse("no such section: " + section);
}

Report RunShow(const CommandContext& context, const Words& words) {
    const std::string& section = words[0];
    CatalogEntry e;
    if (!context.EntryOf(section, &e)) return NoSuchSection(section);
    const int kind = SectionKindOf(section);
    std::vector<std::pair<std::string, std::string>> lines = {
        {"section", section},
        {"DisplayName", e.DisplayName},
        {"ProgLocation", e.ProgLocation},
        {"LastAccessDate", e.LastAccessDate},
        {"Status", std::to_string(e.Status) + " (" + StatusText(kind, e.Status) + ")"},
        {"SdkVersion", SdkVersionText(e.SdkVersion)},
        {"CpuSupport", JoinList(e.CpuSupport, ",")},
        {"PlugInLst_GrpName", JoinList(e.PlugInLst_GrpName, ",")},
        {"GroupDescription", e.GroupDescription},
        {"HelpFile", e.HelpFile},
        {"Sku", e.Sku},
    };
    Report report;
    Json& j = report.json;
    // The same keys as list and links use for the same things.
    j.Set("section", section);
    j.Set("found", true);
    j.Set("displayName", e.DisplayName);
    j.Set("location", e.ProgLocation);
    j.Set("lastAccessDate", e.LastAccessDate);
    j.Set("status", e.Status);
    j.Set("statusWords", WordsJson(StatusWords(kind, e.Status)));
    j.Set("version", SdkVersionText(e.SdkVersion));
    j.Set("cpuSupport", ListJson(e.CpuSupport));
    // An installation's list holds its linked plug-ins, a plug-in's its groups.
    j.Set("plugInList", ListJson(e.PlugInLst_GrpName));
    j.Set("groupDescription", e.GroupDescription);
    j.Set("helpFile", e.HelpFile);
    j.Set("sku", e.Sku);
    Json extras = Json::Array();
    for (const auto& p : e.extraProperties) {
        lines.emplace_back("extra " + p.key(), p.value());
        Json pair = Json::Object();
        pair.Set("key", p.key());
        pair.Set("value", p.value());
        extras.Push(std::move(pair));
    }
    j.Set("extraProperties", std::move(extras));
    report.text = RenderKeyValues(lines);
    return report;
}

Report RunLinks(const CommandContext& context, const Words& words) {
    const std::string& section = words[0];
    CatalogEntry installation;
    if (!context.EntryOf(section, &installation)) return NoSuchSection(section);
    Report report;
    report.json.Set("section", section);
    report.json.Set("found", true);
    if (SectionKindOf(section) != 0) {
        report.json.Set("installation", false);
        return std::move(report).Refuse("not an installation: " + section);
    }
    Json items = Json::Array();
    std::vector<std::vector<std::string>> rows;
    for (const auto& name : installation.PlugInLst_GrpName) {
        CatalogEntry plugIn;
        Json item = Json::Object();
        item.Set("section", name);
        if (context.EntryOf(name, &plugIn)) {
            const std::string version = SdkVersionText(plugIn.SdkVersion);
            rows.push_back({name, plugIn.DisplayName, version});
            item.Set("found", true);
            item.Set("displayName", plugIn.DisplayName);
            item.Set("version", version);
        } else {
            rows.push_back({name, "(not in the catalog)", ""});
            item.Set("found", false);
        }
        items.Push(std::move(item));
    }
    report.json.Set("plugins", std::move(items));
    report.text = rows.empty() ? "no plug-ins linked to " + section + "\n"
                               : RenderTable({"SECTION", "DISPLAY NAME", "VERSION"}, rows);
    return report;
}

}  // namespace

void AddCatalogCommands(std::vector<PeopleCommand>* c) {
    c->push_back({"list", "[installations|plugins]", 0, 1, CheckList, RunList});
    c->push_back({"show", "SECTION", 1, 1, nullptr, RunShow});
    c->push_back({"links", "SECTION", 1, 1, nullptr, RunLinks});
}

}  // namespace comp_mgr_tool

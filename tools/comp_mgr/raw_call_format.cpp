#include "raw_call_format.h"

#include <cstdint>

#include "catalog_text.h"

namespace comp_mgr_tool {

std::string FormatBufferText(const std::string& bytes, const std::string& suffix) {
    std::string out = "text" + suffix + "=\"";
    bool terminated = false;
    for (char c : bytes) {
        if (c == '\0') {
            terminated = true;
            break;
        }
        if (c == '"') out += '"';
        out += c;
    }
    out += "\" nul" + suffix + "=" + (terminated ? "yes" : "no");
    return out;
}

std::string FormatCallLine(const ExportInfo& exported, int result, const std::vector<ObservedOutput>& outputs) {
    std::string line = exported.name + " -> " + (exported.returnsVoid ? std::string("-") : std::to_string(result));
    int pairs = 0;
    for (ParamKind kind : exported.params) pairs += kind == ParamKind::Size ? 1 : 0;
    int pair = 0;
    std::size_t outIndex = 0;
    for (std::size_t i = 0; i < exported.params.size() && i < outputs.size(); ++i) {
        const ObservedOutput& o = outputs[i];
        switch (exported.params[i]) {
            case ParamKind::OutInt: {
                std::string name = outIndex < exported.outNames.size() ? exported.outNames[outIndex]
                                                                       : "out" + std::to_string(outIndex + 1);
                ++outIndex;
                line += " " + name + "=" +
                        (exported.hexOutputs ? Hex32(static_cast<std::uint32_t>(o.outInt)) : std::to_string(o.outInt));
                break;
            }
            case ParamKind::Size:
                ++pair;
                line += " size" + (pairs > 1 ? std::to_string(pair) : std::string()) + "=" + std::to_string(o.size);
                break;
            case ParamKind::Buffer:
                line += " " + FormatBufferText(o.bytes, pairs > 1 ? std::to_string(pair) : std::string());
                break;
            default:
                break;
        }
    }
    return line;
}

namespace {

// The bytes up to the first NUL within the capacity, and whether there was one.
std::pair<std::string, bool> BufferText(const std::string& bytes) {
    const std::size_t end = bytes.find('\0');
    return {bytes.substr(0, end), end != std::string::npos};
}

// The entry with the keys show --json uses; texts converted to UTF-8.
Json EntryJson(const comp_mgr::CatalogEntry& e) {
    Json entry = Json::object();
    entry["displayName"] = LibraryText(e.DisplayName);
    entry["location"] = LibraryText(e.ProgLocation);
    entry["lastAccessDate"] = LibraryText(e.LastAccessDate);
    entry["status"] = e.Status;
    entry["version"] = SdkVersionText(e.SdkVersion);
    entry["cpuSupport"] = LibraryTexts(e.CpuSupport);
    entry["plugInList"] = LibraryTexts(e.PlugInLst_GrpName);
    entry["groupDescription"] = LibraryText(e.GroupDescription);
    entry["helpFile"] = LibraryText(e.HelpFile);
    entry["sku"] = LibraryText(e.Sku);
    Json extras = Json::array();
    for (const auto& p : e.extraProperties) {
        Json pair = {{"key", LibraryText(p.key())}, {"value", LibraryText(p.value())}};
        extras.push_back(std::move(pair));
    }
    entry["extraProperties"] = std::move(extras);
    return entry;
}

}  // namespace

Json FormatCallJson(const ExportInfo& exported, int result, const std::vector<ObservedOutput>& outputs,
                    const comp_mgr::CatalogEntry* entry) {
    Json json = Json::object();
    json["export"] = exported.name;
    json["result"] = exported.returnsVoid ? Json() : Json(result);
    int pairs = 0;
    for (ParamKind kind : exported.params) pairs += kind == ParamKind::Size ? 1 : 0;
    int pair = 0;
    std::size_t outIndex = 0;
    for (std::size_t i = 0; i < exported.params.size() && i < outputs.size(); ++i) {
        const ObservedOutput& o = outputs[i];
        const std::string suffix = pairs > 1 ? std::to_string(pair + (exported.params[i] == ParamKind::Size)) : "";
        switch (exported.params[i]) {
            case ParamKind::OutInt: {
                std::string name = outIndex < exported.outNames.size() ? exported.outNames[outIndex]
                                                                       : "out" + std::to_string(outIndex + 1);
                ++outIndex;
                json[name] = exported.hexOutputs ? Json(static_cast<std::uint32_t>(o.outInt)) : Json(o.outInt);
                break;
            }
            case ParamKind::Size:
                ++pair;
                json["size" + suffix] = o.size;
                break;
            case ParamKind::Buffer: {
                const auto text = BufferText(o.bytes);
                json["text" + suffix] = LibraryText(text.first);
                json["nul" + suffix] = text.second;
                break;
            }
            default:
                break;
        }
    }
    if (entry) json["entry"] = EntryJson(*entry);
    return json;
}

bool IsFreshEntry(const comp_mgr::CatalogEntry& e) {
    const comp_mgr::CatalogEntry fresh;
    return e.CpuSupport == fresh.CpuSupport && e.PlugInLst_GrpName == fresh.PlugInLst_GrpName &&
           e.ProgLocation == fresh.ProgLocation && e.DisplayName == fresh.DisplayName &&
           e.LastAccessDate == fresh.LastAccessDate && e.Sku == fresh.Sku && e.HelpFile == fresh.HelpFile &&
           e.GroupDescription == fresh.GroupDescription && e.SdkVersion == fresh.SdkVersion &&
           e.Status == fresh.Status && e.extraProperties.empty();
}

std::string FormatEntryBlock(const comp_mgr::CatalogEntry& e) {
    std::string out;
    auto field = [&out](const char* name, const std::string& value) {
        out += "  " + std::string(name) + "=" + value + "\n";
    };
    field("DisplayName", e.DisplayName);
    field("ProgLocation", e.ProgLocation);
    field("LastAccessDate", e.LastAccessDate);
    field("Status", std::to_string(e.Status));
    field("SdkVersion", SdkVersionText(e.SdkVersion));
    field("CpuSupport", JoinList(e.CpuSupport, "|"));
    field("PlugInLst_GrpName", JoinList(e.PlugInLst_GrpName, "|"));
    field("GroupDescription", e.GroupDescription);
    field("HelpFile", e.HelpFile);
    field("Sku", e.Sku);
    for (const auto& p : e.extraProperties) out += "  extra:" + p.key() + "=" + p.value() + "\n";
    return out;
}

}  // namespace comp_mgr_tool

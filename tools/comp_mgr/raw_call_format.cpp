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

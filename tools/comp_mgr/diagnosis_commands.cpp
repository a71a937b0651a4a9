// why INSTALLATION PLUGIN and doctor: the library's own account of its link
// rules (bExplainLink) and of the catalog's health (iCheckCatalog).
#include <string>
#include <utility>
#include <vector>

#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

struct RuleLine {
    std::string rule, reason;
    bool ok = false;
};

// "<rule>: ok: <why>" or "<rule>: refused: <why>"; false for anything else.
bool ParseRuleLine(const std::string& line, RuleLine* parsed) {
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos) return false;
    parsed->rule = line.substr(0, colon);
    const std::string rest = line.substr(colon + 2);
    for (const char* verdict : {"ok", "refused"}) {
        const std::string head = std::string(verdict) + ": ";
        if (rest.compare(0, head.size(), head) == 0) {
            parsed->ok = verdict[0] == 'o';
            parsed->reason = rest.substr(head.size());
            return true;
        }
    }
    return false;
}

Report RunWhy(const CommandContext& context, const Words& w) {
    const SectionName installation = ResolveSection(context, w[0], 0);
    if (!installation.candidates.empty()) return AmbiguousName(w[0], installation.candidates);
    const SectionName plugIn = ResolveSection(context, w[1], 1);
    if (!plugIn.candidates.empty()) return AmbiguousName(w[1], plugIn.candidates);
    const std::string& i = installation.section;
    const std::string& p = plugIn.section;
    auto* explain = context.Get<signature::GetKey>("bExplainLink");
    std::string raw;
    const int linkable = CommandContext::ReadText(
        [&](unsigned int* size, char* buffer) { return explain(i.c_str(), p.c_str(), size, buffer); }, &raw);
    const std::string text = LibraryText(raw);

    Report report;
    report.json["installation"] = WordText(i);
    report.json["plugIn"] = WordText(p);
    report.json["linkable"] = linkable == 1;
    Json rules = Json::array();
    std::string missing;
    for (const std::string& line : TextLines(text)) {
        RuleLine rule;
        if (!ParseRuleLine(line, &rule)) continue;
        if (rule.rule == "check") continue;  // the result says it
        if (rule.rule == "link" || rule.rule == "unlink") {
            report.json["request"] = rule.rule;
            report.json["requestAccepted"] = rule.ok;
            continue;
        }
        if (rule.rule == "sections" && !rule.ok) missing = rule.reason;
        rules.push_back({{"rule", rule.rule}, {"ok", rule.ok}, {"reason", rule.reason}});
    }
    report.json["rules"] = std::move(rules);
    report.text = text;
    if (!missing.empty()) return std::move(report).Refuse(missing);
    return report;
}

struct FindingLine {
    std::string severity, kind, section, text;
};

Report RunDoctor(const CommandContext& context, const Words&) {
    auto* check = context.Get<signature::ToBuffer>("iCheckCatalog");
    auto* abort = context.Get<signature::NoArgs>("bAbortDbUpdate");
    std::string raw;
    const int problems = CommandContext::ReadText(check, &raw);
    const std::string text = LibraryText(raw);
    // The start-up's repairs are among the findings; looking must not keep them.
    abort();

    std::vector<FindingLine> findings;
    for (const std::string& line : TextLines(text)) {
        std::vector<std::string> f = BarFields(line, 4);
        if (f.size() == 4) findings.push_back({std::move(f[0]), std::move(f[1]), std::move(f[2]), std::move(f[3])});
    }

    Report report;
    Json items = Json::array();
    std::vector<std::vector<std::string>> rows;
    int notes = 0;
    for (const FindingLine& f : findings) {
        notes += f.severity == "note" ? 1 : 0;
        items.push_back({{"severity", f.severity}, {"kind", f.kind}, {"section", f.section}, {"text", f.text}});
        rows.push_back({f.severity, f.kind, f.section.empty() ? "-" : f.section, f.text});
    }
    const int problemCount = problems < 0 ? 0 : problems;
    report.json["problems"] = problemCount;
    report.json["notes"] = notes;
    report.json["saved"] = false;
    report.json["findings"] = std::move(items);
    if (problems < 0) return std::move(report).Refuse("the library could not check the catalog");

    if (!rows.empty()) report.text = RenderTable({"severity", "kind", "section", "finding"}, rows);
    report.text += std::to_string(problemCount) + (problemCount == 1 ? " problem, " : " problems, ") +
                   std::to_string(notes) + (notes == 1 ? " note" : " notes") +
                   ". Nothing was saved: doctor calls bAbortDbUpdate, so what the start-up repaired stays unsaved.\n";
    if (problemCount > 0) {
        report.keepText = true;
        return std::move(report).Refuse("doctor found " + std::to_string(problemCount) +
                                        (problemCount == 1 ? " problem" : " problems"));
    }
    return report;
}

}  // namespace

void AddDiagnosisCommands(std::vector<PeopleCommand>* c) {
    c->push_back({"why",
                  "INSTALLATION PLUGIN",
                  2,
                  2,
                  nullptr,
                  RunWhy,
                  "which link rule accepts or refuses the pair",
                  "Evaluates the link rules with the library's own rule code (bExplainLink), one line per rule.\n"
                  "INSTALLATION and PLUGIN are section names (any letter case), display names or program paths.\n"
                  "Exit 0 when it answered (linkable or not), 3 when a section does not exist.",
                  {},
                  {"bExplainLink", "iGetCatalogCount", "bGetCatalogByNdx", "bGetCatalogByKey"}});
    c->push_back({"doctor",
                  "",
                  0,
                  0,
                  nullptr,
                  RunDoctor,
                  "checks the catalog, saves nothing; exit 3 on problems",
                  "Checks the catalog and the machine (iCheckCatalog): missing files, links to missing sections,\n"
                  "two linked plug-ins of one display name, servers that do not load, registry plug-ins whose\n"
                  "server is gone, the backup. It calls bAbortDbUpdate, so the start-up's repairs are not saved.",
                  {},
                  {"iCheckCatalog", "bAbortDbUpdate"}});
}

}  // namespace comp_mgr_tool

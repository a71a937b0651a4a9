// backups and restore [FILE]: the copies of the catalog kept beside it
// (iListCatalogCopies), and one put back (bRestoreCatalogCopy) after its
// difference from the catalog is shown (iCompareCatalogCopy).
#include <string>
#include <vector>

#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

// What each kind of copy is, for a person.
const char* KindText(const std::string& kind) {
    if (kind == "catalog") return "the catalog";
    if (kind == "backup") return "its backup (the catalog before the last save)";
    if (kind == "kept") return "kept aside (changed by another program, replaced by a restore, or beside damage)";
    if (kind == "damaged") return "a damaged catalog file, kept aside";
    return "";
}

// Looking at the copies must not change them: a save at the unload would
// move the catalog over its backup.
void SaveNothing(const CommandContext& context) {
    context.Get<signature::NoArgs>("bAbortDbUpdate")();
}

Report RunBackups(const CommandContext& context, const Words&) {
    auto* list = context.Get<signature::ToBuffer>("iListCatalogCopies");
    std::string raw;
    const int count = CommandContext::ReadText(list, &raw);
    SaveNothing(context);
    Report report;
    Json copies = Json::array();
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : TextLines(LibraryText(raw))) {
        const std::vector<std::string> f = BarFields(line, 4);
        if (f.size() != 4) continue;
        const bool readable = f[3] != "-1";
        copies.push_back({{"kind", f[0]},
                          {"path", f[1]},
                          {"bytes", std::stoull(f[2])},
                          {"sections", readable ? Json(std::stoi(f[3])) : Json(nullptr)}});
        rows.push_back({f[0], f[1], f[2], readable ? f[3] : "unreadable", KindText(f[0])});
    }
    report.json["copies"] = std::move(copies);
    if (count < 0) return std::move(report).Refuse("the library could not list the catalog's copies");
    if (rows.empty()) {
        report.text = "no catalog file and no copy of it\n";
        return report;
    }
    report.text = RenderTable({"kind", "file", "bytes", "sections", "what it is"}, rows);
    return report;
}

Report RunRestore(const CommandContext& context, const Words& w) {
    const std::string file = w.empty() ? std::string() : w[0];
    auto* compare = context.Get<signature::TextToBuffer>("iCompareCatalogCopy");
    auto* restore = context.Get<signature::TextToBuffer>("bRestoreCatalogCopy");
    SaveNothing(context);  // whether or not the copy goes back
    std::string raw;
    const int differing = CommandContext::ReadText(
        [&](unsigned int* size, char* buffer) { return compare(file.c_str(), size, buffer); }, &raw);
    Report report;
    report.json["file"] = file.empty() ? Json(nullptr) : Json(WordText(file));
    if (differing < 0) return std::move(report).Refuse(LibraryText(raw));

    // The difference first, as the copy would change the catalog.
    Json changes = Json::array();
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : TextLines(LibraryText(raw))) {
        const std::vector<std::string> f = BarFields(line, 3);
        if (f.size() != 3) continue;
        const char* change = f[0] == "+" ? "added" : f[0] == "-" ? "removed" : "changed";
        changes.push_back({{"change", change}, {"section", f[1]}, {"keys", f[2]}});
        rows.push_back({change, f[1],
                        f[0] == "+"   ? "only in the copy"
                        : f[0] == "-" ? "only in the catalog"
                                      : "differs in " + f[2]});
    }
    report.json["changes"] = std::move(changes);
    if (!rows.empty()) report.text = RenderTable({"change", "section", "why"}, rows);
    report.text +=
        rows.empty() ? "The copy holds what the catalog holds.\n"
                     : std::to_string(rows.size()) + (rows.size() == 1 ? " section" : " sections") + " would change.\n";

    std::string told;
    const int done = CommandContext::ReadText(
        [&](unsigned int* size, char* buffer) { return restore(file.c_str(), size, buffer); }, &told);
    report.json["restored"] = done == 1;
    report.json["told"] = LibraryText(told);
    if (done != 1) {
        report.keepText = true;
        return std::move(report).Refuse(LibraryText(told));
    }
    report.text += LibraryText(told) + "\n";
    return report;
}

}  // namespace

void AddBackupCommands(std::vector<PeopleCommand>* c) {
    c->push_back({"backups",
                  "",
                  0,
                  0,
                  nullptr,
                  RunBackups,
                  "the copies of the catalog kept beside it",
                  "Lists the catalog file, its backup (vnt_Compdb.bak), the versions kept aside\n"
                  "(vnt_Compdb.YYYYMMDD-HHMMSS.ini) and the damaged files kept aside\n"
                  "(vnt_Compdb.damaged-YYYYMMDD-HHMMSS.ini), with their sizes and sections. It calls\n"
                  "bAbortDbUpdate: a save at the unload would move the catalog over its backup.",
                  {},
                  {"iListCatalogCopies", "bAbortDbUpdate"}});
    c->push_back({"restore",
                  "[FILE]",
                  0,
                  1,
                  nullptr,
                  RunRestore,
                  "put the backup (or FILE) back as the catalog, the difference shown first",
                  "Shows how the catalog would change, section by section, then puts the copy back: the backup\n"
                  "when FILE is left out, else FILE (a name from 'backups' or a path). The catalog file it\n"
                  "replaces is kept as vnt_Compdb.YYYYMMDD-HHMMSS.ini. The run saves nothing (bAbortDbUpdate),\n"
                  "restored or not. A copy that holds no section is refused (exit 3).",
                  {},
                  {"iCompareCatalogCopy", "bRestoreCatalogCopy", "bAbortDbUpdate"}});
}

}  // namespace comp_mgr_tool

// install, update, key, prepare, setup, link, detect, unregister-all, flags:
// recording installations and managing plug-ins.
#include "catalog_text.h"
#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

const std::vector<std::string> kLinkWords = {"link", "unlink", "check"};
const int kLinkModes[] = {1, 0, 2};
const std::vector<std::string> kDetectWords = {"link", "unregister", "count", "ask"};
const int kDetectModes[] = {0, 1, 2, 3};

std::string Section(const CommandContext& context, const std::string& location, const std::string& sdk) {
    auto* getKey = context.Get<signature::GetKey>("bGetKeyVNT");
    std::string section;
    int result = CommandContext::ReadText(
        [&](unsigned int* size, char* buffer) { return getKey(location.c_str(), sdk.c_str(), size, buffer); },
        &section);
    return result == 1 ? section : std::string();
}

Report RunInstall(const CommandContext& context, const Words& w) {
    int result = context.Get<signature::Install>("bInstallVNT")(w[0].c_str(), w[1].c_str(), w[2].c_str(), w[3].c_str(),
                                                                w[4].c_str(), w[5].c_str(), w[6].c_str());
    KeyValueReport l;
    l.Add("result", result ? "recorded" : "not recorded", result);
    const std::string section = result ? Section(context, w[0], w[1]) : std::string();
    if (!section.empty()) l.Add("section", LibraryText(section));
    return result ? l.Done()
                  : l.Refused("bInstallVNT did not record " + WordText(w[0]) + " (version " + WordText(w[1]) + ")");
}

Report RunUpdate(const CommandContext& context, const Words& w) {
    int result = context.Get<signature::Update>("bUpdateVNT")(w[0].c_str(), w[1].c_str(), w[2].c_str(), w[3].c_str(),
                                                              w[4].c_str());
    KeyValueReport l;
    l.Add("result", result ? "updated" : "not updated", result);
    return result ? l.Done()
                  : l.Refused("bUpdateVNT did not update " + WordText(w[0]) + " (version " + WordText(w[1]) + ")");
}

Report RunKey(const CommandContext& context, const Words& w) {
    const std::string section = Section(context, w[0], w[1]);
    Report report;
    report.json["location"] = WordText(w[0]);
    report.json["section"] = section.empty() ? Json() : Json(LibraryText(section));
    if (section.empty())
        return std::move(report).Refuse("no installation of version " + WordText(w[1]) + " at " + WordText(w[0]));
    report.text = "section: " + LibraryText(section) + "\n";
    return report;
}

Report RunPrepare(const CommandContext& context, const Words& w) {
    const SectionName named = ResolveSection(context, w[0], 0);
    if (!named.candidates.empty()) return AmbiguousName(w[0], named.candidates);
    const std::string& section = named.section;
    int result = context.Get<signature::Text>("bPrepareVNT")(section.c_str());
    KeyValueReport l;
    l.Add("section", WordText(section));
    l.Add("result", result ? "prepared (now the current installation)" : "not an installation of the catalog", result);
    return result ? l.Done()
                  : l.Refused("bPrepareVNT refused: " + WordText(section) + " is not an installation of the catalog");
}

Report RunSetup(const CommandContext& context, const Words& w) {
    int result = context.Get<signature::TwoTexts>("bSetupVNT")(w[0].c_str(), w[1].c_str());
    KeyValueReport l;
    l.Add("location", WordText(w[0]));
    l.Add("result",
          result ? "set up (class keys rewritten, tool versions reported, installation prepared)"
                 : "not set up (no installation of the catalog at that location)",
          result);
    return result ? l.Done()
                  : l.Refused("bSetupVNT refused: no installation of version " + WordText(w[1]) + " at " +
                              WordText(w[0]) + " (the class keys and the tool versions report were still done)");
}

bool CheckLink(const Words& w, std::string* error) {
    std::size_t index = 0;
    if (w.size() < 3 || WordIsOneOf(w[2], kLinkWords, &index)) return true;
    *error = "link takes link, unlink or check, not " + WordText(w[2]);
    return false;
}

Report RunLink(const CommandContext& context, const Words& w) {
    std::size_t choice = 0;
    if (w.size() > 2) WordIsOneOf(w[2], kLinkWords, &choice);
    const int mode = kLinkModes[choice];
    const SectionName installation = ResolveSection(context, w[0], 0);
    if (!installation.candidates.empty()) return AmbiguousName(w[0], installation.candidates);
    const SectionName plugIn = ResolveSection(context, w[1], 1);
    if (!plugIn.candidates.empty()) return AmbiguousName(w[1], plugIn.candidates);
    const std::string& i = installation.section;
    const std::string& p = plugIn.section;
    int result = context.Get<signature::Link>("bLinkPlugIns")(i.c_str(), p.c_str(), mode);
    static const char* const kDone[] = {"linked", "unlinked", "would be accepted"};
    KeyValueReport l;
    l.Add("installation", WordText(i));
    l.Add("plugin", WordText(p));
    l.Add("mode", kLinkWords[choice] + " (" + std::to_string(mode) + ")", mode);
    l.Add("result", result ? kDone[choice] : "refused", result);
    if (result) return l.Done();
    return l.Refused("bLinkPlugIns refused to " + kLinkWords[choice] + " " + WordText(p) + " and " + WordText(i));
}

bool CheckDetect(const Words& w, std::string* error) {
    std::size_t index = 0;
    if (w.empty() || WordIsOneOf(w[0], kDetectWords, &index)) return true;
    *error = "detect takes link, unregister, ask or count, not " + WordText(w[0]);
    return false;
}

Report RunDetect(const CommandContext& context, const Words& w) {
    std::size_t choice = 0;
    if (!w.empty()) WordIsOneOf(w[0], kDetectWords, &choice);
    const int mode = kDetectModes[choice];
    int result = context.Get<signature::IntArg>("iDetectNewPlugIns")(mode);
    KeyValueReport l;
    l.Add("mode", kDetectWords[choice] + " (" + std::to_string(mode) + ")", mode);
    if (result < 0) {
        l.Add("result", "the catalog is not loaded (-1)", result);
        return l.Refused("iDetectNewPlugIns: the catalog is not loaded (-1)");
    } else {
        l.Add("result", std::to_string(result) + " new plug-in" + (result == 1 ? "" : "s") + " left", result);
    }
    return l.Done();
}

Report RunUnregisterAll(const CommandContext& context, const Words&) {
    context.Get<signature::NoResult>("vUnRegAllPlgN")();
    KeyValueReport l;
    l.Add("result", "servers of the plug-ins found in this run unregistered; no installation is current", true);
    return l.Done();
}

Report RunFlags(const CommandContext& context, const Words&) {
    int changes = 0;
    int result = context.Get<signature::OutInt>("bGetDbUpdateFlag")(&changes);
    KeyValueReport l;
    l.Add("modified", result ? "yes" : "no", result != 0);
    if (result) {
        const auto bits = static_cast<std::uint32_t>(changes);
        std::string words;
        for (const auto& word : ChangeWords(bits)) words += (words.empty() ? "" : ", ") + word;
        l.pairs.emplace_back("changes", Hex32(bits) + (words.empty() ? "" : " (" + words + ")"));
        l.report.json["changes"] = bits;
        l.report.json["changeWords"] = ChangeWords(bits);
    }
    return l.Done();
}

}  // namespace

void AddRecordCommands(std::vector<PeopleCommand>* c) {
    const char* const kNamed =
        "INSTALLATION and PLUGIN are section names (any letter case), display names or program paths.";
    c->push_back({"install",
                  "LOCATION SDK CPU SKU NAME FOLDER REGISTRATION",
                  7,
                  7,
                  nullptr,
                  RunInstall,
                  "records an installation (bInstallVNT)",
                  "Records the installation at LOCATION (its program path) of version SDK, then\n"
                  "prints the section it has.",
                  {},
                  {"bInstallVNT", "bGetKeyVNT"}});
    c->push_back({"update",
                  "LOCATION SDK OLD_SKU NEW_SKU NAME",
                  5,
                  5,
                  nullptr,
                  RunUpdate,
                  "records an update (bUpdateVNT)",
                  "",
                  {},
                  {"bUpdateVNT"}});
    c->push_back({"key",
                  "LOCATION SDK",
                  2,
                  2,
                  nullptr,
                  RunKey,
                  "the section of an installation (bGetKeyVNT)",
                  "",
                  {},
                  {"bGetKeyVNT"}});
    c->push_back({"prepare",
                  "SECTION",
                  1,
                  1,
                  nullptr,
                  RunPrepare,
                  "make an installation the current one",
                  "bPrepareVNT: registers the servers of the plug-ins the installation uses and\n"
                  "unregisters the others'. SECTION is a section name (any letter case), a\n"
                  "display name or a program path.",
                  {},
                  {"bPrepareVNT"}});
    c->push_back({"setup",
                  "LOCATION SDK",
                  2,
                  2,
                  nullptr,
                  RunSetup,
                  "bSetupVNT: class keys, tool versions report, prepare",
                  "",
                  {},
                  {"bSetupVNT"}});
    c->push_back({"link",
                  "INSTALLATION PLUGIN [link|unlink|check]",
                  2,
                  3,
                  CheckLink,
                  RunLink,
                  "changes or checks one link (bLinkPlugIns modes 1, 0, 2)",
                  kNamed,
                  {},
                  {"bLinkPlugIns"}});
    c->push_back({"detect",
                  "[link|unregister|ask|count]",
                  0,
                  1,
                  CheckDetect,
                  RunDetect,
                  "handles the plug-ins new in this run (iDetectNewPlugIns modes 0, 1, 3, 2)",
                  "",
                  {},
                  {"iDetectNewPlugIns"}});
    c->push_back({"unregister-all",
                  "",
                  0,
                  0,
                  nullptr,
                  RunUnregisterAll,
                  "unregisters every plug-in's server",
                  "",
                  {},
                  {"vUnRegAllPlgN"}});
    c->push_back({"flags",
                  "",
                  0,
                  0,
                  nullptr,
                  RunFlags,
                  "bGetDbUpdateFlag with the change bits named",
                  "",
                  {},
                  {"bGetDbUpdateFlag"}});
}

}  // namespace comp_mgr_tool

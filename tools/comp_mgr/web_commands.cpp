// web ... and path-for-sku: the update advisor.
#include "people_commands.h"
#include "raw_call_parser.h"

namespace comp_mgr_tool {
namespace {

const std::vector<std::string> kStartupWords = {"remind", "bind", "ask"};

Report Result(const std::string& key, const std::string& value, int result, const std::string& done,
              const std::string& refused) {
    Report report;
    report.json.Set(key, value);
    report.json.Set("result", result);
    report.text = RenderKeyValues({{key, value}, {"result", result ? done : refused}});
    return report;
}

bool CheckStartup(const Words& w, std::string* error) {
    std::size_t index = 0;
    if (w.size() < 2 || WordIsOneOf(w[1], kStartupWords, &index)) return true;
    *error = "web startup takes remind, bind or ask, not " + w[1];
    return false;
}

Report RunStartup(const CommandContext& context, const Words& w) {
    std::size_t choice = 0;
    if (w.size() > 1) WordIsOneOf(w[1], kStartupWords, &choice);
    int result = context.Get<signature::TextInt>("bWebStartup")(w[0].c_str(), static_cast<int>(choice));
    return Result("section", w[0], result, "done", "refused");
}

Report RunStartupFor(const CommandContext& context, const Words& w) {
    int result = context.Get<signature::TwoTexts>("bWebStartupByVNT")(w[0].c_str(), w[1].c_str());
    return Result("location", w[0], result, "done", "refused");
}

Report RunGet(const CommandContext& context, const Words& w) {
    const char* section = w[0].c_str();
    // The settings are read from the advisor, which must be bound first.
    if (!context.Get<signature::TextInt>("bWebStartup")(section, 1))
        return Result("section", w[0], 0, "", "the update advisor cannot be bound to it");
    auto* get = context.Get<signature::WebGet>("bWebGetSetting");
    int autoLaunch = 0, frequency = 0;
    std::vector<char> base(4096, '\0'), path(4096, '\0');
    unsigned int baseSize = static_cast<unsigned int>(base.size() - 1);
    unsigned int pathSize = static_cast<unsigned int>(path.size() - 1);
    int result = get(section, &autoLaunch, &frequency, &baseSize, base.data(), &pathSize, path.data());
    if (!result) return Result("section", w[0], 0, "", "no settings");
    Report report;
    report.json.Set("section", w[0]);
    report.json.Set("result", result);
    report.json.Set("autoLaunch", autoLaunch);
    report.json.Set("frequency", frequency);
    report.json.Set("urlBase", std::string(base.data()));
    report.json.Set("urlSection", std::string(path.data()));
    report.text = RenderKeyValues({{"section", w[0]},
                                   {"autoLaunch", std::to_string(autoLaunch)},
                                   {"frequency", std::to_string(frequency)},
                                   {"urlBase", base.data()},
                                   {"urlSection", path.data()}});
    return report;
}

bool CheckSet(const Words& w, std::string* error) {
    int value = 0;
    for (std::size_t i = 1; i <= 2; ++i) {
        if (!ParseInteger(w[i], &value)) {
            *error = "web set: " + std::string(i == 1 ? "AUTOLAUNCH" : "FREQUENCY") +
                     " must be a decimal integer, not " + w[i];
            return false;
        }
    }
    return true;
}

Report RunSet(const CommandContext& context, const Words& w) {
    int autoLaunch = 0, frequency = 0;
    ParseInteger(w[1], &autoLaunch);
    ParseInteger(w[2], &frequency);
    int result = context.Get<signature::WebSet>("bWebSetSetting")(w[0].c_str(), autoLaunch, frequency, w[3].c_str(),
                                                                  w[4].c_str());
    return Result("section", w[0], result, "stored", "refused");
}

Report RunUpdate(const CommandContext& context, const Words& w) {
    int result = context.Get<signature::Text>("bWebUpdate")(w[0].c_str());
    return Result("section", w[0], result, "done", "refused");
}

Report RunSupport(const CommandContext& context, const Words& w) {
    int result = context.Get<signature::Text>("bWebSupport")(w[0].c_str());
    return Result("section", w[0], result, "support page opened", "refused");
}

Report RunRegister(const CommandContext& context, const Words&) {
    int result = context.Get<signature::NoArgs>("bWebRegister")();
    Report report;
    report.json.Set("result", result);
    report.text = RenderKeyValues({{"result", result ? "registration page opened" : "refused"}});
    return report;
}

Report RunPathForSku(const CommandContext& context, const Words& w) {
    auto* pathFor = context.Get<signature::PathForSku>("bWebGetPath4Sku");
    std::string path;
    int result = CommandContext::ReadText(
        [&](unsigned int* size, char* buffer) { return pathFor(w[0].c_str(), size, buffer); }, &path);
    Report report;
    report.json.Set("sku", w[0]);
    report.json.Set("result", result);
    report.json.Set("path", result ? Json(path) : Json());
    report.text = RenderKeyValues({{"sku", w[0]}, {"path", result ? path : "(none)"}});
    return report;
}

}  // namespace

void AddWebCommands(std::vector<PeopleCommand>* c) {
    c->push_back({"web startup", "SECTION [remind|bind|ask]", 1, 2, true, CheckStartup, RunStartup});
    c->push_back({"web startup-for", "LOCATION SDK", 2, 2, true, nullptr, RunStartupFor});
    c->push_back({"web get", "SECTION", 1, 1, true, nullptr, RunGet});
    c->push_back({"web set", "SECTION AUTOLAUNCH FREQUENCY URLBASE URLSECTION", 5, 5, true, CheckSet, RunSet});
    c->push_back({"web update", "SECTION", 1, 1, true, nullptr, RunUpdate});
    c->push_back({"web support", "SECTION", 1, 1, true, nullptr, RunSupport});
    c->push_back({"web register", "", 0, 0, true, nullptr, RunRegister});
    c->push_back({"path-for-sku", "SKU", 1, 1, true, nullptr, RunPathForSku});
}

}  // namespace comp_mgr_tool

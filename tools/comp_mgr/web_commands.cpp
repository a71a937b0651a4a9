// web ..., path-for-sku: the update advisor.
#include <cstdint>

#include "catalog_text.h"
#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

const std::vector<std::string> kWebWords = {"startup", "startup-for", "get", "set", "update", "support", "register"};
// The words each web command takes after its own, as lowest and highest counts.
const std::size_t kWebMinWords[] = {1, 2, 1, 5, 1, 1, 0};
const std::size_t kWebMaxWords[] = {2, 2, 1, 5, 1, 1, 0};
const char* const kWebUsage[] = {"web startup SECTION [remind|bind|ask]",
                                 "web startup-for LOCATION SDK",
                                 "web get SECTION",
                                 "web set SECTION AUTOLAUNCH FREQUENCY URLBASE URLSECTION",
                                 "web update SECTION",
                                 "web support SECTION",
                                 "web register"};
const std::vector<std::string> kStartupWords = {"remind", "bind", "ask"};
constexpr int kBindMode = 1;

bool IsInteger(const std::string& word) {
    std::size_t i = word.size() > 1 && word[0] == '-' ? 1 : 0;
    if (i == word.size() || word.size() > 11) return false;
    for (; i < word.size(); ++i)
        if (word[i] < '0' || word[i] > '9') return false;
    const long long value = std::stoll(word);
    return value >= INT32_MIN && value <= INT32_MAX;
}

bool CheckWeb(const Words& w, std::string* error) {
    std::size_t which = 0;
    if (!WordIsOneOf(w[0], kWebWords, &which)) {
        *error = "web takes startup, startup-for, get, set, update, support or register, not " + WordText(w[0]);
        return false;
    }
    const std::size_t rest = w.size() - 1;
    if (rest < kWebMinWords[which] || rest > kWebMaxWords[which]) {
        *error = std::string("usage: comp_mgr ") + kWebUsage[which];
        return false;
    }
    std::size_t mode = 0;
    if (which == 0 && rest == 2 && !WordIsOneOf(w[2], kStartupWords, &mode)) {
        *error = "web startup takes remind, bind or ask, not " + WordText(w[2]);
        return false;
    }
    if (which == 3 && (!IsInteger(w[2]) || !IsInteger(w[3]))) {
        *error = "web set takes AUTOLAUNCH and FREQUENCY as integers";
        return false;
    }
    return true;
}

// Binds the advisor to the section (mode 1: no reminder, no page), as every
// call of the advisor after it needs; false when the library refused.
bool Bind(const CommandContext& context, const std::string& section) {
    return context.Get<signature::TextInt>("bWebStartup")(section.c_str(), kBindMode) != 0;
}

Report RunWeb(const CommandContext& context, const Words& words) {
    std::size_t which = 0;
    WordIsOneOf(words[0], kWebWords, &which);
    Words w = words;
    if (which != 1 && which != 6) {  // the ones that take an installation's SECTION
        const SectionName named = ResolveSection(context, words[1], 0);
        if (!named.candidates.empty()) return AmbiguousName(words[1], named.candidates);
        w[1] = named.section;
    }
    KeyValueReport l;
    switch (which) {
        case 0: {
            std::size_t choice = 0;
            if (w.size() > 2) WordIsOneOf(w[2], kStartupWords, &choice);
            const int mode = static_cast<int>(choice);
            const int result = context.Get<signature::TextInt>("bWebStartup")(w[1].c_str(), mode);
            l.Add("section", WordText(w[1]));
            l.Add("mode", kStartupWords[choice] + " (" + std::to_string(mode) + ")", mode);
            l.Add("result", std::to_string(result), result);
            break;
        }
        case 1: {
            const int result = context.Get<signature::TwoTexts>("bWebStartupByVNT")(w[1].c_str(), w[2].c_str());
            l.Add("location", WordText(w[1]));
            l.Add("result", std::to_string(result), result);
            break;
        }
        case 2: {
            l.Add("section", WordText(w[1]));
            const bool bound = Bind(context, w[1]);
            int autoLaunch = 0, frequency = 0;
            std::string urlBase, urlSection;
            auto* get = context.Get<signature::WebGet>("bWebGetSetting");
            // Two buffers: read the first grown to fit, then the second.
            int result =
                bound ? CommandContext::ReadText(
                            [&](unsigned int* size, char* buffer) {
                                char other[1];
                                unsigned int otherSize = 0;
                                return get(w[1].c_str(), &autoLaunch, &frequency, size, buffer, &otherSize, other);
                            },
                            &urlBase)
                      : 0;
            if (result) {
                result = CommandContext::ReadText(
                    [&](unsigned int* size, char* buffer) {
                        char other[1];
                        unsigned int otherSize = 0;
                        return get(w[1].c_str(), &autoLaunch, &frequency, &otherSize, other, size, buffer);
                    },
                    &urlSection);
            }
            if (!result) {
                l.Add("result", "refused (no installation of that section)", 0);
                break;
            }
            l.Add("autoLaunch", std::to_string(autoLaunch), autoLaunch);
            l.Add("frequency", std::to_string(frequency), frequency);
            l.Add("urlBase", LibraryText(urlBase));
            l.Add("urlSection", LibraryText(urlSection));
            break;
        }
        case 3: {
            l.Add("section", WordText(w[1]));
            const int result = Bind(context, w[1])
                                   ? context.Get<signature::WebSet>("bWebSetSetting")(
                                         w[1].c_str(), std::stoi(w[2]), std::stoi(w[3]), w[4].c_str(), w[5].c_str())
                                   : 0;
            l.Add("result", result ? "set" : "refused (no installation of that section)", result);
            break;
        }
        case 4:
        case 5: {
            const char* name = which == 4 ? "bWebUpdate" : "bWebSupport";
            l.Add("section", WordText(w[1]));
            const int result = Bind(context, w[1]) ? context.Get<signature::Text>(name)(w[1].c_str()) : 0;
            l.Add("result", std::to_string(result), result);
            break;
        }
        default: {
            const int result = context.Get<signature::NoArgs>("bWebRegister")();
            l.Add("result", std::to_string(result), result);
            break;
        }
    }
    return l.Done();
}

Report RunPathForSku(const CommandContext& context, const Words& w) {
    auto* path4Sku = context.Get<signature::TextToBuffer>("bWebGetPath4Sku");
    std::string folders;
    const int result = CommandContext::ReadText(
        [&](unsigned int* size, char* buffer) { return path4Sku(w[0].c_str(), size, buffer); }, &folders);
    Report report;
    report.json["sku"] = WordText(w[0]);
    Json list = Json::array();
    if (!result) {
        report.text = "no installation lists " + WordText(w[0]) + "\n";
    } else {
        std::size_t start = 0;
        while (start <= folders.size()) {
            std::size_t bar = folders.find('|', start);
            if (bar == std::string::npos) bar = folders.size();
            const std::string folder = LibraryText(folders.substr(start, bar - start));
            report.text += "folder: " + folder + "\n";
            list.push_back(folder);
            start = bar + 1;
        }
    }
    report.json["folders"] = std::move(list);
    return report;
}

}  // namespace

void AddWebCommands(std::vector<PeopleCommand>* c) {
    c->push_back({"web",
                  "startup|startup-for|get|set|update|support|register [ARGS...]",
                  1,
                  6,
                  CheckWeb,
                  RunWeb,
                  "the update advisor",
                  "  web startup SECTION [remind|bind|ask]   bWebStartup modes 0, 1, 2\n"
                  "  web startup-for LOCATION SDK            bWebStartupByVNT\n"
                  "  web get SECTION                         the advisor's settings (bound first)\n"
                  "  web set SECTION AUTOLAUNCH FREQUENCY URLBASE URLSECTION\n"
                  "  web update SECTION | web support SECTION | web register   open a page\n"
                  "SECTION is an installation's section name (any letter case), display name or\n"
                  "program path.",
                  {},
                  {"bWebStartup", "bWebStartupByVNT", "bWebGetSetting", "bWebSetSetting", "bWebUpdate", "bWebSupport",
                   "bWebRegister"}});
    c->push_back({"path-for-sku",
                  "SKU",
                  1,
                  1,
                  nullptr,
                  RunPathForSku,
                  "the folders of the products listing a Sku",
                  "",
                  {},
                  {"bWebGetPath4Sku"}});
}

}  // namespace comp_mgr_tool

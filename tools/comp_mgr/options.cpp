// The command line through CLI11, behind a first pass of our own. CLI11 reads
// the options' values, checks choices and lays out the help; the first pass
// keeps what the tool has always accepted and CLI11 alone would not: global
// options among a command's words, words that look like options ("-1", "-")
// staying words, and `call` taking every later word as it is. It puts the
// words in the order CLI11 reads plainly: global options, the command, its
// own options, "--", its words.
#include "options.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "people_commands.h"

namespace comp_mgr_tool {
namespace {

struct GlobalOption {
    const char* name;
    const char* shortName;  // "" when none
    const char* value;      // nullptr for a flag
    bool hostedOnly;
    const char* help;
    std::string Options::*text;
    bool Options::*flag;  // the flag, or for a value whether it was given
};

const GlobalOption kGlobalOptions[] = {
    {"--root", "", "DIR", true, "machine root of the hosted machine (VNT_ROOT)", &Options::root, &Options::hasRoot},
    {"--host-exe", "", "PATH", true, "Windows path of the host program (VNT_HOST_EXE)", &Options::hostExe,
     &Options::hasHostExe},
    {"--cwd", "", "PATH", true, "initial current directory, a Windows path (VNT_CWD)", &Options::cwd, &Options::hasCwd},
    {"--ui", "", "MODE", false, "tty, none or script:FILE (VNT_UI)", &Options::ui, &Options::hasUi},
    {"--library", "", "PATH", false, "load this library instead of the one next to the tool", &Options::library,
     nullptr},
    {"--json", "", nullptr, false, "print the result as JSON (raw calls: one object per call)", nullptr,
     &Options::json},
    {"--no-save", "", nullptr, false, "call bAbortDbUpdate before unloading: the catalog is not saved", nullptr,
     &Options::noSave},
    {"--dry-run", "", nullptr, false,
     "hosted: run on a copy of the machine and tell what would change; Windows: refused", nullptr, &Options::dryRun},
    {"--verbose", "-v", nullptr, false, "print the library's events on standard error as they happen", nullptr,
     &Options::verbose},
    {"--quiet", "-q", nullptr, false, "print no summary of what the run changed", nullptr, &Options::quiet},
    {"--help", "-h", nullptr, false, "this help; after a command, that command's", nullptr, &Options::help},
    {"--version", "", nullptr, false, "the tool's version", nullptr, &Options::version},
};

// The commands that are not in the people's table.
struct OtherCommand {
    const char* name;
    const char* usage;
    const char* summary;
    const char* help;
};

const OtherCommand kOtherCommands[] = {
    {"init", "", "a fresh machine at --root (hosted only)",
     "Makes a hosted machine at --root: a registry naming C:\\Vantrel\\db as the\n"
     "catalog's folder, an empty catalog there, C:\\Vantrel\\bin and log/. Never over\n"
     "an existing machine."},
    {"call", "EXPORT ARGS...", "one raw call",
     "Every word after call is an argument as the shell passed it, options included:\n"
     "text as it is (NULL for a null pointer), integers in decimal, a capacity for\n"
     "each size-and-buffer pair; out integers and the catalog entry take nothing\n"
     "(NULLENTRY, NULLADDR for null ones)."},
    {"exec", "FILE|-", "raw calls, one per line, in one load",
     "Each line is one raw call: its words separated by blanks, a text \"quoted\" when\n"
     "it holds blanks (\"\" for a quote, backslashes literal). Empty lines and lines\n"
     "starting with # are skipped."},
    {"help", "[COMMAND]", "this help, or one command's", ""},
};

const GlobalOption* FindGlobal(const std::string& name) {
    for (const auto& g : kGlobalOptions)
        if (name == g.name || (*g.shortName && name == g.shortName)) return &g;
    return nullptr;
}

const CommandOption* FindOwn(const PeopleCommand* command, const std::string& name) {
    if (!command) return nullptr;
    for (const auto& option : command->options)
        if (name == option.name) return &option;
    return nullptr;
}

// An option of any command, for one that stands before its command's word.
const CommandOption* FindAnyOwn(const std::string& name) {
    for (const auto& c : PeopleCommands())
        if (const CommandOption* o = FindOwn(&c, name)) return o;
    return nullptr;
}

const PeopleCommand* FindCommandRow(const std::string& name) {
    for (const auto& c : PeopleCommands())
        if (name == c.name) return &c;
    return nullptr;
}

const OtherCommand* FindOther(const std::string& name) {
    for (const auto& c : kOtherCommands)
        if (name == c.name) return &c;
    return nullptr;
}

// Options are "--name", "--name=value" and the short flags; any other word
// starting with one dash ("-1", "-") is a word of the command.
bool IsOptionWord(const std::string& word) {
    if (word.size() > 2 && word.compare(0, 2, "--") == 0) return true;
    return word.size() == 2 && word[0] == '-' && FindGlobal(word) != nullptr;
}

struct Split {
    std::vector<std::string> global;    // for CLI11, before the command
    std::string command;                // empty when none
    std::vector<std::string> own;       // the command's own options
    std::vector<std::string> words;     // after "--" for CLI11
    std::vector<std::string> ownEarly;  // own options seen before the command's word
};

bool SplitWords(const std::vector<std::string>& words, Split* s, std::string* error) {
    bool raw = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (!raw && word == "--") {
            raw = true;
            continue;
        }
        if (raw || !IsOptionWord(word)) {
            if (s->command.empty()) {
                s->command = word;
                // A raw call's words are its arguments, whatever they look like.
                raw = raw || word == "call";
            } else {
                s->words.push_back(word);
            }
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const PeopleCommand* command = s->command.empty() ? nullptr : FindCommandRow(s->command);
        const CommandOption* own = s->command.empty() ? FindAnyOwn(name) : FindOwn(command, name);
        const GlobalOption* global = own ? nullptr : FindGlobal(name);
        if (!own && !global) {
            *error = "unknown option: " + WordText(word);
            if (command && !command->options.empty())
                *error += " (comp_mgr " + s->command + " --help lists its options)";
            return false;
        }
        const bool takesValue = own || global->value;
        if (!takesValue) {
            if (equals != std::string::npos) {
                *error = name + " takes no value";
                return false;
            }
            s->global.push_back(global->name);
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < words.size()) {
            value = words[++i];
        } else {
            *error = name + " needs a value";
            return false;
        }
        if (global && global->hostedOnly && !kHostedBuild) {
            *error = name + " is not accepted on Windows: the library runs on the real machine";
            return false;
        }
        if (value.empty()) {
            *error = name + " needs a value";
            return false;
        }
        // "--name=value" keeps a value that starts with a dash a value.
        auto& list = own ? (s->command.empty() ? s->ownEarly : s->own) : s->global;
        list.push_back(name + "=" + value);
    }
    if (!s->ownEarly.empty()) {
        const PeopleCommand* command = FindCommandRow(s->command);
        for (const auto& option : s->ownEarly) {
            const std::string name = option.substr(0, option.find('='));
            if (!FindOwn(command, name)) {
                *error = s->command.empty() ? name + " belongs to a command, and none was given"
                                            : name + " is not an option of " + s->command;
                return false;
            }
            s->own.push_back(option);
        }
    }
    return true;
}

// The help of one command: our usage line, then CLI11's list of its options.
class CommandFormatter : public CLI::Formatter {
public:
    explicit CommandFormatter(std::map<std::string, std::string> usages) : usages_(std::move(usages)) {}
    std::string make_usage(const CLI::App* app, std::string) const override {
        std::string usage = "usage: comp_mgr " + app->get_name();
        const auto words = usages_.find(app->get_name());
        if (words != usages_.end() && !words->second.empty()) usage += " " + words->second;
        if (!app->get_options([](const CLI::Option* o) { return o->nonpositional(); }).empty()) usage += " [OPTIONS]";
        return usage + "\n";
    }
    // The usage first, then the one-line summary, the options and the longer text.
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
        std::string help = make_usage(app, name);
        if (!app->get_description().empty()) help += "\n" + app->get_description() + "\n";
        return help + make_groups(app, mode) + make_footer(app);
    }

private:
    std::map<std::string, std::string> usages_;  // the words after each command's name
};

// One App for the tool: the global options bound to `o`, a subcommand per
// command with its own options and its words.
std::unique_ptr<CLI::App> MakeApp(Options* o) {
    auto app = std::make_unique<CLI::App>("comp_mgr", "comp_mgr");
    app->set_help_flag();  // the first pass handles --help
    for (const auto& g : kGlobalOptions) {
        if (g.value) {
            app->add_option(g.name, o->*(g.text), g.help)->type_name(g.value);
        } else {
            const std::string names = *g.shortName ? std::string(g.shortName) + "," + g.name : g.name;
            app->add_flag(names, o->*(g.flag), g.help);
        }
    }
    std::map<std::string, std::string> usages;
    for (const auto& c : PeopleCommands()) usages[c.name] = c.usage;
    for (const auto& c : kOtherCommands) usages[c.name] = c.usage;
    auto formatter = std::make_shared<CommandFormatter>(std::move(usages));
    auto addWords = [o](CLI::App* sub) { sub->add_option("words", o->arguments)->group(""); };
    for (const auto& c : PeopleCommands()) {
        CLI::App* sub = app->add_subcommand(c.name, c.summary);
        sub->set_help_flag();
        sub->formatter(formatter);
        if (*c.help) sub->footer(c.help);
        addWords(sub);
        for (const auto& option : c.options) {
            CLI::Option* added = sub->add_option(option.name, option.help)->type_name(option.value);
            if (!option.choices.empty()) added->check(CLI::IsMember(option.choices));
        }
    }
    for (const auto& c : kOtherCommands) {
        CLI::App* sub = app->add_subcommand(c.name, c.summary);
        sub->set_help_flag();
        sub->formatter(formatter);
        if (*c.help) sub->footer(c.help);
        addWords(sub);
    }
    return app;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& words, Options* o, std::string* error) {
    Split split;
    if (!SplitWords(words, &split, error)) return false;
    if (split.command == "help") {
        // help [COMMAND] is [COMMAND] --help.
        o->help = true;
        if (split.words.size() > 1) {
            *error = "usage: comp_mgr help [COMMAND]";
            return false;
        }
        split.command = split.words.empty() ? std::string() : split.words.front();
        split.words.clear();
    }
    if (!split.command.empty() && !FindCommandRow(split.command) && !FindOther(split.command)) {
        *error = "unknown command: " + WordText(split.command);
        return false;
    }
    std::vector<std::string> args = split.global;
    if (!split.command.empty()) {
        args.push_back(split.command);
        args.insert(args.end(), split.own.begin(), split.own.end());
        args.push_back("--");
        args.insert(args.end(), split.words.begin(), split.words.end());
    }
    auto app = MakeApp(o);
    try {
        app->parse(std::vector<std::string>(args.rbegin(), args.rend()));  // CLI11 takes them last first
    } catch (const CLI::ParseError& e) {
        *error = e.what();
        return false;
    }
    for (const auto& g : kGlobalOptions)
        if (g.value && g.flag) o->*(g.flag) = app->count(g.name) > 0;
    o->command = split.command;
    if (const PeopleCommand* command = FindCommandRow(split.command)) {
        CLI::App* sub = app->get_subcommand(command->name);
        for (const auto& option : command->options) {
            const CLI::Option* given = sub->get_option(option.name);
            if (given->count() > 0) o->commandOptions[option.name] = given->as<std::string>();
        }
        // list --format json is list --json.
        const auto format = o->commandOptions.find("--format");
        if (format != o->commandOptions.end() && format->second == "json") o->json = true;
    }
    if (o->hasUi && kHostedBuild) {
        const std::string& ui = o->ui;
        if (ui != "tty" && ui != "none" && !(ui.compare(0, 7, "script:") == 0 && ui.size() > 7)) {
            *error = "--ui takes tty, none or script:FILE, not " + WordText(ui);
            return false;
        }
    }
    if (o->command.empty() && !o->help && !o->version) {
        *error = "no command given";
        return false;
    }
    return true;
}

std::string CommandHelp(const std::string& command) {
    if (!FindCommandRow(command) && !FindOther(command)) return std::string();
    Options scratch;
    auto app = MakeApp(&scratch);
    std::string help = app->get_subcommand(command)->help();
    if (command != "call")
        help +=
            "\nThe global options (comp_mgr --help) may stand among the words; after \"--\"\nevery word is a word.\n";
    return help;
}

namespace {

// "  list [installations|plugins]      section, display name, ..." and, when
// the library is known to lack an export the command needs, a mark.
std::string CommandLine(const std::string& name, const std::string& usage, const std::string& summary,
                        const std::string& mark) {
    std::string line = "  " + name + (usage.empty() ? "" : " " + usage);
    if (!summary.empty()) {
        line += line.size() < 36 ? std::string(36 - line.size(), ' ') : "  ";
        line += summary;
    }
    return line + mark + "\n";
}

}  // namespace

std::string UsageText(const LibraryExports* exports) {
    std::string text = R"(usage: comp_mgr [options] COMMAND [ARGS...]

Loads the component manager library, runs one command and unloads it (the
catalog is read at the load and saved at the unload, as the library decides).

Options:
)";
    for (const auto& g : kGlobalOptions) {
        std::string names = *g.shortName ? std::string(g.shortName) + ", " + g.name : g.name;
        if (g.value) names += std::string(" ") + g.value;
        std::string line = "  " + names;
        line += line.size() < 22 ? std::string(22 - line.size(), ' ') : "  ";
        text += line + g.help + "\n";
    }
    text += "  (On Windows only --ui of the machine options is accepted.)\n\nCommands:\n";
    bool marked = false;
    for (const auto& c : PeopleCommands()) {
        std::string mark;
        if (exports && exports->known) {
            std::string missing;
            for (const char* name : c.exports)
                if (!exports->names.count(name)) missing += (missing.empty() ? "" : ", ") + std::string(name);
            if (!missing.empty()) {
                mark = "  [not in this library: " + missing + "]";
                marked = true;
            }
        }
        text += CommandLine(c.name, c.usage, c.summary, mark);
    }
    for (const auto& c : kOtherCommands) {
        if (std::string(c.name) != "help") text += CommandLine(c.name, c.usage, c.summary, "");
    }
    if (exports && exports->known && marked) {
        text += "  ([not in this library]: " + exports->path + " lacks an export the command needs.)\n";
    } else if (exports && !exports->known) {
        text += "  (Commands are not marked: " + exports->reason + ".)\n";
    }
    text += R"(
comp_mgr COMMAND --help (or comp_mgr help COMMAND) explains one command.
SECTION, INSTALLATION and PLUGIN may be given as a section name (any letter
case), a display name or a program path (without regard to letter case).

Raw calls: text is a word or "quoted" ("" for a quote, backslashes literal),
NULL for a null pointer; integers are decimal; each size-and-buffer pair takes
its capacity; out integers take nothing (preset to -12345); the catalog entry
takes nothing, or NULLENTRY (or NULLADDR for bGetCatalogByKey). With `call`,
each word is one argument as the shell passed it.
A buffer starts with a NUL followed by '#' bytes, so a text left without its
terminator shows.

Options may also stand among a command's words; after "--" (and after `call`)
every word belongs to the command.

A run needs a machine: --root (or VNT_ROOT, else ./vnt-machine) must hold
registry.reg; `comp_mgr --root DIR init` makes a fresh one. One run at a time
holds the machine (ROOT/comp_mgr.lock; on Windows %ProgramData%\Vantrel\comp_mgr.lock);
another waits COMP_MGR_LOCK_WAIT seconds (default 5), then gives up naming the
run that holds it.

Output: text in UTF-8 (the catalog's code page 1252 converted), columns
aligned by characters; --json is UTF-8 JSON with the same keys in every
command.

Exit status: 0 done; 1 the library did not load, an export is missing, the
machine is missing or in use, or the catalog was not saved; 2 usage error; 3 the
library refused, or the section asked for does not exist (or a name fits more
than one entry). Reasons go to standard error. Raw calls exit 0 when every
line ran, whatever the exports answered.
)";
    return text;
}

}  // namespace comp_mgr_tool

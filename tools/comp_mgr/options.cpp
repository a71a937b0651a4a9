#include "options.h"

namespace comp_mgr_tool {
namespace {

struct ValueOption {
    const char* name;
    std::string Options::*value;
    bool Options::*given;
    bool hostedOnly;
};

const ValueOption kValueOptions[] = {
    {"--root", &Options::root, &Options::hasRoot, true}, {"--host-exe", &Options::hostExe, &Options::hasHostExe, true},
    {"--cwd", &Options::cwd, &Options::hasCwd, true},    {"--ui", &Options::ui, &Options::hasUi, false},
    {"--library", &Options::library, nullptr, false},
};

// Handles one option word; `consumed` is how many words it used (0 when it is not an option).
bool ParseOne(const std::vector<std::string>& words, std::size_t i, Options* o, std::size_t* consumed,
              std::string* error) {
    const std::string& word = words[i];
    *consumed = 1;
    if (word == "--json") return o->json = true;
    if (word == "--dry-run") return o->dryRun = true;
    if (word == "--no-save") return o->noSave = true;
    if (word == "-v" || word == "--verbose") return o->verbose = true;
    if (word == "-q" || word == "--quiet") return o->quiet = true;
    if (word == "--help" || word == "-h") return o->help = true;
    if (word == "--version") return o->version = true;
    for (const auto& opt : kValueOptions) {
        std::string name = opt.name;
        std::string value;
        if (word == name) {
            if (i + 1 >= words.size()) {
                *error = name + " needs a value";
                return false;
            }
            value = words[i + 1];
            *consumed = 2;
        } else if (word.compare(0, name.size() + 1, name + "=") == 0) {
            value = word.substr(name.size() + 1);
        } else {
            continue;
        }
        if (opt.hostedOnly && !kHostedBuild) {
            *error = name + " is not accepted on Windows: the library runs on the real machine";
            return false;
        }
        if (value.empty()) {
            *error = name + " needs a value";
            return false;
        }
        o->*(opt.value) = value;
        if (opt.given) o->*(opt.given) = true;
        return true;
    }
    *consumed = 0;
    // Other words starting with one dash ("-1", "-") stay words of the command.
    if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
        *error = "unknown option: " + word;
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& words, Options* o, std::string* error) {
    bool raw = false;  // every further word belongs to the command
    for (std::size_t i = 0; i < words.size();) {
        const std::string& word = words[i];
        if (!raw) {
            if (word == "--") {
                raw = true;
                ++i;
                continue;
            }
            std::size_t consumed = 0;
            if (!ParseOne(words, i, o, &consumed, error)) return false;
            if (consumed) {
                i += consumed;
                continue;
            }
        }
        if (o->command.empty()) {
            o->command = word;
            // A raw call's words are its arguments, whatever they look like.
            if (word == "call") raw = true;
        } else {
            o->arguments.push_back(word);
        }
        ++i;
    }
    if (o->hasUi && kHostedBuild) {
        const std::string& ui = o->ui;
        if (ui != "tty" && ui != "none" && !(ui.compare(0, 7, "script:") == 0 && ui.size() > 7)) {
            *error = "--ui takes tty, none or script:FILE, not " + ui;
            return false;
        }
    }
    if (o->command.empty() && !o->help && !o->version) {
        *error = "no command given";
        return false;
    }
    return true;
}

std::string UsageText() {
    return R"(usage: comp_mgr [options] COMMAND [ARGS...]

Loads the component manager library, runs one command and unloads it (the
catalog is read at the load and saved at the unload, as the library decides).

Options:
  --root DIR          machine root of the hosted machine (VNT_ROOT)
  --host-exe PATH     Windows path of the host program (VNT_HOST_EXE)
  --cwd PATH          initial current directory, a Windows path (VNT_CWD)
  --ui MODE           tty, none or script:FILE (VNT_UI)
  --library PATH      load this library instead of the one next to the tool
  --json              print the result as JSON (raw calls: one object per call)
  --no-save           call bAbortDbUpdate before unloading: the catalog is not saved
  --dry-run           for now as --no-save
  -v, -q              the library's events as they happen; no summary of changes
  --help, --version
  (On Windows only --ui of the machine options is accepted.)

Commands:
  list [installations|plugins]      section, display name, version, status, location
  show SECTION                      every field of one entry
  links SECTION                     the plug-ins linked to an installation
  install LOCATION SDK CPU SKU NAME FOLDER REGISTRATION
  update LOCATION SDK OLD_SKU NEW_SKU NAME
  key LOCATION SDK                  the section of an installation
  prepare SECTION                   make an installation the current one
  setup LOCATION SDK                bSetupVNT: class keys, tool versions report, prepare
  link INSTALLATION PLUGIN [link|unlink|check]
  detect [link|unregister|ask|count]
  unregister-all
  flags                             bGetDbUpdateFlag with the change bits named
  why INSTALLATION PLUGIN           which link rule accepts or refuses the pair
  doctor                            checks the catalog, saves nothing; exit 3 on problems
  web startup|startup-for|get|set|update|support|register [ARGS...]
  path-for-sku SKU                  the folders of the products listing a Sku
  version FILE                      the version strings of a file, per translation
  init                              a fresh machine at --root (hosted only)
  call EXPORT ARGS...               one raw call
  exec FILE|-                       raw calls, one per line, in one load

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

Exit status: 0 done; 1 the library did not load, an export is missing, the
machine is missing or in use, or the catalog was not saved; 2 usage error; 3 the
library refused, or the section asked for does not exist. Reasons go to
standard error. Raw calls exit 0 when every line ran, whatever the exports
answered.
)";
}

}  // namespace comp_mgr_tool

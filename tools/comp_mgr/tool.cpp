#include "tool.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "dry_run.h"
#include "event_capture.h"
#include "export_names.h"
#include "library.h"
#include "machine_lock.h"
#include "machine_root.h"
#include "options.h"
#include "people_commands.h"
#include "raw_call_parser.h"
#include "raw_call_runner.h"

#ifndef COMP_MGR_VERSION
#define COMP_MGR_VERSION "unknown"
#endif

namespace comp_mgr_tool {
namespace {

int Usage(std::ostream& err, const std::string& message) {
    err << "comp_mgr: " << message << "\n(comp_mgr --help lists the commands and options)\n";
    return kExitUsage;
}

bool ReadLines(std::istream& in, std::vector<std::string>* lines) {
    std::string line;
    while (std::getline(in, line)) lines->push_back(line);
    return !in.bad();
}

// What the command will do, settled before the library is loaded so that a
// usage error never loads it.
struct Plan {
    enum class Kind { Call, Script, People } kind = Kind::People;
    ParsedCall call;
    std::vector<std::string> script;
    const PeopleCommand* people = nullptr;
    Words words;
};

int MakePlan(const Options& o, std::istream& in, Plan* plan, std::ostream& err) {
    std::string error;
    if (o.command == "call") {
        plan->kind = Plan::Kind::Call;
        if (o.arguments.empty()) return Usage(err, "usage: comp_mgr call EXPORT ARGS...");
        std::vector<Token> tokens(o.arguments.size());
        for (std::size_t i = 0; i < o.arguments.size(); ++i) {
            if (!TokenFromArgument(o.arguments[i], &tokens[i], &error)) return Usage(err, error);
        }
        tokens[0].quoted = false;  // the export's name is a name even when quoted by mistake
        if (!ParseCall(tokens, &plan->call, &error)) return Usage(err, error);
        return kExitOk;
    }
    if (o.command == "exec") {
        plan->kind = Plan::Kind::Script;
        if (o.arguments.size() != 1) return Usage(err, "usage: comp_mgr exec FILE|-");
        const std::string& file = o.arguments[0];
        if (file == "-") {
            if (!ReadLines(in, &plan->script)) return Usage(err, "cannot read the script from standard input");
        } else {
            std::ifstream stream(file, std::ios::binary);
            if (!stream || !ReadLines(stream, &plan->script)) return Usage(err, "cannot read the script " + file);
        }
        return kExitOk;
    }
    plan->people = FindPeopleCommand(o.command, o.arguments, &plan->words);
    if (!plan->people) return Usage(err, "unknown command: " + o.command);
    if (!CheckPeopleCommand(*plan->people, plan->words, &error)) return Usage(err, error);
    return kExitOk;
}

bool ApplyMachineSettings(const Options& o, std::ostream& err) {
    const std::pair<bool, std::pair<const char*, const std::string*>> settings[] = {
        {o.hasRoot, {"VNT_ROOT", &o.root}},
        {o.hasHostExe, {"VNT_HOST_EXE", &o.hostExe}},
        {o.hasCwd, {"VNT_CWD", &o.cwd}},
        {o.hasUi, {"VNT_UI", &o.ui}},
    };
    for (const auto& s : settings) {
        if (s.first && !SetEnvironment(s.second.first, *s.second.second)) {
            err << "comp_mgr: cannot set " << s.second.first << " in the environment\n";
            return false;
        }
    }
    return true;
}

int RunPeople(const Library& library, const Options& o, const Plan& plan, std::ostream& out, std::ostream& err) {
    CommandContext context(library, o);
    try {
        Report report = plan.people->run(context, plan.words);
        // The commands made both forms in UTF-8 already.
        if (o.json) {
            out << DumpJson(report.json) << "\n";
        } else if (report.refusal.empty() || report.keepText) {
            out << report.text;
        }
        if (report.refusal.empty()) return kExitOk;
        out.flush();
        err << "comp_mgr: " << report.refusal << "\n";
        return kExitRefused;
    } catch (const MissingExport& missing) {
        out.flush();
        err << "comp_mgr: export " << missing.exportName << " is missing from " << library.path() << "\n";
        return kExitLibrary;
    }
}

// Prints what the library reported outside its calls; an error among it (the
// library could not start, the catalog could not be saved) makes the run fail.
int TellLibraryReport(std::ostream& err, int status) {
    std::istringstream lines(TakeLibraryReport());
    std::string line;
    const std::string error = "error: ";
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        if (line.compare(0, error.size(), error) == 0) {
            err << "comp_mgr: " << line.substr(error.size()) << "\n";
            status = kExitLibrary;
        } else {
            err << "comp_mgr: " << line << "\n";
        }
    }
    return status;
}

}  // namespace

int RunTool(const std::vector<std::string>& words, const char* argv0, std::istream& in, std::ostream& out,
            std::ostream& err) {
    Options o;
    std::string error;
    if (!ParseOptions(words, &o, &error)) return Usage(err, error);
    if (o.help) {
        if (!o.command.empty()) {
            out << CommandHelp(o.command);
            return kExitOk;
        }
        // Marks need the library's exports, read from the file: loading it
        // would start the library and save its catalog at the unload.
        LibraryExports exports;
        exports.path = o.library.empty() ? DefaultLibraryPath(argv0) : o.library;
        exports.known = LibraryExportNames(exports.path, &exports.names, &exports.reason);
        out << UsageText(&exports);
        return kExitOk;
    }
    if (o.version) {
        out << "comp_mgr " << COMP_MGR_VERSION << "\n";
        return kExitOk;
    }
    if (o.command == "init") {
        if (!kHostedBuild) return Usage(err, "init makes a hosted machine; on Windows the machine is the system");
        if (!o.arguments.empty()) return Usage(err, "usage: comp_mgr --root DIR init");
        return InitMachine(EffectiveRoot(o.hasRoot, o.root), out, err);
    }
    Plan plan;
    if (int status = MakePlan(o, in, &plan, err)) return status;

    if (kHostedBuild && !IsMachineRoot(EffectiveRoot(o.hasRoot, o.root), &error)) {
        err << "comp_mgr: " << error << "\n";
        return kExitLibrary;
    }
    if (o.dryRun && !kHostedBuild) {
        return Usage(err,
                     "--dry-run runs on a copy of a hosted machine; on Windows the library's start-up alone may "
                     "change the registry, so nothing could be promised. --no-save keeps the catalog as it is");
    }
    // Held until the library is unloaded: declared before it, released after it.
    MachineLock lock;
    std::string holder;
    const std::string lockPath = MachineLockPath(o);
    if (lock.Acquire(lockPath, LockWaitMilliseconds(), "comp_mgr " + o.command, &holder) ==
        MachineLock::Outcome::kBusy) {
        err << "comp_mgr: the machine is in use by another run of comp_mgr (" << holder << "); its lock " << lockPath
            << " was not free after " << LockWaitMilliseconds() / 1000.0 << " s\n";
        return kExitLibrary;
    }
    // Copied while the lock holds the machine still; the run then saves, and
    // registers, in the copy only.
    ScratchMachine scratch;
    if (o.dryRun) {
        if (!scratch.CopyOf(EffectiveRoot(o.hasRoot, o.root), &error)) {
            err << "comp_mgr: " << error << "\n";
            return kExitLibrary;
        }
        o.root = scratch.path();
        o.hasRoot = true;
        if (!SetEnvironment("VNT_DRY_RUN", "1")) {
            err << "comp_mgr: cannot set VNT_DRY_RUN in the environment\n";
            return kExitLibrary;
        }
    }
    if (!ApplyMachineSettings(o, err)) return kExitUsage;
    EventCapture events(o);  // where the library's log ends before the load
    Library library;
    TakeLibraryReport();  // nothing of an earlier load counts for this one
    const std::string path = o.library.empty() ? DefaultLibraryPath(argv0) : o.library;
    if (!library.Load(path, &error)) {
        err << "comp_mgr: " << error << "\n";
        return kExitLibrary;
    }

    int status = kExitOk;
    switch (plan.kind) {
        case Plan::Kind::Call:
            status = RunCall(library, plan.call, o.json, out, err, "");
            break;
        case Plan::Kind::Script:
            status = RunScript(library, plan.script, o.json, out, err);
            break;
        case Plan::Kind::People:
            status = RunPeople(library, o, plan, out, err);
            break;
    }
    out.flush();
    if (o.noSave) {
        const ExportInfo* abort = FindExport("bAbortDbUpdate");
        AnyFunction function = library.Find(*abort);
        if (function) {
            abort->invoke(function, {});
        } else {
            err << "comp_mgr: export bAbortDbUpdate is missing from " << library.path()
                << ": the changes of this run will be saved\n";
            status = kExitLibrary;
        }
    }
    out.flush();
    status = TellLibraryReport(err, status);
    library.Unload();
    status = TellLibraryReport(err, status);
    // These commands drop the start-up's repairs themselves.
    const bool dropsChanges = o.command == "doctor" || o.command == "backups" || o.command == "restore";
    events.TellSummary(err, o.dryRun ? "dry run: " : o.noSave || dropsChanges ? "not saved: " : "");
    if (o.dryRun) {
        SetEnvironment("VNT_DRY_RUN", "");  // the next run in this process (tests run many) is a real one
        const std::string changes = scratch.Changes();
        err << "comp_mgr: dry run on a copy of the machine, which was not changed (servers were loaded, not "
               "called); the run "
            << (changes.empty() ? "would change no file\n" : "would change:\n" + changes);
    }
    return status;
}

}  // namespace comp_mgr_tool

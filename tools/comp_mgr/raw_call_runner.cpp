#include "raw_call_runner.h"

#include <algorithm>
#include <ostream>

#include "options.h"
#include "raw_call_format.h"

namespace comp_mgr_tool {

CallOutput ExecuteCall(const ParsedCall& call, AnyFunction function) {
    const ExportInfo& info = *call.exported;
    const std::size_t n = info.params.size();
    std::vector<Slot> slots(n);
    std::vector<int> outInts(n, kUntouchedOutput);
    std::vector<unsigned int> sizes(n, 0);
    std::vector<std::vector<char>> buffers(n);
    std::vector<unsigned int> capacities(n, 0);
    comp_mgr::CatalogEntry entry;
    comp_mgr::CatalogEntry* entryPointer = &entry;
    bool entryPassed = false;
    unsigned int pendingCapacity = 0;

    for (std::size_t i = 0; i < n; ++i) {
        const Argument& arg = call.arguments[i];
        switch (info.params[i]) {
            case ParamKind::Text:
                slots[i].text = arg.isNull ? nullptr : arg.text.c_str();
                break;
            case ParamKind::Integer:
                slots[i].integer = arg.integer;
                break;
            case ParamKind::OutInt:
                slots[i].outInt = &outInts[i];
                break;
            case ParamKind::Size:
                sizes[i] = arg.capacity;
                pendingCapacity = arg.capacity;
                slots[i].size = &sizes[i];
                break;
            case ParamKind::Buffer: {
                capacities[i] = pendingCapacity;
                std::vector<char>& b = buffers[i];
                b.assign(pendingCapacity + kGuardSize, static_cast<char>(kGuardByte));
                std::fill(b.begin(), b.begin() + pendingCapacity, kBufferFiller);
                if (pendingCapacity > 0) b[0] = '\0';
                slots[i].buffer = b.data();
                pendingCapacity = 0;
                break;
            }
            case ParamKind::Entry:
                entryPassed = arg.entry == EntryChoice::Fresh;
                slots[i].entry = entryPassed ? &entry : nullptr;
                break;
            case ParamKind::EntryRef:
                entryPassed = arg.entry == EntryChoice::Fresh;
                entryPointer = entryPassed ? &entry : nullptr;
                slots[i].entryRef = arg.entry == EntryChoice::NullAddress ? nullptr : &entryPointer;
                break;
        }
    }

    const int result = info.invoke(function, slots);

    CallOutput output;
    std::vector<ObservedOutput> observed(n);
    int pair = 0;
    for (std::size_t i = 0; i < n; ++i) {
        switch (info.params[i]) {
            case ParamKind::OutInt:
                observed[i].outInt = outInts[i];
                break;
            case ParamKind::Size:
                observed[i].size = sizes[i];
                break;
            case ParamKind::Buffer: {
                ++pair;
                const std::vector<char>& b = buffers[i];
                observed[i].bytes.assign(b.data(), capacities[i]);
                auto first = b.begin() + capacities[i];
                auto bad = std::find_if(first, b.end(), [](char c) { return c != static_cast<char>(kGuardByte); });
                if (bad != b.end()) {
                    output.faults.push_back(info.name + " wrote past the end of buffer " + std::to_string(pair) +
                                            " (capacity " + std::to_string(capacities[i]) + ", byte " +
                                            std::to_string(bad - b.begin()) + " changed)");
                }
                break;
            }
            case ParamKind::EntryRef:
                if (call.arguments[i].entry != EntryChoice::NullAddress &&
                    entryPointer != (entryPassed ? &entry : nullptr))
                    output.faults.push_back(info.name + " changed the caller's entry pointer");
                break;
            default:
                break;
        }
    }
    output.text = FormatCallLine(info, result, observed) + "\n";
    const bool showEntry = entryPassed && (result == 1 || !IsFreshEntry(entry));
    if (showEntry) output.text += FormatEntryBlock(entry);
    output.json = FormatCallJson(info, result, observed, showEntry ? &entry : nullptr);
    return output;
}

int RunCall(const Library& library, const ParsedCall& call, bool json, std::ostream& out, std::ostream& err,
            const std::string& where) {
    AnyFunction function = library.Find(*call.exported);
    if (!function) {
        out.flush();
        err << "comp_mgr: " << where << "export " << call.exported->name << " is missing from " << library.path()
            << "\n";
        return kExitLibrary;
    }
    CallOutput output = ExecuteCall(call, function);
    out << (json ? DumpJson(output.json) + "\n" : output.text);
    if (output.faults.empty()) return kExitOk;
    out.flush();
    for (const auto& fault : output.faults) err << "comp_mgr: " << where << "error: " << fault << "\n";
    return kExitLibrary;
}

int RunScript(const Library& library, const std::vector<std::string>& lines, bool json, std::ostream& out,
              std::ostream& err) {
    int status = kExitOk;
    auto worsen = [&status](int s) {
        if (s == kExitLibrary || (s == kExitUsage && status == kExitOk)) status = s;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        std::vector<Token> tokens;
        ParsedCall call;
        std::string error;
        if (!TokenizeLine(line, &tokens, &error) || !ParseCall(tokens, &call, &error)) {
            out.flush();
            err << "comp_mgr: " << where << error << "\n";
            worsen(kExitUsage);
            continue;
        }
        worsen(RunCall(library, call, json, out, err, where));
    }
    return status;
}

}  // namespace comp_mgr_tool

#include "change_summary.h"

#include <map>
#include <sstream>
#include <vector>

#include "support/event_line.h"

namespace comp_mgr_tool {
namespace {

namespace kind = comp_mgr::event_kind;
using comp_mgr::EventFields;

constexpr std::size_t kNamedPerClause = 3;

// "a, b, c and 7 more" (`items` in the order the events came).
std::string ListOf(const std::vector<std::string>& items) {
    std::string text;
    const std::size_t shown = items.size() < kNamedPerClause ? items.size() : kNamedPerClause;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) text += ", ";
        text += items[i];
    }
    if (items.size() > shown) text += " and " + std::to_string(items.size() - shown) + " more";
    return text;
}

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "<verb> <plug-in>: <why>" of a link-refused event.
void SplitRefusal(const std::string& text, std::string* verb, std::string* plugIn, std::string* why) {
    const std::size_t blank = text.find(' ');
    const std::size_t colon = text.find(": ", blank == std::string::npos ? 0 : blank);
    *verb = blank == std::string::npos ? text : text.substr(0, blank);
    *plugIn = blank == std::string::npos ? std::string() : text.substr(blank + 1, colon - blank - 1);
    *why = colon == std::string::npos ? std::string() : text.substr(colon + 2);
}

// One clause: a kind, how its events are worded, and how the clause reads.
struct Clause {
    const char* kind;
    std::string (*item)(const EventFields&);
    std::string (*clause)(const std::vector<std::string>& items);
};

std::string SubjectWithText(const EventFields& e) {
    return e.text.empty() ? e.subject : e.subject + " (" + e.text + ")";
}
std::string TextOnly(const EventFields& e) {
    return e.text;
}
std::string SubjectOnly(const EventFields& e) {
    return e.subject;
}
std::string SubjectColonText(const EventFields& e) {
    return e.subject + ": " + e.text;
}
std::string SubjectBlankText(const EventFields& e) {
    return e.subject + " " + e.text;
}

std::string Listing(const char* verb, const std::vector<std::string>& items) {
    return std::string(verb) + " " + ListOf(items);
}

const Clause kClauses[] = {
    {kind::kRecovered, SubjectWithText,
     [](const std::vector<std::string>& items) { return Listing("recovered", items); }},
    {kind::kAdded, SubjectWithText, [](const std::vector<std::string>& items) { return Listing("added", items); }},
    {kind::kDropped, SubjectWithText,
     [](const std::vector<std::string>& items) {
         return items.size() > kNamedPerClause
                    ? "removed " + Count(items.size(), "section", "sections") + ": " + ListOf(items)
                    : Listing("removed", items);
     }},
    {kind::kRenumbered, TextOnly, [](const std::vector<std::string>& items) { return Listing("renamed", items); }},
    {kind::kSubstituted, SubjectColonText,
     [](const std::vector<std::string>& items) {
         return Listing("linked a plug-in of the same name instead:", items);
     }},
    {kind::kRegrouped, SubjectOnly,
     [](const std::vector<std::string>& items) {
         return "regrouped " + Count(items.size(), "plug-in", "plug-ins") + " (" + ListOf(items) + ")";
     }},
    {kind::kLinked, [](const EventFields& e) { return e.text + " to " + e.subject; },
     [](const std::vector<std::string>& items) { return Listing("linked", items); }},
    {kind::kUnlinked, [](const EventFields& e) { return e.text + " from " + e.subject; },
     [](const std::vector<std::string>& items) { return Listing("unlinked", items); }},
    {kind::kLinkRefused,
     [](const EventFields& e) {
         std::string verb, plugIn, why;
         SplitRefusal(e.text, &verb, &plugIn, &why);
         std::string item = verb == "link"     ? "to link " + plugIn + " to " + e.subject
                            : verb == "unlink" ? "to unlink " + plugIn + " from " + e.subject
                                               : "a link of " + plugIn + " to " + e.subject;
         return why.empty() ? item : item + " (" + why + ")";
     },
     [](const std::vector<std::string>& items) { return Listing("refused", items); }},
    {kind::kRegistered, SubjectOnly,
     [](const std::vector<std::string>& items) { return "registered " + Count(items.size(), "server", "servers"); }},
    {kind::kRegisterFailed, SubjectWithText,
     [](const std::vector<std::string>& items) {
         return "could not register " + Count(items.size(), "server", "servers") + " (" + ListOf(items) + ")";
     }},
    {kind::kUnregistered, SubjectOnly,
     [](const std::vector<std::string>& items) { return "unregistered " + Count(items.size(), "server", "servers"); }},
    {kind::kUnregisterFailed, SubjectWithText,
     [](const std::vector<std::string>& items) {
         return "could not unregister " + Count(items.size(), "server", "servers") + " (" + ListOf(items) + ")";
     }},
    {kind::kRegistrationRemoved, SubjectWithText,
     [](const std::vector<std::string>& items) {
         return "removed " + Count(items.size(), "registration", "registrations") + " of a vanished server (" +
                ListOf(items) + ")";
     }},
    {kind::kEngine, SubjectBlankText,
     [](const std::vector<std::string>& items) { return "the component engine: " + ListOf(items); }},
    {kind::kKeptAside, TextOnly,
     [](const std::vector<std::string>&) { return std::string("kept another program's catalog aside"); }},
    {kind::kSaveFailed, TextOnly,
     [](const std::vector<std::string>&) { return std::string("could not save the catalog"); }},
};

}  // namespace

std::string SummarizeEvents(const std::string& log) {
    std::map<std::string, std::vector<std::string>> byKind;
    std::size_t others = 0;
    std::istringstream lines(log);
    std::string line;
    EventFields event;
    while (std::getline(lines, line)) {
        if (!comp_mgr::ParseEventLine(line, &event)) continue;
        // A damaged catalog can hold a section without a name.
        if (event.subject.empty()) event.subject = "(a section without a name)";
        const Clause* clause = nullptr;
        for (const Clause& c : kClauses) {
            if (event.kind == c.kind) clause = &c;
        }
        if (!clause) {
            ++others;
            continue;
        }
        std::vector<std::string>& items = byKind[event.kind];
        // Past what a clause names only the count matters.
        items.push_back(items.size() < kNamedPerClause ? clause->item(event) : std::string());
    }
    std::string summary;
    for (const Clause& c : kClauses) {
        auto found = byKind.find(c.kind);
        if (found == byKind.end()) continue;
        summary += summary.empty() ? "this run " : "; ";
        summary += c.clause(found->second);
    }
    if (others > 0)
        summary += (summary.empty() ? "this run recorded " : "; and ") + Count(others, "other event", "other events");
    return summary;
}

}  // namespace comp_mgr_tool

// The line the library's event log keeps for one decision, shared by every
// adapter (so their logs compare byte for byte) and by the tool that reads
// them back:
//
//   YYYY-MM-DD HH:MM:SS|<kind>|<subject>|<text>
//
// `kind` is one of the words below, `subject` the section or the path the
// decision is about, `text` the rest. Subject and text are the catalog's
// bytes (code page 1252), escaped: backslash as \\, carriage return as \r,
// line feed as \n, and in the subject a bar as \| (the text, the last field,
// keeps its bars).
#ifndef COMP_MGR_SUPPORT_EVENT_LINE_H
#define COMP_MGR_SUPPORT_EVENT_LINE_H

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace comp_mgr {

// The kinds of decision, as written in the log.
namespace event_kind {
constexpr const char* kAdded = "added";               // a section recorded: text "<location>"
constexpr const char* kRecovered = "recovered";       // an installation taken back from VNTInstallEntry.ini
constexpr const char* kDropped = "dropped";           // a section removed: text "<location>: <why>"
constexpr const char* kSubstituted = "substituted";   // installation: "<vanished> -> <substitute>"
constexpr const char* kRegrouped = "regrouped";       // plug-in: "<old group> -> <new group>"
constexpr const char* kRenumbered = "renumbered";     // old section: "<old> -> <new>"
constexpr const char* kLinked = "linked";             // installation: "<plug-in>"
constexpr const char* kUnlinked = "unlinked";         // installation: "<plug-in>"
constexpr const char* kLinkRefused = "link-refused";  // installation: "<plug-in>: <why>"
constexpr const char* kRegistered = "registered";     // server path: "DllRegisterServer returned 0x..."
constexpr const char* kRegisterFailed = "register-failed";
constexpr const char* kUnregistered = "unregistered";
constexpr const char* kUnregisterFailed = "unregister-failed";
constexpr const char* kRegistrationRemoved = "registration-removed";  // server path: the plug-in's version
constexpr const char* kEngine = "engine";           // plug-in section: "settled" / "rejected" / "kept: ..."
constexpr const char* kKeptAside = "kept-aside";    // catalog path: the notice
constexpr const char* kSaveFailed = "save-failed";  // catalog path: the reason
}  // namespace event_kind

// A log passing this size is renamed to "<name>.1" (replacing the older one)
// before the next line, and a new one begins.
constexpr std::uint64_t kEventLogLimit = 1024 * 1024;

// The line for one event, without its line end.
std::string EventLine(const std::tm& when, std::string_view kind, std::string_view subject, std::string_view text);

struct EventFields {
    std::string time;  // "YYYY-MM-DD HH:MM:SS"
    std::string kind;
    std::string subject;  // unescaped
    std::string text;     // unescaped
};

// Reads a line EventLine wrote (a trailing carriage return is ignored); false
// for anything else.
bool ParseEventLine(std::string_view line, EventFields* fields);

}  // namespace comp_mgr

#endif

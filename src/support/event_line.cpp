#include "support/event_line.h"

#include <cstdio>
#include <utility>

#include "support/log_text.h"

namespace comp_mgr {

namespace {

// Undoes EscapeLogText up to the first unescaped bar (when `stopAtBar`), or to
// the end; returns where it stopped, or npos when the text ended first.
std::size_t Unescape(std::string_view text, std::size_t from, bool stopAtBar, std::string* out) {
    for (std::size_t i = from; i < text.size(); ++i) {
        char c = text[i];
        if (c == '|' && stopAtBar) return i;
        if (c == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            c = next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        }
        *out += c;
    }
    return stopAtBar ? std::string_view::npos : text.size();
}

bool IsTime(std::string_view t) {
    static const char kShape[] = "dddd-dd-dd dd:dd:dd";
    if (t.size() != sizeof kShape - 1) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (kShape[i] == 'd' ? (t[i] < '0' || t[i] > '9') : t[i] != kShape[i]) return false;
    }
    return true;
}

}  // namespace

std::string EventLine(const std::tm& when, std::string_view kind, std::string_view subject, std::string_view text) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d|", when.tm_year + 1900, when.tm_mon + 1,
                  when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    std::string line(stamp);
    line.reserve(line.size() + kind.size() + subject.size() + text.size() + 8);
    line.append(kind.data(), kind.size());
    line += '|';
    line += EscapeLogText(subject, true);
    line += '|';
    line += EscapeLogText(text);
    return line;
}

bool ParseEventLine(std::string_view line, EventFields* fields) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    constexpr std::size_t kTimeLength = 19;
    if (line.size() < kTimeLength + 1 || line[kTimeLength] != '|' || !IsTime(line.substr(0, kTimeLength))) return false;
    const std::size_t kindEnd = line.find('|', kTimeLength + 1);
    if (kindEnd == std::string_view::npos || kindEnd == kTimeLength + 1) return false;
    EventFields parsed;
    parsed.time = std::string(line.substr(0, kTimeLength));
    parsed.kind = std::string(line.substr(kTimeLength + 1, kindEnd - kTimeLength - 1));
    const std::size_t subjectEnd = Unescape(line, kindEnd + 1, true, &parsed.subject);
    if (subjectEnd == std::string_view::npos) return false;
    Unescape(line, subjectEnd + 1, false, &parsed.text);
    *fields = std::move(parsed);
    return true;
}

}  // namespace comp_mgr

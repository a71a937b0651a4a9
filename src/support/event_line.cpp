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

// "YYYY-MM-DD hh:mm:ss|" as "%04d-%02d-%02d %02d:%02d:%02d|" prints it. A
// pass that records thousands of lines formats thousands of stamps, so the
// usual case is written digit by digit; a field out of its width goes to
// snprintf, which prints it as it is.
std::string Stamp(const std::tm& when) {
    const int fields[] = {when.tm_year + 1900, when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec};
    bool usual = fields[0] >= 0 && fields[0] <= 9999;
    for (int i = 1; i < 6; ++i) usual = usual && fields[i] >= 0 && fields[i] <= 99;
    if (!usual) {
        char stamp[96];
        std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d|", fields[0], fields[1], fields[2], fields[3],
                      fields[4], fields[5]);
        return stamp;
    }
    char stamp[] = "0000-00-00 00:00:00|";
    const auto put = [&stamp](std::size_t at, int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10) stamp[at + i] = static_cast<char>('0' + value % 10);
    };
    put(0, fields[0], 4);
    for (int i = 1; i < 6; ++i) put(2 + 3 * i, fields[i], 2);
    return std::string(stamp, sizeof stamp - 1);
}

}  // namespace

std::string EventLine(const std::tm& when, std::string_view kind, std::string_view subject, std::string_view text) {
    std::string line = Stamp(when);
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

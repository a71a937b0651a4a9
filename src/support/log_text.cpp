#include "support/log_text.h"

namespace comp_mgr {

std::string EscapeLogText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

std::string MessageLogLine(std::string_view caption, std::string_view text) {
    return EscapeLogText(caption) + "|" + EscapeLogText(text);
}

}  // namespace comp_mgr

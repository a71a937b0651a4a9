// The answers of a UI script (VNT_UI=script:<file>): one line per dialog,
// consumed in order, read on first need.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_UI_SCRIPT_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_UI_SCRIPT_H

#include <deque>
#include <string>
#include <utility>

namespace comp_mgr {

class Win32UiScript {
public:
    explicit Win32UiScript(std::string path) : path_(std::move(path)) {}
    // The next line; false when the file cannot be read or is used up.
    bool Next(std::string* line);

private:
    std::string path_;
    bool loaded_ = false;
    std::deque<std::string> lines_;
};

}  // namespace comp_mgr

#endif

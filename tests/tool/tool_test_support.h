// Running the comp_mgr tool as a separate process in the tool's tests.
#ifndef COMP_MGR_TESTS_TOOL_TOOL_TEST_SUPPORT_H
#define COMP_MGR_TESTS_TOOL_TOOL_TEST_SUPPORT_H

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tool_test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder, removed with the object.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "comp_mgr_tool_XXXXXX").string();
        path_ = mkdtemp(&pattern[0]) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Runs the tool with the words given, standard input from `input`, and the
// environment variables `env` set (every VNT_ variable not given is removed,
// so the caller's environment cannot leak in).
inline ToolRun RunTool(const std::vector<std::string>& words, const std::string& input = "",
                       const std::vector<std::pair<std::string, std::string>>& env = {},
                       const std::string& tool = COMP_MGR_TOOL_PATH) {
    TempDir io;
    WriteFile(io.path() / "in", input);
    std::string command =
        "env -u VNT_ROOT -u VNT_HOST_EXE -u VNT_CWD -u VNT_UI -u VNT_NOW -u VNT_OPEN -u VNT_EVENTS_ECHO -u "
        "VNT_EVENTS_LOG";
    for (const auto& [name, value] : env) command += " " + name + "=" + ShellQuote(value);
    command += " " + ShellQuote(tool);
    for (const auto& w : words) command += " " + ShellQuote(w);
    command += " <" + ShellQuote((io.path() / "in").string()) + " >" + ShellQuote((io.path() / "out").string()) +
               " 2>" + ShellQuote((io.path() / "err").string());
    ToolRun run;
    int raw = std::system(command.c_str());
    run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(io.path() / "out");
    run.err = ReadFile(io.path() / "err");
    return run;
}

}  // namespace tool_test

#endif

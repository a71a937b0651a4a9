// The in-memory process port for tests: a module path, an environment, and
// the answers of the programs a test lays out.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_PROCESS_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_PROCESS_H

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/process.h"
#include "support/text.h"

namespace comp_mgr {

class MemoryProcess : public Process {
public:
    std::string modulePath = "C:\\Vantrel\\bin\\vn_app.exe";
    std::map<std::string, std::string> environment;

    // A program the child processes may run, by its path as written first in
    // a command line (compared without regard to case, as Windows paths are).
    struct Program {
        std::string output;   // what it writes at once
        bool silent = false;  // writes nothing until it is terminated
    };
    std::map<std::string, Program> programs;
    // Every command line started, in order, and how many children were
    // terminated; a test checks that none is left running.
    std::vector<std::string> started;
    std::size_t terminated = 0;

    std::uint32_t ModuleFileName(char* buffer, std::uint32_t size) override {
        if (size == 0 || modulePath.empty()) return 0;
        // As GetModuleFileNameA: cut to the buffer, terminated.
        std::uint32_t n = static_cast<std::uint32_t>(modulePath.size());
        if (n >= size) n = size - 1;
        std::memcpy(buffer, modulePath.data(), n);
        buffer[n] = '\0';
        return n;
    }
    bool GetEnv(const std::string& name, std::string* value) override {
        auto it = environment.find(name);
        if (it == environment.end()) return false;
        *value = it->second;
        return true;
    }
    bool RunForOutput(const std::string& commandLine, std::uint32_t maxBytes, std::uint32_t /*waitMs*/,
                      std::string* output) override {
        output->clear();
        const Program* program = FindProgram(commandLine);
        if (!program) return false;
        started.push_back(commandLine);
        if (!program->silent) *output = program->output.substr(0, maxBytes);
        ++terminated;
        return true;
    }

private:
    const Program* FindProgram(const std::string& commandLine) const {
        // The first token, quoted or not.
        std::string path;
        if (!commandLine.empty() && commandLine[0] == '"') {
            std::size_t end = commandLine.find('"', 1);
            path = commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        } else {
            path = commandLine.substr(0, commandLine.find_first_of(" \t"));
        }
        for (const auto& [name, program] : programs)
            if (EqualsNoCase(name, path)) return &program;
        return nullptr;
    }
};

}  // namespace comp_mgr

#endif

// The process port: facts about the running process.
#ifndef COMP_MGR_PLATFORM_PROCESS_H
#define COMP_MGR_PLATFORM_PROCESS_H

#include <cstdint>
#include <string>

namespace comp_mgr {

class Process {
public:
    virtual ~Process() = default;

    // GetModuleFileNameA of the main executable into a buffer of `size`
    // characters: the number of characters stored (the path is cut to fit),
    // 0 on failure.
    virtual std::uint32_t ModuleFileName(char* buffer, std::uint32_t size) = 0;

    // An environment variable of the (Windows) process.
    virtual bool GetEnv(const std::string& name, std::string* value) = 0;

    // Runs a tool for one short answer: an anonymous pipe with inheritable
    // handles, the command line started as a detached child (no console) that
    // inherits them, its standard output on the pipe and no standard input or
    // error; one read of at most `maxBytes` from the pipe, then the child is
    // terminated (exit code 0), never waited for. The read waits at most
    // `waitMs` for the child's first output, so a tool that never writes
    // cannot hold the caller. `output` gets the bytes of that one read (none
    // when the child wrote nothing in time or ended without output). False
    // when the pipe or the process could not be created.
    virtual bool RunForOutput(const std::string& commandLine, std::uint32_t maxBytes, std::uint32_t waitMs,
                              std::string* output) = 0;
};

}  // namespace comp_mgr

#endif

// One run of the version-printing tool of the tool chain on one file: the
// tool's single short answer, cut down to the piece that names the version.
#ifndef COMP_MGR_SERVICES_SETUP_VERSION_COMMAND_H
#define COMP_MGR_SERVICES_SETUP_VERSION_COMMAND_H

#include <cstdint>
#include <string>

#include "platform/process.h"

namespace comp_mgr {

struct VersionCommand {
    VersionCommand(std::string tool, std::string target);

    std::string toolPath;
    std::string targetPath;
    std::string commandLine;  // tool path, one space, target path
    std::string delimiters = "***";
    std::string key = "cuda";

    // The tool answers with at most this much, read once.
    static constexpr std::uint32_t kReadSize = 260;

    // Runs the tool and returns the first `*`-separated piece of its answer
    // that holds the key, without that piece's first character; empty when
    // the tool did not start, said nothing within `waitMs`, or said nothing
    // with the key.
    std::string Run(Process& process, std::uint32_t waitMs) const;

    // The same cut applied to an answer already read.
    std::string PieceOf(const std::string& answer) const;
};

}  // namespace comp_mgr

#endif

#include "services/setup/version_command.h"

#include <utility>

namespace comp_mgr {

VersionCommand::VersionCommand(std::string tool, std::string target)
    : toolPath(std::move(tool)), targetPath(std::move(target)), commandLine(toolPath + " " + targetPath) {}

std::string VersionCommand::Run(Process& process, std::uint32_t waitMs) const {
    std::string answer;
    if (!process.RunForOutput(commandLine, kReadSize, waitMs, &answer)) return std::string();
    return PieceOf(answer);
}

std::string VersionCommand::PieceOf(const std::string& answer) const {
    // The answer is read as text: it ends at its first NUL.
    const std::string text = answer.substr(0, answer.find('\0'));
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(delimiters, start);
        if (end == std::string::npos) end = text.size();
        const std::string piece = text.substr(start, end - start);
        if (piece.find(key) != std::string::npos) return piece.substr(1);
        start = end + 1;
    }
    return std::string();
}

}  // namespace comp_mgr

// The report of the installed code-generation tools and real-time kernel
// content, written next to the host program when an installation is
// prepared; each compiler's file version is recorded back in the registry.
#ifndef COMP_MGR_SERVICES_SETUP_TOOL_VERSIONS_REPORT_H
#define COMP_MGR_SERVICES_SETUP_TOOL_VERSIONS_REPORT_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace comp_mgr {

// The "FileVersion" text of a file's version resource, through the first
// language and code page it lists; empty when the file has none.
using FileVersionReader = std::function<std::string(const std::string& path)>;

class ToolVersionsReport {
public:
    // How long the version-printing tool has for its answer.
    static constexpr std::uint32_t kDefaultToolWaitMs = 3000;

    ToolVersionsReport(const Platform& platform, FileVersionReader fileVersion,
                       std::uint32_t toolWaitMs = kDefaultToolWaitMs);
    ToolVersionsReport(const ToolVersionsReport&) = delete;
    ToolVersionsReport& operator=(const ToolVersionsReport&) = delete;
    ~ToolVersionsReport();

    // Finds the product key of `hostPath`, writes the report `reportFileName`
    // beside it and records compiler versions. Every failure only means fewer
    // lines, or no report when the product or the file is not to be had.
    void Run(const std::string& hostPath, const std::string& reportFileName);

    const std::vector<std::string>& lines() const { return lines_; }
    const std::string& productKeyPath() const { return productKeyPath_; }
    const std::string& versionToolPath() const { return versionToolPath_; }

private:
    enum Mode { kBuildTools = 0, kPackages = 1 };

    void LocateVersionTool(const std::string& hostPath);
    bool FindProductKey(const std::string& hostPath);
    bool CreateReportFile(const std::string& hostPath, const std::string& reportFileName);
    void CollectBuildTools();
    void CollectPackages();
    void Describe(const std::string& keyPath, const std::string& label);
    std::string KernelContent(const std::string& keyPath);
    void AddLine(const std::string& label, const std::string& name, const std::string& version);
    bool ReadString(RegHandle key, const char* name, std::string* value) const;
    void CloseProductKey();

    const Platform& platform_;
    FileVersionReader fileVersion_;
    std::uint32_t toolWaitMs_;

    int mode_ = kBuildTools;
    std::string productKeyPath_;
    std::uint32_t valueBufferSize_ = 512;
    RegHandle productKey_ = 0;
    std::string reportPath_;
    std::string versionToolPath_;
    bool versionToolFound_ = false;
    std::vector<std::string> lines_;
};

}  // namespace comp_mgr

#endif

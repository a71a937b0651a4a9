#include "platform/hosted/hosted_file_versions.h"

#include "platform/hosted/host_file_io.h"
#include "platform/hosted/pe_version_resource.h"
#include "platform/memory/version_block.h"

namespace comp_mgr {
namespace {

class FileSource : public PeSource {
public:
    explicit FileSource(const host_io::ReadOnlyFile& file) : file_(file) {}
    std::uint64_t size() const override { return file_.size(); }
    bool Read(std::uint64_t at, std::size_t count, char* out) const override { return file_.ReadAt(at, count, out); }

private:
    const host_io::ReadOnlyFile& file_;
};

}  // namespace

bool HostedFileVersions::ReadResource(const std::string& path, std::string* resource) const {
    HostedMachine::Location loc;
    host_io::ReadOnlyFile file;
    if (path.empty() || !machine_.Locate(path, &loc) || !loc.exists || loc.isDirectory || !file.Open(loc.hostPath)) {
        return false;
    }
    std::uint64_t at = 0;
    std::uint32_t size = 0;
    if (!LocateVersionResource(FileSource(file), &at, &size)) return false;
    resource->resize(size);
    return file.ReadAt(at, size, &(*resource)[0]) || size == 0;
}

std::uint32_t HostedFileVersions::InfoSize(const std::string& path) {
    std::string resource;
    return ReadResource(path, &resource) ? VersionInfoSizeFor(resource.size()) : 0;
}

bool HostedFileVersions::ReadInfo(const std::string& path, std::uint32_t size, VersionBlock* block) {
    std::string resource;
    if (!ReadResource(path, &resource)) return false;
    FillVersionBlock(resource, size, block);
    return true;
}

bool HostedFileVersions::QueryValue(VersionBlock& block, const std::string& subBlock, VersionValue* value) {
    return QueryVersionBlock(block, subBlock, value);
}

}  // namespace comp_mgr

// PE files and their version resources come from anywhere: the reader must
// find a resource only inside the file, and queries of any resource, however
// its lengths lie, must stay inside the block and report no more bytes than
// the length they give. The input is tried both as a PE file and as a bare
// version resource, so that the queries are reached without a valid PE.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/hosted/pe_version_resource.h"
#include "platform/memory/memory_file_versions.h"
#include "platform/memory/version_block.h"
#include "services/versions/version.h"

namespace {

void QueryAll(std::string_view resource) {
    const std::uint32_t size = comp_mgr::VersionInfoSizeFor(resource.size());
    comp_mgr::VersionBlock block;
    comp_mgr::FillVersionBlock(resource, size, &block);
    const std::size_t blockSize = block.size();
    for (const char* sub :
         {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904B0\\FileVersion",
          "\\StringFileInfo\\040904b0\\CompanyName", "\\StringFileInfo", "VS_VERSION_INFO\\x\\y\\z"}) {
        comp_mgr::VersionValue value;
        comp_mgr::QueryVersionBlock(block, sub, &value);
        if (value.bytes.size() > value.length || block.size() != blockSize) std::abort();
    }
    comp_mgr::MemoryFileVersions versions;
    versions.SetResource("C:\\f.dll", std::string(resource));
    comp_mgr::CVersion version(versions);
    version.Load("C:\\f.dll");
    std::string text;
    version.GetFileVersion(comp_mgr::kUsEnglishUnicode, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view resource;
    if (comp_mgr::FindVersionResource(input, &resource)) {
        if (resource.data() < input.data() || resource.data() + resource.size() > input.data() + input.size()) {
            std::abort();
        }
        QueryAll(resource);
    }
    QueryAll(input);
    return 0;
}

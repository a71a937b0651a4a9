// Prints, one line per answer, what the file versions port of this build and
// CVersion on it say about each file given, so that the answers of Windows
// (this program built for Windows, run under Wine) and of the hosted reader
// can be compared line by line (tests/e2e/parity_versions.sh).
//
//   version_dump PATH...        Windows: the system's functions
//   version_dump ROOT PATH...   hosted: the machine at ROOT
// Paths are Windows paths.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "services/versions/version.h"

#ifdef _WIN32
#include "platform/win32/win32_file_versions.h"
#else
#include "platform/hosted/hosted_file_versions.h"
#include "platform/hosted/hosted_machine.h"
#endif

namespace {

using comp_mgr::CVersion;
using comp_mgr::CVersionStringInfo;
using comp_mgr::FileVersions;
using comp_mgr::TranslationCode;
using comp_mgr::VersionBlock;
using comp_mgr::VersionValue;

std::string Hex(const std::string& bytes) {
    std::string out;
    char two[3];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof two, "%02x", c);
        out += two;
    }
    return out.empty() ? "-" : out;
}

void Query(FileVersions& versions, VersionBlock& block, const std::string& subBlock) {
    VersionValue value;
    const bool found = versions.QueryValue(block, subBlock, &value);
    std::printf("query %s -> %d length=%u bytes=%s\n", subBlock.c_str(), found ? 1 : 0,
                static_cast<unsigned>(value.length), Hex(value.bytes).c_str());
}

void Dump(FileVersions& versions, const std::string& path) {
    std::printf("file %s\n", path.c_str());
    const std::uint32_t size = versions.InfoSize(path);
    std::printf("size %u\n", static_cast<unsigned>(size));
    if (size != 0) {
        VersionBlock block;
        const bool read = versions.ReadInfo(path, size, &block);
        std::printf("read %d\n", read ? 1 : 0);
        if (read) {
            for (const char* sub : {"\\", "", "\\VarFileInfo", "\\StringFileInfo", "\\varfileinfo\\translation"}) {
                Query(versions, block, sub);
            }
            VersionValue table;
            std::vector<TranslationCode> codes = {0x040904B0, 0x040704E4, 0x040904E4};
            if (versions.QueryValue(block, "\\VarFileInfo\\Translation", &table)) {
                for (std::size_t i = 0; i + 4 <= table.bytes.size() && i < 64; i += 4) {
                    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(table.bytes[i + k]); };
                    const TranslationCode code = (TranslationCode((b(1) << 8) | b(0)) << 16) | ((b(3) << 8) | b(2));
                    if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
                }
            }
            for (TranslationCode code : codes) {
                for (std::size_t index = 0; index < CVersionStringInfo::kValueCount; ++index) {
                    Query(versions, block, CVersion::StringPath(code, index));
                }
                char comments[48];
                std::snprintf(comments, sizeof comments, "\\StringFileInfo\\%08x\\Comments",
                              static_cast<unsigned>(code));
                Query(versions, block, comments);
            }
        }
    }
    CVersion version(versions);
    std::printf("load %d\n", version.Load(path) ? 1 : 0);
    std::string fixed(version.fixedInfo().begin(), version.fixedInfo().end());
    std::printf("fixed %s\n", Hex(fixed).c_str());
    std::vector<TranslationCode> recorded;
    for (const auto& entry : version.stringInfos()) recorded.push_back(entry.first);
    std::sort(recorded.begin(), recorded.end());
    for (TranslationCode code : recorded) {
        const CVersionStringInfo& info = version.stringInfos().at(code);
        for (std::size_t index = 0; index < CVersionStringInfo::kValueCount; ++index) {
            std::printf("recorded %08X %s=%s\n", static_cast<unsigned>(code), CVersionStringInfo::ValueNames()[index],
                        Hex(info.Value(index)).c_str());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    comp_mgr::Win32FileVersions versions;
    int first = 1;
#else
    if (argc < 2) {
        std::fprintf(stderr, "usage: version_dump ROOT PATH...\n");
        return 2;
    }
    comp_mgr::HostedMachine machine(argv[1], "C:\\version_dump.exe", "C:\\");
    comp_mgr::HostedFileVersions versions(machine);
    int first = 2;
#endif
    for (int i = first; i < argc; ++i) Dump(versions, argv[i]);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

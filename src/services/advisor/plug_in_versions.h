// Where the advisor learns the file version of a plug-in's server file: the
// FileVersion string of one translation of its version resource.
#ifndef COMP_MGR_SERVICES_ADVISOR_PLUG_IN_VERSIONS_H
#define COMP_MGR_SERVICES_ADVISOR_PLUG_IN_VERSIONS_H

#include <cstdint>
#include <string>

namespace comp_mgr {

// US English with the Unicode code page.
constexpr std::uint32_t kTranslationUsEnglishUnicode = 0x040904B0;

struct PlugInVersion {
    bool loaded = false;      // the file's version resource was read completely
    bool found = false;       // the translation was recorded and has its FileVersion
    std::string fileVersion;  // set when found
};

class PlugInVersions {
public:
    virtual ~PlugInVersions() = default;
    virtual PlugInVersion Lookup(const std::string& path, std::uint32_t translation) = 0;
};

// For an advisor with no version reader (tests, or a host without files):
// no file has a version, so every plug-in is sent by its bare Sku.
class NoPlugInVersions : public PlugInVersions {
public:
    PlugInVersion Lookup(const std::string&, std::uint32_t) override { return {}; }
};

}  // namespace comp_mgr

#endif

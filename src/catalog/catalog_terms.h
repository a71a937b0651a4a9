// The catalog's fixed terms: the database flag bits, the status bits of an
// entry, the section kinds with their name prefixes, and the caption of the
// library's message boxes.
#ifndef COMP_MGR_CATALOG_CATALOG_TERMS_H
#define COMP_MGR_CATALOG_CATALOG_TERMS_H

#include <cstdint>

namespace comp_mgr {

// Database flag bits.
constexpr std::uint32_t kFlagOpened = 0x02;
constexpr std::uint32_t kFlagLoaded = 0x04;
constexpr std::uint32_t kFlagWritten = 0x08;
constexpr std::uint32_t kFlagScanned = 0x10;
constexpr std::uint32_t kFlagPrepared = 0x20;
constexpr std::uint32_t kFlagModified = 0x80;
constexpr std::uint32_t kFlagEntriesRemoved = 0x100;
constexpr std::uint32_t kFlagRecordCreated = 0x200;
constexpr std::uint32_t kFlagGroupsReconciled = 0x400;
constexpr std::uint32_t kFlagLinksChanged = 0x800;
constexpr std::uint32_t kFlagChangeKinds = 0xF00;

// Entry status bits.
constexpr std::int32_t kStatusFoundOrCurrent = 0x01;
constexpr std::int32_t kStatusCreatedOrRelinked = 0x02;
constexpr std::int32_t kStatusNeverUnlink = 0x08;
constexpr std::int32_t kStatusRecordWriter = 0x10;

// Section kinds, as the exports pass them.
constexpr int kKindInstallation = 0;
constexpr int kKindPlugIn = 1;
constexpr int kKindOther = -1;

extern const char kInstallationPrefix[];  // "VntInstallation_"
extern const char kPlugInPrefix[];        // "PlugIn_"

// Caption of every message box the library shows.
extern const char kMessageCaption[];  // "comp_mgr"

}  // namespace comp_mgr

#endif

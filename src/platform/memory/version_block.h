// The version-information block as Windows fills and reads it, for the
// adapters that hold a file's version resource themselves.
//
// A block is the resource copied to its front, "FE2X" after the length the
// resource declares, and behind it the room into which queries of text
// values convert from UTF-16 (the same offset behind the resource as the
// value has in it). Queries walk the resource as Windows does, trusting its
// lengths, but never leave the block: beyond it every byte reads as zero and
// nothing is written, whatever the resource claims.
#ifndef COMP_MGR_PLATFORM_MEMORY_VERSION_BLOCK_H
#define COMP_MGR_PLATFORM_MEMORY_VERSION_BLOCK_H

#include <cstdint>
#include <string_view>

#include "platform/file_versions.h"

namespace comp_mgr {

// The block size GetFileVersionInfoSizeA gives for a version resource of a
// PE file that is `resourceSize` bytes long: twice that and 4. Zero when the
// size does not fit in 32 bits.
std::uint32_t VersionInfoSizeFor(std::uint64_t resourceSize);

// GetFileVersionInfoA into a block of `size` bytes (and the slack of zeros
// behind it).
void FillVersionBlock(std::string_view resource, std::uint32_t size, VersionBlock* block);

// VerQueryValueA on such a block.
bool QueryVersionBlock(VersionBlock& block, std::string_view subBlock, VersionValue* value);

}  // namespace comp_mgr

#endif

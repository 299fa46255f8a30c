// Lays out a whole CHM file around its compressed content stream: the ITSF
// header, header section 0, the directory and the content section 0 files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "byte_io.h"
#include "chm_directory.h"
#include "status.h"

namespace hha {

struct StoredFile {
  std::string name;  // "/#SYSTEM" etc.
  Bytes data;
};

struct ContainerLayout {
  std::uint32_t lcid = 0x804;
  std::uint32_t timestamp = 0;
  /// Files of the compressed section (offsets into the uncompressed
  /// stream) and folder entries, in any order.
  std::vector<DirectoryEntry> entries;
  /// Small files kept uncompressed in content section 0.
  std::vector<StoredFile> uncompressed_files;
  std::uint64_t uncompressed_size = 0;
  std::uint64_t compressed_size = 0;
  std::vector<std::uint64_t> frame_offsets;
};

/// The bytes that precede the compressed stream; the complete file is these
/// bytes followed by the compressed_size bytes of the stream.
struct ContainerHead {
  Status status;
  Bytes bytes;
};

/// Builds the head. Fails when two entries have names that readers cannot
/// tell apart (equal without regard to ASCII case) or a name is too long.
ContainerHead BuildContainerHead(ContainerLayout layout);

}  // namespace hha

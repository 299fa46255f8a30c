#include "chm_container.h"

#include <algorithm>

#include "lzx_format.h"

namespace hha {
namespace {

constexpr std::uint8_t kItsfGuid1[16] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                         0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
constexpr std::uint8_t kItsfGuid2[16] = {0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                         0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
constexpr std::uint32_t kItsfHeaderSize = 0x60;
constexpr std::uint32_t kHeaderSection0Size = 0x18;
constexpr const char* kLzxGuidText = "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}";
constexpr std::size_t kMaxNameBytes = 1024;

void PutUtf16Ascii(Bytes& out, std::string_view s) {
  for (char c : s) PutU16(out, static_cast<std::uint8_t>(c));
}

Bytes NameList() {
  Bytes b;
  PutU16(b, 0);  // length in 16-bit words, set below
  PutU16(b, 2);  // two sections
  for (std::string_view name : {std::string_view("Uncompressed"), std::string_view("MSCompressed")}) {
    PutU16(b, static_cast<std::uint16_t>(name.size()));
    PutUtf16Ascii(b, name);
    PutU16(b, 0);
  }
  SetU16(b, 0, static_cast<std::uint16_t>(b.size() / 2));
  return b;
}

Bytes ControlData() {
  Bytes b;
  PutU32(b, 6);  // DWORDs that follow
  PutText(b, "LZXC");
  PutU32(b, 2);  // version: sizes in 32 KB units
  PutU32(b, lzx::kResetInterval / lzx::kFrameSize);
  PutU32(b, lzx::kWindowSize / lzx::kFrameSize);
  PutU32(b, 1);  // cache size
  PutU32(b, 0);
  return b;
}

Bytes SpanInfo(std::uint64_t uncompressed) {
  Bytes b;
  PutU64(b, uncompressed);
  return b;
}

Bytes TransformList() {
  Bytes b;
  PutUtf16Ascii(b, kLzxGuidText);
  return b;
}

// One entry per 32 KB frame. Readers derive the entry count from the
// uncompressed length as (length + 32769) / 32768; entries past the last
// frame hold the compressed length.
Bytes ResetTable(const ContainerLayout& l) {
  const std::uint64_t count = (l.uncompressed_size + lzx::kFrameSize + 1) / lzx::kFrameSize;
  Bytes b;
  PutU32(b, 2);
  PutU32(b, static_cast<std::uint32_t>(count));
  PutU32(b, 8);     // entry size
  PutU32(b, 0x28);  // header size
  PutU64(b, l.uncompressed_size);
  PutU64(b, l.compressed_size);
  PutU64(b, lzx::kFrameSize);
  for (std::uint64_t i = 0; i < count; ++i)
    PutU64(b, i < l.frame_offsets.size() ? l.frame_offsets[i] : l.compressed_size);
  return b;
}

}  // namespace

ContainerHead BuildContainerHead(ContainerLayout layout) {
  const std::string storage = "::DataSpace/Storage/MSCompressed/";
  std::vector<StoredFile> section0 = std::move(layout.uncompressed_files);
  section0.push_back({"::DataSpace/NameList", NameList()});
  section0.push_back({storage + "ControlData", ControlData()});
  section0.push_back({storage + "SpanInfo", SpanInfo(layout.uncompressed_size)});
  section0.push_back({storage + "Transform/List", TransformList()});
  section0.push_back({storage + "Transform/" + kLzxGuidText + "/InstanceData/ResetTable", ResetTable(layout)});

  std::vector<DirectoryEntry> entries = std::move(layout.entries);
  std::uint64_t offset = 0;
  for (const StoredFile& f : section0) {
    entries.push_back({f.name, 0, offset, f.data.size()});
    offset += f.data.size();
  }
  entries.push_back({storage + "Content", 0, offset, layout.compressed_size});

  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return CompareChmNames(a.name, b.name) < 0; });
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].name.size() > kMaxNameBytes)
      return {Status::Fail("name too long for the book: " + entries[i].name), {}};
    if (i > 0 && CompareChmNames(entries[i - 1].name, entries[i].name) == 0)
      return {Status::Fail("two stored names differ only in letter case: " + entries[i - 1].name + " and " +
                           entries[i].name),
              {}};
  }

  Bytes directory = BuildDirectory(entries, layout.lcid);
  const std::uint64_t directory_offset = kItsfHeaderSize + kHeaderSection0Size;
  const std::uint64_t content_offset = directory_offset + directory.size();
  const std::uint64_t file_size = content_offset + offset + layout.compressed_size;

  Bytes out;
  out.reserve(content_offset + offset);
  PutText(out, "ITSF");
  PutU32(out, 3);
  PutU32(out, kItsfHeaderSize);
  PutU32(out, 1);
  // The time stamp is stored most significant byte first.
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(layout.timestamp >> (8 * i)));
  PutU32(out, layout.lcid);
  PutGuid(out, kItsfGuid1);
  PutGuid(out, kItsfGuid2);
  PutU64(out, kItsfHeaderSize);
  PutU64(out, kHeaderSection0Size);
  PutU64(out, directory_offset);
  PutU64(out, directory.size());
  PutU64(out, content_offset);
  // Header section 0.
  PutU32(out, 0x01FE);
  PutU32(out, 0);
  PutU64(out, file_size);
  PutU32(out, 0);
  PutU32(out, 0);
  out.insert(out.end(), directory.begin(), directory.end());
  for (const StoredFile& f : section0) out.insert(out.end(), f.data.begin(), f.data.end());
  return {Status::Ok(), std::move(out)};
}

}  // namespace hha

#include "chm_writer.h"

namespace hhtest {
namespace {

const unsigned char kItsfGuids[32] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11, 0x9E, 0x0C, 0x00,
                                      0xA0, 0xC9, 0x22, 0xE6, 0xEC, 0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B,
                                      0xD0, 0x11, 0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
const unsigned char kItspGuid[16] = {0x6A, 0x92, 0x02, 0x5D, 0x2E, 0x21, 0xD0, 0x11,
                                     0x9D, 0xF9, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};

void put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void putBytes(std::string& out, const unsigned char* p, std::size_t n) {
  out.append(reinterpret_cast<const char*>(p), n);
}
// Directory integers: 7 bits a byte, most significant first, high bit = more.
void putEncint(std::string& out, std::uint64_t v) {
  std::string groups(1, static_cast<char>(v & 0x7F));
  while (v >>= 7) groups.insert(groups.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  out += groups;
}

std::string finishChunk(const std::string& entries, std::uint16_t count, std::uint32_t index, bool last) {
  std::string chunk = "PMGL";
  put32(chunk, static_cast<std::uint32_t>(kChunkSize - 0x14 - entries.size()));
  put32(chunk, 0);
  put32(chunk, index == 0 ? 0xFFFFFFFFu : index - 1);
  put32(chunk, last ? 0xFFFFFFFFu : index + 1);
  chunk += entries;
  chunk.resize(kChunkSize - 2, '\0');
  chunk += static_cast<char>(count & 0xFF);
  chunk += static_cast<char>(count >> 8);
  return chunk;
}

}  // namespace

std::string buildChm(const std::vector<StoredEntry>& entries) {
  std::string content;
  std::vector<std::string> records;
  for (const StoredEntry& e : entries) {
    std::string record;
    putEncint(record, e.name.size());
    record += e.name;
    putEncint(record, e.section);
    putEncint(record, e.offset.value_or(content.size()));
    putEncint(record, e.length.value_or(e.data.size()));
    records.push_back(record);
    content += e.data;
  }

  std::vector<std::string> chunks;
  std::string pending;
  std::uint16_t count = 0;
  for (std::size_t i = 0; i <= records.size(); ++i) {
    const bool done = i == records.size();
    if (done || pending.size() + records[i].size() > kChunkSize - 0x14 - 2) {
      if (count > 0 || chunks.empty())
        chunks.push_back(finishChunk(pending, count, static_cast<std::uint32_t>(chunks.size()), done));
      pending.clear();
      count = 0;
    }
    if (!done) {
      pending += records[i];
      ++count;
    }
  }

  const std::uint64_t directoryLength = 0x54 + chunks.size() * kChunkSize;
  const std::uint64_t contentOffset = 0x78 + directoryLength;
  const std::uint64_t fileLength = contentOffset + content.size();

  std::string out = "ITSF";
  put32(out, 3);
  put32(out, 0x60);
  put32(out, 1);
  put32(out, 0x12345678);
  put32(out, 0x804);
  putBytes(out, kItsfGuids, sizeof kItsfGuids);
  put64(out, 0x60);
  put64(out, 0x18);
  put64(out, 0x78);
  put64(out, directoryLength);
  put64(out, contentOffset);

  put32(out, 0x1FE);
  put32(out, 0);
  put64(out, fileLength);
  put32(out, 0);
  put32(out, 0);

  out += "ITSP";
  put32(out, 1);
  put32(out, 0x54);
  put32(out, 0x0A);
  put32(out, kChunkSize);
  put32(out, 2);            // quick-reference density
  put32(out, 1);            // depth: listing chunks only
  put32(out, 0xFFFFFFFFu);  // no index chunk
  put32(out, 0);
  put32(out, static_cast<std::uint32_t>(chunks.size() - 1));
  put32(out, 0xFFFFFFFFu);
  put32(out, static_cast<std::uint32_t>(chunks.size()));
  put32(out, 0x804);
  putBytes(out, kItspGuid, sizeof kItspGuid);
  put32(out, 0x54);
  put32(out, 0xFFFFFFFFu);
  put32(out, 0xFFFFFFFFu);
  put32(out, 0xFFFFFFFFu);

  for (const std::string& chunk : chunks) out += chunk;
  return out + content;
}

}  // namespace hhtest

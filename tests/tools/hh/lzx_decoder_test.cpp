// hh.exe's own LZX decoder against libmspack's, file by file, over many
// books: the seed books of the fuzz target, books of hhc.exe and chmcmd,
// and books of every block kind, window and reset interval.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "chm_book.h"
#include "lzx_writer.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

struct Extracted {
  std::string bytes;
  std::string error;
};

Extracted ExtractToMemory(hh::ChmBook& book, mschmd_file* file) {
  Extracted out;
  const int fd = memfd_create("hh-test", MFD_CLOEXEC);
  if (fd < 0) return {"", "no memfd"};
  out.error = book.Extract(file, fd);
  const off_t size = lseek(fd, 0, SEEK_END);
  out.bytes.resize(static_cast<std::size_t>(std::max<off_t>(size, 0)));
  if (!out.bytes.empty() && pread(fd, out.bytes.data(), out.bytes.size(), 0) != size) out.error += " (short read)";
  close(fd);
  return out;
}

// Unpacks every file of `path` with both decoders, in content order as the
// unpacker does. A sound book (`sound`) must come out of the own decoder
// alone; any other book as the unpacker sees it, with libmspack taking
// what the own decoder refuses. Returns the number of files compared.
int ExpectSameFiles(const fs::path& path, bool sound) {
  hh::ChmBook theirs(path.string(), hh::LzxDecoder::kLibmspack);
  if (!theirs.ok()) {
    EXPECT_FALSE(sound) << path << ": " << theirs.error();
    return 0;
  }
  hh::ChmBook ours(path.string(), sound ? hh::LzxDecoder::kOwnAlone : hh::LzxDecoder::kOwn);
  EXPECT_TRUE(ours.ok()) << path;
  EXPECT_EQ(ours.files().size(), theirs.files().size()) << path;
  if (!ours.ok() || ours.files().size() != theirs.files().size()) return 0;
  int compared = 0;
  for (std::size_t i = 0; i < ours.files().size(); ++i) {
    const Extracted a = ExtractToMemory(ours, ours.files()[i]);
    const Extracted b = ExtractToMemory(theirs, theirs.files()[i]);
    if (!b.error.empty()) continue;  // damaged for libmspack: its bytes say nothing
    ++compared;
    EXPECT_EQ(a.error, "") << path << ": " << ours.files()[i]->filename;
    EXPECT_TRUE(a.bytes == b.bytes) << path << ": " << ours.files()[i]->filename << " differs";
  }
  return compared;
}

// Pages of text, runs, short repeats and noise (holding 0xE8 bytes), some
// empty, their sizes crossing frames and intervals.
std::vector<std::pair<std::string, std::string>> RandomFiles(std::mt19937& random, int count) {
  static const char* const kWords[] = {"<p>",      "the ", "book ", "页面 ", "</p>\n", "<a href=\"x.htm\">",
                                       "chapter ", " "};
  std::vector<std::pair<std::string, std::string>> files;
  for (int f = 0; f < count; ++f) {
    std::string bytes;
    const std::size_t size = random() % 4 == 0 ? random() % 200 : random() % 90000;
    while (bytes.size() < size) {
      switch (random() % 8) {
        case 0: bytes.append(1 + random() % 300, static_cast<char>(random())); break;
        case 1: {
          const std::string unit = std::to_string(random() % 100000);
          for (unsigned k = random() % 40; k > 0; --k) bytes += unit;
          break;
        }
        case 2:
          for (unsigned k = random() % 400; k > 0; --k) bytes += static_cast<char>(k % 3 ? random() : 0xE8);
          break;
        default:
          for (unsigned k = random() % 200; k > 0; --k) bytes += kWords[random() % 8];
      }
    }
    bytes.resize(size);
    files.emplace_back("/f" + std::to_string(f) + (f % 3 ? ".htm" : ".bin"), bytes);
  }
  return files;
}

TEST(HhLzxDecoder, EveryFileComesOutAsLibmspackDecodesIt) {
  hhtest::ScratchDir dir;
  int compared = 0;

  for (const auto& seed : fs::directory_iterator(FUZZ_CHM_CORPUS)) compared += ExpectSameFiles(seed.path(), false);

  // Every block kind, window and reset interval, with and without x86
  // call translation.
  std::mt19937 random(20261210);
  for (std::uint32_t round = 0; round < 14; ++round) {
    hhtest::LzxShape shape;
    shape.window_bits = 15 + static_cast<int>(round % 7);
    shape.reset_frames = 1 + random() % 4;
    shape.sizes_in_bytes = round % 2;
    shape.call_file_size = round % 3 == 0 ? 12000000 : 0;
    shape.seed = round + 1;
    const fs::path book = dir / ("shape" + std::to_string(round) + ".chm");
    hhtest::writeBytes(book, hhtest::buildLzxChm(RandomFiles(random, 3 + static_cast<int>(random() % 12)), shape));
    compared += ExpectSameFiles(book, true);
  }

  // Books of hhc.exe and of chmcmd, from the same kind of pages.
  for (int round = 0; round < 3; ++round) {
    const fs::path project = dir / ("project" + std::to_string(round));
    fs::create_directories(project);
    std::vector<std::string> names;
    std::string hhp = "[OPTIONS]\r\nCompiled file=book.chm\r\nDefault topic=f1.htm\r\n\r\n[FILES]\r\n";
    for (const auto& [name, bytes] : RandomFiles(random, 10 + round * 15)) {
      hhtest::writeBytes(project / name.substr(1), bytes);
      names.push_back(name.substr(1));
      hhp += name.substr(1) + "\r\n";
    }
    hhtest::writeBytes(project / "book.hhp", hhp);
    const std::string command = "cd '" + project.string() + "' && '" HHC_EXE_PATH "' book.hhp >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "hhc.exe failed";
    compared += ExpectSameFiles(project / "book.chm", true);
    if (hhtest::haveChmcmd()) {
      fs::create_directories(project / "chmcmd");
      for (const std::string& n : names) fs::copy_file(project / n, project / "chmcmd" / n);
      ASSERT_TRUE(hhtest::compileWithChmcmd(project / "chmcmd", names)) << "chmcmd failed";
      compared += ExpectSameFiles(project / "chmcmd" / "book.chm", true);
    }
  }
  EXPECT_GT(compared, 300);
}

}  // namespace

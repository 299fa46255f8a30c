// Fuzz entry: hh.exe's unpacker on an arbitrary file given as a .chm book.
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chm_book.h"
#include "chm_unpacker.h"
#include "entry_name.h"
#include "fuzz_check.h"
#include "fuzz_entries.h"
#include "scratch_area.h"

namespace qm::fuzz {
namespace {

// The relative paths the book's stored files are written under.
std::set<std::string> StoredPaths(const std::string& book_path) {
  std::set<std::string> paths;
  hh::ChmBook book(book_path);
  if (!book.ok()) return paths;
  for (const mschmd_file* file : book.files()) {
    const hh::SanitizedName name = hh::SanitizeEntryName(file->filename);
    if (!name.ok) continue;
    std::string joined;
    for (const std::string& part : name.components) joined += (joined.empty() ? "" : "/") + part;
    paths.insert(joined);
  }
  return paths;
}

// A file named like the unpacker's temporary files (".hh-PID-...") that is
// not one of the book's own files, nor the name a second entry of a name
// was unpacked as (`notes`, "NAME -> OTHER NAME"): a write neither
// committed nor abandoned. The book's names are asked for because the
// fuzzer learns the prefix from this very comparison and then stores files
// under such names.
bool IsLeftOverTemporary(const std::string& relative, const std::string& book_path,
                         const std::vector<std::string>& notes) {
  if (relative.empty() || relative.back() == '/') return false;
  const std::size_t slash = relative.rfind('/');
  const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
  if (name.rfind(".hh-" + std::to_string(::getpid()) + "-", 0) != 0 || StoredPaths(book_path).count(relative))
    return false;
  for (const std::string& note : notes)
    if (note.size() >= relative.size() + 4 &&
        note.compare(note.size() - relative.size(), relative.size(), relative) == 0 &&
        note.compare(note.size() - relative.size() - 4, 4, " -> ") == 0)
      return false;
  return true;
}

}  // namespace

int FuzzChmUnpacker(const std::uint8_t* data, std::size_t size) {
  const std::string& scratch = ScratchRoot();
  if (!Check(!scratch.empty(), "cannot make a scratch folder")) return 0;
  // The book lies beside the target folder, both one level below the
  // scratch folder, so that a name climbing one or two levels out of the
  // target still lands where the walk below sees it.
  const std::string area = scratch + "/unpack";
  const std::string book_path = area + "/book.chm";
  const std::string folder = area + "/out";
  if (!Check(RemoveTree(area), "cannot clear " + area)) return 0;
  ::mkdir(area.c_str(), 0755);
  const std::string book(reinterpret_cast<const char*>(data), size);
  if (!Check(WriteWholeFile(book_path, book), "cannot write " + book_path)) return 0;

  std::ostringstream log;
  // Default options, as hh.exe runs it: a book whose directory claims
  // many bytes is decoded by several threads.
  const hh::UnpackReport report = hh::UnpackChm(book_path, folder, log);

  for (const std::string& entry : ListTree(scratch)) {
    const bool inside = entry == "unpack/" || entry == "unpack/book.chm" || entry == "unpack/out/" ||
                        entry.rfind("unpack/out/", 0) == 0;
    Check(inside, "the unpacker wrote " + Escaped(entry) + " outside its folder");
    if (inside && entry.rfind("unpack/out/", 0) == 0 && IsLeftOverTemporary(entry.substr(11), book_path, report.notes))
      Fail("the unpacker left the temporary file " + Escaped(entry));
  }
  if (!report.opened) {
    Check(ListTree(area) == std::vector<std::string>{"book.chm"}, "a file that is no book made the folder " + folder);
  }
  std::string after;
  Check(ReadWholeFile(book_path, after) && after == book, "the unpacker changed the book it read");
  Check(RemoveTree(area), "cannot clear " + area);
  return 0;
}

}  // namespace qm::fuzz

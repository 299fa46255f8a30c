#include "chm_unpacker.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>
#include <vector>

#include "../book_limit.h"
#include "chm_book.h"
#include "entry_name.h"
#include "runtime/work_pool.h"
#include "target_folder.h"

namespace hh {
namespace {

// Below this much content one thread is as quick as more or quicker: each
// more opens the book again and sets up its own decoder, and their files
// are created side by side in the same folders (2.5 and 3.3 MB unpacked to
// ext4 took 5-7% longer on two threads). From about 4 MB up, decoding,
// which takes most of the time beside creating the files, is worth sharing
// (5 MB: 22 against 34 ms).
constexpr unsigned long long kParallelThreshold = 4ull << 20;
constexpr unsigned kMaxWorkers = 4;

// One worker's stretch of the content order and what became of it.
struct Stretch {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t written = 0, refused = 0, failed = 0;
  std::ostringstream log;
  std::vector<std::string> notes;
  const std::vector<SanitizedName>* names = nullptr;  // of every file, in content order
  std::function<bool(std::size_t, const std::string&)> before_file;
};

std::string JoinedName(const SanitizedName& name) {
  std::string joined;
  for (const std::string& c : name.components) joined += (joined.empty() ? "" : "/") + c;
  return joined;
}

// The sanitized names of `files`; the second and later entries of one name
// get "STEM (2).EXT" (the next number free in the book), noted in `notes`.
std::vector<SanitizedName> NamesInBook(const std::vector<mschmd_file*>& files, std::vector<std::string>& notes,
                                       std::ostream& log) {
  std::vector<SanitizedName> names;
  names.reserve(files.size());
  std::set<std::string> taken;
  for (mschmd_file* file : files) {
    names.push_back(SanitizeEntryName(file->filename));
    SanitizedName& name = names.back();
    if (!name.ok || taken.insert(JoinedName(name)).second) continue;
    const std::string first = JoinedName(name);
    const std::string last = name.components.back();
    std::size_t dot = last.rfind('.');
    if (dot == 0 || dot == std::string::npos) dot = last.size();
    for (int n = 2; !taken.insert(JoinedName(name)).second; ++n)
      name.components.back() = last.substr(0, dot) + " (" + std::to_string(n) + ")" + last.substr(dot);
    notes.push_back(PrintableName(first) + " -> " + PrintableName(JoinedName(name)));
    log << "hh.exe: the book holds two entries named \"" << PrintableName(first) << "\"; the second is unpacked as \""
        << PrintableName(JoinedName(name)) << "\"\n";
  }
  return names;
}

// True when the compressed data of `file` lies past the content a book may
// hold (which hhc.exe never writes).
bool PastBookLimit(const mschmd_file* file) {
  if (file->section->id != 1) return false;
  const unsigned long long offset = static_cast<unsigned long long>(file->offset);
  const unsigned long long length = static_cast<unsigned long long>(file->length);
  return offset > book_limit::kMaxContentBytes || length > book_limit::kMaxContentBytes - offset;
}

// Writes one entry under its sanitized name (replacing an existing file
// only by a complete one) and counts and logs the outcome in `stretch`.
void UnpackOneFile(ChmBook& book, TargetFolder& target, Stretch& stretch, mschmd_file* file,
                   const SanitizedName& name) {
  PendingFile pending;
  WriteStatus status = target.Begin(name.components, pending);
  if (status.ok) {
    const std::string error = book.Extract(file, pending.file.fd());
    if (error.empty()) {
      status = target.Commit(pending);
    } else {
      target.Abandon(pending);
      status = {false, false, error, {}};
    }
  }
  if (status.ok) {
    ++stretch.written;
    if (!book.note().empty())
      stretch.log << "hh.exe: \"" << PrintableName(file->filename) << "\": " << book.note() << '\n';
    if (!status.beside.empty()) {
      std::string shown = PrintableName(JoinedName(name));
      std::string beside = PrintableName(status.beside);
      stretch.notes.push_back(shown + " -> " + beside);
      stretch.log << "hh.exe: kept \"" << shown << "\", which differs from the book's; the book's version is \""
                  << beside << "\" beside it\n";
    }
  } else if (status.refused) {
    ++stretch.refused;
    stretch.log << "hh.exe: refused entry \"" << PrintableName(file->filename)
                << "\": " << PrintableName(status.message) << '\n';
  } else {
    ++stretch.failed;
    stretch.log << "hh.exe: cannot unpack \"" << PrintableName(file->filename)
                << "\": " << PrintableName(status.message) << '\n';
  }
}

void UnpackStretch(ChmBook& book, TargetFolder& target, Stretch& stretch) {
  const std::vector<mschmd_file*>& files = book.files();
  bool stopped = false;
  // The free space is asked again only when a file might not fit what was
  // free at the last answer less what this stretch wrote since, and at
  // least every 16 MB: one question per file cost as much as writing a
  // small one.
  constexpr unsigned long long kAskAgainAfter = 16ull << 20;
  unsigned long long free_known = 0, written_since = 0;
  bool asked = false;
  for (std::size_t i = stretch.begin; i < stretch.end; ++i) {
    mschmd_file* file = files[i];
    if (stretch.before_file && !stretch.before_file(files.size(), file->filename)) break;
    const SanitizedName& name = (*stretch.names)[i];
    if (!name.ok) {
      ++stretch.refused;
      stretch.log << "hh.exe: refused entry \"" << PrintableName(file->filename) << "\": " << name.reason << '\n';
      continue;
    }
    // A file that cannot fit stops the run: many entries may share the same
    // data, and writing them would fill the disk to no purpose. Every file
    // not unpacked is still named.
    if (PastBookLimit(file)) {
      ++stretch.failed;
      stretch.log << "hh.exe: cannot unpack \"" << PrintableName(file->filename) << "\": it lies past the "
                  << book_limit::kShown << " of files a book may hold\n";
      continue;
    }
    if (book.RunsPastTheEnd(file)) {
      ++stretch.failed;
      stretch.log << "hh.exe: cannot unpack \"" << PrintableName(file->filename)
                  << "\": its data runs past the end of the book\n";
      continue;
    }
    const auto length = static_cast<unsigned long long>(file->length);
    if (!stopped && (!asked || written_since >= kAskAgainAfter || length + written_since > free_known)) {
      free_known = target.FreeBytes();
      written_since = 0;
      asked = true;
    }
    if (!stopped) {
      const unsigned long long free = free_known - std::min(free_known, written_since);
      written_since += length;
      if (length > free) {
        stopped = true;
        stretch.log << "hh.exe: cannot unpack \"" << PrintableName(file->filename) << "\": it needs " << file->length
                    << " bytes and the disk has " << free << " free; unpacking stops here\n";
        ++stretch.failed;
        continue;
      }
    }
    if (stopped) {
      ++stretch.failed;
      stretch.log << "hh.exe: cannot unpack \"" << PrintableName(file->filename)
                  << "\": unpacking stopped, the disk is full\n";
      continue;
    }
    UnpackOneFile(book, target, stretch, file, name);
  }
}

// A second worker opens the book on its own (decoder state is per book),
// and only the file the first open found: a book replaced meanwhile is
// never read partly from each. False, with nothing done, when it cannot;
// the stretch is then left to the first book.
bool UnpackStretchSeparately(const std::string& chm_path, const BookIdentity& identity, std::size_t expected_files,
                             TargetFolder* target, Stretch& stretch) {
  ChmBook book(chm_path, LzxDecoder::kOwn, &identity);
  if (!book.ok() || book.files().size() != expected_files || !target) return false;
  UnpackStretch(book, *target, stretch);
  return true;
}

unsigned ChooseWorkers(const ChmBook& book, const UnpackOptions& options) {
  unsigned workers = options.workers;
  if (workers == 0)
    workers = book.TotalBytes() < kParallelThreshold ? 1 : std::clamp(qm::ThreadCount(), 1u, kMaxWorkers);
  return static_cast<unsigned>(std::clamp<std::size_t>(workers, 1, std::max<std::size_t>(1, book.files().size())));
}

// Cuts the content order into stretches holding about equal bytes.
std::vector<std::unique_ptr<Stretch>> PlanStretches(const ChmBook& book, unsigned workers) {
  std::vector<std::unique_ptr<Stretch>> stretches;
  const unsigned long long total = book.TotalBytes();
  const std::vector<mschmd_file*>& files = book.files();
  unsigned long long seen = 0;
  std::size_t begin = 0;
  for (unsigned w = 1; w <= workers; ++w) {
    std::size_t end = begin;
    const unsigned long long goal = total * w / workers;
    if (w == workers) end = files.size();
    while (end < files.size() && (seen < goal || end == begin))
      seen += static_cast<unsigned long long>(files[end++]->length);
    auto stretch = std::make_unique<Stretch>();
    stretch->begin = begin;
    stretch->end = end;
    stretches.push_back(std::move(stretch));
    begin = end;
  }
  return stretches;
}

}  // namespace

UnpackReport UnpackChm(const std::string& chm_path, const std::string& folder, std::ostream& log,
                       const UnpackOptions& options) {
  UnpackReport report;
  ChmBook book(chm_path);
  for (const std::string& warning : book.warnings())
    log << "hh.exe: " << chm_path << ": " << PrintableName(warning) << '\n';
  if (!book.ok()) {
    report.error = chm_path + ": " + book.error();
    return report;
  }
  report.opened = true;
  report.damaged = book.damaged();

  std::string folder_error;
  std::unique_ptr<TargetFolder> target = TargetFolder::Open(folder, folder_error);
  if (!target) {
    report.error = folder_error;
    return report;
  }

  // Many entries may share the same data, so a small book can declare far
  // more than the disk holds: such a book is refused before anything is
  // written, rather than filling the disk.
  unsigned long long need = 0;
  for (const mschmd_file* file : book.files())
    if (!book.RunsPastTheEnd(file) && !PastBookLimit(file)) need += static_cast<unsigned long long>(file->length);
  if (const unsigned long long free = target->FreeBytes(); need > free) {
    report.error = chm_path + ": its files need " + std::to_string(need) + " bytes and the disk has " +
                   std::to_string(free) + " free; nothing was unpacked";
    return report;
  }

  target->SetBookName(std::filesystem::path(chm_path).filename().string());
  target->RemoveStaleTemporaryFiles();
  const std::vector<SanitizedName> names = NamesInBook(book.files(), report.notes, log);
  std::vector<std::unique_ptr<Stretch>> stretches = PlanStretches(book, ChooseWorkers(book, options));
  for (auto& stretch : stretches) {
    stretch->before_file = options.before_file;
    stretch->names = &names;
  }
  std::vector<std::unique_ptr<TargetFolder>> siblings;
  std::vector<std::thread> threads;
  // Per stretch after the first: whether its worker unpacked it. One
  // that could not be started, or could not open the book (out of file
  // descriptors or memory, or the book replaced meanwhile), leaves its
  // stretch to the first book once the others are done.
  std::vector<std::atomic<bool>> taken(stretches.size());
  const BookIdentity identity = book.identity();
  for (std::size_t w = 1; w < stretches.size(); ++w) {
    siblings.push_back(target->Sibling(static_cast<unsigned>(w)));
    try {
      threads.emplace_back([&, w, sibling = siblings.back().get()] {
        taken[w] = UnpackStretchSeparately(chm_path, identity, book.files().size(), sibling, *stretches[w]);
      });
    } catch (const std::system_error&) {
      // no thread: the stretch is left to the first book
    }
  }
  UnpackStretch(book, *target, *stretches[0]);
  for (std::thread& t : threads) t.join();
  for (std::size_t w = 1; w < stretches.size(); ++w)
    if (!taken[w]) UnpackStretch(book, *target, *stretches[w]);

  for (const auto& stretch : stretches) {
    report.written += stretch->written;
    report.refused += stretch->refused;
    report.failed += stretch->failed;
    log << stretch->log.str();
    report.notes.insert(report.notes.end(), stretch->notes.begin(), stretch->notes.end());
  }
  return report;
}

}  // namespace hh

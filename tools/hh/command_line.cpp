#include "command_line.h"

#include <sys/stat.h>

#include <cstddef>

#include "runtime/text.h"

namespace hh {
namespace {

bool EndsWithChm(const std::string& s) { return s.size() >= 4 && qm::EqualsNoCase(s.substr(s.size() - 4), ".chm"); }

std::string JoinWords(const std::vector<std::string>& words, std::size_t from, std::size_t to) {
  std::string joined;
  for (std::size_t i = from; i < to; ++i) {
    if (i > from) joined += ' ';
    joined += words[i];
  }
  return joined;
}

ParseResult Accept(std::string folder, std::string file) {
  ParseResult r;
  r.ok = true;
  r.request.folder = std::move(folder);
  r.request.chm_file = std::move(file);
  return r;
}

ParseResult Reject(std::string message) {
  ParseResult r;
  r.message = std::move(message);
  return r;
}

// Splits words (already past the option) into FOLDER and FILE when the
// caller did not quote paths that hold spaces.
ParseResult SplitUnquoted(const std::vector<std::string>& words, const FileProbe& is_file) {
  const std::size_t n = words.size();
  // The main program always names the file FOLDER + ".chm".
  for (std::size_t k = 1; k < n; ++k) {
    std::string folder = JoinWords(words, 0, k);
    std::string file = JoinWords(words, k, n);
    if (file.size() == folder.size() + 4 && file.compare(0, folder.size(), folder) == 0 && EndsWithChm(file))
      return Accept(std::move(folder), std::move(file));
  }
  // Otherwise the split whose file part exists, ".chm" names first.
  for (bool want_chm : {true, false}) {
    std::vector<std::size_t> hits;
    for (std::size_t k = 1; k < n; ++k) {
      std::string file = JoinWords(words, k, n);
      if ((!want_chm || EndsWithChm(file)) && is_file(file)) hits.push_back(k);
    }
    if (hits.size() == 1) return Accept(JoinWords(words, 0, hits[0]), JoinWords(words, hits[0], n));
    if (hits.size() > 1)
      return Reject("cannot tell the folder from the file in \"" + JoinWords(words, 0, n) +
                    "\": several splits name existing files; quote the paths");
  }
  return Reject("cannot tell the folder from the file in \"" + JoinWords(words, 0, n) +
                "\": no split names an existing file");
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args, const FileProbe& is_file) {
  if (args.empty() || !qm::EqualsNoCase(args[0], "-decompile"))
    return Reject(args.empty() ? "no option given" : "unknown option \"" + args[0] + "\"");
  std::vector<std::string> words(args.begin() + 1, args.end());
  if (words.size() < 2) return Reject("-decompile needs a folder and a file");
  if (words.size() == 2) {
    if (words[0].empty() || words[1].empty()) return Reject("empty folder or file name");
    return Accept(words[0], words[1]);
  }
  return SplitUnquoted(words, is_file);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string UsageText() { return "usage: hh.exe -decompile FOLDER FILE.chm"; }

}  // namespace hh

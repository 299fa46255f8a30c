#include "command_line.h"

#include <sys/stat.h>

#include <cstddef>

namespace hh {
namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

bool endsWithChm(const std::string& s) {
  return s.size() >= 4 && equalsIgnoringAsciiCase(s.substr(s.size() - 4), ".chm");
}

std::string joinWords(const std::vector<std::string>& words, std::size_t from, std::size_t to) {
  std::string joined;
  for (std::size_t i = from; i < to; ++i) {
    if (i > from) joined += ' ';
    joined += words[i];
  }
  return joined;
}

ParseResult accept(std::string folder, std::string file) {
  ParseResult r;
  r.ok = true;
  r.request.folder = std::move(folder);
  r.request.chmFile = std::move(file);
  return r;
}

ParseResult reject(std::string message) {
  ParseResult r;
  r.message = std::move(message);
  return r;
}

// Splits words (already past the option) into FOLDER and FILE when the
// caller did not quote paths that hold spaces.
ParseResult splitUnquoted(const std::vector<std::string>& words, const FileProbe& isFile) {
  const std::size_t n = words.size();
  // The main program always names the file FOLDER + ".chm".
  for (std::size_t k = 1; k < n; ++k) {
    std::string folder = joinWords(words, 0, k);
    std::string file = joinWords(words, k, n);
    if (file.size() == folder.size() + 4 && file.compare(0, folder.size(), folder) == 0 &&
        endsWithChm(file))
      return accept(std::move(folder), std::move(file));
  }
  // Otherwise the split whose file part exists, ".chm" names first.
  for (bool wantChm : {true, false}) {
    std::vector<std::size_t> hits;
    for (std::size_t k = 1; k < n; ++k) {
      std::string file = joinWords(words, k, n);
      if ((!wantChm || endsWithChm(file)) && isFile(file)) hits.push_back(k);
    }
    if (hits.size() == 1)
      return accept(joinWords(words, 0, hits[0]), joinWords(words, hits[0], n));
    if (hits.size() > 1)
      return reject("cannot tell the folder from the file in \"" + joinWords(words, 0, n) +
                    "\": several splits name existing files; quote the paths");
  }
  return reject("cannot tell the folder from the file in \"" + joinWords(words, 0, n) +
                "\": no split names an existing file");
}

}  // namespace

ParseResult parseCommandLine(const std::vector<std::string>& args, const FileProbe& isFile) {
  if (args.empty() || !equalsIgnoringAsciiCase(args[0], "-decompile"))
    return reject(args.empty() ? "no option given" : "unknown option \"" + args[0] + "\"");
  std::vector<std::string> words(args.begin() + 1, args.end());
  if (words.size() < 2) return reject("-decompile needs a folder and a file");
  if (words.size() == 2) {
    if (words[0].empty() || words[1].empty()) return reject("empty folder or file name");
    return accept(words[0], words[1]);
  }
  return splitUnquoted(words, isFile);
}

bool isRegularFile(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string usageText() { return "usage: hh.exe -decompile FOLDER FILE.chm"; }

}  // namespace hh

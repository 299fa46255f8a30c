// Command line of hh.exe: `hh.exe -decompile FOLDER FILE.chm`.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace hh {

/// What the user asked for: unpack `chm_file` into `folder`.
struct DecompileRequest {
  std::string folder;
  std::string chm_file;
};

/// Outcome of parsing: `ok` with a request, or a message saying what is wrong.
struct ParseResult {
  bool ok = false;
  DecompileRequest request;
  std::string message;
};

/// Tells whether a path names an existing regular file.
using FileProbe = std::function<bool(const std::string&)>;

/// Parses the arguments that follow the program name.
///
/// The first argument must be "-decompile" in any letter case. Two more
/// arguments are FOLDER and FILE. More than two happen when a caller passed
/// paths with spaces unquoted (the Windows habit): the words are joined back
/// with single spaces and split where FILE is FOLDER + ".chm" (extension in
/// any case); failing that, where exactly one split names an existing file
/// (`is_file`), preferring names that end in ".chm". When no split or several
/// splits qualify the result is not ok and `message` says why.
ParseResult ParseCommandLine(const std::vector<std::string>& args, const FileProbe& is_file);

/// True when `path` names an existing regular file (symbolic links followed).
bool IsRegularFile(const std::string& path);

/// One-line usage text.
std::string UsageText();

}  // namespace hh

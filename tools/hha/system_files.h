// The bookkeeping files readers use to open a book: #SYSTEM, #WINDOWS and
// #STRINGS.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "byte_io.h"
#include "project.h"

namespace hha {

/// What #SYSTEM records. File names are stored names (UTF-8, "/"
/// separators, the form readers look up in the directory); texts shown to
/// the reader (title, font) stay in the book's code page.
struct SystemInfo {
  std::string contents_file;
  std::string index_file;
  std::string default_topic;
  std::string title;
  std::string default_window;
  std::string compiled_name;  // the compiled file's name without ".chm"
  std::string default_font;
  std::uint32_t lcid = 0x804;
  std::uint64_t filetime = 0;  // Windows FILETIME of the compile
};

/// True for the languages whose code pages use two-byte characters.
bool IsDbcsLanguage(std::uint32_t lcid);

Bytes BuildSystemFile(const SystemInfo& info);

struct WindowFiles {
  Bytes windows;  // #WINDOWS
  Bytes strings;  // #STRINGS
};

/// Builds #WINDOWS and #STRINGS. File names of the definitions (contents,
/// index, default and home files) pass through to_stored_name; captions
/// and jump texts stay as written.
WindowFiles BuildWindowFiles(const std::vector<WindowDefinition>& windows,
                             std::string (*to_stored_name)(const std::string& gbk));

}  // namespace hha

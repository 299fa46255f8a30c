// The bookkeeping files readers use to open a book: #SYSTEM, #WINDOWS and
// #STRINGS.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "byte_io.h"
#include "project.h"

namespace hha {

/// What #SYSTEM records, as readers get it: file names as ReaderNames gives
/// them (ASCII), texts (title, font, the compiled file's name) in the
/// book's code page.
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

/// The kind of file a window definition names, for its reader name.
enum class WindowFileKind { Contents, Index, Page };

/// Builds #WINDOWS and #STRINGS. File names of the definitions (contents,
/// index, default and home files) pass through reader_name; captions and
/// jump texts stay as written.
WindowFiles BuildWindowFiles(const std::vector<WindowDefinition>& windows,
                             const std::function<std::string(const std::string& gbk, WindowFileKind)>& reader_name);

}  // namespace hha
